// Areas met by the hero and by apples in a level run by real ticks and scripted
// keys; the weather that follows the camera. Floors lie above the level's bottom.
#include <gtest/gtest.h>

#include <cmath>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "fx/ParticleGroup.h"
#include "objects/apples/Apple.h"
#include "objects/areas/Area.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Weather.h"
#include "world/HullSegment.h"
#include "world/Xsect.h"

using leveltest::TestLevel;

namespace {

constexpr float FLOOR_Y = 100.0f;

struct RecordingApple : Apple {
    void push(A99Object*, const V3& impulse) override { pushes.push_back(impulse); }
    std::vector<V3> pushes;
};

// An area of the editor skin's 64 x 64 units scaled by (sx, sy), with its outline,
// placed a frame before the test goes on (sweeps then take it as standing still).
Area* place(TestLevel& level, int type, float x, bool rect, float sx, float sy) {
    auto* a = level.spawn<Area>(V3(x, FLOOR_Y, 0.0f), level.dangerAreaList);
    a->bRectangularArea = rect;
    a->areaType = type;
    a->setScale(sx, sy, 1.0f);
    a->local_createOutline();
    level.step();
    return a;
}

// The hero walks in with RIGHT held, on for `frames` once in the area (or out of play).
Pig* walkInto(TestLevel& level, Area* area, float fromX, int frames) {
    level.floor(-3000.0f, 3000.0f, FLOOR_Y);
    Pig* pig = level.spawnHero(V3(fromX, FLOOR_Y + 1.0f, 0.0f));
    level.holdControl(GameConfiguration::CONTROL_RIGHT, 0, 100000);
    EXPECT_TRUE(level.stepUntil([&] { return pig->pArea.get() == area || pig->state != Pig::PLAYING; }, 300));
    level.step(frames);
    return pig;
}

// Her top speed, the frames her friction takes to stop her and the height of her jump
// by the area's type; acid and danger knock her back; she splashes into water and mud.
TEST(Areas, TheTypeSetsThePigsSpeedFrictionAndJumpOrKnocksHerBack) {
    const float rows[][3] = {{384, 16, 144}, {384, 123, 144}, {192, 8, 72}, {96, 4, 36}};
    for (int type = 0; type < AREA_TYPE_COUNT; ++type) {
        TestLevel level;
        Pig* pig = walkInto(level, place(level, type, 0.0f, true, 32.0f, 8.0f), -1100.0f, type < 4 ? 100 : 0);
        const float top = pig->velocity.x;
        EXPECT_EQ(firstOf<SplashParticles>(level.fgEffectsList) != nullptr, type == 2 || type == 3) << type;
        level.script.clear();
        int stop = 0;
        for (; pig->velocity.x > 0.0f && stop < 300; ++stop) level.step();
        level.tapControl(GameConfiguration::CONTROL_JUMP, level.frame);
        float jump = 0.0f;
        for (int i = 0; i < 100; ++i, level.step()) jump = std::max(jump, pig->physPoint.position.y - FLOOR_Y);
        if (type >= AREA_ACID) {
            EXPECT_TRUE(pig->state == Pig::FAINTING && top < -0.9f * Pig::KNOCK_BACK_SPEED) << type;
        } else {
            EXPECT_EQ(top, rows[type][0]) << type;
            EXPECT_NEAR(stop, rows[type][1], 1.0f) << type;
            EXPECT_NEAR(jump, rows[type][2], 5.0f) << type;
        }
    }
}

// An apple falls into the area through its top, answering its outline as apples do.
void drop(A99Object* apple, const Area* area) {
    const V3 end = area->position + V3(10.0f, 10.0f, 0.0f);
    apple->setPosition(end);
    Xsect x(end + V3(0.0f, 190.0f, 0.0f), end, Xsect::FLAG_PASS_THROUGH_HULLS);
    x.considerHulls();
    while (x.checkHits()) {
        HullSegment* s = x.pHitSegment;
        x.handleHit(Xsect::PASS);
        s->owner()->onHullCrossed(apple, &x);
    }
}

// Apples falling in splash by their size: drops fly out of the surface into the effects
// list, with the sound, or the sound alone at detail 0.
TEST(Areas, ApplesFallingIntoWaterOrMudSplashByTheirSize) {
    ZubAudio audio;
    ASSERT_TRUE(audio.initPull(22050));
    TestLevel level;
    // Ten per drop, and one when the sound played.
    auto splashed = [&](uint32_t color, const V3& out, const char16_t* sound) {
        int n = level.resources.findAs<Sound>(sound)->activePlaybacks() > 0;
        for (SplashParticles* s : childrenOf<SplashParticles>(level.fgEffectsList)) {
            for (const Particle& p : s->particles) EXPECT_TRUE(p.velocity.dot(out) > -0.01f && p.color == color);
            n += 10 * s->liveCount();
            s->bToBeDestroyed = 1;
        }
        std::vector<float> pcm(2 * 4096);
        audio.pull(pcm.data(), 4096);  // the voices end
        level.step();
        return n;
    };
    Area* water = place(level, AREA_WATER, 300.0f, true, 4.0f, 2.0f);
    Area* mud = place(level, AREA_MUD, -250.0f, true, 4.0f, 4.0f);
    auto* apple = level.spawn<Apple>(V3(), nullptr);
    // Out of the apple list, where it sorted itself: it does not tick, only
    // the drops move it.
    apple->parent->removeChild(apple);
    apple->setSkin(level.resources.findAs<Skin>(u"editor_areas:0"));  // 45 units to a corner
    for (float sensitivity : {0.65f, 0.7f}) {                         // 29.4 small, no sound; 31.7 large
        apple->collisionSensitivity = sensitivity;
        drop(apple, mud);
        EXPECT_EQ(splashed(0xFF804000u, V3(0.0f, 1.0f, 0.0f), u"mudSplash"), sensitivity < 0.7f ? 50 : 151);
    }
    level.configuration->detailLevel = 0;
    drop(apple, water);
    EXPECT_EQ(splashed(0xFFCCFFFFu, V3(), u"waterSplashLarge"), 1);
}

TEST(Areas, ApplesFindTheWorstAreaAndDangerCirclesPushLooseOnesOut) {
    TestLevel level;
    level.spawnHouse(V3(-2500.0f, FLOOR_Y, 0.0f));  // what apples and the house look for as they tick
    level.spawnHero(V3(-2400.0f, FLOOR_Y, 0.0f));
    Area* mud = place(level, AREA_MUD, 0.0f, true, 8.0f, 4.0f);
    Area* acid = place(level, AREA_ACID, 200.0f, false, 4.0f, 4.0f);
    place(level, AREA_DANGER, 1000.0f, false, 4.0f, 4.0f);
    place(level, AREA_DANGER, -1000.0f, true, 4.0f, 4.0f);
    RecordingApple* a[6];
    const float at[][3] = {{-200, 0, 0}, {250, 0, 0}, {360, 0, 0}, {1060, 80, 0}, {1000, 60, 1}, {-1000, 60, 0}};
    for (int i = 0; i < 6; ++i) {
        a[i] = level.spawn<RecordingApple>(V3(at[i][0], FLOOR_Y + at[i][1], 0.0f), level.appleList);
        a[i]->bHanging = at[i][2] != 0.0f;
    }
    EXPECT_EQ(a[0]->findContainingArea(), mud);
    EXPECT_EQ(a[1]->findContainingArea(), acid);  // in the mud too
    EXPECT_EQ(a[2]->findContainingArea(), nullptr);
    EXPECT_EQ(mud->findAreaAtPoint(V3(320.0f, FLOOR_Y, 0.0f)), acid);
    level.step();
    ASSERT_EQ(a[3]->pushes.size(), 1u);  // loose in the circle; not hanging, nor in the rectangle
    EXPECT_TRUE(V3::isWithinDistance(a[3]->pushes[0], V3(0.6f, 0.8f, 0.0f) * Area::APPLE_PUSH, 0.01f));
    EXPECT_TRUE(a[4]->pushes.empty() && a[5]->pushes.empty());
}

// The area searches look only at the areas near the point (world/AreaIndex.h); they
// must answer as a walk of the whole list does while areas are placed, moved,
// rescaled, disabled, flagged for deletion and deleted, also for areas far apart,
// wider than the index's cells and at the same spot (the first in the list wins).
TEST(Areas, SearchesNearThePointAnswerAsAWalkOfTheWholeList) {
    TestLevel level;
    uint32_t seed = 12345u;
    auto next = [&seed](float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
    };
    auto walk = [&level](auto&& contains) {
        A99Object* best = nullptr;
        int bestType = 0;
        for (ObjectIterator it(level.dangerAreaList); it; it.advance()) {
            auto* area = dynamic_cast<Area*>(it.get());
            if (!area || !contains(*area)) continue;
            if (!best || area->getAreaType() > bestType) best = area, bestType = area->getAreaType();
        }
        return best;
    };
    std::vector<Area*> areas;
    auto add = [&] {
        Area* a = level.spawn<Area>(V3(next(-6000, 6000), next(-3000, 3000), 0.0f), level.dangerAreaList);
        a->bRectangularArea = next(0, 1) < 0.5f;
        a->areaType = static_cast<int>(next(0.0f, static_cast<float>(AREA_TYPE_COUNT) - 0.01f));
        a->setScale(next(0.5f, 12.0f), next(0.5f, 6.0f), 1.0f);
        areas.push_back(a);
    };
    for (int i = 0; i < 60; ++i) add();
    areas[1]->setScale(400.0f, 200.0f, 1.0f);  // wider than the index lists cell by cell
    areas[3]->setPosition(areas[2]->position.x, areas[2]->position.y, 0.0f);
    A99Object* probe = level.spawn<A99Object>(V3(), level.objectList);
    int hits = 0;
    auto compare = [&](const char* stage) {
        for (int i = 0; i < 400; ++i) {
            const V3 p(next(-7000, 7000), next(-3500, 3500), 0.0f);
            A99Object* expected = walk([&p](Area& a) { return a.containsPoint(p); });
            ASSERT_EQ(probe->findAreaAtPoint(p), expected) << stage << " point " << p.x << "," << p.y;
            probe->setPosition(p.x, p.y, 0.0f);
            A99Object* holding = walk([&](Area& a) { return a.containsObject(probe); });
            ASSERT_EQ(probe->findContainingArea(), holding) << stage << " object " << p.x << "," << p.y;
            hits += expected != nullptr;
        }
    };
    compare("placed");
    for (int i = 0; i < 60; i += 3) areas[i]->setPosition(next(-6000, 6000), next(-3000, 3000), 0.0f);
    for (int i = 1; i < 60; i += 5) areas[i]->setScale(next(0.5f, 20.0f), next(0.5f, 20.0f), 1.0f);
    compare("moved");
    areas[4]->bDisabled = 1;
    areas[5]->bToBeDestroyed = 1;
    deleteObject(areas[6]);
    areas[6] = nullptr;
    for (int i = 0; i < 10; ++i) add();
    compare("changed");
    EXPECT_GT(hits, 100);  // the points fell into areas often enough to count
}

// By season at detail 1 with a positive intensity; a bounded number of sprites that
// follow the camera's view, one box per tick.
TEST(Weather, BySeasonBoundedAndFollowingTheCamera) {
    const char16_t* kSkins[] = {u"rainDrop:0", u"", u"autumnLeaf:0", u"snowFlake:0"};
    for (int season = 0; season < 4; ++season) {
        TestLevel level;
        level.season = season;
        level.weatherIntensity = 0.5f;
        const WeatherEmitter* w = WeatherEmitter::forLevel(level);
        EXPECT_EQ(WString(w ? w->getLook().skinName : u""), kSkins[season]);
        EXPECT_TRUE(!w || (w->parent == level.weatherList && w->getCount() == 64));
    }
    TestLevel level;
    for (float i : {0.0f, -1.0f, NAN, 0.004f, 1e30f})
        EXPECT_EQ(SnowFlake(nullptr, 1.0f, i).getCount(), i > 1.0f ? WeatherEmitter::MAX_PARTICLES : 0);
    level.season = 3;
    level.weatherIntensity = 1.0f;
    level.configuration->detailLevel = 0;
    EXPECT_EQ(WeatherEmitter::forLevel(level), nullptr);
    level.configuration->detailLevel = 1;
    WeatherEmitter* snow = WeatherEmitter::forLevel(level);
    auto inBox = [&] {
        int out = 0;
        for (int i = 0; i < snow->getCount(); ++i) {
            const V3 d = snow->sprite(i).home - level.getGameCamera()->eye;
            out += std::fabs(d.x) > REFERENCE_WIDTH / 2 + 1 || std::fabs(d.y) > REFERENCE_HEIGHT / 2 + 1;
        }
        return out == 0 && snow->getCount() == 128;
    };
    level.step(200);  // drifting down and left
    EXPECT_TRUE(inBox());
    level.getGameCamera()->eye += V3(3.5f * REFERENCE_WIDTH, -2.5f * REFERENCE_HEIGHT, 0.0f);
    level.step(3);
    EXPECT_FALSE(inBox());
    level.step();
    EXPECT_TRUE(inBox());
}

}  // namespace
