// Key, pad and pointer navigation of a menu, all through the one pointer path.
#include <gtest/gtest.h>

#include "MenuHarness.h"
#include "gui/ContextMenu.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemToggle.h"

using menutest::MenuHarness;

namespace {

constexpr int KEY_ESCAPE = 1, KEY_RETURN = 28, KEY_UP = 200, KEY_LEFT = 203, KEY_RIGHT = 205, KEY_DOWN = 208;

// A column of three buttons at y = 100, 0 and -100, and a toggle right of
// the middle one; the mouse starts above them all.
struct Column {
    MenuHarness h;
    ContextMenu* menu = h.push(new ContextMenu);
    MenuButton* b[3];
    uint8_t flag = 0;
    MenuItemToggle* toggle;
    Column() {
        menu->bDeleteWhenDone = 1;
        for (int i = 0; i < 3; ++i) {
            b[i] = new MenuButton(0.0f, 100.0f - 100.0f * static_cast<float>(i), 0.0f, u"button", u"");
            menu->addItem(b[i]);
        }
        toggle = new MenuItemToggle(300.0f, 0.0f, 0.0f, &flag, u"toggle", u"");
        menu->addItem(toggle);
        h.moveMouse(512, 700);
        h.step(2);
    }
    // A key down and up, then a frame: keys are ignored in the frame after a
    // change of navigation mode.
    void press(int code) {
        h.pressKey(code);
        h.step();
    }
};

TEST(MenuNavigation, AnchorsScoreByDirectionThenDistance) {
    const V3 from(500, 300, 0);
    EXPECT_FLOAT_EQ(ContextMenu::scoreAnchor(from, V3(500, 350, 0), ContextMenu::UP), 5.12f);
    EXPECT_FLOAT_EQ(ContextMenu::scoreAnchor(from, V3(500, 400, 0), ContextMenu::UP), 2.56f);
    // 45 degrees at 50 units loses to straight ahead at 70.
    EXPECT_LT(ContextMenu::scoreAnchor(from, V3(535.355f, 335.355f, 0), ContextMenu::UP),
              ContextMenu::scoreAnchor(from, V3(500, 370, 0), ContextMenu::UP));
    EXPECT_LE(ContextMenu::scoreAnchor(from, V3(600, 300, 0), ContextMenu::UP), 0.0f);    // level: never
    EXPECT_LT(ContextMenu::scoreAnchor(from, V3(502, 302, 0), ContextMenu::DOWN), 0.0f);  // under the cursor
    EXPECT_EQ(ContextMenu::scoreAnchor(from, V3(500, 400, 0), 7), 0.0f);
}

TEST(MenuNavigation, KeysWalkTheItemsWithoutWrapAndConfirmTapsWhatIsUnderTheCursor) {
    Column c;
    c.press(KEY_DOWN);
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_KEYS);
    EXPECT_EQ(c.h.mouse(), c.b[0]->cursorAnchor(0));  // the nearest one below
    c.press(KEY_DOWN);
    c.press(KEY_DOWN);
    EXPECT_EQ(c.h.mouse(), c.b[2]->cursorAnchor(0));
    c.press(KEY_DOWN);  // nothing below: the cursor stays, no wrap to the top
    EXPECT_EQ(c.h.mouse(), c.b[2]->cursorAnchor(0));
    c.press(KEY_UP);
    EXPECT_EQ(c.h.mouse(), c.b[1]->cursorAnchor(0));
    c.press(KEY_RIGHT);
    EXPECT_EQ(c.h.mouse(), c.toggle->cursorAnchor(0));

    // Return down and up while the menu is active makes one tap, which the
    // toggle takes at its press ...
    c.h.pressKey(KEY_RETURN);
    EXPECT_EQ(c.h.input->pointerCount(), 2);  // the tap and the mouse
    c.h.step();
    EXPECT_EQ(c.flag, 1);
    // ... and a button at its release: the pad's fire button works alike.
    c.press(KEY_LEFT);
    c.h.padButton(0, 0, true);
    c.h.step();
    c.h.padButton(0, 0, false);
    c.h.step(3);
    EXPECT_TRUE(c.b[1]->bClicked);

    // Hidden items are passed over; disabled ones are reached but do not act.
    c.b[1]->bHidden = 1;
    c.b[0]->bDisabled = 1;
    c.h.padHat(0, 1);  // pad up
    c.h.step();
    c.h.padHat(0, 0);
    c.h.step(2);
    EXPECT_EQ(c.h.mouse(), c.b[0]->cursorAnchor(0));
    c.h.pressKey(KEY_RETURN);
    c.h.step(2);
    EXPECT_FALSE(c.b[0]->bClicked);

    // Moving the mouse goes back to pointer navigation; a key in the next
    // frame is ignored.
    c.h.moveMouse(100, 100);
    c.h.step();
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_POINTER);
    c.h.pressKey(KEY_UP);
    EXPECT_EQ(c.h.mouse(), V3(100, 100, 0));
}

TEST(MenuNavigation, AMouseMovedForTheFirstTimeAfterKeysPlacedItLeavesKeyNavigation) {
    // The mouse has not moved since the program started: keys place the
    // cursor, then the mouse moves and clicks.
    MenuHarness h;
    auto* menu = h.push(new ContextMenu);
    menu->bDeleteWhenDone = 1;
    auto* play = new MenuButton(0.0f, 0.0f, 0.0f, u"play", u"");
    menu->addItem(play);
    h.step(2);
    h.pressKey(KEY_UP);  // from the bottom left corner, where the unmoved mouse is taken to be
    h.step();
    ASSERT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_KEYS);
    ASSERT_EQ(h.mouse(), play->cursorAnchor(0));
    h.click(play->cursorAnchor(0).x + 40.0f, play->cursorAnchor(0).y);
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_POINTER);
    EXPECT_TRUE(play->bClicked);

    // So the page the click opens leaves the cursor where the mouse put it.
    auto* page = h.push(new ContextMenu);
    page->bDeleteWhenDone = 1;
    page->addItem(new MenuButton(200.0f, -200.0f, 0.0f, u"other", u""));
    h.step();
    EXPECT_EQ(h.mouse(), V3(play->cursorAnchor(0).x + 40.0f, play->cursorAnchor(0).y, 0));
}

TEST(MenuNavigation, TheCursorComesBackToWhereItWasWhenACoveringPageCloses) {
    Column c;
    c.press(KEY_DOWN);
    c.press(KEY_DOWN);
    auto* page = c.h.push(new ContextMenu);
    page->bDeleteWhenDone = 1;
    auto* other = new MenuButton(200.0f, -200.0f, 0.0f, u"other", u"");
    page->addItem(other);
    c.h.step();
    EXPECT_EQ(c.h.mouse(), other->cursorAnchor(0));  // the new page parks it on its item
    page->done = 1;
    c.h.step();
    EXPECT_EQ(c.h.mouse(), c.b[1]->cursorAnchor(0));
}

TEST(MenuNavigation, AConfirmReleasedAfterThePageChangedTapsNothing) {
    Column c;
    c.press(KEY_DOWN);
    c.h.keyDown(KEY_RETURN);
    c.h.step();  // latched by the column
    c.h.push(new ContextMenu)->bDeleteWhenDone = 1;
    c.h.step();
    c.h.keyUp(KEY_RETURN);
    c.h.step();
    EXPECT_EQ(c.h.input->pointerCount(), 1);
}

TEST(MenuNavigation, PointerClicksOneButtonAfterAnotherAndADeadOwnerLetsGo) {
    Column c;
    c.h.click(c.b[0]);
    c.h.click(c.b[2]);  // the mouse's next press is not still the first button's
    EXPECT_TRUE(c.b[0]->bClicked);
    EXPECT_TRUE(c.b[2]->bClicked);
    // A press dragged off the button is no click; one released on it is.
    c.b[0]->bClicked = 0;
    c.h.moveMouse(512, 468);
    c.h.step();
    c.h.mouseButton(true);
    c.h.step();
    c.h.moveMouse(700, 600);
    c.h.step();
    c.h.mouseButton(false);
    c.h.step();
    EXPECT_FALSE(c.b[0]->bClicked);

    c.h.moveMouse(512, 368);
    c.h.step();
    c.h.mouseButton(true);
    c.h.step();
    EXPECT_EQ(c.h.input->getPointerOwner(), c.b[1]);
    c.menu->done = 1;  // the page goes while its button holds the pointer
    c.h.step();
    EXPECT_EQ(c.h.input->getPointerOwner(), nullptr);
}

TEST(MenuNavigation, EscapeAndPadBackCloseUnlessThePageAsksFirst) {
    {
        MenuHarness h;
        h.push(new ContextMenu)->bDeleteWhenDone = 1;
        h.step();
        h.padButton(0, 1, true);  // pad back
        h.step(2);
        EXPECT_EQ(h.depth(), 0);
        EXPECT_TRUE(h.stack->bQuit);
    }
    MenuHarness h;
    auto* menu = h.push(new ContextMenu);
    menu->bDeleteWhenDone = 1;
    menu->bConfirmEscape = 1;
    h.step();
    h.padButton(0, 1, true);
    h.step(2);
    EXPECT_EQ(h.top(), menu);
    h.pressKey(KEY_ESCAPE);
    auto* box = h.topAs<ContextMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, h.language.getText(SID_CONFIRM));
    h.step();
    h.click(box->button1);  // YES
    h.step();
    EXPECT_EQ(h.depth(), 0);
    EXPECT_TRUE(h.stack->bQuit);
}

}  // namespace
