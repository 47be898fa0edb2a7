// A level played through the level manager, frame by frame: the opening,
// play, the goal (home with the apples in, a second's wait), the scoring
// merged into the profile and the high-score table, the statistics and the
// outcome; bonus levels; the overlays that freeze the level; the explored map.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "FlowHarness.h"
#include "audio/OggEncoder.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "lang/Language.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

const V3 kHouse = FlowHarness::HOUSE;

std::vector<StatsRowLayout> rows;
ZubBase* recordRow(const StatsRowLayout& layout, double* duration) {
    rows.push_back(layout);
    *duration = 1.0;
    return nullptr;
}

int registeredOverlays(GameServer& server) {
    int n = 0;
    for (const auto& e : server.objectMap) n += zub_cast<Overlay>(e.second) ? 1 : 0;
    return n;
}

int letters(const WString& text) { return static_cast<int>(text.size()); }

}  // namespace

TEST(Play, FromTheOpeningThroughTheGoalToTheOutcome) {
    FlowHarness h;
    rows.clear();
    GameController::statsRowMaker = recordRow;
    GameController& gc = h.play(h.houseLevel());
    GameHud& hud = *gc.contextHUD;
    const Language& language = gameLanguage();

    // Opening: 1 s of the cut to the hero, 4 s of the level's title, "GO!".
    EXPECT_EQ(gc.state, GameController::OPENING);
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::TITLE; }, 200));
    EXPECT_NEAR(h.time, 1.0, 0.015);
    EXPECT_EQ(hud.message2.countChildren(), letters(u"Level 1"));
    EXPECT_EQ(hud.message1.countChildren(), letters(language.getText(SID_LEVELTITLE0)));
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 500));
    EXPECT_NEAR(h.time, 5.0, 0.015);
    EXPECT_EQ(hud.message1.countChildren(), letters(language.getText(SID_GO)));

    // Time counts while the hero is out; home without the apple she waits.
    h.frame(10);
    EXPECT_TRUE(gc.playFrameCount == 10 && std::fabs(gc.currentResult.time - 0.1) < 1e-9);
    for (int i = 0; i < 150; ++i) {
        h.putHero(gc, kHouse);
        h.frame();
    }
    EXPECT_EQ(gc.state, GameController::PLAYING);
    EXPECT_LE(gc.playFrameCount, 12);

    // With the apple in she must stay a second: leaving sooner sends the
    // game back to play.
    gc.currentResult.applesGathered = 1;
    bool pending = false;
    for (int i = 0; i < 150; ++i) {
        h.putHero(gc, i < 50 ? kHouse : V3(0.0f, 0.0f, 0.0f));
        h.frame();
        pending |= gc.stateGoto == GameController::END_CHECK;
        ASSERT_NE(gc.state, GameController::SCORING);
    }
    EXPECT_TRUE(pending);
    EXPECT_EQ(gc.state, GameController::PLAYING);
    EXPECT_EQ(gc.stateGoto, GameController::PLAYING);

    // Home a whole second: scored, merged, filed as a sealed high score.
    const int32_t played = gc.playFrameCount;
    int waited = 0;
    ASSERT_TRUE(h.frameUntil(
        [&] {
            h.putHero(gc, kHouse);
            ++waited;
            return gc.state == GameController::SCORING;
        },
        200));
    EXPECT_NEAR(waited, 101, 2);
    EXPECT_LE(gc.playFrameCount, played + 1);
    const LevelResult& r = gc.currentResult;
    EXPECT_GT(r.score, 0);
    EXPECT_EQ(r.frameRate, static_cast<int32_t>(played / r.time));
    const ProfileData& profile = h.services.profileManager->currentProfile();
    EXPECT_EQ(profile.levels[0].score, r.score);
    const HIGHSCOREENTRY& entry = h.services.config->highScores[0];
    EXPECT_STREQ(entry.name, "Tester");
    EXPECT_EQ(entry.score, r.score);
    uint8_t seal[16];
    GameConfiguration::computeSeal(entry, seal);
    EXPECT_EQ(std::memcmp(seal, entry.seal, 16), 0);
    EXPECT_EQ(hud.message1.countChildren(), letters(language.getText(SID_LEVELCOMPLETE)));

    // Six seconds on, the statistics: seven rows, the total set apart, each
    // row after the ones before it.
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::STATISTICS; }, 700));
    ASSERT_EQ(rows.size(), 7u);
    const float ys[7] = {160, 125, 90, 55, 20, -15, -120};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].position.y, ys[i]) << i;
        EXPECT_EQ(rows[i].delay, static_cast<double>(i)) << i;
        EXPECT_EQ(rows[i].last, i == 6) << i;
    }
    EXPECT_EQ(rows[0].value, u"1/1");
    EXPECT_EQ(rows[6].points, r.score);

    // Fire skips the statistics at once; a second later the level is over.
    h.tap(input_codes::KEY_SPACE);
    EXPECT_EQ(gc.state, GameController::CLOSING);
    EXPECT_EQ(h.services.transitions.back(), std::make_pair(-1.0f, 1.0f));
    ASSERT_TRUE(h.frameUntil([&] { return h.manager->done != 0; }, 150));
    EXPECT_EQ(h.manager->outcome(), GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(gc.state, GameController::DONE);
}

// The level's music starts with "GO!" when the in-game music is on, and
// not when it is off; whatever the outcome, the level's end stops the music
// that plays and lets it go, in the frame the outcome is set.
TEST(Play, TheLevelsMusicStartsWithGoUnlessSwitchedOffAndEveryOutcomeStopsIt) {
    ZubAudio audio;  // no device: the mixer runs when pulled
    ASSERT_TRUE(audio.initPull(22050));
    std::vector<float> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.3f * std::sin(static_cast<float>(i) * 0.05f);
    std::vector<uint8_t> ogg;
    ASSERT_TRUE(audio::encodeOggVorbis(tone.data(), static_cast<int64_t>(tone.size()), 1, 22050, 0.3f, ogg));
    for (int32_t outcome : {GameController::OUTCOME_COMPLETE, int32_t{1}, int32_t{6}}) {
        for (bool musicOn : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "outcome " << outcome << (musicOn ? ", music on" : ", music off"));
            SoundStream levelMusic(1, ogg), before(1, ogg);
            FlowHarness h;
            h.resources.addResource(ProfileData::levelNumberToMusic(0), &levelMusic);
            h.services.config->inGameMusic = musicOn ? 1 : 0;
            const std::vector<uint8_t> level = h.houseLevel();  // (made by a controller that goes)
            audio.setMusic(&before);                            // what played until the level
            GameController& gc = h.play(level);
            // Not before "GO!".
            ASSERT_TRUE(h.playUntil(gc, GameController::TITLE, 200));
            h.frame(100);
            EXPECT_EQ(audio.getMusic(), &before);
            EXPECT_FALSE(levelMusic.isPlaying());
            ASSERT_TRUE(h.playUntil(gc, GameController::PLAYING, 500));
            if (musicOn) {
                EXPECT_EQ(audio.getMusic(), &levelMusic);
                EXPECT_TRUE(levelMusic.isPlaying());
                EXPECT_FALSE(before.isPlaying());
            } else {
                EXPECT_EQ(audio.getMusic(), &before);
                EXPECT_FALSE(levelMusic.isPlaying());
            }
            SoundStream* playing = audio.getMusic();
            ASSERT_TRUE(playing && playing->isPlaying());
            h.frame(20);
            h.server().outcome = outcome;
            h.frame();
            EXPECT_TRUE(h.manager->done);
            EXPECT_EQ(audio.getMusic(), nullptr);
            EXPECT_FALSE(playing->isPlaying());
            h.manager.reset();
            audio.setMusic(nullptr);
        }
    }
}

TEST(Play, BonusLevelsRunOutOfTimeOrEndWithoutTheWait) {
    FlowHarness h;
    rows.clear();
    GameController::statsRowMaker = recordRow;
    // Away from home the countdown runs out: time's up.
    GameController* gc = &h.play(h.houseLevel(true, 0.5));
    ASSERT_TRUE(h.frameUntil([&] { return gc->state == GameController::PLAYING; }, 600));
    ASSERT_TRUE(h.frameUntil([&] { return gc->state == GameController::SCORING; }, 100));
    EXPECT_EQ(gc->bonusTimeLeft, 0.0f);
    EXPECT_EQ(gc->contextHUD->message1.countChildren(), letters(gameLanguage().getText(SID_OUTOFTIME)));
    ASSERT_TRUE(h.frameUntil([&] { return gc->state == GameController::STATISTICS; }, 700));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].position.y, 100.0f);
    EXPECT_EQ(rows[1].position.y, 65.0f);
    EXPECT_EQ(rows[2].position.y, -40.0f);

    // Home from the start: complete in the first frame of play, with no
    // play time and so no frame rate.
    gc = &h.play(h.houseLevel(true, 30.0));
    ASSERT_TRUE(h.holdUntil(*gc, kHouse, GameController::PLAYING, 600));
    h.frame();
    EXPECT_EQ(gc->state, GameController::SCORING);
    EXPECT_EQ(gc->currentResult.time, 0.0);
    EXPECT_EQ(gc->currentResult.frameRate, 0);
    EXPECT_EQ(gc->contextHUD->message1.countChildren(), letters(gameLanguage().getText(SID_LEVELCOMPLETE)));
}

TEST(Play, OverlaysFreezeTheLevelAndOpenOneAtATime) {
    FlowHarness h;
    h.openPlainOverlays();
    GameController& gc = h.play(h.houseLevel());
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
    MyRootObject& root = *h.server().gameRoot();

    // Escape opens one pause menu; the level stands still behind it, and
    // a press within its first tenth of a second does not close it.
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_NE(root.contextOverlay, nullptr);
    EXPECT_EQ(registeredOverlays(h.server()), 1);
    const int32_t frozen = gc.playFrameCount;
    const double frozenState = gc.timeInState;
    h.frame();
    h.tap(input_codes::KEY_ESCAPE);
    h.frame(20);
    EXPECT_NE(root.contextOverlay, nullptr);
    EXPECT_EQ(gc.playFrameCount, frozen);
    EXPECT_EQ(gc.timeInState, frozenState);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));
    EXPECT_EQ(registeredOverlays(h.server()), 0);
    h.frame(2);
    EXPECT_GT(gc.playFrameCount, frozen);

    // The statistics and the map asked for in one frame: one overlay.
    const GameConfiguration& cfg = *h.services.config;
    h.press(cfg.controls[GameConfiguration::CONTROL_STATS].key);
    h.press(cfg.controls[GameConfiguration::CONTROL_MAP].key);
    h.frame();
    h.release(cfg.controls[GameConfiguration::CONTROL_STATS].key);
    h.release(cfg.controls[GameConfiguration::CONTROL_MAP].key);
    EXPECT_EQ(registeredOverlays(h.server()), 1);
    // A new overlay closes the open one.
    THEROLE = &h.server();
    auto* next = new Overlay;
    h.server().registerObject(next);
    root.setContextOverlay(next);
    THEROLE = nullptr;
    EXPECT_EQ(root.contextOverlay, next);
    EXPECT_EQ(registeredOverlays(h.server()), 1);
    h.frame(15);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));

    // Once the level is won, no pause menu.
    gc.state = gc.stateGoto = GameController::STATISTICS;
    h.tap(input_codes::KEY_ESCAPE);
    h.frame();
    EXPECT_EQ(root.contextOverlay, nullptr);
}

TEST(Play, TheExploredMapIsTheEllipseInView) {
    FlowHarness h;
    GameController& gc = h.play(h.writeLevel());
    auto seen = [&](int r, int c) { return gc.exploredMap[r][c] != 0; };
    auto total = [&] {
        int n = 0;
        for (const auto& row : gc.exploredMap)
            for (uint8_t b : row) n += b;
        return n;
    };
    EXPECT_EQ(total(), 0);
    // A view of the whole area: the ellipse never reaches the last two
    // columns nor the last row.
    Camera* camera = gc.getGameCamera();
    camera->eye = V3(0.0f, 3840.0f, -6000.0f);
    gc.updateExploredMap();
    EXPECT_TRUE(seen(95, 0) && seen(95, 252) && seen(10, 127));
    for (int r = 0; r < GameController::MINIMAP_HEIGHT; ++r) EXPECT_FALSE(seen(r, 254) || seen(r, 255)) << r;
    for (int c = 0; c < GameController::MINIMAP_WIDTH; ++c) EXPECT_FALSE(seen(191, c)) << c;
    const int whole = total();
    // A view outside the area, and an area that is not a number: nothing.
    std::memset(gc.exploredMap, 0, sizeof gc.exploredMap);
    camera->eye = V3(100000.0f, -50000.0f, -500.0f);
    gc.updateExploredMap();
    gc.playingArea.left = std::nanf("");
    gc.updateExploredMap();
    EXPECT_EQ(total(), 0);
    EXPECT_GT(whole, 30000);
}
