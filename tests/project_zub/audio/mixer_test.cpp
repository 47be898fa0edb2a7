// The mixer on its own, rendered into buffers by the test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "audio/AudioMixer.h"
#include "audio_test_support.h"

using audio::Mixer;
using audio::SampleData;
using audio::VoiceStart;

namespace {

constexpr int kRate = 44100;

std::unique_ptr<SampleData> makeSample(std::vector<float> frames, int channels = 1, int rate = kRate) {
    auto s = std::make_unique<SampleData>();
    s->samples = std::move(frames);
    s->channels = channels;
    s->rate = rate;
    return s;
}

std::vector<float> render(Mixer& m, int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2, -99.0f);
    m.render(out.data(), frames);
    return out;
}

VoiceStart startOf(const SampleData* s, bool loop = true) {
    VoiceStart v;
    v.sample = s;
    v.loop = loop;
    return v;
}

class MixerTest : public ::testing::Test {
protected:
    MixerTest() : mixer(kRate) { mixer.setMode(Mixer::Mode::Pull); }
    Mixer mixer;
};

}  // namespace

TEST_F(MixerTest, LoopingSampleRepeatsWithoutAGapAndAOneShotEndsAtItsLastFrame) {
    EXPECT_EQ(audiotest::peak(render(mixer, 256)), 0.0f);  // silence without voices
    auto s = makeSample(audiotest::ramp(100));
    const uint32_t looped = mixer.claim(startOf(s.get()), this);
    auto out = render(mixer, 1000);
    for (size_t k = 0; k < 1000; ++k) {
        ASSERT_EQ(audiotest::left(out, k), s->samples[k % 100]) << k;
        ASSERT_EQ(audiotest::right(out, k), s->samples[k % 100]) << k;
    }
    mixer.stop(looped);
    auto once = makeSample(audiotest::level(0.5f, 300));
    const uint32_t h = mixer.claim(startOf(once.get(), false), this);
    render(mixer, 299);
    EXPECT_TRUE(mixer.isPlaying(h));
    out = render(mixer, 10);
    EXPECT_EQ(audiotest::left(out, 0), 0.5f);
    EXPECT_EQ(audiotest::left(out, 1), 0.0f);
    EXPECT_FALSE(mixer.isAlive(h));
    EXPECT_EQ(mixer.claimedVoices(), 0);
}

TEST_F(MixerTest, PanLawKeepsTheNearSideAndFadesTheFarSide) {
    auto s = makeSample(audiotest::level(0.5f, 64));
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    struct Case {
        float pan, l, r;
    } cases[] = {{-1.0f, 0.5f, 0.0f}, {-0.5f, 0.5f, 0.25f}, {0.0f, 0.5f, 0.5f},
                 {0.5f, 0.25f, 0.5f}, {1.0f, 0.0f, 0.5f},   {3.0f, 0.0f, 0.5f}};
    for (const Case& c : cases) {
        ASSERT_TRUE(mixer.setPan(h, c.pan));
        auto out = render(mixer, 16);
        EXPECT_FLOAT_EQ(audiotest::left(out, 8), c.l) << c.pan;
        EXPECT_FLOAT_EQ(audiotest::right(out, 8), c.r) << c.pan;
    }
}

TEST_F(MixerTest, StereoSampleKeepsItsChannelsAndPansThem) {
    std::vector<float> frames;
    for (int i = 0; i < 64; ++i) frames.insert(frames.end(), {0.25f, -0.5f});
    auto s = makeSample(frames, 2);
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    auto out = render(mixer, 8);
    EXPECT_FLOAT_EQ(audiotest::left(out, 4), 0.25f);
    EXPECT_FLOAT_EQ(audiotest::right(out, 4), -0.5f);
    mixer.setPan(h, 0.5f);
    out = render(mixer, 8);
    EXPECT_FLOAT_EQ(audiotest::left(out, 4), 0.125f);
    EXPECT_FLOAT_EQ(audiotest::right(out, 4), -0.5f);
}

TEST_F(MixerTest, VolumeSlideReachesItsTargetOnTimeAndASlideToZeroEndsTheVoice) {
    auto s = makeSample(audiotest::level(1.0f, 1000));
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    ASSERT_TRUE(mixer.setVolume(h, 0.5f, 0.01));  // 441 frames
    auto out = render(mixer, 441);
    EXPECT_FLOAT_EQ(audiotest::left(out, 0), 1.0f);
    EXPECT_NEAR(audiotest::left(out, 220), 1.0f - 0.5f * 220 / 441, 1e-4);
    EXPECT_GT(audiotest::left(out, 440), 0.5f);
    out = render(mixer, 10);
    EXPECT_FLOAT_EQ(audiotest::left(out, 0), 0.5f);
    EXPECT_FLOAT_EQ(audiotest::left(out, 9), 0.5f);

    // Volume 0 at once keeps the voice; a slide to 0 ends it when it is over.
    mixer.setVolume(h, 0.0f);
    EXPECT_EQ(audiotest::peak(render(mixer, 1000)), 0.0f);
    EXPECT_TRUE(mixer.isPlaying(h));
    mixer.setVolume(h, 1.0f);
    ASSERT_TRUE(mixer.setVolume(h, 0.0f, 0.1));  // 4410 frames
    out = render(mixer, 4409);
    EXPECT_TRUE(mixer.isPlaying(h));
    EXPECT_GT(audiotest::left(out, 4408), 0.0f);
    EXPECT_LT(audiotest::left(out, 4408), 0.001f);
    render(mixer, 1);
    EXPECT_FALSE(mixer.isAlive(h));
    EXPECT_EQ(audiotest::peak(render(mixer, 64)), 0.0f);
}

TEST_F(MixerTest, PanAndFrequencySlidesEndOnTime) {
    auto s = makeSample(audiotest::level(0.5f, 64));
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    mixer.setPan(h, -1.0f, 0.05);  // 2205 frames
    auto out = render(mixer, 2205);
    EXPECT_GT(audiotest::right(out, 2204), 0.0f);
    out = render(mixer, 4);
    EXPECT_EQ(audiotest::right(out, 0), 0.0f);
    EXPECT_EQ(audiotest::left(out, 0), 0.5f);

    // A frequency slide from 1 to 2 over 0.5 s: the position moves by the
    // mean factor 1.5 over the slide.
    auto r = makeSample(audiotest::ramp(kRate * 2));
    const uint32_t g = mixer.claim(startOf(r.get(), false), this);
    mixer.setVolume(h, 0.0f);
    mixer.setFrequency(g, 2.0f, 0.5);
    out = render(mixer, kRate / 2);
    out = render(mixer, 2);
    const double pos = audiotest::left(out, 0) * (kRate * 2.0);
    EXPECT_NEAR(pos, 1.5 * kRate / 2, 2.0);
    const double stepAfter = (audiotest::left(out, 1) - audiotest::left(out, 0)) * (kRate * 2.0);
    EXPECT_NEAR(stepAfter, 2.0, 1e-2);
}

TEST_F(MixerTest, PreparedVoiceWaitsForPlayAtItsPosition) {
    auto s = makeSample(audiotest::ramp(1000));
    VoiceStart v = startOf(s.get());
    v.play = false;
    const uint32_t h = mixer.claim(v, this);
    EXPECT_TRUE(mixer.isAlive(h));
    EXPECT_FALSE(mixer.isPlaying(h));
    EXPECT_EQ(audiotest::peak(render(mixer, 32)), 0.0f);
    mixer.setPosition(h, 0.25);  // a fraction of the length
    ASSERT_TRUE(mixer.play(h));
    auto out = render(mixer, 2);
    EXPECT_FLOAT_EQ(audiotest::left(out, 0), 0.25f);
    EXPECT_FLOAT_EQ(audiotest::left(out, 1), 0.251f);
}

TEST_F(MixerTest, TakeOverMakesTheOldHandleStale) {
    auto s = makeSample(audiotest::ramp(100));
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    render(mixer, 50);
    const uint32_t g = mixer.takeOver(h, startOf(s.get()));
    ASSERT_NE(g, 0u);
    EXPECT_NE(g, h);
    EXPECT_EQ(g & 0xFFu, h & 0xFFu);
    EXPECT_FALSE(mixer.isAlive(h));
    EXPECT_FALSE(mixer.setVolume(h, 0.0f));
    EXPECT_FALSE(mixer.stop(h));
    auto out = render(mixer, 2);
    EXPECT_EQ(audiotest::left(out, 0), 0.0f);  // restarted from the start
    EXPECT_GT(mixer.startOrder(g), 0u);
}

TEST_F(MixerTest, AllVoicesBusyGivesNoHandle) {
    auto s = makeSample(audiotest::level(0.001f, 10));
    for (int i = 0; i < audio::kMaxVoices; ++i) ASSERT_NE(mixer.claim(startOf(s.get()), this), 0u) << i;
    EXPECT_EQ(mixer.claim(startOf(s.get()), this), 0u);
    mixer.stopAll();
    EXPECT_EQ(mixer.claimedVoices(), 0);
    EXPECT_NE(mixer.claim(startOf(s.get()), this), 0u);
}

TEST_F(MixerTest, PinnedVoiceStaysClaimedAfterStop) {
    auto s = makeSample(audiotest::level(0.5f, 10));
    const uint32_t h = mixer.claim(startOf(s.get(), false), this, true);
    render(mixer, 100);  // ended by itself
    EXPECT_TRUE(mixer.isAlive(h));
    EXPECT_FALSE(mixer.isPlaying(h));
    ASSERT_TRUE(mixer.play(h));
    auto out = render(mixer, 4);
    EXPECT_EQ(audiotest::left(out, 0), 0.5f);  // again from the start
    mixer.release(h);
    EXPECT_FALSE(mixer.isAlive(h));
}

TEST_F(MixerTest, ManyCommandsWithoutRenderingDoNotBlock) {
    auto s = makeSample(audiotest::level(0.5f, 10));
    const uint32_t h = mixer.claim(startOf(s.get()), this);
    for (int i = 0; i < 20000; ++i) mixer.setPan(h, (i % 3) - 1.0f);
    mixer.setPan(h, 0.0f);
    auto out = render(mixer, 4);
    EXPECT_EQ(audiotest::left(out, 0), 0.5f);
    EXPECT_EQ(audiotest::right(out, 0), 0.5f);
}

TEST(MixerDirect, CommandsTakeEffectAtOnceWithoutARenderer) {
    Mixer m(kRate);  // Direct mode
    auto s = makeSample(audiotest::level(0.5f, 10));
    const uint32_t h = m.claim(startOf(s.get()), nullptr);
    m.stopSource(nullptr, s.get(), nullptr);
    m.retire(std::shared_ptr<void>(std::move(s)));
    EXPECT_EQ(m.retiredCount(), 0u);
    EXPECT_FALSE(m.isAlive(h));  // ended with its sample
}

// A renderer thread pulls while the main thread plays, stops and frees
// samples: retired frames must stay alive until the renderer is past them
// (AddressSanitizer reports any read after free).
TEST(MixerThreaded, RetiredSamplesOutliveTheRenderer) {
    Mixer m(kRate);
    m.setMode(Mixer::Mode::Thread);
    std::atomic<bool> running{true};
    std::atomic<long> blocks{0};
    std::thread renderer([&] {
        std::vector<float> out(2 * 256);
        while (running.load()) {
            m.render(out.data(), 256);
            blocks.fetch_add(1);
        }
    });
    int owner = 0;
    for (int round = 0; round < 300; ++round) {
        auto s = makeSample(audiotest::sine(200.0 + round, 0.02, kRate));
        for (int i = 0; i < 8; ++i) {
            VoiceStart v = startOf(s.get(), i % 2 == 0);
            v.frequency = 0.5f + 0.1f * i;
            const uint32_t h = m.claim(v, &owner);
            m.setVolume(h, 0.0f, 0.001);
            m.setPan(h, -1.0f, 0.002);
        }
        m.stopSource(&owner, s.get(), nullptr);
        m.retire(std::shared_ptr<void>(std::move(s)));
        m.collect();
        if (round % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Everything retired is freed once the renderer has passed.
    const long seen = blocks.load();
    while (blocks.load() < seen + 2) std::this_thread::yield();
    m.collect();
    EXPECT_EQ(m.retiredCount(), 0u);
    running.store(false);
    renderer.join();
    m.setMode(Mixer::Mode::Direct);
    EXPECT_EQ(m.claimedVoices(), 0);
}
