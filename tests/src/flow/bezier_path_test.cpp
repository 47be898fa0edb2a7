// The valley map's road: segments measured by their eight samples, their
// directions interpolated the short way round, and the path that finds a
// point and a direction by road length, clamped or looping.
#include <gtest/gtest.h>

#include <cmath>

#include "flow/BezierPathSimple.h"
#include "sys/ErrorManager.h"

namespace {

constexpr float PI = 3.1415927f;

// The angle of a direction brought into (-pi, pi].
float normalised(float a) { return std::atan2(std::sin(a), std::cos(a)); }

}  // namespace

TEST(BezierSegmentSimple, MeasuresThroughItsSamplesAndTurnsTheShortWay) {
    // Straight: tangents along the chord.
    BezierSegmentSimple straight(V3(0, 0, 0), V3(30, 40, 0), V3(300, 400, 0), V3(30, 40, 0));
    ASSERT_EQ(straight.angles.size(), 8u);
    const float chord = std::atan2(400.0f, 300.0f);
    for (float a : straight.angles) EXPECT_NEAR(a, chord, 1e-5f);
    EXPECT_NEAR(straight.length, 500.0f, 1e-3f);
    EXPECT_FLOAT_EQ(straight.getAngle(-1.0f), straight.getAngle(0.0f));
    EXPECT_FLOAT_EQ(straight.getAngle(1.0f), straight.angles.back());
    EXPECT_FLOAT_EQ(straight.getAngle(2.0f), straight.angles.back());

    // A zero end tangent: the last direction runs from the last sample into p1.
    BezierSegmentSimple bent(V3(0, 0, 0), V3(100, 0, 0), V3(100, 100, 0), V3(0, 0, 0));
    const V3 last = bent.pointAt(6.0f / 7.0f);
    EXPECT_NEAR(bent.angles.back(), std::atan2(100.0f - last.y, 100.0f - last.x), 1e-5f);
    // Its length is the polyline's, shorter than the control polygon's.
    float polyline = 0.0f;
    V3 previous = bent.p0;
    for (int i = 1; i < 7; ++i) {
        const V3 p = bent.pointAt(static_cast<float>(i) / 7.0f);
        polyline += (p - previous).length();
        previous = p;
    }
    polyline += (bent.p1 - previous).length();
    EXPECT_NEAR(bent.length, polyline, 1e-3f);

    // Directions either side of the half turn meet through pi, not through 0.
    BezierSegmentSimple back(V3(0, 0, 0), V3(-10, 1, 0), V3(-100, 0, 0), V3(-10, -1, 0));
    back.angles = {PI - 0.1f, -PI + 0.1f, -PI + 0.1f, -PI + 0.1f, -PI + 0.1f, -PI + 0.1f, -PI + 0.1f, -PI + 0.1f};
    const float middle = back.getAngle(0.5f / 7.0f);
    EXPECT_NEAR(std::fabs(normalised(middle)), PI, 1e-4f);
}

TEST(BezierPathSimple, FindsPointsByRoadLengthClampedOrLooping) {
    BezierPathSimple path;
    path.addPoint(V3(0, 0, 0), V3(10, 0, 0));
    EXPECT_EQ(path.segmentCount(), 0);
    EXPECT_EQ(path.totalLength, 0.0f);
    path.addPoint(V3(100, 0, 0), V3(10, 0, 0));
    path.addPoint(V3(200, 0, 0), V3(10, 0, 0));
    ASSERT_EQ(path.segmentCount(), 2);
    EXPECT_NEAR(path.totalLength, 200.0f, 1e-3f);

    V3 p;
    float angle = 1.0f;
    path.evaluateL(p, -50.0f, &angle);
    EXPECT_EQ(p, V3(0, 0, 0));
    EXPECT_NEAR(angle, 0.0f, 1e-6f);
    path.evaluateL(p, 500.0f);
    EXPECT_EQ(p, V3(200, 0, 0));
    float f = 0.0f;
    EXPECT_EQ(path.findSegment(150.0f, f), path.segments.lastChild);
    EXPECT_NEAR(f, 0.5f, 1e-4f);

    // Looping: past the end comes round to the start; a negative length
    // keeps its sign and lands before the first segment's start.
    V3 ten;
    path.evaluateL(ten, 10.0f);
    path.bLooping = 1;
    path.evaluateL(p, path.totalLength + 10.0f);
    EXPECT_NEAR(p.x, ten.x, 1e-3f);
    EXPECT_EQ(path.findSegment(-10.0f, f), path.segments.firstChild);
    EXPECT_LT(f, 0.0f);
}

TEST(BezierPathSimple, ALoopingRoadOfNoLengthStaysAtItsStart) {
    BezierPathSimple path;
    path.bLooping = 1;
    path.addPoint(V3(5, 5, 0), V3(0, 0, 0));
    path.addPoint(V3(5, 5, 0), V3(0, 0, 0));
    V3 p;
    path.evaluateL(p, 42.0f);
    EXPECT_EQ(p, V3(5, 5, 0));
    EXPECT_FALSE(std::isnan(p.x));
}

TEST(BezierPathSimpleDeathTest, AnEmptyRoadHasNoPoints) {
    ErrorManager::bTestMode = true;
    BezierPathSimple path;
    path.addPoint(V3(0, 0, 0), V3(1, 0, 0));
    V3 p;
    EXPECT_DEATH(path.evaluateL(p, 0.0f), "!segments.isEmpty\\(\\)");
}
