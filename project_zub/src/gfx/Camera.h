#pragma once
// A camera looking along +z at the world. Its view is a 90-degree horizontal
// frustum: at depth z the visible half-width is z - eye.z, and the height is
// that times the aspect factor (height to width). With the eye at z = -W/2 the
// depth 0 shows exactly the reference screen's width in world units.
//
// A camera can shake: while shakeTime is below shakeDuration its tick
// advances shakeTime (kept within [0, shakeDuration]) and rolls the view
// about its axis by (shakeDuration - shakeTime) x shakeStrength x
// cos(32 x shakeTime) radians.
//
// A camera that is a child of a blending camera (ContextBlender) blends in:
// its tick advances `elapsed` while `blend` is below 1, with blend = elapsed /
// duration (1 when the duration is 0), eased by `blendCurve`; the blending
// camera counts `delay` down before the child starts.
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
    // The view rectangle at depth z, widened to hold the rolled view.
    ViewRect getCullRect(float z) const;

    // Reference-screen points (x from the left, y from the bottom) and world
    // points: the screen x and y scale by k = (wz - eye.z) / (W / 2) from the
    // view rectangle's left and bottom edges at the target depth.
    V3 worldToScreen(const V3& world) const;
    V3 screenToWorld(float sx, float sy, float wz) const;

    // Puts the eye at (x, y, z) looking straight ahead, with the target depth
    // 0, and destroys the camera's children (running camera motions).
    void resetAt(float x, float y, float z);

    // The state timer and the children, then the blend step and the shake.
    void tick(double time, double dt) override;
    // The blend step alone (see above).
    void advanceBlend(double dt);
    // The shake alone (see above).
    void advanceShake(double dt);
    // Starts a shake.
    void shake(double strength, double duration);

    // The view (eye at the origin, rolled) and the projection (90-degree
    // horizontal field, height by the aspect factor, depth 1 ... 100000
    // onto [0, 1]).
    M44 viewMatrix() const;
    M44 projectionMatrix() const;
    // Sets the device's view and projection for drawing.
    virtual void apply();

    V3 eye;
    V3 lookAt;
    float targetDepth = 0.0f;
    float aspect = static_cast<float>(REFERENCE_HEIGHT) / REFERENCE_WIDTH;
    float roll = 0.0f;  // radians about the view axis (camera shake)

    // Blending in (as a child of a blending camera).
    int blendCurve = 6;
    double duration = 1.0;
    double elapsed = 0.0;
    float blend = 0.0f;
    double delay = 0.0;

    // Shake.
    double shakeStrength = 0.0;
    double shakeDuration = 0.0;
    double shakeTime = 0.0;

    static constexpr float NEAR_DEPTH = 1.0f;
    static constexpr float FAR_DEPTH = 100000.0f;
};
