// The main menu's greeting and the players page it leads to: the forced
// name entry, switching, adding, and deleting with its question.
#include <gtest/gtest.h>

#include "gui/ContextMessageBox.h"
#include "gui/MenuButton.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextPlayers.h"
#include "menu/PlayerGreeting.h"
#include "players_support.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

using playerstest::PlayersRig;

namespace {

TEST(PlayersPage, TheGreetingLeadsToThePageThatSwitchesAddsAndDeletesPlayers) {
    PlayersRig r;
    auto* menu = r.h.push(new ContextMenu);
    auto* greeting = new PlayerGreeting;
    menu->addItem(greeting);
    r.h.step(2);
    EXPECT_EQ(r.h.configuration->noPlayerYet, 1);
    ASSERT_NE(r.h.topAs<ContextEnterName>(), nullptr);  // the forced name entry, once
    EXPECT_EQ(r.h.depth(), 2);
    r.type(u"Ann\r");
    r.h.step(2);
    EXPECT_EQ(greeting->helloText->text, u"Hello, Ann!");
    EXPECT_EQ(r.h.configuration->noPlayerYet, 0);
    r.h.input->setInputMode(ZubInput::MODE_TOUCH);
    EXPECT_EQ(greeting->hintText->text, r.h.language.getText(SID_IOS_CLICKTOCHANGEPLAYERS));
    r.h.input->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    EXPECT_EQ(greeting->hintText->text, r.h.language.getText(SID_CLICKTOCHANGEPLAYERS));

    // The band: from the top of the upper line (y1 = 35) to the bottom of
    // the hint line, -100 <= x < 100 where a line is not wider.
    const FadingText* hint = greeting->hintText;
    const float hintBottom = hint->position.y - static_cast<float>(hint->font->height);
    const float hintHalf = hint->font->measureText(hint->text).width / 2.0f;
    ASSERT_GT(hintHalf, 100.0f);  // this hint line is wider than the least band
    r.h.click(r.at(menu, 100, 20));
    r.h.click(r.at(menu, 0, hintBottom));
    r.h.click(r.at(menu, -hintHalf - 1.0f, hint->position.y - 2.0f));
    EXPECT_EQ(r.h.top(), menu);
    r.h.click(r.at(menu, -hintHalf + 1.0f, hintBottom + 1.0f));  // the hint line's left end
    EXPECT_EQ(r.h.depth(), 2);
    r.h.pressKey(1);
    EXPECT_EQ(r.h.top(), menu);
    r.h.click(r.at(menu, -100, 35));
    EXPECT_EQ(r.h.depth(), 2);
    r.h.pressKey(1);
    EXPECT_TRUE(CursorTarget::isNoAnchor(greeting->cursorAnchor(1)));  // one stop, in the band
    r.h.pressKey(208);
    r.h.step();
    r.h.pressKey(28);
    r.h.step();
    auto* page = r.h.topAs<ContextPlayers>();
    ASSERT_NE(page, nullptr);

    for (const char16_t* n : {u"Bob", u"Cy"}) r.profiles->addProfile(n);
    r.h.step();
    r.h.click(r.at(page, 0, 120));  // a row's bottom edge is in the next row,
    EXPECT_EQ(r.profiles->current, 1);
    r.h.click(r.at(page, 0, 150));  // its top edge in it
    EXPECT_EQ(r.profiles->current, 0);
    r.h.click(r.at(page, 150, 75));  // right of the rows
    EXPECT_EQ(r.profiles->current, 0);
    r.h.click(r.at(page, 0, 75));
    auto answer = [&](bool yes) {
        r.h.click(page->deleteButton);
        ASSERT_NE(r.h.topAs<ContextMessageBox>(), nullptr);
        r.h.step();
        r.h.click(yes ? r.h.topAs<ContextMessageBox>()->button1 : r.h.topAs<ContextMessageBox>()->button2);
        r.h.step(2);
    };
    answer(true);  // the current player listed last: the first becomes current
    EXPECT_EQ(r.names(), (std::vector<WString>{u"Ann", u"Bob"}));
    EXPECT_EQ(r.profiles->current, 0);
    answer(false);
    answer(true);  // the next player moves up and is current
    EXPECT_EQ(r.names(), std::vector<WString>{u"Bob"});
    EXPECT_TRUE(page->deleteButton->bDisabled);  // never the last one

    r.h.click(page->addButton);
    r.type(u"Eve");
    r.h.pressKey(1);  // Escape from Add: nothing added
    r.h.click(page->addButton);
    r.type(u"Dee\r");
    r.h.step();
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(r.names(), (std::vector<WString>{u"Bob", u"Dee"}));
    EXPECT_EQ(r.profiles->current, 1);

    // Key navigation stops on the rows, where the confirm key selects.
    r.h.click(r.at(page, 0, 135));
    r.h.moveMouse(r.at(page, -150, 60).x, r.at(page, -150, 60).y);
    r.h.step();
    r.h.pressKey(200);  // up, to the nearest row's anchor
    r.h.step();
    r.h.pressKey(28);
    r.h.step(2);
    EXPECT_EQ(r.profiles->current, 1);

    for (const char16_t* n : {u"c", u"d", u"e", u"f", u"g", u"h"}) r.profiles->addProfile(n);
    r.h.click(page->addButton);  // eight players: Add is disabled
    EXPECT_EQ(r.h.top(), page);
}

}  // namespace
