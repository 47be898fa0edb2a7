#pragma once
// The audio service: the output device, the mixer, the global volumes and
// the current music.
//
// The output runs at `frequency` frames per second, taken from the user
// settings when the service is made and written back to them when it is
// destroyed; a change takes effect at the next init(). Without an output
// device the game runs silently: sounds are not played, but Sound::play
// still draws its random pitch, so the program's random sequence is the same
// on every machine.
//
// Everything here runs on the program's thread. The mixer renders on the
// device's thread (see AudioMixer.h), or, in pull mode, whenever the owner
// calls pull() (tests, tools).
#include <cstdint>
#include <memory>

#include "audio/AudioMixer.h"

namespace platform {
class AudioDevice;
}
class Settings;
class SoundStream;

class ZubAudio {
public:
    // Global volume options and their range.
    enum ConfigOption : int {
        CONFIG_GVOL_SAMPLE = 4,  // sample voices (Sound, SoundChannel)
        CONFIG_GVOL_STREAM = 5,  // stream voices (SoundStream, the music)
        CONFIG_GVOL_MUSIC = 6,   // tracker music: kept, but no voice of ours uses it
    };
    static constexpr int kMaxGlobalVolume = 10000;
    static constexpr int kDefaultFrequency = 22050;

    // The frequency comes from `settings` when given, else the default.
    explicit ZubAudio(Settings* settings = nullptr);
    // Shuts the output down and writes `frequency` back to the settings
    // (and saves them when they come from a file).
    ~ZubAudio();
    ZubAudio(const ZubAudio&) = delete;
    ZubAudio& operator=(const ZubAudio&) = delete;

    // The service of the running engine (the most recently made one), or null.
    static ZubAudio* active();

    // Opens the output device at `frequency`. False (logged) when there is
    // none; the game then runs silently.
    bool init();
    // No device: the mixer runs at `rate` and renders only when pull() is
    // called.
    bool initPull(int rate);
    // Closes the output; every voice ends and every handle becomes stale.
    void shutdown();

    bool isInitialised() const { return mixerPtr != nullptr; }
    bool hasDevice() const;
    // The rate the mixer runs at (0 when not initialised).
    int outputRate() const { return mixerPtr ? mixerPtr->rate() : 0; }
    // Whether sounds can start now: initialised and the output running.
    bool canPlay() const { return mixerPtr && bRunning; }

    // Pull mode: renders `frames` stereo frames into `out`.
    void pull(float* out, int frames);

    // Stops the output: every sound ends and nothing starts until
    // startOutput(). The current music is kept (see forgetMusic).
    void stopOutput();
    void startOutput();
    bool isOutputRunning() const { return mixerPtr && bRunning; }

    // The current music, or null. A fade to 0 that has ended forgets it.
    SoundStream* getMusic();
    // Stops the current music, keeps `stream` as the current one and plays it
    // from its start at full volume. Null only stops.
    void setMusic(SoundStream* stream);
    // Slides the current music's volume to `volume` (0 to 1) over `seconds`;
    // with volume 0 the music is forgotten when the slide is over.
    void fadeMusic(float volume, double seconds);
    // Forgets the current music without stopping it.
    void forgetMusic();

    // Sets a global volume option (0 to kMaxGlobalVolume); false for an
    // unknown option or a value out of range. The values belong to the
    // process and outlive the service.
    static bool setConfig(int option, int value);
    // The value of an option, -1 when unknown.
    static int getConfig(int option);

    // Ends a channel at once (sample or stream). False when the handle is
    // stale or the service is not running.
    bool channelStop(uint32_t handle);
    bool isChannelPlaying(uint32_t handle) const;

    // Once per frame: frees what the mixer no longer reads and ends a music
    // fade that is over.
    void update();

    // The mixer, or null when not initialised.
    audio::Mixer* mixer() { return mixerPtr.get(); }
    const audio::Mixer* mixer() const { return mixerPtr.get(); }

    // Counts shutdowns: a handle kept from an earlier count is stale.
    static uint32_t epoch();

    // The time in seconds that minimum play intervals and fades are measured
    // in: the engine's game time when a time keeper runs, else the physical
    // clock. Tests may replace it.
    static double (*clock)();
    static double defaultClock();

    // The frame rate of the output at the next init() (11025, 22050 or 44100
    // from the game's sound quality; anything from 8000 to 192000 works).
    int frequency = kDefaultFrequency;

private:
    static void pullThunk(void* user, float* frames, int frameCount);
    void applyGains();
    void checkMusicFade();

    Settings* settings;
    std::unique_ptr<audio::Mixer> mixerPtr;
    std::unique_ptr<platform::AudioDevice> device;
    bool bRunning = false;
    bool bPullMode = false;

    SoundStream* music = nullptr;
    bool bMusicFadingOut = false;
    double musicFadeEnd = 0.0;

    ZubAudio* previous;
};

// The channel stop of the level objects and the level end: ends the channel
// of `handle` at once. Does nothing without a running audio service or for a
// stale handle.
bool audioChannelStop(uint32_t handle);
