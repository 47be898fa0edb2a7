// On-screen messages: the letters stand in the centred line and fade in
// one after another; an accented letter made of two pictures shows both
// with one timing; a font that grows with the resolution keeps the line
// centred; the whole-text form fades as one; a free-standing message goes
// once its letters have; an empty text clears at once.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "TestLevel.h"
#include "flow/GameMessage.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "platform/RenderDevice.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

namespace {

constexpr double DT = 0.01;

FontQuad& testFont() {
    FontQuad* f = leveltest::smallTestFont();
    EXPECT_NE(f, nullptr);
    return *f;
}

std::vector<MessageLetter*> lettersOf(const GameMessage& m) {
    std::vector<MessageLetter*> out;
    for (ZubBase* c : childrenOf(m)) out.push_back(static_cast<MessageLetter*>(c));
    return out;
}

// The left and right edges of what the letters show.
std::pair<float, float> extent(const GameMessage& m) {
    float left = 1e9f, right = -1e9f;
    for (const MessageLetter* l : lettersOf(m)) {
        if (!l->pSkin) continue;
        left = std::min(left, l->position.x - l->pSkin->width * l->scale.x * 0.5f);
        right = std::max(right, l->position.x + l->pSkin->width * l->scale.x * 0.5f);
    }
    return {left, right};
}

void run(ZubBase& o, double seconds) {
    for (double t = 0.0; t < seconds - 1e-9; t += DT) o.tick(t, DT);
}

}  // namespace

TEST(GameMessage, LettersStandInTheCentredLineAndFadeInOneAfterAnother) {
    FontQuad& font = testFont();
    GameMessage m(&font, V3(40.0f, 105.0f, 0.0f));
    m.bRemoveWhenEmpty = 0;
    m.show(u"Go on", 1.0);
    const std::vector<MessageLetter*> letters = lettersOf(m);
    ASSERT_EQ(letters.size(), 5u);
    // The space has a letter of its own that draws nothing.
    EXPECT_EQ(letters[2]->pSkin, nullptr);
    // The drawn letters span the measured line about its centre.
    const float line = font.measureLine(u"Go on");
    const auto [left, right] = extent(m);
    EXPECT_NEAR(left, 40.0f - std::trunc(line / 2.0f), 0.01f);
    EXPECT_NEAR(right, left + line - static_cast<float>(font.letterSpacing), 0.01f);
    for (size_t i = 0; i < letters.size(); ++i) {
        EXPECT_DOUBLE_EQ(letters[i]->delay, 0.05 * static_cast<double>(i));
        EXPECT_EQ(letters[i]->position.y, 105.0f);
        EXPECT_TRUE(letters[i]->bDisabled);
    }

    // Each letter fades in over a quarter second after its delay (its alpha
    // the square of the share), and out over the last quarter second of its
    // own duration; then it goes.
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i) m.tick(0.0, DT);
    };
    ticks(13);
    EXPECT_NEAR(static_cast<double>(letters[0]->color >> 24), 255.0 * 0.52 * 0.52, 1.0);
    EXPECT_EQ(letters[4]->color >> 24, 0u);
    ticks(37);
    EXPECT_EQ(letters[0]->color >> 24, 255u);
    EXPECT_EQ(letters[4]->color >> 24, 255u);
    ticks(62);
    ASSERT_EQ(m.countChildren(), 2);
    EXPECT_EQ(static_cast<MessageLetter*>(m.lastChild), letters[4]);
    EXPECT_NEAR(static_cast<double>(letters[4]->color >> 24), 255.0 * (1.0 - 0.68 * 0.68), 2.0);
    ticks(20);
    EXPECT_EQ(m.countChildren(), 0);

    // An empty text clears the message at once; a new text replaces the old.
    m.show(u"abc", 1.0);
    m.show(u"xy", 1.0);
    EXPECT_EQ(m.countChildren(), 2);
    m.show(u"", 1.0);
    EXPECT_EQ(m.countChildren(), 0);
}

TEST(GameMessage, AnAccentedLetterOfTwoPicturesShowsBothAtOnce) {
    // The glyph pages of the Western code page, the Central European
    // letters composed from them.
    FontQuad& small = testFont();
    FontQuad font;
    for (size_t i = 0; i < small.pages.size(); ++i)
        font.addSourceTexture(small.pages[i], i == 0 ? FontQuad::FIRST_PAGE_CODE : FontQuad::CONTINUE);
    ASSERT_GT(font.buildCompositeChars(u"Yes", u"1250"), 0);
    const char16_t composed = u'\u0144';  // n with acute
    const FontQuad::Glyph g = font.getGlyph(composed);
    ASSERT_TRUE(g.quad && g.accent);

    GameMessage m(&font, V3(0.0f, 0.0f, 0.0f));
    m.show(WString(u"a") + composed, 2.0);
    const std::vector<MessageLetter*> letters = lettersOf(m);
    ASSERT_EQ(letters.size(), 3u);
    EXPECT_EQ(letters[1]->pSkin, g.quad);
    EXPECT_EQ(letters[2]->pSkin, g.accent);
    EXPECT_EQ(letters[2]->delay, letters[1]->delay);
    EXPECT_EQ(letters[2]->duration, letters[1]->duration);
    EXPECT_EQ(letters[2]->position, letters[1]->position + V3(g.accentX, g.accentY, 0.0f));
}

TEST(GameMessage, AFontThatGrowsWithTheResolutionKeepsTheLineCentred) {
    // The reference screen in half as many pixels: the font draws twice as
    // large, and so do the letters and their advances.
    ZubGraphics graphics;
    std::string error;
    ASSERT_TRUE(graphics.setDevice(std::make_unique<platform::NullRenderDevice>(), error)) << error;
    graphics.onWindowSize(512, 384);
    FontQuad& small = testFont();
    FontQuad font;
    for (size_t i = 0; i < small.pages.size(); ++i)
        font.addSourceTexture(small.pages[i], i == 0 ? FontQuad::FIRST_PAGE_CODE : FontQuad::CONTINUE);
    font.enableResolutionScaling();
    ASSERT_EQ(font.currentScale(), 2.0f);

    GameMessage m(&font, V3(0.0f, 0.0f, 0.0f));
    m.bRemoveWhenEmpty = 0;
    m.show(u"Level complete!", 1.0);
    const auto [left, right] = extent(m);
    const float line = font.measureLine(u"Level complete!");
    EXPECT_NEAR(left, -std::trunc(line / 2.0f), 0.01f);
    EXPECT_NEAR(right, left + line - 2.0f * static_cast<float>(font.letterSpacing), 0.01f);
    EXPECT_EQ(lettersOf(m)[0]->scale.x, 2.0f);
}

TEST(GameMessage, TheWholeTextFormFadesAsOneAndAFreeStandingMessageGoesWhenDone) {
    FontQuad& font = testFont();
    ZubBase parent;
    auto* whole = new GameMessage(&font, V3(0.0f, 20.0f, 0.0f));
    whole->bPerLetter = 0;
    parent.addChild(whole);
    whole->show(u"Welcome", 3.0);
    ASSERT_EQ(whole->countChildren(), 1);
    const auto* text = zub_cast<FadingText>(whole->firstChild);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, u"Welcome");
    EXPECT_EQ(text->flags, FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP);
    EXPECT_EQ(text->bShadow, 0);
    EXPECT_EQ(text->fadeIn, 1.0);
    EXPECT_EQ(text->fadeOut, 1.0);
    EXPECT_EQ(text->lifetime, 4.0);

    // Letter by letter, free-standing: gone with its last letter.
    auto* letters = new GameMessage(&font, V3(0.0f, 20.0f, 0.0f));
    parent.addChild(letters);
    letters->show(u"Hi", 0.5);
    run(parent, 0.4);
    EXPECT_EQ(parent.countChildren(), 2);
    run(parent, 0.3);
    ASSERT_EQ(parent.countChildren(), 1);
    EXPECT_EQ(parent.firstChild, whole);
    // The whole text goes at the end of its lifetime, and the message with it.
    run(parent, 3.5);
    EXPECT_EQ(parent.countChildren(), 0);
}
