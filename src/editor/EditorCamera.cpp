#include "editor/EditorCamera.h"

#include <algorithm>
#include <cmath>

#include "gfx/Camera.h"
#include "input/ZubInput.h"

namespace editor_camera {

float clampDepth(float z) {
    if (std::isnan(z)) return -static_cast<float>(REFERENCE_WIDTH / 2);
    return std::clamp(z, FARTHEST, NEAREST);
}

bool follow(V3& eye, const V3& mouse, const ZubInput& in) {
    bool moved = false;
    const float wheel = in.mouseDeltaWheel;
    if (wheel != 0.0f) {
        // Half or double the distance within the limits; x and y go by the
        // ratio the distance actually changed, so that the point under the
        // pointer stays under it and a step at a limit moves nothing.
        const float z = clampDepth(eye.z * (wheel < 0.0f ? 0.5f : 2.0f));
        const float ratio = eye.z < 0.0f && std::isfinite(eye.z) ? z / eye.z : 1.0f;
        eye = V3(mouse.x + (eye.x - mouse.x) * ratio, mouse.y + (eye.y - mouse.y) * ratio, z);
        moved = true;
    }
    // The pan goes by the pointer's movement while the button is held: in
    // the frame it went down the pointer moved (if at all) to where it was
    // pressed, which is no pan.
    if (in.isMouseButtonDown(2) && !in.wasMouseButtonPressed(2)) {
        const float s = -eye.z / (static_cast<float>(REFERENCE_WIDTH) * 0.5f);
        eye = V3(eye.x - s * in.mouseDeltaX, eye.y - s * in.mouseDeltaY, clampDepth(eye.z - s * wheel));
        moved = true;
    }
    return moved;
}

}  // namespace editor_camera
