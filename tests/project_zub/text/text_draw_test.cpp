// Drawing text on the recording device: layout and flags, colours and
// markup, shadows, the text cache and resolution scaling.
#include <gtest/gtest.h>

#include "gfx/Quad.h"
#include "gfx/RenderCounters.h"
#include "gfx/Renderable.h"
#include "text/TextCache.h"
#include "text_test_support.h"

using namespace texttest;

namespace {

class TextDraw : public FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        if (IsSkipped()) return;
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        ASSERT_TRUE(graphics.setDevice(std::move(d), error)) << error;
        font = makeFont();
        renderCounters.reset();
    }

    // The vertices of the last buffer drawn, as uploaded.
    const std::vector<platform::Vertex>& drawnVertices(size_t drawIndex) const {
        return device->buffers[device->draws[drawIndex].buffer - 1].vertices;
    }
    // Left and top of the first quad of a draw.
    V3 firstCorner(size_t drawIndex) const {
        const platform::Vertex& v = device->draws[drawIndex].firstVertex;
        return V3(v.x, v.y, v.z);
    }

    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
    FontQuad* font = nullptr;
};

TEST_F(TextDraw, TwoTrianglesPerGlyphInOneDrawPerTexture) {
    Renderable carrier;
    carrier.setPosition(V3(100, 50, 0));
    carrier.color = 0xFF336699;
    font->renderText(&carrier, 0, u"Hi there");
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& d = device->draws[0];
    EXPECT_EQ(d.type, platform::Primitive::TriangleList);
    EXPECT_EQ(d.count, 7 * 6);  // seven glyphs; the space draws nothing
    EXPECT_EQ(d.firstColor, 0xFF336699u);
    EXPECT_EQ(d.modulate, 0xFFFFFFFFu);
    EXPECT_EQ(d.world, carrier.worldMatrix);
    EXPECT_NE(d.texture, 0u);
    // Top left of the first glyph at the point.
    EXPECT_EQ(firstCorner(0), V3(0, 0, 0));
    // The symbol from the extra page: a second texture, a second draw.
    device->resetRecords();
    font->renderText(&carrier, 0, u"A\x01");
    ASSERT_EQ(device->draws.size(), 2u);
    EXPECT_NE(device->draws[0].texture, device->draws[1].texture);
    EXPECT_EQ(device->draws[0].count, 6);
}

TEST_F(TextDraw, FlagsPlaceTheText) {
    const float w = font->measureLine(u"Wide");
    const float h = static_cast<float>(font->height);
    struct Case {
        int flags;
        float x, y;
    } cases[] = {
        {3, 0, 0},     {4, std::trunc(-w / 2), 0},    {0x10, 0, std::trunc(h / 2)}, {0x24, std::trunc(-w / 2), h},
        {0x28, -w, h}, {0x1A, -w, std::trunc(h / 2)},
    };
    for (const Case& c : cases) {
        device->resetRecords();
        font->drawText(10, 20, 0, 0xFFFFFFFF, c.flags, u"Wide");
        ASSERT_EQ(device->draws.size(), 1u);
        EXPECT_EQ(firstCorner(0), V3(c.x, c.y, 0)) << "flags " << c.flags;
        EXPECT_EQ(device->draws[0].world, M44::translation(10, 20, 0));
    }
    // Carriage returns start lines, each aligned alone.
    device->resetRecords();
    font->drawText(0, 0, 0, 0xFFFFFFFF, 8, u"A\rWWW");
    const auto& v = drawnVertices(0);
    ASSERT_EQ(v.size(), 4u * 6u);
    EXPECT_FLOAT_EQ(v[0].x, -font->measureLine(u"A"));
    EXPECT_FLOAT_EQ(v[0].y, 0.0f);
    EXPECT_FLOAT_EQ(v[6].x, -font->measureLine(u"WWW"));
    EXPECT_FLOAT_EQ(v[6].y, -h);
}

TEST_F(TextDraw, MarkupColoursRunsWithTheCarriersAlpha) {
    Renderable carrier;
    carrier.color = 0x80FFFFFF;
    font->renderText(&carrier, 0, u"a\x1E{0000ff}b\x1E{000001}c\x1E{ff0000}d");
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& v = drawnVertices(0);
    ASSERT_EQ(v.size(), 24u);
    EXPECT_EQ(v[0].diffuse, 0x80FFFFFFu);
    EXPECT_EQ(v[6].diffuse, 0x800000FFu);
    EXPECT_EQ(v[12].diffuse, 0x80FFFFFFu);
    EXPECT_EQ(v[18].diffuse, 0x80FF0000u);
    // Nothing is drawn for empty or invisible text.
    device->resetRecords();
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"");
    font->drawText(0, 0, 0, 0x00FFFFFF, 0, u"abc");
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"   ");
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"\x1E{ff0000}");
    EXPECT_TRUE(device->draws.empty());
}

TEST_F(TextDraw, TheCarriersTransformPlacesTheText) {
    Renderable carrier;
    carrier.setPosition(V3(30, 40, 5));
    carrier.setRotationZ(0.5f);
    carrier.setScaleV(V3(2, 3, 1));
    M44 parent = M44::translation(7, 0, 0);
    carrier.setParentMatrix(parent);
    font->renderText(&carrier, 0, u"x");
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].world, carrier.worldMatrix);
    // An offset in the carrier's space comes first.
    device->resetRecords();
    font->renderText(&carrier, 0, u"x", V3(5, -6, 0));
    EXPECT_EQ(device->draws[0].world, M44::translation(5, -6, 0) * carrier.worldMatrix);
    // Without a carrier: the origin, white.
    device->resetRecords();
    font->renderText(nullptr, 0, u"x");
    EXPECT_EQ(device->draws[0].world, M44::identity());
    EXPECT_EQ(device->draws[0].firstColor, 0xFFFFFFFFu);
}

TEST_F(TextDraw, TheShadowIsASecondCopyFirstWhileShadowsAreOn) {
    Renderable carrier;
    carrier.setPosition(V3(10, 10, 0));
    carrier.color = 0xFFFFFF00;
    graphics.bTextShadow = 1;
    font->drawTextShadowed(&carrier, 0, u"Hey");
    ASSERT_EQ(device->draws.size(), 2u);
    // The shadow: 4 units below in the world, default colour, drawn first.
    EXPECT_EQ(device->draws[0].firstColor, FontQuad::DEFAULT_SHADOW_COLOUR);
    EXPECT_EQ(device->draws[0].world, carrier.worldMatrix * M44::translation(0, -4, 0));
    EXPECT_EQ(device->draws[1].firstColor, 0xFFFFFF00u);
    EXPECT_EQ(device->draws[1].world, carrier.worldMatrix);
    EXPECT_EQ(device->draws[0].count, device->draws[1].count);

    // Offset and colour given; the shadow's alpha follows the carrier's.
    device->resetRecords();
    carrier.color = 0x80FFFFFF;
    font->drawTextShadowed(&carrier, 0, u"Hey", V3(0, -1, 0), 0x40000000);
    ASSERT_EQ(device->draws.size(), 2u);
    EXPECT_EQ(device->draws[0].firstColor, 0x20000000u);
    EXPECT_EQ(device->draws[0].world, carrier.worldMatrix * M44::translation(0, -1, 0));
    // Markup colours do not reach the shadow.
    device->resetRecords();
    font->drawTextShadowed(&carrier, 0, u"\x1E{ff0000}Hey");
    EXPECT_EQ(device->draws[0].firstColor & 0x00FFFFFF, 0u);

    // Text shadows off: the text alone.
    graphics.bTextShadow = 0;
    device->resetRecords();
    font->drawTextShadowed(&carrier, 0, u"Hey");
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].firstColor, 0x80FFFFFFu);
}

TEST_F(TextDraw, ShadowedAtAPointIsCentredOnALineAbove) {
    graphics.bTextShadow = 1;
    font->drawTextShadowedAt(0, -382, 0, 0xFFFFFFFF, V3(0, -1, 0), 0x80000000, u"Hint");
    ASSERT_EQ(device->draws.size(), 2u);
    const float w = font->measureLine(u"Hint");
    EXPECT_EQ(firstCorner(1), V3(std::trunc(-w / 2), static_cast<float>(font->height), 0));
    EXPECT_EQ(device->draws[1].world, M44::translation(0, -382, 0));
    EXPECT_EQ(device->draws[0].world, M44::translation(0, -382, 0) * M44::translation(0, -1, 0));
}

TEST_F(TextDraw, ComposedCharactersDrawTheirAccents) {
    FontQuad* bare = makeFont(u"1252", u"font-bare");
    bare->buildCompositeChars(u"Yes", u"1252");
    bare->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"\u00E9t\u00E9");
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].count, 5 * 6);  // e, accent, t, e, accent
    const auto& v = drawnVertices(0);
    // The accent above its letter.
    EXPECT_GT(v[6].y, v[0].y - bare->getGlyph(u'e').quad->height / 2);
}

TEST_F(TextDraw, TheCacheKeepsLaidOutTextsAndTheirBuffers) {
    font->bCacheFlag = 1;
    font->attachFontCache();
    TextCache* cache = font->getTextCache();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->name, formatString(u"%s%dpx", font->name, font->height));
    EXPECT_EQ(cache->capacity(), TextCache::LARGE);

    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"Score");
    const int uploads = renderCounters.vbufferWrites;
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(cache->size(), 1u);
    // The same text in the same colour: no layout, no upload.
    font->drawText(50, 0, 0, 0xFFFFFFFF, 0, u"Score");
    EXPECT_EQ(renderCounters.vbufferWrites, uploads);
    EXPECT_EQ(cache->hits, 1u);
    // Another colour: refilled. Other flags: another entry.
    font->drawText(0, 0, 0, 0xFF00FF00, 0, u"Score");
    EXPECT_EQ(renderCounters.vbufferWrites, uploads + 1);
    font->drawText(0, 0, 0, 0xFF00FF00, 4, u"Score");
    EXPECT_EQ(cache->size(), 2u);
    // Flags that do not move the text share the entry.
    font->drawText(0, 0, 0, 0xFF00FF00, 4 | 1 | 2, u"Score");
    EXPECT_EQ(cache->size(), 2u);
    ASSERT_EQ(device->draws.size(), 5u);
    EXPECT_EQ(device->draws[4].firstVertex.x, device->draws[3].firstVertex.x);

    // The shadow pass has its own buffer.
    graphics.bTextShadow = 1;
    Renderable carrier;
    font->drawTextShadowed(&carrier, 0, u"Score");
    const int afterShadow = renderCounters.vbufferWrites;
    font->drawTextShadowed(&carrier, 0, u"Score");
    EXPECT_EQ(renderCounters.vbufferWrites, afterShadow);

    // Caches switched off, or not allowed for the font: every draw uploads.
    TextCache::bEnabled = false;
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"Score");
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"Score");
    EXPECT_EQ(renderCounters.vbufferWrites, afterShadow + 2);
    TextCache::bEnabled = true;
    font->bAllowTextCache = 0;
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0, u"Score");
    EXPECT_EQ(renderCounters.vbufferWrites, afterShadow + 3);

    // A small cache forgets the least recent text.
    FontQuad* other = makeFont();
    other->bCacheFlag = 0;
    other->attachFontCache();
    EXPECT_EQ(other->getTextCache()->capacity(), TextCache::SMALL);
    for (int i = 0; i < 70; ++i) other->drawText(0, 0, 0, 0xFFFFFFFF, 0, formatString(u"%d", i));
    EXPECT_EQ(other->getTextCache()->size(), TextCache::SMALL);
    EXPECT_EQ(other->getTextCache()->find(u"0", 0, 1.0f), nullptr);
    EXPECT_NE(other->getTextCache()->find(u"69", 0, 1.0f), nullptr);
}

TEST_F(TextDraw, ResolutionScalingKeepsThePixelSize) {
    const int h = font->height;
    const float w = font->measureLine(u"Scale");
    // The reference screen shown in 512 window pixels: 2 units per pixel.
    graphics.onWindowSize(512, 384);
    ASSERT_FLOAT_EQ(graphics.pixelToDesign(), 2.0f);
    EXPECT_EQ(font->height, h);  // not scaled without the flag
    FontQuad::bAllowResolutionScaling = false;
    font->enableResolutionScaling();
    EXPECT_EQ(font->bScaleWithResolution, 0);
    FontQuad::bAllowResolutionScaling = true;
    font->enableResolutionScaling();
    EXPECT_EQ(font->bScaleWithResolution, 1);
    EXPECT_EQ(font->height, 2 * h);
    EXPECT_EQ(font->pixelHeight, h);
    EXPECT_FLOAT_EQ(font->measureLine(u"Scale"), 2 * w);
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0x20, u"S");
    EXPECT_EQ(firstCorner(0), V3(0, 2.0f * static_cast<float>(h), 0));
    EXPECT_FLOAT_EQ(drawnVertices(0)[1].x, 2 * font->getGlyph(u'S').quad->width);

    // A larger window: never below the page's size.
    graphics.onWindowSize(2048, 1536);
    FontQuad::presentationChanged();
    EXPECT_EQ(font->height, h);
    EXPECT_EQ(font->pixelHeight, 2 * h);
    // Drawing follows the display by itself.
    graphics.onWindowSize(512, 384);
    device->resetRecords();
    font->drawText(0, 0, 0, 0xFFFFFFFF, 0x20, u"S");
    EXPECT_EQ(font->height, 2 * h);
}

}  // namespace
