#pragma once
// Small helpers shared by the fuzz targets: the engine's start, taking
// fields from the input, a scratch folder removed when the fuzzer exits, and
// writing seed files and the images in them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"

namespace fuzz {

// What a target's set-up starts with: errors are reported instead of ending
// the process, and the runtime classes are registered.
inline void startEngine() {
    ErrorManager::bTestMode = true;
    RuntimeClassManager::getInstance().buildClassArray();
}

// Stops the run (as a crash) when a property of the code under test fails,
// naming the line.
[[noreturn]] inline void failed(const char* condition, int line) {
    std::fprintf(stderr, "check failed at line %d: %s\n", line, condition);
    std::abort();
}
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : fuzz::failed(#condition, __LINE__))

// Reads fields from the front of the input; a field that runs past the end
// takes what is left.
class Input {
public:
    Input(const uint8_t* data, size_t size) : p(data), left(size) {}
    uint8_t byte() {
        if (!left) return 0;
        --left;
        return *p++;
    }
    uint16_t u16() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
    std::string_view bytes(size_t n) {
        if (n > left) n = left;
        std::string_view v(reinterpret_cast<const char*>(p), n);
        p += n;
        left -= n;
        return v;
    }
    // Two bytes of length, then that many bytes.
    std::string_view chunk() { return bytes(u16()); }
    std::string_view rest() { return bytes(left); }
    // UTF-16 units, little-endian, from two bytes of unit count.
    std::u16string text() {
        const std::string_view b = bytes(size_t{u16()} * 2);
        std::u16string t(b.size() / 2, u'\0');
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<char16_t>(static_cast<uint8_t>(b[2 * i]) | (static_cast<uint8_t>(b[2 * i + 1]) << 8));
        return t;
    }

private:
    const uint8_t* p;
    size_t left;
};

// A folder of its own under the system's temporary folder, removed at exit.
inline const std::string& scratchFolder() {
    static const std::string path = [] {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("zub-fuzz-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
        static const std::string removeAtExit = dir.string();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(removeAtExit, ec);
        });
        return dir.string() + "/";
    }();
    return path;
}

inline bool writeFile(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Writes a seed file; a seed that cannot be written ends the program, naming it.
inline void writeSeed(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!writeFile(path, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// Field builders for seed files (the inverse of Input).
inline void putU16(std::vector<uint8_t>& out, size_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void putChunk(std::vector<uint8_t>& out, std::string_view bytes) {
    putU16(out, bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
}
inline void putText(std::vector<uint8_t>& out, std::u16string_view text) {
    putU16(out, text.size());
    for (char16_t c : text) putU16(out, c);
}

// Image files for seeds, from ARGB words (rows from the top).

inline void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void pngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    putBig32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    putBig32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// An RGBA PNG of w x h pixels.
inline std::vector<uint8_t> png(int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = argb[static_cast<size_t>(y * w + x)];
            for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<uint8_t>(p >> shift));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(w));
    putBig32(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", packed);
    pngChunk(out, "IEND", {});
    return out;
}

// A 32-bit TGA, run-length coded when `rle`.
inline std::vector<uint8_t> tga(int w, int h, const std::vector<uint32_t>& argb, bool rle) {
    std::vector<uint8_t> out = {0, 0, static_cast<uint8_t>(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putU16(out, static_cast<size_t>(w));
    putU16(out, static_cast<size_t>(h));
    out.push_back(32);
    out.push_back(0x28);  // top-left origin, 8 alpha bits
    for (size_t i = 0; i < argb.size();) {
        size_t run = 1;
        if (rle) {
            // A run of up to 128 equal pixels (a row-crossing run is allowed).
            while (i + run < argb.size() && run < 128 && argb[i + run] == argb[i]) ++run;
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
        }
        for (int shift : {0, 8, 16, 24}) out.push_back(static_cast<uint8_t>(argb[i] >> shift));
        i += run;
    }
    return out;
}

}  // namespace fuzz
