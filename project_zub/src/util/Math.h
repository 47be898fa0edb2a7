#pragma once
// Vector, matrix and interpolation maths, all in single precision.
//
// Matrices use the row-vector convention: a point is transformed as
// point * matrix, translation sits in row 3, and products apply left to right
// (a * b applies a first). Rotations are left-handed: rotationZ(a) turns
// (1, 0, 0) into (cos a, sin a, 0).
#include <cstdint>

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

struct V3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr V3() = default;
    constexpr V3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    V3 operator+(const V3& o) const { return V3(x + o.x, y + o.y, z + o.z); }
    V3 operator-(const V3& o) const { return V3(x - o.x, y - o.y, z - o.z); }
    V3 operator-() const { return V3(-x, -y, -z); }
    V3 operator*(float s) const { return V3(x * s, y * s, z * s); }
    V3 operator/(float s) const { return V3(x / s, y / s, z / s); }
    V3& operator+=(const V3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    V3& operator-=(const V3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    V3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    bool operator==(const V3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const V3& o) const { return !(*this == o); }

    float dot(const V3& o) const { return x * o.x + y * o.y + z * o.z; }
    V3 cross(const V3& o) const { return V3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x); }
    static float dot(const V3& a, const V3& b) { return a.dot(b); }
    static V3 cross(const V3& a, const V3& b) { return a.cross(b); }

    float lengthSquared() const { return x * x + y * y + z * z; }
    float length() const;
    // Scales to length 1 in place; a zero vector stays zero.
    void normalize();
    V3 normalized() const {
        V3 v = *this;
        v.normalize();
        return v;
    }

    static float distanceSquared(const V3& a, const V3& b) { return (a - b).lengthSquared(); }
    static float distance(const V3& a, const V3& b) { return (a - b).length(); }
    // True when the squared distance is strictly less than r * r.
    static bool isWithinDistance(const V3& a, const V3& b, float r) { return distanceSquared(a, b) < r * r; }
};

inline V3 operator*(float s, const V3& v) { return v * s; }

struct M44 {
    float m[4][4];

    static M44 identity();
    static M44 translation(float x, float y, float z);
    static M44 translation(const V3& v) { return translation(v.x, v.y, v.z); }
    static M44 scaling(float x, float y, float z);
    static M44 rotationX(float angle);
    static M44 rotationY(float angle);
    static M44 rotationZ(float angle);
    // General inverse. A singular (or non-finite) matrix gives identity and
    // *ok = false.
    static M44 inverse(const M44& a, bool* ok = nullptr);
    // Left-handed projection onto z in [0, 1]: fovY in radians, aspect = w / h.
    static M44 perspectiveFovLH(float fovY, float aspect, float zn, float zf);
    static M44 orthoLH(float width, float height, float zn, float zf);
    // Left-handed view matrix: the eye looks along at - eye, up is roughly +y.
    static M44 lookAtLH(const V3& eye, const V3& at, const V3& up);

    // (v, 1) * m, divided by the resulting w (unless w is 0).
    V3 transformCoord(const V3& v) const;
    // (v, 0) * m: direction only, no translation.
    V3 transformNormal(const V3& v) const;

    bool operator==(const M44& o) const;
};

M44 operator*(const M44& a, const M44& b);

// The cubic Bezier through p0 and p1 with control points p0 + t0 and p1 - t1,
// at t in [0, 1], by repeated linear interpolation. t = 0 gives p0 and t = 1
// gives p1 exactly.
V3 bezierCubic(const V3& p0, const V3& t0, const V3& p1, const V3& t1, float t);

// Per-channel blend of two ARGB colours; t is clamped to [0, 1] (NaN counts as
// 0) and channels are rounded to nearest.
uint32_t lerpColor(uint32_t a, uint32_t b, float t);

// The signed shortest turn from angle a to angle b (radians), in [-pi, pi].
// An exact half turn is -pi when b's reduced angle is the larger one, else +pi.
// A NaN or infinite angle gives 0.
float angleDifference(float a, float b);

// Clamps v to [lo, hi]; NaN stays NaN.
inline float clampf(float v, float lo, float hi) { return v < lo ? lo : v > hi ? hi : v; }

inline float lerpLinear(float a, float b, float t) { return a + (b - a) * t; }
float lerpClamped(float a, float b, float t);
// (x - a) / (b - a); 0 when a == b.
float inverseLerp(float a, float b, float x);
// Maps x from [x0, x1] onto [a, b] without clamping; x0 == x1 counts as x0.
float lerpMapped(float a, float b, float x0, float x1, float x);
float lerpMappedClamped(float a, float b, float x0, float x1, float x);
// Interpolates along the shorter arc; the result is not wrapped.
float lerpAngle(float a, float b, float t);
// lerpAngle wrapped into [-pi, pi].
float lerpAngleSigned(float a, float b, float t);
// a + (b - a) * (1 - (1 - t)^2).
float lerpEaseOut(float a, float b, float t);
