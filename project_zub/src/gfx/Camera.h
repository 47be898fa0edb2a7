#pragma once
// A camera looking along +z at the world. Its view is a 90-degree horizontal
// frustum: at depth z the visible half-width is z - eye.z, and the height is
// that times the aspect factor (height to width). With the eye at z = -W/2 the
// depth 0 shows exactly the reference screen's width in world units.
#include "object/ZubBase.h"
#include "util/Math.h"

constexpr int REFERENCE_WIDTH = 1024;
constexpr int REFERENCE_HEIGHT = 768;

struct ViewRect {
    float left = 0, top = 0, right = 0, bottom = 0;
};

class Camera : public ZubBase {
    ZUB_DECLARE_CLASS(Camera)
public:
    Camera();

    // The visible rectangle at depth z.
    ViewRect getViewRect(float z) const;

    // Reference-screen points (x from the left, y from the bottom) and world
    // points: the screen x and y scale by k = (wz - eye.z) / (W / 2) from the
    // view rectangle's left and bottom edges at the target depth.
    V3 worldToScreen(const V3& world) const;
    V3 screenToWorld(float sx, float sy, float wz) const;

    // Puts the eye at (x, y, z) looking straight ahead, with the target depth 0.
    void resetAt(float x, float y, float z);

    // Sets the device's view and projection for drawing (the graphics layer).
    virtual void apply();

    V3 eye;
    V3 lookAt;
    float targetDepth = 0.0f;
    float aspect = static_cast<float>(REFERENCE_HEIGHT) / REFERENCE_WIDTH;
    float roll = 0.0f;  // radians about the view axis (camera shake)
};
