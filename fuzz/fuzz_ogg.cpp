// Ogg Vorbis files from arbitrary bytes, read the ways the game reads them:
// the decoder on its own (read in pieces, rewound, read again), a sound
// decoded whole through Sound from its file, and music streamed through
// SoundStream and the mixer (played, looped, stopped). A file is either
// refused with a reason or gives 1 or 2 channels of at most
// audio::kMaxDecodedFrames frames; nothing reads or writes outside its input
// and the decoder's arena, and every object made is gone by the end.
//
// Seeds: with ZUB_FUZZ_OGG_SEEDS=<folder> the program writes its seed files
// into that folder and exits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "audio/OggEncoder.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/VorbisDecoder.h"
#include "audio/ZubAudio.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"

namespace {

constexpr int kMixRate = 22050;

ZubAudio* audioService = nullptr;
FileManager* files = nullptr;

void pullFrames(int frames) {
    float out[2 * 512];
    for (int done = 0; done < frames; done += 512) audioService->pull(out, 512);
}

// The decoder on its own, as the mixer drives a stream.
void readStream(const uint8_t* data, size_t size) {
    audio::VorbisStream stream;
    std::string why;
    if (!stream.open(data, size, why)) {
        FUZZ_CHECK(!why.empty() && !stream.isOpen());
        return;
    }
    FUZZ_CHECK(stream.channels() == 1 || stream.channels() == 2);
    FUZZ_CHECK(stream.rate() >= 1000 && stream.rate() <= 384000);
    static float buffer[2 * 4096];
    int64_t total = 0;
    for (int piece = 1; total < audio::kMaxDecodedFrames; piece = piece * 3 % 4093 + 1) {
        const int n = stream.read(buffer, piece);
        FUZZ_CHECK(n >= 0 && n <= piece);
        if (n == 0) break;
        total += n;
    }
    if (stream.rewind()) {
        for (int i = 0; i < 4; ++i) FUZZ_CHECK(stream.read(buffer, 4096) <= 4096);
    }
}

// Short files of both channel counts, and one whose comment header promises
// more comments than it holds.
void writeSeeds(const std::string& dir) {
    for (int channels : {1, 2}) {
        const int rate = channels == 1 ? 8000 : 11025;
        std::vector<float> samples(static_cast<size_t>(rate / 20 * channels));
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.4f * std::sin(0.05f * static_cast<float>(i));
        std::vector<uint8_t> bytes;
        if (!audio::encodeOggVorbis(samples.data(), static_cast<int64_t>(samples.size()) / channels, channels, rate,
                                    -0.1f, bytes)) {
            std::fprintf(stderr, "cannot encode a seed\n");
            std::exit(1);
        }
        fuzz::writeSeed(dir + "/tone-" + std::to_string(channels) + ".ogg", bytes);
        if (channels == 1) {
            // The comment count follows the vendor text of the second page.
            const size_t page2 = 27 + bytes[26] + 30;
            const size_t comment = page2 + 27 + bytes[page2 + 26];
            const size_t vendor = bytes[comment + 7] | (bytes[comment + 8] << 8);
            bytes[comment + 11 + vendor] = 3;
            fuzz::writeSeed(dir + "/comment-count.ogg", bytes);
        }
    }
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    if (const char* dir = std::getenv("ZUB_FUZZ_OGG_SEEDS")) writeSeeds(dir);
    files = new FileManager;
    files->baseFolder = fuzz::scratchFolder();
    audioService = new ZubAudio;
    if (!audioService->initPull(kMixRate)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 18)) return 0;
    Logger::get().clearHistory();
    const int liveBefore = ZubBase::liveCount();
    readStream(data, size);

    audio::PcmData pcm;
    std::string why;
    if (!audio::decodeOggVorbis(data, size, pcm, why)) {
        // What Sound and SoundStream report as a fatal error.
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(pcm.channels == 1 || pcm.channels == 2);
    FUZZ_CHECK(pcm.samples.size() % static_cast<size_t>(pcm.channels) == 0);
    FUZZ_CHECK(pcm.frames() > 0 && pcm.frames() <= audio::kMaxDecodedFrames);

    // A sound from its file, decoded when made, played once.
    if (!fuzz::writeFile(fuzz::scratchFolder() + "sound.ogg", data, size)) std::abort();
    {
        Sound sound(0, 2, u"sound.ogg");
        FUZZ_CHECK(sound.lengthFrames() == pcm.frames() && sound.channelCount() == pcm.channels);
        sound.play();
        sound.playSemitones(-12.0f);
        pullFrames(1024);
    }
    // The same bytes as looping music.
    {
        SoundStream music(SoundStream::FLAG_LOOP, std::vector<uint8_t>(data, data + size));
        audioService->setMusic(&music);
        pullFrames(4096);
        music.setVolume(0.5f, 0.01);
        music.play(true);
        pullFrames(2048);
        music.stop();
    }
    pullFrames(512);
    FUZZ_CHECK(ZubBase::liveCount() == liveBefore);
    return 0;
}
