// Path followers, the worm, the butterfly, sweets and sweet paths, run by real ticks.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "objects/apples/Apple.h"
#include "objects/paths/Butterfly.h"
#include "objects/paths/Sweet.h"
#include "objects/paths/SweetPath.h"
#include "objects/paths/Worm.h"
#include "objects/pig/Pig.h"
#include "world/BezierVertex.h"
#include "world/Terrain.h"

namespace {

// A floor at y 100 with the hero far to the right on it.
struct PathLevel : leveltest::TestLevel {
    PathLevel() {
        floor(-2000, 2000, 100);
        hero = spawnHero(V3(900, 100, 0));
    }
    // A path at `at` through local points. A pair is made straight with
    // tangents of a third of it, so that its point moves evenly with the distance.
    template <class P = BezierPath>
    P* path(const V3& at, std::initializer_list<V3> points) {
        P* p = spawn<P>(at, objectList);
        for (const V3& v : points) p->addPoint(v.x, v.y, v.z);
        for (BezierVertex* v : childrenOf<BezierVertex>(p->vertices)) {
            if (points.size() != 2) break;
            v->tangent = (points.end()[-1] - points.begin()[0]) * (1.0f / 3.0f);
            v->notifyReferrers();
        }
        p->onEdited();
        return p;
    }
    template <class F = PathFollower>
    F* follower(BezierPath* p, float speed) {
        F* f = spawn<F>(p ? p->position : V3(), objectList);
        f->pPath.set(p);
        f->pathSpeed = speed;
        return f;
    }
    int bursts() { return fgEffectsList->countChildren(); }
    Pig* hero;
};

// An apple that stays where the test puts it.
struct StillApple : Apple {
    void tick(double, double) override {}
};

}  // namespace

TEST(PathFollower, RunsBothWaysWaitsAtTheEndsEasesAndStandsOnTheTerrain) {
    PathLevel level;
    BezierPath* p = level.path(V3(200, 300, 0), {V3(0, 0, 0), V3(100, 0, 0)});
    auto* f = level.follower(p, 0.5f);
    f->endpointTimer = f->endpointDelay = 0.105;
    auto* eased = level.follower(p, 0.5f);
    eased->bSinusoidal = true;
    level.step(50);
    EXPECT_NEAR(f->pathPosition.x, 225.0f, 0.1f);
    EXPECT_NEAR(eased->pathPosition.x, 200.0f + 100.0f * (0.5f - 0.5f * std::cos(kPi / 4)), 0.1f);
    EXPECT_EQ(std::tuple(f->pathPosition.y, f->pathAngle, f->leftFacing()), std::tuple(300.0f, 0.0f, -1.0f));
    // The end: it arrives after 2 s and waits the delay before it turns.
    level.step(155);
    EXPECT_EQ(std::tuple(f->pathAlpha, f->pathDir), std::tuple(1.0f, 1));
    EXPECT_NEAR(f->pathPosition.x, 300.0f, 0.01f);
    level.step(10);
    EXPECT_EQ(std::tuple(f->pathDir, f->leftFacing(), f->rightFacing()), std::tuple(-1, 1.0f, -1.0f));
    level.step(100);
    EXPECT_NEAR(f->pathPosition.x, 247.75f, 0.5f);
    // Once only: it stays at the start it reaches, still turned backwards.
    f->bOnceOnly = true;
    level.step(200);
    EXPECT_EQ(std::tuple(f->pathAlpha, f->pathDir), std::tuple(0.0f, -1));

    // On a terrain rising at 45 degrees from 100 at x 186 to 228 at x 314;
    // a follower that does not move still stands on it.
    auto* terrain = level.spawn<Terrain>(V3(250, 0, 0), level.objectList);
    terrain->construct(9, 16);
    for (int i = 0; i < 9; ++i) terrain->setHeights(i, 100.0f + 16.0f * static_cast<float>(i), Terrain::kKeep);
    BezierPath* flat = level.path(V3(200, 500, 0), {V3(0, 0, 0), V3(100, 0, 0)});
    auto* walker = level.follower(flat, 0.0f);
    walker->pTerrain.set(terrain);
    walker->pathAlpha = 0.5f;
    walker->bActivated = false;
    level.step();
    EXPECT_NEAR(walker->pathPosition.x, 250.0f, 0.01f);
    EXPECT_NEAR(walker->pathPosition.y, 164.0f, 0.01f);
    EXPECT_NEAR(walker->pathAngle, kPi / 4, 1e-5f);
}

TEST(PathFollower, APathWithoutASegmentIsNotTravelledUntilItHasOne) {
    PathLevel level;
    BezierPath* p = level.path(V3(100, 300, 0), {});
    auto* worm = level.follower<Worm>(p, 0.5f);
    auto* lone = level.follower<Worm>(nullptr, 0.5f);
    lone->setPosition(100, 300, 0);
    level.step(5);
    p->addPoint(0, 0, 0);
    level.step(5);
    for (Worm* w : {worm, lone}) {
        EXPECT_EQ(w->pathAlpha, 0.0f);
        EXPECT_EQ(w->position, V3(100, 300, 0));
        EXPECT_EQ(w->crawl.get(), 0.0f);
    }
    p->addPoint(100, 0, 0);
    p->onEdited();
    level.step(20);
    EXPECT_NEAR(worm->pathAlpha, 0.1f, 1e-4f);
    EXPECT_GT(worm->position.x, 105.0f);
    EXPECT_EQ(lone->position, V3(100, 300, 0));

    // An editor copy of a follower travels the original's path: the path
    // is named, not copied along.
    EditorObject* copy = worm->duplicate();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(static_cast<Worm*>(copy)->pPath.get(), p);
    deleteObject(copy);
}

TEST(Worm, CrawlsSpoilsTheFirstLooseAppleItTouchesAndDiesUnderThePig) {
    PathLevel level;
    ZubAudio audio;
    ASSERT_TRUE(audio.initPull(22050));
    BezierPath* p = level.path(V3(100, 200, 0), {V3(0, 0, 0), V3(200, 0, 0)});
    // Standing still: no crawl, no frame change.
    auto* worm = level.follower<Worm>(p, 0.0f);
    level.step(10);
    Skin* still = worm->pSkin;
    level.step(7);
    EXPECT_EQ(std::tuple(worm->position, worm->pSkin, worm->crawl.get()), std::tuple(V3(100, 200, 0), still, 0.0f));
    worm->pathSpeed = 0.25f;
    level.step(20);
    EXPECT_NEAR(worm->position.x, 110.0f, 0.1f);
    EXPECT_NE(worm->pSkin, still);

    // Three apples under it: one in a basket, then two loose ones.
    StillApple* apples[3];
    for (StillApple*& a : apples) {
        a = level.spawn<StillApple>(worm->boundingCentre, level.appleList);
        a->bHanging = 0;
    }
    alignas(64) static char slot[64];
    apples[0]->pSlot = reinterpret_cast<BasketSlot*>(slot);
    ZubBaseReference watch;
    watch.set(worm);
    level.step();
    EXPECT_EQ(std::tuple(apples[0]->bSpoiled, apples[1]->bSpoiled, apples[2]->bSpoiled), std::tuple(0, 1, 0));
    EXPECT_EQ(watch.get(), nullptr);
    apples[0]->pSlot = nullptr;

    // The pig squashes another: its sound and, at detail 1 and up, a burst.
    Sound* die = level.resources.findAs<Sound>(u"wormDie");
    BezierPath* low = level.path(V3(100, 120, 0), {V3(0, 0, 0), V3(200, 0, 0)});
    for (int detail : {1, 0}) {
        level.configuration->detailLevel = detail;
        watch.set(level.follower<Worm>(low, 0.0f));
        level.step();
        const int before = level.bursts();
        level.placeHero(level.hero, V3(100, 100, 0));
        level.step(2);
        EXPECT_EQ(watch.get(), nullptr) << detail;
        EXPECT_EQ(die->activePlaybacks(), 1) << detail;
        EXPECT_EQ(level.bursts() - before, detail) << detail;
        std::vector<float> out(2 * 22050);
        audio.pull(out.data(), 22050);
        level.placeHero(level.hero, V3(900, 100, 0));
    }
}

TEST(Butterfly, RestsAtTheNearEndUntilThePigComesAndAtTheFarEndOnlyOnItsPerch) {
    PathLevel level;
    BezierPath* p = level.path(V3(-300, 120, 0), {V3(0, 0, 0), V3(200, 0, 0)});
    auto* b = level.follower<Butterfly>(p, 1.0f);
    b->bOnceOnly = true;
    level.step(100);
    EXPECT_EQ(std::tuple(b->pathAlpha, b->pathDir, b->position.x), std::tuple(0.0f, 0, -300.0f));
    // Scared off by the pig, it flies to the far end and stays there without a perch.
    level.placeHero(level.hero, V3(-300, 100, 0));
    level.step(2);
    level.placeHero(level.hero, V3(900, 100, 0));
    EXPECT_TRUE(level.stepUntil([&] { return b->pathAlpha == 1.0f; }, 110));
    level.step(100);
    EXPECT_EQ(std::tuple(b->pathAlpha, b->pathDir), std::tuple(1.0f, 1));
    // With a perch: it stays while the perch is there; without it and with
    // the pig arriving in the same tick, it turns back once.
    auto* perch = level.spawn<A99Object>(b->position, level.objectList);
    perch->setSkin(level.resources.findAs<Skin>(u"butterfly:0"));
    b->pNeededForSittingOn.set(perch);
    level.step(50);
    EXPECT_EQ(std::tuple(b->pathAlpha, b->pathDir), std::tuple(1.0f, 1));
    perch->setPosition(900, 900, 0);
    level.placeHero(level.hero, V3(-100, 100, 0));
    level.step(2);
    EXPECT_EQ(std::tuple(b->pathDir, b->pathAlpha < 1.0f), std::tuple(-1, true));
}

TEST(Sweet, BobsIsEatenForItsPointsAndPitchAndKeepsTheScoreInRange) {
    PathLevel level;
    auto* bobbing = level.spawn<Sweet>(V3(-200, 300, 0), level.sweetList);
    float low = 300, high = 300;
    for (int i = 0; i < 100; ++i, level.step()) {
        low = std::min(low, bobbing->position.y);
        high = std::max(high, bobbing->position.y);
    }
    EXPECT_LT(std::fmax(std::fabs(low - 296.0f), std::fabs(high - 304.0f)), 0.01f);

    // A marked sound: 2205 frames last 2205 / 1.0595^n frames at n semitones.
    ZubAudio audio;
    ASSERT_TRUE(audio.initPull(22050));
    Sound pickup(0, 8, std::vector<float>(2205, 0.5f), 1, 22050);
    level.resources.addResource(u"sweetPickup", &pickup);
    std::vector<float> out(2 * 4000);
    ZubBaseReference watch;
    auto eat = [&](int type) {
        watch.set(level.spawn<Sweet>(level.hero->boundingCentre, level.sweetList));
        watch.as<Sweet>()->setType(type);
        level.step();
        return watch.get() == nullptr;
    };
    ASSERT_TRUE(eat(5));
    EXPECT_EQ(std::tuple(level.currentResult.points, level.currentResult.sweetsGathered), std::tuple(1500, 1));
    EXPECT_EQ(level.bursts(), 1);
    audio.pull(out.data(), 2570);  // 2622 frames at -3 semitones
    EXPECT_EQ(pickup.activePlaybacks(), 1);
    audio.pull(out.data(), 100);
    EXPECT_EQ(pickup.activePlaybacks(), 0);
    // At the limit the score holds; beyond it, it becomes 0, never negative.
    level.currentResult.points = INT_MAX - 100;
    ASSERT_TRUE(eat(0));
    EXPECT_EQ(level.currentResult.points, INT_MAX);
    ASSERT_TRUE(eat(0));
    EXPECT_EQ(level.currentResult.points, 0);
}

TEST(SweetPath, LaysOutItsSweetsWhereTheyAreDrawnWithGradedTypes) {
    PathLevel level;
    // Rows far from the camera, where sweets do not bob: count, first type, change.
    for (auto [y, n, type, delta] : {std::tuple(300, 5, 0, 3), std::tuple(600, 2, -3, 30), std::tuple(900, 1, 7, 5)}) {
        auto* row = level.path<SweetPath>(V3(3000, y, 0), {V3(0, 0, 0), V3(400, 0, 0)});
        std::tie(row->sweetInstances, row->sweetType, row->sweetTypeDelta) = std::tie(n, type, delta);
        row->netPostReplicateGlobal();
    }
    level.step();
    const int types[] = {0, 1, 2, 2, 3, 0, 15, 7};
    const V3 at[] = {V3(3000, 300, 0), V3(3100, 300, 0), V3(3200, 300, 0), V3(3300, 300, 0),
                     V3(3400, 300, 0), V3(3000, 600, 0), V3(3400, 600, 0), V3(3000, 900, 0)};
    ASSERT_EQ(level.sweetList->countChildren(), 8);
    int i = 0;
    for (Sweet* s : childrenOf<Sweet>(level.sweetList)) {
        EXPECT_EQ(std::tuple(s->position, s->type), std::tuple(s->refPosition, types[i])) << i;
        EXPECT_EQ(s->pSkin, level.resources.findAs<Skin>(u"sweets:0")->getFrame(types[i])) << i;
        EXPECT_LT(V3::distance(s->position, at[i++]), 0.01f) << i;
    }
}
