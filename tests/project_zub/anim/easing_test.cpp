// Easing curves and animated values.
#include "anim/Easing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "anim/InterpolatedValue.h"
#include "sys/ErrorManager.h"

namespace {

TEST(Easing, EveryCurveIsExactAtZeroAndOne) {
    for (int c = 0; c < easing::CURVE_COUNT; ++c) {
        EXPECT_EQ(easing::ease(c, 0.0f), 0.0f) << "curve " << c;
        EXPECT_EQ(easing::ease(c, 1.0f), 1.0f) << "curve " << c;
        // Monotone on the way.
        float last = 0.0f;
        for (int i = 1; i <= 100; ++i) {
            const float v = easing::ease(c, static_cast<float>(i) / 100.0f);
            EXPECT_GE(v, last - 1e-6f) << "curve " << c << " at " << i;
            EXPECT_LE(v, 1.0f + 1e-6f);
            last = v;
        }
    }
}

TEST(Easing, NamedCurves) {
    EXPECT_FLOAT_EQ(easing::ease(1, 0.3f), 0.3f);
    EXPECT_FLOAT_EQ(easing::ease(2, 0.5f), 0.25f);
    EXPECT_FLOAT_EQ(easing::ease(3, 0.5f), 0.75f);  // ease-out
    EXPECT_FLOAT_EQ(easing::ease(6, 0.5f), 0.5f);   // sinusoidal
    EXPECT_NEAR(easing::ease(6, 0.25f), 0.5f - 0.5f * std::cos(kPi * 0.25f), 1e-6);
    EXPECT_FLOAT_EQ(easing::ease(8, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(easing::ease(0, 0.99f), 0.0f);
}

TEST(EasingDeathTest, AnUnknownCurveIsFatal) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            easing::ease(11, 0.5f);
        },
        ::testing::ExitedWithCode(255), "Unknown interpolation type 11");
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            InterpolatedValue::interpolate(-1, 0, 1, 0);
        },
        ::testing::ExitedWithCode(255), "Unknown interpolation type -1");
}

TEST(Easing, InterpolateEasedClampsT) {
    const V3 a(0, 10, 20), b(100, 110, 120);
    EXPECT_EQ(interpolateEased(a, b, -1.0f, 1), a);
    EXPECT_EQ(interpolateEased(a, b, 2.0f, 1), b);
    EXPECT_EQ(interpolateEased(a, b, NAN, 1), a);
    EXPECT_EQ(interpolateEased(a, b, 1.0f, 6), b);
    const V3 m = interpolateEased(a, b, 0.5f, 3);
    EXPECT_FLOAT_EQ(m.x, 75);
    EXPECT_FLOAT_EQ(m.z, 95);
}

TEST(InterpolatedValue, MovesAtItsRateClampedOrNot) {
    InterpolatedValue v(0.0f, 4.0f, 1, InterpolatedValue::CLAMP);
    v.moveTo(1.0f);
    v.tick(0, 0.125);
    EXPECT_FLOAT_EQ(v.progress, 0.5f);
    EXPECT_FLOAT_EQ(v.value, 0.5f);
    v.tick(0, 1.0);
    EXPECT_EQ(v.progress, 1.0f);  // clamped
    EXPECT_EQ(v.value, 1.0f);
    EXPECT_TRUE(v.isDone());
    // A new rate with the move; 0 keeps the stored one.
    v.moveTo(3.0f, 2.0f);
    EXPECT_FLOAT_EQ(v.rate, 2.0f);
    EXPECT_EQ(v.start, 1.0f);
    EXPECT_EQ(v.progress, 0.0f);
    v.moveTo(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(v.rate, 2.0f);
    v.moveTo(0.0f, -1.0f);
    EXPECT_FLOAT_EQ(v.rate, 2.0f);
    // Without the clamp the progress runs on.
    InterpolatedValue free(0.0f, 1.0f, 1, 0);
    free.moveTo(10.0f);
    free.tick(0, 1.5);
    EXPECT_FLOAT_EQ(free.progress, 1.5f);
    EXPECT_FLOAT_EQ(free.value, 15.0f);
}

TEST(InterpolatedValue, ExactTargetAtTheEnd) {
    // 0.1 + (0.7 - 0.1) x 1 is not 0.7 in floats; the end must be.
    InterpolatedValue v(0.1f, 1.0f, 3, InterpolatedValue::CLAMP);
    v.moveTo(0.7f);
    v.tick(0, 2.0);
    EXPECT_EQ(v.value, 0.7f);
    // The looping frame driver of curve 8 restarts at exactly 1.
    InterpolatedValue crawl(0.0f, 4.0f, 8, InterpolatedValue::CLAMP);
    crawl.moveTo(1.0f);
    for (int i = 0; i < 30; ++i) crawl.tick(0, 0.01);
    EXPECT_EQ(crawl.progress, 1.0f);
    EXPECT_EQ(crawl.value, 1.0f);
}

TEST(InterpolatedValue, RetargetKeepsStartAndProgress) {
    InterpolatedValue v(0.0f, 2.0f, 1, InterpolatedValue::CLAMP);
    v.moveTo(10.0f);
    v.tick(0, 0.25);
    EXPECT_FLOAT_EQ(v.value, 5.0f);
    v.retarget(20.0f);
    EXPECT_FLOAT_EQ(v.progress, 0.5f);
    EXPECT_FLOAT_EQ(v.start, 0.0f);
    v.tick(0, 0.0);
    EXPECT_FLOAT_EQ(v.value, 10.0f);
}

TEST(InterpolatedValue, AngleWrapping) {
    const int flags = InterpolatedValue::CLAMP | InterpolatedValue::ANGLE_WRAP;  // 257
    InterpolatedValue a(3.0f, 4.0f, 1, flags);
    a.retarget(-3.0f);  // within pi of 3: 2 pi - 3 + ... = 3.2832
    EXPECT_NEAR(a.target, -3.0f + kTwoPi, 1e-5);
    a.retarget(3.0f - kTwoPi * 2);
    EXPECT_NEAR(a.target, 3.0f, 1e-4);
    // moveTo turns the short way from the current value.
    InterpolatedValue b(0.1f, 1.0f, 1, flags);
    b.moveTo(kTwoPi - 0.1f);
    EXPECT_NEAR(b.target, -0.1f, 1e-5);
    b.tick(0, 0.5);
    EXPECT_NEAR(b.value, 0.0f, 1e-5);
    // Without the flag the long way.
    InterpolatedValue c(0.1f, 1.0f, 1, InterpolatedValue::CLAMP);
    c.moveTo(kTwoPi - 0.1f);
    EXPECT_FLOAT_EQ(c.target, kTwoPi - 0.1f);
}

TEST(InterpolatedValue, SetImmediate) {
    InterpolatedValue v(0.0f, 1.0f, 6, InterpolatedValue::CLAMP);
    v.moveTo(5.0f);
    v.tick(0, 0.3);
    v.setImmediate(2.0f);
    EXPECT_EQ(v.value, 2.0f);
    EXPECT_EQ(v.start, 2.0f);
    EXPECT_EQ(v.target, 2.0f);
    v.tick(0, 0.3);
    EXPECT_EQ(v.value, 2.0f);
}

TEST(InterpolatedVector, MovesAllThreeAxes) {
    InterpolatedVector v(V3(0, 0, 0), 4.0f, 3, InterpolatedVector::CLAMP);
    v.moveTo(V3(10, 20, 30));
    v.tick(0, 0.125);
    EXPECT_FLOAT_EQ(v.value.x, 7.5f);
    EXPECT_FLOAT_EQ(v.value.y, 15.0f);
    v.retarget(V3(100, 100, 100));
    v.tick(0, 1.0);
    EXPECT_EQ(v.value, V3(100, 100, 100));
    v.setImmediate(V3(1, 2, 3));
    EXPECT_EQ(v.get(), V3(1, 2, 3));
    EXPECT_EQ(v.start, V3(1, 2, 3));
}

}  // namespace
