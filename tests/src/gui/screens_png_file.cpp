// PNG files of the screens' stored pictures, written by stb_image_write (kept
// apart from the engine's maths header, whose lerp meets the C library's).
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

namespace screenstest {

// Writes ARGB pixels (rows top-down) as an opaque RGB PNG.
bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> rgb;
    rgb.reserve(argb.size() * 3);
    for (uint32_t p : argb) {
        rgb.push_back(static_cast<uint8_t>(p >> 16));
        rgb.push_back(static_cast<uint8_t>(p >> 8));
        rgb.push_back(static_cast<uint8_t>(p));
    }
    return stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}

}  // namespace screenstest
