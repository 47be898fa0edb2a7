// The swept collision solver on hand-checked scenes: stops, slides and walks
// on flat and sloped segments, joints, the resting tolerance, span limits,
// the iteration cap, moving hulls, the squeeze fallback, ties, masks, and
// sweeps one after another.
#include <gtest/gtest.h>

#include <vector>

#include "sys/Logger.h"
#include "world/Xsect.h"
#include "world_test_support.h"

using worldtest::TestWorld;

namespace {

struct Hit {
    HullSegment* segment;
    V3 hit, result, dir;
    bool forced, walkBlocked;
};

// Runs a sweep, answering every hit with the response.
std::vector<Hit> run(const V3& p1, const V3& p2, int response, uint32_t flags = 0) {
    std::vector<Hit> hits;
    Xsect x(p1, p2, flags);
    x.considerHulls();
    while (x.checkHits() && hits.size() < 500) {
        const bool forced = x.bForcedSolution;
        x.handleHit(response);
        hits.push_back({x.pHitSegment, x.hitPoint, x.resultPoint, x.resultDir, forced, x.bWalkBlocked});
    }
    return hits;
}

void expectNear(const V3& a, const V3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

int warnings() {
    int n = 0;
    for (const WString& line : Logger::get().history())
        if (line.find(u"WARNING: Iterations exceeded maximum!") != WString::npos) ++n;
    return n;
}

class XsectTest : public ::testing::Test {
protected:
    TestWorld world;
};

}  // namespace

TEST_F(XsectTest, DropOnFlatStopsAndEndsTheSweep) {
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.handleHit(Xsect::STOP);
    expectNear(x.hitPoint, {0, 0, 0});
    expectNear(x.resultPoint, {0, 0, 0});
    EXPECT_EQ(x.resultDir, V3());
    EXPECT_FALSE(x.checkHits());
}

TEST_F(XsectTest, SlideReflectsAndWalkProjectsOnASlope) {
    world.staticHull({{0, 0, 0}, {80, 60, 0}});
    auto slide = run({40, 40, 0}, {40, 20, 0}, Xsect::SLIDE);
    ASSERT_EQ(slide.size(), 1u);
    expectNear(slide[0].hit, {40, 30, 0});
    expectNear(slide[0].result, {30.4f, 32.8f, 0});
    expectNear(slide[0].dir, {-0.96f, 0.28f, 0});
    auto walk = run({40, 40, 0}, {40, 20, 0}, Xsect::WALK);
    ASSERT_EQ(walk.size(), 1u);
    expectNear(walk[0].result, {35.2f, 26.4f, 0});
    expectNear(walk[0].dir, {-0.8f, -0.6f, 0});
}

TEST_F(XsectTest, WalkingOverAValleyAndOverACrest) {
    Hull* valley = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 100, 0}});
    auto s = run({-10, 1, 0}, {10, -1, 0}, Xsect::WALK);
    ASSERT_EQ(s.size(), 2u);
    // Both segments cross at the shared vertex: the flat one is first in the list.
    EXPECT_EQ(s[0].segment, valley->getSegment(0));
    expectNear(s[0].hit, {0, 0, 0});
    expectNear(s[0].result, {10, 0, 0});
    EXPECT_EQ(s[1].segment, valley->getSegment(1));
    expectNear(s[1].result, {5, 5, 0});
    world.staticHull({{900, 0, 0}, {1000, 0, 0}, {1100, -100, 0}});
    auto crest = run({990, 1, 0}, {1010, -1, 0}, Xsect::WALK);
    ASSERT_EQ(crest.size(), 1u);  // then the body leaves the ground
    expectNear(crest[0].result, {1010, 0, 0});
}

TEST_F(XsectTest, RestingToleranceAndSpanEnds) {
    // Spans [0, 100.125) (a joint of kind 1 ahead) and [0, 100) (an open end).
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 0, 0}});
    auto caught = run({-50, -0.1f, 0}, {-50, -10, 0}, Xsect::STOP);
    ASSERT_EQ(caught.size(), 1u);
    expectNear(caught[0].hit, {-50, 0, 0});
    EXPECT_TRUE(run({-50, -0.2f, 0}, {-50, -10, 0}, Xsect::STOP).empty());
    EXPECT_EQ(run({-100, 10, 0}, {-100, -10, 0}, Xsect::STOP).size(), 1u);
    EXPECT_TRUE(run({100, 10, 0}, {100, -10, 0}, Xsect::STOP).empty());
    auto past = run({0.125f, 10, 0}, {0.125f, -10, 0}, Xsect::STOP);
    ASSERT_EQ(past.size(), 1u);
    EXPECT_EQ(past[0].segment, h->getSegment(1));
    auto within = run({0.0625f, 10, 0}, {0.0625f, -10, 0}, Xsect::STOP);
    ASSERT_EQ(within.size(), 1u);
    EXPECT_EQ(within[0].segment, h->getSegment(0));
}

TEST_F(XsectTest, IterationCapWarnsOncePerHull) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* stack = o->getHull();
    stack->hullType = Hull::PASS_THROUGH;
    for (int i = 1; i <= 105; ++i) {
        stack->addHullPoint(-100, static_cast<float>(i), 0, false);
        stack->addHullPoint(100, static_cast<float>(i), 0, true);
    }
    world.drain();
    const int before = warnings();
    for (int round = 0; round < 2; ++round) {
        Xsect x({0, 200, 0}, {0, -10, 0}, Xsect::FLAG_PASS_THROUGH_HULLS);
        x.considerHulls();
        int hits = 0;
        while (x.checkHits() && hits < 200) {
            x.handleHit(Xsect::PASS);
            ++hits;
        }
        EXPECT_EQ(hits, 101);
        EXPECT_FALSE(x.checkHits());
    }
    EXPECT_EQ(warnings() - before, 1);
    // A closed hull of two vertices has both faces on one line: every slide
    // runs to the cap, and it too warns once.
    world.staticHull({{-100, 500, 0}, {100, 500, 0}}, true);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(run({0, 510, 0}, {0, 490, 0}, Xsect::SLIDE).size(), 101u);
    EXPECT_EQ(warnings() - before, 2);
}

TEST_F(XsectTest, PassThroughOrderMasksAndNothingInReach) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* lines = o->getHull();
    lines->hullType = Hull::PASS_THROUGH;
    for (int i = 1; i <= 3; ++i) {
        lines->addHullPoint(-100, static_cast<float>(10 * i), 0, false);
        lines->addHullPoint(100, static_cast<float>(10 * i), 0, true);
    }
    auto s = run({0, 50, 0}, {0, 0, 0}, Xsect::PASS, Xsect::FLAG_PASS_THROUGH_HULLS);
    ASSERT_EQ(s.size(), 3u);
    for (int i = 0; i < 3; ++i) expectNear(s[static_cast<size_t>(i)].hit, {0, 30.0f - 10.0f * i, 0});
    expectNear(s[2].result, {0, 0, 0});
    EXPECT_TRUE(run({0, 50, 0}, {0, 0, 0}, Xsect::PASS, Xsect::FLAG_HERO_HULLS).empty());
    Hull* hero = world.staticHull({{-100, -50, 0}, {100, -50, 0}});
    hero->bHeroOnly = true;
    EXPECT_TRUE(run({0, -40, 0}, {0, -60, 0}, Xsect::STOP, 0).empty());
    EXPECT_EQ(run({0, -40, 0}, {0, -60, 0}, Xsect::STOP, Xsect::FLAG_HERO_HULLS).size(), 1u);
    Xsect far({5000, 10, 0}, {5000, -10, 0}, 3);
    far.considerHulls();
    EXPECT_EQ(far.listedSegments(), 0);
    EXPECT_FALSE(far.checkHits());
}

TEST_F(XsectTest, MovingHullIsCrossedThroughItsPreviousTransform) {
    world.setFrame(10);
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    world.setFrame(11);
    platform->setPosition(0, 4, 0);
    platform->setPosition(0, 10, 0);  // a second move keeps the first previous transform
    auto s = run({0, 5, 0}, {0, 5, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    expectNear(s[0].hit, {0, 10, 0});
    world.setFrame(12);
    EXPECT_TRUE(run({0, 5, 0}, {0, 5, 0}, Xsect::STOP).empty());
}

TEST_F(XsectTest, SqueezeFallsBackToTheStart) {
    world.setFrame(10);
    world.staticHull({{50, 20, 0}, {-50, 20, 0}});  // a ceiling facing down
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    Hull* ph = world.makeHull(platform, {{-50, 0, 0}, {50, 0, 0}});
    world.setFrame(11);
    platform->setPosition(0, 30, 0);
    auto s = run({0, 15, 0}, {0, 15, 0}, Xsect::WALK);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].segment, ph->getSegment(0));
    EXPECT_TRUE(s[0].forced);
    EXPECT_TRUE(s[0].walkBlocked);
    expectNear(s[0].result, {0, 15, 0});
    EXPECT_EQ(ph->getSegment(0)->violations, 1);
}

TEST_F(XsectTest, SqueezeByATiltedPlatformHitsWhereItsEdgeCutsTheCeiling) {
    world.setFrame(10);
    Hull* ceiling = world.staticHull({{100, 20, 0}, {-100, 20, 0}});
    A99Object* platform = world.place<A99Object>(V3(0, 0, 0));
    world.makeHull(platform, {{-100, -20, 0}, {100, 20, 0}});
    world.setFrame(11);
    platform->setPosition(0, 30, 0);
    auto s = run({0, 15, 0}, {0, 15, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].segment, ceiling->getSegment(0));
    EXPECT_TRUE(s[0].forced);
    expectNear(s[0].hit, {-50, 20, 0});
}

TEST_F(XsectTest, TiesGoToTheFirstHullAndTheNearerHullWins) {
    Hull* first = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    auto s = run({0, 10, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].segment, first->getSegment(0));
    Hull* upper = world.staticHull({{-100, 5, 0}, {100, 5, 0}});
    s = run({0, 10, 0}, {0, -10, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].segment, upper->getSegment(0));
}

TEST_F(XsectTest, SlideSkipsTheHitAndItsJointOneNeighboursOnce) {
    // A V (joint 2 at the bottom) and a flat continuation (joint 1) beyond
    // the right wall.
    Hull* h = world.staticHull({{-50, 50, 0}, {0, 0, 0}, {50, 50, 0}, {100, 50, 0}});
    HullSegment* right = h->getSegment(1);
    ASSERT_EQ(right->nextJoint, 1);
    Xsect x({40, 60, 0}, {40, 30, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    ASSERT_EQ(x.pHitSegment, right);
    x.handleHit(Xsect::SLIDE);
    EXPECT_EQ(right->ignoreInIteration, 2);
    EXPECT_EQ(h->getSegment(2)->ignoreInIteration, 2);
}

TEST_F(XsectTest, WalkOnASegmentActedOnBeforeIsBlocked) {
    Hull* h = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.handleHit(Xsect::PASS);
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
    auto s = run({390, -10, 0}, {390, 10, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    expectNear(s[0].hit, {390, 0, 0});
}

TEST_F(XsectTest, RotatedAndScaledOwners) {
    A99Object* o = world.place<A99Object>(V3(0, 100, 0));
    world.makeHull(o, {{-10, 0, 0}, {10, 0, 0}});
    o->setScale(5.0f, 5.0f, 1.0f);
    auto s = run({40, 110, 0}, {40, 90, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    expectNear(s[0].hit, {40, 100, 0}, 1e-3f);
    o->setRotation(0, 0, kPi * 0.5f);  // the segment now stands upright, facing -x
    s = run({-10, 120, 0}, {10, 120, 0}, Xsect::STOP);
    ASSERT_EQ(s.size(), 1u);
    expectNear(s[0].hit, {0, 120, 0}, 1e-3f);
}

TEST_F(XsectTest, GoneOwnersAndSegmentsTakeNoPart) {
    Hull* h = world.staticHull({{-100, 0, 0}, {100, 0, 0}});
    Xsect x({0, 10, 0}, {0, -10, 0}, 0);
    x.considerHulls();
    ASSERT_EQ(x.listedSegments(), 1);
    h->getSegment(0)->destroy();
    EXPECT_EQ(x.listedSegments(), 0);
    EXPECT_FALSE(x.checkHits());
    A99Object* o = world.place<A99Object>();
    world.makeHull(o, {{-100, -50, 0}, {100, -50, 0}});
    o->destroy();
    EXPECT_TRUE(run({0, -40, 0}, {0, -60, 0}, Xsect::STOP).empty());
}

TEST_F(XsectTest, DumpWritesTheWholeState) {
    world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 100, 0}});
    Logger::get().clearHistory();
    Xsect x({-10, 1, 0}, {10, -1, 0}, 0);
    x.considerHulls();
    ASSERT_TRUE(x.checkHits());
    x.dumpXsectState();
    // A header, the sweep, each of the two listed segments, the end.
    const auto& h = Logger::get().history();
    ASSERT_EQ(h.size(), 8u + 2u * 20u + 1u);
    EXPECT_EQ(h[3], u"Xsect::dumpXsectState(): p1World=(-10.000000,1.000000)");
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

TEST_F(XsectTest, GoingOnWithASweepThatASweepInsideItTookOverIsFatal) {
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

// A list is given up without a walk over its segments: a sweep that ended or
// was taken over keeps no hold on them. The next sweep lists them afresh
// (also one built where the last one was), and a segment deleted later
// leaves only the list that holds it.
TEST_F(XsectTest, GivenUpListsKeepNoHoldOnTheirSegments) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 0, 0}});
    for (int i = 0; i < 3; ++i) {
        Xsect x({5, 10, 0}, {5, -10, 0}, 0);
        x.considerHulls();
        EXPECT_EQ(x.listedSegments(), 2) << i;
        EXPECT_TRUE(x.holds(h->getSegment(0)));
        ASSERT_TRUE(x.checkHits());
        x.handleHit(Xsect::STOP);
        expectNear(x.hitPoint, {5, 0, 0});
    }
    Xsect a({-5, 10, 0}, {-5, -10, 0}, 0);
    a.considerHulls();
    ASSERT_TRUE(a.checkHits());
    a.handleHit(Xsect::STOP);
    {
        Xsect b({5, 10, 0}, {5, -10, 0}, 0);
        b.considerHulls();
        EXPECT_EQ(a.listedSegments(), 0);
        EXPECT_FALSE(a.holds(h->getSegment(0)));
        EXPECT_TRUE(b.holds(h->getSegment(0)));
        h->getSegment(0)->destroy();
        EXPECT_EQ(b.listedSegments(), 1);
        ASSERT_TRUE(b.checkHits());  // the segment right of the start
        EXPECT_EQ(b.pHitSegment, h->getSegment(0));
    }
    // No sweep holds the last one now.
    h->getSegment(0)->destroy();
    EXPECT_EQ(a.listedSegments(), 0);
    EXPECT_TRUE(run({50, 10, 0}, {50, -10, 0}, Xsect::STOP).empty());
}
