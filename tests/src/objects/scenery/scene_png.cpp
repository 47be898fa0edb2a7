// The scenery picture as a PNG file, by stb_image_write (apart from the
// engine's maths header, whose lerp meets the C library's).
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

namespace scenerytest {

bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> rgb;  // opaque
    for (uint32_t p : argb)
        for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(p >> shift));
    return stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}

}  // namespace scenerytest
