#pragma once
// Easing curves: f(t) for t in [0, 1], each with f(0) = 0 and f(1) = 1
// exactly. Curves by number:
//   0  step: 0 until t reaches 1, then 1
//   1  linear: t
//   2  ease-in: t^2
//   3  ease-out: 1 - (1 - t)^2
//   4  ease-in-out (quadratic): 2t^2 below 1/2, 1 - 2(1 - t)^2 above
//   5  ease-in (cubic): t^3
//   6  sinusoidal: 0.5 - 0.5 cos(pi t)
//   7  ease-out (cubic): 1 - (1 - t)^3
//   8  smoothstep: t^2 (3 - 2t)
//   9  ease-in (sine): 1 - cos(pi t / 2)
//  10  ease-out (sine): sin(pi t / 2)
// Outside [0, 1] the formulas continue (an unclamped animation overshoots);
// an unknown curve number is a fatal error.
#include "util/Math.h"

namespace easing {

constexpr int CURVE_COUNT = 11;

enum Curve : int {
    STEP = 0,
    LINEAR = 1,
    EASE_IN = 2,
    EASE_OUT = 3,
    EASE_IN_OUT = 4,
    EASE_IN_CUBIC = 5,
    SINUSOIDAL = 6,
    EASE_OUT_CUBIC = 7,
    SMOOTHSTEP = 8,
    EASE_IN_SINE = 9,
    EASE_OUT_SINE = 10,
};

inline bool isValidCurve(int curve) { return curve >= 0 && curve < CURVE_COUNT; }

// f(t) of the curve.
float ease(int curve, float t);

}  // namespace easing

// The point between from and to at t along the curve; t is clamped to [0, 1]
// (NaN counts as 0). t = 0 gives from and t = 1 gives to exactly.
V3 interpolateEased(const V3& from, const V3& to, float t, int curve);
