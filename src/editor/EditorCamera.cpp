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
    if (wheel < 0.0f) {
        eye = V3(eye.x + (mouse.x - eye.x) * 0.5f, eye.y + (mouse.y - eye.y) * 0.5f, clampDepth(eye.z * 0.5f));
        moved = true;
    } else if (wheel > 0.0f) {
        eye = V3(mouse.x - (mouse.x - eye.x) * 2.0f, mouse.y - (mouse.y - eye.y) * 2.0f, clampDepth(eye.z * 2.0f));
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
