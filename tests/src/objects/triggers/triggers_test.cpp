// Trigger areas and the house: crossings, door, messages, smoke, carry scale, hulls.
#include <gtest/gtest.h>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "fx/ParticleGroup.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "world/Hull.h"
#include "world/Xsect.h"

namespace {

// A floor at y 100, the house at (0, 160) and the hero on the floor.
struct HouseLevel : leveltest::TestLevel {
    HouseLevel() {
        floor(-1000, 1000, 100);
        house = spawnHouse(V3(0, 160, 0));
        hero = spawnHero(V3(300, 100, 0));
    }
    void heroTo(float x) {
        placeHero(hero, V3(x, 100, 0));
        step();
    }
    House* house;
    Pig* hero;
};

struct CountingArea : TriggerArea {
    void onHeroEnter() override { ++enters; }
    void onHeroLeave() override { ++leaves; }
    int enters = 0, leaves = 0;
};

}  // namespace

TEST(TriggerArea, EachCrossingFiresOnceStrictlyInThreeDimensionsButNotWhileEdited) {
    HouseLevel level;
    auto* area = level.spawn<CountingArea>(V3(), level.objectList);
    // Areas tick before the hero: the area sees her where the last frame left her.
    auto at = [&](V3 offset) {
        area->setPosition(level.hero->position + offset);
        level.step();
        return area->enters * 10 + area->leaves;
    };
    EXPECT_EQ(at(V3(90, 0, 0)), 0);  // exactly 50 + 40 away: outside
    EXPECT_EQ(at(V3(0, 0, 90)), 0);  // depth counts
    EXPECT_EQ(at(V3(0, 0, 89.5f)), 10);
    EXPECT_EQ(at(V3(60, 0, 0)), 10);
    EXPECT_EQ(at(V3(60, 0, 70)), 11);
    level.setEditing(true);
    EXPECT_EQ(at(V3()), 11);
    level.setEditing(false);
    EXPECT_EQ(at(V3()), 21);  // compared with the flag as editing left it
}

TEST(House, TheDoorClosesWhenSheAndEveryPigletAreHomeAndSaysWhatIsStillMissing) {
    HouseLevel level;
    ZubAudio audio;
    ASSERT_TRUE(audio.initPull(22050));
    // Everybody home, the door shown, the door sounds since the last look (which then end).
    auto state = [&] {
        const int played = level.resources.findAs<Sound>(u"doorClose")->activePlaybacks() * 10 +
                           level.resources.findAs<Sound>(u"doorOpen")->activePlaybacks();
        std::vector<float> out(2 * 4096);
        audio.pull(out.data(), 4096);
        return std::tuple(level.house->atHome != 0, !level.house->door->bHidden, played);
    };
    auto said = [&] {
        const leveltest::Message& m = level.messages.back();
        return std::tuple(level.messages.size(), m.messenger, m.textId, m.duration, wideToNarrow(m.text));
    };
    level.spawn<A99Object>(V3(0, 100, 0), level.pigletList);
    A99Object* far = level.spawn<A99Object>(V3(70, 160, 0), level.pigletList);
    level.currentResult.apples = 10;
    level.currentResult.applesGathered = 9;
    level.heroTo(0);  // inside, but one piglet is exactly 70 away
    EXPECT_EQ(state(), std::tuple(false, false, 0));
    far->setPosition(69.5f, 160, 0);
    level.step();
    EXPECT_EQ(state(), std::tuple(true, true, 10));
    EXPECT_EQ(said(), std::tuple(1u, 1, 822, 3.0, std::string()));
    level.heroTo(300);
    EXPECT_EQ(state(), std::tuple(false, false, 1));
    level.currentResult.applesGathered = 7;
    level.heroTo(0);
    EXPECT_EQ(said(), std::tuple(2u, 1, 0, 3.0, std::string("You need 3 more apples!")));
    level.heroTo(300);
    level.currentResult.applesGathered = 8;  // two missing: the counted message, not "one more"
    level.heroTo(0);
    EXPECT_EQ(said(), std::tuple(3u, 1, 0, 3.0, std::string("You need 2 more apples!")));
    level.heroTo(300);
    level.currentResult.applesGathered = 10;
    state();
    level.heroTo(0);  // nothing missing: only the door
    EXPECT_EQ(state(), std::tuple(true, true, 10));
    EXPECT_EQ(level.messages.size(), 3u);
}

TEST(House, SmokesOnlyWithEffectsWhileSheIsInsideAndShrinksHerLoadNearTheDoor) {
    HouseLevel level;
    auto puffs = [&] { return firstOf<SmokeParticles>(level.bgEffectsList) != nullptr; };
    level.configuration->detailLevel = 0;
    level.heroTo(0);
    level.step(200);
    EXPECT_FALSE(puffs());
    EXPECT_FLOAT_EQ(level.hero->carryScale, -1.0f);
    level.configuration->detailLevel = 1;
    level.step(99);  // 1.0 s of the 1.25 s
    level.heroTo(300);
    EXPECT_FLOAT_EQ(level.hero->carryScale, 1.0f);
    level.step(200);
    level.heroTo(195.13f);  // her doubled distance squared is 3 (40 + 75)^2
    EXPECT_NEAR(level.hero->carryScale, 0.0f, 0.02f);
    // The timer kept its second (and had not run without effects): the
    // puff comes a quarter of a second after her return.
    const int back = level.frame;
    level.heroTo(0);
    EXPECT_TRUE(level.stepUntil(puffs, 40));
    EXPECT_NEAR(level.frame - back, 25, 1);
}

TEST(House, HullsStopAFallingPointAndTheFrontPartsOnlyTheHero) {
    HouseLevel level;
    level.house->construct();  // pressed again: the outline stands as it is
    EXPECT_EQ(level.house->getHull()->segmentCount(), 10);
    level.spawn<HousePart>(V3(2000, 0, 0), level.objectList);
    // Where a swept point stops, in the frame of the hull's owner.
    auto sweep = [](V3 from, V3 to, uint32_t flags) {
        Xsect x(from, to, flags);
        x.considerHulls();
        V3 local(0, -1000, 0);
        if (!x.checkHits()) return local;
        x.handleHit(Xsect::STOP);
        x.pHitSegment->owner()->world2local(local, x.resultPoint);
        return local;
    };
    const V3 roof = sweep(V3(0, 500, 0), V3(0, 0, 0), 0);
    EXPECT_NEAR(roof.y, 145 - 38 * (roof.x + 90) / 116, 0.5f);
    // The front part's outline faces down and out: only the hero meets it.
    EXPECT_EQ(sweep(V3(2000, -300, 0), V3(2000, 100, 0), 0).y, -1000.0f);
    EXPECT_NEAR(sweep(V3(2000, -300, 0), V3(2000, 100, 0), Xsect::FLAG_HERO_HULLS).y, -90.0f, 0.5f);
}
