// True-colour TGA files are copied into their rows without stb_image: the
// pixels and the alpha flag agree with stb_image's decoding for every TGA of
// the generated content and for every layout the format allows (raw and
// run-length, 24 and 32 bits, either row order, an image id, packets across
// rows and past the image's end, streams cut short); a texture's canvas takes
// the image directly, with transparent black around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/ImageCodec.h"
#include "gfx/Texture.h"
#include "gfx_test_support.h"
#include "sys/FileManager.h"

using namespace gfxtest;

namespace {

namespace fs = std::filesystem;

struct Decoded {
    bool ok = false;
    DecodedImage image;
    std::string reason;
};

Decoded decodeDirect(const std::string& bytes) {
    Decoded d;
    d.ok = image_codec::tryDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d.image, d.reason);
    return d;
}

Decoded decodeWithLibrary(const std::string& bytes) {
    Decoded d;
    d.ok = image_codec::tryDecodeThroughLibraries(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d.image,
                                                  d.reason);
    return d;
}

// Both decodings of `bytes` agree (success, size, every pixel, alpha).
void expectSameAsLibrary(const std::string& bytes, const std::string& what) {
    const Decoded direct = decodeDirect(bytes), library = decodeWithLibrary(bytes);
    ASSERT_EQ(direct.ok, library.ok) << what << ": " << direct.reason << " / " << library.reason;
    if (!direct.ok) return;
    EXPECT_EQ(direct.image.width, library.image.width) << what;
    EXPECT_EQ(direct.image.height, library.image.height) << what;
    EXPECT_EQ(direct.image.alphaUsed, library.image.alphaUsed) << what;
    ASSERT_EQ(direct.image.pixels.size(), library.image.pixels.size()) << what;
    const auto diff =
        std::mismatch(direct.image.pixels.begin(), direct.image.pixels.end(), library.image.pixels.begin());
    EXPECT_TRUE(diff.first == direct.image.pixels.end())
        << what << ": pixel " << (diff.first - direct.image.pixels.begin()) << " differs";
}

// A TGA header: type 2 or 10, 24 or 32 bits, top-down or bottom-up rows,
// an image id of `idLength` bytes.
std::string tgaHeader(int type, int bits, bool topDown, int w, int h, int idLength) {
    std::string s(18, '\0');
    s[0] = static_cast<char>(idLength);
    s[2] = static_cast<char>(type);
    s[12] = static_cast<char>(w & 0xFF);
    s[13] = static_cast<char>(w >> 8);
    s[14] = static_cast<char>(h & 0xFF);
    s[15] = static_cast<char>(h >> 8);
    s[16] = static_cast<char>(bits);
    s[17] = static_cast<char>((topDown ? 0x20 : 0) | (bits == 32 ? 8 : 0));
    s.append(static_cast<size_t>(idLength), 'i');
    return s;
}

void appendPixel(std::string& s, uint32_t argb, int bits) {
    for (int b = 0; b < bits / 8; ++b) s.push_back(static_cast<char>((argb >> (8 * b)) & 0xFF));
}

uint32_t colourOf(int i, bool zeroAlpha) {
    const uint32_t rgb = (static_cast<uint32_t>(i) * 0x9E3779B9u) & 0x00FFFFFFu;
    return zeroAlpha ? rgb : rgb | (static_cast<uint32_t>(i * 37 + 1) & 0xFF) << 24;
}

// A run-length stream of w x h pixels: raw packets and runs of 1 to 128
// pixels that run across rows, the last run going on past the image.
std::string rleImage(int bits, bool topDown, int w, int h, int idLength, bool zeroAlpha) {
    std::string s = tgaHeader(10, bits, topDown, w, h, idLength);
    const int total = w * h;
    int done = 0, i = 0;
    while (done < total) {
        const int length = 1 + (i * 53) % 128;
        if (i % 3 == 0) {
            s.push_back(static_cast<char>(0x80 | (length - 1)));
            appendPixel(s, colourOf(i, zeroAlpha), bits);
            done += length;  // may go past the end: the image cuts it
        } else {
            const int n = std::min(length, total - done);
            s.push_back(static_cast<char>(n - 1));
            for (int k = 0; k < n; ++k) appendPixel(s, colourOf(done + k, zeroAlpha), bits);
            done += n;
        }
        ++i;
    }
    return s;
}

std::string rawImage(int bits, bool topDown, int w, int h, int idLength, bool zeroAlpha) {
    std::string s = tgaHeader(2, bits, topDown, w, h, idLength);
    for (int k = 0; k < w * h; ++k) appendPixel(s, colourOf(k, zeroAlpha), bits);
    return s;
}

TEST(TgaCopy, EveryLayoutDecodesAsTheLibraryDecodesIt) {
    for (int bits : {24, 32})
        for (bool topDown : {true, false})
            for (int idLength : {0, 7})
                for (bool zeroAlpha : {false, true}) {
                    const std::string what = std::to_string(bits) + (topDown ? " top-down" : " bottom-up") + " id " +
                                             std::to_string(idLength) + (zeroAlpha ? " no alpha" : "");
                    expectSameAsLibrary(rawImage(bits, topDown, 37, 23, idLength, zeroAlpha), "raw " + what);
                    expectSameAsLibrary(rleImage(bits, topDown, 37, 23, idLength, zeroAlpha), "rle " + what);
                    expectSameAsLibrary(rleImage(bits, topDown, 1, 300, idLength, zeroAlpha), "rle column " + what);
                }
    // The direct path did the work: a 32-bit image keeps its alpha, a
    // 24-bit one is opaque without using it.
    const Decoded rle32 = decodeDirect(rleImage(32, true, 37, 23, 0, false));
    ASSERT_TRUE(rle32.ok);
    EXPECT_TRUE(rle32.image.alphaUsed);
    EXPECT_EQ(rle32.image.pixels[0], colourOf(0, false));
    const Decoded raw24 = decodeDirect(rawImage(24, false, 37, 23, 0, false));
    ASSERT_TRUE(raw24.ok);
    EXPECT_FALSE(raw24.image.alphaUsed);
    // Bottom-up: the file's first pixel is the bottom row's first.
    EXPECT_EQ(raw24.image.pixels[22 * 37], colourOf(0, false) | 0xFF000000u);
}

TEST(TgaCopy, StreamsCutShortDecodeAsTheLibraryDecodesThem) {
    // Every length of a run-length file that the size checks let through:
    // the library reads zeros past the end, and so does the copy.
    for (int bits : {24, 32}) {
        const std::string whole = rleImage(bits, true, 9, 7, 0, false);
        for (size_t size = 18; size < whole.size(); ++size)
            expectSameAsLibrary(whole.substr(0, size),
                                std::to_string(bits) + " bits, " + std::to_string(size) + " bytes");
        const std::string raw = rawImage(bits, false, 9, 7, 0, false);
        for (size_t size = 18; size < raw.size(); size += 5)
            expectSameAsLibrary(raw.substr(0, size), "raw " + std::to_string(size) + " bytes");
    }
}

// Rows of `stride` words filled with a marker before the decode.
class StrideTarget final : public image_codec::ImageTarget {
public:
    static constexpr uint32_t MARK = 0x5A5A5A5Au;
    uint32_t* rows(int w, int h, size_t& s) override {
        width = w;
        height = h;
        stride = s = static_cast<size_t>(w) + 3;
        words.assign(stride * static_cast<size_t>(h), MARK);
        return words.data();
    }
    int width = 0, height = 0;
    size_t stride = 0;
    std::vector<uint32_t> words;
};

TEST(TgaCopy, EveryTgaOfTheContentDecodesAsTheLibraryDecodesIt) {
    const fs::path gfx = fs::path(ZUB_CONTENT_DIR) / "gfx";
    int files = 0, runLength = 0, raw = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(gfx)) {
        if (e.path().extension() != ".tga") continue;
        const std::string bytes = filestest::readBytes(e.path().string());
        ASSERT_GE(bytes.size(), 18u) << e.path();
        ++(bytes[2] == 10 ? runLength : raw);
        ++files;
        expectSameAsLibrary(bytes, e.path().string());
        // Into rows wider than the image: every pixel lands in its row and
        // the words beyond the width stay as they were.
        const Decoded library = decodeWithLibrary(bytes);
        StrideTarget target;
        image_codec::Alpha alpha = image_codec::Alpha::Used;
        std::string reason;
        ASSERT_TRUE(image_codec::tryDecodeInto(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), target,
                                               alpha, reason))
            << reason;
        EXPECT_EQ(alpha == image_codec::Alpha::Used, library.image.alphaUsed);
        // An image said to be opaque is.
        if (alpha == image_codec::Alpha::Opaque) {
            for (uint32_t p : library.image.pixels) ASSERT_EQ(p >> 24, 0xFFu) << e.path();
        }
        for (int y = 0; y < target.height; ++y) {
            const uint32_t* row = target.words.data() + static_cast<size_t>(y) * target.stride;
            ASSERT_TRUE(std::equal(row, row + target.width,
                                   library.image.pixels.begin() + static_cast<ptrdiff_t>(y * target.width)))
                << e.path() << " row " << y;
            ASSERT_EQ(row[target.width], StrideTarget::MARK);
            ASSERT_EQ(row[target.width + 2], StrideTarget::MARK);
        }
    }
    // The content has both kinds, so both were compared.
    EXPECT_GT(files, 100);
    EXPECT_GT(runLength, 0);
    EXPECT_GT(raw, 0);
}

using TgaTexture = NullGraphicsTest;

TEST_F(TgaTexture, TheCanvasTakesTheImageWithTransparentBlackAroundIt) {
    TempFolder folder;
    FileManager fileManager;
    fileManager.baseFolder = folder.path();
    // A run-length image with alpha, and a raw one whose alpha is 0
    // everywhere (drawn opaque).
    const std::string withAlpha = rleImage(32, false, 37, 23, 0, false);
    const std::string noAlpha = rawImage(32, true, 5, 3, 0, true);
    folder.write("a.tga", withAlpha);
    folder.write("b.tga", noAlpha);
    // Earlier canvases of the same sizes leave nothing behind.
    for (int round = 0; round < 2; ++round) {
        Texture a(0, u"a.tga"), b(0, u"b.tga");
        ASSERT_EQ(a.realWidth, 64);
        ASSERT_EQ(a.realHeight, 32);
        EXPECT_TRUE(a.bHasAlpha);
        EXPECT_FALSE(b.bHasAlpha);
        const DecodedImage expectA = decodeWithLibrary(withAlpha).image, expectB = decodeWithLibrary(noAlpha).image;
        for (int y = 0; y < a.realHeight; ++y)
            for (int x = 0; x < a.realWidth; ++x)
                ASSERT_EQ(a.canvasPixels()[static_cast<size_t>(y * 64 + x)],
                          x < 37 && y < 23 ? expectA.pixels[static_cast<size_t>(y * 37 + x)] : 0u)
                    << x << "," << y;
        for (int y = 0; y < b.realHeight; ++y)
            for (int x = 0; x < b.realWidth; ++x)
                ASSERT_EQ(b.canvasPixels()[static_cast<size_t>(y * 8 + x)],
                          x < 5 && y < 3 ? expectB.pixels[static_cast<size_t>(y * 5 + x)] | 0xFF000000u : 0u)
                    << x << "," << y;
        // The pixels survive the upload and a new device's reading of the file.
        const platform::TextureHandle h = a.getHandle();
        ASSERT_NE(h, 0u);
        EXPECT_EQ(device->textures[h - 1].pixels[0], expectA.pixels[0]);
        a.release();
        ASSERT_NE(a.getHandle(), 0u);
        EXPECT_EQ(device->textures.back().pixels[63], 0u);
        EXPECT_EQ(device->textures.back().pixels[36], expectA.pixels[36]);
    }
}

}  // namespace
