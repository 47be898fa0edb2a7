// Bezier paths: building, arc length, evaluation by distance, loops, adding
// and removing points, the editor keys.
#include <gtest/gtest.h>

#include <cmath>

#include "world/BezierPath.h"
#include "world/BezierSegment.h"
#include "world/BezierVertex.h"
#include "world_test_support.h"

using namespace input_codes;
using worldtest::TestWorld;

namespace {
class BezierTest : public ::testing::Test {
protected:
    BezierPath* path(std::initializer_list<V3> points, bool loop = false) {
        BezierPath* p = world.place<BezierPath>();
        for (const V3& v : points) p->addPoint(v.x, v.y, v.z);
        if (loop) p->closeLoop();
        world.drain();
        return p;
    }
    TestWorld world;
};

void expectNear(const V3& a, const V3& b, float tol = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
}  // namespace

TEST_F(BezierTest, TwoPointsMakeAStraightSegment) {
    BezierPath* p = path({{0, 0, 0}, {100, 0, 0}});
    ASSERT_EQ(p->segmentCount(), 1);
    EXPECT_EQ(p->vertexAt(0)->tangent, V3(25, 0, 0));
    EXPECT_EQ(p->vertexAt(1)->tangent, V3(25, 0, 0));
    EXPECT_NEAR(p->totalLength, 100.0f, 1e-3f);
    V3 mid;
    float angle = 1.0f;
    p->evaluateL(&mid, 50.0f, &angle);
    expectNear(mid, {50, 0, 0});
    EXPECT_NEAR(angle, 0.0f, 1e-6f);
}

TEST_F(BezierTest, ArcLengthOfACurvedSegmentFollowsItsVertices) {
    BezierPath* p = path({{0, 0, 0}, {100, 0, 0}});
    BezierVertex* a = p->vertexAt(0);
    BezierVertex* b = p->vertexAt(1);
    a->tangent = V3(0, 80, 0);
    b->tangent = V3(0, -80, 0);
    a->notifyReferrers();
    b->notifyReferrers();
    // The same curve in double precision over many chords.
    const double c[4][2] = {{0, 0}, {0, 80}, {100, 80}, {100, 0}};
    double arc = 0.0, px = 0.0, py = 0.0;
    for (int i = 1; i <= 20000; ++i) {
        const double t = i / 20000.0, u = 1.0 - t;
        const double w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
        const double x = w[0] * c[0][0] + w[1] * c[1][0] + w[2] * c[2][0] + w[3] * c[3][0];
        const double y = w[0] * c[0][1] + w[1] * c[1][1] + w[2] * c[2][1] + w[3] * c[3][1];
        arc += std::hypot(x - px, y - py);
        px = x;
        py = y;
    }
    EXPECT_NEAR(p->segmentAt(0)->length, arc, arc * 2e-3);
}

TEST_F(BezierTest, OpenPathsClampLoopingPathsWrap) {
    BezierPath* p = path({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}});
    V3 a, b;
    p->evaluateL(&a, -5.0f, nullptr);
    expectNear(a, {0, 0, 0});
    float t = 0;
    EXPECT_EQ(p->findSegment(p->totalLength + 5.0f, &t), p->segmentAt(1));
    EXPECT_EQ(t, 1.0f);
    p->evaluateL(&b, p->totalLength + 5.0f, nullptr);
    expectNear(b, {100, 100, 0});
    // The end of a segment belongs to the next.
    EXPECT_EQ(p->findSegment(p->segmentAt(0)->length, &t), p->segmentAt(1));
    EXPECT_EQ(t, 0.0f);
    p->closeLoop();
    ASSERT_EQ(p->segmentCount(), 3);
    EXPECT_NEAR(p->totalLength, p->sumOfLengths(), 1e-3f);
    p->evaluateL(&a, 0.5f * p->totalLength, nullptr);
    p->evaluateL(&b, 1.5f * p->totalLength, nullptr);
    expectNear(a, b, 1e-2f);
}

TEST_F(BezierTest, AngleNearTheEndUsesTheEndTangent) {
    BezierPath* p = path({{0, 0, 0}, {100, 0, 0}});
    BezierVertex* end = p->vertexAt(1);
    end->tangent = V3(0, 10, 0);
    end->notifyReferrers();
    BezierSegment* s = p->segmentAt(0);
    EXPECT_NEAR(s->angleAt(1.0f - 1.0f / 256.0f), kPi * 0.5f, 1e-6f);
    EXPECT_LT(s->angleAt(0.5f), kPi * 0.5f);
}

TEST_F(BezierTest, ClosingAndRemovingPoints) {
    BezierPath* one = path({{0, 0, 0}});
    one->closeLoop();
    EXPECT_FALSE(one->bLooping);
    EXPECT_EQ(one->findSegment(0.0f, nullptr), nullptr);
    V3 out;
    EXPECT_DEATH(one->evaluateL(&out, 0.0f, nullptr), "!segments.isEmpty\\(\\)");
    BezierPath* two = path({{0, 0, 0}, {10, 0, 0}});
    two->removeLastPoint();
    EXPECT_EQ(two->vertexCount(), 2);
    two->closeLoop();
    two->closeLoop();
    EXPECT_EQ(two->segmentCount(), 2);
    // Removing the last point of a loop opens it; it can be closed again.
    BezierPath* p = path({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true);
    p->removeLastPoint();
    EXPECT_EQ(p->vertexCount(), 3);
    EXPECT_EQ(p->segmentCount(), 2);
    EXPECT_FALSE(p->bLooping);
    p->closeLoop();
    EXPECT_TRUE(p->bLooping);
    EXPECT_EQ(p->segmentCount(), 3);
}

TEST_F(BezierTest, EditorKeysBuildAndLevelThePath) {
    world.setEditing(true);
    BezierPath* p = world.place<BezierPath>(V3(1000, 0, 0));
    auto key = [&](int code, float x, float y) {
        world.context.mousePosition = V3(x, y, 0);
        world.releaseKeys();
        world.pressKey(code);
        ZubBase::sendEvent(EVENT_KEY, nullptr, p);
    };
    key(KEY_A, 1000, 0);
    key(KEY_A, 1100, 40);
    key(KEY_A, 1200, -40);
    ASSERT_EQ(p->vertexCount(), 3);
    EXPECT_EQ(p->vertexAt(1)->vertex, V3(100, 40, 0));
    key(KEY_L, 1200, -40);
    EXPECT_EQ(p->vertexAt(1)->vertex.y, 0.0f);
    EXPECT_EQ(p->vertexAt(1)->tangent, V3(25, 0, 0));
    EXPECT_NEAR(p->totalLength, 200.0f, 0.01f);
    key(KEY_C, 1200, -40);
    EXPECT_TRUE(p->bLooping);
    key(KEY_D, 1200, -40);
    EXPECT_EQ(p->vertexCount(), 2);
    EXPECT_FALSE(p->bLooping);
    // M drags the nearest point, N the nearest tangent tip.
    auto move = [&](int code, float x, float y) {
        world.releaseKeys();
        world.input->keys[code] = 0x80;
        world.context.mousePosition = V3(x, y, 0);
        ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, p);
    };
    move(KEY_M, 1110, 10);
    EXPECT_EQ(p->vertexAt(1)->vertex, V3(110, 10, 0));
    move(KEY_N, 1140, 10);
    EXPECT_EQ(p->vertexAt(1)->tangent, V3(30, 0, 0));
}
