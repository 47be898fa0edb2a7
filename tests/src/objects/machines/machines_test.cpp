// Explosions and what they blow away, moving platforms, rotators and
// drawbridges, driven by the pig and her switches through real ticks. The
// floor lies above the test level's bottom.
#include <gtest/gtest.h>

#include <cmath>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "fx/ParticleGroup.h"
#include "objects/devices/Switch.h"
#include "objects/machines/BlastableObject.h"
#include "objects/machines/Drawbridge.h"
#include "objects/machines/Explosion.h"
#include "objects/machines/PathPlatform.h"
#include "objects/machines/Rotator.h"
#include "objects/machines/SpringRotator.h"
#include "objects/pig/Pig.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/Hull.h"

namespace {

constexpr int USE = GameConfiguration::CONTROL_USE;
constexpr int LEFT = GameConfiguration::CONTROL_LEFT;
constexpr int JUMP = GameConfiguration::CONTROL_JUMP;
constexpr float FLOOR_Y = 100.0f;

template <class T>
int count(ZubBase* list) {
    int n = 0;
    for (T* o : childrenOf<T>(list)) n += !o->bToBeDestroyed;
    return n;
}

struct Machines : testing::Test {
    Machines() {
        EXPECT_TRUE(audio.initPull(22050));
        level.floor(-3000.0f, 3000.0f, FLOOR_Y);
        hero = level.spawnHero(V3(0.0f, FLOOR_Y + 1.0f, 0.0f));
        EXPECT_TRUE(level.stepUntil([&] { return hero->getGround() != nullptr; }, 100));
    }
    // A lever where she stands (on ground at `y`), firing `target`; pressed with UP.
    void lever(A99Object* target, float y = FLOOR_Y) {
        level.spawn<Switch>(V3(hero->position.x, y + 30.0f, 0.0f), level.objectList)->target1.set(target);
    }
    void press() {
        level.tapControl(USE, level.frame + 1);
        level.step(2);
    }
    // An object with a flat hull from -half to +half along its local x.
    template <class T>
    T* board(const V3& at, ZubBase* list, float half, const char16_t* skin = nullptr) {
        T* o = level.spawn<T>(at, list);
        if (skin) o->setSkin(level.resources.findAs<Skin>(skin));
        o->createHull();
        for (float x : {-half, half}) o->getHull()->addHullPoint(x, 0.0f, 0.0f, true);
        o->netPostReplicate();
        return o;
    }
    // Whether the sound played since the last look (the playbacks then end).
    bool heard(const char16_t* name) {
        const bool played = level.resources.findAs<Sound>(name)->activePlaybacks() > 0;
        std::vector<float> pcm(2 * 4096);
        audio.pull(pcm.data(), 4096);
        return played;
    }
    ZubAudio audio;
    leveltest::TestLevel level;
    Pig* hero = nullptr;
};

TEST_F(Machines, AnExplosionThrowsTheBlastableObjectsInReachWithEffectsAndTheyLeaveOutOfView) {
    // The plank she stands on, a rock at the edge of the reach, one on the charge.
    auto* plank = board<BlastableObject>(V3(380, 200, 0), level.explodableList, 60.0f, u"rocksA:0");
    auto* edge = level.spawn<BlastableObject>(V3(300, 400, 0), level.explodableList);
    auto* centre = level.spawn<BlastableObject>(V3(300, 200, 0), level.explodableList);
    auto* charge = level.spawn<Explosion>(V3(300, 200, 0), level.objectList);
    ZubBaseReference gone;
    gone.set(charge);
    level.placeHero(hero, V3(390, 220, 0));
    ASSERT_TRUE(level.stepUntil([&] { return hero->groundOwner() == plank; }, 50));
    const int hulls = level.hullList->countChildren();
    lever(charge, 200.0f);
    press();
    EXPECT_EQ(level.hullList->countChildren(), hulls - 1);
    EXPECT_EQ(hero->getGround(), nullptr);  // she falls
    EXPECT_TRUE(plank->bLaunched && centre->bLaunched && !edge->bLaunched);
    const float speed = plank->launchVelocity.length();
    EXPECT_TRUE(speed >= 300.0f && speed < 500.0f) << speed;
    EXPECT_NEAR(plank->launchVelocity.x, speed, 1e-3f);  // away from the charge
    EXPECT_EQ(centre->launchVelocity, V3());
    EXPECT_TRUE(std::fabs(centre->spinSpeed) >= kTwoPi && std::fabs(centre->spinSpeed) < 2 * kTwoPi);
    EXPECT_EQ(std::tuple(count<SmokeParticles>(level.fgEffectsList), count<SparkShower>(level.fgEffectsList),
                         count<ExplosionParticles>(level.fgEffectsList)),
              std::tuple(1, 1, 1));
    EXPECT_TRUE(heard(u"explosionSound"));
    EXPECT_EQ(std::tuple(level.game->camera->shakeDuration, level.game->camera->shakeStrength), std::tuple(0.75, 0.15));

    // A second charge, at detail 0: no smoke, and the launched stay as they fly.
    level.configuration->detailLevel = 0;
    const V3 flight = plank->launchVelocity;
    auto* second = level.spawn<Explosion>(V3(320, 200, 0), level.objectList);
    second->activate();
    EXPECT_EQ(std::tuple(count<SmokeParticles>(level.fgEffectsList), count<SparkShower>(level.fgEffectsList)),
              std::tuple(1, 2));
    EXPECT_EQ(plank->launchVelocity, flight);
    level.step();
    EXPECT_EQ(gone.get(), nullptr);  // the charges took themselves away
    // Out of view the plank leaves the level; the one on the charge only spins there.
    EXPECT_TRUE(level.stepUntil([&] { return level.explodableList->countChildren() == 2; }, 300));
    EXPECT_TRUE(centre->position == V3(300, 200, 0) && centre->rotation.z != 0.0f);
}

TEST_F(Machines, APlatformCarriesHerOnceSheTouchesItAndASecondTouchAtTheEndSendsItBack) {
    auto* path = level.spawn<BezierPath>(V3(300, 200, 0), level.objectList);
    path->addPoint(0, 0, 0);
    path->addPoint(400, 200, 0);
    for (BezierVertex* v : childrenOf<BezierVertex>(path->vertices)) v->tangent = V3(400, 200, 0) * (1.0f / 3.0f);
    path->onEdited();
    auto* platform = board<PathPlatform>(V3(300, 200, 0), level.objectList, 60.0f);
    platform->pPath.set(path);
    platform->pathSpeed = 0.5f;
    platform->bActivated = false;
    platform->bOnceOnly = true;
    platform->bActivatedByTouch = true;
    auto* idle = level.spawn<PathPlatform>(V3(900, 900, 0), level.objectList);  // no path: it stays
    level.step(10);
    EXPECT_EQ(std::tuple(platform->pathAlpha, idle->position), std::tuple(0.0f, V3(900, 900, 0)));

    level.placeHero(hero, V3(320, 230, 0));
    ASSERT_TRUE(level.stepUntil([&] { return platform->pathAlpha > 0.0f; }, 50));
    EXPECT_EQ(hero->groundOwner(), platform);
    // She rides to the top and rests there with it (her touch counts once).
    const float offset = hero->physPoint.position.x - platform->position.x;
    level.step(250);
    EXPECT_EQ(std::tuple(platform->pathAlpha, platform->pathDir), std::tuple(1.0f, 1));
    EXPECT_LT(V3::distance(platform->position, V3(700, 400, 0)), 1e-3f);
    EXPECT_NEAR(hero->physPoint.position.x - platform->position.x, offset, 0.5f);
    EXPECT_NEAR(hero->physPoint.position.y, 400.0f, 0.5f);
    // A hop: landing again is a new touch, and it carries her back down.
    level.tapControl(JUMP, level.frame + 1);
    EXPECT_TRUE(level.stepUntil([&] { return platform->pathDir == -1; }, 100));
    EXPECT_TRUE(level.stepUntil([&] { return platform->pathAlpha == 0.0f; }, 250));
    EXPECT_EQ(hero->groundOwner(), platform);
    EXPECT_NEAR(hero->physPoint.position.y, 200.0f, 0.5f);
}

TEST_F(Machines, ARotatorSwingsWaitsAndTurnsOncePerActivationAtAnEnd) {
    auto* r = level.spawn<Rotator>(V3(-500, 400, 0), level.objectList);
    r->rotatorSpeed = 2.0f;
    r->endpointTimer = r->endpointDelay = 0.2;
    level.step(55);  // 0.5 s to the end, then waiting there
    EXPECT_NEAR(r->rotation.z, kPi / 8, 1e-6f);
    const int32_t stamp = r->prevFrameStamp;
    level.step(10);
    EXPECT_EQ(std::tuple(r->rotatorDir, r->prevFrameStamp), std::tuple(1, stamp));  // still: no refresh
    level.step(15);
    EXPECT_EQ(r->rotatorDir, -1);
    EXPECT_LT(r->rotation.z, kPi / 8 - 0.01f);

    // Once only, fired: the first activation only starts it, and
    // activations in consecutive frames turn it once.
    r->bOnceOnly = true;
    r->bActivated = false;
    r->rotatorAlpha = 1.0f;
    r->rotatorDir = 1;
    for (int gap : {1, 1, 3}) {
        r->activate();
        level.step(gap);
    }
    EXPECT_EQ(r->rotatorDir, 1);
    r->activate();
    EXPECT_EQ(r->rotatorDir, -1);
    level.step(60);
    EXPECT_FLOAT_EQ(r->rotation.z, -kPi / 8);
}

TEST_F(Machines, HerWeightTipsASpringBoardToItsStopAndWalkingAcrossTipsItBack) {
    auto* b = board<SpringRotator>(V3(0, 300, 0), level.objectList, 64.0f, u"fence:4");
    auto* bare = board<SpringRotator>(V3(1000, 300, 0), level.objectList, 64.0f);
    level.placeHero(hero, V3(1040, 320, 0));  // on a board without a size: it stays
    level.step(100);
    EXPECT_EQ(std::tuple(bare->currentAngle, hero->groundOwner()), std::tuple(0.0f, (A99Object*)bare));
    level.placeHero(hero, V3(45, 320, 0));
    level.step(200);
    EXPECT_EQ(std::tuple(b->currentAngle, b->anglePoint.velocity), std::tuple(-kPi / 8, V3()));
    EXPECT_EQ(hero->groundOwner(), b);
    // The board ticks its angle point itself: not in the editor.
    b->anglePoint.velocity.x = 1.0f;
    level.setEditing(true);
    level.step(5);
    level.setEditing(false);
    EXPECT_EQ(b->anglePoint.position.x, -kPi / 8);
    b->anglePoint.velocity = V3();
    // She walks up over the pivot: it tips the other way.
    level.holdControl(LEFT, level.frame, level.frame + 25);
    level.step(250);
    EXPECT_LT(hero->physPoint.position.x, -10.0f);
    EXPECT_EQ(hero->groundOwner(), b);
    EXPECT_EQ(std::tuple(b->currentAngle, b->anglePoint.velocity), std::tuple(kPi / 8, V3()));
}

TEST_F(Machines, ADrawbridgeSwingsBetweenItsAnglesWhenHerLeverFiresIt) {
    auto* bridge = level.spawn<Drawbridge>(V3(400, FLOOR_Y, 0), level.objectList);
    bridge->construct();  // again: still the one segment
    ASSERT_EQ(bridge->getHull()->segmentCount(), 1);
    // Stored lowered and mirrored: it swings down through the negated
    // angles within the first second, its chain on the other side.
    auto* mirrored = level.spawn<Drawbridge>(V3(-400, FLOOR_Y, 0), level.objectList);
    mirrored->setScale(-1.0f, 1.0f, 1.0f);
    mirrored->bLowered = true;
    mirrored->loweredAngle = 0.5f;
    level.step();
    const float raised = Drawbridge::DEFAULT_RAISED_ANGLE;
    EXPECT_FLOAT_EQ(bridge->rotation.z, raised);
    EXPECT_NEAR(mirrored->rotation.z, -raised, 1e-3f);
    level.step(102);
    EXPECT_FLOAT_EQ(mirrored->rotation.z, -0.5f);
    EXPECT_LT(mirrored->chain->position.x, mirrored->position.x - 22.0f);

    // Lowered, and raised again 0.4 s later: raised after a further 0.4 s.
    lever(bridge);
    press();
    EXPECT_TRUE(bridge->bLowered && heard(u"drawbridgeLower"));
    level.step(38);
    EXPECT_LT(bridge->rotation.z, raised - 0.1f);
    press();
    EXPECT_TRUE(!bridge->bLowered && heard(u"drawbridgeRaise"));
    level.step(41);
    EXPECT_FLOAT_EQ(bridge->rotation.z, raised);
    // Down in a second, its deck flat.
    press();
    level.step(102);
    EXPECT_FLOAT_EQ(bridge->rotation.z, 0.0f);
    EXPECT_NEAR(bridge->getHull()->getSegment(0)->getWorldAngle(), 0.0f, 1e-6f);
    press();
    level.setEditing(true);  // nothing moves in the editor
    level.step(60);
    EXPECT_FLOAT_EQ(bridge->rotation.z, 0.0f);
}

}  // namespace
