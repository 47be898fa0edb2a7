#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "util/Math.h"

namespace {

void expectNear(const V3& a, const V3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

void expectIdentity(const M44& m, float eps) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], i == j ? 1.0f : 0.0f, eps) << i << "," << j;
}

M44 sample() {
    return M44::scaling(2.0f, 0.5f, 3.0f) * M44::rotationX(0.3f) * M44::rotationY(-1.1f) * M44::rotationZ(2.0f) *
           M44::translation(10.0f, -20.0f, 5.0f);
}

}  // namespace

TEST(V3, Arithmetic) {
    const V3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(a + b, V3(5, -3, 9));
    EXPECT_EQ(a - b, V3(-3, 7, -3));
    EXPECT_EQ(-a, V3(-1, -2, -3));
    EXPECT_EQ(a * 2.0f, V3(2, 4, 6));
    EXPECT_EQ(2.0f * a, V3(2, 4, 6));
    EXPECT_EQ(b / 2.0f, V3(2, -2.5f, 3));
    V3 c = a;
    c += b;
    EXPECT_EQ(c, V3(5, -3, 9));
    c -= b;
    EXPECT_EQ(c, a);
    c *= -1.0f;
    EXPECT_EQ(c, -a);
    EXPECT_EQ(V3(), V3(0, 0, 0));
    EXPECT_FLOAT_EQ(a.dot(b), 4 - 10 + 18);
    EXPECT_FLOAT_EQ(V3::dot(a, b), 12.0f);
    // Right-hand rule on the components: x cross y = z.
    EXPECT_EQ(V3::cross(V3(1, 0, 0), V3(0, 1, 0)), V3(0, 0, 1));
    EXPECT_EQ(a.cross(b), V3(2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4));
    EXPECT_FLOAT_EQ(V3::dot(a.cross(b), a), 0.0f);
}

TEST(V3, LengthsAndNormalize) {
    const V3 v(3, 4, 12);
    EXPECT_FLOAT_EQ(v.lengthSquared(), 169.0f);
    EXPECT_FLOAT_EQ(v.length(), 13.0f);
    expectNear(v.normalized(), V3(3.0f / 13, 4.0f / 13, 12.0f / 13));
    V3 z;
    z.normalize();
    EXPECT_EQ(z, V3());
    EXPECT_EQ(V3().normalized(), V3());
    V3 w(0, -5, 0);
    w.normalize();
    EXPECT_EQ(w, V3(0, -1, 0));
}

TEST(V3, DistancesAndStrictWithin) {
    const V3 a(1, 1, 1), b(4, 5, 1);
    EXPECT_FLOAT_EQ(V3::distanceSquared(a, b), 25.0f);
    EXPECT_FLOAT_EQ(V3::distance(a, b), 5.0f);
    EXPECT_TRUE(V3::isWithinDistance(a, b, 5.001f));
    EXPECT_FALSE(V3::isWithinDistance(a, b, 5.0f));  // the boundary is outside
    EXPECT_FALSE(V3::isWithinDistance(a, a, 0.0f));
    EXPECT_TRUE(V3::isWithinDistance(a, a, 0.1f));
}

TEST(M44, RotationsFollowTheLeftHandedConvention) {
    const float a = 0.7f;
    expectNear(M44::rotationZ(a).transformCoord(V3(1, 0, 0)), V3(std::cos(a), std::sin(a), 0));
    expectNear(M44::rotationX(a).transformCoord(V3(0, 1, 0)), V3(0, std::cos(a), std::sin(a)));
    expectNear(M44::rotationY(a).transformCoord(V3(0, 0, 1)), V3(std::sin(a), 0, std::cos(a)));
    expectNear(M44::rotationZ(kPi / 2).transformCoord(V3(0, 1, 0)), V3(-1, 0, 0));
}

TEST(M44, ProductsApplyLeftToRight) {
    const M44 m = M44::scaling(2, 2, 2) * M44::translation(1, 0, 0);
    expectNear(m.transformCoord(V3(1, 1, 1)), V3(3, 2, 2));
    const M44 n = M44::translation(1, 0, 0) * M44::scaling(2, 2, 2);
    expectNear(n.transformCoord(V3(1, 1, 1)), V3(4, 2, 2));
    // Normals ignore translation.
    expectNear(n.transformNormal(V3(1, 1, 1)), V3(2, 2, 2));
    EXPECT_EQ(M44::identity() * sample(), sample());
    EXPECT_EQ(M44::translation(V3(1, 2, 3)), M44::translation(1, 2, 3));
}

TEST(M44, InverseTimesMatrixIsIdentity) {
    bool ok = false;
    const M44 m = sample();
    const M44 inv = M44::inverse(m, &ok);
    EXPECT_TRUE(ok);
    expectIdentity(inv * m, 1e-5f);
    expectIdentity(m * inv, 1e-4f);

    // A general matrix with a projective column.
    M44 g{{{2, 0, 1, 0.5f}, {1, 3, 0, 0}, {0, 1, 4, 1}, {5, -2, 1, 2}}};
    const M44 gi = M44::inverse(g, &ok);
    EXPECT_TRUE(ok);
    expectIdentity(gi * g, 1e-5f);

    const V3 p(3, -7, 11);
    expectNear(inv.transformCoord(m.transformCoord(p)), p, 1e-3f);
}

TEST(M44, SingularMatrixReportsFailure) {
    bool ok = true;
    M44 s = M44::scaling(1, 0, 1);
    EXPECT_EQ(M44::inverse(s, &ok), M44::identity());
    EXPECT_FALSE(ok);
    M44 zero{};
    ok = true;
    M44::inverse(zero, &ok);
    EXPECT_FALSE(ok);
    M44 bad = M44::identity();
    bad.m[1][1] = std::numeric_limits<float>::quiet_NaN();
    ok = true;
    M44::inverse(bad, &ok);
    EXPECT_FALSE(ok);
    M44::inverse(zero);  // no flag wanted
}

TEST(M44, LookAtPutsTheTargetOnThePositiveZAxis) {
    const V3 eye(10, 5, -20), at(10, 5, 30);
    const M44 view = M44::lookAtLH(eye, at, V3(0, 1, 0));
    expectNear(view.transformCoord(eye), V3(0, 0, 0));
    expectNear(view.transformCoord(at), V3(0, 0, 50));
    // Up stays up, and x is to the right in a left-handed view.
    expectNear(view.transformCoord(eye + V3(0, 1, 0)), V3(0, 1, 0));
    expectNear(view.transformCoord(eye + V3(1, 0, 0)), V3(1, 0, 0));

    // Looking along +x from the origin: world +x becomes view +z.
    const M44 side = M44::lookAtLH(V3(), V3(1, 0, 0), V3(0, 1, 0));
    expectNear(side.transformCoord(V3(5, 0, 0)), V3(0, 0, 5));
    expectNear(side.transformCoord(V3(0, 0, 1)), V3(-1, 0, 0));
}

TEST(M44, PerspectiveMapsNearAndFarPlanes) {
    const float fov = kPi / 3, aspect = 4.0f / 3.0f, zn = 1.0f, zf = 100.0f;
    const M44 p = M44::perspectiveFovLH(fov, aspect, zn, zf);
    expectNear(p.transformCoord(V3(0, 0, zn)), V3(0, 0, 0));
    expectNear(p.transformCoord(V3(0, 0, zf)), V3(0, 0, 1));
    // The top edge of the view at distance d is at y = d * tan(fov / 2).
    const float d = 10.0f;
    const float top = d * std::tan(fov / 2);
    EXPECT_NEAR(p.transformCoord(V3(0, top, d)).y, 1.0f, 1e-5f);
    EXPECT_NEAR(p.transformCoord(V3(top * aspect, 0, d)).x, 1.0f, 1e-5f);
    EXPECT_EQ(p.m[2][3], 1.0f);

    const M44 o = M44::orthoLH(800, 600, 0, 10);
    expectNear(o.transformCoord(V3(400, -300, 10)), V3(1, -1, 1));
    expectNear(o.transformCoord(V3(0, 0, 0)), V3(0, 0, 0));
}

TEST(Bezier, EndpointsAndShape) {
    const V3 p0(0, 0, 0), t0(10, 0, 0), p1(30, 30, 0), t1(0, 10, 0);
    EXPECT_EQ(bezierCubic(p0, t0, p1, t1, 0.0f), p0);
    EXPECT_EQ(bezierCubic(p0, t0, p1, t1, 1.0f), p1);
    const V3 q0(1.1f, -2.3f, 0.7f), q1(-5.9f, 3.3f, 8.1f), u0(0.3f, 0.1f, -0.2f), u1(7.7f, 2.2f, 1.0f);
    EXPECT_EQ(bezierCubic(q0, u0, q1, u1, 0.0f), q0);
    EXPECT_EQ(bezierCubic(q0, u0, q1, u1, 1.0f), q1);
    // Midpoint of the Bernstein form: (P0 + 3 C1 + 3 C2 + P1) / 8.
    const V3 c1 = p0 + t0, c2 = p1 - t1;
    expectNear(bezierCubic(p0, t0, p1, t1, 0.5f), (p0 + c1 * 3.0f + c2 * 3.0f + p1) / 8.0f);
    // Zero tangents make a straight line.
    expectNear(bezierCubic(V3(0, 0, 0), V3(), V3(10, 20, 30), V3(), 0.5f), V3(5, 10, 15));
}

TEST(LerpColor, EndpointsMidpointAndClamping) {
    const uint32_t a = 0xFF102030u, b = 0x80F0E0D0u;
    EXPECT_EQ(lerpColor(a, b, 0.0f), a);
    EXPECT_EQ(lerpColor(a, b, 1.0f), b);
    EXPECT_EQ(lerpColor(a, b, -3.0f), a);
    EXPECT_EQ(lerpColor(a, b, 7.0f), b);
    EXPECT_EQ(lerpColor(a, b, std::numeric_limits<float>::quiet_NaN()), a);
    // Each channel on its own, halfway: FF/80 -> BF.8, 10/F0 -> 80, 20/E0 -> 80, 30/D0 -> 80.
    EXPECT_EQ(lerpColor(a, b, 0.5f), 0xC0808080u);
    EXPECT_EQ(lerpColor(0xFFFFFFFFu, 0xFFFF0000u, 0.5f), 0xFFFF8080u);
    EXPECT_EQ(lerpColor(0x00000000u, 0xFFFFFFFFu, 0.25f), 0x40404040u);
    // Channels do not leak into each other.
    EXPECT_EQ(lerpColor(0x000000FFu, 0x0000FF00u, 0.5f) & 0xFFFF0000u, 0u);
}

TEST(AngleDifference, ShortestSignedTurn) {
    EXPECT_NEAR(angleDifference(0.1f, kTwoPi - 0.1f), -0.2f, 1e-5f);
    EXPECT_NEAR(angleDifference(kTwoPi - 0.1f, 0.1f), 0.2f, 1e-5f);
    EXPECT_NEAR(angleDifference(0.0f, 1.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(angleDifference(1.0f, 0.0f), -1.0f, 1e-6f);
    EXPECT_EQ(angleDifference(1.0f, 1.0f), 0.0f);
    EXPECT_NEAR(angleDifference(-0.5f, 0.5f), 1.0f, 1e-5f);
    EXPECT_NEAR(angleDifference(0.0f, 3 * kTwoPi + 0.25f), 0.25f, 1e-5f);
    // Exact half turns: smaller to larger reduced angle is -pi, the other way +pi.
    EXPECT_EQ(angleDifference(0.0f, kPi), -kPi);
    EXPECT_EQ(angleDifference(kPi, 0.0f), kPi);
    // Angles that cannot be reduced give no turn.
    EXPECT_EQ(angleDifference(std::numeric_limits<float>::infinity(), 0.0f), 0.0f);
    EXPECT_EQ(angleDifference(0.5f, std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(Lerp, LinearForms) {
    EXPECT_EQ(lerpLinear(2.0f, 6.0f, 0.25f), 3.0f);
    EXPECT_EQ(lerpLinear(2.0f, 6.0f, 2.0f), 10.0f);
    EXPECT_EQ(lerpClamped(2.0f, 6.0f, 2.0f), 6.0f);
    EXPECT_EQ(lerpClamped(2.0f, 6.0f, -1.0f), 2.0f);
    EXPECT_EQ(lerpClamped(2.0f, 6.0f, 0.5f), 4.0f);
    EXPECT_EQ(inverseLerp(2.0f, 6.0f, 5.0f), 0.75f);
    EXPECT_EQ(inverseLerp(2.0f, 6.0f, 10.0f), 2.0f);
    EXPECT_EQ(inverseLerp(3.0f, 3.0f, 10.0f), 0.0f);
    EXPECT_EQ(lerpMapped(0.0f, 100.0f, 10.0f, 20.0f, 15.0f), 50.0f);
    EXPECT_EQ(lerpMapped(0.0f, 100.0f, 10.0f, 20.0f, 30.0f), 200.0f);
    EXPECT_EQ(lerpMapped(7.0f, 100.0f, 10.0f, 10.0f, 30.0f), 7.0f);
    EXPECT_EQ(lerpMappedClamped(0.0f, 100.0f, 10.0f, 20.0f, 30.0f), 100.0f);
    EXPECT_EQ(lerpMappedClamped(0.0f, 100.0f, 10.0f, 20.0f, 0.0f), 0.0f);
    EXPECT_EQ(lerpMappedClamped(0.0f, 511.0f, -100.0f, 100.0f, 0.0f), 255.5f);
    EXPECT_EQ(lerpMappedClamped(7.0f, 100.0f, 10.0f, 10.0f, 30.0f), 7.0f);
    EXPECT_EQ(lerpEaseOut(0.0f, 10.0f, 0.0f), 0.0f);
    EXPECT_EQ(lerpEaseOut(0.0f, 10.0f, 1.0f), 10.0f);
    EXPECT_EQ(lerpEaseOut(0.0f, 10.0f, 0.5f), 7.5f);
    EXPECT_EQ(clampf(5.0f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(clampf(-5.0f, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(clampf(0.5f, 0.0f, 1.0f), 0.5f);
}

TEST(Lerp, AnglesTakeTheShorterArc) {
    // From 0.1 to 2pi - 0.1 the short way goes down through 0.
    const float r = lerpAngle(0.1f, kTwoPi - 0.1f, 0.5f);
    EXPECT_NEAR(std::fmod(r + kTwoPi, kTwoPi), 0.0f, 1e-5f);
    EXPECT_NEAR(lerpAngle(kTwoPi - 0.1f, 0.1f, 0.25f), kTwoPi - 0.05f - kTwoPi, 1e-5f);
    EXPECT_NEAR(lerpAngle(1.0f, 2.0f, 0.5f), 1.5f, 1e-6f);
    EXPECT_NEAR(lerpAngle(-1.0f, 1.0f, 0.5f), 0.0f, 1e-5f);
    EXPECT_NEAR(lerpAngle(1.0f, 2.0f, 0.0f), 1.0f, 1e-6f);
    // The signed form wraps into [-pi, pi].
    EXPECT_NEAR(lerpAngleSigned(-0.5f, -0.3f, 0.5f), -0.4f, 1e-5f);
    EXPECT_NEAR(lerpAngleSigned(kPi - 0.1f, -kPi + 0.1f, 0.5f), kPi, 1e-5f);
    EXPECT_NEAR(lerpAngleSigned(3.0f, 3.2f, 1.0f), 3.2f - kTwoPi, 1e-5f);
    for (float t = 0.0f; t <= 1.0f; t += 0.125f) {
        const float s = lerpAngleSigned(-3.0f, 3.0f, t);
        EXPECT_GE(s, -kPi);
        EXPECT_LE(s, kPi);
    }
}
