#pragma once
// Helpers of the audio tests: generated sounds, pulling the mixer into a
// buffer, measuring what comes out.
#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/OggEncoder.h"
#include "audio/ZubAudio.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"

namespace audiotest {

constexpr double kPi = 3.14159265358979323846;

// The clock the tests drive.
inline double fakeNow = 0.0;
inline double fakeClock() { return fakeNow; }

// Interleaved frames of a sine of `hz` (every channel the same).
inline std::vector<float> sine(double hz, double seconds, int rate, float amplitude = 0.5f, int channels = 1) {
    const int64_t n = static_cast<int64_t>(std::llround(seconds * rate));
    std::vector<float> out(static_cast<size_t>(n * channels));
    for (int64_t i = 0; i < n; ++i) {
        const float v = amplitude * static_cast<float>(std::sin(2.0 * kPi * hz * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) out[static_cast<size_t>(i * channels + c)] = v;
    }
    return out;
}

// A constant level.
inline std::vector<float> level(float value, int frames, int channels = 1) {
    return std::vector<float>(static_cast<size_t>(frames) * channels, value);
}

// Frames k / n for k = 0 .. n-1.
inline std::vector<float> ramp(int frames) {
    std::vector<float> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) out[static_cast<size_t>(i)] = static_cast<float>(i) / frames;
    return out;
}

// Pulls `frames` stereo frames from the service.
inline std::vector<float> pull(ZubAudio& audio, int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2, -99.0f);
    // Pulled in device-sized pieces, as a device would.
    for (int done = 0; done < frames;) {
        const int n = std::min(512, frames - done);
        audio.pull(out.data() + static_cast<size_t>(done) * 2, n);
        done += n;
    }
    return out;
}

inline float left(const std::vector<float>& stereo, size_t frame) { return stereo[2 * frame]; }
inline float right(const std::vector<float>& stereo, size_t frame) { return stereo[2 * frame + 1]; }

// The frequency of a periodic signal in one channel, from its rising zero
// crossings (positions interpolated between frames).
inline double measureHz(const std::vector<float>& stereo, int rate, int channel = 0) {
    const size_t frames = stereo.size() / 2;
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (size_t i = 1; i < frames; ++i) {
        const float a = stereo[2 * (i - 1) + channel], b = stereo[2 * i + channel];
        if (a < 0.0f && b >= 0.0f) {
            const double t = static_cast<double>(i - 1) + a / (a - b);
            if (first < 0.0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * static_cast<double>(rate) / (last - first);
}

inline float peak(const std::vector<float>& stereo, size_t from = 0, size_t to = SIZE_MAX) {
    float p = 0.0f;
    to = std::min(to, stereo.size() / 2);
    for (size_t i = from; i < to; ++i) p = std::max({p, std::fabs(stereo[2 * i]), std::fabs(stereo[2 * i + 1])});
    return p;
}

// Ogg Vorbis bytes of a sound.
inline std::vector<uint8_t> ogg(const std::vector<float>& samples, int channels, int rate, float quality = 0.4f) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(audio::encodeOggVorbis(samples.data(), static_cast<int64_t>(samples.size()) / channels, channels, rate,
                                       quality, bytes, &error))
        << error;
    return bytes;
}

// The second page of a file as the encoder writes it (the comment and setup
// headers): where it starts, where its packets start and where it ends.
struct SecondPage {
    size_t start, packets, end;
};
inline SecondPage secondPage(const std::vector<uint8_t>& bytes) {
    SecondPage page;
    page.start = 27 + bytes[26] + 30;  // after the identification page
    page.packets = page.start + 27 + bytes[page.start + 26];
    page.end = page.packets;
    for (size_t i = page.start + 27; i < page.packets; ++i) page.end += bytes[i];
    return page;
}

// A damaged Ogg Vorbis file: the comment header of `bytes` (as the encoder
// writes it: no comments) promises `count` comments that are not there.
inline std::vector<uint8_t> withCommentCount(std::vector<uint8_t> bytes, uint8_t count) {
    const size_t packet = secondPage(bytes).packets;  // the comment packet
    const size_t vendor = bytes[packet + 7] | (bytes[packet + 8] << 8);
    bytes[packet + 11 + vendor] = count;
    return bytes;
}

// A small file that decodes to far more sound than it holds: the headers of
// `bytes` with both block sizes made 8192, then pages of 255 empty packets,
// each of which decodes to 4096 frames.
inline std::vector<uint8_t> endlessOgg(const std::vector<uint8_t>& bytes, int pages) {
    const size_t end = secondPage(bytes).end;
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end));
    out[28 + 28] = 0xDD;
    for (int n = 0; n < pages; ++n) {
        std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, 0};
        page.insert(page.end(), 8, 0xFF);                                 // no granule position
        page.insert(page.end(), bytes.begin() + 14, bytes.begin() + 18);  // serial number
        for (int k = 0; k < 4; ++k) page.push_back(static_cast<uint8_t>((n + 2) >> (8 * k)));
        page.insert(page.end(), {0, 0, 0, 0, 255});
        page.insert(page.end(), 255, 0);  // 255 empty packets
        ogg_page p{page.data(), static_cast<long>(page.size()), nullptr, 0};
        ogg_page_checksum_set(&p);
        out.insert(out.end(), page.begin(), page.end());
    }
    return out;
}

// A damaged Ogg Vorbis file whose setup header is still well formed: in
// the first small codebook (2 to 8 entries, every length written out), the
// code of the entry with the shortest one (the most used) is 31 bits long,
// the longest the format allows. The audio packets were written with the
// short codes, so most of them now reach the decoder's search for codes
// longer than its table.
// Empty when `bytes` has no such codebook.
inline std::vector<uint8_t> withLongestCode(std::vector<uint8_t> bytes) {
    static const uint8_t kSetup[] = {5, 'v', 'o', 'r', 'b', 'i', 's'};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(kSetup), std::end(kSetup));
    if (at == bytes.end()) return {};
    // The header's fields are packed from each byte's lowest bit up.
    size_t bit = static_cast<size_t>(at - bytes.begin() + 7) * 8;
    auto read = [&](int n) {
        uint64_t v = 0;
        for (int i = 0; i < n && bit / 8 < bytes.size(); ++i, ++bit)
            v |= uint64_t((bytes[bit / 8] >> (bit % 8)) & 1) << i;
        return v;
    };
    const uint64_t books = read(8) + 1;
    for (uint64_t b = 0; b < books && bit / 8 < bytes.size(); ++b) {
        if (read(24) != 0x564342) return {};
        const uint64_t dimensions = read(16), entries = read(24);
        const bool ordered = read(1) != 0;
        const bool sparse = !ordered && read(1) != 0;
        size_t shortest = 0;
        uint64_t shortestLength = 32;
        if (ordered) {
            read(5);
            for (uint64_t done = 0; done < entries;) done += read(static_cast<int>(std::bit_width(entries - done)));
        } else {
            for (uint64_t e = 0; e < entries; ++e) {
                if (sparse && read(1) == 0) continue;
                const size_t field = bit;
                if (const uint64_t length = read(5) + 1; length < shortestLength) {
                    shortest = field;
                    shortestLength = length;
                }
            }
        }
        if (!ordered && !sparse && entries >= 2 && entries <= 8) {
            // A length is written less one: 30 for 31 bits.
            for (int i = 0; i < 5; ++i, ++shortest) {
                const auto mask = static_cast<uint8_t>(1u << (shortest % 8));
                if ((30 >> i) & 1) {
                    bytes[shortest / 8] |= mask;
                } else {
                    bytes[shortest / 8] &= static_cast<uint8_t>(~mask);
                }
            }
            // The setup header is on the second page, whose checksum must match again.
            const SecondPage page = secondPage(bytes);
            ogg_page p{bytes.data() + page.start, static_cast<long>(page.packets - page.start),
                       bytes.data() + page.packets, static_cast<long>(page.end - page.packets)};
            ogg_page_checksum_set(&p);
            return bytes;
        }
        const uint64_t lookup = read(4);
        if (lookup == 1 || lookup == 2) {
            read(64);
            const uint64_t valueBits = read(4) + 1;
            read(1);
            uint64_t values = entries * dimensions;
            if (lookup == 1) {
                values = 0;
                while (std::pow(static_cast<double>(values + 1), static_cast<double>(dimensions)) <= entries) ++values;
            }
            bit += valueBits * values;
        }
    }
    return {};
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using filestest::TempFolder;

// Every test starts from the same random state, full global volumes and a
// clock of its own.
class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        randomState = 1;
        fakeNow = 0.0;
        savedClock = ZubAudio::clock;
        ZubAudio::clock = &fakeClock;
        for (int option = ZubAudio::CONFIG_GVOL_SAMPLE; option <= ZubAudio::CONFIG_GVOL_MUSIC; ++option)
            ZubAudio::setConfig(option, ZubAudio::kMaxGlobalVolume);
    }
    void TearDown() override {
        ZubAudio::clock = savedClock;
        for (int option = ZubAudio::CONFIG_GVOL_SAMPLE; option <= ZubAudio::CONFIG_GVOL_MUSIC; ++option)
            ZubAudio::setConfig(option, ZubAudio::kMaxGlobalVolume);
    }

    double (*savedClock)() = nullptr;
};

}  // namespace audiotest
