// A level played to its end through the level manager: the scoring of a
// fixed attempt, the statistics rows (places, timing, counters, awards and
// the pitch of their sounds), the hint and the prompt, the closing and the
// outcome; the bonus level that runs out of time; no pause menu once won.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "FlowHarness.h"
#include "audio/Sound.h"
#include "audio/ZubAudio.h"
#include "flow/GameHud.h"
#include "flow/LevelStatsEffect.h"
#include "flow/MyRootObject.h"
#include "fx/ParticleGroup.h"
#include "gfx/Skin.h"
#include "object/ResourceManager.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

std::vector<LevelStatsEffect*> rowsOf(GameHud& hud) {
    std::vector<LevelStatsEffect*> rows;
    for (ZubBase* c : childrenOf(&hud))
        if (auto* row = dynamic_cast<LevelStatsEffect*>(c)) rows.push_back(row);
    return rows;
}

template <class T>
int childrenOfType(const ZubBase* o) {
    int n = 0;
    for (const ZubBase* c : childrenOf(o)) n += dynamic_cast<const T*>(c) ? 1 : 0;
    return n;
}

// The level's sounds on an output the test pulls. The bell and the vibe
// play 64 frames of full level at the output's rate, so that the frames
// one play lasts tell its pitch (64 / 1.0595^semitones); every other sound
// is silent.
class Listener {
public:
    explicit Listener(FlowHarness& h) {
        EXPECT_TRUE(audio.initPull(RATE));
        clockSource = &h.time;
        savedClock = ZubAudio::clock;
        ZubAudio::clock = [] { return *clockSource; };
        for (const char16_t* name : {u"bellSmall", u"vibe"}) {
            auto s = std::make_unique<Sound>(0, 4, std::vector<float>(64, 1.0f), 1, RATE);
            h.resources.addResource(name, s.get());
            tones[name] = std::move(s);
        }
    }
    ~Listener() { ZubAudio::clock = savedClock; }

    // After a frame: which tone started and the frames it sounded (0: none).
    struct Heard {
        const char16_t* tone = nullptr;
        int frames = 0;
    };
    Heard listen() {
        Heard heard;
        for (auto& [name, sound] : tones)
            if (sound->activePlaybacks() > 0) heard.tone = name;
        std::vector<float> out(2 * 4096);
        audio.pull(out.data(), 4096);
        for (int i = 0; i < 4096; ++i) heard.frames += std::fabs(out[2 * i]) > 1e-6f ? 1 : 0;
        return heard;
    }
    static int framesAt(int semitones) {
        return static_cast<int>(std::lround(64.0 / std::pow(Sound::kSemitone, semitones)));
    }

    static constexpr int RATE = 22050;
    ZubAudio audio;
    std::map<const char16_t*, std::unique_ptr<Sound>> tones;
    static inline const double* clockSource = nullptr;
    double (*savedClock)() = nullptr;
};

}  // namespace

TEST(LevelEnd, AWonLevelIsScoredAndItsRowsComeUpOneAfterAnotherToTheOutcome) {
    FlowHarness h;
    Listener listener(h);
    GameController& gc = h.play(h.houseLevel());
    GameHud& hud = *gc.contextHUD;
    MyRootObject& root = *h.server().gameRoot();
    h.putHero(gc, FlowHarness::AWAY);
    ASSERT_TRUE(h.holdUntil(gc, FlowHarness::AWAY, GameController::PLAYING, 600));

    // A second out, the apple counted in, then home: a perfect attempt.
    h.frameHolding(gc, FlowHarness::AWAY, 100);
    gc.currentResult.applesGathered = 1;
    ASSERT_TRUE(h.holdUntil(gc, FlowHarness::HOME, GameController::SCORING, 200));
    const LevelResult& r = gc.currentResult;
    EXPECT_EQ(r.livesLost, 0);
    EXPECT_NEAR(r.time, 1.0, 0.015);
    EXPECT_EQ(std::vector<int32_t>({r.timePoints, r.applePoints, r.bonusApplePoints, r.sweetPoints, r.secretPoints,
                                    r.livesPoints, r.score}),
              std::vector<int32_t>({100, 600, 0, 100, 100, 100, 1000}));
    EXPECT_EQ(r.frameRate, static_cast<int32_t>(gc.playFrameCount / r.time));
    EXPECT_GE(r.frameRate, 99);
    // Won: Escape opens no pause menu from now on.
    h.tap(input_codes::KEY_ESCAPE);
    EXPECT_EQ(root.contextOverlay, nullptr);

    // Six seconds on: seven rows, each with its place, count, pitch and
    // awards, made in one frame with the start of each after the rows
    // before it.
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::STATISTICS; }, 700));
    const double start = h.time - FlowHarness::DT;
    std::vector<LevelStatsEffect*> rows = rowsOf(hud);
    ASSERT_EQ(rows.size(), 7u);
    struct Expected {
        float y;
        int32_t value;
        uint32_t colour;
        bool star, trophy;
        double duration;
    };
    const Expected expected[7] = {{160, 600, 0xFFFF8000u, true, true, 2},   {125, 0, 0xFFFF0000u, false, false, 1},
                                  {90, 100, 0xFFFF00FFu, false, false, 1},  {55, 100, 0xFF0080FFu, false, false, 1},
                                  {20, 100, 0xFF00FFFFu, true, true, 2},    {-15, 100, 0xFF00FF00u, true, true, 2},
                                  {-120, 1000, 0xFFFFFFFFu, true, false, 2}};
    double delay = 0.0;
    std::vector<double> delays;
    for (size_t i = 0; i < rows.size(); ++i) {
        const LevelStatsEffect& row = *rows[i];
        const Expected& e = expected[i];
        EXPECT_EQ(row.targetPosition, V3(0.0f, e.y, 0.0f)) << i;
        EXPECT_EQ(row.targetValue, e.value) << i;
        EXPECT_EQ(row.semitones, static_cast<int32_t>(i) - 2) << i;
        EXPECT_EQ(row.bStar != 0, e.star) << i;
        EXPECT_EQ(row.bTrophy != 0, e.trophy) << i;
        EXPECT_EQ(row.bTotal != 0, i == 6) << i;
        EXPECT_EQ(row.duration, e.duration) << i;
        if (row.pStar) {
            EXPECT_EQ(row.pStar->color, e.colour) << i;
        }
        delays.push_back(delay);
        delay += row.duration;
    }
    EXPECT_EQ(rows[0]->pLabel->text, u"Apples");
    EXPECT_EQ(rows[0]->pValue->text, u"1/1");
    EXPECT_EQ(rows[5]->pValue->text, u"00:01/01:00");
    EXPECT_TRUE(rows[6]->pValue->text.empty());

    // The hint and the prompt come after the rows: 2 and 5 seconds on.
    const FadingText* prompt = nullptr;
    const FadingText* hint = nullptr;
    for (const FadingText* t : childrenOf<FadingText>(&hud)) {
        if (t->text == u"Press Space to continue") prompt = t;
        if (t->text == gameLanguage().getText(SID_HINTENDLEVEL0)) hint = t;
    }
    ASSERT_TRUE(prompt && hint);
    EXPECT_NEAR(prompt->delay, delay + 5.0 - FlowHarness::DT, 1e-9);
    EXPECT_NEAR(hint->delay, delay + 2.0 - FlowHarness::DT, 1e-9);
    EXPECT_EQ(hint->position, V3(0.0f, 50.0f - 384.0f, 0.0f));
    EXPECT_EQ(prompt->position, V3(0.0f, 20.0f - 384.0f, 0.0f));

    // Frame by frame: when each row enters each state, what sounds, and
    // the awards while they show.
    std::vector<std::map<int, double>> entered(rows.size());
    std::vector<std::pair<const char16_t*, int>> heard;
    std::vector<double> heardAt;
    bool awardsSideBySide = false, bannerShown = false;
    // How large each award is drawn, frame to frame: it shrinks as it
    // settles and keeps its size when it takes its small picture.
    std::map<const Renderable*, float> drawnWidth;
    float largestJump = 0.0f;
    auto watchSizes = [&] {
        for (const LevelStatsEffect* row : rows) {
            const Renderable* awards[2] = {row->pStar, row->pTrophy};
            for (const Renderable* award : awards) {
                if (!award || award->parent != row || !award->pSkin) continue;
                const float width = award->pSkin->width * award->scale.x;
                if (drawnWidth.count(award)) largestJump = std::max(largestJump, std::fabs(width - drawnWidth[award]));
                drawnWidth[award] = width;
            }
        }
    };
    auto watch = [&] {
        watchSizes();
        for (size_t i = 0; i < rows.size(); ++i)
            if (!entered[i].count(rows[i]->state)) entered[i][rows[i]->state] = h.time - FlowHarness::DT;
        const LevelStatsEffect& apples = *rows[0];
        if (apples.state == LevelStatsEffect::AWARDS) {
            awardsSideBySide = apples.pStar->position == V3(-100.0f, -150.0f, 0.0f) &&
                               apples.pTrophy->position == V3(100.0f, -150.0f, 0.0f);
            for (const FadingText* t : childrenOf<FadingText>(&apples)) bannerShown |= t->text == u"PERFECT!";
        }
        const Listener::Heard sound = listener.listen();
        if (sound.tone) {
            heard.push_back({sound.tone, sound.frames});
            heardAt.push_back(h.time - FlowHarness::DT);
        }
    };
    watch();
    while (h.time < start + delay + 4.97) {
        h.frame();
        watch();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(entered[i][LevelStatsEffect::FADING_IN], start + delays[i], 0.015) << i;
        EXPECT_NEAR(entered[i][LevelStatsEffect::COUNTING], start + delays[i] + 0.5, 0.025) << i;
        EXPECT_NEAR(entered[i][LevelStatsEffect::SETTLING], start + delays[i] + rows[i]->duration, 0.035) << i;
    }
    EXPECT_TRUE(awardsSideBySide);
    EXPECT_TRUE(bannerShown);
    EXPECT_EQ(drawnWidth.size(), 7u);  // four stars and three trophies
    EXPECT_LT(largestJump, 3.0f) << "an award jumps in size";
    // A bell for each row that counts (not the bonus apples), a vibe with
    // each award, each at the row's pitch.
    std::vector<std::pair<const char16_t*, int>> wanted;
    for (int i : {0, 2, 3, 4, 5, 6}) {
        wanted.push_back({u"bellSmall", i - 2});
        if (expected[i].star || expected[i].trophy) wanted.push_back({u"vibe", i - 2});
    }
    ASSERT_EQ(heard.size(), wanted.size());
    for (size_t k = 0; k < heard.size(); ++k) {
        EXPECT_EQ(WString(heard[k].first), WString(wanted[k].first)) << k;
        EXPECT_NEAR(heard[k].second, Listener::framesAt(wanted[k].second), 1) << k;
    }

    // Settled: the texts in the row's place at half size (the total's at
    // full size), the awards beside them in their small pictures; the bonus
    // apples' counter stayed empty.
    for (size_t i = 0; i < rows.size(); ++i) {
        const LevelStatsEffect& row = *rows[i];
        const float y = expected[i].y;
        EXPECT_EQ(row.pLabel->position, V3(-280.0f, y, 0.0f)) << i;
        EXPECT_EQ(row.pValue->position, V3(50.0f, y, 0.0f)) << i;
        EXPECT_EQ(row.pCounter->position, V3(200.0f, y, 0.0f)) << i;
        EXPECT_EQ(row.pLabel->scale.x, i == 6 ? 1.0f : 0.5f) << i;
        const WString small = i == 6 ? u":1" : u":2";
        if (row.pStar) {
            EXPECT_EQ(row.pStar->position, V3(250.0f, y, 0.0f)) << i;
            EXPECT_EQ(row.pStar->pSkin, h.resources.findAs<Skin>(u"statsStar" + small)) << i;
            EXPECT_EQ(row.pStar->scale.x, 1.0f) << i;
        }
        if (row.pTrophy) {
            EXPECT_EQ(row.pTrophy->position, V3(280.0f, y, 0.0f)) << i;
        }
        EXPECT_EQ(childrenOfType<ParticleGroup>(&row), 0) << i;  // detail low: no bursts
        EXPECT_EQ(childrenOfType<FadingText>(&row), 3) << i;     // the banners went
    }
    EXPECT_EQ(rows[0]->pCounter->text, u"+60.0%");
    EXPECT_EQ(rows[1]->pCounter->text, u"");
    EXPECT_EQ(rows[6]->pCounter->text, u"100.0%");
    EXPECT_FALSE(prompt->isShowing());
    h.frame(6);
    EXPECT_TRUE(prompt->isShowing());

    // Still no pause menu; the jump key closes, and a second later the
    // level manager has the outcome 5.
    h.tap(input_codes::KEY_ESCAPE);
    EXPECT_EQ(root.contextOverlay, nullptr);
    h.tap(input_codes::KEY_SPACE);
    EXPECT_EQ(gc.state, GameController::CLOSING);
    ASSERT_TRUE(h.frameUntil([&] { return h.manager->done != 0; }, 150));
    EXPECT_EQ(gc.state, GameController::DONE);
    EXPECT_EQ(h.manager->outcome(), GameController::OUTCOME_COMPLETE);
}

TEST(LevelEnd, ABonusLevelOutOfTimeListsThreeRowsWithBurstsAndCanBeSkippedAtOnce) {
    FlowHarness h(1);
    GameController* gc = &h.play(h.houseLevel(true, 0.5));
    auto run = [&](int state) {
        h.putHero(*gc, FlowHarness::AWAY);
        return h.holdUntil(*gc, FlowHarness::AWAY, state, 2000);
    };
    ASSERT_TRUE(run(GameController::SCORING));
    EXPECT_EQ(gc->bonusTimeLeft, 0.0f);
    EXPECT_EQ(gc->contextHUD->message1.countChildren(),
              static_cast<int>(WString(gameLanguage().getText(SID_OUTOFTIME)).size()));
    ASSERT_TRUE(run(GameController::STATISTICS));
    std::vector<LevelStatsEffect*> rows = rowsOf(*gc->contextHUD);
    ASSERT_EQ(rows.size(), 3u);
    const float ys[3] = {100, 65, -40};
    const int32_t pitches[3] = {0, 3, 4};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i]->targetPosition.y, ys[i]) << i;
        EXPECT_EQ(rows[i]->semitones, pitches[i]) << i;
    }
    EXPECT_EQ(rows[0]->pLabel->text, u"Sweets");
    EXPECT_EQ(rows[2]->targetValue, 1000);
    // The total's star bursts in its colour at high detail.
    ASSERT_TRUE(rows[2]->bStar);
    ASSERT_TRUE(h.frameUntil([&] { return rows[2]->state == LevelStatsEffect::AWARDS; }, 600));
    EXPECT_EQ(childrenOfType<ParticleGroup>(rows[2]), 1);

    // Skipped in the first frame of the statistics: a press closes, and the
    // total, which never came up, goes with the level, all of it.
    h.manager.reset();
    const int live = ZubBase::liveCount();
    gc = &h.play(h.houseLevel(true, 0.5));
    ASSERT_TRUE(run(GameController::STATISTICS));
    rows = rowsOf(*gc->contextHUD);
    ASSERT_EQ(rows.size(), 3u);
    h.mouseDown = true;
    h.frame();
    h.mouseDown = false;
    EXPECT_EQ(gc->state, GameController::CLOSING);
    ASSERT_TRUE(h.frameUntil([&] { return h.manager->done != 0; }, 150));
    EXPECT_EQ(h.manager->outcome(), GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(rows[2]->state, LevelStatsEffect::WAITING);
    h.manager.reset();
    EXPECT_EQ(ZubBase::liveCount(), live);
}
