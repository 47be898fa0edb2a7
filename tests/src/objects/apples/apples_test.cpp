// Apples, baskets and the compass in a test level with real hulls and
// 0.01 s ticks; the pig carries baskets by her control bindings. Sounds are
// heard through a pulled mixer: a listened-to sound is replaced by one that
// plays at level 1.0, so its plays can be counted and their lengths (the
// pitch) read from the mix. Floors lie above the level's bottom (y = 0).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "gfx/Camera.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/apples/Compass.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "world/EditorProxy.h"

using leveltest::TestLevel;

namespace {

constexpr float FLOOR_Y = 100.0f;
constexpr float DT = static_cast<float>(TestLevel::DT);

V3 at(float x, float y) { return V3(x, y, 0.0f); }

struct Apples : testing::Test {
    ZubAudio audio;
    std::vector<std::unique_ptr<Sound>> sounds;
    TestLevel level;

    Apples() { audio.initPull(22050); }

    // The sound under `name` becomes `frames` frames at level 1.0 that up to
    // 16 voices play at once.
    Sound* listen(const char16_t* name, int frames = 64) {
        sounds.push_back(std::make_unique<Sound>(0, 16, std::vector<float>(frames, 1.0f), 1, 22050));
        level.resources.addResource(name, sounds.back().get());
        return sounds.back().get();
    }
    // Mixes what plays: how many frames each voice lasted, longest first.
    std::vector<int> voiceLengths() {
        std::vector<float> out(2 * 8192);
        audio.pull(out.data(), 8192);
        std::vector<int> lengths;
        for (int voices = 1;; ++voices) {
            int n = 0;
            for (size_t k = 0; k < out.size(); k += 2) n += out[k] > static_cast<float>(voices) - 0.5f;
            if (!n) return lengths;
            lengths.push_back(n);
        }
    }
    // The voices mixed are 1000-frame sounds played these semitones up.
    void expectSemitones(const std::vector<int>& semitones) {
        const std::vector<int> lengths = voiceLengths();
        ASSERT_EQ(lengths.size(), semitones.size());
        for (size_t i = 0; i < lengths.size(); ++i)
            EXPECT_NEAR(lengths[i], 1000.0 / std::pow(Sound::kSemitone, semitones[i]), 2.0) << i;
    }

    Apple* apple(const V3& p, bool hanging = false) {
        Apple* a = level.spawn<Apple>(p, level.appleList);
        a->bHanging = hanging;
        return a;
    }
    int count(ZubBase* list, bool visibleOnly = false) {
        int n = 0;
        for (ZubBase* o : childrenOf(list)) n += !o->bToBeDestroyed && !(visibleOnly && o->bHidden);
        return n;
    }
    // The house, and the hero (whom the house needs) standing beside it.
    void house(const V3& p) {
        level.spawnHouse(p);
        level.spawnHero(p + at(150.0f, 1.0f - p.y + FLOOR_Y));
    }
    Pig* carrier(const V3& p, Cargo* cargo) {
        Pig* pig = level.spawnHero(p);
        level.step(5);
        level.tapControl(GameConfiguration::CONTROL_USE, level.frame);
        level.step(2);
        EXPECT_EQ(pig->pCarried.get(), cargo);
        return pig;
    }
};

}  // namespace

TEST_F(Apples, ExactlyLoudSpeedIsSlowBelowRestSpeedItRestsAndOnlyLoudHitsSound) {
    Sound* bounce = listen(u"appleBounce");
    Sound* big = listen(u"appleBig");
    level.floor(-400.0f, 400.0f, FLOOR_Y);
    level.step(20);  // past the first sound's gap
    const float speeds[] = {251.0f, 250.0f, 70.0f, 69.9f, 2000.0f, 400.0f};
    std::vector<Apple*> apples;
    for (float s : speeds) {
        Apple* a = apple(at(-250.0f + 100.0f * static_cast<float>(apples.size()), FLOOR_Y + 0.2f));
        a->velocity = at(0.0f, -s - Apple::GRAVITY * DT);
        ASSERT_EQ(a->velocity.y + Apple::GRAVITY * DT, -s);
        apples.push_back(a);
    }
    apples[5]->bSuperApple = true;
    apples[5]->netPostReplicate();
    level.step();
    EXPECT_EQ(bounce->activePlaybacks(), 2);  // 251 and 2000
    const float kept[] = {251.0f * 0.65f, 250.0f * 0.65f, 70.0f * 0.65f, 0.0f, 1024.0f * 0.65f};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(speeds[i]);
        EXPECT_EQ(apples[i]->getGround() != nullptr, i == 3);
        if (i != 3) {
            EXPECT_NEAR(apples[i]->velocity.length(), kept[i], 0.01f);
        }
    }
    // A super apple's bounce sounds lower and shakes the camera.
    EXPECT_EQ(big->activePlaybacks(), 1);
    EXPECT_NEAR(big->minPitch, 0.5f * (-0.5f + 0.5f * 330.0f / 430.0f), 1e-5f);
    EXPECT_EQ(level.getGameCamera()->shakeDuration, 0.35);
}

TEST_F(Apples, HitsWithin015sSoundOnceThenItRestsAndItSpinsWithItsSpeed) {
    Sound* bounce = listen(u"appleBounce");
    level.floor(-400.0f, 400.0f, FLOOR_Y);
    level.staticHull({at(400.0f, FLOOR_Y + 12.0f), at(-400.0f, FLOOR_Y + 12.0f)});  // a ceiling
    level.step(20);
    Apple* a = apple(at(0.0f, FLOOR_Y + 6.0f));
    a->velocity = at(100.0f, -1200.0f);
    level.step();
    EXPECT_GT(a->rotation.z, 6.0f);  // rolling right: clockwise, kept in [0, 2 pi)
    EXPECT_LT(a->rotation.z, kTwoPi);
    level.step(13);
    EXPECT_LT(a->velocity.length(), 300.0f);  // three loud hits and more
    EXPECT_EQ(bounce->activePlaybacks(), 1);
    EXPECT_TRUE(level.stepUntil([&] { return a->getGround() != nullptr; }, 300));
    EXPECT_EQ(bounce->activePlaybacks(), 1);
}

TEST_F(Apples, MudAcidAndTheDropSpoilThemEachIsReplacedOnceAndAHomeOneNever) {
    level.floor(-500.0f, 600.0f, FLOOR_Y);
    house(at(400.0f, FLOOR_Y + 60.0f));
    level.area(AREA_MUD, at(-300.0f, FLOOR_Y), 60.0f);
    level.area(AREA_ACID, at(-100.0f, FLOOR_Y), 60.0f);
    Apple* mud = apple(at(-300.0f, 300.0f));
    Apple* acid = apple(at(-100.0f, 300.0f));
    ZubBaseReference lost, home;
    lost.set(apple(at(-550.0f, 300.0f)));  // nothing below it
    home.set(apple(at(330.0f, FLOOR_Y + 1.0f)));
    apple(at(-100.0f, FLOOR_Y + 10.0f), true);  // hangs in the acid: no endless replacements
    level.step();
    EXPECT_EQ(count(level.appleGhostList, true), 3);
    level.step(200);
    EXPECT_TRUE(!lost.get() && !home.get());
    EXPECT_EQ(mud->pSkin, level.resources.find(u"apple:6"));
    EXPECT_EQ(acid->pSkin, level.resources.find(u"apple:2"));
    EXPECT_EQ(level.currentResult.applesLost, 4);
    EXPECT_EQ(level.currentResult.applesGathered, 1);
    // Three fresh apples hang where the spoiled and the lost one first were.
    std::vector<V3> spawns;
    for (Apple* a : childrenOf<Apple>(level.appleList))
        if (!a->bSpoiled && a->bHanging) spawns.push_back(a->physPoint.position);
    EXPECT_EQ(spawns, (std::vector<V3>{at(-300.0f, 300.0f), at(-100.0f, 300.0f), at(-550.0f, 300.0f)}));
    level.step(100);
    EXPECT_EQ(count(level.appleList), 6);
    EXPECT_EQ(count(level.appleGhostList), 6);
    EXPECT_EQ(count(level.appleGhostList, true), 0);  // spoiled or hanging
}

TEST_F(Apples, HomeApplesCountRiseASemitoneEachAndTheScoreNeverWraps) {
    listen(u"appleCollect", 1000);
    level.floor(-500.0f, 600.0f, FLOOR_Y);
    house(at(400.0f, FLOOR_Y + 60.0f));
    LevelResult& r = level.currentResult;
    r.apples = 1;
    r.bonusApples = 1;
    r.points = INT32_MAX - Apple::COLLECT_POINTS;
    const int32_t points[] = {INT32_MAX, 0, Apple::COLLECT_POINTS};
    for (int32_t expected : points) {
        apple(at(330.0f, FLOOR_Y + 1.0f));
        level.step();
        EXPECT_EQ(r.points, expected);
    }
    EXPECT_TRUE(r.applesGathered == 1 && r.bonusApplesGathered == 1);  // the extra ones stop at their maximum
    expectSemitones({-7, -6, -6});
}

TEST_F(Apples, AHangingApplePushedBeforeItLandsFallsWithoutImpulseLaterPushesOnlySpeedItUp) {
    level.floor(-500.0f, 500.0f, FLOOR_Y);
    Apple* a = apple(at(0.0f, 300.0f), true);
    level.step(10);
    EXPECT_EQ(a->physPoint.position, at(0.0f, 300.0f));
    a->push(nullptr, at(500.0f, 500.0f));
    level.step();
    EXPECT_FALSE(a->bHanging);
    EXPECT_EQ(a->velocity, at(0.0f, Apple::GRAVITY * DT));
    ASSERT_TRUE(level.stepUntil([&] { return a->getGround() != nullptr; }, 300));
    a->push(nullptr, at(-300.0f, 200.0f));
    a->push(nullptr, at(-100.0f, 100.0f));
    EXPECT_EQ(a->velocity, at(-300.0f, 200.0f));
    EXPECT_EQ(a->getGround(), nullptr);
}

TEST_F(Apples, EachBasketShapeFillsItsPlacesAndItsApplesSettleOnePlacePerTick) {
    level.floor(-1000.0f, 1000.0f, FLOOR_Y);
    Basket* baskets[] = {level.spawn<BasketA>(at(-450.0f, 150.0f), level.cargoList),
                         level.spawn<BasketB>(at(-200.0f, 150.0f), level.cargoList),
                         level.spawn<BasketC>(at(50.0f, 150.0f), level.cargoList),
                         level.spawn<BasketD>(at(300.0f, 150.0f), level.cargoList)};
    const int places[] = {1, 2, 3, 6};
    level.step(60);
    std::vector<std::vector<Apple*>> apples(4);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(baskets[i]->getGround(), nullptr);
        ASSERT_EQ(baskets[i]->slotCount(), places[i]);
        for (int k = 0; k <= places[i]; ++k) apples[i].push_back(apple(baskets[i]->position, true));
    }
    level.step();
    auto occupants = [&](int i) {
        std::vector<Apple*> out;
        for (BasketSlot* s : childrenOf<BasketSlot>(&baskets[i]->slots)) out.push_back(s->occupant);
        return out;
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        std::vector<Apple*> expected(apples[i].begin(), apples[i].end() - 1);
        EXPECT_EQ(occupants(i), expected);
        EXPECT_EQ(apples[i].back()->pSlot, nullptr);  // no place left
        apples[i].back()->bToBeDestroyed = 1;
    }
    level.step(40);
    for (BasketSlot* s : childrenOf<BasketSlot>(&baskets[3]->slots))
        EXPECT_TRUE(V3::isWithinDistance(s->occupant->position, s->worldPoint(), 0.1f));
    // An animal takes the first two: the others move forward one place a tick.
    for (int k = 0; k < 2; ++k) {
        apples[3][k]->removeFromSlot();
        apples[3][k]->bToBeDestroyed = 1;
    }
    const std::vector<Apple*>& d = apples[3];
    level.step();
    EXPECT_EQ(occupants(3), (std::vector<Apple*>{nullptr, d[2], d[3], d[4], d[5], nullptr}));
    level.step();
    EXPECT_EQ(occupants(3), (std::vector<Apple*>{d[2], d[3], d[4], d[5], nullptr, nullptr}));
    EXPECT_GT(V3::distance(d[2]->position, d[2]->pSlot->worldPoint()), 1.0f);  // gliding there
    // The basket draws them between its back and front; the level's draw list does not.
    platform::NullRenderDevice* device = level.enableGraphics();
    auto draws = [&](EditorObject* o) {
        const int before = device->drawCount;
        o->getProxy()->render();
        return device->drawCount - before;
    };
    EXPECT_EQ(draws(baskets[3]), 2 + 4);
    EXPECT_EQ(draws(d[2]), 0);
}

TEST_F(Apples, SheCarriesABasketPastFourApplesAndDeliversThemAtTheHouseAnEmptyBasketStays) {
    listen(u"appleCollect", 1000);
    level.floor(-800.0f, 900.0f, FLOOR_Y);
    BasketD* basket = level.spawn<BasketD>(at(-490.0f, 140.0f), level.cargoList);
    BasketA* empty = level.spawn<BasketA>(at(620.0f, 120.0f), level.cargoList);
    for (int i = 0; i < 4; ++i) apple(at(-300.0f + 100.0f * static_cast<float>(i), FLOOR_Y + 1.0f));
    level.step(30);
    Pig* pig = carrier(at(-500.0f, FLOOR_Y + 1.0f), basket);
    level.spawnHouse(at(600.0f, FLOOR_Y + 60.0f));
    ZubBaseReference carried;
    carried.set(basket);
    level.holdControl(GameConfiguration::CONTROL_RIGHT, level.frame, level.frame + 600);
    ASSERT_TRUE(level.stepUntil([&] { return !carried.get(); }, 600));
    EXPECT_EQ(pig->pCarried.get(), nullptr);
    EXPECT_EQ(level.currentResult.applesGathered, 4);
    EXPECT_EQ(count(level.appleList), 0);
    expectSemitones({-7, -6, -5, -4});
    level.step(100);
    EXPECT_FALSE(empty->bToBeDestroyed);
}

// The front is drawn in the basket's frame: wherever the basket is, falling
// or lying still, the front's transform is its own times the basket's, and
// only a basket that moved refreshes it.
TEST_F(Apples, ABasketsFrontFollowsItWhileItFallsAndIsNotRefreshedWhileItLies) {
    level.floor(-800.0f, 900.0f, FLOOR_Y);
    BasketA* basket = level.spawn<BasketA>(at(0.0f, 300.0f), level.cargoList);
    auto expectFollows = [&] {
        Renderable alone;
        alone.setFields(basket->front.pSkin, &basket->front.position, &basket->front.rotation, &basket->front.scale);
        alone.setParentMatrix(basket->worldMatrix);
        EXPECT_TRUE(alone.worldMatrix == basket->front.worldMatrix);
        EXPECT_EQ(alone.boundingCentre, basket->front.boundingCentre);
        EXPECT_EQ(alone.boundingRadius, basket->front.boundingRadius);
    };
    const float startY = basket->position.y;
    level.step(5);
    ASSERT_LT(basket->position.y, startY);  // falling
    EXPECT_EQ(basket->front.frameStamp, renderCounters.frameNumber);
    expectFollows();
    level.step(200);  // landed on the floor
    const int32_t refreshed = basket->front.frameStamp;
    const float restY = basket->position.y;
    level.step(20);
    EXPECT_EQ(basket->position.y, restY);
    EXPECT_EQ(basket->front.frameStamp, refreshed);  // no refresh while it lay
    expectFollows();
}

// Where the apple lay when the basket took it is forgotten: spoiled in the
// mud, it falls out there.
TEST_F(Apples, ABasketCarriedIntoMudSpoilsItsAppleWhichFallsThereNotWhereItLay) {
    level.floor(-800.0f, 800.0f, FLOOR_Y);
    level.area(AREA_MUD, at(0.0f, FLOOR_Y + 100.0f), 60.0f);  // as high as she holds the basket
    Apple* a = apple(at(-300.0f, FLOOR_Y + 1.0f));
    ASSERT_TRUE(level.stepUntil([&] { return a->getGround() != nullptr; }, 100));
    BasketB* basket = level.spawn<BasketB>(at(-300.0f, 400.0f), level.cargoList);
    ASSERT_TRUE(level.stepUntil([&] { return a->pSlot != nullptr; }, 200));
    level.step(30);
    carrier(at(-330.0f, FLOOR_Y + 1.0f), basket);
    level.holdControl(GameConfiguration::CONTROL_RIGHT, level.frame, level.frame + 400);
    ASSERT_TRUE(level.stepUntil([&] { return a->bSpoiled != 0; }, 400));
    EXPECT_EQ(a->pSlot, nullptr);
    level.script.clear();
    level.step(100);
    EXPECT_GT(a->physPoint.position.x, -100.0f);
    EXPECT_EQ(level.currentResult.applesLost, 1);
}

TEST_F(Apples, TheCompassPointsBeyond300AtTheNearestAppleAtTheNearestFreeBasketOrAtTheHouse) {
    level.floor(-2000.0f, 2000.0f, FLOOR_Y);
    Compass* c = level.spawn<Compass>(at(0.0f, FLOOR_Y + 21.0f), level.cargoList);
    c->bInView = 1;
    level.step(10);
    const V3 centre = c->position - at(0.0f, 16.0f);  // an apple hanging here is drawn at its height
    auto needle = [&] {
        level.step(2);  // the apples tick after the compass
        return c->needle->bHidden ? -9.0f : c->needle->rotation.z;
    };
    EXPECT_EQ(needle(), -9.0f);  // no apples
    apple(centre + at(-200.0f, 0.0f), true);
    Apple* far = apple(centre + at(500.0f, 0.0f), true);
    EXPECT_NEAR(needle(), 0.0f, 1e-3f);
    far->bToBeDestroyed = 1;
    apple(centre + at(100.0f, 0.0f), true);
    EXPECT_NEAR(std::fabs(needle()), kPi, 1e-3f);  // all near: the farthest
    c->compassType = Compass::TYPE_BASKETS;
    level.spawn<BasketA>(at(-400.0f, 130.0f), level.cargoList);
    BasketA* near = level.spawn<BasketA>(at(300.0f, 130.0f), level.cargoList);
    level.step(30);
    carrier(at(300.0f, FLOOR_Y + 1.0f), near);
    EXPECT_NEAR(std::fabs(needle()), kPi, 0.1f);
    c->compassType = Compass::TYPE_HOUSE;
    level.spawnHouse(at(0.0f, 800.0f));
    EXPECT_NEAR(needle(), 0.5f * kPi, 0.01f);
}
