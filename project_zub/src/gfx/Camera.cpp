#include "gfx/Camera.h"

ZUB_IMPLEMENT_NAMED_CLASS(Camera, ZubBase, u"Camera")

Camera::Camera() { resetAt(0.0f, 0.0f, -REFERENCE_WIDTH * 0.5f); }

void Camera::resetAt(float x, float y, float z) {
    eye = V3(x, y, z);
    lookAt = V3(x, y, 0.0f);
    targetDepth = 0.0f;
    roll = 0.0f;
}

ViewRect Camera::getViewRect(float z) const {
    const float d = z - eye.z;
    ViewRect r;
    r.left = eye.x - d;
    r.right = eye.x + d;
    r.top = eye.y + aspect * d;
    r.bottom = eye.y - aspect * d;
    return r;
}

V3 Camera::worldToScreen(const V3& w) const {
    const ViewRect r = getViewRect(targetDepth);
    const float k = (w.z - eye.z) / (REFERENCE_WIDTH * 0.5f);
    if (k == 0.0f) return V3(0.0f, 0.0f, w.z);
    return V3((w.x - r.left) / k, (w.y - r.bottom) / k, w.z);
}

V3 Camera::screenToWorld(float sx, float sy, float wz) const {
    const ViewRect r = getViewRect(targetDepth);
    const float k = (wz - eye.z) / (REFERENCE_WIDTH * 0.5f);
    return V3(r.left + sx * k, r.bottom + sy * k, wz);
}

void Camera::apply() {}
