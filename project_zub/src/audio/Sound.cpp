#include "audio/Sound.h"

#include <cmath>
#include <string>

#include "audio/VorbisDecoder.h"
#include "audio/ZubAudio.h"
#include "object/FileData.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"

ZUB_IMPLEMENT_NAMED_CLASS(Sound, ZubBase, u"Sound")

Sound::Sound() = default;

Sound::Sound(int loop, int playbacks, std::u16string_view name)
    : loopFlag(loop), maxPlaybacks(playbacks < 1 ? 1 : playbacks), fileName(name) {
    file = std::make_unique<FileData>(FileData::FLAG_DELAYED, fileName);
    // Loaded at once (loads not delayed): decode now, so that a broken file
    // fails while the game loads.
    if (file->isLoaded()) load();
}

Sound::Sound(int loop, int playbacks, std::vector<float> samples, int channels, int rate)
    : loopFlag(loop), maxPlaybacks(playbacks < 1 ? 1 : playbacks) {
    if (channels < 1 || channels > 2 || rate <= 0 || samples.size() % static_cast<size_t>(channels) != 0)
        ZUB_ERROR(u"Invalid sound frames: %d channels at %d Hz.", channels, rate);
    data = std::make_unique<audio::SampleData>();
    data->samples = std::move(samples);
    data->channels = channels;
    data->rate = rate;
}

Sound::~Sound() {
    if (!data) return;
    ZubAudio* audio = ZubAudio::active();
    audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    if (!mixer) return;
    // Voices may still read the frames: stop them and keep the frames until
    // the mixer is past that.
    mixer->stopSource(this, data.get(), nullptr);
    mixer->retire(std::shared_ptr<void>(std::move(data)));
}

bool Sound::load() {
    if (data) return true;
    if (!file) return false;
    audio::PcmData pcm;
    std::string error;
    if (!audio::decodeOggVorbis(file->data(), file->size(), pcm, error))
        ZUB_ERROR(u"Could not decode the sound '%s': %s.", fileName, error);
    data = std::make_unique<audio::SampleData>();
    data->samples = std::move(pcm.samples);
    data->channels = pcm.channels;
    data->rate = pcm.rate;
    // The decoded frames are all that is needed from now on.
    file->purge();
    return true;
}

uint32_t Sound::play() {
    // Drawn first, on every call: the random sequence must not depend on
    // whether the sound plays.
    const float r = randomFraction();
    return start(1.0f + minPitch + (maxPitch - minPitch) * r, true, true);
}

uint32_t Sound::playSemitones(float n) {
    return start(static_cast<float>(std::pow(kSemitone, static_cast<double>(n))), true, true);
}

uint32_t Sound::playAtFrequency(float factor) { return start(factor, true, true); }

uint32_t Sound::claimChannel() { return start(1.0f, false, false); }

uint32_t Sound::start(float factor, bool playNow, bool checkInterval) {
    ZubAudio* audio = ZubAudio::active();
    if (!audio || !audio->canPlay()) return 0;
    const double now = ZubAudio::clock();
    if (checkInterval && minInterval > 0.0 && bHasPlayed && now - lastPlayTime < minInterval) return 0;
    if (!load()) return 0;

    audio::VoiceStart s;
    s.sample = data.get();
    s.loop = (loopFlag & FLAG_LOOP) != 0;
    s.play = playNow;
    s.frequency = factor;
    const uint32_t handle = acquireVoice(*audio->mixer(), s);
    if (handle && checkInterval) {
        lastPlayTime = now;
        bHasPlayed = true;
    }
    return handle;
}

void Sound::forgetStaleHandles() {
    const uint32_t now = ZubAudio::epoch();
    if (handlesEpoch != now) {
        handles.clear();
        handlesEpoch = now;
    }
    handles.resize(static_cast<size_t>(maxPlaybacks < 1 ? 1 : maxPlaybacks), 0);
}

uint32_t Sound::acquireVoice(audio::Mixer& mixer, const audio::VoiceStart& s) {
    forgetStaleHandles();
    size_t oldest = 0;
    uint64_t oldestOrder = UINT64_MAX;
    for (size_t i = 0; i < handles.size(); ++i) {
        if (!mixer.isAlive(handles[i])) {
            handles[i] = mixer.claim(s, this);
            return handles[i];
        }
        const uint64_t order = mixer.startOrder(handles[i]);
        if (order < oldestOrder) {
            oldestOrder = order;
            oldest = i;
        }
    }
    // Every playback is busy: the one that started longest ago plays the new one.
    handles[oldest] = mixer.takeOver(handles[oldest], s);
    return handles[oldest];
}

int Sound::activePlaybacks() const {
    ZubAudio* audio = ZubAudio::active();
    const audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    if (!mixer || handlesEpoch != ZubAudio::epoch()) return 0;
    int n = 0;
    for (uint32_t h : handles)
        if (mixer->isAlive(h)) ++n;
    return n;
}
