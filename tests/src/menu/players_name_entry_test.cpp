// The name entry: typing, the length limit, what the name line cannot show,
// the on-screen keys by touch and by pad, and the layout of the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/MenuButton.h"
#include "gui/MenuItemCharKey.h"
#include "menu/ContextEnterName.h"
#include "players_support.h"
#include "text/SystemFont.h"

using playerstest::PlayersRig;

namespace {

// The on-screen key of a character, or null.
MenuItemCharKey* keyOf(ZubBase* page, char16_t c) {
    for (MenuItemCharKey* k : childrenOf<MenuItemCharKey>(page))
        if (k->character == c) return k;
    return nullptr;
}

TEST(PlayersNameEntry, KeyboardNameIsTrimmedLimitedAndConfirmedWithReturn) {
    PlayersRig r;
    r.h.configuration->showHints = 0;
    auto* page = r.h.push(new ContextEnterName(false));
    r.h.step();
    r.h.pressKey(1);           // the forced form ignores Escape
    r.type(u"   \r\b\b\b\b");  // blank: Return does nothing; Backspace past the start is harmless
    ASSERT_EQ(r.h.top(), page);
    EXPECT_TRUE(page->okButton->bDisabled);
    EXPECT_EQ(page->name, u"");

    r.type(u" Ann\x7f\x85\t Bell\b\babcdefghijklmnop");  // controls ignored
    EXPECT_EQ(page->name, u" Ann Beabcdefghi");          // 16 at most
    r.type(u"\b\b\b\b\b\b\b\b\b \r");
    EXPECT_EQ(r.names(), std::vector<WString>{u"Ann Be"});
    EXPECT_EQ(r.h.configuration->showHints, 1);
    r.h.step();
    EXPECT_EQ(r.h.depth(), 0);
}

TEST(PlayersNameEntry, TakesOnlyCharactersTheNameLineCanShow) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(true));
    r.h.step();
    // The glyph pages are code page 1252 (e-acute, no l-stroke, no Chinese,
    // no emoji), and no system font is open to draw names.
    r.type(u"\u00e9\u0142\u4e2d\U0001F600x");
    EXPECT_EQ(page->name, u"\u00e9x");

    SystemFont system(u"Arial");
    if (!system.isOpen()) GTEST_SKIP() << "no system font";
    r.type(u"\u0142\xd83d x");  // the system font has l-stroke; half a pair is dropped
    EXPECT_EQ(page->name, u"\u00e9x\u0142 x");
    r.type(u"abcdefghijk\U00010400");  // a pair that does not fit whole
    EXPECT_EQ(page->name, u"\u00e9x\u0142 xabcdefghijk");
}

TEST(PlayersNameEntry, OnScreenKeysComeWithTouchOrAPadAndWinOverTheKeyboard) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(false));
    r.h.step();
    r.type(u"Jo");
    r.h.input->setInputMode(ZubInput::MODE_TOUCH);
    r.h.step();
    ASSERT_NE(keyOf(page, u'z'), nullptr);
    EXPECT_EQ(page->name, u"Jo");  // kept through the rebuild
    for (const char16_t* tap : {u"e", u"yq", u"\b", u" "}) {
        const V3 p = keyOf(page, tap[0])->cursorAnchor(0);
        r.h.touchDown(1, p.x, p.y);
        r.h.step();
        r.h.touchUp(1);
        r.h.type(tap + 1);  // typed in the frame the key clicks: the key wins
        r.h.step();
    }
    EXPECT_EQ(page->name, u"Joe ");
    r.type(u"\b\b\b\b");
    r.h.input->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    r.h.step();
    EXPECT_EQ(keyOf(page, u'a'), nullptr);

    // A pad brings them back, the cursor on the first; Return on the keyboard
    // (with no name: nothing to confirm) taps no key.
    auto press = [&](bool returnKey) {  // Return on the keyboard, or the pad's first button
        if (returnKey) r.h.type(u"\r");
        returnKey ? r.h.keyDown(28) : r.h.padButton(0, 0, true);
        r.h.step();
        returnKey ? r.h.keyUp(28) : r.h.padButton(0, 0, false);
        r.h.step(3);
    };
    press(false);
    ASSERT_NE(keyOf(page, u'a'), nullptr);
    EXPECT_EQ(r.h.mouse(), keyOf(page, u'a')->cursorAnchor(0));
    press(true);
    EXPECT_TRUE(page->name.empty());
    r.h.padHat(0, 2);  // right, to b
    r.h.step();
    r.h.padHat(0, 0);
    r.h.step();
    press(false);  // the pad's confirm taps the key under the cursor
    EXPECT_EQ(page->name, u"b");
    press(true);
    EXPECT_EQ(r.names(), std::vector<WString>{u"b"});
}

// The items of the page in its current layout as rectangles of the page's
// world (position and skin size at the item's scale), each with its caption.
struct ItemBox {
    float left, bottom, right, top;
    std::string caption;
};
std::vector<ItemBox> itemBoxes(ContextEnterName* page) {
    std::vector<ItemBox> boxes;
    for (MenuItem* item : childrenOf<MenuItem>(page)) {
        const float hw = item->skinWidth() * item->scale.x / 2.0f, hh = item->skinHeight() * item->scale.y / 2.0f;
        const V3& p = item->position;
        boxes.push_back({p.x - hw, p.y - hh, p.x + hw, p.y + hh, "'" + wideToNarrow(item->caption) + "'"});
    }
    return boxes;
}

// Keys stand 74 units apart in x and 50 in y, 72 wide, OK 50 below the last
// row: the generated item frames fit that layout. No two items overlap, no
// key covers OK, and everything stays on the page's panel, with and without
// the on-screen keyboard.
TEST(PlayersNameEntry, ItemsNeitherOverlapNorLeaveThePanel) {
    PlayersRig r;
    auto* page = r.h.push(new ContextEnterName(true));
    r.h.step();
    for (bool touch : {false, true}) {
        SCOPED_TRACE(touch ? "touch" : "keyboard");
        r.h.input->setInputMode(touch ? ZubInput::MODE_TOUCH : ZubInput::MODE_MOUSE_KEYBOARD);
        r.h.step();
        const std::vector<ItemBox> boxes = itemBoxes(page);
        ASSERT_EQ(boxes.size(), touch ? 29u : 1u);  // OK, then 26 letters, space and delete
        const float panelHalfHeight = touch ? 200.0f : 128.0f;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const ItemBox& a = boxes[i];
            EXPECT_GT(a.right - a.left, 0.0f);
            EXPECT_GT(a.top - a.bottom, 0.0f);
            EXPECT_TRUE(a.left >= -320.0f && a.right <= 320.0f && a.bottom >= -panelHalfHeight &&
                        a.top <= panelHalfHeight)
                << a.caption << " leaves the panel";
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                const ItemBox& b = boxes[j];
                const bool overlap = std::min(a.right, b.right) > std::max(a.left, b.left) &&
                                     std::min(a.top, b.top) > std::max(a.bottom, b.bottom);
                EXPECT_FALSE(overlap) << a.caption << " (" << a.left << ", " << a.bottom << ", " << a.right << ", "
                                      << a.top << ") overlaps " << b.caption << " (" << b.left << ", " << b.bottom
                                      << ", " << b.right << ", " << b.top << ")";
            }
        }
    }
}

}  // namespace
