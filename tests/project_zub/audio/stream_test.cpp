// Ogg Vorbis encoding and decoding, music streams and the current music.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "audio/OggEncoder.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/VorbisDecoder.h"
#include "audio/ZubAudio.h"
#include "audio_test_support.h"
#include "sys/FileManager.h"

using namespace audiotest;

namespace {

constexpr int kFileRate = 22050;

audio::PcmData decode(const std::vector<uint8_t>& bytes) {
    audio::PcmData pcm;
    std::string error;
    EXPECT_TRUE(audio::decodeOggVorbis(bytes.data(), bytes.size(), pcm, error)) << error;
    return pcm;
}

// A tune whose end does not match its start, so that a gap or a skip at the
// loop point shows.
std::vector<float> tune(double seconds, int channels) {
    auto a = sine(300.0, seconds, kFileRate, 0.3f, channels);
    auto b = sine(517.0, seconds, kFileRate, 0.2f, channels);
    for (size_t i = 0; i < a.size(); ++i) a[i] += b[i] * static_cast<float>(i) / static_cast<float>(a.size());
    return a;
}

class StreamTest : public AudioTest {
protected:
    void SetUp() override {
        AudioTest::SetUp();
        ASSERT_TRUE(audio.initPull(kFileRate));
    }
    ZubAudio audio;
};

}  // namespace

TEST(OggVorbis, EncodeThenDecodeKeepsLengthRateAndPitchAndIsRepeatable) {
    for (int channels : {1, 2}) {
        auto bytes = ogg(sine(441.0, 1.0, kFileRate, 0.5f, channels), channels, kFileRate);
        ASSERT_GT(bytes.size(), 100u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "OggS");
        auto pcm = decode(bytes);
        EXPECT_EQ(pcm.channels, channels);
        EXPECT_EQ(pcm.rate, kFileRate);
        EXPECT_EQ(pcm.frames(), kFileRate);
        std::vector<float> stereo;
        for (int64_t i = 0; i < pcm.frames(); ++i) {
            stereo.push_back(pcm.samples[static_cast<size_t>(i * channels)]);
            stereo.push_back(pcm.samples[static_cast<size_t>(i * channels + channels - 1)]);
        }
        EXPECT_NEAR(measureHz(stereo, kFileRate), 441.0, 0.5);
        EXPECT_NEAR(peak(stereo, 1000, 20000), 0.5f, 0.05f);
    }
    // The same sound gives the same bytes every time.
    auto samples = tune(0.5, 2);
    EXPECT_EQ(ogg(samples, 2, kFileRate), ogg(samples, 2, kFileRate));
}

TEST(OggVorbis, RejectsWhatIsNotVorbis) {
    audio::PcmData pcm;
    std::string error;
    const uint8_t junk[] = {'O', 'g', 'g', 'S', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_FALSE(audio::decodeOggVorbis(junk, sizeof junk, pcm, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(audio::decodeOggVorbis(nullptr, 0, pcm, error));
    std::vector<uint8_t> out;
    EXPECT_FALSE(audio::encodeOggVorbis(nullptr, 10, 3, kFileRate, 0.4f, out, &error));

    // A truncated file decodes what is there or fails, but never reads past its end.
    auto bytes = ogg(sine(441.0, 0.5, kFileRate), 1, kFileRate);
    for (size_t cut : {size_t(10), bytes.size() / 3, bytes.size() / 2, bytes.size() - 7}) {
        audio::PcmData part;
        std::string why;
        std::vector<uint8_t> head(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut));
        audio::decodeOggVorbis(head.data(), head.size(), part, why);
        EXPECT_LE(part.frames(), kFileRate / 2);
    }

    // A codebook with a 31-bit code: the sound comes out no longer than it
    // was, or is refused with a reason.
    const auto longest = withLongestCode(ogg(tune(0.5, 2), 2, kFileRate));
    ASSERT_FALSE(longest.empty());
    audio::PcmData whole;
    std::string why;
    if (audio::decodeOggVorbis(longest.data(), longest.size(), whole, why)) {
        EXPECT_LE(whole.frames(), kFileRate / 2);
    } else {
        EXPECT_FALSE(why.empty());
    }
}

TEST(OggVorbis, StreamRewindsToTheSameFrames) {
    auto bytes = ogg(tune(0.3, 1), 1, kFileRate);
    audio::VorbisStream stream;
    std::string error;
    ASSERT_TRUE(stream.open(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(stream.lengthFrames(), static_cast<int64_t>(0.3 * kFileRate + 0.5));
    std::vector<float> first(8000), again(8000);
    ASSERT_EQ(stream.read(first.data(), 8000), 6615);
    EXPECT_EQ(stream.read(first.data() + 6615, 100), 0);
    ASSERT_TRUE(stream.rewind());
    ASSERT_EQ(stream.read(again.data(), 8000), 6615);
    EXPECT_EQ(first, again);
}

TEST_F(StreamTest, LoopingMusicRepeatsSeamlessly) {
    for (int channels : {1, 2}) {
        auto bytes = ogg(tune(channels == 1 ? 0.4 : 0.25, channels), channels, kFileRate);
        const auto pcm = decode(bytes);
        const int64_t n = pcm.frames();
        SoundStream stream(SoundStream::FLAG_LOOP, bytes);
        audio.setMusic(&stream);
        EXPECT_EQ(audio.getMusic(), &stream);
        const int total = static_cast<int>(n * 5 / 2);
        auto out = pull(audio, total);
        for (int k = 0; k < total; ++k) {
            const size_t f = static_cast<size_t>(k % n) * static_cast<size_t>(channels);
            ASSERT_EQ(left(out, static_cast<size_t>(k)), pcm.samples[f]) << k;
            ASSERT_EQ(right(out, static_cast<size_t>(k)), pcm.samples[f + static_cast<size_t>(channels) - 1]) << k;
        }
        EXPECT_TRUE(stream.isPlaying());
    }
}

TEST_F(StreamTest, MusicWithoutTheLoopFlagEndsOnce) {
    auto bytes = ogg(sine(300.0, 0.1, kFileRate), 1, kFileRate);
    SoundStream stream(0, bytes);
    audio.setMusic(&stream);
    auto out = pull(audio, 2205);
    EXPECT_TRUE(stream.isPlaying());
    out = pull(audio, 100);
    EXPECT_FALSE(stream.isPlaying());
    EXPECT_EQ(peak(out, 1), 0.0f);
    EXPECT_NE(stream.getChannelHandle(), 0u);  // the channel stays
    EXPECT_TRUE(stream.play());
    EXPECT_TRUE(stream.isPlaying());
}

TEST_F(StreamTest, MusicIsResampledToTheOutputRate) {
    ZubAudio fast;
    ASSERT_TRUE(fast.initPull(44100));
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(sine(441.0, 1.0, kFileRate), 1, kFileRate));
    fast.setMusic(&stream);
    auto out = pull(fast, 44100);
    EXPECT_NEAR(measureHz(out, 44100), 441.0, 0.5);
}

TEST_F(StreamTest, SetMusicStopsTheCurrentAndPlaysTheNewFromItsStart) {
    auto bytesA = ogg(sine(300.0, 1.0, kFileRate), 1, kFileRate);
    auto bytesB = ogg(tune(1.0, 1), 1, kFileRate);
    const auto pcmB = decode(bytesB);
    SoundStream a(SoundStream::FLAG_LOOP, bytesA);
    SoundStream b(SoundStream::FLAG_LOOP, bytesB);
    audio.setMusic(&a);
    pull(audio, 5000);
    audio.setMusic(&b);
    EXPECT_FALSE(a.isPlaying());
    EXPECT_TRUE(b.isPlaying());
    EXPECT_EQ(audio.getMusic(), &b);
    auto out = pull(audio, 100);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(left(out, static_cast<size_t>(k)), pcmB.samples[static_cast<size_t>(k)]);

    // Again the same music: from its start once more, at full volume.
    b.setVolume(0.25f);
    pull(audio, 3000);
    audio.setMusic(&b);
    out = pull(audio, 100);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(left(out, static_cast<size_t>(k)), pcmB.samples[static_cast<size_t>(k)]);

    audio.setMusic(nullptr);
    EXPECT_EQ(audio.getMusic(), nullptr);
    EXPECT_FALSE(b.isPlaying());
}

TEST_F(StreamTest, FadeMusicToZeroForgetsItAtTheEnd) {
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(level(0.5f, kFileRate), 1, kFileRate));
    audio.setMusic(&stream);
    pull(audio, 1000);
    audio.fadeMusic(0.0f, 0.5);  // 11025 frames
    auto out = pull(audio, 11000);
    EXPECT_EQ(audio.getMusic(), &stream);
    EXPECT_GT(peak(out, 10900, 11000), 0.0f);
    EXPECT_LT(peak(out, 10900, 11000), peak(out, 0, 100));
    pull(audio, 100);
    EXPECT_EQ(audio.getMusic(), nullptr);
    EXPECT_FALSE(stream.isPlaying());
    EXPECT_EQ(peak(pull(audio, 100)), 0.0f);

    // At once: forgotten at once. Without a renderer: by the clock.
    audio.setMusic(&stream);
    audio.fadeMusic(0.0f, 0.0);
    EXPECT_EQ(audio.getMusic(), nullptr);
    audio.setMusic(&stream);
    audio.fadeMusic(0.0f, 2.0);
    fakeNow = 1.9;
    EXPECT_EQ(audio.getMusic(), &stream);
    fakeNow = 2.0;
    audio.update();
    EXPECT_EQ(audio.getMusic(), nullptr);
}

TEST_F(StreamTest, FadeMusicToAVolumeKeepsIt) {
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(level(0.5f, kFileRate), 1, kFileRate));
    audio.setMusic(&stream);
    pull(audio, 1000);
    auto before = pull(audio, 100);
    audio.fadeMusic(0.5f, 0.1);
    pull(audio, 2205);
    auto after = pull(audio, 100);
    EXPECT_EQ(audio.getMusic(), &stream);
    EXPECT_NEAR(peak(after) / peak(before), 0.5f, 0.05f);
    // Fading out and then back in before the end keeps the music.
    audio.fadeMusic(0.0f, 0.1);
    pull(audio, 1000);
    audio.fadeMusic(1.0f, 0.1);
    pull(audio, 5000);
    EXPECT_EQ(audio.getMusic(), &stream);
    EXPECT_TRUE(stream.isPlaying());
}

TEST_F(StreamTest, StreamVolumesScaleTheMusicOnlyAndAreClamped) {
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(level(0.5f, kFileRate), 1, kFileRate));
    Sound click(Sound::FLAG_LOOP, 1, level(0.1f, 100), 1, kFileRate);
    audio.setMusic(&stream);
    pull(audio, 1000);
    auto full = pull(audio, 100);
    stream.setVolume(3.0f);
    EXPECT_NEAR(left(pull(audio, 100), 50), left(full, 50), 0.01f);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, 2500);
    EXPECT_NEAR(left(pull(audio, 100), 50) / left(full, 50), 0.25f, 0.02f);
    ZubAudio::setConfig(ZubAudio::CONFIG_GVOL_STREAM, 10000);
    stream.setVolume(-1.0f);
    click.play();
    EXPECT_FLOAT_EQ(left(pull(audio, 100), 50), 0.1f);
    EXPECT_TRUE(stream.isPlaying());  // set at once, not slid: it goes on
}

TEST_F(StreamTest, RecreateMakesTheChannelWhenItsHandleIsZero) {
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(level(0.5f, 2000), 1, kFileRate));
    EXPECT_EQ(stream.getChannelHandle(), 0u);
    stream.recreateSoundStream();
    const uint32_t h = stream.getChannelHandle();
    EXPECT_NE(h, 0u);
    EXPECT_FALSE(stream.isPlaying());
    stream.recreateSoundStream();
    EXPECT_EQ(stream.getChannelHandle(), h);

    audio.shutdown();
    EXPECT_EQ(stream.getChannelHandle(), 0u);
    ASSERT_TRUE(audio.initPull(kFileRate));
    EXPECT_EQ(stream.getChannelHandle(), 0u);
    stream.recreateSoundStream();
    EXPECT_NE(stream.getChannelHandle(), 0u);
}

// What the game does when a level ends (make sure the current music has a
// channel, stop that channel, forget the music), and when the output stops.
TEST_F(StreamTest, LevelEndOrStoppedOutputEndsTheMusic) {
    SoundStream stream(SoundStream::FLAG_LOOP, ogg(level(0.5f, kFileRate), 1, kFileRate));
    audio.setMusic(&stream);
    pull(audio, 500);
    if (SoundStream* music = audio.getMusic()) {
        music->recreateSoundStream();
        EXPECT_TRUE(audioChannelStop(music->getChannelHandle()));
    }
    audio.forgetMusic();
    EXPECT_EQ(audio.getMusic(), nullptr);
    EXPECT_EQ(peak(pull(audio, 100)), 0.0f);
    EXPECT_NE(stream.getChannelHandle(), 0u);  // the stream keeps its channel

    audio.setMusic(&stream);
    pull(audio, 500);
    audio.stopOutput();
    EXPECT_FALSE(stream.isPlaying());
    EXPECT_EQ(audio.getMusic(), &stream);
    audio.forgetMusic();  // as the game controller does
    audio.startOutput();
    EXPECT_EQ(peak(pull(audio, 100)), 0.0f);
}

TEST_F(StreamTest, DeletingThePlayingMusicIsSafe) {
    auto stream = std::make_unique<SoundStream>(SoundStream::FLAG_LOOP, ogg(tune(0.2, 1), 1, kFileRate));
    audio.setMusic(stream.get());
    pull(audio, 500);
    stream.reset();
    EXPECT_EQ(audio.getMusic(), nullptr);
    auto out = pull(audio, 500);
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_EQ(audio.mixer()->claimedVoices(), 0);
}

class StreamFileTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        files.baseFolder = dir.path();
        bytes = ogg(tune(0.3, 2), 2, kFileRate);
        writeFile(dir.path() + "sfx/music/title.ogg", bytes);
        writeFile(dir.path() + "sfx/music/broken.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g'});
    }
    TempFolder dir;
    FileManager files;
    std::vector<uint8_t> bytes;
};

TEST_F(StreamFileTest, PlaysFromTheFilesBytes) {
    files.bEnableDelayedLoad = true;
    SoundStream stream(SoundStream::FLAG_LOOP, u"sfx/music/title.ogg");
    audio.setMusic(&stream);
    const auto pcm = decode(bytes);
    auto out = pull(audio, 1000);
    for (int k = 0; k < 1000; ++k)
        ASSERT_EQ(right(out, static_cast<size_t>(k)), pcm.samples[static_cast<size_t>(2 * k + 1)]);
    EXPECT_EQ(stream.lengthFrames(), pcm.frames());
    EXPECT_EQ(stream.sampleRate(), kFileRate);
}

using StreamFileDeathTest = StreamFileTest;

TEST_F(StreamFileDeathTest, BrokenMusicIsFatal) {
    files.bEnableDelayedLoad = false;
    EXPECT_EXIT({ SoundStream s(1, u"sfx/music/broken.ogg"); }, ::testing::ExitedWithCode(255),
                "Could not decode the music 'sfx/music/broken.ogg'");
}

TEST_F(StreamFileDeathTest, BrokenDelayedMusicIsFatalWhenFirstPlayed) {
    files.bEnableDelayedLoad = true;
    EXPECT_EXIT(
        {
            SoundStream s(1, u"sfx/music/broken.ogg");
            audio.setMusic(&s);
        },
        ::testing::ExitedWithCode(255), "Could not decode the music");
}
