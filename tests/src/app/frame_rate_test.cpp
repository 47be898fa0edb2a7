// The frame-rate figure in the real program, drawn off-screen: ticked on the
// advanced options page it shows at once, at the top left corner, over
// every screen (menus, the valley map and its notices, a level) but the
// language page, which hides it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "ProgramHarness.h"
#include "app/Global.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/ContextValley.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemToggle.h"
#include "lang/Language.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/ContextOptions.h"
#include "menu/GameMainMenu.h"
#include "menu/LanguageFlag.h"
#include "util/KeyCodes.h"

namespace {

namespace fs = std::filesystem;
using programtest::ProgramHarness;
using namespace input_codes;

// Where the figure stands: the top left corner of the 1024 x 768 window.
constexpr int kCornerWidth = 120, kCornerHeight = 48;

void click(ProgramHarness& h, CursorTarget* item) {
    const V3 at = item->cursorAnchor(0);
    h.click(at.x, at.y);
}

// The frame as it stands drawn twice, without and with the figure: the
// pixels that differ inside the corner and outside it.
struct Difference {
    int corner = 0, elsewhere = 0;
    bool drawn = false;
};

Difference figureOf(ProgramHarness& h, const char* name) {
    Difference d;
    uint8_t saved = 0;
    h.onProgramThread([&] {
        saved = GLOBAL->config.showFrameRate;
        GLOBAL->config.showFrameRate = 0;
    });
    int w = 0, hgt = 0;
    const std::vector<uint32_t> off = h.capture(w, hgt);
    h.onProgramThread([&] { GLOBAL->config.showFrameRate = 1; });
    const std::vector<uint32_t> on = h.capture(w, hgt);
    h.onProgramThread([&] { GLOBAL->config.showFrameRate = saved; });
    if (on.empty() || off.size() != on.size()) return d;
    d.drawn = true;
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            if (off[i] == on[i]) continue;
            (x < kCornerWidth && y < kCornerHeight ? d.corner : d.elsewhere)++;
        }
    if (const char* folder = std::getenv("ZUB_FRAME_RATE_PICTURES"))
        pngtest::writePng((fs::path(folder) / (std::string(name) + ".png")).string(), w, hgt, on);
    return d;
}

// The figure shows on the screen on top, and nowhere but in the corner
// (unless the screen shows the setting itself).
void expectFigure(ProgramHarness& h, const char* screen, bool showsTheSetting = false) {
    const Difference d = figureOf(h, screen);
    ASSERT_TRUE(d.drawn) << "no off-screen OpenGL window";
    EXPECT_GT(d.corner, 30) << screen << ": no figure in the corner";
    if (!showsTheSetting) {
        EXPECT_EQ(d.elsewhere, 0) << screen;
    }
}

TEST(FrameRate, TickedTheFigureShowsOverEveryScreenButTheLanguagePage) {
    ProgramHarness::Options o;
    o.realDisplay = true;
    o.fixedFrameStep = 0.01;
    o.userSettings = "[Language]\ndefaultLanguage=-1\n";
    ProgramHarness h(o);
    h.start();

    // The language page of the first start hides it.
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 400));
    h.step(5);
    const Difference language = figureOf(h, "language");
    if (!language.drawn) GTEST_SKIP() << "no off-screen OpenGL window";
    EXPECT_EQ(language.corner + language.elsewhere, 0);
    LanguageFlag* english = nullptr;
    for (LanguageFlag* f : childrenOf<LanguageFlag>(h.top()))
        if (f->languageIndex == Language::ENGLISH) english = f;
    ASSERT_NE(english, nullptr);
    click(h, english);

    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10));
    auto* menu = h.topAs<GameMainMenu>();
    h.step(5);

    // Off by default; ticked on the advanced page, it shows there at once.
    ASSERT_EQ(GLOBAL->config.showFrameRate, 0);
    click(h, menu->optionsItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextOptions>(); }, 10));
    h.step(5);
    click(h, h.topAs<ContextOptions>()->graphicsItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextGraphics>(); }, 10));
    h.step(5);
    click(h, h.topAs<ContextGraphics>()->advancedItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextAdvancedOptions>(); }, 10));
    h.step(5);
    MenuItemToggle* show = nullptr;
    for (MenuItemToggle* t : childrenOf<MenuItemToggle>(h.top()))
        if (t->value == &GLOBAL->config.showFrameRate) show = t;
    ASSERT_NE(show, nullptr);
    click(h, show);
    h.step(2);
    ASSERT_EQ(GLOBAL->config.showFrameRate, 1);
    expectFigure(h, "advanced_options", true);
    // The figure is the frames per second (100 on this clock).
    EXPECT_NEAR(h.stack()->frameRate, 100.0, 0.5);

    // Back to the main menu: still there, and on the options page.
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextGraphics>(); }, 20));
    h.step(5);
    expectFigure(h, "graphics");
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextOptions>(); }, 20));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 20));
    h.step(5);
    expectFigure(h, "main_menu");

    // The valley map, and the level it starts.
    click(h, menu->startItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextValley>(); }, 10));
    auto* valley = h.topAs<ContextValley>();
    ASSERT_TRUE(h.stepUntil([&] { return valley->state == ContextValley::MAP; }, 1000));
    while (auto* box = h.topAs<ContextMessageBox>()) {
        expectFigure(h, "valley_notice");
        ASSERT_NE(box->button1, nullptr);
        click(h, box->button1);
        h.step(2);
    }
    h.step(5);
    expectFigure(h, "valley");
    click(h, valley->pButtonPlay);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 300));
    h.step(50);
    expectFigure(h, "level");
}

}  // namespace
