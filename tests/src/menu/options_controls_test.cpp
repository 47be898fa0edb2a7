// The controls branch of the options: a binding made through the menus
// reaches the configuration, the disk and the pig in a level; the capture
// box's rules (cancel, the lowest code, a later code, a mouse nudge); the
// codes taken from other actions in both columns; the keyboard page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "FlowHarness.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemChoice.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextControls.h"
#include "menu/ContextKeyCapture.h"
#include "menu/ContextKeyboard.h"
#include "menu/ContextOptions.h"
#include "menu/ContextTouchscreen.h"
#include "menu/MenuItemKeyBinding.h"
#include "objects/pig/Pig.h"
#include "options_support.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

using optionstest::OptionsRig;
using GC = GameConfiguration;

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Options -> Controls -> one column of bindings.
ContextControlBindings* openBindings(OptionsRig& r, int column) {
    ContextOptions* options = r.openOptions();
    auto* controls = r.open<ContextControls>(options->controlsItem);
    if (!controls) return nullptr;
    return r.open<ContextControlBindings>(column == 0 ? controls->playerControlsItem
                                                      : controls->alternativeControlsItem);
}

// Clicks a binding item, presses a key (or pad button, by input code) in the
// box that opens, and lets the box close and the item take the code.
void bind(OptionsRig& r, MenuItemKeyBinding* item, int code) {
    r.h.click(item);
    ASSERT_NE(r.h.topAs<ContextKeyCapture>(), nullptr);
    if (code < platform::KEY_COUNT) {
        r.h.pressKey(code);
    } else {
        r.h.padButton(0, code - input_codes::JOY_FIRST - input_codes::JOY_BUTTON0, true);
        r.h.step();
        r.h.padButton(0, code - input_codes::JOY_FIRST - input_codes::JOY_BUTTON0, false);
        r.h.step();
    }
    r.h.step();
}

// How far the hero runs, and how high she rises, in `frames` frames from
// rest with the input `code` held (0: none).
struct HeroRun {
    float dx = 0.0f, rise = 0.0f;
};
HeroRun heroRun(flowtest::FlowHarness& f, int code, int frames) {
    Pig* pig = f.server().controller()->getHero();
    pig->velocity = V3();
    const V3 from = pig->physPoint.position;
    HeroRun run;
    if (code) f.press(code);
    for (int i = 0; i < frames; ++i) {
        f.frame();
        run.rise = std::max(run.rise, pig->physPoint.position.y - from.y);
    }
    if (code) f.release(code);
    run.dx = pig->physPoint.position.x - from.x;
    return run;
}

TEST(OptionsControls, AKeyBoundThroughTheMenusIsSavedNamedAndMovesThePig) {
    std::vector<uint8_t> saved;
    {
        OptionsRig r;
        ContextControlBindings* page = openBindings(r, 0);
        ASSERT_NE(page, nullptr);
        GC& cfg = *r.h.configuration;
        MenuItemKeyBinding* left = page->itemOf(GC::CONTROL_LEFT);
        EXPECT_EQ(left->binding, &cfg.controls[GC::CONTROL_LEFT].key);
        EXPECT_EQ(MenuItemKeyBinding::keyName(*left->binding), r.h.language.getText(SID_DIK_LEFT));

        // The press opens the capture box, titled with the action, without a pointer.
        r.h.click(left);
        auto* box = r.h.topAs<ContextKeyCapture>();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title, r.h.language.getText(SID_CONTROLSLEFT));
        EXPECT_EQ(box->text, r.h.language.getText(SID_CONTROLSHINT));
        EXPECT_EQ(box->bShowPointer, 0);
        EXPECT_EQ(cfg.controls[GC::CONTROL_LEFT].key, input_codes::KEY_LEFT);  // nothing yet

        // Space, which jump holds: left takes it, jump keeps only its pad button.
        r.h.pressKey(input_codes::KEY_SPACE);
        r.h.step();
        EXPECT_EQ(r.h.top(), page);
        EXPECT_EQ(cfg.controls[GC::CONTROL_LEFT].key, input_codes::KEY_SPACE);
        EXPECT_EQ(cfg.controls[GC::CONTROL_JUMP].key, 0);
        EXPECT_EQ(cfg.controls[GC::CONTROL_JUMP].alternative, input_codes::JOY_FIRST + input_codes::JOY_BUTTON0);
        EXPECT_EQ(MenuItemKeyBinding::keyName(*left->binding), r.h.language.getText(SID_DIK_SPACE));
        EXPECT_EQ(MenuItemKeyBinding::keyName(*page->itemOf(GC::CONTROL_JUMP)->binding), u"");
        // In German the same code carries the German name.
        r.h.language.setLanguage(Language::GERMAN);
        EXPECT_EQ(MenuItemKeyBinding::keyName(*left->binding), r.h.language.getTextIn(Language::GERMAN, SID_DIK_SPACE));
        EXPECT_NE(r.h.language.getTextIn(Language::GERMAN, SID_DIK_SPACE),
                  r.h.language.getTextIn(Language::ENGLISH, SID_DIK_SPACE));
        r.h.language.setLanguage(Language::ENGLISH);

        // Back to the options menu; the user data is saved and read back.
        r.h.pressKey(input_codes::KEY_ESCAPE);
        r.h.pressKey(input_codes::KEY_ESCAPE);
        r.h.step();
        EXPECT_NE(r.h.topAs<ContextOptions>(), nullptr);
        ASSERT_TRUE(cfg.save());
        GameConfiguration reloaded;
        EXPECT_EQ(reloaded.controls[GC::CONTROL_LEFT].key, input_codes::KEY_SPACE);
        EXPECT_EQ(reloaded.controls[GC::CONTROL_JUMP].key, 0);
        saved = readFile(r.savedFile());
    }
    ASSERT_EQ(saved.size() > 0, true);

    // A level played with the saved configuration: Space runs left, the old
    // cursor key does nothing, and the pad still runs right.
    flowtest::FlowHarness f;
    {
        std::ofstream out(f.folder + "Tumbrodemo.hst", std::ios::binary);
        out.write(reinterpret_cast<const char*>(saved.data()), static_cast<std::streamsize>(saved.size()));
    }
    ASSERT_TRUE(f.services.config->load());
    ASSERT_EQ(f.services.config->controls[GC::CONTROL_LEFT].key, input_codes::KEY_SPACE);
    GameController& gc = f.play(f.writeLevel([](LevelDraft& d) {
        d.controller().playingArea.bottom = -1000.0f;
        for (Terrain* t : childrenOf<Terrain>(d.controller().objectList))
            for (int i = 0; i < 512; ++i) t->setHeights(i, -60.0f, -400.0f);
        for (Pig* p : childrenOf<Pig>(d.controller().pigList)) p->setPosition(2000.0f, 0.0f, 0.0f);
    }));
    ASSERT_TRUE(f.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
    f.frame(50);
    // The level's floor: a flat band under the hero (the boundary's floor
    // lies below the playing area), so she stands still unless steered.
    const HeroRun idle = heroRun(f, 0, 40);
    EXPECT_NEAR(idle.dx, 0.0f, 1.0f);
    EXPECT_NEAR(heroRun(f, input_codes::KEY_LEFT, 40).dx, 0.0f, 1.0f);
    const HeroRun space = heroRun(f, input_codes::KEY_SPACE, 40);
    EXPECT_LT(space.dx, -20.0f);
    EXPECT_LT(space.rise, 1.0f);  // no longer a jump
    EXPECT_GT(heroRun(f, input_codes::KEY_RIGHT, 40).dx, 20.0f);
}

TEST(OptionsControls, TheCaptureBoxCancelsTakesTheLowestOrALaterCodeAndIgnoresANudge) {
    OptionsRig r;
    ContextControlBindings* page = openBindings(r, 0);
    ASSERT_NE(page, nullptr);
    GC& cfg = *r.h.configuration;
    MenuItemKeyBinding* map = page->itemOf(GC::CONTROL_MAP);
    int32_t& mapKey = cfg.controls[GC::CONTROL_MAP].key;

    // Escape closes the box and keeps the binding.
    r.h.click(map);
    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.step();
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(mapKey, input_codes::KEY_M);
    EXPECT_EQ(map->capturedCode, input_codes::KEY_ESCAPE);

    // Two keys in one frame: the lower code.
    r.h.click(map);
    r.h.keyDown(input_codes::KEY_S);
    r.h.keyDown(input_codes::KEY_A);
    r.h.step();
    r.h.keyUp(input_codes::KEY_S);
    r.h.keyUp(input_codes::KEY_A);
    r.h.step(2);
    EXPECT_EQ(mapKey, input_codes::KEY_A);

    // A second key in the very next frame replaces the first.
    r.h.click(map);
    r.h.keyDown(input_codes::KEY_D);
    r.h.step();
    r.h.keyDown(input_codes::KEY_F);
    r.h.step();
    ASSERT_NE(r.h.topAs<ContextKeyCapture>(), nullptr);
    r.h.keyUp(input_codes::KEY_D);
    r.h.keyUp(input_codes::KEY_F);
    r.h.step(2);
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(mapKey, input_codes::KEY_F);

    // A nudge of the mouse binds nothing; a deliberate move binds its direction.
    r.h.click(map);
    const V3 at = r.h.mouse();
    r.h.moveMouse(at.x + 3.0f, at.y);
    r.h.step(3);
    ASSERT_NE(r.h.topAs<ContextKeyCapture>(), nullptr);
    r.h.moveMouse(at.x - 40.0f, at.y);
    r.h.step(3);
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(mapKey, input_codes::MOUSE_LEFT);
    // A mouse button binds (and closes the box, as any press does).
    r.h.click(map);
    r.h.mouseButton(true);
    r.h.step();
    r.h.mouseButton(false);
    r.h.step(2);
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(mapKey, input_codes::MOUSE_BUTTON(0));

    // With the keys: up and down again to the map's item, Enter opens the
    // box, and Enter tapped in the box binds it - the tap does not reach
    // the page below as a press that would open the box again.
    r.h.pressKey(input_codes::KEY_UP);
    r.h.step();
    r.h.pressKey(input_codes::KEY_DOWN);
    r.h.step();
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_KEYS);
    EXPECT_EQ(r.h.mouse(), map->cursorAnchor(0));
    r.h.pressKey(input_codes::KEY_RETURN);
    r.h.step();
    ASSERT_NE(r.h.topAs<ContextKeyCapture>(), nullptr);
    r.h.pressKey(input_codes::KEY_RETURN);
    r.h.step(3);
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(mapKey, input_codes::KEY_RETURN);
    EXPECT_EQ(cfg.controls[GC::CONTROL_STATS].key, 0);  // taken from the statistics

    // Binding the code the slot holds changes nothing.
    const std::vector<uint8_t> before = cfg.serialize();
    bind(r, map, input_codes::KEY_RETURN);
    EXPECT_EQ(cfg.serialize(), before);
}

TEST(OptionsControls, ACodeMovesFromWhereverItWasInBothColumnsAndDownOnlyLosesOne) {
    OptionsRig r;
    GC& cfg = *r.h.configuration;
    ContextControlBindings* first = openBindings(r, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->itemOf(GC::CONTROL_DOWN), nullptr);

    // The statistics' pad button, bound as the first code of use/carry.
    const int padButton1 = input_codes::JOY_FIRST + input_codes::JOY_BUTTON0 + 1;
    bind(r, first->itemOf(GC::CONTROL_USE), padButton1);
    EXPECT_EQ(cfg.controls[GC::CONTROL_USE].key, padButton1);
    EXPECT_EQ(cfg.controls[GC::CONTROL_STATS].alternative, 0);
    // Cursor down goes to left: down keeps only its pad code.
    bind(r, first->itemOf(GC::CONTROL_LEFT), input_codes::KEY_DOWN);
    EXPECT_EQ(cfg.controls[GC::CONTROL_LEFT].key, input_codes::KEY_DOWN);
    EXPECT_EQ(cfg.controls[GC::CONTROL_DOWN].key, 0);
    EXPECT_EQ(cfg.controls[GC::CONTROL_DOWN].alternative, input_codes::JOY_FIRST + input_codes::JOY_DOWN);

    // The second column: the jump's pad button goes to the map, and the
    // first column's use/carry code comes back to the statistics.
    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.step();
    auto* controls = r.h.topAs<ContextControls>();
    ASSERT_NE(controls, nullptr);
    auto* second = r.open<ContextControlBindings>(controls->alternativeControlsItem);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->itemOf(GC::CONTROL_MAP)->binding, &cfg.controls[GC::CONTROL_MAP].alternative);
    const int padButton0 = input_codes::JOY_FIRST + input_codes::JOY_BUTTON0;
    bind(r, second->itemOf(GC::CONTROL_MAP), padButton0);
    EXPECT_EQ(cfg.controls[GC::CONTROL_MAP].alternative, padButton0);
    EXPECT_EQ(cfg.controls[GC::CONTROL_JUMP].alternative, 0);
    bind(r, second->itemOf(GC::CONTROL_STATS), padButton1);
    EXPECT_EQ(cfg.controls[GC::CONTROL_STATS].alternative, padButton1);
    EXPECT_EQ(cfg.controls[GC::CONTROL_USE].key, 0);
    // Every code is held at most once.
    std::vector<int32_t> codes;
    for (const ControlBinding& c : cfg.controls)
        for (int32_t code : {c.key, c.alternative})
            if (code) codes.push_back(code);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end());
}

TEST(OptionsControls, TheKeyboardPageOffersOnlyBackAndTheTouchPageMovesTheArrows) {
    OptionsRig r;
    GC& cfg = *r.h.configuration;
    ContextOptions* options = r.openOptions();
    auto* controls = r.open<ContextControls>(options->controlsItem);
    ASSERT_NE(controls, nullptr);

    auto* keyboard = r.open<ContextKeyboard>(controls->keyboardItem);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->keyText->text, r.h.language.getText(SID_DIK_ESCAPE));
    EXPECT_TRUE(keyboard->inGameMenuItem->bDisabled);
    EXPECT_EQ(keyboard->inGameMenuItem->disabledHint, r.h.language.getText(SID_CONTROLSINGAMEMENUHINT));
    // Pressing the fixed key's item opens nothing; the keys reach only Back.
    r.h.click(keyboard->inGameMenuItem);
    r.h.step();
    EXPECT_EQ(r.h.top(), keyboard);
    for (int key : {input_codes::KEY_DOWN, input_codes::KEY_UP, input_codes::KEY_RIGHT, input_codes::KEY_UP}) {
        r.h.pressKey(key);
        r.h.step();
        EXPECT_EQ(r.h.mouse(), keyboard->backButton->cursorAnchor(0)) << key;
    }
    r.h.pressKey(input_codes::KEY_RETURN);
    r.h.step(3);
    EXPECT_EQ(r.h.top(), controls);

    auto* touch = r.open<ContextTouchscreen>(controls->touchscreenItem);
    ASSERT_NE(touch, nullptr);
    auto* placement = optionstest::firstItemOf<MenuItemChoice>(touch);
    ASSERT_NE(placement, nullptr);
    EXPECT_EQ(placement->captionLocation, 8);
    EXPECT_EQ(placement->value, &cfg.touchControls);
    r.h.click(placement, 1);
    EXPECT_EQ(cfg.touchControls, 1);
    EXPECT_EQ(placement->choiceText(), r.h.language.getText(SID_IOS_ENUMARROWPLACEMENT1));
}

}  // namespace
