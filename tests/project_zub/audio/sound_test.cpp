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

TEST_F(SoundTest, MaxPlaybacksTakeOverTheOldest) {
    Sound s(Sound::FLAG_LOOP, 2, level(0.25f, 100), 1, kRate);
    const uint32_t a = s.play();
    fakeNow = 0.1;
    const uint32_t b = s.play();
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    auto out = pull(audio, 64);
    EXPECT_FLOAT_EQ(left(out, 10), 0.5f);
    EXPECT_EQ(s.activePlaybacks(), 2);

    fakeNow = 0.2;
    const uint32_t c = s.play();
    ASSERT_NE(c, 0u);
    EXPECT_EQ(c & 0xFFu, a & 0xFFu);  // the oldest voice plays the new one
    EXPECT_FALSE(audio.isChannelPlaying(a));
    EXPECT_TRUE(audio.isChannelPlaying(b));
    EXPECT_TRUE(audio.isChannelPlaying(c));
    out = pull(audio, 64);
    EXPECT_FLOAT_EQ(left(out, 10), 0.5f);  // still two voices
    EXPECT_EQ(s.activePlaybacks(), 2);

    const uint32_t d = s.play();
    EXPECT_EQ(d & 0xFFu, b & 0xFFu);  // now b is the oldest
    EXPECT_FALSE(audio.isChannelPlaying(b));
    EXPECT_TRUE(audio.isChannelPlaying(c));
    EXPECT_TRUE(audio.isChannelPlaying(d));
}

TEST_F(SoundTest, TakenOverVoiceRestartsFromTheBeginning) {
    Sound s(0, 1, ramp(1000), 1, kRate);
    s.play();
    auto out = pull(audio, 500);
    EXPECT_NEAR(left(out, 499), 0.499f, 1e-6);
    s.play();
    out = pull(audio, 2);
    EXPECT_EQ(left(out, 0), 0.0f);
    EXPECT_EQ(s.activePlaybacks(), 1);
}

TEST_F(SoundTest, FinishedPlaybacksFreeTheirPlaces) {
    Sound s(0, 2, level(0.5f, 100), 1, kRate);
    const uint32_t a = s.play();
    const uint32_t b = s.play();
    pull(audio, 200);
    EXPECT_EQ(s.activePlaybacks(), 0);
    EXPECT_FALSE(audio.isChannelPlaying(a));
    EXPECT_FALSE(audio.isChannelPlaying(b));
    EXPECT_NE(s.play(), 0u);
    EXPECT_EQ(s.activePlaybacks(), 1);
}

TEST_F(SoundTest, MinimumIntervalSuppressesPlays) {
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
}

TEST_F(SoundTest, SuppressedPlaysStillDrawTheirPitch) {
    Sound s(0, 8, level(0.1f, 100), 1, kRate);
    s.minInterval = 1.0;
    s.play();
    s.play();  // too soon
    s.play();  // too soon
    uint32_t expected = 1;
    for (int i = 0; i < 3; ++i) expected = expected * 214013u + 2531011u;
    EXPECT_EQ(randomState, expected);
}

TEST_F(SoundTest, PitchFactorPerSemitone) {
    Sound s(0, 1, sine(441.0, 3.0, kRate), 1, kRate);
    for (int n : {-12, -7, -1, 0, 1, 5, 12}) {
        const uint32_t h = s.playSemitones(static_cast<float>(n));
        ASSERT_NE(h, 0u);
        auto out = pull(audio, kRate);
        const double expected = 441.0 * std::pow(1.0595, n);
        EXPECT_NEAR(audiotest::measureHz(out, kRate), expected, expected * 1e-3) << n;
        audio.channelStop(h);
    }
    // Semitone steps are 1.0595, not the equal-tempered 2^(1/12).
    s.playSemitones(12);
    auto out = pull(audio, kRate);
    const double ratio = audiotest::measureHz(out, kRate) / 441.0;
    EXPECT_NEAR(ratio, std::pow(1.0595, 12), 1e-4);
    EXPECT_GT(std::fabs(ratio - 2.0), 5e-4);
}

TEST_F(SoundTest, PlayAtFrequencyUsesTheFactor) {
    Sound s(0, 1, sine(441.0, 3.0, kRate), 1, kRate);
    s.playAtFrequency(0.5f);
    auto out = pull(audio, kRate);
    EXPECT_NEAR(measureHz(out, kRate), 220.5, 0.3);
}

TEST_F(SoundTest, RandomPitchComesFromTheProgramsGenerator) {
    Sound s(0, 1, sine(441.0, 3.0, kRate), 1, kRate);
    s.minPitch = 0.0f;
    s.maxPitch = 0.5f;
    for (int i = 0; i < 4; ++i) {
        const float factor = 1.0f + s.minPitch + (s.maxPitch - s.minPitch) * nextFraction();
        const uint32_t before = randomState;
        s.play();
        EXPECT_EQ(randomState, before * 214013u + 2531011u);
        auto out = pull(audio, kRate);
        EXPECT_NEAR(measureHz(out, kRate), 441.0 * factor, 0.5) << i;
    }
    // A fixed pitch of -0.5 plays at half the frequency every time.
    s.minPitch = s.maxPitch = -0.5f;
    s.play();
    auto out = pull(audio, kRate);
    EXPECT_NEAR(measureHz(out, kRate), 220.5, 0.3);
}

TEST_F(SoundTest, OnlyPlayDrawsFromTheGenerator) {
    Sound s(0, 4, level(0.1f, 100), 1, kRate);
    s.playSemitones(2);
    s.playAtFrequency(1.5f);
    SoundChannel c(&s);
    c.play();
    EXPECT_EQ(randomState, 1u);
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
    auto out = pull(audio, 16);
    EXPECT_EQ(peak(out), 0.0f);

    c.setVolume(0.5f);
    c.setPan(1.0f);
    c.setPositionFraction(0.5);
    ASSERT_TRUE(c.play());
    EXPECT_TRUE(c.isPlaying());
    out = pull(audio, 2);
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

TEST_F(SoundTest, DeletingAChannelMidFadeLetsTheFadeFinish) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    auto c = std::make_unique<SoundChannel>(&s);
    c->play();
    c->setVolume(0.0f, 0.1);  // 4410 frames
    auto out = pull(audio, 1000);
    c.reset();
    EXPECT_EQ(s.activePlaybacks(), 1);
    out = pull(audio, 3000);
    EXPECT_GT(left(out, 0), 0.0f);
    EXPECT_LT(left(out, 2999), left(out, 0));
    EXPECT_GT(left(out, 2999), 0.0f);
    EXPECT_NEAR(left(out, 1000), 0.5f * (1.0f - 2000.0f / 4410.0f), 1e-3);
    out = pull(audio, 410);
    EXPECT_GT(left(out, 409), 0.0f);
    EXPECT_EQ(s.activePlaybacks(), 0);
    out = pull(audio, 64);
    EXPECT_EQ(peak(out), 0.0f);
}

TEST_F(SoundTest, DeletingAChannelOtherwiseStopsIt) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    auto c = std::make_unique<SoundChannel>(&s);
    c->play();
    c->setVolume(0.5f, 0.1);  // a slide, but not to 0
    pull(audio, 100);
    c.reset();
    auto out = pull(audio, 64);
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_EQ(s.activePlaybacks(), 0);

    // A fade that is cancelled by a later volume no longer lets it run on.
    c = std::make_unique<SoundChannel>(&s);
    c->play();
    c->setVolume(0.0f, 0.1);
    c->setVolume(1.0f);
    c.reset();
    out = pull(audio, 64);
    EXPECT_EQ(peak(out), 0.0f);
}

TEST_F(SoundTest, ChannelTakenOverByANewerPlayFallsSilent) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    fakeNow = 1.0;
    const uint32_t h = s.play();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(c.getHandle(), 0u);
    EXPECT_FALSE(c.isPlaying());
    c.setVolume(0.0f);  // does not touch the new play
    auto out = pull(audio, 8);
    EXPECT_FLOAT_EQ(left(out, 4), 0.5f);
}

TEST_F(SoundTest, ChannelStopOfTheLevelObjectsEndsAtOnce) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    pull(audio, 10);
    EXPECT_TRUE(audioChannelStop(c.getHandle()));
    auto out = pull(audio, 16);
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_FALSE(c.isPlaying());
    EXPECT_FALSE(audioChannelStop(0));
    EXPECT_FALSE(audioChannelStop(0x12345u));
}

TEST_F(SoundTest, GlobalSampleVolumeScalesSamples) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.8f, 100), 1, kRate);
    s.play();
    EXPECT_TRUE(ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, 5000));
    auto out = pull(audio, 8);
    EXPECT_FLOAT_EQ(left(out, 4), 0.4f);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, 0);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_MUSIC, 0);
    out = pull(audio, 8);
    EXPECT_FLOAT_EQ(left(out, 4), 0.4f);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, 0);
    out = pull(audio, 8);
    EXPECT_EQ(peak(out), 0.0f);
}

TEST_F(SoundTest, GlobalVolumeOptionsAndRange) {
    EXPECT_TRUE(ZubAudio::setConfig(4, 1234));
    EXPECT_TRUE(ZubAudio::setConfig(5, 20000));
    EXPECT_TRUE(ZubAudio::setConfig(6, -5));
    EXPECT_EQ(ZubAudio::getConfig(4), 1234);
    EXPECT_EQ(ZubAudio::getConfig(5), 10000);
    EXPECT_EQ(ZubAudio::getConfig(6), 0);
    EXPECT_FALSE(ZubAudio::setConfig(3, 100));
    EXPECT_FALSE(ZubAudio::setConfig(7, 100));
    EXPECT_EQ(ZubAudio::getConfig(7), -1);
}

TEST_F(SoundTest, GlobalVolumesOutliveTheService) {
    audio.shutdown();
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_SAMPLE, 2500);
    ASSERT_TRUE(audio.initPull(kRate));
    Sound s(Sound::FLAG_LOOP, 1, level(0.8f, 100), 1, kRate);
    s.play();
    auto out = pull(audio, 8);
    EXPECT_FLOAT_EQ(left(out, 4), 0.2f);
}

TEST_F(SoundTest, StoppedOutputEndsEverythingAndStartsNothing) {
    Sound s(Sound::FLAG_LOOP, 4, level(0.5f, 100), 1, kRate);
    const uint32_t a = s.play();
    SoundChannel c(&s);
    c.play();
    pull(audio, 16);
    audio.stopOutput();
    EXPECT_FALSE(audio.isOutputRunning());
    EXPECT_FALSE(audio.isChannelPlaying(a));
    EXPECT_FALSE(c.isPlaying());
    EXPECT_EQ(s.play(), 0u);
    EXPECT_FALSE(c.play());
    auto out = pull(audio, 16);
    EXPECT_EQ(peak(out), 0.0f);

    audio.startOutput();
    EXPECT_TRUE(audio.isOutputRunning());
    out = pull(audio, 16);
    EXPECT_EQ(peak(out), 0.0f);  // nothing came back by itself
    EXPECT_NE(s.play(), 0u);
    out = pull(audio, 16);
    EXPECT_FLOAT_EQ(left(out, 8), 0.5f);
}

TEST_F(SoundTest, ShutdownMakesEveryHandleStale) {
    Sound s(Sound::FLAG_LOOP, 1, level(0.5f, 100), 1, kRate);
    SoundChannel c(&s);
    c.play();
    const uint32_t before = ZubAudio::epoch();
    audio.shutdown();
    EXPECT_NE(ZubAudio::epoch(), before);
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

TEST_F(SoundTest, SameRandomSequenceWithAndWithoutOutput) {
    const uint32_t pulled = scriptedPlays();

    audio.stopOutput();
    const uint32_t stopped = scriptedPlays();
    audio.startOutput();

    audio.shutdown();
    const uint32_t uninitialised = scriptedPlays();

    EXPECT_EQ(pulled, stopped);
    EXPECT_EQ(pulled, uninitialised);
    EXPECT_NE(pulled, 1u);
}

TEST(SoundNoService, SameRandomSequenceWithoutAnyAudioService) {
    ErrorManager::bTestMode = true;
    double (*saved)() = ZubAudio::clock;
    ZubAudio::clock = &fakeClock;
    ASSERT_EQ(ZubAudio::active(), nullptr);
    const uint32_t none = scriptedPlays();
    uint32_t pulled = 0;
    {
        ZubAudio audio;
        ASSERT_TRUE(audio.initPull(kRate));
        pulled = scriptedPlays();
    }
    EXPECT_EQ(none, pulled);
    ZubAudio::clock = saved;
}

TEST(SoundNoService, PlaysReturnNoHandleButDrawTheirPitch) {
    ErrorManager::bTestMode = true;
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

TEST_F(SoundTest, DefaultFrequencyAndSettingWrittenBackWhenDestroyed) {
    EXPECT_EQ(audio.frequency, 22050);
    Settings settings;  // defaults, no file
    settings.setFrequency(44100);
    {
        ZubAudio other(&settings);
        EXPECT_EQ(other.frequency, 44100);
        other.frequency = 11025;  // the game's sound quality page
        ASSERT_TRUE(other.initPull(other.frequency));
        EXPECT_EQ(other.outputRate(), 11025);
        EXPECT_EQ(ZubAudio::active(), &other);
    }
    EXPECT_EQ(settings.getFrequency(), 11025);
    EXPECT_EQ(ZubAudio::active(), &audio);
}

TEST_F(SoundTest, SettingSavedToTheUserFileWhenDestroyed) {
    TempFolder dir;
    const std::string staticPath = dir.path() + "Tumbrodemo.cfg.static";
    const std::string userPath = dir.path() + "Tumbrodemo.cfg";
    Settings settings;
    settings.load(staticPath, userPath);
    {
        ZubAudio other(&settings);
        EXPECT_EQ(other.frequency, 22050);
        other.frequency = 44100;
    }
    Settings reread;
    reread.load(staticPath, userPath);
    EXPECT_EQ(reread.getFrequency(), 44100);
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
}

TEST_F(SoundFileTest, DelayedLoadDecodesOnFirstPlay) {
    files.bEnableDelayedLoad = true;
    Sound s(0, 2, u"sfx/tone.ogg");
    EXPECT_FALSE(s.isLoaded());
    ASSERT_NE(s.play(), 0u);
    EXPECT_TRUE(s.isLoaded());
    auto out = pull(audio, 23000);
    EXPECT_EQ(s.activePlaybacks(), 0);  // 0.5 s played out
    EXPECT_GT(peak(out, 0, 20000), 0.4f);
    EXPECT_EQ(peak(out, 22100), 0.0f);
    out.resize(2 * 20000);
    EXPECT_NEAR(measureHz(out, kRate), 441.0, 1.0);
}

TEST_F(SoundFileTest, DelayedLoadWithoutOutputNeverDecodes) {
    files.bEnableDelayedLoad = true;
    audio.shutdown();
    Sound s(0, 2, u"sfx/tone.ogg");
    s.play();
    EXPECT_FALSE(s.isLoaded());
}

TEST_F(SoundFileTest, RegisteredAsAClass) {
    EXPECT_EQ(Sound::classRecord.getName(), u"Sound");
    EXPECT_TRUE(Sound::classRecord.isDerivedFrom(&ZubBase::classRecord));
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
