#include "util/Math.h"

#include <cmath>

float V3::length() const { return std::sqrt(lengthSquared()); }

void V3::normalize() {
    const float len = length();
    if (len > 0.0f) {
        x /= len;
        y /= len;
        z /= len;
    }
}

M44 M44::identity() {
    M44 r{};
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

M44 M44::translation(float x, float y, float z) {
    M44 r = identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

M44 M44::scaling(float x, float y, float z) {
    M44 r{};
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    r.m[3][3] = 1.0f;
    return r;
}

M44 M44::rotationX(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    M44 r = identity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

M44 M44::rotationY(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    M44 r = identity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

M44 M44::rotationZ(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    M44 r = identity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

M44 operator*(const M44& a, const M44& b) {
    M44 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

bool M44::operator==(const M44& o) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != o.m[i][j]) return false;
    return true;
}

M44 M44::inverse(const M44& a, bool* ok) {
    // Cofactor expansion through the 2x2 minors of the upper and lower halves.
    const float(&x)[4][4] = a.m;
    const float s0 = x[0][0] * x[1][1] - x[1][0] * x[0][1];
    const float s1 = x[0][0] * x[1][2] - x[1][0] * x[0][2];
    const float s2 = x[0][0] * x[1][3] - x[1][0] * x[0][3];
    const float s3 = x[0][1] * x[1][2] - x[1][1] * x[0][2];
    const float s4 = x[0][1] * x[1][3] - x[1][1] * x[0][3];
    const float s5 = x[0][2] * x[1][3] - x[1][2] * x[0][3];
    const float c5 = x[2][2] * x[3][3] - x[3][2] * x[2][3];
    const float c4 = x[2][1] * x[3][3] - x[3][1] * x[2][3];
    const float c3 = x[2][1] * x[3][2] - x[3][1] * x[2][2];
    const float c2 = x[2][0] * x[3][3] - x[3][0] * x[2][3];
    const float c1 = x[2][0] * x[3][2] - x[3][0] * x[2][2];
    const float c0 = x[2][0] * x[3][1] - x[3][0] * x[2][1];
    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0f || !std::isfinite(det)) {
        if (ok) *ok = false;
        return identity();
    }
    const float inv = 1.0f / det;
    M44 r;
    r.m[0][0] = (x[1][1] * c5 - x[1][2] * c4 + x[1][3] * c3) * inv;
    r.m[0][1] = (-x[0][1] * c5 + x[0][2] * c4 - x[0][3] * c3) * inv;
    r.m[0][2] = (x[3][1] * s5 - x[3][2] * s4 + x[3][3] * s3) * inv;
    r.m[0][3] = (-x[2][1] * s5 + x[2][2] * s4 - x[2][3] * s3) * inv;
    r.m[1][0] = (-x[1][0] * c5 + x[1][2] * c2 - x[1][3] * c1) * inv;
    r.m[1][1] = (x[0][0] * c5 - x[0][2] * c2 + x[0][3] * c1) * inv;
    r.m[1][2] = (-x[3][0] * s5 + x[3][2] * s2 - x[3][3] * s1) * inv;
    r.m[1][3] = (x[2][0] * s5 - x[2][2] * s2 + x[2][3] * s1) * inv;
    r.m[2][0] = (x[1][0] * c4 - x[1][1] * c2 + x[1][3] * c0) * inv;
    r.m[2][1] = (-x[0][0] * c4 + x[0][1] * c2 - x[0][3] * c0) * inv;
    r.m[2][2] = (x[3][0] * s4 - x[3][1] * s2 + x[3][3] * s0) * inv;
    r.m[2][3] = (-x[2][0] * s4 + x[2][1] * s2 - x[2][3] * s0) * inv;
    r.m[3][0] = (-x[1][0] * c3 + x[1][1] * c1 - x[1][2] * c0) * inv;
    r.m[3][1] = (x[0][0] * c3 - x[0][1] * c1 + x[0][2] * c0) * inv;
    r.m[3][2] = (-x[3][0] * s3 + x[3][1] * s1 - x[3][2] * s0) * inv;
    r.m[3][3] = (x[2][0] * s3 - x[2][1] * s1 + x[2][2] * s0) * inv;
    if (ok) *ok = true;
    return r;
}

M44 M44::perspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    M44 r{};
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zn * zf / (zf - zn);
    return r;
}

M44 M44::orthoLH(float width, float height, float zn, float zf) {
    M44 r{};
    r.m[0][0] = 2.0f / width;
    r.m[1][1] = 2.0f / height;
    r.m[2][2] = 1.0f / (zf - zn);
    r.m[3][2] = zn / (zn - zf);
    r.m[3][3] = 1.0f;
    return r;
}

M44 M44::lookAtLH(const V3& eye, const V3& at, const V3& up) {
    const V3 zAxis = (at - eye).normalized();
    const V3 xAxis = up.cross(zAxis).normalized();
    const V3 yAxis = zAxis.cross(xAxis);
    M44 r{};
    r.m[0][0] = xAxis.x;
    r.m[1][0] = xAxis.y;
    r.m[2][0] = xAxis.z;
    r.m[0][1] = yAxis.x;
    r.m[1][1] = yAxis.y;
    r.m[2][1] = yAxis.z;
    r.m[0][2] = zAxis.x;
    r.m[1][2] = zAxis.y;
    r.m[2][2] = zAxis.z;
    r.m[3][0] = -xAxis.dot(eye);
    r.m[3][1] = -yAxis.dot(eye);
    r.m[3][2] = -zAxis.dot(eye);
    r.m[3][3] = 1.0f;
    return r;
}

V3 M44::transformCoord(const V3& v) const {
    const float rx = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0];
    const float ry = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1];
    const float rz = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2];
    const float rw = v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + m[3][3];
    if (rw == 0.0f) return V3(rx, ry, rz);
    return V3(rx / rw, ry / rw, rz / rw);
}

V3 M44::transformNormal(const V3& v) const {
    return V3(v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
              v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]);
}

namespace {

// (1 - t) * a + t * b: exact at both ends.
V3 mix(const V3& a, const V3& b, float t) { return a * (1.0f - t) + b * t; }

// Wraps into [0, 2 pi).
float wrapPositive(float a) {
    float r = std::fmod(a, kTwoPi);
    if (r < 0.0f) r += kTwoPi;
    return r;
}

}  // namespace

V3 bezierCubic(const V3& p0, const V3& t0, const V3& p1, const V3& t1, float t) {
    const V3 c1 = p0 + t0;
    const V3 c2 = p1 - t1;
    const V3 a = mix(p0, c1, t);
    const V3 b = mix(c1, c2, t);
    const V3 c = mix(c2, p1, t);
    const V3 d = mix(a, b, t);
    const V3 e = mix(b, c, t);
    return mix(d, e, t);
}

uint32_t lerpColor(uint32_t a, uint32_t b, float t) {
    if (!(t > 0.0f)) return a;
    if (t >= 1.0f) return b;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float ca = static_cast<float>((a >> shift) & 0xFF);
        const float cb = static_cast<float>((b >> shift) & 0xFF);
        float v = std::floor(ca + (cb - ca) * t + 0.5f);
        v = clampf(v, 0.0f, 255.0f);
        result |= static_cast<uint32_t>(v) << shift;
    }
    return result;
}

float angleDifference(float a, float b) {
    const float ra = wrapPositive(a);
    const float rb = wrapPositive(b);
    const float d = rb - ra;
    if (d > 0.0f) return d < kPi ? d : d - kTwoPi;
    if (d < 0.0f) return -d < kPi ? d : d + kTwoPi;
    return 0.0f;
}

float lerpClamped(float a, float b, float t) { return a + (b - a) * clampf(t, 0.0f, 1.0f); }

float inverseLerp(float a, float b, float x) {
    if (a == b) return 0.0f;
    return (x - a) / (b - a);
}

float lerpMapped(float a, float b, float x0, float x1, float x) {
    const float f = x0 == x1 ? 0.0f : (x - x0) / (x1 - x0);
    return a + (b - a) * f;
}

float lerpMappedClamped(float a, float b, float x0, float x1, float x) {
    const float f = x0 == x1 ? 0.0f : (x - x0) / (x1 - x0);
    return a + (b - a) * clampf(f, 0.0f, 1.0f);
}

float lerpAngle(float a, float b, float t) {
    a = wrapPositive(a);
    b = wrapPositive(b);
    if (b - a > kPi) {
        a += kTwoPi;
    } else if (a - b > kPi) {
        a -= kTwoPi;
    }
    return a + (b - a) * t;
}

float lerpAngleSigned(float a, float b, float t) {
    float r = lerpAngle(a, b, t);
    if (r < -kPi) {
        r += kTwoPi;
    } else if (r > kPi) {
        r -= kTwoPi;
    }
    return r;
}

float lerpEaseOut(float a, float b, float t) {
    const float u = 1.0f - t;
    return a + (b - a) * (1.0f - u * u);
}
