#include "anim/InterpolatedValue.h"

#include "anim/Easing.h"
#include "sys/ErrorManager.h"

namespace {
float advance(float progress, float rate, double dt, bool clamp) {
    float p = progress + static_cast<float>(static_cast<double>(rate) * dt);
    if (clamp) {
        if (!(p > 0.0f)) p = 0.0f;
        if (p > 1.0f) p = 1.0f;
    }
    return p;
}
}  // namespace

// ---------------------------------------------------------------------------
// InterpolatedValue

InterpolatedValue::InterpolatedValue(float v, float r, int c, int f)
    : value(v), start(v), target(v), progress(0.0f), rate(r), curve(c), flags(f) {
    if (!easing::isValidCurve(c)) ZUB_ERROR(u"Unknown interpolation type %d.", c);
}

float InterpolatedValue::interpolate(int c, float from, float to, float t) {
    const float e = easing::ease(c, t);
    if (e == 0.0f) return from;
    if (e == 1.0f) return to;
    return from + (to - from) * e;
}

void InterpolatedValue::tick(double, double dt) {
    progress = advance(progress, rate, dt, (flags & CLAMP) != 0);
    value = interpolate(curve, start, target, progress);
}

void InterpolatedValue::moveTo(float t, float r) {
    if (r > 0.0f) rate = r;
    start = value;
    target = (flags & ANGLE_WRAP) ? value + angleDifference(value, t) : t;
    progress = 0.0f;
}

void InterpolatedValue::retarget(float t) { target = (flags & ANGLE_WRAP) ? target + angleDifference(target, t) : t; }

void InterpolatedValue::setImmediate(float v) { value = start = target = v; }

// ---------------------------------------------------------------------------
// InterpolatedVector

InterpolatedVector::InterpolatedVector(const V3& v, float r, int c, int f)
    : value(v), start(v), target(v), progress(0.0f), rate(r), curve(c), flags(f) {
    if (!easing::isValidCurve(c)) ZUB_ERROR(u"Unknown interpolation type %d.", c);
}

void InterpolatedVector::tick(double, double dt) {
    progress = advance(progress, rate, dt, (flags & CLAMP) != 0);
    value = V3(InterpolatedValue::interpolate(curve, start.x, target.x, progress),
               InterpolatedValue::interpolate(curve, start.y, target.y, progress),
               InterpolatedValue::interpolate(curve, start.z, target.z, progress));
}

void InterpolatedVector::moveTo(const V3& t, float r) {
    if (r > 0.0f) rate = r;
    start = value;
    target = t;
    progress = 0.0f;
}

void InterpolatedVector::retarget(const V3& t) { target = t; }

void InterpolatedVector::setImmediate(const V3& v) { value = start = target = v; }
