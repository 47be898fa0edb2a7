// The pig's family in a level with a floor, the house and the hero: piglets
// made the way the game controller makes them, speech bubbles shown through
// A99Object::showSpeechBubble, and the hero cameras in the game camera node.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "TestLevel.h"
#include "gfx/StretchSkin.h"
#include "objects/pig/HeroCameras.h"
#include "objects/pig/Pig.h"
#include "objects/pig/Piglet.h"
#include "objects/pig/SpeechBubble.h"
#include "objects/triggers/House.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

using leveltest::TestLevel;

namespace {

constexpr float FLOOR_Y = 100.0f, W = REFERENCE_WIDTH, H = REFERENCE_HEIGHT;
// A piglet stands once past its target, but a hop taken just before flies on
// at full speed and then slides to a stop: it comes to rest at most this far
// beyond its target.
constexpr float OVERSHOOT = Piglet::MAX_SPEED * 2.0f * Piglet::HOP_SPEED / -Piglet::GRAVITY +
                            Piglet::MAX_SPEED * Piglet::MAX_SPEED / (2.0f * Piglet::FRICTION) + 1.0f;

class Family : public ::testing::Test {
protected:
    // The floor (with a pit from x 200 to 400), the house at x 0, the hero
    // and the three piglets.
    void build(float heroX, bool pit = false) {
        level.floor(-6000.0f, pit ? 200.0f : 6000.0f, FLOOR_Y);
        if (pit) level.floor(400.0f, 6000.0f, FLOOR_Y);
        house = level.spawnHouse(V3(0.0f, FLOOR_Y + 50.0f, 0.0f));
        hero = level.spawnHero(V3(heroX, FLOOR_Y, 0.0f));
        for (int type = 2; type <= 4; ++type) {
            piglets.push_back(new Piglet());
            level.role->registerObject(piglets.back(), 0);
            piglets.back()->setPigletCount(type);
            piglets.back()->netPostReplicate();
        }
    }
    void moveHero(float x) { level.placeHero(hero, V3(x, FLOOR_Y, 0.0f)); }
    // After every frame `each` sees each piglet and whether it began a walk.
    template <class F>
    void run(double seconds, F each) {
        for (int f = 0; f < static_cast<int>(seconds * 100.0); ++f) {
            const int before[3] = {piglets[0]->state, piglets[1]->state, piglets[2]->state};
            level.step();
            for (int i = 0; i < 3; ++i) each(piglets[i], piglets[i]->state == 1 && before[i] != 1);
        }
    }
    float distanceToHouse(const Piglet* p) const { return (p->physPoint.position - house->position).length(); }
    SpeechBubble* say(A99Object* by, const WString& text, int mode = SpeechBubble::TIMED) {
        SpeechBubble::install();
        by->showSpeechBubble(V3(), true, mode, text);
        return dynamic_cast<SpeechBubble*>(level.speechBubbleList->firstChild);
    }
    bool bubbleShown() const { return level.speechBubbleList->firstChild != nullptr; }

    TestLevel level;
    House* house = nullptr;
    Pig* hero = nullptr;
    std::vector<Piglet*> piglets;
};

TEST_F(Family, PigletsWanderWithinTheMarginsFollowTheHeroAndGoHomeWithHer) {
    level.playingArea.left = -250.0f;  // no target left of -150
    build(2000.0f);                    // far from the house
    int walks = 0, hops = 0;
    run(40.0, [&](Piglet* p, bool walk) {
        walks += walk;
        EXPECT_TRUE(!walk || (p->targetX >= -150.0f && p->targetX <= Piglet::WANDER_RANGE)) << p->targetX;
        EXPECT_TRUE(p->physPoint.position.x > -150.0f - OVERSHOOT &&
                    p->physPoint.position.x < Piglet::WANDER_RANGE + OVERSHOOT);
        EXPECT_TRUE(p->state != Piglet::WALKING || p->timeInState < 4.0);  // stands once past its target
        if (p->velocity.y != Piglet::HOP_SPEED) return;
        ++hops;
        EXPECT_GE(distanceToHouse(p), 120.0f);
    });
    EXPECT_TRUE(walks >= 15 && hops > 0);
    moveHero(450.0f);  // near the house: beside her
    run(15.0, [&](Piglet*, bool) {});
    for (Piglet* p : piglets) EXPECT_NEAR(p->physPoint.position.x, 450.0f, 90.0f);
    moveHero(0.0f);  // inside the house: home
    run(15.0, [&](Piglet* p, bool walk) { EXPECT_TRUE(!walk || p->targetX == house->position.x) << p->targetX; });
    for (Piglet* p : piglets) EXPECT_LT(distanceToHouse(p), House::PIGLET_HOME_RADIUS);
    EXPECT_TRUE(house->atHome && !house->door->bHidden);  // the door shut behind them
    EXPECT_FALSE(level.isLevelComplete());                // without the apples
    level.currentResult.applesGathered = level.currentResult.apples;
    EXPECT_TRUE(level.isLevelComplete());
}

TEST_F(Family, PigletsHopOnTheirTypesSchedulesButNotAtTheFirstChance) {
    build(450.0f);  // beside her, away from the house
    for (Piglet* p : piglets) p->physPoint.setPositionAndStop(450.0f, FLOOR_Y + 0.5f, 0.0f);
    double last[3] = {0.01, 0.01, 0.01};  // the first chance
    int hops[3] = {};
    const double least[] = {0.1, 30.0, 10.0}, most[] = {1e9, 60.0, 30.0};
    run(100.0, [&](Piglet* p, bool) {
        if (p->velocity.y != Piglet::HOP_SPEED) return;
        const int i = p->type - 2;
        EXPECT_TRUE(level.time - last[i] >= least[i] - 1e-6 && level.time - last[i] <= most[i] + 0.02) << i;
        last[i] = level.time;
        ++hops[i];
    });
    EXPECT_TRUE(hops[0] >= 20 && hops[1] >= 1 && hops[2] >= 3);
}

TEST_F(Family, APigletThatFallsOutOfTheLevelComesBackAboveTheHouse) {
    build(500.0f, true);  // beside her is across the pit
    int returns = 0;
    run(20.0, [&](Piglet* p, bool) {
        EXPECT_GE(p->physPoint.position.y, level.playingArea.bottom);
        returns += p->physPoint.position == house->position + V3(0.0f, Piglet::START_HEIGHT, 0.0f);
    });
    EXPECT_GT(returns, 0);
}

TEST_F(Family, BubblesLastByTheirTextsLengthAndFrameItWrapped) {
    build(2000.0f);
    for (auto [chars, frames] : {std::pair(10, 250), std::pair(40, 400)}) {  // 2.5 s at least, else 0.1 s each
        say(house, WString(chars, u'x'));
        level.step(frames - 2);
        EXPECT_TRUE(bubbleShown()) << chars;
        level.step(3);
        EXPECT_FALSE(bubbleShown()) << chars;
    }
    const StretchSkin* tiny = say(house, u"a")->frame;
    EXPECT_TRUE(tiny->width == SpeechBubble::MIN_WIDTH && tiny->height == SpeechBubble::MIN_HEIGHT);
    const FontQuad* font = level.getBubbleFont();
    if (!font) GTEST_SKIP() << "no font";
    SpeechBubble* b =
        say(house, u"Roll the apples into the house, then wait inside with the piglets until the door shuts.");
    ASSERT_GE(b->pText->lineCount(), 3);
    EXPECT_LE(b->pText->width, W / 3);
    platform::NullRenderDevice* device = level.enableGraphics();
    b->render();
    EXPECT_EQ(device->drawCount, 1 + b->pText->lineCount());  // the frame, then each line
}

TEST_F(Family, BubblesWaitForTheirKeyFollowTheOwnerMirrorRightOfTheViewAndGoWithIt) {
    build(2000.0f);
    A99Object* owner = level.spawn<A99Object>(V3(-100.0f, 200.0f, 0.0f), level.objectList);
    SpeechBubble* b = nullptr;
    // Each waits through the other keys for its own (after its time ran out).
    constexpr int RIGHT = GameConfiguration::CONTROL_RIGHT, JUMP = GameConfiguration::CONTROL_JUMP;
    for (auto [mode, key, other] :
         {std::tuple(SpeechBubble::UNTIL_WALK, RIGHT, JUMP), std::tuple(SpeechBubble::UNTIL_JUMP, JUMP, RIGHT)}) {
        b = say(owner, u"Go on!", mode);
        level.holdControl(other, level.frame, level.frame + 10);
        level.tapControl(GameConfiguration::CONTROL_USE, level.frame + 20);
        level.step(400);
        ASSERT_TRUE(bubbleShown());
        owner->setPosition(-50.0f, 250.0f, 0.0f);
        level.tapControl(key, level.frame);
        level.step();
        EXPECT_EQ(b->position, V3(-68.0f, 250.0f, 0.0f));
        level.step();
        EXPECT_FALSE(bubbleShown());
        owner->setPosition(-100.0f, 200.0f, 0.0f);
    }
    owner->setPosition(300.0f, 200.0f, 0.0f);  // right of the view's centre: grows to the left
    b = say(owner, u"Over here");
    level.step();
    EXPECT_EQ(b->position, V3(318.0f, 200.0f, 0.0f));
    owner->bToBeDestroyed = 1;  // used up: the list deletes it this frame
    level.step();
    EXPECT_FALSE(bubbleShown());
}

TEST_F(Family, TheHeroCameraFollowsOutsideItsDeadZoneWithinThePlayingArea) {
    build(0.0f);
    auto* c = new HeroCamera();
    level.getCameraNode()->addChild(c);
    level.step();
    const V3 start = c->eye;
    EXPECT_EQ(start.x, hero->position.x);
    moveHero(0.09f * W);
    level.step();
    EXPECT_EQ(c->eye, start);
    moveHero(0.3f * W);
    level.step();
    EXPECT_EQ(c->eye, V3(hero->position.x - 0.1f * W, start.y, -W / 2));
    EXPECT_EQ(c->lookAt, V3(c->eye.x, c->eye.y, 0.0f));
    level.playingArea.left = -0.4f * W;  // narrower than the screen: the right edge wins
    level.playingArea.right = 0.4f * W;
    moveHero(-0.3f * W);
    level.step();
    EXPECT_FLOAT_EQ(c->eye.x, -0.1f * W);
}

TEST_F(Family, ATransitionFliesThereRestsAndTheHeroCameraBringsTheViewBack) {
    build(0.0f);
    BlendingCamera* node = level.getCameraNode();
    node->addChild(new HeroCamera());
    level.step(110);
    auto* there = new CameraTransition(1e6f, -1e6f, -0.65f * W);  // kept 0.65 W inside the edges
    EXPECT_EQ(there->eye, V3(level.playingArea.right - 0.65f * W, level.playingArea.bottom + 0.65f * H, -0.65f * W));
    auto* back = new HeroCamera();
    back->delay = 2.0;
    node->addChild(there);
    node->addChild(back);
    for (int frames : {105, 90}) {
        level.step(frames);
        EXPECT_FLOAT_EQ(node->eye.x, there->eye.x);
    }
    level.step(110);
    EXPECT_EQ(node->eye, back->eye);
    EXPECT_FLOAT_EQ(node->eye.x, hero->position.x);
    EXPECT_EQ(node->countChildren(), 1);
}

}  // namespace
