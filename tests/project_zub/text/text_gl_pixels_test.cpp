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
constexpr uint32_t BLACK = 0xFF000000, RED = 0xFFFF0000, BLUE = 0xFF0000FF;

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

TEST_F(TextPixels, TheShadowIsASecondCopyAtItsOffsetWithTheCarriersAlpha) {
    Renderable carrier;
    carrier.color = 0x80FFFFFF;
    beginFrame(0xFF808080);
    // The block spans about 20 x 38 units around the point: the shadow's
    // centre at (40, -40) lies clear of the text.
    font.drawTextShadowed(&carrier, 0x14, std::u16string(1, BLOCK), V3(40, -40, 0), 0xFF000000);
    auto frame = readFrame();
    // Half of an opaque black shadow over grey, half of white over grey.
    EXPECT_TRUE(nearColor(atWorld(frame, 40, -40), 0xFF404040, 4));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), 0xFFBFBFBF, 4));
    EXPECT_TRUE(nearColor(atWorld(frame, 80, -80), 0xFF808080, 1));

    // Text shadows off: no second copy; markup colours the runs.
    graphics->bTextShadow = 0;
    carrier.color = 0xFF00FF00;
    beginFrame(BLACK);
    const std::u16string text = std::u16string(1, BLOCK) + u"\x1E{0000ff}" + std::u16string(1, BLOCK);
    font.drawTextShadowed(&carrier, 0x10, text, V3(40, -40, 0), RED);
    frame = readFrame();
    const float w = font.advanceOf(BLOCK);
    EXPECT_TRUE(nearColor(atWorld(frame, w / 2, 0), 0xFF00FF00));
    EXPECT_TRUE(nearColor(atWorld(frame, w * 1.5f, 0), BLUE));
    EXPECT_TRUE(nearColor(atWorld(frame, 40 + w / 2, -40), BLACK));
}

}  // namespace
