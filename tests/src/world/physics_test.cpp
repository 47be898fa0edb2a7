// Bodies on ground segments (PhysObject) and the integrated point masses
// (PhysicsPoint, SpringPoint).
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "object/Packet.h"
#include "world/PhysObject.h"
#include "world/PhysicsPoint.h"
#include "world/SpringPoint.h"
#include "world_test_support.h"

using worldtest::TestWorld;

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
    // Deleting the hull clears the ground.
    body->setGround(h->getSegment(0));
    platform->deleteHull();
    EXPECT_EQ(body->ground.get(), nullptr);
}

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

TEST(PhysicsPointTest, TicksInSubStepsAndEndlessTicksAreCut) {
    CountingPoint p;
    p.tick(0.0, 0.1);
    ASSERT_EQ(p.steps.size(), 3u);
    EXPECT_NEAR(p.steps[0], 0.04, 1e-7);
    EXPECT_NEAR(p.steps[2], 0.02, 1e-7);
    for (const auto& [dt, n] : std::initializer_list<std::pair<double, size_t>>{{0.0, 0}, {0.04, 1}, {0.08, 2}}) {
        p.steps.clear();
        p.tick(0.0, dt);
        EXPECT_EQ(p.steps.size(), n) << dt;
    }
    for (double dt : {std::numeric_limits<double>::infinity(), 1e12}) {
        // 0.04 less than 1e12 is the same float: the count-down never ends.
        p.steps.clear();
        p.tick(0.0, dt);
        EXPECT_EQ(p.steps.size(), static_cast<size_t>(PhysicsPoint::kMaxSteps));
    }
}

TEST(PhysicsPointTest, ForceFrictionDampingAndTheSpeedLimit) {
    PhysicsPoint p;
    p.mass = 2.0f;
    p.force = V3(4, 0, 0);
    p.tick(0.0, 0.04);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.08f);
    EXPECT_FLOAT_EQ(p.position.x, 0.08f * 0.04f);
    EXPECT_EQ(p.force, V3());  // reset after the tick
    // Kept without the reset.
    p.bResetForce = false;
    p.force = V3(0, -10, 0);
    p.tick(0.0, 0.04);
    p.tick(0.0, 0.04);
    EXPECT_EQ(p.force, V3(0, -10, 0));
    EXPECT_FLOAT_EQ(p.velocity.y, -0.4f);
    // Friction takes speed off, and stops the point rather than reverse it.
    PhysicsPoint f;
    f.velocity = V3(10, 0, 0);
    f.friction = 100.0f;
    f.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(f.velocity.x, 9.0f);
    f.friction = 10000.0f;
    f.tick(0.0, 0.01);
    EXPECT_EQ(f.velocity, V3());
    PhysicsPoint d;
    d.velocity = V3(10, 0, 0);
    d.vdamping = 5.0f;
    d.tick(0.0, 0.02);
    EXPECT_FLOAT_EQ(d.velocity.x, 9.0f);
    // Above the limit the speed comes down to the limit, in the same
    // direction whatever the limit's sign.
    for (float limit : {10.0f, -10.0f}) {
        PhysicsPoint q;
        q.maxSpeed = limit;
        q.velocity = V3(30, 40, 0);
        q.tick(0.0, 0.01);
        EXPECT_NEAR(q.velocity.x, 6.0f, 1e-4f);
        EXPECT_NEAR(q.velocity.y, 8.0f, 1e-4f);
    }
}

// A mass that is not a positive number (0 as a file may hold it, negative,
// infinite, NaN) makes an immovable point: no force accelerates it, and it
// stays finite where it is.
TEST(PhysicsPointTest, WithoutAPositiveMassNoForceMovesThePoint) {
    PhysicsPoint written;
    written.mass = 0.0f;
    written.position = V3(5, 7, 0);
    Packet level(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 4096);
    written.netSerialize(level);
    level.rewindToRead();
    PhysicsPoint loaded;
    loaded.netSerialize(level);
    ASSERT_FALSE(level.failed());
    ASSERT_EQ(loaded.mass, 0.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float mass : {0.0f, -0.0f, -2.0f, inf, -inf, nan, 1e-42f}) {
        SCOPED_TRACE(mass);
        PhysicsPoint p;
        p.position = V3(5, 7, 0);
        p.mass = mass;
        p.force = V3(0, -10, 0);
        p.bResetForce = false;
        for (int i = 0; i < 3; ++i) p.tick(0.0, 0.1);
        EXPECT_EQ(p.position, V3(5, 7, 0));
        EXPECT_EQ(p.velocity, V3());
        EXPECT_EQ(p.acceleration, V3());
        // Its own velocity still carries it, and slows by its damping.
        p.velocity = V3(10, 0, 0);
        p.vdamping = 5.0f;
        p.tick(0.0, 0.02);
        EXPECT_FLOAT_EQ(p.velocity.x, 9.0f);
        EXPECT_FLOAT_EQ(p.position.x, 5.0f + 9.0f * 0.02f);
        EXPECT_EQ(p.position.y, 7.0f);
    }
    // A spring on such a point holds it where it is.
    SpringPoint s;
    s.mass = loaded.mass;
    s.k = 2.0f;
    s.position = V3(10, 0, 0);
    for (int i = 0; i < 100; ++i) s.tick(0.0, 0.01);
    EXPECT_EQ(s.position, V3(10, 0, 0));
    // A force no float holds on a light point stops it where it was.
    PhysicsPoint light;
    light.mass = 1e-30f;
    light.position = V3(1, 2, 3);
    light.force = V3(1e30f, 0, 0);
    light.tick(0.0, 0.04);
    EXPECT_EQ(light.position, V3(1, 2, 3));
    EXPECT_EQ(light.velocity, V3());
    light.force = V3(nan, 0, 0);
    light.tick(0.0, 0.04);
    EXPECT_EQ(light.position, V3(1, 2, 3));
}

TEST(SpringPointTest, DampedSettlesUndampedOscillatesWithoutGrowing) {
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
        crossed = crossed || s.position.x < 0.0f;
    }
    EXPECT_TRUE(crossed);
    EXPECT_GT(lastPeak, 5.0f);
    EXPECT_LE(lastPeak, firstPeak * 1.001f);
    s.damping = 5.0f;
    for (int i = 0; i < 1000; ++i) s.tick(0.0, 0.01);
    EXPECT_LT(std::fabs(s.position.x), 0.01f);
    EXPECT_LT(s.velocity.length(), 0.1f);
}
