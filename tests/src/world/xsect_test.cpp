// The swept collision solver on hand-checked scenes: stops, slides and walks
// on flat and sloped segments, joints, the resting tolerance, span limits,
// the iteration cap, moving hulls, the squeeze fallback, ties, masks.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "sys/Logger.h"
#include "world/PhysObject.h"
#include "world/Xsect.h"
#include "world_test_support.h"

using worldtest::TestWorld;

namespace {

struct Hit {
    HullSegment* segment;
    V3 hit, result, dir;
    bool forced;
    bool walkBlocked;
};

struct Sweep {
    std::vector<Hit> hits;
    V3 end;  // where the motion ended (the last result, or p2 without hits)
    int iterations = 0;
};

// Runs a sweep, answering every hit with `respond` (or a fixed response).
Sweep run(const V3& p1, const V3& p2, uint32_t flags, const std::function<int(Xsect&)>& respond) {
    Sweep out;
    Xsect x(p1, p2, flags);
    x.considerHulls();
    out.end = p2;
    while (x.checkHits()) {
        const bool forced = x.bForcedSolution;
        x.handleHit(respond(x));
        out.hits.push_back({x.pHitSegment, x.hitPoint, x.resultPoint, x.resultDir, forced, x.bWalkBlocked});
        out.end = x.resultPoint;
        if (out.hits.size() > 500) break;
    }
    out.iterations = x.iteration;
    return out;
}

Sweep run(const V3& p1, const V3& p2, int response, uint32_t flags = 0) {
    return run(p1, p2, flags, [response](Xsect&) { return response; });
}

void expectNear(const V3& a, const V3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

int countLog(const char16_t* text) {
    int n = 0;
    for (const WString& line : Logger::get().history())
        if (line.find(text) != WString::npos) ++n;
    return n;
}

class XsectTest : public ::testing::Test {
protected:
    TestWorld world;
};

}  // namespace

TEST_F(XsectTest, DropOnFlatStops) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Sweep s = run({0, 10, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].hit, {0, 0, 0});
    expectNear(s.hits[0].result, {0, 0, 0});
    EXPECT_EQ(s.hits[0].dir, V3());
}

TEST_F(XsectTest, StopEndsTheSweep) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.handleHit(Xsect::STOP);
    EXPECT_TRUE(x.bDone);
    EXPECT_FALSE(x.checkHits());
}

TEST_F(XsectTest, SlideReflectsOnASlope) {
    world.staticHull({{0, 0, 0}, {80, 60, 0}});
    Sweep s = run({40, 40, 0}, {40, 20, 0}, Xsect::SLIDE);
    ASSERT_GE(s.hits.size(), 1u);
    expectNear(s.hits[0].hit, {40, 30, 0});
    expectNear(s.hits[0].result, {30.4f, 32.8f, 0});
    expectNear(s.hits[0].dir, {-0.96f, 0.28f, 0});
    EXPECT_EQ(s.hits.size(), 1u);
}

TEST_F(XsectTest, WalkProjectsOntoTheSlope) {
    world.staticHull({{0, 0, 0}, {80, 60, 0}});
    Sweep s = run({40, 40, 0}, {40, 20, 0}, Xsect::WALK);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].result, {35.2f, 26.4f, 0});
    expectNear(s.hits[0].dir, {-0.8f, -0.6f, 0});
}

TEST_F(XsectTest, JointsAndSpansOfAValley) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 100, 0}});
    HullSegment* flat = h->getSegment(0);
    HullSegment* slope = h->getSegment(1);
    EXPECT_EQ(flat->prevJoint, 0);
    EXPECT_EQ(flat->nextJoint, 2);
    EXPECT_EQ(slope->prevJoint, 2);
    EXPECT_EQ(slope->nextJoint, 0);
    EXPECT_EQ(flat->collisionLengthMin, 0.0f);
    EXPECT_EQ(flat->collisionLengthMax, 100.125f);
    EXPECT_EQ(slope->collisionLengthMin, -0.125f);
    EXPECT_NEAR(slope->collisionLengthMax, 141.42136f, 1e-3f);
}

TEST_F(XsectTest, WalkingOverAValleyJoint) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 100, 0}});
    Sweep s = run({-10, 1, 0}, {10, -1, 0}, Xsect::WALK);
    ASSERT_EQ(s.hits.size(), 2u);
    // Both segments cross at the shared vertex: the flat one is first in the list.
    EXPECT_EQ(s.hits[0].segment, h->getSegment(0));
    expectNear(s.hits[0].hit, {0, 0, 0});
    expectNear(s.hits[0].result, {10, 0, 0});
    EXPECT_EQ(s.hits[1].segment, h->getSegment(1));
    expectNear(s.hits[1].result, {5, 5, 0});
}

TEST_F(XsectTest, WalkingOverACrestLeavesTheGround) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, -100, 0}});
    EXPECT_EQ(h->getSegment(0)->nextJoint, 1);
    EXPECT_EQ(h->getSegment(1)->collisionLengthMin, 0.0f);
    Sweep s = run({-10, 1, 0}, {10, -1, 0}, Xsect::WALK);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].result, {10, 0, 0});
}

TEST_F(XsectTest, StraightContinuationIsJointOne) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}});
    HullSegment* a = h->getSegment(0);
    HullSegment* b = h->getSegment(1);
    EXPECT_EQ(a->prevJoint, 0);
    EXPECT_EQ(a->nextJoint, 1);
    EXPECT_EQ(a->collisionLengthMin, 0.0f);
    EXPECT_EQ(a->collisionLengthMax, 100.125f);
    EXPECT_EQ(b->prevJoint, 1);
    EXPECT_EQ(b->nextJoint, 0);
    EXPECT_EQ(b->collisionLengthMin, 0.0f);
    EXPECT_EQ(b->collisionLengthMax, 100.0f);
}

TEST_F(XsectTest, RestingToleranceCatchesAPointJustBehind) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Sweep caught = run({0, -0.1f, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(caught.hits.size(), 1u);
    expectNear(caught.hits[0].hit, {0, 0, 0});
    Sweep missed = run({0, -0.2f, 0}, {0, -10, 0}, Xsect::STOP);
    EXPECT_TRUE(missed.hits.empty());
}

TEST_F(XsectTest, SpanEndIsExcludedAndSpanStartIncluded) {
    world.staticHull({{-100, 0, 0}, {0, 0, 0}});  // open at both ends: [0, 100)
    EXPECT_TRUE(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP).hits.empty());
    EXPECT_EQ(run({-100, 10, 0}, {-100, -10, 0}, Xsect::STOP).hits.size(), 1u);
}

TEST_F(XsectTest, JointExtensionEndIsExcluded) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}});
    // 100.125 along the first segment: outside its span, inside the second's.
    Sweep s = run({100.125f, 10, 0}, {100.125f, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits[0].segment, h->getSegment(1));
    Sweep t = run({100.0625f, 10, 0}, {100.0625f, -10, 0}, Xsect::STOP);
    ASSERT_EQ(t.hits.size(), 1u);
    EXPECT_EQ(t.hits[0].segment, h->getSegment(0));
}

TEST_F(XsectTest, IterationCapWarnsOnceAndEnds) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* h = o->getHull();
    h->hullType = Hull::PASS_THROUGH;
    for (int i = 1; i <= 105; ++i) {
        h->addHullPoint(-100, static_cast<float>(i), 0, false);
        h->addHullPoint(100, static_cast<float>(i), 0, true);
    }
    world.drain();
    EXPECT_EQ(h->segmentCount(), 105);
    const int before = countLog(u"WARNING: Iterations exceeded maximum!");
    Xsect x({0, 200, 0}, {0, -10, 0}, Xsect::FLAG_PASS_THROUGH_HULLS);
    x.considerHulls();
    int hits = 0;
    while (x.checkHits()) {
        x.handleHit(Xsect::PASS);
        ++hits;
        ASSERT_LT(hits, 200);
    }
    EXPECT_EQ(hits, 101);
    EXPECT_EQ(countLog(u"WARNING: Iterations exceeded maximum!") - before, 1);
    EXPECT_FALSE(x.checkHits());
}

TEST_F(XsectTest, PassThroughVisitsEveryCrossingInOrder) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* h = o->getHull();
    h->hullType = Hull::PASS_THROUGH;
    for (int i = 1; i <= 3; ++i) {
        h->addHullPoint(-100, static_cast<float>(10 * i), 0, false);
        h->addHullPoint(100, static_cast<float>(10 * i), 0, true);
    }
    Sweep s = run({0, 50, 0}, {0, 0, 0}, Xsect::PASS, Xsect::FLAG_PASS_THROUGH_HULLS);
    ASSERT_EQ(s.hits.size(), 3u);
    expectNear(s.hits[0].hit, {0, 30, 0});
    expectNear(s.hits[1].hit, {0, 20, 0});
    expectNear(s.hits[2].hit, {0, 10, 0});
    expectNear(s.hits[2].result, {0, 0, 0});
}

TEST_F(XsectTest, MasksLeaveOutHeroOnlyAndPassThroughHulls) {
    Hull* hero = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    hero->bHeroOnly = true;
    EXPECT_TRUE(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP, 0).hits.empty());
    EXPECT_EQ(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP, Xsect::FLAG_HERO_HULLS).hits.size(), 1u);
    hero->bHeroOnly = false;
    hero->hullType = Hull::PASS_THROUGH;
    EXPECT_TRUE(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP, Xsect::FLAG_HERO_HULLS).hits.empty());
    EXPECT_EQ(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP, Xsect::FLAG_PASS_THROUGH_HULLS).hits.size(), 1u);
}

TEST_F(XsectTest, NothingInReachIsNoHit) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({5000, 10, 0}, {5000, -10, 0}, 0);
    x.considerHulls();
    EXPECT_EQ(x.listedSegments(), 0);
    EXPECT_FALSE(x.checkHits());
    EXPECT_EQ(x.iteration, 1);
}

TEST_F(XsectTest, MovingHullIsCrossedInTheFrameItMoved) {
    world.setFrame(10);
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    world.setFrame(11);
    platform->setPosition(0, 10, 0);
    Sweep s = run({0, 5, 0}, {0, 5, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].hit, {0, 10, 0});
    world.setFrame(12);
    EXPECT_TRUE(run({0, 5, 0}, {0, 5, 0}, Xsect::STOP).hits.empty());
}

TEST_F(XsectTest, TwoMovesInAFrameKeepTheFirstPreviousTransform) {
    world.setFrame(10);
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    world.setFrame(11);
    platform->setPosition(0, 4, 0);
    platform->setPosition(0, 10, 0);
    V3 old;
    platform->world2localOld(old, V3(0, 5, 0));
    expectNear(old, {0, 5, 0});
    world.setFrame(12);
    platform->world2localOld(old, V3(0, 5, 0));
    expectNear(old, {0, -5, 0});
}

TEST_F(XsectTest, SqueezeFallsBackToTheStart) {
    world.setFrame(10);
    world.staticHull({{50, 20, 0}, {-50, 20, 0}});  // a ceiling facing down
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    Hull* ph = world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    world.setFrame(11);
    platform->setPosition(0, 30, 0);
    Sweep s = run({0, 15, 0}, {0, 15, 0}, Xsect::WALK);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits[0].segment, ph->getSegment(0));
    EXPECT_TRUE(s.hits[0].forced);
    EXPECT_TRUE(s.hits[0].walkBlocked);
    expectNear(s.hits[0].result, {0, 15, 0});
    EXPECT_EQ(ph->getSegment(0)->violations, 1);
}

TEST_F(XsectTest, SqueezeByATiltedPlatformHitsWhereItsEdgeCutsTheCeiling) {
    world.setFrame(10);
    Hull* ceiling = world.staticHull({{100, 20, 0}, {-100, 20, 0}});
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    world.makeHull(platform, {{-100, -20, 0}, {100, 20, 0}});
    world.setFrame(11);
    platform->setPosition(0, 30, 0);
    Sweep s = run({0, 15, 0}, {0, 15, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits[0].segment, ceiling->getSegment(0));
    EXPECT_TRUE(s.hits[0].forced);
    expectNear(s.hits[0].hit, {-50, 20, 0});
}

TEST_F(XsectTest, TiesGoToTheFirstHullInTheList) {
    Hull* first = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Sweep s = run({0, 10, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits[0].segment, first->getSegment(0));
}

TEST_F(XsectTest, NearerHullWinsOverAFartherOne) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Hull* upper = world.staticHull({{-100, 5, 0}, {100, 5, 0}});
    Sweep s = run({0, 10, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits[0].segment, upper->getSegment(0));
    expectNear(s.hits[0].hit, {0, 5, 0});
}

TEST_F(XsectTest, SlideSkipsTheHitAndItsJointOneNeighboursOnce) {
    // A V: left wall down to the bottom, right wall up again (joint 2 at the
    // bottom), and a flat continuation (joint 1) beyond the right wall.
    Hull* h = world.staticHull({{-50, 50, 0}, {0, 0, 0}, {50, 50, 0}, {100, 50, 0}});
    HullSegment* right = h->getSegment(1);
    HullSegment* flat = h->getSegment(2);
    ASSERT_EQ(right->nextJoint, 1);
    Xsect x({40, 60, 0}, {40, 30, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    ASSERT_EQ(x.pHitSegment, right);
    x.handleHit(Xsect::SLIDE);
    EXPECT_EQ(right->ignoreInIteration, 2);
    EXPECT_EQ(flat->ignoreInIteration, 2);
}

TEST_F(XsectTest, WalkOnASegmentActedOnBeforeIsBlocked) {
    Hull* h = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.handleHit(Xsect::PASS);
    // Acted on: a walk on it now is refused.
    h->getSegment(0)->ignoreInIteration = -1;
    x.p1World = V3(0, 10, 0);
    ASSERT_TRUE(x.checkHits());
    x.handleHit(Xsect::WALK);
    EXPECT_TRUE(x.bWalkBlocked);
    EXPECT_TRUE(x.bDone);
    expectNear(x.resultPoint, {0, 0, 0});
}

TEST_F(XsectTest, MirroredOwnerKeepsItsReach) {
    A99Object* o = world.place<A99Object>(V3(300, 0, 0));
    world.makeHull(o, {{-100, 0, 0}, {100, 0, 0}});
    o->setScale(-1.0f, -1.0f, 1.0f);
    // Mirrored in both axes the segment faces down. The start lies 90 from
    // the owner: inside the reach 100 + 28, outside 28 - 100.
    Sweep s = run({390, -10, 0}, {390, 10, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].hit, {390, 0, 0});
}

TEST_F(XsectTest, RotatedAndScaledOwners) {
    A99Object* o = world.place<A99Object>(V3(0, 100, 0));
    world.makeHull(o, {{-10, 0, 0}, {10, 0, 0}});
    o->setScale(5.0f, 5.0f, 1.0f);
    Sweep s = run({40, 110, 0}, {40, 90, 0}, Xsect::STOP);
    ASSERT_EQ(s.hits.size(), 1u);
    expectNear(s.hits[0].hit, {40, 100, 0}, 1e-3f);
    o->setRotation(0, 0, kPi * 0.5f);  // the segment now stands upright, facing -x
    Sweep t = run({-10, 120, 0}, {10, 120, 0}, Xsect::STOP);
    ASSERT_EQ(t.hits.size(), 1u);
    expectNear(t.hits[0].hit, {0, 120, 0}, 1e-3f);
}

TEST_F(XsectTest, HullOfADeadOwnerTakesNoPart) {
    A99Object* o = world.place<A99Object>();
    Hull* h = world.makeHull(o, {{-100, 0, 0}, {100, 0, 0}});
    o->destroy();
    EXPECT_TRUE(h->bToBeDestroyed);
    EXPECT_TRUE(run({0, 10, 0}, {0, -10, 0}, Xsect::STOP).hits.empty());
}

TEST_F(XsectTest, ADestroyedSegmentLeavesTheList) {
    Hull* h = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_EQ(x.listedSegments(), 1);
    h->getSegment(0)->destroy();
    EXPECT_EQ(x.listedSegments(), 0);
    EXPECT_FALSE(x.checkHits());
}

TEST_F(XsectTest, DumpWritesTheWholeState) {
    world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 100, 0}});
    Logger::get().clearHistory();
    Xsect x({-10, 1, 0}, {10, -1, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.dumpXsectState();
    const auto& h = Logger::get().history();
    ASSERT_EQ(h.size(), 8u + 2u * 20u + 1u);
    EXPECT_EQ(h[0], u"Xsect::dumpXsectState(): Dumping state for frame 1...");
    EXPECT_EQ(h[1], u"Xsect::dumpXsectState(): flags=00000000");
    EXPECT_EQ(h[2], u"Xsect::dumpXsectState(): iteration=1");
    EXPECT_EQ(h[3], u"Xsect::dumpXsectState(): p1World=(-10.000000,1.000000)");
    EXPECT_EQ(h[8], u"Xsect::dumpXsectState(): HullSegment 0:");
    EXPECT_EQ(h[9], u"Xsect::dumpXsectState(): \t v1=(-100.000000,0.000000)");
    EXPECT_EQ(h[12], u"Xsect::dumpXsectState(): \t wasPotentialSolutionInIteration=1");
    EXPECT_EQ(h.back(), u"Xsect::dumpXsectState(): Done.");
}

TEST_F(XsectTest, SweepsOneAfterAnotherInOneScope) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect a({0, 10, 0}, {0, -10, 0}, 0);
    a.considerHulls();
    ASSERT_TRUE(a.checkHits());  // left with a hit it never answers
    Xsect b({5, 10, 0}, {5, -10, 0}, 0);
    b.considerHulls();
    ASSERT_TRUE(b.checkHits());
    b.handleHit(Xsect::STOP);
    expectNear(b.hitPoint, {5, 0, 0});
}

TEST_F(XsectTest, GoingOnWithASweepASweepInsideItTookOverIsFatal) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    EXPECT_DEATH(
        {
            Xsect a({0, 10, 0}, {0, -10, 0}, 0);
            a.considerHulls();
            a.checkHits();
            {
                Xsect b({0, 10, 0}, {0, -10, 0}, 0);  // as a hit handler might
                b.considerHulls();
            }
            a.handleHit(Xsect::STOP);
        },
        "!bPreempted");
}

TEST_F(XsectTest, AThinClosedHullWarnsOnce) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}}, true);  // both faces on one line
    const int before = countLog(u"WARNING: Iterations exceeded maximum!");
    for (int frame = 0; frame < 3; ++frame) {
        Sweep s = run({0, 10, 0}, {0, -10, 0}, Xsect::SLIDE);
        EXPECT_EQ(s.hits.size(), static_cast<size_t>(Xsect::kMaxIterations + 1));
    }
    EXPECT_EQ(countLog(u"WARNING: Iterations exceeded maximum!") - before, 1);
}

TEST_F(XsectTest, UnknownResponseIsFatal) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    EXPECT_DEATH(
        {
            Xsect a({0, 10, 0}, {0, -10, 0}, 0);
            a.considerHulls();
            a.checkHits();
            a.handleHit(7);
        },
        "Unhandled response.");
}
