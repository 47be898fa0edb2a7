// The items and the message box, driven through pointer clicks on their anchors.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "MenuHarness.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/ContextMessageBox.h"
#include "gui/ContextPage.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuItemCharKey.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemLink.h"
#include "gui/MenuItemSlider.h"
#include "gui/MenuItemToggle.h"
#include "gui/ProgressBar.h"

using menutest::MenuHarness;

namespace {

struct Page {
    MenuHarness h;
    ContextMenu* menu = h.push(new ContextMenu);
    Page() {
        menu->bDeleteWhenDone = 1;
        h.step();
    }
    template <class T>
    T* add(T* item) {
        menu->addItem(item);
        return item;
    }
};

TEST(MenuItems, AConfirmationBoxAnswersIntoItsIntAndTheButtonActsOnlyOnYes) {
    Page p;
    auto* button = p.add(new MenuButton(0, 0, 0, u"Delete", u""));
    button->question = u"Really?";
    p.h.click(button);
    auto* box = p.h.topAs<ContextMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, u"Really?");
    EXPECT_EQ(box->button2Caption, p.h.language.getText(SID_NO));
    EXPECT_EQ(button->confirmResult, -1);
    EXPECT_FALSE(button->bClicked);
    p.h.step();
    p.h.click(box->button2);  // NO
    p.h.step();
    EXPECT_EQ(p.h.top(), p.menu);
    EXPECT_EQ(button->confirmResult, 1);
    EXPECT_FALSE(button->bClicked);

    p.h.click(button);
    box = p.h.topAs<ContextMessageBox>();
    p.h.step();
    p.h.click(box->button1);  // YES
    p.h.step();
    EXPECT_TRUE(button->bClicked);
    EXPECT_EQ(button->confirmResult, -1);
}

TEST(MenuItems, ABoxClosedWithoutAButtonLeavesNoAnswer) {
    Page p;
    int32_t answer = 5;
    auto* box = new ContextMessageBox;  // OK only: the fire binding closes it too
    box->text = u"Done.";
    box->result = &answer;
    box->build();
    EXPECT_EQ(answer, -1);
    p.h.push(box);
    p.h.step();
    p.h.pressKey(p.h.configuration->controls[GameConfiguration::CONTROL_JUMP].key);
    EXPECT_EQ(p.h.top(), p.menu);
    EXPECT_EQ(answer, -1);

    // Two buttons side by side, swapped for a right-to-left language; Escape
    // closes without an answer.
    p.h.language.bRightToLeft = 1;
    box = new ContextMessageBox;
    box->button2Caption = u"No";
    box->result = &answer;
    box->build();
    EXPECT_EQ(box->button1->position.x, 85.0f);
    EXPECT_EQ(box->button2->position.x, -85.0f);
    EXPECT_GE(box->panelWidth, 430.0f);
    p.h.push(box);
    p.h.step();
    p.h.pressKey(1);
    EXPECT_EQ(p.h.top(), p.menu);
    EXPECT_EQ(answer, -1);
}

TEST(MenuItems, ValueItemsStepClampAndReportThroughTheirArrows) {
    Page p;
    int32_t v = 9;  // out of range, as a damaged settings file may hold
    auto* value = p.add(new MenuItemValue(0, 0, 0, &v, 0, 5, 1, u"Value", u""));
    EXPECT_EQ(v, 5);  // clamped when built
    p.h.click(value, 0);
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(value->bChanged && value->bClicked);
    value->bChanged = value->bClicked = 0;
    p.h.click(value, 1);
    p.h.click(value, 1);  // at the maximum: stays, still clicks
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(value->bClicked);
    value->bDisabled = 1;
    p.h.click(value, 0);
    EXPECT_EQ(v, 5);

    std::vector<WString> names = {u"low", u"middle", u"high"};
    int32_t chosen = -3;
    auto* list = p.add(new MenuItemChoice(0, -150, 0, &chosen, 0, 2, &names, u"List", u""));
    EXPECT_EQ(list->choiceText(), u"low");
    p.h.click(list, 1);
    EXPECT_EQ(list->choiceText(), u"middle");
    int32_t answer = 1;
    auto* texts = p.add(new MenuItemChoice(0, 150, 0, &answer, 0, 1, SID_YES, u"Texts", u""));
    EXPECT_EQ(texts->choiceText(), p.h.language.getText(SID_NO));

    // Right to left: built mirrored, and the left arrow counts up.
    p.h.language.bRightToLeft = 1;
    auto* mirrored = p.add(new MenuItemValue(100, -300, 0, &v, 0, 9, 1, u"Value", u""));
    EXPECT_EQ(mirrored->position.x, -100.0f);
    p.h.click(mirrored, 0);
    EXPECT_EQ(v, 6);
}

TEST(MenuItems, LinkStoresItsTargetAndQuitsBackClosesTheTopPage) {
    Page p;
    auto* link = p.add(new MenuItemLink(0, 100, 0, u"Website", u""));
    link->url = u"http://localhost/?src=Tumbrodemov1.25";
    p.h.click(link);
    EXPECT_EQ(p.h.pendingUrl, link->url);
    EXPECT_TRUE(p.h.stack->bQuit);

    auto* page = p.h.push(new ContextPage);
    page->setTitle(u"Options");
    MenuBackButton* back = page->addBackButton();
    EXPECT_EQ(back->position, V3(80 - page->layoutX, -page->layoutY, 0));
    EXPECT_EQ(back->caption, p.h.language.getText(SID_BACK));
    p.h.step();
    p.h.click(back);
    p.h.step();
    EXPECT_EQ(p.h.top(), p.menu);
}

TEST(MenuItems, TogglesFlipOnPressSlidersApplyCharacterKeysType) {
    Page p;
    uint8_t flag = 2;  // any non-zero byte is on
    auto* toggle = p.add(new MenuItemToggle(-200, 100, 0, &flag, u"Flag", u""));
    p.h.click(toggle);
    EXPECT_EQ(flag, 0);
    p.h.click(toggle);
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(toggle->bClicked);
    toggle->bDisabled = 1;
    p.h.click(toggle);
    EXPECT_EQ(flag, 1);

    uint8_t mute = 0;
    auto* apply = p.add(new MenuItemToggleApply(200, 100, 0, &mute, u"Mute", u""));
    p.h.click(apply);
    EXPECT_EQ(mute, 1);
    EXPECT_EQ(p.h.configurationPushes, 1);  // at once, with no click
    EXPECT_FALSE(apply->bClicked);

    int32_t volume = 24;
    auto* slider = p.add(new MenuItemSlider(0, -50, 0, &volume, 0, 24, u"Volume", u""));
    p.h.click(slider, 1);
    EXPECT_EQ(volume, 24);
    EXPECT_EQ(p.h.configurationPushes, 2);
    p.h.click(slider, 0);
    EXPECT_EQ(volume, 23);

    char16_t typed = 0;
    auto* key = p.add(new MenuItemCharKey(0, -200, 0, &typed, u'a', u"a", u""));
    p.h.click(key);
    EXPECT_EQ(typed, u'a');
    typed = 0;
    p.h.click(key);  // every click writes, also the same character again
    EXPECT_EQ(typed, u'a');
}

TEST(MenuItems, AProgressBarDrawsTheLeftFractionOfItsBar) {
    Page p;
    auto* texture = zub_cast<Texture>(p.h.resources.find(u"gui-game-progressBar"));
    ASSERT_NE(texture, nullptr);
    const float w = texture->getSkin(1)->width;
    auto* bar = new ProgressBar(texture, 0, 1);
    p.menu->addChild(bar);
    bar->setProgress(2.0f);
    EXPECT_EQ(bar->value, 1.0f);
    bar->setProgress(-0.5f);
    EXPECT_EQ(bar->value, 0.0f);
    bar->setProgress(0.5f);
    bar->setPosition(10.0f, 20.0f, 0.0f);

    p.h.draw();
    const auto& draws = p.h.device->draws;
    ASSERT_EQ(draws.size(), 2u);  // the frame, then the bar over it
    const auto& barDraw = draws[1];
    const auto& vertices = p.h.device->buffers[barDraw.buffer - 1].vertices;
    float left = 1e9f, right = -1e9f;
    for (int i = barDraw.first; i < barDraw.first + barDraw.count; ++i) {
        const V3 at = barDraw.world.transformCoord(V3(vertices[i].x, vertices[i].y, vertices[i].z));
        left = std::min(left, at.x);
        right = std::max(right, at.x);
    }
    EXPECT_FLOAT_EQ(left, 10.0f - w / 2);
    EXPECT_FLOAT_EQ(right, 10.0f);
    const Quad* source = texture->getSkin(1);
    EXPECT_FLOAT_EQ(bar->barQuad->u1, source->u0 + (source->u1 - source->u0) * 0.5f);

    bar->bHidden = 1;
    p.h.draw();
    EXPECT_TRUE(p.h.device->draws.empty());
}

}  // namespace
