// The audio output on SDL: one device opened for 32-bit float stereo at the
// requested rate. SDL converts to whatever the hardware takes, so the mixer
// always sees the format it asked for.
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/sdl/SdlAudioDrivers.h"

namespace platform {
namespace {

// Closing an SDL output waits for its thread, which lets three buffers'
// worth of sound drain first (about 70 ms). A closed output is therefore
// only paused and parked here: it pulls nothing more and is closed for good
// when the next output opens, or ends with the process.
SDL_AudioDeviceID parkedDevice = 0;

std::vector<std::string> sdlAudioDrivers() {
    std::vector<std::string> names;
    for (int i = 0, n = SDL_GetNumAudioDrivers(); i < n; ++i)
        if (const char* name = SDL_GetAudioDriver(i)) names.emplace_back(name);
    return names;
}

// SDL's audio started with the drivers worth trying on this machine (see
// SdlAudioDrivers.h); false with a reason when there is none or none starts.
bool startAudio(std::string& error) {
    const AudioDriverPlan plan = planAudioDrivers(sdlAudioDrivers(), probeSoundHardware());
    if (!plan.sdlChooses && plan.drivers.empty()) {
        error = "no sound device";
        return false;
    }
    if (!plan.sdlChooses) SDL_SetHint(SDL_HINT_AUDIODRIVER, plan.drivers.c_str());
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!plan.sdlChooses) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!started)
        error = plan.sdlChooses ? std::string("SDL audio initialisation failed: ") + SDL_GetError()
                                : "no sound device: none of " + plan.drivers + " started";
    return started;
}

void closeParkedDevice() {
    if (parkedDevice == 0) return;
    SDL_CloseAudioDevice(parkedDevice);
    parkedDevice = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

class SdlAudioDevice final : public AudioDevice {
public:
    ~SdlAudioDevice() override { close(); }

    bool open(int frequency, PullFn pull, void* user, std::string& error) override {
        close();
        if (frequency <= 0 || !pull) {
            error = "invalid output parameters";
            return false;
        }
        closeParkedDevice();
        if (!startAudio(error)) return false;
        subsystemReady_ = true;
        pull_ = pull;
        user_ = user;

        SDL_AudioSpec want{};
        want.freq = frequency;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        // About 23 ms at 44.1 kHz: short enough for sound effects, long
        // enough not to starve under load.
        want.samples = frequency > 24000 ? 1024 : 512;
        want.callback = &SdlAudioDevice::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            error = std::string("SDL could not open an audio device: ") + SDL_GetError();
            close();
            return false;
        }
        frequency_ = frequency;
        paused_ = false;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void close() override {
        if (device_ != 0) {
            // Waits for a running callback to return; silence from then on.
            SDL_PauseAudioDevice(device_, 1);
            closeParkedDevice();
            parkedDevice = device_;
            device_ = 0;
            subsystemReady_ = false;  // the parked output keeps its hold on SDL's audio
        }
        if (subsystemReady_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemReady_ = false;
            // The window back-end may have gone already.
            if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
        }
        frequency_ = 0;
        paused_ = false;
        pull_ = nullptr;
        user_ = nullptr;
    }

    void pause(bool paused) override {
        if (device_ == 0 || paused == paused_) return;
        // SDL takes the device lock, so the callback is not running when
        // this returns.
        SDL_PauseAudioDevice(device_, paused ? 1 : 0);
        paused_ = paused;
    }

    bool isOpen() const override { return device_ != 0; }
    bool isPaused() const override { return paused_; }
    int frequency() const override { return frequency_; }

private:
    static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<SdlAudioDevice*>(userdata);
        const int frames = len / static_cast<int>(2 * sizeof(float));
        self->pull_(self->user_, reinterpret_cast<float*>(stream), frames);
    }

    SDL_AudioDeviceID device_ = 0;
    bool subsystemReady_ = false;
    bool paused_ = false;
    int frequency_ = 0;
    PullFn pull_ = nullptr;
    void* user_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioDevice> createSdlAudioDevice() { return std::make_unique<SdlAudioDevice>(); }

void closeParkedSdlAudio() { closeParkedDevice(); }

}  // namespace platform
