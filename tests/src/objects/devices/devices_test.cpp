// Switches, springboards and decorations met by the hero in a level run by
// real ticks and scripted keys. Floors lie above the test level's bottom.
#include <gtest/gtest.h>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "gfx/BlendingCamera.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Springboard.h"
#include "objects/devices/Switch.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Decoration.h"

namespace {

constexpr int USE = GameConfiguration::CONTROL_USE;
constexpr int RIGHT = GameConfiguration::CONTROL_RIGHT;
constexpr float FLOOR_Y = 100.0f;

struct Target : A99Object {
    void activate() override { ++hits; }
    int hits = 0;
};

struct RecordingApple : Apple {
    void push(A99Object*, const V3& impulse) override { pushes.push_back(impulse); }
    std::vector<V3> pushes;
};

struct Devices : testing::Test {
    Devices() {
        EXPECT_TRUE(audio.initPull(22050));
        level.floor(-3000.0f, 3000.0f, FLOOR_Y);
        hero = level.spawnHero(V3(0.0f, FLOOR_Y + 1.0f, 0.0f));
        EXPECT_TRUE(level.stepUntil([&] { return hero->getGround() != nullptr; }, 100));
    }
    // A frame up, then UP goes down and stays down for `frames`; the first is run.
    void press(int frames = 1) {
        level.holdControl(USE, level.frame + 1, level.frame + 1 + frames);
        level.step(2);
    }
    Switch* device(float x, bool onceOnly) {
        auto* s = level.spawn<Switch>(V3(x, FLOOR_Y + 30.0f, 0.0f), level.objectList);
        s->bOnceOnly = onceOnly;
        s->netPostReplicate();
        return s;
    }
    Skin* frame(int i) { return level.resources.findAs<Skin>(u"switch:" + WString(1, char16_t(u'0' + i))); }
    // The switch sounds that played since the last look (which then end).
    std::string heard() {
        std::string out;
        for (const char16_t* n : {u"switchButton", u"switchRaise", u"switchLower", u"switchActivate"})
            if (level.resources.findAs<Sound>(n)->activePlaybacks()) out += wideToNarrow(n) + " ";
        std::vector<float> pcm(2 * 4096);
        audio.pull(pcm.data(), 4096);
        return out;
    }
    ZubAudio audio;
    leveltest::TestLevel level;
    Pig* hero = nullptr;
};

TEST_F(Devices, ALeverFiresItsTargetsOncePerPressInThatTickOrAfterShowingTheFirstWhileSheIsLocked) {
    Switch* s = device(0.0f, false);
    std::vector<Target*> t;
    for (int i = 0; i < Switch::TARGET_COUNT; ++i) t.push_back(level.spawn<Target>(V3(), level.objectList));
    for (int i = 1; i < Switch::TARGET_COUNT; ++i) s->target(i).set(t[i]);
    s->pActivationSound = level.resources.findAs<Sound>(u"switchActivate");
    auto hits = [&] { return std::vector<int>{t[0]->hits, t[1]->hits, t[2]->hits, t[3]->hits, t[4]->hits}; };
    press(30);
    EXPECT_EQ(level.promptPriority, Switch::PROMPT_PRIORITY);
    EXPECT_EQ(hits(), std::vector<int>({0, 1, 1, 1, 1}));
    EXPECT_EQ(s->pSkin, frame(3));
    EXPECT_EQ(heard(), "switchRaise ");  // no activation sound without target1
    level.step(30);                      // held: no second toggle
    s->target1.set(t[0]);
    press();
    EXPECT_EQ(hits(), std::vector<int>({1, 2, 2, 2, 2}));
    EXPECT_EQ(s->pSkin, frame(2));
    EXPECT_EQ(heard(), "switchLower switchActivate ");
    // The show: neither RIGHT nor a second press does anything while it runs.
    t[0]->setPosition(3000, 300, 0);
    s->bShowTarget = true;
    press();
    const int pressed = level.frame;
    level.holdControl(RIGHT, pressed, pressed + 250);
    level.tapControl(USE, pressed + 150);
    EXPECT_NEAR(hero->lockTime, 2.99, 1e-9);
    EXPECT_TRUE(level.stepUntil([&] { return t[0]->hits == 2; }, 110));
    EXPECT_NEAR(level.frame - pressed, 100, 1);
    level.step(pressed + 190 - level.frame);
    BlendingCamera* node = level.getCameraNode();
    EXPECT_FLOAT_EQ(node->eye.x, 3000.0f);
    level.step(120);
    EXPECT_EQ(node->countChildren(), 1);
    EXPECT_FLOAT_EQ(node->eye.x, hero->position.x);
    EXPECT_EQ(hero->physPoint.position.x, 0.0f);
    EXPECT_EQ(hits(), std::vector<int>({2, 3, 3, 3, 3}));
}

// Two levers within her reach offer prompts of one priority: the nearer one
// wins whichever comes first in the list, and of two as near the first one
// keeps it.
TEST_F(Devices, OfTwoLeversTheNearerWinsAndAnEquallyNearLaterOneDoesNotTakeOver) {
    const V3 at = hero->boundingCentre;
    auto lever = [&](float dx) {
        Switch* s = device(at.x + dx, false);
        auto* t = level.spawn<Target>(V3(), level.objectList);
        s->target1.set(t);
        return std::make_pair(s, t);
    };
    auto [far, farTarget] = lever(40.0f);  // first in the list
    auto [near, nearTarget] = lever(-20.0f);
    press();
    EXPECT_EQ(level.promptTarget.get(), near);
    EXPECT_EQ(level.promptPriority, Switch::PROMPT_PRIORITY);
    EXPECT_FLOAT_EQ(level.promptDistance, V3::distance(at, near->position));
    EXPECT_EQ(nearTarget->hits, 1);
    EXPECT_EQ(farTarget->hits, 0);

    // Out of her reach, and two as near as each other on either side of her.
    for (Switch* s : {far, near}) s->setPosition(3000.0f, FLOOR_Y + 30.0f, 0.0f);
    auto [first, firstTarget] = lever(25.0f);
    auto [second, secondTarget] = lever(-25.0f);
    ASSERT_EQ(V3::distance(at, first->position), V3::distance(at, second->position));
    level.step(30);
    press();
    EXPECT_EQ(level.promptTarget.get(), first);
    EXPECT_EQ(firstTarget->hits, 1);
    EXPECT_EQ(secondTarget->hits, 0);
    EXPECT_EQ(nearTarget->hits + farTarget->hits, 1);
}

TEST_F(Devices, AButtonWorksOnceAndAnAutomaticOneFiresWhenSheWalksIn) {
    Switch* button = device(0.0f, true);
    Switch* automatic = device(400.0f, true);
    automatic->bAutomatic = true;
    auto* t = level.spawn<Target>(V3(), level.objectList);
    button->target3.set(t);
    automatic->target1.set(t);
    press();
    EXPECT_EQ(t->hits, 1);
    EXPECT_EQ(button->pSkin, frame(1));
    EXPECT_EQ(heard(), "switchButton ");
    press();  // used: no prompt, nothing
    EXPECT_EQ(level.promptTarget.get(), nullptr);
    level.holdControl(RIGHT, level.frame, level.frame + 300);
    level.step(300);
    EXPECT_EQ(t->hits, 2);
    automatic->bOnceOnly = false;
    EXPECT_DEATH(automatic->netPostReplicate(), "bOnceOnly");
}

TEST_F(Devices, ASpringboardThrowsHerAlongItsUpAxisOncePerBounceAndPushesLooseApples) {
    auto* up = level.spawn<Springboard>(V3(0, FLOOR_Y + 16, 0), level.objectList);
    auto* side = level.spawn<Springboard>(V3(300, FLOOR_Y + 16, 0), level.objectList);
    side->setRotation(0.0f, 0.0f, -kPi / 2.0f);
    RecordingApple* a[3];  // loose, spoiled, hanging
    for (int i = 0; i < 3; ++i) {
        a[i] = level.spawn<RecordingApple>(V3(290.0f + 10 * i, FLOOR_Y + 40, 0), level.appleList);
        a[i]->bHanging = i == 2;
    }
    a[1]->bSpoiled = 1;
    const float rest = up->board->position.y;
    float low = rest, high = rest;
    int throws = 0;
    for (int i = 0; i < 250; ++i) {
        level.step();
        throws += up->bounceTime > 0.98f;
        low = std::min(low, up->board->position.y);
        high = std::max(high, up->board->position.y);
    }
    // Each time she is back on it and the bounce is over.
    EXPECT_EQ(throws, 3);
    EXPECT_TRUE(low < rest - 5.0f && high > rest + 10.0f);
    ASSERT_FALSE(a[0]->pushes.empty());
    EXPECT_NEAR(a[0]->pushes[0].length(), 128.0f, 1e-3f);
    EXPECT_LT(a[0]->pushes[0].x, 0.0f);  // away from the centre
    EXPECT_TRUE(a[1]->pushes.empty() && a[2]->pushes.empty());
    level.placeHero(hero, V3(300, FLOOR_Y + 60, 0));
    EXPECT_TRUE(level.stepUntil([&] { return side->bounceTime > 0.0f; }, 30));
    EXPECT_EQ(hero->velocity.x, 384.0f);  // 1024 before her own tick
}

TEST_F(Devices, ADecorationHidesAlongItsDownAxisAsSheComesNear) {
    auto* down = level.spawn<Decoration>(V3(0, 200, 0), level.objectList);
    auto* up = level.spawn<Decoration>(V3(-300, 200, 0), level.objectList);
    up->setRotation(0.0f, 0.0f, kPi);
    const float depth = 0.75f * down->pSkin->height;
    auto heroAt = [&](V3 at) {
        level.placeHero(hero, at - hero->bodyOffset);
        level.step();
    };
    heroAt(V3(130, 200, 0));
    EXPECT_NEAR(down->position.y, 200 - 0.25f * depth, 1e-3f);  // half way by the curve
    heroAt(V3(-320, 200, 0));
    EXPECT_NEAR(up->position.y, 200 + depth, 1e-3f);
    heroAt(V3(210, 200, 0));
    EXPECT_EQ(down->position, V3(0, 200, 0));
    down->setPosition(-50, 150, 0);  // moved in the editor: it stays there
    level.step();
    EXPECT_EQ(down->position, V3(-50, 150, 0));
}

}  // namespace
