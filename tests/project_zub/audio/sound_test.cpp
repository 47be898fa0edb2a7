// Sounds and channels through the audio service in pull mode.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/ZubAudio.h"
#include "audio_test_support.h"
#include "sys/FileManager.h"
#include "sys/Settings.h"
#include "util/Random.h"

using namespace audiotest;

namespace {

constexpr int kRate = 44100;

// The fraction the next draw of the program's generator gives.
float nextFraction() {
    const uint32_t s = randomState * 214013u + 2531011u;
    return static_cast<float>(s >> 16) / 65536.0f;
}

class SoundTest : public AudioTest {
protected:
    void SetUp() override {
        AudioTest::SetUp();
        ASSERT_TRUE(audio.initPull(kRate));
    }
    ZubAudio audio;
};

}  // namespace

TEST_F(SoundTest, MaxPlaybacksTakeOverTheOldestFromItsStart) {
    Sound s(0, 2, ramp(1000), 1, kRate);
    const uint32_t a = s.play();
    fakeNow = 0.1;
    const uint32_t b = s.play();
    auto out = pull(audio, 500);
    EXPECT_NEAR(left(out, 499), 2 * 0.499f, 1e-5);
    EXPECT_EQ(s.activePlaybacks(), 2);

    const uint32_t c = s.play();
    EXPECT_EQ(c & 0xFFu, a & 0xFFu);  // the oldest voice plays the new one, from frame 0
    EXPECT_FALSE(audio.isChannelPlaying(a));
    EXPECT_TRUE(audio.isChannelPlaying(b));
    out = pull(audio, 1);
    EXPECT_NEAR(left(out, 0), 0.5f, 1e-5);
    EXPECT_EQ(s.play() & 0xFFu, b & 0xFFu);  // now b is the oldest

    // Finished playbacks free their places.
    pull(audio, 1100);
    EXPECT_EQ(s.activePlaybacks(), 0);
    EXPECT_NE(s.play(), 0u);
    EXPECT_EQ(s.activePlaybacks(), 1);
}

TEST_F(SoundTest, MinimumIntervalSuppressesPlaysThatStillDrawTheirPitch) {
    Sound s(0, 8, level(0.1f, 10000), 1, kRate);
    s.minInterval = 0.25;
    fakeNow = 10.0;
    EXPECT_NE(s.play(), 0u);
    fakeNow = 10.125;
    EXPECT_EQ(s.play(), 0u);
    EXPECT_EQ(s.playSemitones(3), 0u);
    EXPECT_EQ(s.playAtFrequency(1.0f), 0u);
    fakeNow = 10.25;
    EXPECT_NE(s.play(), 0u);
    fakeNow = 10.375;  // measured from the last play that started
    EXPECT_EQ(s.play(), 0u);
    fakeNow = 10.5;
    EXPECT_NE(s.playAtFrequency(2.0f), 0u);
    EXPECT_EQ(s.activePlaybacks(), 3);
    SoundChannel c(&s);
    c.play();
    uint32_t expected = 1;  // the four calls of play(), suppressed or not, and nothing else
    for (int i = 0; i < 4; ++i) expected = expected * 214013u + 2531011u;
    EXPECT_EQ(randomState, expected);
}

TEST_F(SoundTest, PitchFactorsOfSemitonesAndOfTheRandomRange) {
    Sound s(0, 1, sine(441.0, 3.0, kRate), 1, kRate);
    // Semitone steps are 1.0595, not the equal-tempered 2^(1/12).
    for (int n : {-7, 12}) {
        s.playSemitones(static_cast<float>(n));
        auto out = pull(audio, kRate);
        EXPECT_NEAR(measureHz(out, kRate) / 441.0, std::pow(1.0595, n), 1e-4) << n;
    }
    s.minPitch = 0.0f;
    s.maxPitch = 0.5f;
    for (int i = 0; i < 2; ++i) {
        const float factor = 1.0f + 0.5f * nextFraction();
        s.play();
        auto out = pull(audio, kRate);
        EXPECT_NEAR(measureHz(out, kRate), 441.0 * factor, 0.5) << i;
    }
    // A fixed pitch of -0.5 plays at half the frequency, as does the factor 0.5.
    s.minPitch = s.maxPitch = -0.5f;
    s.play();
    auto out = pull(audio, kRate);
    EXPECT_NEAR(measureHz(out, kRate), 220.5, 0.3);
    s.playAtFrequency(0.5f);
    out = pull(audio, kRate);
    EXPECT_NEAR(measureHz(out, kRate), 220.5, 0.3);
}

TEST_F(SoundTest, LoopFlagLoopsEveryPlay) {
    Sound looped(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    Sound once(0, 1, level(0.25f, 100), 1, kRate);
    const uint32_t a = looped.play();
    const uint32_t b = once.play();
    auto out = pull(audio, 1000);
    EXPECT_FLOAT_EQ(left(out, 999), 0.5f);
    EXPECT_TRUE(audio.isChannelPlaying(a));
    EXPECT_FALSE(audio.isChannelPlaying(b));
}

TEST_F(SoundTest, ChannelStartsStoppedAndFollowsItsSettings) {
    Sound s(Sound::FLAG_LOOP, 2, ramp(1000), 1, kRate);
    SoundChannel c(&s);
    ASSERT_NE(c.getHandle(), 0u);
    EXPECT_FALSE(c.isPlaying());
    EXPECT_EQ(s.activePlaybacks(), 1);
    EXPECT_EQ(peak(pull(audio, 16)), 0.0f);

    c.setVolume(0.5f);
    c.setPan(1.0f);
    c.setPositionFraction(0.5);
    ASSERT_TRUE(c.play());
    auto out = pull(audio, 2);
    EXPECT_FLOAT_EQ(left(out, 0), 0.0f);
    EXPECT_FLOAT_EQ(right(out, 0), 0.25f);
    EXPECT_FLOAT_EQ(right(out, 1), 0.2505f);
    c.setFrequency(2.0f);
    out = pull(audio, 2);
    EXPECT_NEAR(right(out, 1) - right(out, 0), 0.5f * 2.0f / 1000.0f, 1e-6);
    // Clamped values.
    c.setVolume(7.0f);
    c.setPan(-9.0f);
    out = pull(audio, 2);
    EXPECT_EQ(right(out, 0), 0.0f);
    EXPECT_GT(left(out, 0), 0.5f);
}

TEST_F(SoundTest, FadeToZeroEndsTheChannelAndReleasesItsVoice) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    pull(audio, 100);
    c.setVolume(0.0f, 0.05);  // 2205 frames
    auto out = pull(audio, 2204);
    EXPECT_TRUE(c.isPlaying());
    EXPECT_GT(left(out, 2203), 0.0f);
    pull(audio, 1);
    EXPECT_FALSE(c.isPlaying());
    EXPECT_EQ(c.getHandle(), 0u);
    EXPECT_EQ(s.activePlaybacks(), 0);
    out = pull(audio, 64);
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_FALSE(c.play());  // gone for good
}

TEST_F(SoundTest, DeletingAChannelMidFadeLetsTheFadeFinishElseStopsIt) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    auto c = std::make_unique<SoundChannel>(&s);
    c->play();
    c->setVolume(0.0f, 0.1);  // 4410 frames
    pull(audio, 1000);
    c.reset();
    EXPECT_EQ(s.activePlaybacks(), 1);
    auto out = pull(audio, 3000);
    EXPECT_NEAR(left(out, 1000), 0.5f * (1.0f - 2000.0f / 4410.0f), 1e-3);
    out = pull(audio, 410);
    EXPECT_GT(left(out, 409), 0.0f);
    EXPECT_EQ(s.activePlaybacks(), 0);
    EXPECT_EQ(peak(pull(audio, 64)), 0.0f);

    // A slide that is not to 0, and a fade cancelled by a later volume, stop at once.
    for (bool cancelled : {false, true}) {
        c = std::make_unique<SoundChannel>(&s);
        c->play();
        c->setVolume(cancelled ? 0.0f : 0.5f, 0.1);
        if (cancelled) c->setVolume(1.0f);
        pull(audio, 100);
        c.reset();
        EXPECT_EQ(peak(pull(audio, 64)), 0.0f);
        EXPECT_EQ(s.activePlaybacks(), 0);
    }
}

TEST_F(SoundTest, ChannelTakenOverOrStoppedFallsSilent) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    fakeNow = 1.0;
    ASSERT_NE(s.play(), 0u);
    EXPECT_EQ(c.getHandle(), 0u);
    EXPECT_FALSE(c.isPlaying());
    c.setVolume(0.0f);  // does not touch the new play
    EXPECT_FLOAT_EQ(left(pull(audio, 8), 4), 0.5f);

    // The level objects' stop ends a channel at once.
    SoundChannel d(&s);
    d.play();
    EXPECT_TRUE(audioChannelStop(d.getHandle()));
    EXPECT_EQ(peak(pull(audio, 16)), 0.0f);
    EXPECT_FALSE(d.isPlaying());
    EXPECT_FALSE(audioChannelStop(0));
    EXPECT_FALSE(audioChannelStop(0x12345u));
}

TEST_F(SoundTest, GlobalSampleVolumeScalesSamplesOnlyAndOutlivesTheService) {
    EXPECT_TRUE(ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, 5000));
    EXPECT_TRUE(ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, 0));
    EXPECT_TRUE(ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_MUSIC, 20000));
    EXPECT_EQ(ZubAudio::getConfig(ZubAudio::CONFIG_GVOL_MUSIC), 10000);
    EXPECT_FALSE(ZubAudio::setConfig(3, 100));
    EXPECT_FALSE(ZubAudio::setConfig(7, 100));
    EXPECT_EQ(ZubAudio::getConfig(7), -1);
    Sound s(Sound::FLAG_LOOP, 1, level(0.8f, 100), 1, kRate);
    s.play();
    EXPECT_FLOAT_EQ(left(pull(audio, 8), 4), 0.4f);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, -5);
    EXPECT_EQ(peak(pull(audio, 8)), 0.0f);

    audio.shutdown();
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, 2500);
    ASSERT_TRUE(audio.initPull(kRate));
    s.play();
    EXPECT_FLOAT_EQ(left(pull(audio, 8), 4), 0.2f);
}

TEST_F(SoundTest, StoppedOutputEndsEverythingAndStartsNothing) {
    Sound s(Sound::FLAG_LOOP, 4, level(0.5f, 100), 1, kRate);
    const uint32_t a = s.play();
    SoundChannel c(&s);
    c.play();
    pull(audio, 16);
    audio.stopOutput();
    EXPECT_FALSE(audio.isChannelPlaying(a));
    EXPECT_FALSE(c.isPlaying());
    EXPECT_EQ(s.play(), 0u);
    EXPECT_FALSE(c.play());
    EXPECT_EQ(peak(pull(audio, 16)), 0.0f);

    audio.startOutput();
    EXPECT_EQ(peak(pull(audio, 16)), 0.0f);  // nothing came back by itself
    EXPECT_NE(s.play(), 0u);
    EXPECT_FLOAT_EQ(left(pull(audio, 16), 8), 0.5f);
}

TEST_F(SoundTest, ShutdownMakesEveryHandleStale) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    audio.shutdown();
    ASSERT_TRUE(audio.initPull(kRate));
    EXPECT_EQ(c.getHandle(), 0u);
    EXPECT_EQ(s.activePlaybacks(), 0);
    c.setVolume(1.0f);  // harmless
    EXPECT_NE(s.play(), 0u);
    EXPECT_EQ(s.activePlaybacks(), 1);
}

TEST_F(SoundTest, SoundDeletedWhilePlayingStopsItsVoices) {
    auto s = std::make_unique<Sound>(Sound::FLAG_LOOP, 2, level(0.5f, 100), 1, kRate);
    s->play();
    auto c = std::make_unique<SoundChannel>(s.get());
    c->play();
    c->setVolume(0.0f, 1.0);
    pull(audio, 10);
    s.reset();
    auto out = pull(audio, 64);
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_EQ(audio.mixer()->claimedVoices(), 0);
    c.reset();
}

// The same plays draw the same numbers with a pulled mixer, with no audio
// service at all, with a service whose output is stopped, and through SDL's
// dummy device.
namespace {

uint32_t scriptedPlays() {
    randomState = 1;
    fakeNow = 0.0;
    Sound a(0, 2, level(0.1f, 50), 1, kRate);
    a.minPitch = 0.0f;
    a.maxPitch = 0.5f;
    Sound b(Sound::FLAG_LOOP, 1, level(0.1f, 50), 1, kRate);
    b.minInterval = 0.5;
    for (int i = 0; i < 20; ++i) {
        fakeNow += 0.1;
        a.play();
        b.play();
        if (i % 3 == 0) a.playSemitones(static_cast<float>(i - 8));
        if (i % 4 == 0) b.playAtFrequency(0.5f);
        SoundChannel c(&a);
        c.setPositionFraction(static_cast<double>(randomFraction()));  // the caller's own draw
        c.play();
        c.setVolume(0.0f, 0.2);
        if (ZubAudio* audio = ZubAudio::active(); audio && audio->isInitialised()) {
            std::vector<float> out(2 * 64);
            audio->pull(out.data(), 64);
        }
    }
    return randomState;
}

}  // namespace

TEST(SoundNoService, SameRandomSequenceWithAnyOrNoOutput) {
    ErrorManager::bTestMode = true;
    double (*saved)() = ZubAudio::clock;
    ZubAudio::clock = &fakeClock;
    ASSERT_EQ(ZubAudio::active(), nullptr);
    const uint32_t none = scriptedPlays();
    {
        ZubAudio audio;
        ASSERT_TRUE(audio.initPull(kRate));
        EXPECT_EQ(scriptedPlays(), none);
        audio.stopOutput();
        EXPECT_EQ(scriptedPlays(), none);
    }
    EXPECT_NE(none, 1u);
    ZubAudio::clock = saved;

    // Without a service: no handle, but the pitch is drawn.
    Sound s(0, 1, level(0.1f, 50), 1, kRate);
    randomState = 7;
    EXPECT_EQ(s.play(), 0u);
    EXPECT_EQ(randomState, 7u * 214013u + 2531011u);
    SoundChannel c(&s);
    EXPECT_EQ(c.getHandle(), 0u);
    EXPECT_FALSE(c.play());
    c.setVolume(0.0f, 1.0);
    EXPECT_FALSE(audioChannelStop(1u << 8));
}

TEST_F(SoundTest, FrequencySettingIsReadAndSavedToTheUserFileWhenDestroyed) {
    EXPECT_EQ(audio.frequency, 22050);
    TempFolder dir;
    const std::string staticPath = dir.path() + "Tumbrodemo.cfg.static";
    const std::string userPath = dir.path() + "Tumbrodemo.cfg";
    Settings settings;
    settings.load(staticPath, userPath);
    settings.setFrequency(44100);
    {
        ZubAudio other(&settings);
        EXPECT_EQ(other.frequency, 44100);
        other.frequency = 11025;  // the game's sound quality page
        ASSERT_TRUE(other.initPull(other.frequency));
        EXPECT_EQ(other.outputRate(), 11025);
        EXPECT_EQ(ZubAudio::active(), &other);
    }
    EXPECT_EQ(ZubAudio::active(), &audio);
    Settings reread;
    reread.load(staticPath, userPath);
    EXPECT_EQ(reread.getFrequency(), 11025);
}

// Sounds from files, through the file manager.
class SoundFileTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        files.baseFolder = dir.path();
        writeFile(dir.path() + "sfx/tone.ogg", ogg(sine(441.0, 0.5, 22050), 1, 22050));
        writeFile(dir.path() + "sfx/broken.ogg", {'O', 'g', 'g', 'S', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
        const auto tone = ogg(sine(441.0, 0.1, 22050), 1, 22050);
        writeFile(dir.path() + "sfx/damaged.ogg", withCommentCount(tone, 5));
        writeFile(dir.path() + "sfx/endless.ogg", endlessOgg(tone, 5));
    }
    TempFolder dir;
    FileManager files;
};

TEST_F(SoundFileTest, DecodedWhenMadeUnlessLoadsAreDelayed) {
    files.bEnableDelayedLoad = false;
    Sound s(0, 2, u"sfx/tone.ogg");
    EXPECT_TRUE(s.isLoaded());
    EXPECT_EQ(s.sampleRate(), 22050);
    EXPECT_EQ(s.channelCount(), 1);
    EXPECT_EQ(s.lengthFrames(), 11025);

    files.bEnableDelayedLoad = true;
    Sound delayed(0, 2, u"sfx/tone.ogg");
    EXPECT_FALSE(delayed.isLoaded());
    ASSERT_NE(delayed.play(), 0u);
    EXPECT_TRUE(delayed.isLoaded());
    auto out = pull(audio, 23000);
    EXPECT_EQ(delayed.activePlaybacks(), 0);  // 0.5 s played out
    EXPECT_EQ(peak(out, 22100), 0.0f);
    out.resize(2 * 20000);
    EXPECT_NEAR(measureHz(out, kRate), 441.0, 1.0);

    // Without output a play never decodes.
    audio.shutdown();
    Sound silent(0, 2, u"sfx/tone.ogg");
    silent.play();
    EXPECT_FALSE(silent.isLoaded());
}

using SoundFileDeathTest = SoundFileTest;

TEST_F(SoundFileDeathTest, MissingFileIsFatal) {
    files.bEnableDelayedLoad = true;
    EXPECT_EXIT({ Sound s(0, 1, u"sfx/nothere.ogg"); }, ::testing::ExitedWithCode(255), "nothere.ogg");
}

TEST_F(SoundFileDeathTest, BrokenFileIsFatal) {
    files.bEnableDelayedLoad = false;
    EXPECT_EXIT({ Sound s(0, 1, u"sfx/broken.ogg"); }, ::testing::ExitedWithCode(255),
                "Could not decode the sound 'sfx/broken.ogg'");
    // A comment header that promises more than it holds, and a few kilobytes
    // that decode to more than the longest sound: clear errors, not a damaged
    // heap or gigabytes of frames.
    EXPECT_EXIT({ Sound s(0, 1, u"sfx/damaged.ogg"); }, ::testing::ExitedWithCode(255),
                "Could not decode the sound 'sfx/damaged.ogg': invalid codec setup");
    EXPECT_EXIT({ Sound s(0, 1, u"sfx/endless.ogg"); }, ::testing::ExitedWithCode(255),
                "Could not decode the sound 'sfx/endless.ogg': the sound is longer than");
}
