// The system font: strings of any characters from the font found for
// "Arial", and the atlas fonts' flag 0x200.
#include <gtest/gtest.h>

#include "gfx/Quad.h"
#include "platform/FontRasterizer.h"
#include "text/SystemFont.h"
#include "text_test_support.h"

using namespace texttest;

namespace {

class SystemFonts : public FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        if (IsSkipped()) return;
        system = std::make_unique<SystemFont>(u"Arial");
        if (!system->isOpen()) GTEST_SKIP() << "no font for 'Arial'";
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        ASSERT_TRUE(graphics.setDevice(std::move(d), error)) << error;
        font = makeFont();
    }
    void TearDown() override {
        system.reset();
        FontTest::TearDown();
    }
    std::unique_ptr<SystemFont> system;
    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
    FontQuad* font = nullptr;
};

TEST_F(SystemFonts, StringsBecomeWhiteTexturesOfTheLineHeight) {
    const float w = system->measure(u"Player \u0141\u00F3d\u017A", 20);
    EXPECT_GT(w, 40.0f);
    const SystemFont::Image* img = system->render(u"Player \u0141\u00F3d\u017A", 20);
    ASSERT_NE(img, nullptr);
    EXPECT_FLOAT_EQ(img->height, 20.0f);
    EXPECT_GE(img->width, w);
    EXPECT_LE(img->width, w + 4);
    ASSERT_NE(img->texture, nullptr);
    EXPECT_FLOAT_EQ(img->u1, img->width / static_cast<float>(img->texture->realWidth));
    int ink = 0;
    const auto& px = img->texture->canvasPixels();
    for (uint32_t p : px)
        if (p >> 24) {
            ++ink;
            EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu);
        }
    EXPECT_GT(ink, 50);
    // Kept: the same image again.
    EXPECT_EQ(system->render(u"Player \u0141\u00F3d\u017A", 20), img);
    EXPECT_EQ(system->render(u"", 20), nullptr);
    EXPECT_EQ(system->render(u"x", 0), nullptr);
    // Widths add up character by character.
    EXPECT_FLOAT_EQ(system->measure(u"ab", 20), system->measure(u"a", 20) + system->measure(u"b", 20));
    // The cache keeps the most recent strings.
    for (int i = 0; i < static_cast<int>(SystemFont::CAPACITY) + 10; ++i)
        ASSERT_NE(system->render(formatString(u"name %d", i), 16), nullptr);
    EXPECT_EQ(system->cachedStrings(), SystemFont::CAPACITY);
    // Another font is the active one while it lives.
    {
        SystemFont other(u"Arial");
        EXPECT_EQ(SystemFont::active(), &other);
    }
    EXPECT_EQ(SystemFont::active(), system.get());
}

TEST_F(SystemFonts, Flag0x200MeasuresAndDrawsWithTheSystemFont) {
    const std::u16string name = u"\u0141ukasz \u4E2D";
    EXPECT_FLOAT_EQ(font->measureLine(name, 0x200), system->measure(name, font->height));
    EXPECT_FLOAT_EQ(font->measureText(name, 0x212).width, system->measure(name, font->height));
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0x212, name);
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].count, 6);  // one rectangle for the run
    const SystemFont::Image* img = system->render(name, font->height);
    EXPECT_EQ(device->draws[0].texture, img->texture->getHandle());
    // Vertically centred on the point (flag 0x10), and moved so that its
    // letters stand where the atlas's stand: the pages' 'H' stands on their
    // face's baseline, the face's ascender below the top of its cell.
    std::string error;
    const auto pagesFace = platform::openFontRasterizer(platform::defaultGlyphFontFile(), 16, error);
    ASSERT_NE(pagesFace, nullptr) << error;
    EXPECT_FLOAT_EQ(device->draws[0].firstVertex.y,
                    std::trunc(font->height / 2.0f) -
                        static_cast<float>(pagesFace->metrics().ascender - system->letterBottom(font->height)));
    // Runs of colour are rectangles of their own.
    device->resetRecords();
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0x200, u"ab\x1E{ff0000}cd");
    ASSERT_EQ(device->draws.size(), 2u);
    EXPECT_EQ(device->draws[1].firstColor, 0xFFFF0000u);
    EXPECT_FLOAT_EQ(device->draws[1].firstVertex.x, system->measure(u"ab", font->height));

    // The same pages uploaded before the font finished loading, and their
    // pixels let go of (no source kept): where its letters stand is not
    // known, so the system font's letters are not moved: they stand at the
    // top of the line, centred on the point like the cell.
    loadPages(u"1252", u"font-test", u"tex-uploaded-", 6);
    for (int n = 1; Texture* t = resources.findAs<Texture>(formatString(u"tex-uploaded-%d", n), false); ++n) {
        ASSERT_NE(t->getHandle(), 0u);
        ASSERT_EQ(t->getSourceImage(), nullptr);
        ASSERT_TRUE(t->canvasPixels().empty());
    }
    auto* uploaded = new FontQuad();
    owned.push_back(uploaded);
    uploaded->addSourceTextures(u"tex-uploaded-");
    uploaded->finishLoading();
    ASSERT_EQ(uploaded->height, font->height);
    device->resetRecords();
    uploaded->drawText(0, 0, 0, 0xFFFFFFFF, 0x212, name);
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_FLOAT_EQ(device->draws[0].firstVertex.y, std::trunc(uploaded->height / 2.0f));
}

TEST_F(SystemFonts, WithoutASystemFontTheAtlasDraws) {
    system.reset();
    EXPECT_EQ(SystemFont::active(), nullptr);
    EXPECT_FLOAT_EQ(font->measureLine(u"Name", 0x200), font->measureLine(u"Name"));
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0x200, u"Name");
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].count, 4 * 6);
}

}  // namespace

namespace {

// The font configuration is read only when the font is first used; until
// then the font is active but has looked nothing up, and every way in
// (asking whether it is open, measuring, drawing) looks it up once.
TEST(SystemFontLookup, TheFamilyIsLookedUpOnFirstUse) {
    for (int way = 0; way < 3; ++way) {
        SystemFont system(u"Arial");
        EXPECT_EQ(SystemFont::active(), &system);
        EXPECT_FALSE(system.lookedUp());
        const bool open = way == 0   ? system.isOpen()
                          : way == 1 ? system.measure(u"ab", 20) > 0.0f
                                     : system.hasGlyph(U'a');
        EXPECT_TRUE(system.lookedUp()) << way;
        EXPECT_EQ(open, system.isOpen()) << way;
        EXPECT_EQ(system.isOpen(), !system.fileName().empty());
    }
}

}  // namespace
