#include "flow/BezierSegmentSimple.h"

#include <algorithm>
#include <cmath>

#include "engine/Zub.h"
#include "gfx/ImmediateDraw.h"
#include "gfx/Skin.h"
#include "gfx/VertexBuffer.h"

namespace {

constexpr float TWO_PI = 6.2831855f;

// An angle in [0, 2 pi).
float wrapAngle(float a) {
    a = std::fmod(a, TWO_PI);
    return a < 0.0f ? a + TWO_PI : a;
}

}  // namespace

BezierSegmentSimple::BezierSegmentSimple(const V3& a, const V3& ta, const V3& b, const V3& tb)
    : p0(a), t0(ta), p1(b), t1(tb) {
    sample();
}

BezierSegmentSimple::~BezierSegmentSimple() = default;

V3 BezierSegmentSimple::pointAt(float t) const { return bezierCubic(p0, t0, p1, t1, t); }

void BezierSegmentSimple::sample() {
    angles.clear();
    length = 0.0f;
    constexpr int32_t n = SAMPLES;
    V3 previous = p0;
    for (int32_t i = 0; i + 1 < n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n - 1);
        const V3 p = pointAt(t);
        const V3 q = pointAt(t + DIRECTION_STEP);
        angles.push_back(std::atan2(q.y - p.y, q.x - p.x));
        length += (p - previous).length();
        previous = p;
    }
    // The last direction: the end tangent, or without one the way the last
    // stretch runs into p1.
    if (t1.x == 0.0f && t1.y == 0.0f && t1.z == 0.0f)
        angles.push_back(std::atan2(p1.y - previous.y, p1.x - previous.x));
    else angles.push_back(std::atan2(t1.y, t1.x));
    length += (p1 - previous).length();
}

float BezierSegmentSimple::getAngle(float t) const {
    if (angles.empty()) return 0.0f;
    const int32_t n = static_cast<int32_t>(angles.size());
    t = std::clamp(t, 0.0f, 1.0f);
    const float s = static_cast<float>(n - 1) * t;
    const int32_t i = static_cast<int32_t>(s);
    if (i >= n - 1) return angles.back();
    float a = wrapAngle(angles[static_cast<size_t>(i)]);
    float b = wrapAngle(angles[static_cast<size_t>(i) + 1]);
    if (std::fabs(a - b) > kPi) {
        if (a < b) a += TWO_PI;
        else b += TWO_PI;
    }
    const float f = s - static_cast<float>(i);
    return a + (b - a) * f;
}

void BezierSegmentSimple::render() {
    constexpr int STRIP = 32;
    VertexBuffer strip(STRIP);
    for (int i = 0; i < STRIP; ++i) {
        const V3 p = pointAt(static_cast<float>(i) / static_cast<float>(STRIP - 1));
        strip.set(i, p.x, p.y, p.z, 0xFFFFFFFFu, 0.0f, 0.0f);
    }
    strip.upload();
    Skin::applyCarrier(nullptr);
    strip.draw(nullptr, VertexBuffer::LINE_STRIP);
    const double clock = ZUB ? ZUB->currentTime : 0.0;
    const float t = static_cast<float>(clock * 0.125 - std::floor(clock * 0.125));
    const V3 at = pointAt(t);
    const float a = getAngle(t);
    drawLine(at, at + V3(std::cos(a), std::sin(a), 0.0f) * 16.0f, 0xFFFFFF00u, 0xFFFF0000u);
}
