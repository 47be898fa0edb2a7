#include "anim/Easing.h"

#include <cmath>

#include "sys/ErrorManager.h"

namespace easing {

float ease(int curve, float t) {
    if (!isValidCurve(curve)) ZUB_ERROR(u"Unknown interpolation type %d.", curve);
    // Exact ends for every curve.
    if (t == 0.0f) return 0.0f;
    if (t == 1.0f) return 1.0f;
    switch (curve) {
        case STEP:
            return t < 1.0f ? 0.0f : 1.0f;
        case LINEAR:
            return t;
        case EASE_IN:
            return t * t;
        case EASE_OUT: {
            const float u = 1.0f - t;
            return 1.0f - u * u;
        }
        case EASE_IN_OUT: {
            if (t < 0.5f) return 2.0f * t * t;
            const float u = 1.0f - t;
            return 1.0f - 2.0f * u * u;
        }
        case EASE_IN_CUBIC:
            return t * t * t;
        case SINUSOIDAL:
            return 0.5f - 0.5f * std::cos(kPi * t);
        case EASE_OUT_CUBIC: {
            const float u = 1.0f - t;
            return 1.0f - u * u * u;
        }
        case SMOOTHSTEP:
            return t * t * (3.0f - 2.0f * t);
        case EASE_IN_SINE:
            return 1.0f - std::cos(kPi * 0.5f * t);
        case EASE_OUT_SINE:
            return std::sin(kPi * 0.5f * t);
        default:
            break;
    }
    return t;
}

}  // namespace easing

V3 interpolateEased(const V3& from, const V3& to, float t, int curve) {
    if (!(t > 0.0f)) t = 0.0f;  // also NaN
    if (t > 1.0f) t = 1.0f;
    const float e = easing::ease(curve, t);
    if (e == 0.0f) return from;
    if (e == 1.0f) return to;
    return V3(from.x + (to.x - from.x) * e, from.y + (to.y - from.y) * e, from.z + (to.z - from.z) * e);
}
