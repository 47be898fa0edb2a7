// What text looks like on the OpenGL device, read back from an off-screen
// window: the glyphs, their colours and the shadow's second copy.
#include <gtest/gtest.h>

#include <memory>

#include "gfx/MemoryImageFile.h"
#include "gfx/Renderable.h"
#include "gfx/Texture.h"
#include "platform/FontRasterizer.h"
#include "project_zub/gfx/gfx_test_support.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"

using namespace gfxtest;

namespace {

constexpr char16_t BLOCK = 0x2588;  // full block: ink over most of its cell
constexpr uint32_t BLACK = 0xFF000000, WHITE = 0xFFFFFFFF, RED = 0xFFFF0000, BLUE = 0xFF0000FF;

class TextPixels : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        const std::string file = platform::defaultGlyphFontFile();
        if (file.empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
        std::string error;
        auto raster = platform::openFontRasterizer(file, 32, error);
        ASSERT_NE(raster, nullptr) << error;
        std::vector<glyph_pages::Page> pages;
        ASSERT_TRUE(glyph_pages::renderPages(*raster, {BLOCK}, glyph_pages::Style(), pages, error)) << error;
        ASSERT_EQ(pages.size(), 1u);
        MemoryImageFile image(pages[0].width, pages[0].height);
        for (int y = 0; y < pages[0].height; ++y)
            for (int x = 0; x < pages[0].width; ++x)
                image.setPixel(x, y, pages[0].pixels[static_cast<size_t>(y * pages[0].width + x)]);
        texture = std::make_unique<Texture>(&image, Texture::FLAG_ALPHA | Texture::FLAG_KEEP_SOURCE);
        texture->applySkinDescription(pages[0].description, u"block page");
        font.addSourceTexture(texture.get(), BLOCK, true);
        ASSERT_TRUE(font.hasGlyph(BLOCK));
        graphics->bTextShadow = 1;
    }
    void TearDown() override {
        texture.reset();
        GLTest::TearDown();
    }

    std::unique_ptr<Texture> texture;
    FontQuad font;
};

TEST_F(TextPixels, TheShadowIsASecondCopyAtItsOffset) {
    Renderable carrier;
    carrier.setPosition(V3(0, 0, 0));
    carrier.color = WHITE;
    // The block spans about 20 x 38 units around the point: the shadow's
    // centre at (40, -40) lies clear of the text.
    font.drawTextShadowed(&carrier, 0x14, std::u16string(1, BLOCK), V3(40, -40, 0), RED);
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), WHITE));
    EXPECT_TRUE(nearColor(atWorld(frame, 40, -40), RED));
    EXPECT_TRUE(nearColor(atWorld(frame, 80, -80), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, -40, 40), BLACK));
    // Where the two overlap, the text lies on top.
    EXPECT_TRUE(nearColor(atWorld(frame, 4, -4), WHITE));

    // The same with text shadows off: no second copy.
    graphics->bTextShadow = 0;
    beginFrame(BLACK);
    font.drawTextShadowed(&carrier, 0x14, std::u16string(1, BLOCK), V3(40, -40, 0), RED);
    frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), WHITE));
    EXPECT_TRUE(nearColor(atWorld(frame, 40, -40), BLACK));
}

TEST_F(TextPixels, TheShadowFollowsTheCarriersAlpha) {
    Renderable carrier;
    carrier.color = 0x80FFFFFF;
    beginFrame(0xFF808080);
    font.drawTextShadowed(&carrier, 0x14, std::u16string(1, BLOCK), V3(40, -40, 0), 0xFF000000);
    auto frame = readFrame();
    // Half of an opaque black shadow over grey, half of white over grey.
    EXPECT_TRUE(nearColor(atWorld(frame, 40, -40), 0xFF404040, 4));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), 0xFFBFBFBF, 4));
}

TEST_F(TextPixels, MarkupAndCarrierColours) {
    Renderable carrier;
    carrier.setPosition(V3(-100, 0, 0));
    carrier.color = 0xFF00FF00;
    const std::u16string text = std::u16string(1, BLOCK) + u"\x1E{0000ff}" + std::u16string(1, BLOCK);
    font.renderText(&carrier, 0x10, text);
    auto frame = readFrame();
    const float w = font.advanceOf(BLOCK);
    EXPECT_TRUE(nearColor(atWorld(frame, -100 + w / 2, 0), 0xFF00FF00));
    EXPECT_TRUE(nearColor(atWorld(frame, -100 + w * 1.5f, 0), BLUE));
    EXPECT_TRUE(nearColor(atWorld(frame, -100 + w * 3, 0), BLACK));
}

TEST_F(TextPixels, ScaledAndRotatedWithTheCarrier) {
    Renderable carrier;
    carrier.setPosition(V3(100, 0, 0));
    carrier.setScaleV(V3(4, 1, 1));
    carrier.color = WHITE;
    font.renderText(&carrier, 0x14, std::u16string(1, BLOCK));
    auto frame = readFrame();
    const float half = font.advanceOf(BLOCK) * 2;  // half the width, four times wider
    EXPECT_TRUE(nearColor(atWorld(frame, 100 + half - 8, 0), WHITE));
    EXPECT_TRUE(nearColor(atWorld(frame, 100 - half + 8, 0), WHITE));
    EXPECT_TRUE(nearColor(atWorld(frame, 100 + half + 12, 0), BLACK));
}

}  // namespace
