// The name entry: typing, the length limit, what the name line cannot show,
// the on-screen keys by touch and by pad, and the two ways out.
#include <gtest/gtest.h>

#include "gui/MenuButton.h"
#include "menu/ContextEnterName.h"
#include "players_support.h"
#include "text/SystemFont.h"

using playerstest::keyOf;
using playerstest::PlayersRig;

namespace {

// One character a frame, as the input layer hands them out.
void typeAll(PlayersRig& r, std::u16string_view text) {
    r.h.type(text);
    r.h.step(static_cast<int>(text.size()));
}

TEST(PlayersNameEntry, KeyboardNameIsTrimmedLimitedAndConfirmedWithReturn) {
    PlayersRig r;
    r.h.configuration->showHints = 0;
    auto* page = r.h.push(new ContextEnterName(false));
    r.h.step();
    r.h.pressKey(1);  // the forced form ignores Escape
    ASSERT_EQ(r.h.top(), page);

    typeAll(r, u"   \r");  // blank: OK stays disabled and Return does nothing
    EXPECT_TRUE(page->okButton->bDisabled);
    EXPECT_EQ(r.h.top(), page);
    typeAll(r, u"\b\b\b\b");  // and Backspace past the start is harmless
    EXPECT_EQ(page->name, u"");

    typeAll(r, u" Ann\x7f\x85\t Bell\b\b");  // controls ignored, Backspace deletes
    EXPECT_EQ(page->name, u" Ann Be");
    typeAll(r, u"abcdefghijklmnop");
    EXPECT_EQ(page->name, u" Ann Beabcdefghi");  // 16 at most
    typeAll(r, u"\b\b\b\b\b\b\b\b\b \r");
    EXPECT_EQ(r.profiles->getProfileName(0), u"Ann Be");
    EXPECT_EQ(r.h.configuration->showHints, 1);
    EXPECT_TRUE(page->done);
    r.h.step();
    EXPECT_EQ(r.h.depth(), 0);
}

TEST(PlayersNameEntry, TakesOnlyCharactersTheNameLineCanShow) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(true));
    r.h.step();
    // The generated glyph pages are code page 1252: e-acute is there, the
    // Polish l-stroke, the Chinese character and the emoji (a surrogate pair)
    // are not, and no system font is open to draw names.
    typeAll(r, u"\u00e9\u0142\u4e2d\U0001F600x");
    EXPECT_EQ(page->name, u"\u00e9x");

    SystemFont system(u"Arial");
    if (!system.isOpen()) GTEST_SKIP() << "no system font";
    typeAll(r, u"\u0142");  // drawn by the system font now
    EXPECT_EQ(page->name, u"\u00e9x\u0142");
    typeAll(r, u"\xd83d x");  // half a pair is dropped
    EXPECT_EQ(page->name, u"\u00e9x\u0142 x");
    typeAll(r, u"abcdefghijk\U00010400");  // a pair that does not fit whole
    EXPECT_EQ(page->name.size(), 16u);
    EXPECT_EQ(page->name.back(), u'k');
}

TEST(PlayersNameEntry, TouchShowsKeysThatWinOverTheKeyboardAndTheNameSurvivesRebuilds) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(true));
    r.h.step();
    typeAll(r, u"Jo");
    EXPECT_EQ(keyOf(page, u'a'), nullptr);
    r.h.input->setInputMode(ZubInput::MODE_TOUCH);
    r.h.step();
    ASSERT_NE(keyOf(page, u'z'), nullptr);
    EXPECT_EQ(page->okButton->position.y, -150.0f);
    EXPECT_EQ(page->name, u"Jo");

    r.tap(keyOf(page, u'e'));
    const V3 y = keyOf(page, u'y')->cursorAnchor(0);
    r.h.touchDown(1, y.x, y.y);
    r.h.step();
    r.h.touchUp(1);
    r.h.type(u"q");  // typed in the frame the key clicks: the key wins
    r.h.step();
    r.tap(keyOf(page, u'\b'));
    r.tap(keyOf(page, u' '));
    EXPECT_EQ(page->name, u"Joe ");

    r.h.input->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    r.h.step();
    EXPECT_EQ(keyOf(page, u'a'), nullptr);
    r.h.click(page->okButton);
    EXPECT_EQ(r.names(), std::vector<WString>{u"Joe"});
}

TEST(PlayersNameEntry, APadBringsTheKeysAndTypesThroughThem) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(false));
    r.h.step();
    auto padPress = [&](int button) {
        r.h.padButton(0, button, true);
        r.h.step();
        r.h.padButton(0, button, false);
        r.h.step();
    };
    padPress(0);
    MenuItemCharKey* a = keyOf(page, u'a');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(r.h.mouse(), a->cursorAnchor(0));
    auto pressReturn = [&] {
        r.h.keyDown(28);
        r.h.type(u"\r");
        r.h.step();
        r.h.keyUp(28);
        r.h.step(3);
    };
    pressReturn();  // confirms (nothing yet) and taps no key
    EXPECT_TRUE(page->name.empty());

    r.h.padHat(0, 2);  // right, to b
    r.h.step();
    r.h.padHat(0, 0);
    r.h.step();
    EXPECT_EQ(r.h.mouse(), keyOf(page, u'b')->cursorAnchor(0));
    padPress(0);  // confirm taps the key under the cursor
    r.h.step(2);
    EXPECT_EQ(page->name, u"b");

    pressReturn();
    EXPECT_EQ(r.names(), std::vector<WString>{u"b"});
    EXPECT_EQ(r.h.depth(), 0);
}

TEST(PlayersNameEntry, EscapeLeavesTheAddFormWithoutAPlayer) {
    PlayersRig r({u"Ann"});
    r.h.push(new ContextEnterName(true));
    r.h.step();
    typeAll(r, u"Bob");
    r.h.pressKey(1);
    EXPECT_EQ(r.h.depth(), 0);
    EXPECT_EQ(r.names(), std::vector<WString>{u"Ann"});
}

}  // namespace
