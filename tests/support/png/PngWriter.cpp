#include "PngWriter.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace pngtest {

namespace {

// The pixels as stb takes them: r, g, b (and a) bytes.
std::vector<uint8_t> channelBytes(const std::vector<uint32_t>& argb, int channels) {
    std::vector<uint8_t> raw;
    raw.reserve(argb.size() * static_cast<size_t>(channels));
    for (uint32_t p : argb) {
        raw.push_back(static_cast<uint8_t>(p >> 16));
        raw.push_back(static_cast<uint8_t>(p >> 8));
        raw.push_back(static_cast<uint8_t>(p));
        if (channels == 4) raw.push_back(static_cast<uint8_t>(p >> 24));
    }
    return raw;
}

}  // namespace

std::string pngBytes(int w, int h, const std::vector<uint32_t>& argb, int channels) {
    const std::vector<uint8_t> raw = channelBytes(argb, channels);
    std::string out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); },
        &out, w, h, channels, raw.data(), w * channels);
    return out;
}

bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    const std::vector<uint8_t> rgb = channelBytes(argb, 3);
    return stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}

}  // namespace pngtest
