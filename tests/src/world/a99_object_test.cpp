// Placed level objects: the editor icon, sounds by distance and their random
// draws, the ambient loop, the near-view flag, areas, speech bubbles, the
// hull key.
#include <gtest/gtest.h>

#include <cmath>

#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/AreaQuery.h"
#include "world_test_support.h"

using namespace input_codes;
using worldtest::TestWorld;

namespace {

uint32_t nextState(uint32_t s) { return s * 214013u + 2531011u; }

class A99Test : public ::testing::Test {
protected:
    void SetUp() override { world.context.camera->eye = V3(0, 0, -640); }
    Sound* sound(const char16_t* name) { return world.resources.findAs<Sound>(name); }
    TestWorld world;
};

class TestArea : public A99Object, public AreaQuery {
public:
    bool containsObject(A99Object* o) override { return planarDistance(o->position, position) < radius; }
    bool containsPoint(const V3& p) override { return planarDistance(p, position) < radius; }
    int getAreaType() const override { return type; }
    float radius = 100.0f;
    int type = 0;
};

}  // namespace

TEST(A99ObjectDeath, MissingEditorIconIsFatal) {
    ErrorManager::bTestMode = true;
    EXPECT_DEATH(
        {
            ResourceManager empty;
            A99Object o;
        },
        "Could not find resource 'editor_icons:0'.");
}

TEST_F(A99Test, SoundsFadeWithThePlanarDistanceAndDrawTheirPitch) {
    A99Object* o = world.place<A99Object>(V3(100, 0, 0));
    Sound* pop = sound(u"pop");
    pop->minPitch = -0.1f;
    pop->maxPitch = 0.1f;
    const uint32_t after = nextState(randomState);
    SoundPlay p = o->playSound(pop, false);
    pop->minPitch = pop->maxPitch = 0.0f;
    // The camera sits 640 in front of the level: only x and y count.
    ASSERT_TRUE(p.played);
    const float t = (100.0f - 500.0f) / (10.0f - 500.0f);
    EXPECT_NEAR(p.volume, 1.0f - (1.0f - t) * (1.0f - t), 1e-6f);
    EXPECT_NEAR(p.pan, 100.0f / 512.0f, 1e-6f);
    EXPECT_EQ(randomState, after);  // one draw, for the pitch
    EXPECT_NEAR(p.frequency, 0.9f + 0.2f * static_cast<float>((after >> 16) & 0xFFFF) / 65536.0f, 1e-6f);
}

TEST_F(A99Test, OutOfRangeSoundsPlayOnlyWhenForcedFootstepsOnlyForMaterials) {
    A99Object* o = world.place<A99Object>(V3(600, 0, 0));
    const uint32_t before = randomState;
    EXPECT_FALSE(o->playSound(sound(u"pop"), false).played);
    for (int m : {-1, 0, 6}) EXPECT_FALSE(o->playFootstep(m).played);
    EXPECT_EQ(randomState, before);
    o->setPosition(0, 0, 0);
    for (int m = 1; m <= 5; ++m) EXPECT_TRUE(o->playFootstep(m).played) << m;
    o->setPosition(600, 0, 0);
    SoundPlay forced = o->playSound(sound(u"pop"), true);
    EXPECT_TRUE(forced.played);
    EXPECT_EQ(forced.volume, 0.5f);
    // Equal radii: t is always 0.
    o->minAmbientRadius = o->maxAmbientRadius = 700.0f;
    EXPECT_EQ(o->playSound(sound(u"pop"), true).volume, 0.5f);
    EXPECT_EQ(o->playSound(sound(u"pop"), false).volume, 0.0f);
}

TEST_F(A99Test, NearViewUsesThePlanarDistance) {
    world.context.camera->eye = V3(0, 0, -512);
    A99Object* near = world.place<A99Object>(V3(500, 0, 0));
    A99Object* far = world.place<A99Object>(V3(700, 0, 0));
    near->bUsesNearView = far->bUsesNearView = true;
    near->tick(0.0, 0.01);
    far->tick(0.0, 0.01);
    EXPECT_TRUE(near->nearView);
    EXPECT_FALSE(far->nearView);
}

TEST_F(A99Test, NearViewIsKeptOnlyForTheObjectsThatReadIt) {
    world.context.camera->eye = V3(0, 0, -512);
    // Out of view, but nothing of it reads the answer: left as it was.
    A99Object* quiet = world.place<A99Object>(V3(700, 0, 0));
    quiet->tick(0.0, 0.01);
    EXPECT_TRUE(quiet->nearView);
    // An ambient sound reads it.
    quiet->pAmbientSound = sound(u"ambientBrook");
    quiet->tick(0.0, 0.01);
    EXPECT_FALSE(quiet->nearView);
}

TEST_F(A99Test, AmbientLoopFollowsTheHero) {
    world.context.camera->eye = V3(50000, 0, -640);  // the object is far out of view
    world.hero = world.place<A99Object>(V3(800, 0, 0));
    A99Object* o = world.place<A99Object>(V3(0, 0, 0));
    o->pAmbientSound = sound(u"ambientBrook");
    o->maxAmbientRadius = 500.0f;
    o->tick(1.0, 0.01);
    EXPECT_FALSE(o->nearView);
    EXPECT_EQ(o->ambientChannel, nullptr);
    // A radius above 600 starts the loop out of view; the seek draws once.
    o->maxAmbientRadius = 1000.0f;
    const uint32_t before = randomState;
    o->tick(1.0, 0.01);
    ASSERT_NE(o->ambientChannel, nullptr);
    EXPECT_EQ(randomState, nextState(before));
    o->tick(2.0, 0.01);
    EXPECT_DOUBLE_EQ(o->nextAmbientUpdate, 2.25);
    world.hero->setPosition(2000, 0, 0);
    o->tick(3.0, 0.01);
    EXPECT_EQ(o->ambientChannel, nullptr);
}

TEST_F(A99Test, ContainingAreaOfTheHighestType) {
    A99Object* o = world.place<A99Object>(V3(0, 0, 0));
    EXPECT_EQ(o->findContainingArea(), nullptr);
    auto* low = new TestArea();
    low->type = 1;
    auto* high = new TestArea();
    high->type = 3;
    auto* tie = new TestArea();
    tie->type = 3;
    auto* away = new TestArea();
    away->type = 9;
    away->setPosition(1000, 0, 0);
    // An object of the list that is no area is passed over.
    world.dangerAreaList->addChild(new A99Object());
    for (TestArea* a : {low, high, tie, away}) world.dangerAreaList->addChild(a);
    // Asked again (each area's interface is found once), the same answers.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(o->findContainingArea(), high);
        EXPECT_EQ(o->findAreaAtPoint(V3(1000, 0, 0)), away);
        EXPECT_EQ(o->findAreaAtPoint(V3(5000, 0, 0)), nullptr);
    }
    EXPECT_EQ(high->asAreaQuery(), static_cast<AreaQuery*>(high));
    EXPECT_EQ(o->asAreaQuery(), nullptr);
}

TEST_F(A99Test, SpeechBubbleReplacesTheOldOnes) {
    A99Object::speechBubbleMaker = [](A99Object*, const V3&, int style, int, const WString&) -> ZubBase* {
        Renderable* r = new Renderable();
        r->color = static_cast<uint32_t>(style);
        return r;
    };
    world.context.camera->eye = V3(0, 0, -640);
    A99Object* left = world.place<A99Object>(V3(-100, 0, 0));
    A99Object* right = world.place<A99Object>(V3(100, 0, 0));
    left->showSpeechBubble(V3(0, 50, 0), false, 0, u"hello");
    ASSERT_EQ(world.speechBubbleList->countChildren(), 1);
    auto* first = static_cast<Renderable*>(world.speechBubbleList->firstChild);
    EXPECT_EQ(first->color, 1u);
    EXPECT_EQ(first->scale.x, 1.0f);
    const uint32_t before = randomState;
    right->showSpeechBubble(V3(0, 50, 0), true, 0, u"again");
    ASSERT_EQ(world.speechBubbleList->countChildren(), 1);
    auto* second = static_cast<Renderable*>(world.speechBubbleList->firstChild);
    EXPECT_EQ(second->color, 2u);
    EXPECT_EQ(second->scale.x, -1.0f);          // right of the view's centre: mirrored
    EXPECT_EQ(randomState, nextState(before));  // "pop"
    A99Object::speechBubbleMaker = nullptr;
}

TEST_F(A99Test, CtrlHMakesAndFocusesTheHull) {
    world.setEditing(true);
    A99Object* o = world.place<A99Object>();
    world.pressKey(KEY_H, 2);
    ZubBase::sendEvent(EVENT_KEY, nullptr, o);
    ASSERT_NE(o->getHull(), nullptr);
    EXPECT_EQ(world.focus.getFocus(), o->getHull());
    EXPECT_EQ(world.panel.getEditedObject(), o->getHull());
}
