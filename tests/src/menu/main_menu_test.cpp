// The main menu in the real program: reached after loading, the logo and
// the story; what it saves, how it is left, the name entry of a new player,
// the developer's crash key, and how it looks (drawn by the real OpenGL
// device off-screen and compared with a stored picture within a tolerance;
// after a wanted change of the look, write the picture again and look at it
// before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_menu_tests --gtest_filter='MainMenuPixels.*'
// Every run also leaves the picture it drew as main_menu_drawn.png beside
// the test program.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "OffscreenPicture.h"
#include "PngWriter.h"
#include "ProgramHarness.h"
#include "app/Global.h"
#include "engine/Zub.h"
#include "flow/ContextValley.h"
#include "gui/ContextCredits.h"
#include "gui/ContextMessageBox.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextHighscores.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextOptions.h"
#include "menu/ContextPlayers.h"
#include "menu/GameMainMenu.h"
#include "menu/PlayerGreeting.h"
#include "records/ProfileManager.h"
#include "sys/OpenUrl.h"
#include "sys/Paths.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

namespace {

using programtest::ProgramHarness;
namespace fs = std::filesystem;
using namespace input_codes;

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The last item of a kind on the menu, or null.
template <class T>
T* lastItemOf(GameMainMenu* menu) {
    T* last = nullptr;
    for (T* t : childrenOf<T>(menu)) last = t;
    return last;
}

// Starts the program and leaves the logo and the story with Escape.
GameMainMenu* reachMainMenu(ProgramHarness& h) {
    h.start();
    if (!h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10)) return nullptr;
    return h.topAs<GameMainMenu>();
}

void click(ProgramHarness& h, CursorTarget* item) {
    const V3 at = item->cursorAnchor(0);
    h.click(at.x, at.y);
}

const std::string kSaving = "Global::saveUserData(): Saving.";

TEST(MainMenu, SavesTheUserDataEachTimeItBecomesTheTop) {
    ProgramHarness h;
    GameMainMenu* menu = reachMainMenu(h);
    ASSERT_NE(menu, nullptr);
    h.step();
    EXPECT_EQ(count(h.log(), kSaving), 1u);
    for (const char* file : {"Tumbrodemo.hst", "Tumbrodemo.pro", "Tumbrodemo.cfg"}) {
        EXPECT_TRUE(fs::exists(h.userFolder + file)) << file;
        fs::remove(h.userFolder + file);
    }
    // The items stand where the menu's layout puts them.
    const float s = static_cast<float>(menu->itemSpacing);
    int row = 1;
    for (MenuButton* item : {menu->startItem, menu->highScoresItem, menu->optionsItem, menu->creditsItem}) {
        ASSERT_NE(item, nullptr);
        EXPECT_FLOAT_EQ(item->position.y, -s * static_cast<float>(row++));
    }
    auto* intro = dynamic_cast<IntroScreen*>(menu->backgroundContext);
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->bBlurred, 0);

    // Over to the credits and back.
    click(h, menu->creditsItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCredits>(); }, 5));
    h.step();  // the stack activates the new top
    EXPECT_EQ(intro->bBlurred, 1) << "the pages see the blurred picture";
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 5));
    h.step();
    EXPECT_EQ(count(h.log(), kSaving), 2u);
    EXPECT_EQ(intro->bBlurred, 0);
    for (const char* file : {"Tumbrodemo.hst", "Tumbrodemo.pro"}) EXPECT_TRUE(fs::exists(h.userFolder + file)) << file;

    // Each of the other buttons opens its screen, and coming back saves again.
    int saves = 2;
    auto visit = [&](MenuButton* item, auto isOpen) {
        click(h, item);
        ASSERT_TRUE(h.stepUntil(isOpen, 5));
        // Escape closes each screen (the valley map once its welcome is over).
        for (int i = 0; i < 1000 && h.top() != menu; i += 50) {
            h.pressKey(KEY_ESCAPE);
            h.stepUntil([&] { return h.top() == menu; }, 50);
        }
        ASSERT_EQ(h.top(), menu);
        h.step();
        EXPECT_EQ(count(h.log(), kSaving), static_cast<size_t>(++saves));
    };
    visit(menu->optionsItem, [&] { return h.topIs<ContextOptions>(); });
    visit(menu->highScoresItem, [&] { return h.topIs<ContextHighscores>(); });
    visit(menu->startItem, [&] { return h.topIs<ContextValley>(); });
}

TEST(MainMenu, EscapeAsksFirstAndYesEndsTheProgram) {
    ProgramHarness h;
    GameMainMenu* menu = reachMainMenu(h);
    ASSERT_NE(menu, nullptr);
    h.pressKey(KEY_ESCAPE);
    auto* box = h.topAs<ContextMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, gui::text(SID_CONFIRM));
    // NO keeps the menu.
    ASSERT_NE(box->button2, nullptr);
    click(h, box->button2);
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 5));
    h.step(3);
    EXPECT_FALSE(h.ended());
    // Asked again: YES closes the menu, which ends the program.
    h.pressKey(KEY_ESCAPE);
    box = h.topAs<ContextMessageBox>();
    ASSERT_NE(box, nullptr);
    click(h, box->button1);
    ASSERT_TRUE(h.runToEnd(20));
    EXPECT_EQ(h.exitCode(), 0);
}

TEST(MainMenu, QuitEndsTheProgramAtOnce) {
    ProgramHarness h;
    GameMainMenu* menu = reachMainMenu(h);
    ASSERT_NE(menu, nullptr);
    MenuBackButton* quit = lastItemOf<MenuBackButton>(menu);
    ASSERT_NE(quit, nullptr);
    EXPECT_FLOAT_EQ(quit->position.y, -static_cast<float>(menu->layoutY));
    click(h, quit);
    ASSERT_TRUE(h.runToEnd(2)) << "no question first";
    EXPECT_EQ(h.exitCode(), 0);
}

std::vector<std::string> opened;

TEST(MainMenu, TheWebLinkEndsTheProgramAndItsAddressOpensAfterwards) {
    opened.clear();
    setOpenUrlSpawner([](const std::vector<std::string>& argv) -> long {
        opened.push_back(argv.back());
        return 1;
    });
    {
        ProgramHarness h;
        GameMainMenu* menu = reachMainMenu(h);
        ASSERT_NE(menu, nullptr);
        MenuItemLink* link = lastItemOf<MenuItemLink>(menu);
        ASSERT_NE(link, nullptr);
        click(h, link);
        EXPECT_TRUE(h.runToEnd(10));
    }
    setOpenUrlSpawner(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>{"http://www.velmorastudios.example/?src=Tumbrodemov1.25"});
}

TEST(MainMenu, ANewPlayerIsAskedForANameFirst) {
    ProgramHarness::Options o;
    o.playerName = "";
    ProgramHarness h(o);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10));
    h.pressKey(KEY_ESCAPE);
    // The menu comes up and its greeting sends the nameless player on at once.
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextEnterName>(); }, 10));
    EXPECT_EQ(GLOBAL->config.noPlayerYet, 1);
    h.pressKey(KEY_ESCAPE);
    h.step(2);
    ASSERT_TRUE(h.topIs<ContextEnterName>()) << "the name entry cannot be escaped";
    h.type(u"Ann\r");
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 20));
    h.step();
    EXPECT_EQ(GLOBAL->profiles.getProfileName(GLOBAL->profiles.current), u"Ann");
    EXPECT_EQ(GLOBAL->config.noPlayerYet, 0);
    // Saved on the way back.
    EXPECT_EQ(count(h.log(), kSaving), 2u);
    h.close();
    setUserDataFolderOverride(h.userFolder);
    ProfileManager saved;
    EXPECT_EQ(saved.getProfileName(saved.current), u"Ann");
}

TEST(MainMenu, AMouseThatMovesAndClicksAfterTheNameLeavesKeyNavigation) {
    ProgramHarness::Options o;
    o.playerName = "";
    ProgramHarness h(o);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10));
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextEnterName>(); }, 10));
    // The name ends with Return, whose release reaches the menu: key
    // navigation, the cursor placed by the program (the mouse has not moved
    // since the start).
    h.type(u"Bo");
    h.step(3);
    h.keyDown(KEY_RETURN);
    h.type(u"\r");
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 20));
    h.keyUp(KEY_RETURN);
    h.step(3);
    ASSERT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_KEYS);

    // The mouse moves onto Play and clicks: pointer navigation, and the map
    // opens with the cursor where the mouse left it.
    auto* menu = h.topAs<GameMainMenu>();
    const V3 play = menu->startItem->cursorAnchor(0) + V3(30.0f, 0.0f, 0.0f);
    h.click(play.x, play.y);
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_POINTER);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextValley>(); }, 10));
    h.step(3);
    EXPECT_EQ(ContextMenu::navigationMode, ContextMenu::NAVIGATION_POINTER);
    ZubInput* in = ZubInput::active();
    ASSERT_NE(in, nullptr);
    EXPECT_FLOAT_EQ(in->mouseX, play.x);
    EXPECT_FLOAT_EQ(in->mouseY, play.y);
}

TEST(MainMenuDeathTest, CtrlAltXEndsTheProgramThroughTheFatalPath) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ProgramHarness h;
            if (!reachMainMenu(h)) std::exit(3);
            // Other combinations do nothing.
            h.pressKey(KEY_X, {KEY_LCONTROL});
            h.pressKey(KEY_X, {KEY_LCONTROL, KEY_LALT, KEY_LSHIFT});
            h.pressKey(KEY_X);
            h.step(3);
            if (!h.topIs<GameMainMenu>()) std::exit(4);
            h.pressKey(KEY_X, {KEY_LCONTROL, KEY_LALT});
            h.step(5);
            std::exit(5);
        },
        ::testing::ExitedWithCode(255), "Error: Crash requested.\n Function: ContextMain::tickContents\\(\\)");
}

// ---- How it looks ---------------------------------------------------------------------------

TEST(MainMenuPixels, TheMainMenuLooksAsStored) {
    ProgramHarness::Options o;
    o.realDisplay = true;
    ProgramHarness h(o);
    GameMainMenu* menu = reachMainMenu(h);
    ASSERT_NE(menu, nullptr);
    // The pointer away from the items; the iris open and the title picture
    // sharp (a cross-fade takes 2 s).
    h.moveMouse(1000.0f, 700.0f);
    auto* intro = dynamic_cast<IntroScreen*>(menu->backgroundContext);
    ASSERT_NE(intro, nullptr);
    ASSERT_TRUE(h.stepUntil([&] { return intro->blend == 0.0f; }, 400));
    h.step(110);
    int w = 0, hgt = 0;
    const std::vector<uint32_t> frame = h.capture(w, hgt);
    if (frame.empty()) GTEST_SKIP() << "no off-screen OpenGL window";

    const std::string drawn = (fs::read_symlink("/proc/self/exe").parent_path() / "main_menu_drawn.png").string();
    EXPECT_TRUE(pngtest::writePng(drawn, w, hgt, frame)) << drawn;
    picturetest::compareWithStored(frame, w, hgt, ZUB_TEST_SOURCE_DIR "/src/menu/main_menu.png");
}

// The greeting's hint line as the player sees it, in the full screen and in
// the small window of -safe (where the fonts grow with the resolution
// scale): found from the pixels it changes, and clicked in its middle.
class MainMenuGreeting : public testing::TestWithParam<bool> {};

TEST_P(MainMenuGreeting, AClickInTheMiddleOfTheHintLineAsDrawnOpensThePlayersPage) {
    ProgramHarness::Options o;
    o.realDisplay = true;
    if (GetParam()) o.arguments.push_back("-safe");
    ProgramHarness h(o);
    GameMainMenu* menu = reachMainMenu(h);
    ASSERT_NE(menu, nullptr);
    PlayerGreeting* greeting = lastItemOf<PlayerGreeting>(menu);
    ASSERT_NE(greeting, nullptr);
    h.moveMouse(1000.0f, 700.0f);
    h.step(100);

    // The frame as drawn and without the hint line: the line is where they
    // differ.
    int w = 0, hgt = 0;
    const std::vector<uint32_t> with = h.capture(w, hgt);
    if (with.empty()) GTEST_SKIP() << "no off-screen OpenGL window";
    EXPECT_EQ(w, GetParam() ? 800 : 1024);
    const std::vector<uint32_t> without = h.capture(w, hgt, [&] {
        greeting->hintText->bHidden = 1;
        ZUB->rootContext->renderContext();
        greeting->hintText->bHidden = 0;
    });
    ASSERT_EQ(with.size(), without.size());
    int left = w, right = -1, top = hgt, bottom = -1;
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            if (picturetest::difference(with[i], without[i]) <= 40) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, left) << "the hint line is not drawn";
    // One line of small text under the middle of the screen.
    EXPECT_LT(bottom - top, hgt / 20);
    EXPECT_GT(top, hgt / 2 - hgt / 20);

    h.moveMouseToPixel(static_cast<float>(left + right) / 2.0f, static_cast<float>(top + bottom) / 2.0f);
    h.step();
    h.mouseButton(true);
    h.step();
    h.mouseButton(false);
    EXPECT_TRUE(h.stepUntil([&] { return h.topIs<ContextPlayers>(); }, 5))
        << "the hint line's pixels: (" << left << "," << top << ")-(" << right << "," << bottom << ")";
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainMenuGreeting, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Safe800" : "Full1024"; });

}  // namespace
