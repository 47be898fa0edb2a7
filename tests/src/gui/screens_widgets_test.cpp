// The backdrop, the credits roll, the pointer, the iris and the message
// viewer, driven through the screen stack as the game runs them.
#include <gtest/gtest.h>

#include <cmath>

#include "MenuHarness.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/ContextCredits.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/MenuBackButton.h"
#include "gui/MessageViewer.h"
#include "gui/MousePointer.h"
#include "gui/ScreenOverlays.h"
#include "gui/TextPanel.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

using menutest::MenuHarness;

namespace {

constexpr int KEY_UP = 200, KEY_DOWN = 208, PAD_UP = 1;

// A harness with the intro backdrop and the stack's overlays installed, as
// the game has them after loading.
struct Screens {
    MenuHarness h;
    IntroScreen* intro = new IntroScreen;
    Screens() {
        gui::environment().introScreen = intro;
        gui::installScreenOverlays(*h.stack);
    }
    ~Screens() { deleteObject(intro); }
    ContextMenu* plainPage() {
        auto* m = h.push(new ContextMenu);
        m->bDeleteWhenDone = 1;
        h.step();
        return m;
    }
};

// Where the main menu stands: the backdrop is sharp while it is the top.
struct MenuPlace : ContextMenu {
    MenuPlace() { backgroundContext = gui::environment().introScreen; }
    void onActivate(bool first) override {
        ContextMenu::onActivate(first);
        static_cast<IntroScreen*>(backgroundContext)->bBlurred = 0;
    }
    void onDeactivate(bool popped) override {
        ContextMenu::onDeactivate(popped);
        static_cast<IntroScreen*>(backgroundContext)->bBlurred = 1;
    }
};

FadingText* lineAt(const TextPanel* panel, int n) {
    ZubBase* l = panel->lines->firstChild;
    while (l && n-- > 0) l = l->nextSibling;
    return static_cast<FadingText*>(l);
}

TEST(Screens, TheBackdropSharpensUnderTheMainMenuAndBlursUnderThePagesOverIt) {
    Screens s;
    s.h.push(new MenuPlace);
    s.h.step(101);  // a cross-fade takes two seconds
    EXPECT_NEAR(s.intro->blend, 0.5f, 0.011f);
    s.h.step(100);
    EXPECT_EQ(s.intro->blend, 0.0f);
    EXPECT_TRUE(s.intro->blurredLayer->bHidden);
    EXPECT_FALSE(s.intro->sharpLayer->bHidden);

    // A page covers the menu: the page ticks the backdrop behind it, blurring.
    auto* page = s.h.push(new ContextPage);
    page->addBackButton();
    s.h.step(101);
    EXPECT_NEAR(s.intro->blend, 0.5f, 0.011f);
    EXPECT_NEAR(s.intro->blurredLayer->color >> 24, 128u, 3u);
    s.h.step(100);
    EXPECT_TRUE(s.intro->sharpLayer->bHidden);
    // Drawn behind the page: the frame starts with the blurred picture.
    ASSERT_FALSE(s.h.device->draws.empty());
    EXPECT_EQ(s.h.device->draws.front().texture, s.intro->blurredLayer->pSkin->texture->getHandle());

    s.h.click(page->backButton);
    s.h.step(100);
    EXPECT_LT(s.intro->blend, 0.6f);
}

TEST(Screens, TheCreditsRollUpFadingInAndOutAndEndByPressOrTime) {
    Screens s;
    s.h.drawEveryFrame = false;
    auto* menu = s.h.push(new MenuPlace);
    auto* credits = s.h.push(new ContextCredits);
    s.h.step(2);
    TextPanel* panel = credits->panel;
    ASSERT_EQ(panel->lines->countChildren(), 88);  // the heading and 87 rows
    FadingText* heading = lineAt(panel, 0);
    EXPECT_EQ(heading->text, s.h.language.getText(SID_TUMBRO));
    EXPECT_TRUE(heading->bHidden);  // at the bottom edge

    s.h.step(148);  // 1.5 s: 45 units up, 5 of them visible
    EXPECT_FALSE(heading->bHidden);
    EXPECT_NEAR(heading->color >> 24, 255u * 5 / 60, 4u);
    s.h.step(1000);
    EXPECT_EQ(heading->color >> 24, 255u);
    // The role ends three spaces before the centre, the name starts after it.
    FadingText* row = lineAt(panel, 6);
    FontQuad* rowFont = s.h.font(u"fontMediumOutline");
    EXPECT_EQ(row->text, WString(s.h.language.getText(SID_CREDITS1A3)) + u"      " + s.h.language.getText(SID_CREDITS1B));
    EXPECT_FLOAT_EQ(row->position.x, -rowFont->measureText(WString(s.h.language.getText(SID_CREDITS1A3)) + u"   ").width);

    // 832 units from the bottom edge to 64 over the top: the heading has gone.
    s.h.step(1700);
    EXPECT_LT(panel->lines->countChildren(), 88);
    s.h.step(12000 - 2850);  // 120 s: every line has rolled away
    EXPECT_EQ(panel->lines->countChildren(), 0);
    s.h.step(410);  // closes itself after 124 s
    EXPECT_EQ(s.h.top(), menu);

    s.h.push(new ContextCredits);
    s.h.step(5);
    s.h.click(300, 300);
    EXPECT_EQ(s.h.top(), menu);
}

TEST(Screens, AReaderRollsAPanelWithKeysPadAndPointerButNotBackPastItsStart) {
    Screens s;
    ContextMenu* page = s.plainPage();
    auto* panel = new TextPanel;
    panel->bUserScroll = 1;
    for (int i = 0; i < 30; ++i) panel->addParagraph(u"row", u"");
    page->addChild(panel);
    FadingText* line = lineAt(panel, 0);
    auto y = [line] { return line->position.y; };

    s.h.step(100);
    EXPECT_NEAR(y(), -384.0f + 30.0f, 0.1f);
    s.h.keyDown(KEY_DOWN);  // faster on
    s.h.step(100);
    s.h.keyUp(KEY_DOWN);
    EXPECT_NEAR(y(), -384.0f + 360.0f, 0.5f);
    s.h.padHat(0, PAD_UP);  // back
    s.h.step(50);
    EXPECT_NEAR(y(), -384.0f + 225.0f, 0.5f);
    s.h.step(100);  // no further than the start
    EXPECT_NEAR(y(), -384.0f, 0.01f);
    s.h.padHat(0, 0);

    // A held pointer drags the roll; it stands still under the pointer.
    s.h.moveMouse(512, 300);
    s.h.mouseButton(true);
    s.h.step();
    const float held = y();
    s.h.moveMouse(512, 450);
    s.h.step();
    EXPECT_NEAR(y(), held + 150.0f, 0.01f);
    s.h.step(50);
    EXPECT_NEAR(y(), held + 150.0f, 0.01f);
    s.h.mouseButton(false);

    // Lines that passed the top come back when the roll goes back.
    s.h.keyDown(KEY_DOWN);
    s.h.step(400);
    s.h.keyUp(KEY_DOWN);
    EXPECT_GT(y(), 384.0f + 64.0f);
    EXPECT_TRUE(line->bHidden);
    s.h.keyDown(KEY_UP);
    s.h.step(300);
    EXPECT_FALSE(line->bHidden);
}

// The solid band and the soft edge of the iris drawn in the last frame.
std::vector<platform::NullRenderDevice::DrawRecord> irisDraws(MenuHarness& h) {
    std::vector<platform::NullRenderDevice::DrawRecord> out;
    for (const auto& d : h.device->draws)
        if (d.count == 2 * IrisTransition::RING_POINTS && d.type == platform::Primitive::TriangleStrip) out.push_back(d);
    return out;
}

TEST(Screens, TheIrisClosesAtOneASecondAndOpensWhenANewScreenIsOnTop) {
    Screens s;
    s.plainPage();
    IrisTransition* iris = gui::iris();
    ASSERT_NE(iris, nullptr);
    iris->targetClosure = 1.0f;
    s.h.draw();  // not moved yet: nothing drawn
    EXPECT_TRUE(irisDraws(s.h).empty());

    s.h.step(50);
    EXPECT_NEAR(iris->closure, 0.5f, 1e-4f);
    auto draws = irisDraws(s.h);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_FALSE(draws[0].alphaBlend);  // the band replaces what is there
    EXPECT_TRUE(draws[1].alphaBlend);   // the edge fades
    // From the half diagonal of the reference screen in to the hole's rim,
    // half of it now; turned half a round.
    EXPECT_FLOAT_EQ(draws[0].firstVertex.x, 640.0f);
    EXPECT_NEAR(draws[1].firstVertex.x, 320.0f, 0.1f);
    EXPECT_EQ(draws[1].firstVertex.diffuse, 0xFF000000u);
    EXPECT_NEAR(draws[0].world.m[0][0], -1.0f, 1e-3f);
    s.h.step(60);
    EXPECT_EQ(iris->closure, 1.0f);  // stops at its target

    // Low detail: no soft edge.
    s.h.configuration->detailLevel = 0;
    s.h.draw();
    EXPECT_EQ(irisDraws(s.h).size(), 1u);

    // A new top screen opens it again.
    s.plainPage();
    s.h.step(100);
    EXPECT_EQ(iris->closure, 0.0f);
    EXPECT_TRUE(irisDraws(s.h).empty());
}

TEST(Screens, ThePointerFollowsTheMouseAndKeyNavigationAndHidesForTouch) {
    Screens s;
    ContextMenu* page = s.plainPage();
    MenuButton* button = page->addButton(u"button", u"", V3(0, -100, 0));
    MousePointer* pointer = gui::mousePointer();
    s.h.moveMouse(100, 600);
    s.h.step(2);
    EXPECT_EQ(pointer->position, V3(100 - 512, 600 - 384, 0));
    EXPECT_EQ(pointer->pSkin, pointer->texture->getSkin(1));

    s.h.pressKey(KEY_DOWN);
    s.h.step(2);
    const V3 anchor = button->cursorAnchor(0);
    EXPECT_EQ(pointer->position, V3(anchor.x - 512, anchor.y - 384, 0));
    EXPECT_FALSE(pointer->bHidden);

    s.h.touchDown(1, 600, 300);
    s.h.step(2);
    EXPECT_TRUE(pointer->bHidden);
    const int draws = static_cast<int>(s.h.device->draws.size());
    pointer->bHidden = 0;
    s.h.draw();
    EXPECT_GT(static_cast<int>(s.h.device->draws.size()), draws);  // it was the pointer missing
    s.h.touchUp(1);
    s.h.moveMouse(700, 300);
    s.h.step(2);
    EXPECT_FALSE(pointer->bHidden);
}

TEST(Screens, TheMessageViewerWrapsKeepsTheNewestLinesAndShowsAReply) {
    Screens s;
    ContextMenu* page = s.plainPage();
    auto* viewer = new MessageViewer;
    viewer->position = V3(0.0f, -0.5f * static_cast<float>(viewer->maxLines) * viewer->lineSpacing, 0.0f);
    page->addChild(viewer);

    WString words;
    for (int i = 0; i < 60; ++i) words += u"network ";
    viewer->addMessage(words);
    ASSERT_GT(viewer->lines.size(), 1u);
    for (const WString& l : viewer->lines) EXPECT_LE(viewer->pFont->measureText(l).width, 1014.0f);

    WString twelve;
    for (int i = 1; i <= 12; ++i) twelve += formatString(u"%d|", i);
    viewer->addMessage(twelve);
    viewer->addMessage(u"");  // no line
    ASSERT_EQ(viewer->lines.size(), 9u);
    EXPECT_EQ(viewer->lines.front(), u"4");

    // A reply's coloured runs become lines of their own, drawn one under the other.
    viewer->addMessage(u"Reply: \x1E{ff0000}OK");
    EXPECT_EQ(viewer->lines[7], u"Reply: ");
    EXPECT_EQ(viewer->lines[8], u"OK");
    s.h.step();
    std::vector<float> ys;
    for (const auto& d : s.h.device->draws)
        for (Texture* p : viewer->pFont->pages)
            if (d.texture == p->getHandle()) ys.push_back(d.world.m[3][1]);
    ASSERT_EQ(ys.size(), 9u);
    EXPECT_EQ(ys[0], std::trunc(viewer->position.y));
    EXPECT_FLOAT_EQ(ys[8] - ys[0], 8 * viewer->lineSpacing);

    // Fading: gone fadeTime after the last message, back with the next one.
    viewer->fadeTime = 3.0;
    viewer->addMessage(u"again");
    s.h.step(200);
    EXPECT_EQ(viewer->visibility, 1.0f);
    s.h.step(50);
    EXPECT_NEAR(viewer->visibility, 0.5f, 0.02f);
    s.h.step(50);
    EXPECT_EQ(viewer->visibility, 0.0f);
    viewer->addMessage(u"back");
    s.h.step();
    EXPECT_EQ(viewer->visibility, 1.0f);
}

}  // namespace
