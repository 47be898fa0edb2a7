// Fading texts and sprites, floating texts and multi-line panels.
#include <gtest/gtest.h>

#include "gfx/Quad.h"
#include "text/FadingSprite.h"
#include "text/FadingText.h"
#include "text/FloatingText.h"
#include "text/MultiLineText.h"
#include "text_test_support.h"

using namespace texttest;

namespace {

class FadingTexts : public FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        if (IsSkipped()) return;
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        ASSERT_TRUE(graphics.setDevice(std::move(d), error)) << error;
        graphics.bTextShadow = 1;
        font = makeFont();
    }
    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
    FontQuad* font = nullptr;
};

TEST(FadeTiming, AlphaRisesHoldsAndFalls) {
    FadeTiming f;
    f.delay = 0.5;
    f.lifetime = 4.0;
    f.fadeIn = 1.0;
    f.fadeOut = 2.0;
    EXPECT_EQ(f.fadeAlpha(), 0);
    EXPECT_FALSE(f.isShowing());
    EXPECT_FALSE(f.advanceFade(0.25));
    EXPECT_EQ(f.age, 0.0);
    EXPECT_FALSE(f.advanceFade(0.5));  // the delay ends; the rest of the step ages
    EXPECT_DOUBLE_EQ(f.age, 0.25);
    EXPECT_TRUE(f.isShowing());
    EXPECT_EQ(f.fadeAlpha(), 63);  // 255 x 0.25
    f.advanceFade(0.75);
    EXPECT_EQ(f.fadeAlpha(), 255);
    f.advanceFade(2.0);  // 3.0: half the fade-out left
    EXPECT_EQ(f.fadeAlpha(), 127);
    EXPECT_TRUE(f.advanceFade(1.0));
    EXPECT_EQ(f.fadeAlpha(), 0);
    EXPECT_TRUE(f.isOver());
}

TEST(FadeTiming, TheFadeScalesTheColoursOwnAlpha) {
    FadeTiming f;
    uint32_t colour = 0x80000000;
    f.applyFade(colour);
    EXPECT_EQ(colour, 0x80000000u);  // no fades: as given
    f.fadeIn = 1.0;
    f.age = 0.5;
    f.applyFade(colour);
    EXPECT_EQ(colour, 0x40000000u);
    f.age = 1.0;
    f.applyFade(colour);
    EXPECT_EQ(colour, 0x80000000u);
    // The owner writes a new colour: it becomes the unfaded one.
    colour = 0xFFFF0000;
    f.age = 0.5;
    f.applyFade(colour);
    EXPECT_EQ(colour, 0x7FFF0000u);
}

TEST_F(FadingTexts, DrawnThroughTheShadowedPathCentred) {
    FadingText t(V3(0, 100, 0), u"RECIPE", font, 0xFFFFFFFF);
    t.render();
    ASSERT_EQ(device->draws.size(), 2u);  // shadow 4 below, then the text
    EXPECT_EQ(device->draws[0].world, t.worldMatrix * M44::translation(0, -4, 0));
    EXPECT_EQ(device->draws[1].world, t.worldMatrix);
    // Centred (flag 4).
    EXPECT_FLOAT_EQ(device->draws[1].firstVertex.x, std::trunc(-font->measureLine(u"RECIPE") / 2));

    device->resetRecords();
    t.bShadow = 0;
    t.render();
    EXPECT_EQ(device->draws.size(), 1u);
    device->resetRecords();
    t.bHidden = 1;
    t.render();
    EXPECT_TRUE(device->draws.empty());
}

TEST_F(FadingTexts, TicksFadeAndRemoveAtTheEnd) {
    ZubBase holder;
    auto* t = new FadingText(0, 0, 0, u"Bye", font, 0xFFFFFFFF);
    holder.addChild(t);
    t->lifetime = 2.0;
    t->fadeOut = 1.0;
    t->delay = 1.0;
    t->render();
    EXPECT_TRUE(device->draws.empty());  // still waiting
    holder.tick(0, 1.0);
    EXPECT_EQ(t->color >> 24, 255u);
    holder.tick(0, 1.5);
    EXPECT_EQ(t->color >> 24, 127u);
    t->tick(0, 0.6);  // past the lifetime: flagged and not drawn
    EXPECT_EQ(t->bToBeDestroyed, 1);
    t->render();
    EXPECT_TRUE(device->draws.empty());
    holder.tick(0, 0.1);  // the holder deletes it
    EXPECT_EQ(holder.firstChild, nullptr);

    FadingText stays(0, 0, 0, u"Stay", font, 0x80000000);
    stays.lifetime = 1.0;
    stays.bAutoRemove = 0;
    stays.tick(0, 2.0);
    EXPECT_EQ(stays.bToBeDestroyed, 0);
    stays.render();
    EXPECT_TRUE(device->draws.empty());  // outside its lifetime
    // A half-transparent text without fades stays half transparent.
    FadingText panel(0, 0, 0, u"Panel", font, 0x80000000);
    panel.bShadow = 0;
    panel.tick(0, 0.1);
    panel.render();
    EXPECT_EQ(device->draws[0].firstColor, 0x80000000u);
}

TEST_F(FadingTexts, FitToWidthSqueezesWideTexts) {
    FadingText t(0, 0, 0, u"A rather long player name", font, 0xFFFFFFFF);
    const float w = font->measureText(t.text).width;
    t.fitToWidth(static_cast<int>(w) + 10);
    EXPECT_EQ(t.scale, V3(1, 1, 1));
    t.fitToWidth(100);
    EXPECT_FLOAT_EQ(t.scale.x, 100.0f / w);
    EXPECT_FLOAT_EQ(t.scale.y, 1.0f);
    EXPECT_FLOAT_EQ(t.worldMatrix.m[0][0], 100.0f / w);
}

TEST_F(FadingTexts, FloatingTextsDriftAndFadeOut) {
    ZubBase effects;
    auto* f = new FloatingText(font, V3(10, 20, 0), u"100", 0xFFFF0000, V3(0, 64, 0), 0.75);
    effects.addChild(f);
    effects.tick(0, 0.25);
    EXPECT_EQ(f->position, V3(10, 36, 0));
    EXPECT_EQ(f->worldMatrix.m[3][1], 36.0f);
    EXPECT_EQ(f->color >> 24, 170u);  // 255 x 0.5 / 0.75
    EXPECT_EQ(f->color & 0xFFFFFF, 0xFF0000u);
    f->tick(0, 0.5);
    EXPECT_EQ(f->bToBeDestroyed, 1);
    effects.tick(0, 0.1);
    EXPECT_EQ(effects.firstChild, nullptr);
}

TEST_F(FadingTexts, FadingSpritesDrawTheirSkin) {
    Texture* page = font->pages[0];
    FadingSprite s(page->getSkin(0), V3(0, 0, 0));
    s.bNoCulling = 1;
    s.lifetime = 2.5;
    s.fadeIn = 0.25;
    s.fadeOut = 0.5;
    s.render();
    EXPECT_TRUE(device->draws.empty());  // at age 0 the fade-in starts from 0
    s.tick(0, 1.0);
    s.render();
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].modulate, 0xFFFFFFFFu);
    s.tick(0, 1.75);
    EXPECT_EQ(s.bToBeDestroyed, 1);
}

TEST_F(FadingTexts, MultiLineTextWrapsTheTemplate) {
    FadingText templ(0, -100, 0, u"\x1E{0000ff}LEFT\x1E{000001} and RIGHT walk to the gate|Go!", font, 0xFFFFFFFF);
    templ.bShadow = 0;
    const float width = font->measureLine(u"LEFT and RIGHT") + 2;
    MultiLineText panel(&templ, width);
    TextBlock* block = panel.getBlock();
    ASSERT_NE(block, nullptr);
    const int lines = block->lineCount();
    ASSERT_GE(lines, 3);
    EXPECT_EQ(block->getLine(0)->plainText(), u"LEFT and RIGHT");
    EXPECT_EQ(block->getLine(lines - 1)->plainText(), u"Go!");
    panel.render();
    ASSERT_EQ(device->draws.size(), static_cast<size_t>(lines));
    // Line k one line height lower, each centred by its own width.
    for (int k = 0; k < lines; ++k) {
        const TextLine* line = block->getLine(k);
        EXPECT_EQ(device->draws[static_cast<size_t>(k)].world,
                  M44::translation(std::trunc(-line->width / 2), -static_cast<float>(k * font->height), 0) *
                      panel.worldMatrix)
            << k;
    }
    // The marked run keeps its colour, the rest the panel's.
    EXPECT_EQ(device->draws[0].firstColor, 0xFF0000FFu);
    EXPECT_EQ(device->draws[1].firstColor, 0xFFFFFFFFu);
    // Shadowed: two draws a line.
    device->resetRecords();
    panel.bShadow = 1;
    panel.render();
    EXPECT_EQ(device->draws.size(), static_cast<size_t>(2 * lines));
    // A new text is wrapped on the next draw.
    panel.text = u"Short";
    EXPECT_EQ(panel.getBlock()->lineCount(), 1);
}

}  // namespace
