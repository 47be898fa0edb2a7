// PNG files for the image tests, written by stb_image_write (kept apart from
// the engine's maths header, whose lerp meets the C library's).
#include <cstdint>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace gfxtest {

std::string pngBytes(int w, int h, const std::vector<uint32_t>& argb, int channels) {
    std::vector<uint8_t> raw;
    for (uint32_t p : argb) {
        raw.push_back(static_cast<uint8_t>(p >> 16));
        raw.push_back(static_cast<uint8_t>(p >> 8));
        raw.push_back(static_cast<uint8_t>(p));
        if (channels == 4) raw.push_back(static_cast<uint8_t>(p >> 24));
    }
    std::string out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); },
        &out, w, h, channels, raw.data(), w * channels);
    return out;
}

}  // namespace gfxtest
