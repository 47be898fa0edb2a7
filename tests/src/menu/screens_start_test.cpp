// The start-up screens as the game pushes them after loading (the main menu,
// the intro story, the company logo: seen in the reverse order), on the
// screen stack with the backdrop and the iris.
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

namespace {

TEST(StartScreens, TheLogoEndsAfterItsTimeThenTheStoryFiresEachEventOnceAndBothCanBeSkipped) {
    menutest::MenuHarness h;
    h.drawEveryFrame = false;
    IntroScreen intro;
    gui::environment().introScreen = &intro;
    gui::installScreenOverlays(*h.stack);
    ContextMenu* menu = h.push(new ContextMenu);  // where the main menu stands
    menu->bDeleteWhenDone = 1;
    auto* story = h.push(new ContextIntroStory);
    story->timeScale = 3.7;  // an odd step: 0.037 s a frame
    auto* logo = h.push(new ContextCompanyLogo);
    h.language.setLanguage(Language::GERMAN);  // after the screens were made

    h.step(11);  // 0.11 s of the logo's 0.25 s fade-in, over black
    EXPECT_NEAR(logo->logo->color >> 24, 112u, 2u);
    h.draw();
    EXPECT_EQ(h.device->lastClearColor, 0xFF000000u);
    h.step(240);  // after 2.5 s the logo has gone; black stays until 3.5 s
    EXPECT_EQ(logo->firstChild, nullptr);
    h.step(99);
    EXPECT_EQ(h.top(), logo);
    h.step(2);
    ASSERT_EQ(h.top(), story);
    EXPECT_NEAR(gui::iris()->closure, 0.99f, 1e-4f);  // closed at activation, opening since

    // When each caption (and the logo) first appeared, and when the backdrop turned.
    std::map<WString, std::vector<double>> shown;
    std::map<ZubBase*, WString> seen;
    std::vector<double> turns;
    for (uint8_t blurred = 1; h.top() == story; h.step()) {
        for (ZubBase* c : childrenOf(story)) {
            const WString what = zub_cast<GameLogo>(c) ? u"logo" : zub_cast<FadingText>(c)->text;
            if (seen[c] != what) shown[what].push_back(story->time), seen[c] = what;
        }
        if (intro.bBlurred != blurred) turns.push_back(story->time), blurred = intro.bBlurred;
        EXPECT_LT(story->time, ContextIntroStory::END_TIME + 0.04);
    }
    const std::pair<int32_t, double> expected[] = {{SID_VELMORASTUDIOS, 2}, {SID_PRESENTS, 2}, {SID_COPYRIGHT, 9},
                                                   {SID_INTRO13, 19},       {SID_INTRO33, 37}, {SID_INTRO71, 81}};
    for (const auto& [id, time] : expected) {
        ASSERT_EQ(shown[h.language.getText(id)].size(), 1u) << id;
        EXPECT_NEAR(shown[h.language.getText(id)][0], time + 0.018, 0.019) << id;
    }
    EXPECT_EQ(shown.size(), 19u);  // 15 story lines, the name, PRESENTS, the copyright and the logo
    EXPECT_EQ(shown.count(h.language.getTextIn(Language::ENGLISH, SID_PRESENTS)), 0u);
    ASSERT_EQ(turns.size(), 2u);  // sharp at 6 s, blurred again at 17 s
    EXPECT_NEAR(turns[0] + turns[1], 23.036, 0.038);
    EXPECT_EQ(h.top(), menu);

    // Escape, the fire binding or a pointer press end either at once.
    for (int code : {1, h.configuration->controls[GameConfiguration::CONTROL_JUMP].key, 0}) {
        h.push(new ContextIntroStory);
        h.push(new ContextCompanyLogo);
        for (int screen = 0; screen < 2; ++screen) {
            h.step(5);
            code ? h.pressKey(code) : h.click(500, 500);
        }
        EXPECT_EQ(h.top(), menu) << code;
    }
}

}  // namespace
