// The options menu and its simplest pages: the buttons in both language
// modes and the pages they open, the language change's restart, the
// gameplay toggles writing through to the configuration, and the help
// page's links to the generated manual and the on-line help.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Readme.h"
#include "engine/ZubMain.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuItemLink.h"
#include "gui/MenuItemToggle.h"
#include "menu/ContextControls.h"
#include "menu/ContextGameplay.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextHelp.h"
#include "menu/ContextNetworkWizard1.h"
#include "menu/ContextOptions.h"
#include "menu/ContextSound.h"
#include "options_support.h"
#include "records/ProfileManager.h"
#include "sys/FileManager.h"
#include "sys/HttpRequest.h"
#include "sys/OpenUrl.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

using optionstest::OptionsRig;

namespace {

TEST(OptionsMenu, EachButtonOpensItsPageAndTheLanguageButtonRestarts) {
    OptionsRig r;
    ContextOptions* options = r.openOptions();
    ASSERT_NE(options->languageItem, nullptr);
    ASSERT_NE(options->networkItem, nullptr);
    EXPECT_FLOAT_EQ(options->networkItem->position.y, -2.0f * static_cast<float>(options->itemSpacing));

    auto opens = [&](MenuButton* button, auto* kind) {
        using Page = std::remove_pointer_t<decltype(kind)>;
        Page* page = r.open<Page>(button);
        EXPECT_NE(page, nullptr);
        r.h.pressKey(input_codes::KEY_ESCAPE);  // back to the menu, which the stack deletes the page from
        r.h.step();
        EXPECT_EQ(r.h.top(), options);
        EXPECT_EQ(r.h.depth(), 1);
    };
    opens(options->gameplayItem, static_cast<ContextGameplay*>(nullptr));
    opens(options->controlsItem, static_cast<ContextControls*>(nullptr));
    opens(options->graphicsItem, static_cast<ContextGraphics*>(nullptr));
    opens(options->soundItem, static_cast<ContextSound*>(nullptr));
    opens(options->networkItem, static_cast<ContextNetworkWizard1*>(nullptr));
    opens(options->helpItem, static_cast<ContextHelp*>(nullptr));

    // Two clicks seen in one frame open both pages, the later one on top.
    options->soundItem->bClicked = 1;
    options->gameplayItem->bClicked = 1;
    r.h.step(2);
    ASSERT_EQ(r.h.depth(), 3);
    EXPECT_NE(dynamic_cast<ContextGameplay*>(options->nextSibling), nullptr);
    EXPECT_NE(r.h.topAs<ContextSound>(), nullptr);
    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.step();
    ASSERT_EQ(r.h.top(), options);

    // The language button opens nothing: it asks again at the next start.
    r.settings.setDefaultLanguage(1);
    r.h.click(options->languageItem);
    r.h.step();
    EXPECT_EQ(r.h.top(), options);
    EXPECT_EQ(r.settings.getDefaultLanguage(), -1);
    EXPECT_TRUE(restartRequested);
    restartRequested = false;

    // Single-language mode: no language button; help stays on the bottom line.
    r.settings.singleLanguage = 0;
    auto* single = r.openOptions();
    EXPECT_EQ(single->languageItem, nullptr);
    EXPECT_EQ(optionstest::itemsOf<MenuButton>(single).size(), 7u);  // six pages and Back
    EXPECT_EQ(single->helpItem->position.y, static_cast<float>(-single->layoutY));
    EXPECT_EQ(single->backButton->position.y, single->helpItem->position.y);
}

TEST(OptionsMenu, GameplayTogglesWriteTheConfigurationAndShowItWhenOpenedAgain) {
    OptionsRig r;
    GameConfiguration& cfg = *r.h.configuration;
    ContextOptions* options = r.openOptions();
    auto* page = r.open<ContextGameplay>(options->gameplayItem);
    ASSERT_NE(page, nullptr);
    std::vector<MenuItemToggle*> toggles = optionstest::itemsOf<MenuItemToggle>(page);
    ASSERT_EQ(toggles.size(), 4u);
    const uint8_t* bound[4] = {&cfg.showHints, &cfg.colourBlindMode, &cfg.showClock, &cfg.allowCheats};
    const uint8_t defaults[4] = {1, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(toggles[i]->value, bound[i]) << i;
        EXPECT_EQ(*bound[i], defaults[i]) << i;
        r.h.click(toggles[i]);
        EXPECT_EQ(*bound[i], 1 - defaults[i]) << i;
    }
    EXPECT_EQ(r.h.configurationPushes, 0);  // stored only

    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.step();
    page = r.open<ContextGameplay>(options->gameplayItem);
    ASSERT_NE(page, nullptr);
    toggles = optionstest::itemsOf<MenuItemToggle>(page);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(*toggles[i]->value, 1 - defaults[i]) << i;

    ASSERT_TRUE(cfg.save());
    GameConfiguration reloaded;
    EXPECT_EQ(reloaded.showHints, 0);
    EXPECT_EQ(reloaded.colourBlindMode, 1);
    EXPECT_EQ(reloaded.showClock, 0);
    EXPECT_EQ(reloaded.allowCheats, 1);
}

TEST(OptionsMenu, HelpLinksOpenTheGeneratedManualBesideTheProgramAndTheOnlineHelp) {
    OptionsRig r;
    // The program's folder holds the generated manual.
    const std::string folder = getUserDataFolder() + "program/";
    std::filesystem::create_directories(folder);
    const std::string page = contentgen::readmePage();
    std::ofstream(folder + contentgen::kReadmeFileName, std::ios::binary) << page;
    FileManager files;
    files.baseFolder = folder;

    // It tells the truth about the saved files.
    for (const std::string& name :
         {wideToNarrow(GameConfiguration::fileName()), wideToNarrow(ProfileManager::fileName()),
          Settings::userFileName(), std::string(kCompanyFolderName),
          std::string(kProductFolderName) + "/" + kVersionFolderName})
        EXPECT_NE(page.find(name), std::string::npos) << name;

    ContextOptions* options = r.openOptions();
    auto* help = r.open<ContextHelp>(options->helpItem);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->documentationItem->url, narrowToWide(folder + "readme.htm"));
    EXPECT_TRUE(isOpenableAddress(help->documentationItem->url));
    EXPECT_EQ(help->onlineHelpItem->url, u"http://www.velmorastudios.example/tumbro/onlinehelp.php");
    const WString savedHost = HttpRequest::webHost;
    HttpRequest::webHost = u"127.0.0.1:8080";
    EXPECT_EQ(ContextHelp::onlineHelpAddress(), u"http://127.0.0.1:8080/tumbro/onlinehelp.php");
    EXPECT_TRUE(isOpenableAddress(ContextHelp::onlineHelpAddress()));
    HttpRequest::webHost = savedHost;

    // The keys walk down from the manual to the on-line help, then to Back;
    // Back returns to the menu as it was.
    r.h.moveMouse(512, 700);
    r.h.step();
    const CursorTarget* expected[] = {help->documentationItem, help->onlineHelpItem, help->backButton};
    for (const CursorTarget* item : expected) {
        r.h.pressKey(input_codes::KEY_DOWN);
        r.h.step();
        EXPECT_EQ(r.h.mouse(), const_cast<CursorTarget*>(item)->cursorAnchor(0));
    }
    r.h.pressKey(input_codes::KEY_RETURN);
    r.h.step(3);
    EXPECT_EQ(r.h.top(), options);

    // Following the manual's link ends the game and leaves its path for the shell.
    help = r.open<ContextHelp>(options->helpItem);
    r.h.click(help->documentationItem);
    EXPECT_EQ(r.h.pendingUrl, narrowToWide(folder + "readme.htm"));
    EXPECT_TRUE(r.h.stack->bQuit);
}

}  // namespace
