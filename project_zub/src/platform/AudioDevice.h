#pragma once
// The sound output device. The engine's mixer produces the sound; the device
// only asks for it: once open, it calls the pull function from its own thread
// whenever it needs more, with room for a number of stereo frames of 32-bit
// floats (left, right interleaved, nominally within [-1, 1]). The pull function
// must fill all of them and must neither block nor allocate.
#include <memory>
#include <string>

namespace platform {

class AudioDevice {
public:
    using PullFn = void (*)(void* user, float* frames, int frameCount);

    virtual ~AudioDevice() = default;

    // Opens the default output at `frequency` frames per second, stereo, and
    // starts pulling. False with a reason when there is no usable output.
    virtual bool open(int frequency, PullFn pull, void* user, std::string& error) = 0;
    // Stops pulling and closes the output. When it returns, the pull function
    // is not running and will not run again.
    virtual void close() = 0;
    // Pauses or resumes the pulling. When pause(true) returns, the pull
    // function is not running and will not run until pause(false).
    virtual void pause(bool paused) = 0;

    virtual bool isOpen() const = 0;
    virtual bool isPaused() const = 0;
    // The frame rate the output was opened at (0 when closed).
    virtual int frequency() const = 0;
};

// SDL's audio output. SDL_AUDIODRIVER=dummy gives a device that pulls at
// about real-time pace and plays nothing.
std::unique_ptr<AudioDevice> createSdlAudioDevice();

// Closes for good the SDL output that the last close left parked (paused,
// its thread still running: closing waits for the thread). The next open
// does it first; a program run again in the same process can do it between
// the runs, so that its next start does not wait for the last one's output.
void closeParkedSdlAudio();

}  // namespace platform
