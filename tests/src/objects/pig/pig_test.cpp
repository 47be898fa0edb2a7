// The hero driven through the control bindings the way a player drives her
// (scripted keys, real hulls, fixed 0.01 s ticks): moving, carrying, nudging
// and eating, fainting and reappearing; and her body as drawn. Floors lie
// above the test level's bottom (y = 0), below which she faints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "TestLevel.h"
#include "fx/ParticleGroup.h"
#include "gfx/BlendingCamera.h"
#include "objects/PigPickup.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/pig/HeroCameras.h"
#include "objects/pig/Pig.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"
#include "world/Terrain.h"

using leveltest::TestLevel;

namespace {

constexpr int LEFT = GameConfiguration::CONTROL_LEFT;
constexpr int RIGHT = GameConfiguration::CONTROL_RIGHT;
constexpr int JUMP = GameConfiguration::CONTROL_JUMP;
constexpr int USE = GameConfiguration::CONTROL_USE;
constexpr float FLOOR_Y = 100.0f;

// An apple or a sweet as the pig meets it: its pushes and whether it was eaten.
class Pickup : public A99Object, public PigPickup {
public:
    bool isFree() const override { return !eaten; }
    void push(A99Object*, const V3& impulse) override { pushes.push_back(impulse); }
    void pickUp(Pig*) override { eaten = true; }
    std::vector<V3> pushes;
    bool eaten = false;
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

// The device's draw calls for one drawing of the body.
int drawsOf(TestLevel& level, PigBody* body) {
    platform::NullRenderDevice* device = level.enableGraphics();
    const int before = device->drawCount;
    body->renderObject();
    return device->drawCount - before;
}

struct PigMovement : testing::Test {
    // The hero settled on a long floor (or on whatever is there).
    void standAt(float x, float y = FLOOR_Y + 1.0f, bool floor = true) {
        if (floor) level.floor(-2000.0f, 2000.0f, FLOOR_Y);
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
    // Cargo dropped onto the floor.
    template <class T = Cargo>
    T* lay(float x) {
        return level.spawn<T>(V3(x, FLOOR_Y + 10.0f, 0.0f), level.cargoList);
    }
    // The frames until she is in state s.
    int framesUntil(int s, int limit) {
        const int from = level.frame;
        EXPECT_TRUE(level.stepUntil([&] { return pig->state == s; }, limit)) << s;
        return level.frame - from;
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
    EXPECT_FLOAT_EQ(stopped.y, FLOOR_Y);
}

TEST_F(PigMovement, JumpsAndLandsHardEnoughToSquash) {
    standAt(0.0f, FLOOR_Y + 40.0f);  // a short drop lands softly
    EXPECT_EQ(pig->squash, 0.0f);
    tap(JUMP);
    EXPECT_EQ(pig->velocity.y, 768.0f);
    EXPECT_EQ(pig->jumpCount, 1);
    EXPECT_EQ(pig->getGround(), nullptr);
    float top = 0.0f;
    ASSERT_TRUE(level.stepUntil(
        [&] {
            top = std::max(top, pig->physPoint.position.y - FLOOR_Y);
            return pig->getGround() != nullptr;
        },
        200));
    EXPECT_NEAR(top, 768.0f * 768.0f / (2.0f * 2048.0f), 5.0f);
    EXPECT_GT(pig->squash, 0.9f);
}

// Walks off the end of a floor and presses FIRE once `airTime` has reached `at`.
float jumpAfterEdge(double at, bool hat) {
    TestLevel level;
    level.floor(-2000.0f, 0.0f, FLOOR_Y);
    Pig* pig = level.spawnHero(V3(-100.0f, FLOOR_Y + 1.0f, 0.0f));
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
    level.area(1, V3(), 1e6f);
    EXPECT_NEAR(fallPerTick(), -20.48f, 1e-3f);
}

TEST_F(PigMovement, WalksOverTerrainJointsWithoutLeavingTheGround) {
    Terrain* terrain = level.spawn<Terrain>(V3(), level.objectList);
    terrain->construct(64, 16);
    for (int i = 0; i < 64; ++i)
        terrain->setHeights(i, 256.0f + 30.0f * std::sin(0.1f * i), Terrain::kKeep);  // rolling hills
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
    level.floor(-500.0f, 500.0f, FLOOR_Y);
    level.staticHull({V3(50.0f, FLOOR_Y, 0.0f), V3(50.0f, FLOOR_Y + 300.0f, 0.0f)});  // faces left
    standAt(20.0f, FLOOR_Y + 1.0f, false);
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
        RisingPlatform* platform = level.spawn<RisingPlatform>(V3(10.0f * speed, FLOOR_Y, 0.0f), level.objectList);
        platform->speed = speed;
        platform->createHull();
        platform->getHull()->addHullPoint(-100.0f, 0.0f, 0.0f, true);
        platform->getHull()->addHullPoint(100.0f, 0.0f, 0.0f, true);
        standAt(10.0f * speed, FLOOR_Y + 1.0f, false);
        ASSERT_NE(pig->getGround(), nullptr);
        tap(JUMP);
        EXPECT_NEAR(pig->velocity.y, std::min(768.0f + speed, 1536.0f), 1.0f);
        level.pigList->removeChild(pig);
    }
}

TEST_F(PigMovement, UpTakesWhatSheTouchesASecondUpPutsItDownAndAnotherTakesItsPlace) {
    standAt(0.0f);
    EXPECT_DEATH(pig->dropCargo(), "pCarried != NULL");
    Cargo* basket = lay(10.0f);
    WingedHat* hat = lay<WingedHat>(400.0f);
    level.step(30);
    for (Cargo* expected : {basket, static_cast<Cargo*>(nullptr), basket}) {
        tap(USE);
        EXPECT_EQ(pig->pCarried.get(), expected);
        EXPECT_EQ(basket->getCarrier(), expected ? pig : nullptr);
    }
    level.holdControl(RIGHT, level.frame, level.frame + 200);  // carried to the hat
    ASSERT_TRUE(level.stepUntil([&] { return pig->collide(hat); }, 200));
    tap(USE);
    EXPECT_EQ(pig->pCarried.get(), hat);
    EXPECT_EQ(basket->getCarrier(), nullptr);
    EXPECT_TRUE(pig->bHasHat);
    EXPECT_EQ(pig->hatAlpha.target, 0.0f);  // the chef's hat makes way
    // By touch her prompt wants a touch on what she carries.
    int priority = 0;
    float distance = 1.0f;
    level.input->inputMode = ZubInput::MODE_TOUCH;
    const V3 reach(2.0f * hat->boundingRadius, 0.0f, 0.0f);
    EXPECT_FALSE(pig->queryHeroPrompt(hat->boundingCentre + reach * 1.05f, &priority, &distance));
    EXPECT_TRUE(pig->queryHeroPrompt(hat->boundingCentre + reach * 0.95f, &priority, &distance));
    EXPECT_TRUE(priority == 1 && distance == 0.0f);
    // Taken from her (as a basket delivered at the house is), it takes its powers along.
    hat->bToBeDestroyed = 1;
    level.step();
    EXPECT_FALSE(pig->bHasHat);
    EXPECT_EQ(pig->hatAlpha.target, 1.0f);
}

TEST_F(PigMovement, KnockedBackByDangerSheFaintsDropsHerLoadAndReappearsWhereHerToolsComeBack) {
    standAt(0.0f);  // where she reappears
    Cargo* basket = lay(10.0f);
    Umbrella* near = lay<Umbrella>(-99.0f);
    WingedHat* far = lay<WingedHat>(-300.0f);
    WingedHat* untouched = lay<WingedHat>(-500.0f);
    near->bEverCarried = far->bEverCarried = 1;  // she put them down there
    level.step(30);
    tap(USE);
    level.area(AREA_DANGER, V3(200.0f, FLOOR_Y, 0.0f), 60.0f);
    level.holdControl(RIGHT, level.frame, level.frame + 100);
    ASSERT_TRUE(level.stepUntil([&] { return pig->state == Pig::FAINTING; }, 100));
    EXPECT_NEAR(pig->velocity.length(), Pig::KNOCK_BACK_SPEED, 0.01f);
    EXPECT_LT(pig->velocity.x, 0.0f);  // away from the area
    EXPECT_TRUE(pig->pCarried == NULL && basket->getCarrier() == nullptr);
    EXPECT_EQ(level.currentResult.livesLost, 1);
    EXPECT_NEAR(framesUntil(Pig::CAMERA_TO_RESPAWN, 400), 300, 1);
    EXPECT_NE(dynamic_cast<CameraTransition*>(level.getCameraNode()->lastChild), nullptr);
    EXPECT_NEAR(framesUntil(Pig::PLAYING, 200), 100, 1);
    EXPECT_NE(dynamic_cast<HeroCamera*>(level.getCameraNode()->lastChild), nullptr);
    EXPECT_NE(firstOf<SmokeParticles>(level.fgEffectsList), nullptr);
    EXPECT_TRUE(V3::isWithinDistance(pig->physPoint.position, pig->respawnPoint, 1.0f));
    EXPECT_TRUE(V3::isWithinDistance(far->physPoint.position, pig->respawnPoint, 1.0f));
    EXPECT_NEAR(near->physPoint.position.x, -99.0f, 1.0f);
    EXPECT_NEAR(untouched->physPoint.position.x, -500.0f, 1.0f);
}

TEST_F(PigMovement, FallingOutOfTheLevelFaintsHerOnceAndFlashingKeepsHerSafeAfterwards) {
    level.floor(-2000.0f, 0.0f, FLOOR_Y);  // a ledge above the level's bottom
    standAt(-50.0f, FLOOR_Y + 1.0f, false);
    WingedHat* hat = lay<WingedHat>(-40.0f);
    level.step(20);
    tap(USE);
    ASSERT_TRUE(pig->bHasHat);
    level.holdControl(RIGHT, level.frame, level.frame + 100);
    ASSERT_TRUE(level.stepUntil([&] { return pig->state == Pig::FAINTING; }, 200));
    EXPECT_LT(pig->physPoint.position.y, level.playingArea.bottom);
    level.area(AREA_DANGER, pig->respawnPoint, 60.0f);  // waiting where she reappears
    framesUntil(Pig::PLAYING, 500);
    EXPECT_EQ(level.currentResult.livesLost, 1);  // once, though she fell on
    EXPECT_EQ(pig->pCarried.get(), hat);          // her tools stay with her
    // Flashing (drawn in half of each tenth), then the level's cheat, then
    // locked controls keep her safe.
    int shown = 0;
    for (int i = 0; i < 100; ++i, level.step()) shown += drawsOf(level, pig) > 0;
    EXPECT_NEAR(shown, 50, 6);
    level.bInvulnerable = 1;
    level.step(20);
    level.bInvulnerable = 0;
    pig->lockControls(0.2);
    level.step(15);
    EXPECT_EQ(pig->state, Pig::PLAYING);
    level.step(10);
    EXPECT_EQ(pig->state, Pig::FAINTING);
}

TEST_F(PigMovement, KicksApplesFlatRunningTossesThemUpWithUpAndSlurpsAfterASweet) {
    standAt(-300.0f);
    Pickup* high = level.spawn<Pickup>(V3(0.0f, FLOOR_Y + 48.0f, 0.0f), level.appleList);
    level.holdControl(RIGHT, level.frame, level.frame + 200);
    ASSERT_TRUE(level.stepUntil([&] { return !high->pushes.empty(); }, 200));
    const V3 kick = high->pushes[0];
    EXPECT_NEAR(std::atan2(kick.y, kick.x), kPi / 8.0f, 1e-5f);
    EXPECT_NEAR(kick.length(), 384.0f * std::cos(kPi / 8.0f) * 1.35f, 0.5f);
    high->eaten = true;  // out of play
    level.script.clear();
    ASSERT_TRUE(level.stepUntil([&] { return pig->velocity.x == 0.0f; }, 100));
    Pickup* low = level.spawn<Pickup>(pig->physPoint.position + V3(40.0f, 16.0f, 0.0f), level.appleList);
    level.holdControl(USE, level.frame, level.frame + 2);
    level.step(2);
    ASSERT_FALSE(low->pushes.empty());
    EXPECT_NEAR(std::atan2(low->pushes[0].y, low->pushes[0].x), kPi / 4.0f, 1e-5f);
    EXPECT_FLOAT_EQ(low->pushes[0].length(), Pig::MIN_KICK_SPEED);
    low->eaten = true;

    Pickup* sweet = level.spawn<Pickup>(pig->position, level.sweetList);
    level.step();
    EXPECT_TRUE(sweet->eaten);
    level.step(49);
    EXPECT_EQ(pig->tailWag, 0.0f);
    level.step(2);
    EXPECT_GT(pig->tailWag, 0.9f);  // the slurp
}

// Walks, jumps twice with the hat she picked up, and walks left into danger.
uint32_t playScript(int leftFrom, int frames) {
    TestLevel level;
    level.floor(-2000.0f, 2000.0f, FLOOR_Y);
    level.staticHull({V3(300.0f, FLOOR_Y, 0.0f), V3(300.0f, FLOOR_Y + 200.0f, 0.0f)});
    Pig* pig = level.spawnHero(V3(0.0f, FLOOR_Y + 50.0f, 0.0f));
    level.spawn<WingedHat>(V3(40.0f, FLOOR_Y + 10.0f, 0.0f), level.cargoList);
    level.area(AREA_DANGER, V3(-300.0f, FLOOR_Y, 0.0f), 60.0f);
    level.holdControl(RIGHT, 20, 120);
    level.tapControl(USE, 30);
    level.tapControl(JUMP, 60);
    level.tapControl(JUMP, 75);
    level.holdControl(LEFT, leftFrom, 800);
    level.step(frames);  // eyes and blinks draw from the generator throughout
    EXPECT_TRUE(pig->bHasHat);
    EXPECT_EQ(level.currentResult.livesLost, 1);
    return level.stateHash();
}

TEST(PigDeterminism, TheSameScriptGivesTheSameState) {
    EXPECT_EQ(playScript(130, 800), playScript(130, 800));
    EXPECT_NE(playScript(130, 450), playScript(131, 450));
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
    level.setEditing(true);
    level.panel.bHideEditorViews = true;  // the editor's clean view hides her
    EXPECT_EQ(drawsOf(level, pig), 0);
    level.setEditing(false);

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

}  // namespace
