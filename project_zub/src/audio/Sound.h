#pragma once
// A sound sample: a short Ogg Vorbis file decoded into memory, played on
// temporary voices.
//
// - Looping: bit 0 of the loop flag makes every play of it loop.
// - Playbacks: at most `maxPlaybacks` voices play it at once; a further play
//   takes over the voice that started longest ago. SoundChannels made from
//   the sound count as well.
// - Minimum interval: a play does not start when less than `minInterval`
//   seconds (ZubAudio::clock) have passed since the last play that started.
// - Pitch: play() uses the frequency factor 1 + minPitch + (maxPitch -
//   minPitch) x r, r drawn from the program's random generator. It draws on
//   every call, whether the sound then starts or not, and with or without an
//   output device, so that the random sequence never depends on the machine.
// - Delayed load: when the file manager delays loads, the constructor only
//   checks that the file exists; the file is read and decoded when the sound
//   is first played. A file that is not Ogg Vorbis, or that decodes to more
//   than audio::kMaxDecodedFrames frames, is a fatal error.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "audio/AudioMixer.h"
#include "object/ZubBase.h"
#include "util/WString.h"

class FileData;

class Sound : public ZubBase {
    ZUB_DECLARE_CLASS(Sound)
public:
    enum : int { FLAG_LOOP = 1 };
    // The frequency factor of one semitone.
    static constexpr double kSemitone = 1.0595;

    Sound();
    Sound(int loopFlag, int maxPlaybacks, std::u16string_view fileName);
    // A sound from decoded frames (1 or 2 interleaved channels at `rate`):
    // generated sounds and tests.
    Sound(int loopFlag, int maxPlaybacks, std::vector<float> samples, int channels, int rate);
    ~Sound() override;

    // Plays once at the random pitch factor. Returns the voice's handle, 0
    // when nothing started (no output, too soon, no sound data).
    uint32_t play();
    // Plays once at the factor kSemitone to the power n.
    uint32_t playSemitones(float n);
    // Plays once at the given frequency factor.
    uint32_t playAtFrequency(float factor);

    // A voice for a SoundChannel: counted among the playbacks (it may take
    // over the oldest), prepared but not playing, at volume 1, centred, at
    // factor 1. No interval and no random draw. 0 without output.
    uint32_t claimChannel();

    // Reads and decodes the file if that has not happened yet. False when
    // the sound has no file.
    bool load();
    bool isLoaded() const { return data != nullptr; }

    // Of the decoded sound (0 before it is loaded).
    int64_t lengthFrames() const { return data ? data->frames() : 0; }
    int sampleRate() const { return data ? data->rate : 0; }
    int channelCount() const { return data ? data->channels : 0; }

    // Voices of this sound that are claimed now.
    int activePlaybacks() const;
    const WString& getFileName() const { return fileName; }

    // Set by the loader after construction.
    double minInterval = 0.0;
    float minPitch = 0.0f;
    float maxPitch = 0.0f;

    int loopFlag = 0;
    int maxPlaybacks = 1;

private:
    uint32_t start(float factor, bool playNow, bool checkInterval);
    uint32_t acquireVoice(audio::Mixer& mixer, const audio::VoiceStart& start);
    void forgetStaleHandles();

    WString fileName;
    std::unique_ptr<FileData> file;
    std::unique_ptr<audio::SampleData> data;
    std::vector<uint32_t> handles;  // one per playback
    uint32_t handlesEpoch = 0;
    double lastPlayTime = 0.0;
    bool bHasPlayed = false;
};
