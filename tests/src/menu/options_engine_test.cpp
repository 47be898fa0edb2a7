// The graphics and sound pages reach the engine through the configuration:
// the advanced page pushes everything when it closes (a new size only after
// a change of the video mode), the sliders and the mute switch are heard at
// once, the quality becomes the audio output's rate on close; and what the
// pages set survives a reload of the configuration from disk.
#include <gtest/gtest.h>

#include "audio/ZubAudio.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemSlider.h"
#include "gui/MenuItemToggle.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextOptions.h"
#include "menu/ContextSound.h"
#include "menu/ContextTouchscreen.h"
#include "options_support.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

using optionstest::OptionsRig;

namespace {

bool loggedRestart() {
    for (const WString& line : Logger::get().history())
        if (line.find(u"Restarting to apply configuration.") != WString::npos) return true;
    return false;
}

// Options -> Graphics, and the engine in step with the configuration, as
// after the program's start.
struct GraphicsRig : OptionsRig {
    ContextGraphics* graphics = nullptr;
    GraphicsRig() {
        ZubGraphics& g = *h.graphics;
        g.videoModes = {{800, 600}, {1024, 768}, {1280, 720}};
        g.width = 1024;
        g.height = 768;
        h.configuration->applyToEngine(-1, -1);
        graphics = open<ContextGraphics>(openOptions()->graphicsItem);
        Logger::get().clearHistory();
    }
    ContextAdvancedOptions* openAdvanced() { return open<ContextAdvancedOptions>(graphics->advancedItem); }
    void close() {
        h.pressKey(input_codes::KEY_ESCAPE);
        h.step();
    }
};

TEST(OptionsEngine, TheAdvancedPageAppliesItsSettingsWhenItCloses) {
    GraphicsRig r;
    ZubGraphics& g = *r.h.graphics;
    GameConfiguration& cfg = *r.h.configuration;
    ASSERT_NE(r.graphics, nullptr);
    const int restarts = g.restarts;

    // The current size is chosen; closing without a change restarts nothing.
    ContextAdvancedOptions* page = r.openAdvanced();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->videoModeIndex, 1);
    EXPECT_EQ(page->videoModeNames, (std::vector<WString>{u"800x600 (4:3)", u"1024x768 (4:3)", u"1280x720 (16:9)"}));
    r.close();
    EXPECT_EQ(r.h.top(), r.graphics);
    EXPECT_EQ(g.restarts, restarts);
    EXPECT_FALSE(loggedRestart());

    // Low detail on the graphics page reaches the text shadows with the next push.
    auto* detail = optionstest::firstItemOf<MenuItemChoice>(r.graphics);
    ASSERT_NE(detail, nullptr);
    r.h.click(detail, 0);
    EXPECT_EQ(cfg.detailLevel, 0);
    EXPECT_EQ(detail->choiceText(), r.h.language.getText(SID_ENUMDETAIL0));
    EXPECT_EQ(g.bTextShadow, 1);

    page = r.openAdvanced();
    std::vector<MenuItemToggle*> toggles = optionstest::itemsOf<MenuItemToggle>(page);
    ASSERT_EQ(toggles.size(), 5u);
    EXPECT_EQ(toggles[0], page->fullScreenItem);
    EXPECT_EQ(toggles[1], page->letterboxItem);
    // Full screen off greys letterbox out: it keeps its value and takes no press.
    r.h.click(page->fullScreenItem);
    EXPECT_EQ(cfg.fullScreen, 0);
    EXPECT_TRUE(page->letterboxItem->bDisabled);
    r.h.click(page->letterboxItem);
    EXPECT_EQ(cfg.allowLetterbox, 1);
    r.h.click(toggles[2]);  // vertical sync
    r.h.click(toggles[4]);  // the frame rate display, read from the record every frame
    EXPECT_EQ(cfg.showFrameRate, 1);
    // The frame-rate limit steps by 5 within 25..125.
    std::vector<MenuItemValue*> values = optionstest::itemsOf<MenuItemValue>(page);
    ASSERT_EQ(values.size(), 2u);  // the video mode, the frame-rate limit
    MenuItemValue* fps = values[1];
    EXPECT_EQ(fps->value, &cfg.frameRate);
    for (int i = 0; i < 6; ++i) r.h.click(fps, 1);
    EXPECT_EQ(cfg.frameRate, 125);
    for (int i = 0; i < 30; ++i) r.h.click(fps, 0);
    EXPECT_EQ(cfg.frameRate, 25);
    auto* modes = optionstest::firstItemOf<MenuItemChoice>(page);
    r.h.click(modes, 1);
    EXPECT_EQ(page->videoModeIndex, 2);
    // Nothing reached the engine before the page closes.
    EXPECT_EQ(g.restarts, restarts);
    EXPECT_EQ(g.bVSync, false);

    r.close();
    EXPECT_EQ(g.width, 1280);
    EXPECT_EQ(g.height, 720);
    EXPECT_FALSE(g.bFullScreen);
    EXPECT_TRUE(g.bVSync);
    EXPECT_EQ(g.bTextShadow, 0);
    EXPECT_EQ(g.restarts, restarts + 1);
    EXPECT_TRUE(loggedRestart());

    // Full screen again: letterbox takes presses again.
    page = r.openAdvanced();
    EXPECT_EQ(page->videoModeIndex, 2);
    r.h.click(page->fullScreenItem);
    r.h.step();
    EXPECT_FALSE(page->letterboxItem->bDisabled);
    r.h.click(page->letterboxItem);
    EXPECT_EQ(cfg.allowLetterbox, 0);
    r.close();
    EXPECT_TRUE(g.bFullScreen);
    EXPECT_FALSE(g.bLetterbox);

    // All of it is in the file.
    ASSERT_TRUE(cfg.save());
    GameConfiguration reloaded;
    EXPECT_EQ(reloaded.serialize(), cfg.serialize());
    EXPECT_EQ(reloaded.frameRate, 25);
    EXPECT_EQ(reloaded.useVSync, 1);
    EXPECT_EQ(reloaded.detailLevel, 0);
}

TEST(OptionsEngine, AnUnlistedOrMissingVideoModeKeepsTheWindowUntilOneIsChosen) {
    GraphicsRig r;
    ZubGraphics& g = *r.h.graphics;
    // A window of a size no mode has: the first mode shows, the size stays.
    g.width = 1000;
    g.height = 700;
    ContextAdvancedOptions* page = r.openAdvanced();
    EXPECT_EQ(page->videoModeIndex, 0);
    r.close();
    EXPECT_EQ(g.width, 1000);
    EXPECT_EQ(g.height, 700);
    // Stepping away and back to the first mode chooses it.
    page = r.openAdvanced();
    auto* modes = optionstest::firstItemOf<MenuItemChoice>(page);
    r.h.click(modes, 1);
    r.h.click(modes, 0);
    r.close();
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 600);

    // No modes at all: one entry for the current size, which closing keeps.
    g.videoModes.clear();
    page = r.openAdvanced();
    EXPECT_EQ(page->videoModeNames, (std::vector<WString>{u"800x600 (4:3)"}));
    modes = optionstest::firstItemOf<MenuItemChoice>(page);
    r.h.click(modes, 1);
    r.h.click(modes, 0);
    r.h.draw();
    EXPECT_EQ(page->videoModeIndex, 0);
    r.close();
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 600);

    // A right-to-left language swaps the two columns.
    r.h.language.bRightToLeft = 1;
    page = r.openAdvanced();
    std::vector<MenuItemToggle*> toggles = optionstest::itemsOf<MenuItemToggle>(page);
    EXPECT_EQ(page->fullScreenItem->position.x, 103.0f);
    EXPECT_EQ(page->letterboxItem->position.x, -103.0f);
    for (size_t i = 2; i < toggles.size(); ++i) EXPECT_EQ(toggles[i]->position.x, 103.0f) << i;
    EXPECT_EQ(page->fullScreenItem->captionLocation, 6);
}

TEST(OptionsEngine, SoundIsHeardAtOnceAndTheQualityTakesEffectFromTheNextStart) {
    OptionsRig r;
    GameConfiguration& cfg = *r.h.configuration;
    const int saved[3] = {ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_SAMPLE),
                          ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_STREAM),
                          ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_MUSIC)};
    auto volumes = [] {
        return std::vector<int>{ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_SAMPLE),
                                ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_STREAM),
                                ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_MUSIC)};
    };
    {
        ZubAudio audio(&r.settings);
        ContextOptions* options = r.openOptions();
        auto* page = r.open<ContextSound>(options->soundItem);
        ASSERT_NE(page, nullptr);
        auto* quality = optionstest::firstItemOf<MenuItemChoice>(page);
        std::vector<MenuItemSlider*> sliders = optionstest::itemsOf<MenuItemSlider>(page);
        std::vector<MenuItemToggle*> toggles = optionstest::itemsOf<MenuItemToggle>(page);
        ASSERT_TRUE(quality && sliders.size() == 2 && toggles.size() == 2);
        EXPECT_EQ(sliders[0]->value, &cfg.effectsVolume);
        EXPECT_EQ(sliders[1]->value, &cfg.musicVolume);
        EXPECT_EQ(toggles[0]->value, &cfg.inGameMusic);
        EXPECT_NE(zub_cast<MenuItemToggleApply>(toggles[1]), nullptr);

        // The quality is only stored now.
        r.h.click(quality, 1);
        EXPECT_EQ(cfg.sampleRateIndex, 2);
        EXPECT_EQ(quality->choiceText(), r.h.language.getText(SID_ENUMSOUNDQUALITY2));
        EXPECT_EQ(audio.frequency, 22050);

        // A slider is heard at once.
        r.h.click(sliders[0], 0);
        EXPECT_EQ(cfg.effectsVolume, 23);
        EXPECT_EQ(volumes(), (std::vector<int>{23 * 10000 / 24, 15 * 10000 / 24, 15 * 10000 / 24}));
        for (int i = 0; i < 16; ++i) r.h.click(sliders[1], 0);
        EXPECT_EQ(cfg.musicVolume, 0);
        EXPECT_EQ(volumes(), (std::vector<int>{23 * 10000 / 24, 0, 0}));
        // Muted, every volume is 0 at once; a slider still stores its value.
        const int pushes = r.h.configurationPushes;
        r.h.click(toggles[1]);
        EXPECT_EQ(cfg.muteAll, 1);
        EXPECT_EQ(r.h.configurationPushes, pushes + 1);
        EXPECT_EQ(volumes(), (std::vector<int>{0, 0, 0}));
        r.h.click(sliders[1], 1);
        EXPECT_EQ(cfg.musicVolume, 1);
        EXPECT_EQ(volumes(), (std::vector<int>{0, 0, 0}));
        r.h.click(toggles[1]);
        EXPECT_EQ(volumes(), (std::vector<int>{23 * 10000 / 24, 10000 / 24, 10000 / 24}));
        // The in-game music only stores its byte.
        r.h.click(toggles[0]);
        EXPECT_EQ(cfg.inGameMusic, 0);

        // Escape closes the page as Back does, and pushes once more.
        audio.frequency = 22050;
        r.h.pressKey(input_codes::KEY_ESCAPE);
        r.h.step();
        EXPECT_EQ(r.h.top(), options);
        EXPECT_EQ(audio.frequency, 44100);
    }
    // The audio service leaves the rate in the engine's settings.
    EXPECT_EQ(r.settings.getFrequency(), 44100);
    ASSERT_TRUE(cfg.save());
    GameConfiguration reloaded;
    EXPECT_EQ(reloaded.effectsVolume, 23);
    EXPECT_EQ(reloaded.musicVolume, 1);
    EXPECT_EQ(reloaded.sampleRateIndex, 2);
    EXPECT_EQ(reloaded.inGameMusic, 0);
    EXPECT_EQ(reloaded.muteAll, 0);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, saved[0]);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, saved[1]);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_MUSIC, saved[2]);
}

TEST(OptionsEngine, ValuesOutOfRangeAreBroughtInWhenThePagesAreBuiltAndDraw) {
    // What a damaged or foreign settings record could hold, had it passed the
    // file's own checks.
    OptionsRig r;
    GameConfiguration& cfg = *r.h.configuration;
    cfg.detailLevel = 9;
    cfg.frameRate = 1000;
    cfg.sampleRateIndex = -5;
    cfg.effectsVolume = 99;
    cfg.musicVolume = -3;
    cfg.touchControls = 7;
    cfg.controls[GameConfiguration::CONTROL_MAP].key = 9999;
    cfg.controls[GameConfiguration::CONTROL_USE].alternative = -1;
    r.h.graphics->videoModes.clear();
    for (Context* page :
         {static_cast<Context*>(new ContextGraphics), static_cast<Context*>(new ContextAdvancedOptions),
          static_cast<Context*>(new ContextSound), static_cast<Context*>(new ContextTouchscreen),
          static_cast<Context*>(new ContextControlBindings(0)), static_cast<Context*>(new ContextControlBindings(1))}) {
        r.h.push(page);
        r.h.step();
        r.h.draw();
    }
    EXPECT_EQ(cfg.detailLevel, 1);
    EXPECT_EQ(cfg.frameRate, 125);
    EXPECT_EQ(cfg.sampleRateIndex, 0);
    EXPECT_EQ(cfg.effectsVolume, 24);
    EXPECT_EQ(cfg.musicVolume, 0);
    EXPECT_EQ(cfg.touchControls, 1);
    EXPECT_EQ(cfg.controls[GameConfiguration::CONTROL_MAP].key, 0);
    EXPECT_EQ(cfg.controls[GameConfiguration::CONTROL_USE].alternative, 0);
}

}  // namespace
