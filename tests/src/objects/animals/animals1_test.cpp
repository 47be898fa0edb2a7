// The bear, the bee, the fishes and the frog in a test level with a floor at
// y 100, real apples and baskets, the pig, and 0.01 s ticks. Animals that
// push the pig are ticked after her (in the piglet list), so that her
// velocity is read as the animal left it.
#include <gtest/gtest.h>

#include <set>

#include "LevelFile.h"
#include "TestLevel.h"
#include "object/Property.h"
#include "objects/animals/Bear.h"
#include "objects/animals/Bee.h"
#include "objects/animals/FishA.h"
#include "objects/animals/FishB.h"
#include "objects/animals/Frog.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/areas/Area.h"
#include "objects/pig/Pig.h"
#include "world/BezierPath.h"
#include "world/EditorProxy.h"

namespace {

struct Zoo : leveltest::TestLevel {
    Zoo() {
        floor(-2000, 2000, 100);
        hero = spawnHero(V3(1500, 100, 0));
    }
    template <class F>
    F* walker(BezierPath* p, float alpha, float speed, ZubBase* list) {
        F* f = spawn<F>(p->position, list);
        f->pPath.set(p);
        f->pathAlpha = alpha;
        f->pathSpeed = speed;
        step();
        return f;
    }
    // An apple lying on the floor at x (or hanging there).
    Apple* apple(float x, bool hanging = false) {
        Apple* a = spawn<Apple>(V3(x, 101, 0), appleList);
        a->bHanging = hanging;
        return a;
    }
    Pig* hero;
};

}  // namespace

TEST(Bear, StandsAboveItsPathBitesOneAppleATickAndKnocksOnlyAVulnerablePigBack) {
    Zoo z;
    Bear* bear = z.walker<Bear>(z.straightPath(V3(-200, 100, 0), V3(800, 0, 0)), 0.25f, 0.0f, z.pigletList);
    Bear* climber = z.walker<Bear>(z.straightPath(V3(-200, 600, 0), V3(400, 400, 0)), 0.5f, 0.0f, z.objectList);
    EXPECT_LT(V3::distance(bear->position, V3(0, 145, 0)), 0.01f);
    EXPECT_LT(V3::distance(climber->position, V3(-31.82f, 831.82f, 0)), 0.01f);  // square to a 45-degree slope
    // Without a path it can travel it stays where it was placed.
    Bear* lone = z.spawn<Bear>(V3(-900, 300, 0), z.objectList);
    z.step(5);
    EXPECT_EQ(lone->position, V3(-900, 300, 0));

    Apple* loose[2] = {z.apple(-40), z.apple(40)};
    Apple* hanging = z.apple(0, true);
    Apple* spoiled = z.apple(10);
    spoiled->bSpoiled = 1;
    z.step();
    EXPECT_EQ(std::tuple(loose[0]->bSpoiled, loose[1]->bSpoiled), std::tuple(1, 0));
    z.step();
    EXPECT_EQ(loose[1]->bSpoiled, 1);
    z.step(10);
    EXPECT_EQ(std::tuple(hanging->bSpoiled, z.currentResult.applesLost), std::tuple(0, 2));
    EXPECT_TRUE(loose[0]->pSkin->sheetIndex >= Apple::FRAME_BITTEN &&
                loose[0]->pSkin->sheetIndex <= Apple::FRAME_BITTEN + 2);

    // In the editor it bites nothing.
    z.setEditing(true);
    Apple* later = z.apple(0);
    z.step(5);
    EXPECT_EQ(later->bSpoiled, 0);
    z.setEditing(false);
    later->bToBeDestroyed = 1;

    // Flashing, she walks through it untouched; once she can be hurt,
    // walking back into it knocks her away from it.
    z.placeHero(z.hero, V3(-300, 100, 0));
    z.hero->flashTime = 2.0;
    z.holdControl(GameConfiguration::CONTROL_RIGHT, z.frame, z.frame + 130);
    z.step(200);
    ASSERT_EQ(z.hero->state, Pig::PLAYING);
    ASSERT_GT(z.hero->physPoint.position.x, 150.0f);
    z.holdControl(GameConfiguration::CONTROL_LEFT, z.frame, z.frame + 100);
    ASSERT_TRUE(z.stepUntil([&] { return z.hero->state != Pig::PLAYING; }, 100));
    EXPECT_EQ(std::tuple(z.hero->state, z.currentResult.livesLost), std::tuple(Pig::FAINTING, 1));
    EXPECT_NEAR(z.hero->velocity.length(), Pig::KNOCK_BACK_SPEED, 0.01f);
    EXPECT_GT(z.hero->velocity.x, 500.0f);
    z.script.clear();

    // An apple in a basket place is bitten and falls out of the basket.
    auto* basket = z.spawn<BasketA>(V3(300, 130, 0), z.cargoList);
    z.step(60);
    Apple* carried = z.apple(basket->position.x, true);
    carried->setPosition(basket->position);
    ASSERT_TRUE(z.stepUntil([&] { return carried->pSlot != nullptr; }, 10));
    bear->pathAlpha = 0.625f;  // to x 300
    z.step(2);
    EXPECT_EQ(std::tuple(carried->bSpoiled, carried->pSlot), std::tuple(1, nullptr));
}

TEST(Bee, FluttersWhereItsPathStopsAndKnocksThePigBack) {
    Zoo z;
    Bee* bee = z.walker<Bee>(z.straightPath(V3(-200, 150, 0), V3(400, 0, 0)), 0.5f, 0.0f, z.pigletList);
    EXPECT_EQ(bee->editorSkin, z.resources.findAs<Skin>(u"bee:0"));
    std::set<int> frames;
    for (int i = 0; i < 50; ++i, z.step()) frames.insert(bee->pSkin->sheetIndex);
    EXPECT_EQ(frames, (std::set<int>{0, 1, 2}));
    EXPECT_LT(V3::distance(bee->position, V3(0, 150, 0)), 0.01f);

    z.placeHero(z.hero, V3(-300, 100, 0));
    z.holdControl(GameConfiguration::CONTROL_RIGHT, z.frame, z.frame + 200);
    ASSERT_TRUE(z.stepUntil([&] { return z.hero->state != Pig::PLAYING; }, 200));
    EXPECT_EQ(z.hero->state, Pig::FAINTING);
    EXPECT_LT(z.hero->velocity.x, -500.0f);  // back the way she came
}

TEST(Fishes, FishABitesLooseApplesFishBLungesAtApplesInItsAreaInFrontAndGlidesBack) {
    Zoo z;
    auto* a = z.walker<FishA>(z.straightPath(V3(-700, 130, 0), V3(200, 0, 0)), 0.0f, 0.5f, z.objectList);
    Apple* hanging = z.apple(-600, true);
    Apple* loose = z.apple(-550);
    z.step(200);
    EXPECT_EQ(std::tuple(hanging->bSpoiled, loose->bSpoiled), std::tuple(0, 1));
    EXPECT_GT(a->position.x, -520.0f);

    auto* b = z.walker<FishB>(z.straightPath(V3(-200, 200, 0), V3(400, 0, 0)), 0.5f, 0.0f, z.objectList);
    b->pAttackArea.set(z.area(1, V3(0, 100, 0), 250));
    Apple* behind = z.apple(-150);
    Apple* outside = z.apple(400);
    Apple* front = z.apple(150);
    z.step(2);
    ASSERT_EQ(b->pTarget.get(), front);
    EXPECT_GT(b->body.fins.rate, FishFins::RATE);
    ASSERT_TRUE(z.stepUntil([&] { return front->bSpoiled != 0; }, 100));
    EXPECT_GT(b->position.x, 90.0f);
    ASSERT_TRUE(z.stepUntil([&] { return b->attackAmount == 0.0f; }, 100));
    EXPECT_LT(V3::distance(b->position, V3(0, 200, 0)), 0.01f);
    EXPECT_EQ(std::tuple(behind->bSpoiled, outside->bSpoiled), std::tuple(0, 0));

    // Its next target spoils elsewhere mid-lunge: it glides back and takes a
    // new one only once home.
    Apple* next = z.apple(100);
    z.step(30);
    ASSERT_EQ(b->pTarget.get(), next);
    const float out = b->attackAmount;
    next->spoil(Apple::SPOIL_WORM);
    Apple* another = z.apple(120);
    z.step(10);
    EXPECT_EQ(b->pTarget.get(), nullptr);
    EXPECT_NEAR(b->attackAmount, out - 0.1f, 1e-4f);
    ASSERT_TRUE(z.stepUntil([&] { return b->pTarget.get() != nullptr; }, 100));
    EXPECT_EQ(std::tuple(b->pTarget.get(), b->attackAmount), std::tuple(another, 0.01f));
}

TEST(Frog, IgnoresApplesBehindWatchesAt300AttacksWithin200EatsOneAndDigestsForGood) {
    Zoo z;
    Frog* frog = z.spawn<Frog>(V3(0, 130, 0), z.objectList);
    Apple* behind = z.apple(-100);
    z.step(10);
    EXPECT_EQ(frog->state, Frog::WATCHING);
    behind->bToBeDestroyed = 1;
    Apple* far = z.apple(300);
    z.step(20);
    EXPECT_EQ(frog->state, Frog::ALERT);
    EXPECT_LT(frog->head.rotation.z, 0.0f);  // down towards it

    Apple* near = z.apple(150);
    ASSERT_TRUE(z.stepUntil([&] { return frog->state == Frog::PULLING; }, 60));
    EXPECT_EQ(std::tuple(near->bSpoiled, near->bEaten, z.currentResult.applesLost), std::tuple(1, 1, 1));
    ASSERT_TRUE(z.stepUntil([&] { return frog->state == Frog::DIGESTING; }, 30));
    EXPECT_LT(V3::distance(near->position, frog->position), 25.0f);
    EXPECT_EQ(std::tuple(frog->tongue.bHidden, near->getProxy()->getOwner()), std::tuple(1, nullptr));
    z.step(300);
    EXPECT_EQ(frog->state, Frog::DIGESTING);
    EXPECT_EQ(far->bSpoiled, 0);
}

TEST(Frog, IgnoresAnAppleInABasketAndComesBackEmptyWhenItsAppleSpoilsMidAttack) {
    Zoo z;
    auto* basket = z.spawn<BasketA>(V3(120, 130, 0), z.cargoList);
    z.step(60);
    Frog* frog = z.spawn<Frog>(V3(0, 130, 0), z.objectList);
    Apple* a = z.apple(basket->position.x, true);
    a->setPosition(basket->position);
    ASSERT_TRUE(z.stepUntil([&] { return a->pSlot != nullptr; }, 10));
    z.step(30);
    EXPECT_EQ(frog->state, Frog::WATCHING);

    a->removeFromSlot();
    basket->bToBeDestroyed = 1;
    ASSERT_TRUE(z.stepUntil([&] { return frog->state == Frog::ATTACK; }, 60));
    z.step(10);
    a->spoil(Apple::SPOIL_WORM);
    ASSERT_TRUE(z.stepUntil([&] { return frog->state != Frog::ATTACK && frog->state != Frog::PULLING; }, 100));
    EXPECT_EQ(std::tuple(frog->state, frog->pApple.get(), a->bEaten), std::tuple(Frog::WATCHING, nullptr, 0));
}

// FishB's attack area is an Area: a level file or a peer whose body names
// anything else for it is refused (the read reports which property, and the
// reference stays unset), and so does the editor.
TEST(Fishes, FishBTakesOnlyAnAreaAsItsAttackArea) {
    std::vector<uint8_t> named[2];
    int32_t fishUid = 0, areaUid = 0;
    {
        leveltest::TestLevel builder;
        const int32_t before = builder.role->objectMap.ascending().back();
        auto* fish = builder.spawn<FishB>(V3(0, 200, 0), builder.objectList);
        auto* area = builder.spawn<Area>(V3(0, 100, 0), nullptr);
        auto* rock = builder.spawn<A99Object>(V3(300, 100, 0), builder.objectList);
        fishUid = fish->objectUID;
        areaUid = area->objectUID;
        fish->pAttackArea.set(area);
        named[0] = leveltest::levelFileOf(builder, before);
        // Set past the property, as a careless tool or a peer might write it.
        fish->pAttackArea.set(rock);
        named[1] = leveltest::levelFileOf(builder, before);
    }
    {
        leveltest::TestLevel level;
        ASSERT_TRUE(leveltest::replayLevelFile(level, named[0]));
        auto* fish = zub_cast<FishB>(level.role->findObjectOrNull(fishUid));
        ASSERT_NE(fish, nullptr);
        EXPECT_EQ(fish->pAttackArea.get(), level.role->findObjectOrNull(areaUid));
    }
    leveltest::TestLevel level;
    WString error;
    EXPECT_FALSE(leveltest::replayLevelFile(level, named[1], &error));
    EXPECT_NE(error.find(u"pAttackArea"), WString::npos) << wideToNarrow(error);
    // A refused file leaves none of its objects behind.
    EXPECT_EQ(level.role->findObjectOrNull(fishUid), nullptr);
    EXPECT_EQ(level.role->findObjectOrNull(areaUid), nullptr);
    // The editor's property refuses it too, and takes an area.
    auto* fish = level.spawn<FishB>(V3(0, 200, 0), level.objectList);
    auto* rock = level.spawn<A99Object>(V3(), level.objectList);
    auto* area = level.spawn<Area>(V3(), nullptr);
    PropertyContainer* c = fish->createPropertyContainer();
    auto* p = zub_cast<PropertyReferenceBase>(c->findChild(u"pAttackArea"));
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->setObject(rock));
    EXPECT_EQ(fish->pAttackArea.get(), nullptr);
    EXPECT_TRUE(p->setObject(area));
    EXPECT_EQ(fish->pAttackArea.get(), area);
    deleteObject(c);
}
