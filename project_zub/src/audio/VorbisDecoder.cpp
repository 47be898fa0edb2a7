#include "audio/VorbisDecoder.h"

#include <algorithm>
#include <climits>

// The decoder itself is compiled here, once, as C++: stb_vorbis v1.22 as
// Debian ships it (libstb-dev), kept in third_party/ with our fixes for
// damaged files. It is third-party code: its own warnings are not ours to fix.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-value"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#pragma GCC diagnostic ignored "-Wshadow"
#define STB_VORBIS_NO_STDIO 1
#define STB_VORBIS_NO_PUSHDATA_API 1
#include "audio/third_party/stb_vorbis.c"
#pragma GCC diagnostic pop

namespace audio {

namespace {

const char* errorText(int code) {
    switch (code) {
        case VORBIS_outofmem:
            return "out of memory";
        case VORBIS_unexpected_eof:
            return "the file ends too early";
        case VORBIS_invalid_setup:
            return "invalid codec setup";
        case VORBIS_invalid_stream:
            return "not a valid Ogg Vorbis stream";
        case VORBIS_missing_capture_pattern:
            return "no Ogg page found";
        case VORBIS_invalid_stream_structure_version:
            return "unknown Ogg version";
        case VORBIS_invalid_first_page:
            return "invalid first page";
        case VORBIS_bad_packet_type:
            return "bad packet type";
        case VORBIS_incorrect_stream_serial_number:
            return "wrong stream serial number";
        case VORBIS_cant_find_last_page:
            return "no last page";
        case VORBIS_seek_failed:
            return "seek failed";
        case VORBIS_ogg_skeleton_not_supported:
            return "Ogg skeleton streams are not supported";
        case VORBIS_feature_not_supported:
            return "unsupported Vorbis feature";
        case VORBIS_too_many_channels:
            return "too many channels";
        default:
            return "not an Ogg Vorbis file";
    }
}

// The decoder's lengths are ints.
bool sizeFits(size_t size) { return size > 0 && size <= static_cast<size_t>(INT_MAX); }

}  // namespace

bool decodeOggVorbis(const uint8_t* data, size_t size, PcmData& out, std::string& error) {
    VorbisStream stream;
    if (!stream.open(data, size, error)) return false;
    out.channels = stream.channels();
    out.rate = stream.rate();
    out.samples.clear();
    // The length in the last page is only a hint for the reservation; a
    // damaged file could claim anything.
    constexpr int64_t kMaxReserve = int64_t(1) << 24;
    const int64_t hint = stream.lengthFrames();
    if (hint > 0) out.samples.reserve(static_cast<size_t>((hint < kMaxReserve ? hint : kMaxReserve) * out.channels));
    // Every packet takes at least one byte of the file and gives at most half
    // a long block (4096 frames): more than that is not sound but a damaged
    // file going round.
    const int64_t limit = std::min<int64_t>(kMaxDecodedFrames, static_cast<int64_t>(size) * 4096);
    constexpr int kChunk = 4096;
    float buffer[kChunk * 2];
    int64_t frames = 0;
    for (;;) {
        const int n = stream.read(buffer, kChunk);
        if (n <= 0) break;
        frames += n;
        if (frames > limit) {
            out.samples.clear();
            out.samples.shrink_to_fit();
            error = "the sound is longer than " + std::to_string(limit) + " frames";
            return false;
        }
        out.samples.insert(out.samples.end(), buffer, buffer + static_cast<size_t>(n) * out.channels);
    }
    if (out.samples.empty()) {
        error = "the file holds no sound";
        return false;
    }
    return true;
}

VorbisStream::~VorbisStream() { close(); }

bool VorbisStream::open(const uint8_t* data, size_t size, std::string& error) {
    close();
    if (!data || !sizeFits(size)) {
        error = "empty or oversized file";
        return false;
    }
    // The decoder takes all its memory from an arena of ours: what a damaged
    // header asks for is bounded by the arena, the decoder's own frees do
    // nothing (the arena goes whole), and decoding allocates nothing. Real
    // files fit the first size; the larger ones are tried only when needed.
    int code = 0;
    for (int bytes : {256 << 10, 2 << 20, kMaxArenaBytes}) {
        arena.reset(new char[static_cast<size_t>(bytes)]);
        stb_vorbis_alloc alloc{arena.get(), bytes};
        decoder = stb_vorbis_open_memory(data, static_cast<int>(size), &code, &alloc);
        if (decoder || code != VORBIS_outofmem) break;
    }
    if (!decoder) {
        arena.reset();
        error = code == VORBIS_outofmem ? "the file needs more decoder memory than allowed" : errorText(code);
        return false;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(decoder);
    if (info.channels < 1 || info.sample_rate < 1000 || info.sample_rate > 384000) {
        close();
        error = "unsupported channel count or sample rate";
        return false;
    }
    channelCount = info.channels >= 2 ? 2 : 1;
    sampleRate = static_cast<int>(info.sample_rate);
    length = stb_vorbis_stream_length_in_samples(decoder);
    // Measuring the length moved the read position.
    if (!rewind()) {
        close();
        error = "the file cannot be read from its start";
        return false;
    }
    return true;
}

void VorbisStream::close() {
    if (decoder) stb_vorbis_close(decoder);
    decoder = nullptr;
    arena.reset();
    channelCount = 0;
    sampleRate = 0;
    length = 0;
}

int VorbisStream::read(float* out, int frames) {
    if (!decoder || frames <= 0) return 0;
    return stb_vorbis_get_samples_float_interleaved(decoder, channelCount, out, frames * channelCount);
}

bool VorbisStream::rewind() { return decoder && stb_vorbis_seek_start(decoder) != 0; }

}  // namespace audio
