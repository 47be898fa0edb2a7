#include "audio/ZubAudio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>

#include "audio/SoundStream.h"
#include "platform/AudioDevice.h"
#include "sys/Logger.h"
#include "sys/Settings.h"
#include "sys/TimeKeeper.h"

namespace {

ZubAudio* current = nullptr;
uint32_t shutdownCount = 1;

constexpr int kMinFrequency = 8000;
constexpr int kMaxFrequency = 192000;

// The global volumes of options 4, 5 and 6.
std::atomic<int> globalVolumes[3] = {ZubAudio::kMaxGlobalVolume, ZubAudio::kMaxGlobalVolume,
                                     ZubAudio::kMaxGlobalVolume};

void logAudio(const char* method, const WString& message) { Logger::get().log(u"%s(): %s", method, message); }

}  // namespace

double (*ZubAudio::clock)() = &ZubAudio::defaultClock;

double ZubAudio::defaultClock() {
    const TimeKeeper* keeper = TimeKeeper::active();
    return keeper ? keeper->getTime() : TimeKeeper::getPhysicalTime();
}

uint32_t ZubAudio::epoch() { return shutdownCount; }

ZubAudio::ZubAudio(Settings* s) : settings(s), previous(current) {
    current = this;
    if (settings) frequency = settings->getFrequency();
}

ZubAudio::~ZubAudio() {
    shutdown();
    if (settings) {
        settings->setFrequency(frequency);
        if (!settings->getUserPath().empty()) settings->save();
    }
    if (current == this) current = previous;
}

ZubAudio* ZubAudio::active() { return current; }

bool ZubAudio::hasDevice() const { return device && device->isOpen(); }

void ZubAudio::pullThunk(void* user, float* frames, int frameCount) {
    static_cast<audio::Mixer*>(user)->render(frames, frameCount);
}

bool ZubAudio::init() {
    shutdown();
    int rate = frequency;
    if (rate < kMinFrequency || rate > kMaxFrequency) {
        logAudio("ZubAudio::init", formatString(u"Frequency %d is out of range; using %d.", rate, kDefaultFrequency));
        rate = kDefaultFrequency;
    }
    mixerPtr = std::make_unique<audio::Mixer>(rate);
    applyGains();
    // The device may pull as soon as it is open.
    mixerPtr->setMode(audio::Mixer::Mode::Thread);
    device = platform::createSdlAudioDevice();
    std::string error;
    if (!device->open(rate, &ZubAudio::pullThunk, mixerPtr.get(), error)) {
        logAudio("ZubAudio::init", formatString(u"No audio output (%s); the game runs without sound.", error));
        device.reset();
        mixerPtr.reset();
        return false;
    }
    bRunning = true;
    bPullMode = false;
    logAudio("ZubAudio::init", formatString(u"Audio output at %d Hz.", rate));
    return true;
}

bool ZubAudio::initPull(int rate) {
    shutdown();
    if (rate < kMinFrequency || rate > kMaxFrequency) return false;
    mixerPtr = std::make_unique<audio::Mixer>(rate);
    applyGains();
    mixerPtr->setMode(audio::Mixer::Mode::Pull);
    bRunning = true;
    bPullMode = true;
    return true;
}

void ZubAudio::shutdown() {
    if (!mixerPtr) return;
    if (device) {
        device->close();  // the device thread has stopped when this returns
        device.reset();
    }
    mixerPtr->setMode(audio::Mixer::Mode::Direct);
    mixerPtr.reset();
    bRunning = false;
    bPullMode = false;
    music = nullptr;
    bMusicFadingOut = false;
    ++shutdownCount;
}

void ZubAudio::pull(float* out, int frames) {
    if (frames <= 0) return;
    if (mixerPtr && bPullMode && bRunning) {
        mixerPtr->render(out, frames);
    } else {
        std::fill(out, out + 2 * static_cast<size_t>(frames), 0.0f);
    }
}

void ZubAudio::stopOutput() {
    if (!mixerPtr || !bRunning) return;
    if (device) device->pause(true);
    mixerPtr->setMode(audio::Mixer::Mode::Direct);
    mixerPtr->stopAll();
    bRunning = false;
}

void ZubAudio::startOutput() {
    if (!mixerPtr || bRunning) return;
    mixerPtr->setMode(bPullMode ? audio::Mixer::Mode::Pull : audio::Mixer::Mode::Thread);
    if (device) device->pause(false);
    bRunning = true;
}

void ZubAudio::checkMusicFade() {
    if (!music || !bMusicFadingOut) return;
    // Over when the mixer has ended the slide, or by the clock when nothing
    // renders it.
    const bool ended = mixerPtr && !music->isPlaying();
    if (ended || clock() >= musicFadeEnd) {
        music = nullptr;
        bMusicFadingOut = false;
    }
}

SoundStream* ZubAudio::getMusic() {
    checkMusicFade();
    return music;
}

void ZubAudio::setMusic(SoundStream* stream) {
    if (music) music->stop();
    music = stream;
    bMusicFadingOut = false;
    if (!stream) return;
    stream->recreateSoundStream();
    stream->setVolume(1.0f);
    stream->play(true);
}

void ZubAudio::fadeMusic(float volume, double seconds) {
    SoundStream* m = getMusic();
    if (!m) return;
    volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (volume > 0.0f) {
        m->setVolume(volume, seconds);
        bMusicFadingOut = false;
        return;
    }
    if (!(seconds > 0.0)) {
        m->stop();
        forgetMusic();
        return;
    }
    m->setVolume(0.0f, seconds);
    bMusicFadingOut = true;
    musicFadeEnd = clock() + seconds;
}

void ZubAudio::forgetMusic() {
    music = nullptr;
    bMusicFadingOut = false;
}

bool ZubAudio::setConfig(int option, int value) {
    if (option < CONFIG_GVOL_SAMPLE || option > CONFIG_GVOL_MUSIC) return false;
    globalVolumes[option - CONFIG_GVOL_SAMPLE].store(std::clamp(value, 0, kMaxGlobalVolume));
    if (current) current->applyGains();
    return true;
}

int ZubAudio::getConfig(int option) {
    if (option < CONFIG_GVOL_SAMPLE || option > CONFIG_GVOL_MUSIC) return -1;
    return globalVolumes[option - CONFIG_GVOL_SAMPLE].load();
}

void ZubAudio::applyGains() {
    if (!mixerPtr) return;
    const float scale = 1.0f / static_cast<float>(kMaxGlobalVolume);
    mixerPtr->setSampleGain(static_cast<float>(getConfig(CONFIG_GVOL_SAMPLE)) * scale);
    mixerPtr->setStreamGain(static_cast<float>(getConfig(CONFIG_GVOL_STREAM)) * scale);
}

bool ZubAudio::channelStop(uint32_t handle) { return mixerPtr && mixerPtr->stop(handle); }

bool ZubAudio::isChannelPlaying(uint32_t handle) const { return mixerPtr && mixerPtr->isPlaying(handle); }

void ZubAudio::update() {
    if (mixerPtr) mixerPtr->collect();
    checkMusicFade();
}

bool audioChannelStop(uint32_t handle) {
    ZubAudio* audio = ZubAudio::active();
    return audio && audio->channelStop(handle);
}
