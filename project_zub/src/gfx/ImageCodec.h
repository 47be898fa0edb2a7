#pragma once
// Image files in memory: TGA and PNG (through stb_image) and JPEG (through
// libjpeg with our own memory source and error handling), decoded into 32-bit
// ARGB words (0xAARRGGBB), rows top-down. Screenshots are encoded as JPEG.
//
// Images named by the program ship with it, so a file that cannot be decoded
// is a fatal error with a clear message ("JPEG decode failed: %s" for JPEG,
// "Image decode failed: %s" for the others); the image libraries never end
// the program themselves.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height ARGB words
    // The file has an alpha channel and at least one pixel's alpha is not 0
    // (a channel left at 0 everywhere counts as unused).
    bool alphaUsed = false;
};

namespace image_codec {

// The largest width or height accepted from a file.
constexpr int MAX_DIMENSION = 16384;

enum class Format { Unknown, Jpeg, Png, Tga };

// The format by content (JPEG and PNG by their signatures; anything else is
// tried as TGA, which has none).
Format detect(const uint8_t* data, size_t size);

// Decodes any supported file. `name` is used in messages. Fatal on failure.
void decode(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out);
void decodeJpeg(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out);

// JPEG of ARGB pixels (alpha ignored), quality 1-100. False when the encoder
// failed (the reason is logged).
bool encodeJpeg(const uint32_t* argb, int width, int height, int quality, std::vector<uint8_t>& out);

}  // namespace image_codec
