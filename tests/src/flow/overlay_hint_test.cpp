// The hint panel: opened by a hint trigger of a level file when the
// scripted pig walks into it, with the bound keys' names in its text, over
// the level, which stands still until the panel is dismissed; its layout
// (sizes, rounding, pictures, coloured runs, centred lines, the footer);
// and a hint that comes due in the frame another overlay opened waits for
// it to close.
#include <gtest/gtest.h>

#include <cmath>

#include "FlowHarness.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayHint.h"
#include "flow/OverlayMiniMap.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/GameSquare.h"
#include "lang/Language.h"
#include "object/Packet.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

using flowtest::FlowHarness;

namespace {

const V3 kHouse(-600.0f, 0.0f, 0.0f);
// Where the pig starts, on a floor of the level.
const V3 kStart(0.0f, 100.0f, 0.0f);

struct HintPanel : testing::Test {
    HintPanel() {
        // The key names of the language, as the loader leaves them.
        language.setKeyNameTable(h.input.keyNames);
        language.setLanguage(Language::ENGLISH);
        h.services.config->showHints = 1;
    }

    // A level with the house out of the way and an automatic hint panel
    // `ahead` of the pig's start; played until the panel opens or play
    // starts.
    GameController& playWithHint(float ahead, const char16_t* textId) {
        GameController& gc = h.play(h.writeLevel([&](LevelDraft& d) {
            GameController& c = d.controller();
            c.findHouse()->setPosition(kHouse);
            // The level's ground, flat, for the pig to walk on.
            Terrain* ground = firstOf<Terrain>(c.objectList);
            for (int i = 0; i < ground->segments; ++i) ground->setHeights(i, kStart.y, 0.0f);
            Pig* pig = c.getHero();
            pig->setPosition(kStart + V3(0.0f, 2.0f, 0.0f) + pig->bodyOffset);
            pig->onEdited();
            auto* hint = d.place<TriggerHint>(kStart + V3(ahead, 0.0f, 0.0f), c.objectList);
            hint->hintTitleID = u"HELPTITLE";
            hint->hintTextID = textId;
            hint->bSpeechBubble = false;
        }));
        EXPECT_TRUE(h.frameUntil([&] { return panel() || gc.state == GameController::PLAYING; }, 600));
        return gc;
    }
    MyRootObject& root() { return *h.server().gameRoot(); }
    OverlayHint* panel() { return zub_cast<OverlayHint>(root().contextOverlay); }
    TriggerHint* trigger(GameController& gc) { return firstOf<TriggerHint>(gc.objectList); }

    // A hint overlay registered with the level's server, not opened.
    OverlayHint* loosePanel() {
        NetRole* before = THEROLE;
        THEROLE = &h.server();
        auto* o = new OverlayHint;
        h.server().registerObject(o);
        THEROLE = before;
        return o;
    }

    FlowHarness h;
    Language language;
};

// The panel's texts, top to bottom.
std::vector<const FadingText*> textsOf(const OverlayHint& o) {
    std::vector<const FadingText*> out;
    for (const FadingText* t : childrenOf<FadingText>(o)) out.push_back(t);
    return out;
}

const GameSquare* squareOf(OverlayHint& o) { return firstOf<GameSquare>(&o); }

FontQuad* font(const char16_t* name) { return findResource<FontQuad>(name); }

}  // namespace

TEST_F(HintPanel, ATriggerInALevelFileOpensItOverTheStandingLevelWithTheKeysNamed) {
    GameController& gc = playWithHint(300.0f, u"HINTMAP");
    TriggerHint* hint = trigger(gc);
    ASSERT_NE(hint, nullptr);
    // The pig walks right into it.
    h.press(h.services.config->controls[GameConfiguration::CONTROL_RIGHT].key);
    ASSERT_TRUE(h.frameUntil([&] { return panel() != nullptr; }, 400));
    h.release(h.services.config->controls[GameConfiguration::CONTROL_RIGHT].key);
    EXPECT_TRUE(hint->wasShown() && hint->isHeroInside());
    OverlayHint& o = *panel();

    // Title, the text in runs (the map key's name in the highlight colour
    // between black ones), the footer naming the fire key.
    const std::vector<const FadingText*> texts = textsOf(o);
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts.front()->text, gameLanguage().getText(SID_HELPTITLE));
    EXPECT_EQ(texts.front()->color, OverlayHint::TITLE_COLOUR);
    EXPECT_EQ(texts[1]->text, u"Press ");
    EXPECT_EQ(texts[1]->color, OverlayHint::TEXT_COLOUR);
    EXPECT_EQ(texts[2]->text, u"M");
    EXPECT_EQ(texts[2]->color, 0xFF0000FFu);
    EXPECT_EQ(texts[3]->color, OverlayHint::TEXT_COLOUR);
    EXPECT_EQ(texts.back()->text, u"Press Space to continue");
    EXPECT_EQ(o.dismissCode1, input_codes::KEY_SPACE);

    // The level stands still: no play time, the pig where she stopped.
    const int32_t frames = gc.playFrameCount;
    const V3 at = gc.getHero()->position;
    const double stateTime = gc.timeInState;
    h.frame(30);
    EXPECT_EQ(gc.playFrameCount, frames);
    EXPECT_EQ(gc.timeInState, stateTime);
    EXPECT_EQ(gc.getHero()->position, at);

    // The fire key closes it; the level goes on and the hint stays shown.
    h.tap(input_codes::KEY_SPACE);
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 10));
    h.frame(3);
    EXPECT_GT(gc.playFrameCount, frames);
    h.frame(50);
    EXPECT_EQ(root().contextOverlay, nullptr);
}

TEST_F(HintPanel, ClosesAfterItsGuardTimeOnEscapeFireOrAPointerButNotOnAHeldKey) {
    // The hint is where the pig starts: it opens as soon as she may move,
    // while the level's title still shows. Space is held as it opens.
    h.press(input_codes::KEY_SPACE);
    GameController& gc = playWithHint(0.0f, u"HINTJUMP");
    ASSERT_NE(panel(), nullptr);
    EXPECT_LT(gc.state, GameController::PLAYING);
    h.frame(30);
    EXPECT_NE(panel(), nullptr);
    h.release(input_codes::KEY_SPACE);
    h.frame();
    ASSERT_NE(panel(), nullptr);
    // A fresh press of the fire key closes it.
    h.tap(input_codes::KEY_SPACE);
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));

    // A press within the first tenth of a second is dropped by the network
    // step that follows it within that time.
    auto* early = loosePanel();
    early->showHint(u"", u"x", nullptr, -1);
    root().setContextOverlay(early);
    h.frame();
    h.tap(input_codes::KEY_SPACE);
    h.frame(20);
    EXPECT_EQ(panel(), early);
    h.tap(input_codes::KEY_SPACE);
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));

    // A pointer press closes it at the network step after the guard time.
    for (auto close : {0, 1}) {
        auto* o = loosePanel();
        o->showHint(u"", u"x", nullptr, -1);
        root().setContextOverlay(o);
        EXPECT_EQ(panel(), o);
        h.frame(15);
        if (close == 0) {
            h.touchHud(1, V3());
            h.frame();
            h.lift(1);
        } else {
            h.tap(input_codes::KEY_ESCAPE);
        }
        EXPECT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6)) << close;
    }
}

TEST_F(HintPanel, LaysOutItsContentInASquareAtLeastAsWideAsHigh) {
    h.play(h.writeLevel([](LevelDraft& d) { d.controller().findHouse()->setPosition(kHouse); }));
    const float lx = static_cast<float>(font(u"fontMedium")->height);
    const float lt = static_cast<float>(font(u"fontLarge")->height);

    // One word, no title: 256 wide; the text starts at the top.
    OverlayHint& word = *loosePanel();
    word.showHint(u"", u"Hello", nullptr, -1);
    const float h2 = 2.0f * std::trunc(lx * 0.5f);
    ASSERT_NE(squareOf(word), nullptr);
    EXPECT_EQ(squareOf(word)->pSkin->width, 256.0f + 100.0f);
    EXPECT_EQ(squareOf(word)->pSkin->height, h2 + 100.0f);
    std::vector<const FadingText*> texts = textsOf(word);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->position, V3(std::trunc(-font(u"fontMedium")->measureLine(u"Hello") * 0.5f), h2 * 0.5f, 0.0f));
    EXPECT_EQ(texts[0]->flags, FontQuad::TEXT_AT_X);
    EXPECT_EQ(texts[1]->position.y, 10.0f - (h2 + 100.0f) * 0.5f);
    EXPECT_EQ(texts[1]->flags, FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP);
    word.destroy();

    // A tall picture: the sizes are rounded down to even numbers before
    // the border, and the square is never narrower than high.
    Quad picture;
    picture.width = 40.0f;
    picture.height = 301.5f - 2.0f * lx;
    OverlayHint& tall = *loosePanel();
    tall.showHint(u"", u"Hello", &picture, -1);
    EXPECT_EQ(squareOf(tall)->pSkin->height, 400.0f);
    EXPECT_EQ(squareOf(tall)->pSkin->width, 400.0f);
    const Renderable* shown = nullptr;
    for (const Renderable* r : childrenOf<Renderable>(tall))
        if (r->pSkin == &picture) shown = r;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->position.y, 150.0f - picture.height * 0.5f);
    tall.destroy();

    // Title, a sheet picture in its frame, and a long text that wraps at
    // three quarters of the screen, each line centred on itself.
    WString longText;
    for (int i = 0; i < 40; ++i) longText += u"apples ";
    OverlayHint& full = *loosePanel();
    full.showHint(u"Title", longText, nullptr, 2);
    Texture* sheet = findResource<Texture>(u"tutorial-iPad");
    const Skin* frame = sheet->getSkin(0);
    std::vector<const Renderable*> pictures;
    for (const Renderable* r : childrenOf<Renderable>(full))
        if (r->pSkin && r->pSkin->texture == sheet) pictures.push_back(r);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0]->pSkin, frame);
    EXPECT_EQ(pictures[1]->pSkin, sheet->getSkin(2));
    EXPECT_EQ(pictures[0]->position, pictures[1]->position);
    texts = textsOf(full);
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0]->text, u"Title");
    EXPECT_EQ(texts[0]->font, font(u"fontLarge"));
    const float top = texts[0]->position.y;
    EXPECT_EQ(pictures[0]->position.y, top - std::trunc(lt * 1.25f) - frame->height * 0.5f);
    const size_t lines = texts.size() - 2;
    EXPECT_GE(lines, 2u);
    for (size_t i = 1; i + 1 < texts.size(); ++i) {
        const float w = font(u"fontMedium")->measureLine(texts[i]->text);
        EXPECT_LE(w, 768.0f);
        EXPECT_NEAR(texts[i]->position.x, -w * 0.5f, 1.0f) << i;
        EXPECT_EQ(texts[i]->position.y, top - std::trunc(lt * 1.25f) - frame->height - lx - (i - 1) * lx) << i;
    }
    EXPECT_GE(squareOf(full)->pSkin->width, squareOf(full)->pSkin->height);
    full.destroy();

    // Under touch input the footer says to tap.
    h.input.setInputMode(ZubInput::MODE_TOUCH);
    OverlayHint& touch = *loosePanel();
    touch.showHint(u"", u"Hello", nullptr, -1);
    EXPECT_EQ(textsOf(touch).back()->text, u"Tap to continue");
    touch.destroy();
}

TEST_F(HintPanel, TheContentTravelsAsOneCallWithTheSkinByName) {
    h.play(h.writeLevel([](LevelDraft& d) { d.controller().findHouse()->setPosition(kHouse); }));
    OverlayHint& o = *loosePanel();
    RPCShowHint sent;
    sent.target = &o;
    sent.title = u"T";
    sent.text = u"Some text";
    sent.skin = findResource<Skin>(u"minimapIcons:3");
    sent.picture = 4;
    Packet p(Packet::FLAG_NETWORK, 1 << 16);
    NetRole* before = THEROLE;
    THEROLE = &h.server();
    sent.serialize(p);
    p.rewindToRead();
    RPCShowHint received;
    received.serialize(p);
    THEROLE = before;
    ASSERT_FALSE(p.failed());
    EXPECT_EQ(received.target, &o);
    EXPECT_EQ(received.title, u"T");
    EXPECT_EQ(received.text, u"Some text");
    EXPECT_EQ(received.skin, sent.skin);
    EXPECT_EQ(received.picture, 4);
    // A picture the sheet does not have shows its frame only.
    received.execute();
    int sheetPictures = 0;
    for (const Renderable* r : childrenOf<Renderable>(o))
        sheetPictures += r->pSkin && r->pSkin->texture == findResource<Texture>(u"tutorial-iPad") ? 1 : 0;
    EXPECT_EQ(sheetPictures, 2);
    // Shown again, the panel is replaced, not doubled.
    received.picture = 99;
    received.execute();
    int squares = 0;
    for (const GameSquare* g : childrenOf<GameSquare>(o)) squares += g ? 1 : 0;
    EXPECT_EQ(squares, 1);
    sheetPictures = 0;
    for (const Renderable* r : childrenOf<Renderable>(o))
        sheetPictures += r->pSkin && r->pSkin->texture == findResource<Texture>(u"tutorial-iPad") ? 1 : 0;
    EXPECT_EQ(sheetPictures, 1);
    o.destroy();
}

TEST_F(HintPanel, AHintDueInTheFrameAnotherOverlayOpenedWaitsForItToClose) {
    GameController& gc = playWithHint(300.0f, u"HINTJUMP");
    TriggerHint* hint = trigger(gc);
    // The map asked for and the hint reached in the same frame.
    h.press(h.services.config->controls[GameConfiguration::CONTROL_MAP].key);
    Pig* pig = gc.getHero();
    pig->setGround(nullptr);
    pig->velocity = V3();
    pig->setPosition(hint->position + pig->bodyOffset);
    pig->physPoint.setPositionAndStop(hint->position.x, hint->position.y, hint->position.z);
    h.frame();
    h.release(h.services.config->controls[GameConfiguration::CONTROL_MAP].key);
    ASSERT_NE(zub_cast<OverlayMiniMap>(root().contextOverlay), nullptr);
    int overlays = 0;
    for (const auto& e : h.server().objectMap) overlays += zub_cast<Overlay>(e.second) ? 1 : 0;
    EXPECT_EQ(overlays, 1);
    EXPECT_FALSE(hint->wasShown());

    // Once the map has closed the hint shows.
    h.frame(15);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return panel() != nullptr; }, 20));
    EXPECT_TRUE(hint->wasShown());
}
