// Image files: decoding TGA, PNG and JPEG, the fatal path of a corrupt file,
// images in memory, and how textures upload them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/ImageCodec.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gfx_test_support.h"
#include "sys/Archive.h"
#include "sys/ArchiveWriter.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"

extern "C" {
#include <jpeglib.h>
}

using namespace gfxtest;

namespace {

// 4 x 2: red, green, blue, white / half-transparent black, transparent, yellow, grey.
const std::vector<uint32_t> kPixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                       0x80000000, 0x00000000, 0xFFFFFF00, 0xFF808080};

DecodedImage decodeBytes(const std::string& bytes, const char16_t* name = u"test") {
    DecodedImage img;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, img);
    return img;
}

TEST(ImageCodec, DecodesA32BitTgaAndPngWithAndWithoutAlpha) {
    DecodedImage img = decodeBytes(tgaBytes(4, 2, kPixels));
    EXPECT_EQ(img.width, 4);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.pixels, kPixels);
    EXPECT_TRUE(img.alphaUsed);
    img = decodeBytes(pngBytes(4, 2, kPixels));
    EXPECT_EQ(img.pixels, kPixels);
    EXPECT_TRUE(img.alphaUsed);
    DecodedImage rgb = decodeBytes(pngBytes(4, 2, kPixels, 3));
    EXPECT_FALSE(rgb.alphaUsed);
    EXPECT_EQ(rgb.pixels[4], 0xFF000000u);
    EXPECT_EQ(rgb.pixels[6], 0xFFFFFF00u);
}

TEST(ImageCodec, DecodesABottomUpRleTga) {
    // Type 10 (run-length), 24 bits, bottom-left origin: rows are stored bottom first.
    std::string s(18, '\0');
    s[2] = 10;
    s[12] = 3;
    s[14] = 2;
    s[16] = 24;
    s[17] = 0;
    // Bottom row: a run of 3 blue pixels. Top row: 3 raw pixels red, green, white.
    s += std::string("\x82\xFF\x00\x00", 4);
    s += std::string("\x02\x00\x00\xFF\x00\xFF\x00\xFF\xFF\xFF", 10);
    DecodedImage img = decodeBytes(s);
    ASSERT_EQ(img.width, 3);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(img.pixels[1], 0xFF00FF00u);
    EXPECT_EQ(img.pixels[2], 0xFFFFFFFFu);
    EXPECT_EQ(img.pixels[3], 0xFF0000FFu);
    EXPECT_FALSE(img.alphaUsed);
}

TEST(ImageCodec, JpegRoundTrip) {
    // 16 x 16 blocks of flat colour survive JPEG nearly unchanged.
    std::vector<uint32_t> px(32 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) px[static_cast<size_t>(y) * 32 + x] = x < 16 ? 0xFFFF0000 : 0xFF0000FF;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(image_codec::encodeJpeg(px.data(), 32, 16, 95, jpeg));
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(image_codec::detect(jpeg.data(), jpeg.size()), image_codec::Format::Jpeg);
    DecodedImage img;
    image_codec::decode(jpeg.data(), jpeg.size(), u"round.jpg", img);
    ASSERT_EQ(img.width, 32);
    ASSERT_EQ(img.height, 16);
    EXPECT_FALSE(img.alphaUsed);
    EXPECT_TRUE(nearColor(img.pixels[4 * 32 + 4], 0xFFFF0000, 10));
    EXPECT_TRUE(nearColor(img.pixels[4 * 32 + 27], 0xFF0000FF, 10));
    EXPECT_EQ(img.pixels[0] >> 24, 0xFFu);
}

TEST(ImageCodec, LargeJpegsGrowTheOutputBuffer) {
    std::vector<uint32_t> px(512 * 512);
    uint32_t x = 1;
    for (uint32_t& p : px) p = 0xFF000000u | ((x = x * 1103515245u + 12345u) >> 8);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(image_codec::encodeJpeg(px.data(), 512, 512, 100, jpeg));
    EXPECT_GT(jpeg.size(), 64u * 1024u);
    DecodedImage img;
    image_codec::decode(jpeg.data(), jpeg.size(), u"noise.jpg", img);
    EXPECT_EQ(img.width, 512);
}

void expectFatal(const std::string& bytes, const char* message) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            decodeBytes(bytes);
        },
        ::testing::ExitedWithCode(255), message);
}

TEST(ImageCodecDeathTest, ACorruptFileIsAClearFatalError) {
    std::string bad("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    bad += std::string("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00", 13);  // frame header
    bad += std::string(64, '\x5A');                                                  // no tables, no scan
    expectFatal(bad, "JPEG decode failed: ");
    // Not even a header: libjpeg's complaint is passed on.
    expectFatal(std::string("\xFF\xD8\xFF\x01garbage garbage garbage", 27), "JPEG decode failed: .+");
    expectFatal(std::string("\x89PNG\r\n\x1a\n broken", 15), "Image decode failed: ");
    expectFatal("xx", "Image decode failed: .+");
}

TEST(ImageCodecDeathTest, SizesBeyondTheLimitsOrTheBytesAreFatalBeforeDecoding) {
    // 23 bytes of TGA, raw and run-length, that would decode to 4096 x 4096.
    std::string tga(18, '\0');
    tga[13] = tga[15] = 0x10;
    tga[16] = 32;
    tga += std::string("\x80\x01\x02\x03\x04", 5);
    for (char type : {'\x02', '\x0A'}) {
        tga[2] = type;
        expectFatal(tga, "Image decode failed: image size 4096x4096 cannot come from 23 bytes");
    }
    // A PNG of the same size over a few bytes of image data.
    std::string png = pngBytes(4, 2, kPixels);
    png.replace(16, 8, std::string("\0\0\x10\0\0\0\x10\0", 8));
    expectFatal(png, "Image decode failed: image size 4096x4096 cannot come from");
    // A JPEG whose frame header claims 4000 x 4000, then 16000 x 16000.
    std::vector<uint32_t> px(16 * 16, 0xFF204060u);
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(image_codec::encodeJpeg(px.data(), 16, 16, 90, encoded));
    std::string jpeg(encoded.begin(), encoded.end());
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, "\x0F\xA0\x0F\xA0");
    expectFatal(jpeg, "JPEG decode failed: image size 4000x4000 cannot come from");
    jpeg.replace(frame + 5, 4, "\x3E\x80\x3E\x80");
    expectFatal(jpeg, "JPEG decode failed: image size 16000x16000 out of range");
}

// 17 bytes of a run-length TGA, one short of its header, whose width and
// height say 4096 x 4096: there is no room for a single pixel.
TEST(ImageCodec, AFileShorterThanATgaHeaderIsRefusedWithItsSize) {
    const std::string tga("\0\0\x0A\0\0\0\0\0\0\0\0\0\0\x10\0\x10\x20", 17);
    const auto* bytes = reinterpret_cast<const uint8_t*>(tga.data());
    DecodedImage img;
    std::string reason;
    EXPECT_FALSE(image_codec::tryDecode(bytes, tga.size(), img, reason));
    EXPECT_EQ(reason, "image size 4096x4096 cannot come from 17 bytes");
    EXPECT_TRUE(img.pixels.empty());
    int w = -1, h = -1;
    reason.clear();
    EXPECT_FALSE(image_codec::tryReadSize(bytes, tga.size(), w, h, reason));
    EXPECT_EQ(reason, "image size 4096x4096 cannot come from 17 bytes");
    EXPECT_EQ(w, 0);
}

// A progressive JPEG of w x h, by libjpeg's own progression (ten scans for a
// colour picture).
std::string progressiveJpeg(int w, int h) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>((i * 37) ^ (i >> 5));
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(cinfo.next_scanline) * static_cast<size_t>(w) * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), outSize);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

// The file with its last scan (from its start-of-scan marker to the end of
// the image) repeated `times` times more.
std::string repeatLastScan(const std::string& jpeg, int times) {
    const size_t end = jpeg.size() - 2;
    EXPECT_EQ(jpeg.substr(end), "\xFF\xD9");
    const size_t scan = jpeg.rfind("\xFF\xDA");
    EXPECT_NE(scan, std::string::npos);
    std::string out = jpeg.substr(0, end);
    for (int i = 0; i < times; ++i) out += jpeg.substr(scan, end - scan);
    return out + "\xFF\xD9";
}

TEST(ImageCodec, AJpegThatRepeatsItsScansIsRefused) {
    // Each repeat of a scan is a pass over the whole picture for a few bytes
    // of file.
    const std::string progressive = progressiveJpeg(64, 48);
    DecodedImage img;
    std::string reason;
    ASSERT_TRUE(
        image_codec::tryDecode(reinterpret_cast<const uint8_t*>(progressive.data()), progressive.size(), img, reason))
        << reason;
    EXPECT_EQ(img.width, 64);
    EXPECT_EQ(img.height, 48);
    const std::string repeated = repeatLastScan(progressive, 1000);
    EXPECT_FALSE(
        image_codec::tryDecode(reinterpret_cast<const uint8_t*>(repeated.data()), repeated.size(), img, reason));
    EXPECT_EQ(reason, "more than " + std::to_string(image_codec::MAX_JPEG_SCANS) + " scans");
    EXPECT_TRUE(img.pixels.empty());
    // A baseline picture has one scan, and a second one is refused.
    std::vector<uint32_t> px(64 * 48, 0xFF306090u);
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(image_codec::encodeJpeg(px.data(), 64, 48, 90, encoded));
    const std::string baseline = repeatLastScan(std::string(encoded.begin(), encoded.end()), 1000);
    reason.clear();
    EXPECT_FALSE(
        image_codec::tryDecode(reinterpret_cast<const uint8_t*>(baseline.data()), baseline.size(), img, reason));
    EXPECT_FALSE(reason.empty());
}

// --- images in memory -----------------------------------------------------------

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        files.baseFolder = folder.path();
        folder.write("gfx/small.tga", tgaBytes(4, 2, kPixels));
        folder.write("gfx/small.png", pngBytes(4, 2, kPixels));
    }
    TempFolder folder;
    FileManager files;
};

TEST_F(ImageFiles, DecodedAtOnceOrOnFirstUse) {
    MemoryImageFile img(0, u"gfx/small.png");
    EXPECT_TRUE(img.isDecoded());
    EXPECT_EQ(img.getPixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(img.getPixel(9, 9), 0u);
    EXPECT_TRUE(img.hasAlpha());
    files.bEnableDelayedLoad = true;
    MemoryImageFile delayed(FileData::FLAG_DELAYED, u"gfx/small.tga");
    EXPECT_FALSE(delayed.isDecoded());
    EXPECT_EQ(delayed.getHeight(), 2);
    EXPECT_EQ(delayed.getPixel(3, 1), 0xFF808080u);
}

TEST_F(ImageFiles, PurgedImagesReadTheirFileAgainAndBlankOnesKeepTheirPixels) {
    MemoryImageFile img(0, u"gfx/small.tga");
    img.purgePixels();
    EXPECT_FALSE(img.isDecoded());
    // The file changed on disk meanwhile: unpurge reads it again.
    std::vector<uint32_t> other(kPixels.size(), 0xFF123456);
    folder.write("gfx/small.tga", tgaBytes(4, 2, other));
    img.unpurge();
    EXPECT_EQ(img.getPixel(0, 0), 0xFF123456u);
    MemoryImageFile blank(3, 5);
    blank.setPixel(2, 4, 0xFFABCDEF);
    blank.purgePixels();  // nothing to reload from: kept
    EXPECT_EQ(blank.getPixel(2, 4), 0xFFABCDEFu);
}

TEST(ImageFilesDeathTest, AMissingImageIsFatal) {
    // The folder belongs to this process: the child dies without running
    // destructors.
    TempFolder folder;
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            FileManager files;
            files.baseFolder = folder.path();
            MemoryImageFile img(0, u"gfx/none.tga");
        },
        ::testing::ExitedWithCode(255), "none.tga");
}

// --- textures on the device --------------------------------------------------------

using TextureUpload = NullGraphicsTest;

TEST_F(TextureUpload, UploadsTheCanvasOnFirstUse) {
    std::unique_ptr<MemoryImageFile> img(
        makeImage(3, 5, [](int x, int y) { return 0xFF000000u + static_cast<uint32_t>(y * 3 + x); }));
    Texture tex(img.get());
    EXPECT_EQ(tex.realWidth, 4);
    EXPECT_EQ(tex.realHeight, 8);
    EXPECT_TRUE(device->textures.empty());
    const platform::TextureHandle h = tex.getHandle();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(tex.getHandle(), h);  // once
    ASSERT_EQ(device->textures.size(), 1u);
    const auto& t = device->textures[h - 1];
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.height, 8);
    EXPECT_EQ(t.pixels[0], 0xFF000000u);
    EXPECT_EQ(t.pixels[1 * 4 + 2], 0xFF000005u);
    EXPECT_EQ(t.pixels[3], 0u);  // padding
    EXPECT_EQ(t.pixels[7 * 4], 0u);
    tex.release();
    EXPECT_FALSE(device->textures[h - 1].alive);

    // A texture from a file drops its pixels after the upload and reads the
    // file again for a new device.
    TempFolder folder;
    FileManager files;
    files.baseFolder = folder.path();
    folder.write("a.tga", tgaBytes(4, 2, kPixels));
    Texture file(0, u"a.tga");
    ASSERT_NE(file.getHandle(), 0u);
    EXPECT_TRUE(file.canvasPixels().empty());
    auto second = std::make_unique<platform::NullRenderDevice>();
    platform::NullRenderDevice* d2 = second.get();
    std::string error;
    ASSERT_TRUE(graphics.setDevice(std::move(second), error));
    device = d2;
    ASSERT_NE(file.getHandle(), 0u);
    EXPECT_EQ(d2->textures.back().pixels[0], 0xFFFF0000u);
}

TEST_F(TextureUpload, FileTexturesOfEveryFormatFillTheirCanvas) {
    // JPEG and PNG without alpha are drawn opaque, PNG with alpha keeps it;
    // the canvas around the image is transparent black.
    TempFolder folder;
    FileManager files;
    files.baseFolder = folder.path();
    std::vector<uint32_t> grey(5 * 3, 0xFF808080u);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(image_codec::encodeJpeg(grey.data(), 5, 3, 95, jpeg));
    folder.write("j.jpg", std::string(jpeg.begin(), jpeg.end()));
    folder.write("rgb.png", pngBytes(4, 2, kPixels, 3));
    folder.write("rgba.png", pngBytes(4, 2, kPixels));
    Texture j(0, u"j.jpg"), rgb(0, u"rgb.png"), rgba(0, u"rgba.png");
    EXPECT_FALSE(j.bHasAlpha);
    EXPECT_FALSE(rgb.bHasAlpha);
    EXPECT_TRUE(rgba.bHasAlpha);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t p = j.canvasPixels()[static_cast<size_t>(y * 8 + x)];
            if (x < 5 && y < 3) EXPECT_EQ(p >> 24, 0xFFu);
            else EXPECT_EQ(p, 0u);
        }
    EXPECT_EQ(rgb.canvasPixels()[4], 0xFF000000u);  // the half-transparent black, opaque
    EXPECT_EQ(rgb.canvasPixels()[5], 0xFF000000u);
    EXPECT_EQ(rgba.canvasPixels()[4], 0x80000000u);
    EXPECT_EQ(rgba.canvasPixels()[6], 0xFFFFFF00u);
}

TEST_F(TextureUpload, ALargeImageIsHalvedUntilItFits) {
    device->maxTexture = 64;
    std::unique_ptr<MemoryImageFile> img(makeImage(200, 100, [](int, int) { return 0xFF204060u; }));
    Texture tex(img.get(), Texture::FLAG_HALVE);
    ASSERT_NE(tex.getHandle(), 0u);
    EXPECT_EQ(tex.deviceWidth, 64);
    EXPECT_EQ(tex.deviceHeight, 32);
    EXPECT_EQ(tex.halvings, 2);
    // Skins keep their sizes and texture coordinates.
    EXPECT_EQ(tex.realWidth, 256);
    EXPECT_FLOAT_EQ(tex.getSkin(0)->width, 200);
    EXPECT_EQ(device->textures.back().pixels[0], 0xFF204060u);
    // The small-texture simulation: 256, or 512 with flag 4.
    device->maxTexture = 4096;
    graphics.bSmallTextures = true;
    std::unique_ptr<MemoryImageFile> big(makeImage(512, 512, [](int, int) { return 0xFFFFFFFFu; }));
    Texture t256(big.get(), Texture::FLAG_HALVE);
    Texture t512(big.get(), Texture::FLAG_HALVE | Texture::FLAG_ALLOW_512);
    t256.getHandle();
    t512.getHandle();
    EXPECT_EQ(t256.deviceWidth, 256);
    EXPECT_EQ(t512.deviceWidth, 512);
}

// --- file textures decode on first use ------------------------------------------------

TEST_F(TextureUpload, AFileTextureKnowsItsSizeAtOnceAndDecodesOnFirstUse) {
    TempFolder folder;
    FileManager files;
    files.baseFolder = folder.path();
    folder.write("a.tga", tgaBytes(4, 2, kPixels));
    folder.write("b.png", pngBytes(4, 2, kPixels));
    const uint64_t before = Texture::fileDecodeCount();
    Texture a(0, u"a.tga"), b(0, u"b.png");
    // The sizes and the skin come from the headers; nothing is decoded yet.
    EXPECT_EQ(a.width, 4);
    EXPECT_EQ(a.height, 2);
    EXPECT_EQ(b.realWidth, 4);
    EXPECT_EQ(b.realHeight, 2);
    EXPECT_FLOAT_EQ(a.getSkin(0)->width, 4);
    EXPECT_TRUE(a.isCanvasPending());
    EXPECT_TRUE(b.isCanvasPending());
    EXPECT_EQ(Texture::fileDecodeCount(), before);
    // Asking for the canvas decodes it, once.
    ASSERT_EQ(a.canvasPixels().size(), kPixels.size());
    EXPECT_TRUE(std::equal(kPixels.begin(), kPixels.end(), a.canvasPixels().begin()));
    EXPECT_FALSE(a.isCanvasPending());
    EXPECT_EQ(Texture::fileDecodeCount(), before + 1);
    EXPECT_TRUE(a.bHasAlpha);
    EXPECT_EQ(Texture::fileDecodeCount(), before + 1);
    // The upload decodes the other; using it again does not.
    const platform::TextureHandle h = b.getHandle();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(device->textures[h - 1].pixels, kPixels);
    EXPECT_EQ(b.getHandle(), h);
    ASSERT_NE(a.getHandle(), 0u);
    EXPECT_EQ(Texture::fileDecodeCount(), before + 2);
    // Reading the alpha flag is a use as well.
    Texture c(0, u"a.tga");
    EXPECT_TRUE(c.bHasAlpha);
    EXPECT_FALSE(c.isCanvasPending());
    EXPECT_EQ(Texture::fileDecodeCount(), before + 3);
}

TEST_F(TextureUpload, ATextureNeverUsedIsNeverDecoded) {
    TempFolder folder;
    FileManager files;
    files.baseFolder = folder.path();
    folder.write("a.tga", tgaBytes(4, 2, kPixels));
    folder.write("a.ini", "[sheet]\ngrid=2,1,2,2\n");
    const uint64_t before = Texture::fileDecodeCount();
    {
        Texture t(0, u"a.tga");
        ASSERT_EQ(t.getSkinCount(), 2);
        EXPECT_FLOAT_EQ(t.getSkin(1)->width, 2);
        t.release();
    }
    EXPECT_EQ(Texture::fileDecodeCount(), before);
    EXPECT_TRUE(device->textures.empty());
}

TEST_F(TextureUpload, AKeptSourceIsCopiedIntoTheCanvasOnFirstUse) {
    TempFolder folder;
    FileManager files;
    files.baseFolder = folder.path();
    folder.write("a.png", pngBytes(4, 2, kPixels, 3));
    Texture t(Texture::FLAG_KEEP_SOURCE, u"a.png");
    EXPECT_EQ(t.realWidth, 4);
    EXPECT_TRUE(t.isCanvasPending());
    ASSERT_NE(t.getSourceImage(), nullptr);
    EXPECT_FALSE(t.getSourceImage()->isDecoded());
    EXPECT_EQ(t.getSourceImage()->getPixel(1, 0), 0xFF00FF00u);
    EXPECT_TRUE(t.getSourceImage()->isDecoded());
    EXPECT_TRUE(t.isCanvasPending());
    // Drawn opaque: the half-transparent black of the source gets alpha 255.
    EXPECT_FALSE(t.bHasAlpha);
    ASSERT_EQ(t.canvasPixels().size(), 8u);
    EXPECT_EQ(t.canvasPixels()[4], 0xFF000000u);
    const platform::TextureHandle h = t.getHandle();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(device->textures[h - 1].pixels[6], 0xFFFFFF00u);
    EXPECT_EQ(t.canvasPixels().size(), 8u);  // kept with the source
    // The source reads its file again after a purge.
    MemoryImageFile* source = const_cast<MemoryImageFile*>(t.getSourceImage());
    source->purgePixels();
    EXPECT_FALSE(source->isDecoded());
    EXPECT_EQ(source->getPixel(3, 1), 0xFF808080u);
}

// Every image of the content, made into a texture, has the size and the
// canvas that decoding its file gives.
TEST_F(TextureUpload, ContentTexturesDecodeOnFirstUseToTheirFilesPixels) {
    FileManager files;
    files.baseFolder = std::string(ZUB_CONTENT_DIR) + "/";
    int compared = 0;
    for (const char* name : {"gfx/apple.tga", "gfx/basketA.tga", "gfx/intro.jpg", "gfx/sky-winter.jpg"}) {
        SCOPED_TRACE(name);
        const std::string bytes = filestest::readBytes(std::string(ZUB_CONTENT_DIR) + "/" + name);
        const DecodedImage image = decodeBytes(bytes);
        std::u16string wideName;
        for (const char* c = name; *c; ++c) wideName += static_cast<char16_t>(*c);
        Texture t(0, wideName);
        EXPECT_TRUE(t.isCanvasPending());
        ASSERT_EQ(t.width, image.width);
        ASSERT_EQ(t.height, image.height);
        const Texture::Canvas& canvas = t.canvasPixels();
        ASSERT_EQ(canvas.size(), static_cast<size_t>(t.realWidth) * static_cast<size_t>(t.realHeight));
        const uint32_t opaque = t.bHasAlpha ? 0u : 0xFF000000u;
        for (int y = 0; y < t.realHeight; ++y)
            for (int x = 0; x < t.realWidth; ++x) {
                const uint32_t expected = x < image.width && y < image.height
                                              ? image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                                                             static_cast<size_t>(x)] |
                                                    opaque
                                              : 0u;
                ASSERT_EQ(canvas[static_cast<size_t>(y) * static_cast<size_t>(t.realWidth) + static_cast<size_t>(x)],
                          expected)
                    << x << "," << y;
            }
        ++compared;
    }
    EXPECT_EQ(compared, 4);
}

TEST(TextureFilesDeathTest, ABrokenImageIsFatalWhenLoadedOrDamagedPastItsHeaderAtFirstUse) {
    TempFolder folder;
    // No image at all, and a PNG whose size is more than its bytes hold:
    // fatal when the texture is made.
    folder.write("none.tga", "xx");
    std::string big = pngBytes(4, 2, kPixels);
    big.replace(16, 8, std::string("\0\0\x10\0\0\0\x10\0", 8));
    folder.write("big.png", big);
    // A PNG whose compressed rows are damaged: its header is good.
    std::string damaged = pngBytes(4, 2, kPixels);
    const size_t data = damaged.find("IDAT");
    ASSERT_NE(data, std::string::npos);
    damaged[data + 4] = '\xFF';
    damaged[data + 5] = '\xFF';
    folder.write("damaged.png", damaged);
    auto make = [&](const char16_t* name) {
        ErrorManager::bTestMode = true;
        FileManager files;
        files.baseFolder = folder.path();
        Texture t(0, name);
        std::fprintf(stderr, "made %dx%d\n", t.width, t.height);
        (void)t.canvasPixels();
        std::fprintf(stderr, "decoded\n");
        std::exit(0);
    };
    EXPECT_EXIT(make(u"none.tga"), ::testing::ExitedWithCode(255), "Image decode failed: .+");
    EXPECT_EXIT(make(u"big.png"), ::testing::ExitedWithCode(255),
                "Image decode failed: image size 4096x4096 cannot come from");
    EXPECT_EXIT(make(u"damaged.png"), ::testing::ExitedWithCode(255), "made 4x2\n(.|\n)*Image decode failed: .+");
}

// --- textures from an archive ---------------------------------------------------------

// A gradient that compresses well, so that the archive packs it.
std::vector<uint32_t> gradient(int w, int h) {
    std::vector<uint32_t> argb(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) argb[static_cast<size_t>(y * w + x)] = 0xFF000000u | (x << 16) | (y << 8);
    return argb;
}

// An archive of a TGA and a JPEG, with a stream's byte flipped `back`
// bytes before the TGA entry's end (0: none). True when the TGA is packed
// (the JPEG may be stored as it is, when packing does not make it smaller).
bool writeImageArchive(const TempFolder& folder, size_t back) {
    const std::vector<uint32_t> pixels = gradient(256, 128);
    const std::string tga = tgaBytes(256, 128, pixels);
    std::vector<uint8_t> jpeg;
    EXPECT_TRUE(image_codec::encodeJpeg(pixels.data(), 256, 128, 90, jpeg));
    ArchiveWriter w(ArchiveWriter::Method::Zlib);
    w.addData("gfx/a.tga", tga.data(), tga.size());
    w.addData("gfx/b.jpg", jpeg.data(), jpeg.size());
    EXPECT_TRUE(w.write(folder / "Images.dat"));
    std::string bytes = filestest::readBytes(folder / "Images.dat");
    archive::Directory d;
    std::string reason;
    EXPECT_TRUE(archive::parseDirectory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d, reason));
    if (back > 0) {
        bytes[d.entries[0].offset + d.entries[0].storedSize - back] ^= 0x10;
        filestest::writeBytes(folder / "Images.dat", bytes);
    }
    return d.entries.size() == 2 && d.entries[0].compressed;
}

TEST_F(TextureUpload, ATextureInAnArchiveTakesItsSizeFromItsHeaderAndDecodesAsALooseFile) {
    TempFolder folder;
    ASSERT_TRUE(writeImageArchive(folder, 0));
    const std::vector<uint32_t> pixels = gradient(256, 128);
    FileManager files;
    files.baseFolder = folder.path();
    files.bUseWad = true;
    files.useWad(u"Images.dat");
    Texture a(0, u"gfx/a.tga"), b(0, u"gfx/b.jpg");
    EXPECT_EQ(a.realWidth, 256);
    EXPECT_EQ(a.realHeight, 128);
    EXPECT_EQ(b.realWidth, 256);
    EXPECT_EQ(b.realHeight, 128);
    EXPECT_TRUE(a.isCanvasPending());
    EXPECT_TRUE(b.isCanvasPending());
    ASSERT_EQ(a.canvasPixels().size(), static_cast<size_t>(a.width) * static_cast<size_t>(a.height));
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(a.canvasPixels()[static_cast<size_t>(y * a.width + x)], pixels[static_cast<size_t>(y * 256 + x)])
                << x << "," << y;
    // The JPEG decodes as it does from its own bytes.
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(image_codec::encodeJpeg(pixels.data(), 256, 128, 90, jpeg));
    const DecodedImage direct = decodeBytes(std::string(jpeg.begin(), jpeg.end()));
    ASSERT_EQ(b.canvasPixels().size(), static_cast<size_t>(b.width) * static_cast<size_t>(b.height));
    for (int y = 0; y < 128; ++y)
        ASSERT_EQ(b.canvasPixels()[static_cast<size_t>(y * b.width)], direct.pixels[static_cast<size_t>(y * 256)]);
}

// An entry damaged past the image's header makes its texture as usual; the
// damage is fatal when the pixels are first needed, naming the archive.
TEST(TextureFilesDeathTest, AnArchivedImageDamagedPastItsHeaderIsFatalAtFirstUse) {
    TempFolder folder;
    for (size_t back : {size_t(2), size_t(40)}) {
        ASSERT_TRUE(writeImageArchive(folder, back));
        auto make = [&] {
            ErrorManager::bTestMode = true;
            FileManager files;
            files.baseFolder = folder.path();
            files.bUseWad = true;
            files.useWad(u"Images.dat");
            Texture t(0, u"gfx/a.tga");
            std::fprintf(stderr, "made %dx%d\n", t.width, t.height);
            (void)t.canvasPixels();
            std::fprintf(stderr, "decoded\n");
            std::exit(0);
        };
        EXPECT_EXIT(make(), ::testing::ExitedWithCode(255),
                    "made 256x128\n(.|\n)*Archive '.*Images.dat' is corrupt: entry 'gfx/a.tga' .+")
            << back;
    }
}

}  // namespace
