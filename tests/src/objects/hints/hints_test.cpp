// Hints, telescopes, secret areas, bending plants and signs met by the hero
// in a level run by real ticks and scripted keys. Floors lie above the test
// level's bottom.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "TestLevel.h"
#include "audio/ZubAudio.h"
#include "gfx/BentQuad.h"
#include "gfx/BlendingCamera.h"
#include "gfx/Quad.h"
#include "lang/Language.h"
#include "objects/hints/Telescope.h"
#include "objects/hints/TriggerHint.h"
#include "objects/hints/WoodSign.h"
#include "objects/pig/Pig.h"
#include "objects/pig/SpeechBubble.h"
#include "objects/scenery/VegetationBend.h"
#include "objects/triggers/SaveProgressTrigger.h"
#include "objects/triggers/SecretArea.h"
#include "world/Hull.h"
#include "world/Terrain.h"

namespace {

constexpr int USE = GameConfiguration::CONTROL_USE;
constexpr int LEFT = GameConfiguration::CONTROL_LEFT;
constexpr int RIGHT = GameConfiguration::CONTROL_RIGHT;
constexpr float FLOOR_Y = 100.0f;
const WString kOn = WString(1, u'\x1E') + u"{0000ff}";
const WString kOff = WString(1, u'\x1E') + u"{000001}";

struct Hints : testing::Test {
    Hints() {
        EXPECT_TRUE(audio.initPull(22050));
        // The key names of the language, as the loader leaves them.
        language.setKeyNameTable(level.input->keyNames);
        language.setLanguage(Language::ENGLISH);
        level.floor(-3000.0f, 3000.0f, FLOOR_Y);
        hero = level.spawnHero(V3(0.0f, FLOOR_Y + 1.0f, 0.0f));
        EXPECT_TRUE(level.stepUntil([&] { return hero->getGround() != nullptr; }, 100));
    }
    // A frame up, then UP goes down and stays down for `frames`; the first is run.
    void press(int frames = 1) {
        level.holdControl(USE, level.frame + 1, level.frame + 1 + frames);
        level.step(2);
    }
    TriggerHint* hint(const char16_t* textId, bool automatic, bool bubble) {
        auto* h = level.spawn<TriggerHint>(hero->position, level.objectList);
        h->hintTextID = textId;
        h->bAutomatic = automatic;
        h->bSpeechBubble = bubble;
        return h;
    }
    SpeechBubble* bubble() { return firstOf<SpeechBubble>(level.speechBubbleList); }
    // Plays of the sound since the last look (which then end).
    int plays(const char16_t* sound) {
        const int n = level.resources.findAs<Sound>(sound)->activePlaybacks();
        std::vector<float> pcm(2 * 4096);
        audio.pull(pcm.data(), 4096);
        return n;
    }
    template <class T>
    T* plant(V3 at) {
        T* p = level.spawn<T>(at, level.objectList);
        p->construct(level.resources.findAs<Quad>(u"flowers1:0"));
        return p;
    }
    ZubAudio audio;
    leveltest::TestLevel level;
    Language language;
    Pig* hero = nullptr;
};

TEST_F(Hints, AutomaticHintsWaitForTheSwitchAndTheirPredecessorAndShowOnceWithTheKeysNamed) {
    // Each ticks before the one it waits for: a link of the chain takes a frame.
    TriggerHint* panel = hint(u"HINTJUMP", true, false);
    TriggerHint* walk = hint(u"HINTMOVELEFTRIGHT", true, true);
    TriggerHint* touchOnly = hint(u"IOS_HINTJUMP", true, true);
    panel->previousHint.set(walk);
    walk->previousHint.set(touchOnly);
    panel->hintTitleID = u"NOSUCHTITLE";
    panel->hintDelay = 0.5;
    panel->pIconSkin = level.resources.findAs<Skin>(u"paperNote:0");
    level.configuration->showHints = 0;
    level.step(20);
    EXPECT_FALSE(touchOnly->wasShown() || bubble() || !level.hintPanels.empty());
    level.configuration->showHints = 1;
    level.step();
    // Without touch input the touch text counts as shown without appearing.
    EXPECT_TRUE(touchOnly->wasShown());
    EXPECT_EQ(bubble(), nullptr);
    level.step();
    ASSERT_NE(bubble(), nullptr);
    EXPECT_EQ(bubble()->pOwner.get(), hero);
    EXPECT_EQ(bubble()->dismissMode, SpeechBubble::UNTIL_WALK);
    const int shown = level.frame;
    EXPECT_TRUE(level.stepUntil([&] { return !level.hintPanels.empty(); }, 100));
    EXPECT_NEAR(level.frame - shown, 51, 1);
    const auto& p = level.hintPanels[0];
    EXPECT_EQ(p.title, u"");
    EXPECT_EQ(p.text, u"Press " + kOn + u"Space" + kOff + u" to jump over obstacles");
    EXPECT_EQ(p.icon, panel->pIconSkin);
    level.step(100);
    EXPECT_EQ(level.hintPanels.size(), 1u);
    // Under touch input the touch text is shown.
    level.input->inputMode = ZubInput::MODE_TOUCH;
    hint(u"HINTJUMP", true, false);
    level.step();
    ASSERT_EQ(level.hintPanels.size(), 2u);
    EXPECT_EQ(level.hintPanels[1].text, u"Tap the jump button to jump over obstacles");
}

TEST_F(Hints, AnOnDemandHintShowsOnEveryUseOnlyTheFirstAfterItsDelayAlsoWithHintsSwitchedOff) {
    level.configuration->showHints = 0;
    auto* sign = level.spawn<WoodSign>(hero->position + V3(30, 40, 0), level.objectList);
    TriggerHint* h = hint(u"HINTSIGN", false, true);
    h->originator.set(sign);
    h->hintDelay = 0.3;
    level.step(20);
    EXPECT_EQ(bubble(), nullptr);
    press();
    const int used = level.frame;
    EXPECT_EQ(level.promptTarget.get(), h);
    EXPECT_EQ(level.promptPriority, TriggerHint::PROMPT_PRIORITY);
    EXPECT_TRUE(level.stepUntil([&] { return bubble() != nullptr; }, 40));
    EXPECT_NEAR(level.frame - used, 30, 1);
    const SpeechBubble* first = bubble();
    EXPECT_EQ(first->pOwner.get(), sign);
    EXPECT_EQ(first->style, 2);
    EXPECT_EQ(first->dismissMode, SpeechBubble::UNTIL_UP);
    press();
    EXPECT_NE(bubble(), first);  // shown again at once: no delay is left
    EXPECT_EQ(bubble()->pOwner.get(), sign);
    // The panel form names the bound UP key.
    h->bSpeechBubble = false;
    press();
    ASSERT_EQ(level.hintPanels.size(), 1u);
    EXPECT_NE(level.hintPanels[0].text.find(kOn + language.buildKeyName(level.configuration->controls[USE].key) + kOff),
              WString::npos);
}

TEST_F(Hints, ATelescopeFliesTheViewThereRestsAndComesBackWhileSheIsLocked) {
    auto* t = level.spawn<Telescope>(V3(0, FLOOR_Y + 40, 0), level.objectList);
    EXPECT_NEAR(t->head->rotation.z, -kPi / 2, 1e-6f);  // towards the default point below it
    t->lookAt = V3(3000, 300, -512);
    EXPECT_NEAR(t->head->rotation.z, -kPi / 2, 1e-6f);  // turns only after replication
    t->netPostReplicate();
    EXPECT_NEAR(t->head->rotation.z, std::atan2(160.0f, 3000.0f), 1e-6f);
    BlendingCamera* node = level.getCameraNode();
    const int cameras = node->countChildren();
    press();
    const int pressed = level.frame;
    EXPECT_EQ(node->countChildren(), cameras + 2);
    EXPECT_NEAR(hero->lockTime, 2.99, 1e-9);
    // Neither RIGHT nor a second use does anything while the show runs.
    level.holdControl(RIGHT, pressed, pressed + 250);
    level.tapControl(USE, pressed + 150);
    level.step(189);
    EXPECT_FLOAT_EQ(node->eye.x, 3000.0f);  // resting there after the flight
    EXPECT_EQ(node->countChildren(), cameras + 2);
    level.step(120);
    EXPECT_EQ(node->countChildren(), 1);
    EXPECT_FLOAT_EQ(node->eye.x, hero->position.x);
    EXPECT_EQ(hero->physPoint.position.x, 0.0f);
}

TEST_F(Hints, ASecretAreaRewardsTheFirstVisitOnlyAndAScoreAtTheLimitWrapsToZero) {
    SecretArea* areas[3];
    for (int i = 0; i < 3; ++i) areas[i] = level.spawn<SecretArea>(V3(300.0f * (i + 1), FLOOR_Y, 0), level.secretList);
    EXPECT_EQ(areas[0]->pOwnerList, level.secretList);
    int sounds = 0;
    auto visit = [&](float x) {
        level.placeHero(hero, V3(x, FLOOR_Y + 1, 0));
        level.step();
        sounds += plays(u"secretArea");
    };
    const LevelResult& r = level.currentResult;
    for (int i = 0; i < 2; ++i) {
        visit(300);
        visit(0);
    }
    EXPECT_EQ(sounds, 1);
    ASSERT_EQ(level.messages.size(), 1u);
    const leveltest::Message& m = level.messages[0];
    EXPECT_EQ(std::tuple(m.messenger, m.textId, m.duration, m.text), std::tuple(1, 814, 2.0, WString()));
    EXPECT_EQ(std::pair(r.secretsFound, r.points), std::pair(1, 5000));
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    level.currentResult.points = kMax - 5000;
    visit(600);
    EXPECT_EQ(r.points, kMax);
    visit(900);
    EXPECT_EQ(std::pair(r.secretsFound, r.points), std::pair(3, 0));
}

TEST_F(Hints, SaveProgressPlantsLeanAsSheWalksThroughAndMoveHerRespawnPointWithASoundOnChangeOnly) {
    auto* first = plant<SaveProgressTrigger>(V3(200, FLOOR_Y, 0));
    auto* lean = plant<SaveProgressTrigger>(V3(400, FLOOR_Y, 0));
    auto* second = plant<SaveProgressTrigger>(V3(600, FLOOR_Y, 0));
    first->bSaveSnapshot = second->bSaveSnapshot = true;
    int sounds = 0;
    float mostLean = 0.0f;
    auto walk = [&](int control, float untilX) {
        level.holdControl(control, level.frame, level.frame + 400);
        for (int i = 0; i < 400 && (control == RIGHT ? hero->position.x < untilX : hero->position.x > untilX); ++i) {
            level.step();
            sounds += plays(u"saveProgress");
            mostLean = std::max(mostLean, std::fabs(lean->bentQuad()->bend));
        }
        level.script.clear();
    };
    walk(RIGHT, 450);
    EXPECT_EQ(level.checkpoint.get(), first);
    EXPECT_EQ(hero->respawnPoint, first->position);
    EXPECT_GT(mostLean, 0.05f);  // the plain one only leans
    walk(RIGHT, 700);
    EXPECT_EQ(level.checkpoint.get(), second);
    EXPECT_EQ(hero->respawnPoint, second->position);
    walk(LEFT, 100);
    walk(RIGHT, 300);
    EXPECT_EQ(level.checkpoint.get(), first);
    EXPECT_EQ(sounds, 3);
    // Out of her way it springs back to rest.
    level.step(300);
    EXPECT_LE(std::fabs(lean->bentQuad()->bend), VegetationBend::BEND_STEP);
}

TEST_F(Hints, APlantSheStandsOnSwaysAndSettlesAndOneWithoutItsQuadShowsNothing) {
    auto* bare = level.spawn<VegetationBend>(V3(-600, FLOOR_Y, 0), level.objectList);
    level.step(5);
    EXPECT_EQ(bare->bentQuad()->texture, nullptr);
    bare->rectShrink = {0.5f, 0.0f, 0.5f, 0.0f};
    Quad* ref = level.resources.findAs<Quad>(u"flowers1:0");
    bare->construct(ref);
    const int w = ref->rectRight - ref->rectLeft;
    EXPECT_EQ(bare->bentQuad()->rectLeft, ref->rectLeft + w / 2);
    EXPECT_EQ(bare->bentQuad()->rectRight, ref->rectRight - w / 4);
    // On a terrain (rising 50 every 100 from x -200) it keeps its offsets
    // to the terrain's x and to the surface under it when the terrain moves.
    auto* ground = level.spawn<Terrain>(V3(0, 500, 0), level.objectList);
    ground->construct(5, 100);
    for (int i = 0; i < 5; ++i) ground->setHeights(i, 50.0f * i, -100.0f);
    bare->pTerrain.set(ground);
    bare->setPosition(-50, 700, 0);
    ground->setPosition(100, 500, 0);
    bare->onEdited();
    EXPECT_EQ(bare->position, V3(50, 700, 0));

    auto* p = plant<VegetationBend>(V3(1000, FLOOR_Y, 0));
    p->baseBendAngle = 0.2f;
    p->refreshQuad();
    // A ledge across its head, off its axis.
    p->createHull();
    V3 a, b;
    p->world2local(a, V3(960, FLOOR_Y + 60, 0));
    p->world2local(b, V3(1060, FLOOR_Y + 60, 0));
    p->getHull()->addHullPoint(a.x, a.y, a.z, true);
    p->getHull()->addHullPoint(b.x, b.y, b.z, true);
    level.placeHero(hero, V3(1030, FLOOR_Y + 150, 0));
    EXPECT_TRUE(level.stepUntil([&] { return hero->groundOwner() == p; }, 100));
    level.step(100);
    EXPECT_GT(std::fabs(p->bentQuad()->bend - 0.2f), 0.05f);
    level.placeHero(hero, V3(0, FLOOR_Y + 1, 0));
    level.step(20);
    // The spring is ticked once a frame, by its plant.
    SpringPoint alone;
    alone.position = p->spring.position;
    alone.velocity = p->spring.velocity;
    alone.mass = p->spring.mass;
    alone.k = p->spring.k;
    alone.damping = p->spring.damping;
    alone.tick(level.time, leveltest::TestLevel::DT);
    level.step();
    EXPECT_EQ(p->spring.position, alone.position);
    level.step(300);
    const int rebuilds = p->bentQuad()->rebuilds;
    level.step(50);
    EXPECT_EQ(p->bentQuad()->rebuilds, rebuilds);
    EXPECT_LE(std::fabs(p->bentQuad()->bend - 0.2f), VegetationBend::BEND_STEP);
}

TEST_F(Hints, AWoodSignsBoardSitsOnThePostTurnsWithItAndPointsAtTheEditorsPointer) {
    auto* sign = level.spawn<WoodSign>(V3(100, 200, 0), level.objectList);
    auto boardAt = [&](V3 local) {
        V3 out;
        sign->board->localToWorld(out, local);
        return out;
    };
    sign->type = 0;
    sign->onEdited();
    EXPECT_EQ(sign->board->pSkin, nullptr);
    sign->type = 2;
    sign->decoRotationZ = 0.25f;
    sign->setRotation(0, 0, 0.5f);
    EXPECT_EQ(sign->board->pSkin, level.resources.findAs<Skin>(u"woodsign:2"));
    const V3 pivot = boardAt(sign->board->pSkin->origin), ahead = boardAt(sign->board->pSkin->origin + V3(1, 0, 0));
    EXPECT_NEAR(std::atan2(ahead.y - pivot.y, ahead.x - pivot.x), 0.75f, 1e-5f);
    EXPECT_NEAR(pivot.x, 100 - 18 * std::sin(0.5f), 1e-3f);
    EXPECT_NEAR(pivot.y, 200 + 18 * std::cos(0.5f), 1e-3f);
    // Editor: with A held the board points at the pointer, whatever the post's turn.
    level.setEditing(true);
    level.game->mousePosition = V3(100, 300, 0);
    level.input->keys[input_codes::KEY_A] = 0x80;
    ZubEvent key;
    key.code = EVENT_KEY;
    EXPECT_TRUE(sign->onEvent(key));
    EXPECT_NEAR(sign->decoRotationZ, kPi / 2 - 0.5f, 1e-6f);
}

}  // namespace
