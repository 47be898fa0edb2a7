#pragma once
// Where the game configuration pushes its frame-rate, sound and display
// settings (GameConfiguration::applyToEngine). ZubEngineSettings talks to the
// running engine; tests use a recording double.
#include <cstdint>

class EngineSettingsTarget {
public:
    virtual ~EngineSettingsTarget() = default;

    // The engine's frame period becomes `seconds`, and both frame-clock times
    // become the current engine time, so that the new rate starts from now.
    virtual void setFramePeriod(double seconds) = 0;
    // The audio output's mixing rate (used when the audio output starts next).
    virtual void setSampleRate(int32_t frequency) = 0;
    // A global volume option of the audio layer (ZubAudio::CONFIG_GVOL_*),
    // 0..10000.
    virtual void setGlobalVolume(int32_t option, int32_t value) = 0;
    // The window's presentation; a negative width or height keeps the current one.
    virtual void changePresentation(int32_t width, int32_t height, bool fullScreen, bool allowLetterbox,
                                    bool bilinearFilter, bool useVSync) = 0;
    // The graphics engine's detail switch (which also drives the text shadows).
    virtual void setDetail(bool on) = 0;
};

// The running engine (ZUB): its frame timer and time keeper, the audio
// service's frequency and global volumes, and the graphics object. Every step
// is skipped quietly when the service it needs does not exist (yet).
class ZubEngineSettings final : public EngineSettingsTarget {
public:
    void setFramePeriod(double seconds) override;
    void setSampleRate(int32_t frequency) override;
    void setGlobalVolume(int32_t option, int32_t value) override;
    void changePresentation(int32_t width, int32_t height, bool fullScreen, bool allowLetterbox, bool bilinearFilter,
                            bool useVSync) override;
    void setDetail(bool on) override;
};
