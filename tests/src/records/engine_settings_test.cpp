// The configuration and the text helpers against a running engine: the frame
// timer, the audio service and the engine's language.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "audio/ZubAudio.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "records/EngineSettingsTarget.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileData.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"

namespace {

struct EngineRig : ::testing::Test {
    void SetUp() override {
        char pattern[] = "/tmp/tumbro-app-engine-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        setUserDataFolderOverride(folder);
        ErrorManager::bTestMode = true;
        std::string err;
        backend.openWindow(platform::WindowSettings{}, err);
        hooks.createLanguage = [](Zub&) { return new Language; };
        hooks.destroyLanguage = [](Language* l) { delete l; };
        engine = std::make_unique<Zub>(backend, hooks);
        savedVolumes[0] = ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_SAMPLE);
        savedVolumes[1] = ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_STREAM);
        savedVolumes[2] = ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_MUSIC);
    }
    void TearDown() override {
        ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, savedVolumes[0]);
        ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, savedVolumes[1]);
        ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_MUSIC, savedVolumes[2]);
        engine.reset();
        setUserDataFolderOverride("");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string folder;
    platform::NullBackend backend;
    ApplicationHooks hooks;
    std::unique_ptr<Zub> engine;
    int savedVolumes[3] = {};
};

}  // namespace

TEST_F(EngineRig, ApplyToEngineSetsTheTimerAndTheAudioService) {
    ASSERT_EQ(ZUB, engine.get());
    GameConfiguration c;
    c.frameRate = 40;
    c.sampleRateIndex = 2;
    c.effectsVolume = 12;
    c.musicVolume = 6;
    engine->timer.lastFrameTime = -5.0;
    engine->timer.nextFrameTime = -4.0;
    c.applyToEngine(-1, -1);
    EXPECT_DOUBLE_EQ(engine->timer.period, 0.025);
    EXPECT_EQ(engine->timer.lastFrameTime, engine->timer.nextFrameTime);
    EXPECT_GE(engine->timer.lastFrameTime, 0.0);
    ASSERT_NE(engine->audio, nullptr);
    EXPECT_EQ(engine->audio->frequency, 44100);
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_SAMPLE), 5000);
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_MUSIC), 2500);
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_STREAM), 2500);
    c.detailLevel = 0;
    c.muteAll = 1;
    c.applyToEngine(-1, -1);
    if (engine->graphics) {
        EXPECT_EQ(engine->graphics->bDetail, 0);
        EXPECT_EQ(engine->graphics->bTextShadow, 0);
    }
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_SAMPLE), 0);
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_STREAM), 0);
}

TEST_F(EngineRig, TextsFollowTheEnginesLanguage) {
    ASSERT_NE(engine->language, nullptr);
    engine->language->setLanguage(Language::GERMAN);
    EXPECT_EQ(formatNumberGrouped(1234567), u"1 234 567");
    EXPECT_EQ(formatPercentTenths(1000), u"100,0%");
    EXPECT_EQ(ProfileData::levelNumberToTitle(5), WString(engine->language->getText(SID_LEVELTITLE0 + 5)));
    engine->language->setLanguage(Language::ENGLISH);
    EXPECT_EQ(formatNumberGrouped(1234567), u"1,234,567");
    EXPECT_EQ(formatPercentTenths(857), u"85.7%");
}

TEST(EngineSettings, DisplaySettingsReachTheGraphicsObject) {
    ZubGraphics graphics;
    graphics.bVSync = true;
    ZubEngineSettings engine;
    engine.changePresentation(-1, -1, true, false, false, false);
    EXPECT_TRUE(graphics.bFullScreen);
    EXPECT_FALSE(graphics.bVSync);
    EXPECT_EQ(graphics.width, 1024);  // a negative size keeps the current one
    engine.changePresentation(800, 600, true, false, false, false);
    EXPECT_EQ(graphics.height, 600);
    engine.setDetail(false);
    EXPECT_EQ(graphics.bTextShadow, 0);
}
