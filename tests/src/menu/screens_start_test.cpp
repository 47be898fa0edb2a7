// The start-up screens: the company logo and the intro story, run on the
// screen stack with the backdrop and the iris as the game has them.
#include <gtest/gtest.h>

#include <map>

#include "MenuHarness.h"
#include "gui/ContextMenu.h"
#include "gui/GameLogo.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/ScreenOverlays.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextIntroStory.h"
#include "text/FadingSprite.h"
#include "text/FadingText.h"

using menutest::MenuHarness;

namespace {

constexpr int KEY_ESCAPE = 1;

struct StartUp {
    MenuHarness h;
    IntroScreen* intro = new IntroScreen;
    ContextMenu* menu;  // where the main menu stands
    StartUp() {
        h.drawEveryFrame = false;
        gui::environment().introScreen = intro;
        gui::installScreenOverlays(*h.stack);
        menu = h.push(new ContextMenu);
        menu->bDeleteWhenDone = 1;
        h.step();
    }
    ~StartUp() { deleteObject(intro); }
};

TEST(StartScreens, TheCompanyLogoFadesOverBlackEndsAfterThreeAndAHalfSecondsOrWhenSkipped) {
    StartUp s;
    auto* screen = s.h.push(new ContextCompanyLogo);
    s.h.step(11);  // 0.11 s of a 0.25 s fade-in
    FadingSprite* logo = screen->logo;
    EXPECT_NEAR(logo->color >> 24, 112u, 2u);
    s.h.draw();
    EXPECT_EQ(s.h.device->lastClearColor, 0xFF000000u);
    s.h.step(240);  // 2.5 s: the logo has gone, black remains
    EXPECT_EQ(screen->firstChild, nullptr);
    s.h.step(99);
    EXPECT_EQ(s.h.top(), screen);
    s.h.step(2);
    EXPECT_EQ(s.h.top(), s.menu);

    // Escape, the fire binding or a pointer press end it at once.
    const int fire = s.h.configuration->controls[GameConfiguration::CONTROL_JUMP].key;
    for (int way = 0; way < 3; ++way) {
        s.h.push(new ContextCompanyLogo);
        s.h.step(5);
        if (way == 0) s.h.keyDown(KEY_ESCAPE);
        if (way == 1) s.h.keyDown(fire);
        if (way == 2) s.h.mouseButton(true);
        s.h.step(2);
        EXPECT_EQ(s.h.top(), s.menu) << way;
        s.h.keyUp(KEY_ESCAPE);
        s.h.keyUp(fire);
        s.h.mouseButton(false);
        s.h.step();
    }
}

TEST(StartScreens, TheIntroStoryRunsEachEventOnceAtAnyStepInTheLanguageOfTheMoment) {
    StartUp s;
    auto* story = new ContextIntroStory;
    story->timeScale = 3.7;  // an odd step: 0.037 s a frame
    s.h.language.setLanguage(Language::GERMAN);
    s.h.push(story);
    s.h.step();
    IrisTransition* iris = gui::iris();
    EXPECT_NEAR(iris->closure, 0.99f, 1e-4f);  // closed at activation, opening since
    EXPECT_EQ(iris->targetClosure, 0.0f);

    // When each caption and logo first appeared, and when the backdrop turned.
    std::map<WString, std::vector<double>> shown;
    std::map<ZubBase*, WString> seen;
    std::vector<double> turns;
    uint8_t blurred = s.intro->bBlurred;
    double t = 0.0;
    while (s.h.top() == story) {
        t = story->time;
        for (ZubBase* c : childrenOf(story)) {
            WString what = zub_cast<GameLogo>(c) ? u"logo" : zub_cast<FadingText>(c)->text;
            if (seen[c] != what) shown[what].push_back(t);
            seen[c] = what;
        }
        if (s.intro->bBlurred != blurred) turns.push_back(t), blurred = s.intro->bBlurred;
        s.h.step();
    }
    EXPECT_GT(t, ContextIntroStory::END_TIME);
    EXPECT_LT(t, ContextIntroStory::END_TIME + 0.04);

    struct Expected {
        WString what;
        double time;
    };
    auto text = [&](int32_t id) { return WString(s.h.language.getText(id)); };
    const Expected expected[] = {
        {text(SID_VELMORASTUDIOS), 2}, {text(SID_PRESENTS), 2},  {u"logo", 9},            {text(SID_COPYRIGHT), 9},
        {text(SID_INTRO11), 19},       {text(SID_INTRO13), 19},  {text(SID_INTRO21), 32}, {text(SID_INTRO33), 37},
        {text(SID_INTRO41), 50},       {text(SID_INTRO52), 55},  {text(SID_INTRO63), 68}, {text(SID_INTRO71), 81},
    };
    for (const Expected& e : expected) {
        ASSERT_EQ(shown[e.what].size(), 1u) << wideToNarrow(e.what);
        EXPECT_GE(shown[e.what][0], e.time) << wideToNarrow(e.what);
        EXPECT_LT(shown[e.what][0], e.time + 0.04) << wideToNarrow(e.what);
    }
    EXPECT_EQ(shown.size(), 19u);  // 15 story lines, the name, PRESENTS, the copyright and the logo
    EXPECT_NE(text(SID_PRESENTS), WString(s.h.language.getTextIn(Language::ENGLISH, SID_PRESENTS)));
    ASSERT_EQ(turns.size(), 2u);  // sharp at 6 s, blurred again at 17 s
    EXPECT_NEAR(turns[0], 6.0, 0.04);
    EXPECT_NEAR(turns[1], 17.0, 0.04);
    EXPECT_EQ(s.h.top(), s.menu);

    // A pointer press ends it at once.
    s.h.push(new ContextIntroStory);
    s.h.step(20);
    s.h.click(500, 500);
    EXPECT_EQ(s.h.top(), s.menu);
}

}  // namespace
