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
#include <string>
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
// The most pixels accepted from a file: a texture of 4096 x 4096 (64 MB of
// ARGB words; the game's largest is 2048 x 960).
constexpr int64_t MAX_PIXELS = int64_t(1) << 24;
// The most scans accepted from a JPEG file. A sequential picture has one
// scan per component at most and a progressive one a few (libjpeg's own
// progression takes 10 for a colour picture); every scan is a pass over the
// picture, however few bytes of file it takes, so that a file repeating its
// scans could otherwise ask for thousands of passes over 4096 x 4096 pixels.
constexpr int MAX_JPEG_SCANS = 32;

enum class Format { Unknown, Jpeg, Png, Tga };

// What a decoded image's alpha holds.
enum class Alpha : uint8_t {
    Opaque,  // the file has no alpha channel: every pixel's alpha is 255
    Unused,  // the file's alpha channel is 0 everywhere
    Used,    // the file's alpha channel is not 0 everywhere (DecodedImage::alphaUsed)
};

// Where a decode writes its pixels: rows that the caller provides once the
// image's size is known and has passed the checks (a texture's canvas, wider
// than the image). Every pixel of the image is written; the words beyond
// each row's width are left alone.
class ImageTarget {
public:
    // The first row of a width x height image; rows are `stride` words apart
    // (at least `width`). Asked for once per decode.
    virtual uint32_t* rows(int width, int height, size_t& stride) = 0;

protected:
    ~ImageTarget() = default;
};

// The format by content (JPEG and PNG by their signatures; anything else is
// tried as TGA, which has none).
Format detect(const uint8_t* data, size_t size);

// Decodes any supported file into `out`. False with the reason (and `out`
// empty) when the bytes are no supported image, are damaged, declare a
// size beyond MAX_DIMENSION or MAX_PIXELS or beyond what bytes of their
// length can hold (the size is checked before anything of it is allocated),
// or are a JPEG file of more than MAX_JPEG_SCANS scans (refused before the
// first scan past the limit is decoded).
bool tryDecode(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason);
bool tryDecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason);
// The same into the target's rows, with what their alpha holds. On failure
// the target may have been asked for its rows and hold part of the image.
bool tryDecodeInto(const uint8_t* data, size_t size, ImageTarget& target, Alpha& alpha, std::string& reason);

// The size a file declares, from its header alone, after the checks a
// decode makes before it allocates anything (supported format, the limits,
// what bytes of its length can hold): a file that passes may still turn out
// damaged when decoded, one that fails would fail to decode with the same
// reason. False with the reason (and 0 x 0) otherwise.
bool tryReadSize(const uint8_t* data, size_t size, int& width, int& height, std::string& reason);
// The same from the first `size` bytes of a file of `fileSize` bytes: the
// header's checks only (the format, the limits); what the rest of the file
// must hold is checked when it is decoded. False also when the header goes
// on past the bytes given.
bool tryReadSizeFromHead(const uint8_t* data, size_t size, size_t fileSize, int& width, int& height,
                         std::string& reason);

// The decoding of every format through its library alone: true-colour TGA
// files (what the content ships) are otherwise copied row by row and run by
// run, without stb_image, to the same pixels. For comparing the two.
bool tryDecodeThroughLibraries(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason);

// The same, fatal on failure. `name` is used in messages.
void decode(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out);
void decodeJpeg(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out);
void decodeInto(const uint8_t* data, size_t size, std::u16string_view name, ImageTarget& target, Alpha& alpha);
void readSize(const uint8_t* data, size_t size, std::u16string_view name, int& width, int& height);

// JPEG of ARGB pixels (alpha ignored), quality 1-100. False when the encoder
// failed (the reason is logged).
bool encodeJpeg(const uint32_t* argb, int width, int height, int quality, std::vector<uint8_t>& out);

}  // namespace image_codec
