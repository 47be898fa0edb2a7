#pragma once
// Animated values: a float (InterpolatedValue) or a vector
// (InterpolatedVector) that moves from a start to a target along an easing
// curve (anim/Easing.h) as its progress runs from 0 to 1 at `rate` per
// second.
//
// Flags: CLAMP keeps the progress within [0, 1] (without it the progress runs
// on and the curve overshoots); ANGLE_WRAP (float only) treats the value as an
// angle: a new target is taken within pi of the old one (moveTo: of the
// current value), so the value turns the short way.
#include "util/Math.h"

class InterpolatedValue {
public:
    enum Flags : int { CLAMP = 0x1, ANGLE_WRAP = 0x100 };

    InterpolatedValue() = default;
    InterpolatedValue(float value, float rate, int curve = 1, int flags = CLAMP);

    // progress += rate x dt (clamped with CLAMP), then value = the curve
    // between start and target at the progress.
    void tick(double time, double dt);
    // Starts a move from the current value to the target with progress 0; a
    // rate above 0 replaces the stored one.
    void moveTo(float target, float rate = 0.0f);
    // Changes the target without restarting (start and progress stay).
    void retarget(float target);
    // Value, start and target become v (the progress stays).
    void setImmediate(float v);

    float get() const { return value; }
    bool isDone() const { return progress >= 1.0f; }

    // from + (to - from) x curve(t); t = 0 gives from and 1 gives to exactly.
    // An unknown curve is fatal.
    static float interpolate(int curve, float from, float to, float t);

    float value = 0.0f;
    float start = 0.0f;
    float target = 0.0f;
    float progress = 0.0f;
    float rate = 1.0f;
    int curve = 1;
    int flags = CLAMP;
};

class InterpolatedVector {
public:
    enum Flags : int { CLAMP = 0x1 };

    InterpolatedVector() = default;
    InterpolatedVector(const V3& value, float rate, int curve = 1, int flags = CLAMP);

    void tick(double time, double dt);
    void moveTo(const V3& target, float rate = 0.0f);
    void retarget(const V3& target);
    void setImmediate(const V3& v);

    const V3& get() const { return value; }
    bool isDone() const { return progress >= 1.0f; }

    V3 value;
    V3 start;
    V3 target;
    float progress = 0.0f;
    float rate = 1.0f;
    int curve = 1;
    int flags = CLAMP;
};
