#include "audio/SoundStream.h"

#include <string>

#include "audio/AudioMixer.h"
#include "audio/VorbisDecoder.h"
#include "audio/ZubAudio.h"
#include "object/FileData.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS(SoundStream, ZubBase, u"SoundStream")

// What the mixer reads while the stream plays: the file's bytes, the decoder
// over them and the decoded piece. Handed to the mixer to free when the
// stream goes.
struct SoundStream::Data final : audio::StreamSource {
    std::unique_ptr<FileData> file;  // the bytes, when read through the file manager
    std::vector<uint8_t> memory;     // the bytes, when given
    audio::VorbisStream decoder;
    audio::StreamCursor cursor;

    const uint8_t* bytes() const { return file ? file->data() : memory.data(); }
    size_t size() const { return file ? file->size() : memory.size(); }

    int channels() const override { return decoder.channels(); }
    int rate() const override { return decoder.rate(); }
    int read(float* out, int frames) override { return decoder.read(out, frames); }
    bool rewind() override { return decoder.rewind(); }
};

SoundStream::SoundStream() = default;

SoundStream::SoundStream(int loop, std::u16string_view name)
    : loopFlag(loop), fileName(name), data(std::make_unique<Data>()) {
    data->file = std::make_unique<FileData>(FileData::FLAG_DELAYED, fileName);
    // Loaded at once (loads not delayed): check the file now.
    if (data->file->isLoaded()) openDecoder();
}

SoundStream::SoundStream(int loop, std::vector<uint8_t> bytes) : loopFlag(loop), data(std::make_unique<Data>()) {
    data->memory = std::move(bytes);
    openDecoder();
}

SoundStream::~SoundStream() {
    ZubAudio* audio = ZubAudio::active();
    if (audio && audio->getMusic() == this) audio->forgetMusic();
    audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    if (!data || !mixer) return;
    mixer->stopSource(this, nullptr, data.get());
    mixer->retire(std::shared_ptr<void>(std::move(data)));
}

bool SoundStream::openDecoder() {
    if (!data) return false;
    if (data->decoder.isOpen()) return true;
    std::string error;
    if (!data->decoder.open(data->bytes(), data->size(), error)) {
        if (fileName.empty()) ZUB_ERROR(u"Could not decode a music stream: %s.", error);
        ZUB_ERROR(u"Could not decode the music '%s': %s.", fileName, error);
    }
    return true;
}

uint32_t SoundStream::getChannelHandle() const {
    if (!handle || handleEpoch != ZubAudio::epoch()) return 0;
    ZubAudio* audio = ZubAudio::active();
    const audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    return mixer && mixer->isAlive(handle) ? handle : 0;
}

void SoundStream::recreateSoundStream() {
    if (getChannelHandle() != 0) return;
    ZubAudio* audio = ZubAudio::active();
    audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    if (!mixer || !openDecoder()) return;
    audio::VoiceStart s;
    s.stream = data.get();
    s.cursor = &data->cursor;
    s.loop = (loopFlag & FLAG_LOOP) != 0;
    s.play = false;
    handle = mixer->claim(s, this, true);
    handleEpoch = ZubAudio::epoch();
}

bool SoundStream::play(bool restart) {
    recreateSoundStream();
    ZubAudio* audio = ZubAudio::active();
    const uint32_t h = getChannelHandle();
    if (!h || !audio->canPlay()) return false;
    return audio->mixer()->play(h, restart);
}

void SoundStream::stop() {
    if (const uint32_t h = getChannelHandle()) ZubAudio::active()->mixer()->stop(h);
}

void SoundStream::setVolume(float volume, double slideSeconds) {
    if (const uint32_t h = getChannelHandle()) ZubAudio::active()->mixer()->setVolume(h, volume, slideSeconds);
}

bool SoundStream::isPlaying() const {
    const uint32_t h = getChannelHandle();
    return h && ZubAudio::active()->mixer()->isPlaying(h);
}

int64_t SoundStream::lengthFrames() { return openDecoder() ? data->decoder.lengthFrames() : 0; }

int SoundStream::sampleRate() { return openDecoder() ? data->decoder.rate() : 0; }
