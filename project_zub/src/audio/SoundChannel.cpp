#include "audio/SoundChannel.h"

#include "audio/Sound.h"
#include "audio/ZubAudio.h"

SoundChannel::SoundChannel(Sound* s) : sound(s), epoch(ZubAudio::epoch()) {
    if (sound) handle = sound->claimChannel();
}

SoundChannel::~SoundChannel() {
    audio::Mixer* mixer = liveMixer();
    if (!mixer) return;
    // Fading out: the voice ends by itself when the slide is over.
    if (bFadingOut && mixer->isPlaying(handle)) return;
    mixer->stop(handle);
}

audio::Mixer* SoundChannel::liveMixer() const {
    if (!handle || epoch != ZubAudio::epoch()) return nullptr;
    ZubAudio* audio = ZubAudio::active();
    return audio ? audio->mixer() : nullptr;
}

void SoundChannel::setVolume(float volume, double slideSeconds) {
    audio::Mixer* mixer = liveMixer();
    if (!mixer || !mixer->setVolume(handle, volume, slideSeconds)) return;
    bFadingOut = !(volume > 0.0f) && slideSeconds > 0.0;
}

void SoundChannel::setPan(float pan, double slideSeconds) {
    if (audio::Mixer* mixer = liveMixer()) mixer->setPan(handle, pan, slideSeconds);
}

void SoundChannel::setPositionFraction(double fraction) {
    if (audio::Mixer* mixer = liveMixer()) mixer->setPosition(handle, fraction);
}

void SoundChannel::setFrequency(float factor, double slideSeconds) {
    if (audio::Mixer* mixer = liveMixer()) mixer->setFrequency(handle, factor, slideSeconds);
}

bool SoundChannel::play() {
    ZubAudio* audio = ZubAudio::active();
    audio::Mixer* mixer = liveMixer();
    if (!mixer || !audio->canPlay()) return false;
    return mixer->play(handle, false);
}

void SoundChannel::stop() {
    if (audio::Mixer* mixer = liveMixer()) mixer->stop(handle);
    bFadingOut = false;
}

bool SoundChannel::isPlaying() const {
    audio::Mixer* mixer = liveMixer();
    return mixer && mixer->isPlaying(handle);
}

uint32_t SoundChannel::getHandle() const {
    audio::Mixer* mixer = liveMixer();
    return mixer && mixer->isAlive(handle) ? handle : 0;
}
