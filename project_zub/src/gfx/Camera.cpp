#include "gfx/Camera.h"

#include <cmath>

#include "gfx/ZubGraphics.h"

ZUB_IMPLEMENT_NAMED_CLASS(Camera, ZubBase, u"Camera")

Camera::Camera() { resetAt(0.0f, 0.0f, -REFERENCE_WIDTH * 0.5f); }

void Camera::resetAt(float x, float y, float z) {
    eye = V3(x, y, z);
    lookAt = V3(x, y, 0.0f);
    targetDepth = 0.0f;
    roll = 0.0f;
    destroyChildren();
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

ViewRect Camera::getCullRect(float z) const {
    if (roll == 0.0f) return getViewRect(z);
    const float d = z - eye.z;
    const float hw = d, hh = aspect * d;
    const float c = std::fabs(std::cos(roll)), s = std::fabs(std::sin(roll));
    const float w2 = hw * c + hh * s, h2 = hw * s + hh * c;
    ViewRect r;
    r.left = eye.x - w2;
    r.right = eye.x + w2;
    r.top = eye.y + h2;
    r.bottom = eye.y - h2;
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

void Camera::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    advanceBlend(dt);
    advanceShake(dt);
}

void Camera::advanceBlend(double dt) {
    if (blend >= 1.0f) return;
    elapsed += dt;
    double b = duration > 0.0 ? elapsed / duration : 1.0;
    if (b < 0.0) b = 0.0;
    if (b > 1.0) b = 1.0;
    blend = static_cast<float>(b);
}

void Camera::advanceShake(double dt) {
    if (!(shakeTime < shakeDuration)) return;
    shakeTime += dt;
    if (shakeTime < 0.0) shakeTime = 0.0;
    if (shakeTime > shakeDuration) shakeTime = shakeDuration;
    roll = static_cast<float>((shakeDuration - shakeTime) * shakeStrength * std::cos(32.0 * shakeTime));
}

void Camera::shake(double strength, double d) {
    shakeStrength = strength;
    shakeDuration = d;
    shakeTime = 0.0;
}

M44 Camera::viewMatrix() const {
    M44 v = M44::translation(-eye.x, -eye.y, -eye.z);
    if (roll != 0.0f) v = v * M44::rotationZ(-roll);
    return v;
}

M44 Camera::projectionMatrix() const {
    const float a = aspect > 0.0f ? aspect : 0.75f;
    M44 p{};
    p.m[0][0] = 1.0f;  // half-width = depth: a 90-degree horizontal field
    p.m[1][1] = 1.0f / a;
    p.m[2][2] = FAR_DEPTH / (FAR_DEPTH - NEAR_DEPTH);
    p.m[2][3] = 1.0f;
    p.m[3][2] = -NEAR_DEPTH * FAR_DEPTH / (FAR_DEPTH - NEAR_DEPTH);
    return p;
}

void Camera::apply() {
    ZubGraphics* g = ZubGraphics::active();
    platform::RenderDevice* d = g ? g->device() : nullptr;
    if (!d) return;
    d->setTransform(platform::TransformSlot::View, viewMatrix());
    d->setTransform(platform::TransformSlot::Projection, projectionMatrix());
}
