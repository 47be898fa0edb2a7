// The audio service on SDL's dummy output device: the mixer runs on the
// device's thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "audio_test_support.h"
#include "util/Random.h"

using namespace audiotest;

namespace {

// Waits up to `seconds` for `done` to become true.
template <class F>
bool waitFor(F done, double seconds = 3.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

class DeviceTest : public AudioTest {
protected:
    void SetUp() override {
        AudioTest::SetUp();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
};

}  // namespace

TEST_F(DeviceTest, RendersOnItsThreadWhereFadesEndAndTheOutputStopsAndStarts) {
    ZubAudio audio;
    audio.frequency = 44100;
    ASSERT_TRUE(audio.init());
    EXPECT_TRUE(audio.hasDevice());
    EXPECT_EQ(audio.outputRate(), 44100);

    Sound s(0, 2, level(0.5f, 2205), 1, 44100);  // 50 ms
    const uint32_t h = s.play();
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(waitFor([&] { return !audio.isChannelPlaying(h); }));
    EXPECT_GT(audio.mixer()->renderedFrames(), 2205u);

    Sound looped(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, 44100);
    auto c = std::make_unique<SoundChannel>(&looped);
    c->play();
    c->setVolume(0.0f, 0.05);
    c.reset();  // fading: the voice ends by itself
    EXPECT_EQ(looped.activePlaybacks(), 1);
    EXPECT_TRUE(waitFor([&] { return looped.activePlaybacks() == 0; }));

    const uint32_t g = looped.play();
    audio.stopOutput();
    EXPECT_FALSE(audio.isChannelPlaying(g));
    const uint64_t frames = audio.mixer()->renderedFrames();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(audio.mixer()->renderedFrames(), frames);  // paused
    audio.startOutput();
    EXPECT_TRUE(waitFor([&] { return audio.mixer()->renderedFrames() > frames; }));
    EXPECT_NE(looped.play(), 0u);
    audio.shutdown();
    EXPECT_FALSE(audio.hasDevice());
}

TEST_F(DeviceTest, MusicPlaysAndSoundsComeAndGoWhileTheDeviceRuns) {
    ZubAudio audio;
    ASSERT_TRUE(audio.init());
    auto stream = std::make_unique<SoundStream>(SoundStream::FLAG_LOOP, ogg(sine(300.0, 0.2, 22050), 1, 22050));
    audio.setMusic(stream.get());
    EXPECT_TRUE(stream->isPlaying());
    for (int round = 0; round < 30; ++round) {
        auto s = std::make_unique<Sound>(0, 3, sine(400.0 + round, 0.05, 22050), 1, 22050);
        s->play();
        s->playSemitones(static_cast<float>(round % 5));
        SoundChannel c(s.get());
        c.play();
        c.setFrequency(1.5f, 0.01);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        s.reset();  // frames retired until the device thread is past them
        audio.update();
    }
    EXPECT_TRUE(waitFor([&] {
        audio.update();
        return audio.mixer()->retiredCount() == 0;
    }));
    audio.fadeMusic(0.0f, 0.05);
    EXPECT_TRUE(waitFor([&] { return audio.getMusic() == nullptr; }));
    stream.reset();
    audio.update();
}

TEST_F(DeviceTest, SameRandomSequenceWithTheDeviceOrWithoutOne) {
    auto run = [] {
        randomState = 1;
        Sound s(0, 2, level(0.1f, 200), 1, 22050);
        s.minPitch = -0.25f;
        s.maxPitch = 0.25f;
        for (int i = 0; i < 50; ++i) {
            s.play();
            if (i % 7 == 0) s.playSemitones(2);
        }
        return randomState;
    };
    const uint32_t none = run();
    {
        ZubAudio audio;
        EXPECT_TRUE(audio.init());
        EXPECT_EQ(run(), none);
    }
    // No device means silence, not failure.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ZubAudio audio;
    EXPECT_FALSE(audio.init());
    EXPECT_FALSE(audio.canPlay());
    EXPECT_EQ(run(), none);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}
