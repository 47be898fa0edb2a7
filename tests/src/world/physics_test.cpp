// Bodies on ground segments (PhysObject, PhysPoint) and the integrated
// point masses (PhysicsPoint, SpringPoint).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "object/Property.h"
#include "world/PhysObject.h"
#include "world/PhysicsPoint.h"
#include "world/SpringPoint.h"
#include "world_test_support.h"

using worldtest::TestWorld;

TEST(PhysPoint, SetPositionAndStopLeavesNoVelocity) {
    PhysPoint p;
    p.position = V3(1, 2, 3);
    p.setPositionAndStop(5, 6, 7);
    EXPECT_EQ(p.position, V3(5, 6, 7));
    EXPECT_EQ(p.oldPosition, p.position);
}

TEST(PhysObjectTest, GroundContactRidesAlongWithItsOwner) {
    TestWorld world;
    A99Object* platform = world.place<A99Object>(V3(100, 50, 0));
    Hull* h = world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    PhysObject* body = world.place<PhysObject>();
    body->physPoint.setPositionAndStop(110, 50, 0);
    body->setGround(h->getSegment(0));
    EXPECT_EQ(body->groundContact, V3(10, 0, 0));
    platform->setPosition(200, 80, 0);
    V3 w;
    ASSERT_TRUE(body->groundContactWorld(w));
    EXPECT_EQ(w, V3(210, 80, 0));
    // Clearing the ground keeps the stored contact.
    body->setGround(nullptr);
    EXPECT_EQ(body->getGround(), nullptr);
    EXPECT_EQ(body->groundContact, V3(10, 0, 0));
}

TEST(PhysObjectTest, DestroyingTheGroundHullLeavesNoGround) {
    TestWorld world;
    A99Object* platform = world.place<A99Object>();
    Hull* h = world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    PhysObject* body = world.place<PhysObject>();
    body->setGround(h->getSegment(0));
    platform->deleteHull();
    EXPECT_EQ(body->ground.get(), nullptr);
    EXPECT_EQ(body->groundOwner(), nullptr);
}

// ---------------------------------------------------------------------------

namespace {
class CountingPoint : public PhysicsPoint {
public:
    void integrate(double time, double dt) override {
        steps.push_back(dt);
        PhysicsPoint::integrate(time, dt);
    }
    std::vector<double> steps;
};
}  // namespace

TEST(PhysicsPointTest, TicksInSubSteps) {
    CountingPoint p;
    p.tick(0.0, 0.1);
    ASSERT_EQ(p.steps.size(), 3u);
    EXPECT_NEAR(p.steps[0], 0.04, 1e-7);
    EXPECT_NEAR(p.steps[1], 0.04, 1e-7);
    EXPECT_NEAR(p.steps[2], 0.02, 1e-7);
    p.steps.clear();
    p.tick(0.0, 0.0);
    EXPECT_TRUE(p.steps.empty());
    p.tick(0.0, 0.08);
    EXPECT_EQ(p.steps.size(), 2u);
    p.steps.clear();
    p.tick(0.0, 0.04);
    EXPECT_EQ(p.steps.size(), 1u);
}

TEST(PhysicsPointTest, EndlessTicksAreCutAndNegativeLimitsKeepTheDirection) {
    CountingPoint p;
    p.tick(0.0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(p.steps.size(), static_cast<size_t>(PhysicsPoint::kMaxSteps));
    p.steps.clear();
    p.tick(0.0, 1e12);  // 0.04 less is the same float: the count-down never ends
    EXPECT_EQ(p.steps.size(), static_cast<size_t>(PhysicsPoint::kMaxSteps));
    PhysicsPoint q;
    q.maxSpeed = -10.0f;
    q.velocity = V3(30, 40, 0);
    q.tick(0.0, 0.01);
    EXPECT_NEAR(q.velocity.x, 6.0f, 1e-4f);
    EXPECT_NEAR(q.velocity.y, 8.0f, 1e-4f);
}

TEST(PhysicsPointTest, AtRestStaysWhereItIs) {
    PhysicsPoint p;
    p.position = V3(3, 4, 0);
    p.tick(0.0, 0.01);
    EXPECT_EQ(p.position, V3(3, 4, 0));
    EXPECT_EQ(p.oldPosition, p.position);
}

TEST(PhysicsPointTest, ForceAccelerates) {
    PhysicsPoint p;
    p.mass = 2.0f;
    p.force = V3(4, 0, 0);
    p.tick(0.0, 0.04);
    EXPECT_FLOAT_EQ(p.acceleration.x, 2.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.08f);
    EXPECT_FLOAT_EQ(p.position.x, 0.08f * 0.04f);
    EXPECT_EQ(p.force, V3());  // reset after the tick
}

TEST(PhysicsPointTest, FrictionStopsRatherThanReverses) {
    PhysicsPoint p;
    p.velocity = V3(1, 0, 0);
    p.friction = 1000.0f;
    p.tick(0.0, 0.01);
    EXPECT_EQ(p.velocity, V3());
    p.velocity = V3(10, 0, 0);
    p.friction = 100.0f;
    p.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(p.velocity.x, 9.0f);
}

TEST(PhysicsPointTest, ViscousDamping) {
    PhysicsPoint p;
    p.velocity = V3(10, 0, 0);
    p.vdamping = 5.0f;
    p.tick(0.0, 0.02);
    EXPECT_FLOAT_EQ(p.velocity.x, 9.0f);
    p.vdamping = 1000.0f;
    p.tick(0.0, 0.02);
    EXPECT_EQ(p.velocity, V3());
}

TEST(PhysicsPointTest, ConstantForceWithoutReset) {
    PhysicsPoint p;
    p.bResetForce = false;
    p.force = V3(0, -10, 0);
    p.tick(0.0, 0.04);
    p.tick(0.0, 0.04);
    EXPECT_EQ(p.force, V3(0, -10, 0));
    EXPECT_FLOAT_EQ(p.velocity.y, -0.8f);
}

TEST(PhysicsPointTest, SpeedLimitBringsTheSpeedDownToTheLimit) {
    PhysicsPoint p;
    p.maxSpeed = 10.0f;
    p.velocity = V3(30, 40, 0);  // speed 50
    p.tick(0.0, 0.01);
    EXPECT_NEAR(p.velocity.length(), 10.0f, 1e-4f);
    EXPECT_NEAR(p.velocity.x, 6.0f, 1e-4f);
    p.velocity = V3(5, 0, 0);
    p.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(p.velocity.x, 5.0f);
}

TEST(SpringPointTest, DampedSpringSettles) {
    SpringPoint s;
    s.mass = 0.01f;
    s.k = 2.0f;
    s.damping = 5.0f;
    s.restPoint = V3(0, 0, 0);
    s.position = V3(10, 0, 0);
    for (int i = 0; i < 1000; ++i) s.tick(0.0, 0.01);
    EXPECT_LT(std::fabs(s.position.x), 0.01f);
    EXPECT_LT(s.velocity.length(), 0.1f);
}

TEST(SpringPointTest, UndampedSpringOscillatesWithoutGrowing) {
    SpringPoint s;
    s.mass = 0.01f;
    s.k = 2.0f;
    s.position = V3(10, 0, 0);
    float firstPeak = 0.0f, lastPeak = 0.0f;
    bool crossed = false;
    for (int i = 0; i < 2000; ++i) {
        s.tick(0.0, 0.01);
        const float a = std::fabs(s.position.x);
        if (i < 100) firstPeak = std::max(firstPeak, a);
        if (i >= 1900) lastPeak = std::max(lastPeak, a);
        if (s.position.x < 0.0f) crossed = true;
    }
    EXPECT_TRUE(crossed);
    EXPECT_GT(lastPeak, 5.0f);
    EXPECT_LE(lastPeak, firstPeak * 1.001f);
}

TEST(PhysicsPointTest, PropertiesDeclareEveryField) {
    SpringPoint s;
    PropertyContainer* c = s.createPropertyContainer();
    const char16_t* names[] = {u"position", u"oldPosition", u"velocity", u"acceleration", u"force", u"mass",
                               u"friction", u"maxSpeed", u"vdamping", u"bResetForce", u"restPoint", u"k", u"damping"};
    for (const char16_t* n : names) EXPECT_NE(c->findChild(n), nullptr) << wideToNarrow(WString(n));
    deleteObject(c);
    // Not a registered class: it reports ZubBase's.
    EXPECT_EQ(s.getClass(), &ZubBase::classRecord);
}
