// The hero driven through the control bindings the way a player drives her
// (scripted keys, real hulls, fixed 0.01 s ticks), and her body as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "TestLevel.h"
#include "objects/pig/Pig.h"
#include "world/AreaQuery.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"
#include "world/Terrain.h"

using leveltest::TestLevel;

namespace {

constexpr int LEFT = GameConfiguration::CONTROL_LEFT;
constexpr int RIGHT = GameConfiguration::CONTROL_RIGHT;
constexpr int JUMP = GameConfiguration::CONTROL_JUMP;

// An area of type 1 that holds everything (the level's danger areas hold it).
class EverywhereArea : public A99Object, public AreaQuery {
public:
    bool containsObject(A99Object*) override { return true; }
    bool containsPoint(const V3&) override { return true; }
    int getAreaType() const override { return 1; }
};

// A platform that rises at `speed` units per second.
class RisingPlatform : public A99Object {
public:
    void tick(double time, double dt) override {
        A99Object::tick(time, dt);
        setPosition(position.x, position.y + speed * static_cast<float>(dt), position.z);
    }
    float speed = 0.0f;
};

struct PigMovement : testing::Test {
    // The hero settled on a long floor at y = 0 (or on whatever is there).
    void standAt(float x, float y = 1.0f, bool floor = true) {
        if (floor) level.floor(-2000.0f, 2000.0f, 0.0f);
        pig = level.spawnHero(V3(x, y, 0.0f));
        EXPECT_TRUE(level.stepUntil([&] { return pig->getGround() != nullptr; }, 100));
        level.step(2);
    }
    // A frame up, then the control down for the one frame that is run.
    void tap(int control) {
        level.step();
        level.tapControl(control, level.frame);
        level.step();
    }
    TestLevel level;
    Pig* pig = nullptr;
};

TEST_F(PigMovement, RunsRightWithBothHeldAndFrictionStopsHerExactly) {
    standAt(0.0f);
    level.holdControl(LEFT, level.frame, level.frame + 50);
    level.holdControl(RIGHT, level.frame, level.frame + 50);
    level.step(50);
    EXPECT_EQ(pig->facing, 1);
    EXPECT_EQ(pig->velocity.x, 384.0f);
    level.step(20);  // 384 / (2500 x 0.01) ticks of friction
    EXPECT_EQ(pig->velocity.x, 0.0f);
    const V3 stopped = pig->physPoint.position;
    level.step(30);
    EXPECT_EQ(pig->physPoint.position, stopped);
    EXPECT_FLOAT_EQ(stopped.y, 0.0f);
}

TEST_F(PigMovement, JumpsAndLandsHardEnoughToSquash) {
    standAt(0.0f, 40.0f);  // a short drop lands softly
    EXPECT_EQ(pig->squash, 0.0f);
    tap(JUMP);
    EXPECT_EQ(pig->velocity.y, 768.0f);
    EXPECT_EQ(pig->jumpCount, 1);
    EXPECT_EQ(pig->getGround(), nullptr);
    float top = 0.0f;
    ASSERT_TRUE(level.stepUntil([&] {
        top = std::max(top, pig->physPoint.position.y);
        return pig->getGround() != nullptr;
    }, 200));
    EXPECT_NEAR(top, 768.0f * 768.0f / (2.0f * 2048.0f), 5.0f);
    EXPECT_GT(pig->squash, 0.9f);
}

// Walks off the end of a floor and presses FIRE once `airTime` has reached `at`.
float jumpAfterEdge(double at, bool hat) {
    TestLevel level;
    level.floor(-2000.0f, 0.0f, 0.0f);
    Pig* pig = level.spawnHero(V3(-100.0f, 1.0f, 0.0f));
    pig->bHasHat = hat;
    level.holdControl(RIGHT, 0, 1000);
    EXPECT_TRUE(level.stepUntil([&] { return !pig->getGround() && pig->airTime >= at - 0.005; }, 300));
    level.tapControl(JUMP, level.frame);
    level.step();
    return pig->velocity.y;
}

TEST(PigJump, GraceTimeAfterAnEdgeEvenTheHatCannotExtend) {
    EXPECT_EQ(jumpAfterEdge(0.24, false), 768.0f);
    EXPECT_LT(jumpAfterEdge(0.26, true), 0.0f);
}

TEST_F(PigMovement, SecondJumpOnlyWithTheHatOrTheLevelsFlag) {
    standAt(0.0f);
    tap(JUMP);
    tap(JUMP);
    EXPECT_LT(pig->velocity.y, 768.0f);
    pig->bHasHat = true;
    tap(JUMP);
    EXPECT_EQ(pig->velocity.y, 768.0f);
    EXPECT_EQ(pig->jumpCount, 2);
    EXPECT_GT(pig->roll.value, 6.0f);  // the somersault starts a full turn up
    EXPECT_NE(level.fgEffectsList->firstChild, nullptr);
    tap(JUMP);
    EXPECT_LT(pig->velocity.y, 768.0f);

    ASSERT_TRUE(level.stepUntil([&] { return pig->getGround() != nullptr; }, 300));
    pig->bHasHat = false;
    level.bDoubleJump = 1;
    tap(JUMP);
    tap(JUMP);
    EXPECT_EQ(pig->velocity.y, 768.0f);
}

TEST_F(PigMovement, UmbrellaSlowsTheFallOnlyInTheOpen) {
    standAt(0.0f);
    pig->bHasUmbrella = true;
    auto fallPerTick = [&] {
        tap(JUMP);
        EXPECT_TRUE(level.stepUntil([&] { return pig->velocity.y < -10.0f; }, 200));
        const float before = pig->velocity.y;
        level.step();
        const float change = pig->velocity.y - before;
        EXPECT_TRUE(level.stepUntil([&] { return pig->getGround() != nullptr; }, 2000));
        level.step(5);
        return change;
    };
    EXPECT_NEAR(fallPerTick(), -2.56f, 1e-3f);
    level.dangerAreaList->addChild(new EverywhereArea());
    EXPECT_NEAR(fallPerTick(), -20.48f, 1e-3f);
}

TEST_F(PigMovement, WalksOverTerrainJointsWithoutLeavingTheGround) {
    Terrain* terrain = level.spawn<Terrain>(V3(), level.objectList);
    terrain->construct(64, 16);
    for (int i = 0; i < 64; ++i) terrain->setHeights(i, 256.0f + 30.0f * std::sin(0.1f * i), Terrain::kKeep);  // rolling hills
    standAt(-400.0f, 300.0f, false);
    ASSERT_NE(pig->getGround(), nullptr);
    level.holdControl(RIGHT, level.frame, level.frame + 1000);
    std::set<const HullSegment*> walked;
    while (pig->physPoint.position.x < 400.0f && level.frame < 500) {
        level.step();
        ASSERT_NE(pig->getGround(), nullptr) << "in the air at x = " << pig->physPoint.position.x;
        walked.insert(pig->getGround());
    }
    EXPECT_GE(walked.size(), 10u);
}

TEST_F(PigMovement, TouchingOnlyAWallBlocksTheControlsForTheNextTick) {
    level.floor(-500.0f, 500.0f, 0.0f);
    level.staticHull({V3(50.0f, 0.0f, 0.0f), V3(50.0f, 300.0f, 0.0f)});  // faces left
    standAt(20.0f, 1.0f, false);
    level.holdControl(RIGHT, level.frame, level.frame + 100);
    tap(JUMP);
    ASSERT_TRUE(level.stepUntil([&] { return !pig->bCanAct; }, 50));
    EXPECT_LE(pig->physPoint.position.x, 50.0f);
    ASSERT_LT(pig->airTime, 0.25);  // the wall counts as ground: a jump would be granted
    level.tapControl(JUMP, level.frame);
    level.step();
    EXPECT_LT(pig->velocity.y, 700.0f);
}

TEST_F(PigMovement, JumpFromARisingPlatformAddsItsSpeedUpToTheCap) {
    for (float speed : {300.0f, 1000.0f}) {
        RisingPlatform* platform = level.spawn<RisingPlatform>(V3(10.0f * speed, 0.0f, 0.0f), level.objectList);
        platform->speed = speed;
        platform->createHull();
        platform->getHull()->addHullPoint(-100.0f, 0.0f, 0.0f, true);
        platform->getHull()->addHullPoint(100.0f, 0.0f, 0.0f, true);
        standAt(10.0f * speed, 1.0f, false);
        ASSERT_NE(pig->getGround(), nullptr);
        tap(JUMP);
        EXPECT_NEAR(pig->velocity.y, std::min(768.0f + speed, 1536.0f), 1.0f);
        level.pigList->removeChild(pig);
    }
}

uint32_t playScript(int leftUntil) {
    TestLevel level;
    level.floor(-2000.0f, 2000.0f, 0.0f);
    level.staticHull({V3(300.0f, 0.0f, 0.0f), V3(300.0f, 200.0f, 0.0f)});
    level.spawnHero(V3(0.0f, 50.0f, 0.0f));
    level.holdControl(RIGHT, 20, 120);
    level.tapControl(JUMP, 60);
    level.holdControl(LEFT, 130, leftUntil);
    level.step(400);  // eyes and blinks draw from the generator throughout
    return level.stateHash();
}

TEST(PigDeterminism, TheSameScriptGivesTheSameState) {
    EXPECT_EQ(playScript(200), playScript(200));
    EXPECT_NE(playScript(200), playScript(201));
}

// The device's draw calls for one drawing of the body.
int drawsOf(TestLevel& level, PigBody* body) {
    platform::NullRenderDevice* device = level.enableGraphics();
    const int before = device->drawCount;
    body->renderObject();
    return device->drawCount - before;
}

TEST(PigBody, PigletsAreSmallerQuickerAndWithoutMouthOrHat) {
    TestLevel level;
    level.levelNumber = 31;  // the pig wears her chef's hat
    Pig* pig = level.spawnHero(V3());
    PigBody* piglet = new PigBody();
    level.role->registerObject(piglet, 0);
    level.pigletList->addChild(piglet);
    piglet->construct();
    piglet->setPigletCount(3);
    int proxies = 0;
    for (EditorProxy* p : childrenOf<EditorProxy>(level.proxyList)) proxies += p->getOwner() == piglet;
    EXPECT_EQ(proxies, 1);

    pig->bWalking = piglet->bWalking = true;
    double time = 0.0;
    for (int i = 0; i < 25; ++i, time += TestLevel::DT) {
        pig->updateParts(time, TestLevel::DT);
        piglet->updateParts(time, TestLevel::DT);
    }
    EXPECT_EQ(piglet->walkBlend, 1.0f);
    EXPECT_NEAR(pig->walkBlend, 0.5f, 1e-3f);
    EXPECT_NEAR(piglet->scale.x, 0.6f, 1e-4f);
    EXPECT_NEAR(piglet->scale.y, 0.6f, 1e-4f);
    EXPECT_EQ(drawsOf(level, pig), 11);
    EXPECT_EQ(drawsOf(level, piglet), 9);

    // A type-3 piglet looks over half the range only and opens its lids
    // halfway after a blink.
    float widest = 0.0f;
    for (int i = 0; i < 2000; ++i, time += TestLevel::DT) {
        piglet->updateParts(time, TestLevel::DT);
        widest = std::max(widest, piglet->eyeLook.value);
    }
    EXPECT_GT(widest, 0.0f);
    EXPECT_LT(widest, 0.5f);
    EXPECT_EQ(piglet->blinkValue.target, 0.5f);
}

TEST(PigBody, FlashingShowsHerInHalfOfEachTenthUntilCountedDown) {
    TestLevel level;
    level.floor(-500.0f, 500.0f, 0.0f);
    Pig* pig = level.spawnHero(V3(0.0f, 1.0f, 0.0f));
    level.step(5);
    pig->flashTime = 1.06;
    int shown = 0;
    for (int i = 0; i < 100; ++i) {
        level.step();
        shown += drawsOf(level, pig) > 0;
    }
    EXPECT_NEAR(shown, 50, 6);
    level.step(10);
    EXPECT_EQ(pig->flashTime, 0.0);
    EXPECT_EQ(drawsOf(level, pig), 10);
}

}  // namespace
