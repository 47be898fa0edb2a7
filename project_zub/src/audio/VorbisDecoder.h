#pragma once
// Ogg Vorbis decoding: a whole file into memory for sound samples, or
// streamed a piece at a time for music.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct stb_vorbis;

namespace audio {

// Decoded sound: interleaved 32-bit float frames of 1 or 2 channels.
struct PcmData {
    std::vector<float> samples;
    int channels = 0;
    int rate = 0;
    int64_t frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// The longest sound decodeOggVorbis accepts, in frames (about 95 seconds at
// 44.1 kHz; music is streamed, never decoded whole).
constexpr int64_t kMaxDecodedFrames = int64_t(1) << 22;

// Decodes a whole Ogg Vorbis file held in memory. A file with more than two
// channels keeps its first two. False with a reason when the bytes are not a
// Vorbis file, hold no sound, or decode to more frames than kMaxDecodedFrames
// or than bytes of that size can hold.
bool decodeOggVorbis(const uint8_t* data, size_t size, PcmData& out, std::string& error);

// Reads an Ogg Vorbis file from bytes in memory, which it does not copy: they
// must stay in place while the stream is open. open() allocates one arena of
// at most kMaxArenaBytes from which the decoder takes all its tables and
// scratch memory; read() and rewind() allocate nothing and take no lock, so
// the audio thread may call them. One thread at a time.
class VorbisStream {
public:
    // The largest arena a file may need (real files need a few hundred
    // kilobytes; a damaged header can ask for anything).
    static constexpr int kMaxArenaBytes = 8 << 20;

    VorbisStream() = default;
    ~VorbisStream();
    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    bool open(const uint8_t* data, size_t size, std::string& error);
    void close();
    bool isOpen() const { return decoder != nullptr; }

    // 1 or 2 (a file with more channels is read as its first two).
    int channels() const { return channelCount; }
    int rate() const { return sampleRate; }
    // Frames in the whole file (0 when unknown).
    int64_t lengthFrames() const { return length; }

    // Up to `frames` interleaved frames into `out`; 0 at the end of the file.
    int read(float* out, int frames);
    // Back to the first frame. False when the file cannot be read again.
    bool rewind();

private:
    stb_vorbis* decoder = nullptr;
    std::unique_ptr<char[]> arena;  // all of the decoder's memory
    int channelCount = 0;
    int sampleRate = 0;
    int64_t length = 0;
};

}  // namespace audio
