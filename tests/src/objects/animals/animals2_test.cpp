// The geyser, the hedgehog, the horse, the rabbit and the snail in a test
// level with a floor, a scripted pig and free apples, run by real ticks.
#include <gtest/gtest.h>

#include <cmath>

#include "TestLevel.h"
#include "audio/SoundChannel.h"
#include "objects/animals/Hedgehog.h"
#include "objects/animals/Horse.h"
#include "objects/animals/Rabbit.h"
#include "objects/animals/Snail.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Geyser.h"
#include "objects/pig/Pig.h"
#include "world/BezierPath.h"

namespace {

constexpr float FLOOR_Y = 100.0f;

struct Animals : leveltest::TestLevel {
    explicit Animals(float heroX) {
        floor(-2000.0f, 2000.0f, FLOOR_Y);
        hero = spawnHero(V3(heroX, FLOOR_Y, 0.0f));
    }
    // Registered, set up by `setup`, then constructed and started as a level
    // starts its objects.
    template <class T, class F>
    T* place(const V3& at, F setup) {
        T* o = new T();
        role->registerObject(o, 0);
        o->setPosition(at);
        setup(o);
        objectList->addChild(o);
        o->construct();
        o->netPostReplicate();
        return o;
    }
    Apple* apple(const V3& at, bool hanging = false) {
        Apple* a = spawn<Apple>(at, appleList);
        a->bHanging = hanging;
        return a;
    }
    // A straight path on the floor from x0 to x1.
    BezierPath* path(float x0, float x1) {
        BezierPath* p = spawn<BezierPath>(V3(x0, FLOOR_Y, 0.0f), objectList);
        p->addPoint(0.0f, 0.0f, 0.0f);
        p->addPoint(x1 - x0, 0.0f, 0.0f);
        p->onEdited();
        return p;
    }
    // Bitten (frames 3 to 5): spoiled, but not eaten.
    bool bitten(const Apple* a) {
        for (const char16_t* f : {u"apple:3", u"apple:4", u"apple:5"})
            if (a->pSkin == resources.find(f)) return a->bSpoiled && !a->bEaten;
        return false;
    }
    Pig* hero;
};

}  // namespace

TEST(Geyser, EruptsOnItsRhythmRumblingFirstAndThrowsOnlyAVulnerablePig) {
    Animals level(10.0f);
    Geyser* g = level.place<Geyser>(V3(0.0f, FLOOR_Y, 0.0f), [](Geyser* g) {
        g->initialDelay = 0.5;
        g->idleTime = 1.5;
        g->eruptTime = 1.0;
    });
    level.bInvulnerable = 1;
    // The rumble in the last second of the first rest, then the jet at 2.0 s.
    ASSERT_TRUE(level.stepUntil([&] { return g->soundChannel != nullptr; }, 200));
    EXPECT_NEAR(level.time, 1.0, 0.015);
    EXPECT_EQ(g->soundChannel->getSound(), level.resources.find(u"geyserRumble"));
    ASSERT_TRUE(level.stepUntil([&] { return g->state == Geyser::ERUPTING; }, 200));
    EXPECT_NEAR(level.time, 2.0, 0.015);
    EXPECT_EQ(g->soundChannel->getSound(), level.resources.find(u"geyserErupt"));
    // Invulnerable, she stands in the jet unharmed; the next jet comes a
    // rest and an eruption later.
    ASSERT_TRUE(level.stepUntil([&] { return g->state == Geyser::RESTING; }, 200));
    EXPECT_EQ(level.hero->state, Pig::PLAYING);
    EXPECT_EQ(g->soundChannel, nullptr);
    level.bInvulnerable = 0;
    ASSERT_TRUE(level.stepUntil([&] { return g->state == Geyser::ERUPTING; }, 200));
    EXPECT_NEAR(level.time, 4.5, 0.015);
    // The jet rises for a quarter of a second, then throws her up and away.
    level.step(24);
    EXPECT_EQ(level.hero->state, Pig::PLAYING);
    ASSERT_TRUE(level.stepUntil([&] { return level.hero->state == Pig::FAINTING; }, 3));
    EXPECT_EQ(level.currentResult.livesLost, 1);
    EXPECT_GT(level.hero->velocity.x, 0.0f);
    EXPECT_GT(level.hero->velocity.y, 300.0f);
    level.step(10);
    EXPECT_GT(level.hero->physPoint.position.y, FLOOR_Y + 20.0f);
}

TEST(Geyser, ARhythmOfNoLengthEruptsEveryOtherTickAndAFarPigHearsNothing) {
    Animals level(1000.0f);
    // Two phases of no length used to enter each other without end.
    Geyser* g = level.place<Geyser>(V3(0.0f, FLOOR_Y, 0.0f), [](Geyser* g) { g->idleTime = g->eruptTime = 0.0; });
    int states[4];
    for (int& s : states) {
        level.step();
        s = g->state;
    }
    EXPECT_NE(states[0], states[1]);
    EXPECT_EQ(states[0], states[2]);
    EXPECT_NE(states[2], states[3]);
    EXPECT_EQ(g->soundChannel, nullptr);
}

TEST(Hedgehog, SpikesTwoApplesAtOnceCarriesThemAndSurvivesOneBeingDeleted) {
    Animals level(1500.0f);
    auto* h = level.place<Hedgehog>(V3(), [&](Hedgehog* h) {
        h->pPath.set(level.path(-300.0f, 300.0f));
        h->pathSpeed = 0.25f;
    });
    level.apple(V3(0.0f, 160.0f, 0.0f));
    level.apple(V3(0.0f, 160.0f, 0.0f));
    ASSERT_TRUE(level.stepUntil([&] { return h->spikedCount() > 0; }, 300));
    ASSERT_EQ(h->spikedCount(), 2);
    EXPECT_EQ(level.currentResult.applesLost, 2);
    Apple* kept = h->spikedApple(1);
    for (Apple* a : {h->spikedApple(0), kept}) EXPECT_TRUE(a->bSpoiled && a->bEaten);

    // They ride along; the fresh apples that replace them hang at their
    // place and are passed by.
    const float from = h->position.x, appleFrom = kept->boundingCentre.x;
    level.step(20);
    EXPECT_GT(h->position.x - from, 25.0f);
    EXPECT_NEAR(kept->boundingCentre.x - appleFrom, h->position.x - from, 1.0f);

    // An apple deleted while it rides leaves the hedgehog whole.
    h->spikedApple(0)->destroy();
    level.step(60);
    EXPECT_EQ(h->spikedCount(), 1);
    EXPECT_EQ(h->spikedApple(0), kept);
    EXPECT_GT(h->position.x - from, 100.0f);
    EXPECT_NEAR(kept->boundingCentre.x - appleFrom, h->position.x - from, 1.0f);
    EXPECT_EQ(level.currentResult.applesLost, 2);
}

TEST(Horse, TurnsToTheNearestAppleBitesItInReachLicksAndWatchesTheNext) {
    Animals level(1500.0f);
    Horse* horse = level.place<Horse>(V3(0.0f, FLOOR_Y + 64.0f, 0.0f), [](Horse*) {});
    Apple* behind = level.apple(V3(-150.0f, FLOOR_Y + 10.0f, 0.0f));
    Apple* near = level.apple(V3(30.0f, 260.0f, 0.0f));
    level.step();
    EXPECT_EQ(horse->state, Horse::ALERT);
    ASSERT_TRUE(level.stepUntil([&] { return near->bSpoiled != 0; }, 100));
    EXPECT_TRUE(level.bitten(near));
    EXPECT_EQ(horse->state, Horse::LICKING);
    // A second of licking, then it watches the apple behind it, head turned
    // back, out of reach.
    level.step(99);
    EXPECT_EQ(horse->state, Horse::LICKING);
    level.step(300);
    EXPECT_EQ(horse->state, Horse::ALERT);
    EXPECT_EQ(horse->head->scale.x, -1.0f);
    EXPECT_FALSE(behind->bSpoiled);
}

TEST(Rabbit, BitesAnAppleOnItsBurrowOnlyOnceFullyOut) {
    Animals level(1500.0f);
    level.floor(-30.0f, 30.0f, 140.0f);
    Rabbit* r = level.place<Rabbit>(V3(0.0f, 120.0f, 0.0f), [](Rabbit* r) {
        r->inTime = 0.5;
        r->outTime = 3.0;
    });
    // Two phases of no length used to enter each other without end.
    Rabbit* restless = level.place<Rabbit>(V3(500.0f, 120.0f, 0.0f), [](Rabbit* r) { r->inTime = r->outTime = 0.0; });
    Apple* a = level.apple(V3(0.0f, 200.0f, 0.0f));
    const int before = restless->state;
    level.step();
    EXPECT_NE(restless->state, before);

    // Rising, the head reaches the apple but does not bite yet.
    ASSERT_TRUE(level.stepUntil([&] { return r->appearValue.get() > 0.7f; }, 200));
    EXPECT_TRUE(r->head->collide(a));
    EXPECT_FALSE(a->bSpoiled);
    ASSERT_TRUE(level.stepUntil([&] { return a->bSpoiled != 0; }, 100));
    EXPECT_EQ(r->appearValue.get(), 1.0f);
    EXPECT_EQ(r->state, Rabbit::UP);
    EXPECT_TRUE(level.bitten(a));
}

TEST(Snail, NibblesALooseAppleOnItsWayButNeverAHangingOneAndWaitsWithoutAPath) {
    Animals level(1500.0f);
    Snail* waiting = level.place<Snail>(V3(400.0f, FLOOR_Y, 0.0f), [](Snail*) {});
    auto* s = level.place<Snail>(V3(), [&](Snail* s) {
        s->pPath.set(level.path(-200.0f, 200.0f));
        s->pathSpeed = 0.2f;
    });
    Apple* hanging = level.apple(V3(-100.0f, FLOOR_Y + 10.0f, 0.0f), true);
    Apple* loose = level.apple(V3(0.0f, 160.0f, 0.0f));
    ASSERT_TRUE(level.stepUntil([&] { return loose->bSpoiled != 0; }, 400));
    EXPECT_TRUE(level.bitten(loose));
    EXPECT_GT(s->position.x, -50.0f);
    EXPECT_FALSE(hanging->bSpoiled);
    EXPECT_EQ(level.currentResult.applesLost, 1);
    EXPECT_EQ(waiting->position, V3(400.0f, FLOOR_Y, 0.0f));
}
