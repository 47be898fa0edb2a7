#pragma once
// A playing instance of a Sound that the caller steers: volume, pan and
// frequency, each set at once or slid over a time, and the position. It is
// made stopped; play() starts it.
//
// A volume slide to 0 ends the channel when it is over. Deleting the channel
// stops it at once, except during such a slide: then the voice finishes the
// slide and ends by itself (a level object fades its ambient loop out and
// lets go of it).
//
// The channel's voice counts among its sound's playbacks; when the sound
// takes the voice over for a newer play, the channel falls silent and its
// operations do nothing.
#include <cstdint>

namespace audio {
class Mixer;
}
class Sound;

class SoundChannel {
public:
    explicit SoundChannel(Sound* sound);
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // 0 to 1 (clamped).
    void setVolume(float volume, double slideSeconds = 0.0);
    // -1 left to 1 right (clamped).
    void setPan(float pan, double slideSeconds = 0.0);
    // A fraction of the sound's length (0 to 1).
    void setPositionFraction(double fraction);
    // A factor of the sound's own frequency.
    void setFrequency(float factor, double slideSeconds = 0.0);
    // Starts or resumes it. False when it has no voice or the output is stopped.
    bool play();
    // Ends it at once.
    void stop();

    bool isPlaying() const;
    // The voice's handle (for audioChannelStop), 0 when it has none.
    uint32_t getHandle() const;
    Sound* getSound() const { return sound; }

private:
    audio::Mixer* liveMixer() const;

    Sound* sound;
    uint32_t handle = 0;
    uint32_t epoch = 0;
    bool bFadingOut = false;
};
