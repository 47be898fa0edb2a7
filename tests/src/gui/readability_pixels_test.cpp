// Texts that the menus put on the generated panels and buttons, drawn by the
// real OpenGL device off-screen at the reference size in the generator's
// art and the game's fonts, in the colours their screens give them: each
// must stand out from what is behind it (by the contrast ratio of relative
// luminances), and a disabled button's caption must fade where an enabled
// one reads. The panels carry both half-transparent black and plain white
// texts, so neither can have the contrast a plain light or dark panel
// would give one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "MenuHarness.h"
#include "OffscreenPicture.h"
#include "gui/ContextMenu.h"
#include "gui/ContextMessageBox.h"
#include "gui/GameSquare.h"
#include "gui/MenuButton.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

namespace {

constexpr int W = 1024, H = 768;

double channel(uint32_t c, int shift) {
    const double v = static_cast<double>((c >> shift) & 0xFF) / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
double luminance(uint32_t c) { return 0.2126 * channel(c, 16) + 0.7152 * channel(c, 8) + 0.0722 * channel(c, 0); }
double contrast(uint32_t a, uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Readability : testing::Test {
    menutest::MenuHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    picturetest::OffscreenWindow window;
    picturetest::PaintedArt painted;
    ContextMenu* screen = nullptr;

    void SetUp() override {
        if (!window.open("Readability", W, H)) return;
        // The generator's pictures instead of the harness's blank ones.
        painted.paint(h.resources, {"gui-game-button", "gui-game-editbox", "gui-game-square", "gui-game-square-opaque"},
                      Texture::FLAG_KEEP_SOURCE);
        h.drawEveryFrame = false;
        h.moveMouse(1000.0f, 20.0f);
        screen = h.push(new ContextMenu);
    }
    void TearDown() override {
        while (ZubBase* c = h.stack->firstChild) deleteObject(c);
        painted.clear();
        window.close();
    }

    std::vector<uint32_t> draw(uint32_t backdrop) {
        window.beginFrame(backdrop);
        h.stack->renderContext();
        return window.readFrame();
    }
    // The pixel at a point of the screen (origin at the centre, y up).
    static uint32_t at(const std::vector<uint32_t>& frame, float x, float y) {
        const int px = std::clamp(static_cast<int>(x + W / 2), 0, W - 1);
        const int py = std::clamp(static_cast<int>(H / 2 - y), 0, H - 1);
        return frame[static_cast<size_t>(py * W + px)] | 0xFF000000u;
    }
    // The strongest contrast to `behind` within a box of the screen.
    static double strongest(const std::vector<uint32_t>& frame, float x0, float y0, float x1, float y1,
                            uint32_t behind) {
        double best = 1.0;
        for (float y = y0; y <= y1; y += 1.0f)
            for (float x = x0; x <= x1; x += 1.0f) best = std::max(best, contrast(at(frame, x, y), behind));
        return best;
    }
};

TEST_F(Readability, AMessageBoxsTextAndANamePanelsTitleReadOnTheirPanels) {
    auto* box = new ContextMessageBox;
    box->text = u"Press the key or button you want to use. Esc cancels.";
    box->button1Caption.clear();
    box->build();
    h.push(box);
    h.step(2);
    const std::vector<uint32_t> frame = draw(0xFF406080u);
    // The text, half-transparent black, in a line across the middle.
    const FadingText* line = nullptr;
    for (const FadingText* t : childrenOf<FadingText>(box)) line = t;
    ASSERT_NE(line, nullptr);
    const float lineHeight = static_cast<float>(line->font->height);
    const uint32_t panel = at(frame, box->position.x - box->panelWidth / 2 + 25.0f, line->position.y - lineHeight / 2);
    const float width = line->font->measureLine(line->text);
    EXPECT_GT(strongest(frame, line->position.x, line->position.y - lineHeight, line->position.x + width,
                        line->position.y, panel),
              2.8);
    h.pressKey(1);
    h.step(2);

    // The name entry's square, its title (half-transparent black, 30 below
    // the top) and the name being typed (white, plain where the system
    // font draws it).
    auto* square = new GameSquare(0.0f, 0.0f, 0.0f, 640.0f, 256.0f, true, u"Enter your name");
    screen->addChild(square);
    auto* font = h.resources.findAs<FontQuad>(u"fontSmall");
    auto* name = new FadingText(V3(-100.0f, 0.0f, 0.0f), u"Anna Lee_", font, 0xFFFFFFFFu);
    name->bShadow = 0;
    name->flags = 3;
    screen->addChild(name);
    const std::vector<uint32_t> named = draw(0xFF406080u);
    const uint32_t inside = at(named, -280.0f, -60.0f);
    // The title stands on the frame's top rail, beside it to the left.
    const uint32_t rail = at(named, -280.0f, 128.0f - 30.0f);
    EXPECT_GT(strongest(named, -120.0f, 128.0f - 42.0f, 120.0f, 128.0f - 18.0f, rail), 2.8) << "the title";
    EXPECT_GT(strongest(named, -100.0f, -static_cast<float>(font->height), 0.0f, 0.0f, inside), 2.4) << "the name";
}

TEST_F(Readability, ADisabledButtonFadesWhereAnEnabledOneReadsAndTheHighlightCarriesAWhiteCaption) {
    auto* enabled = new MenuButton(-200.0f, 0.0f, 0.0f, u"Delete player", u"");
    auto* disabled = new MenuButton(200.0f, 0.0f, 0.0f, u"Delete player", u"");
    disabled->bDisabled = 1;
    screen->addItem(enabled);
    screen->addItem(disabled);
    h.step(2);
    std::vector<uint32_t> frame = draw(0xFF406080u);
    auto caption = [&](const MenuButton* b, const std::vector<uint32_t>& f) {
        const uint32_t face = at(f, b->position.x - 105.0f, b->position.y + 4.0f);
        return strongest(f, b->position.x - 70.0f, b->position.y - 10.0f, b->position.x + 70.0f, b->position.y + 10.0f,
                         face);
    };
    const double reads = caption(enabled, frame), fades = caption(disabled, frame);
    EXPECT_GT(reads, 3.0);
    EXPECT_LT(fades, 2.2);
    EXPECT_GT(fades, 1.3) << "a disabled caption still shows";
    EXPECT_GT(reads - fades, 1.2);

    // The pointer on the enabled one: its highlight and the white caption.
    const V3 anchor = enabled->cursorAnchor(0);
    h.moveMouse(anchor.x, anchor.y);
    h.step(60);
    frame = draw(0xFF406080u);
    EXPECT_GT(caption(enabled, frame), 3.0);
}

TEST_F(Readability, TheTranslucentSquareCarriesWhiteAndHalfBlackTextOverLightAndDarkLevels) {
    screen->addChild(new GameSquare(0.0f, 0.0f, 0.0f, 700.0f, 400.0f, false, u""));
    auto* font = h.resources.findAs<FontQuad>(u"fontMedium");
    ASSERT_NE(font, nullptr);
    auto* white = new FadingText(V3(-300.0f, 40.0f, 0.0f), u"Apples 10/10", font, 0xFFFFFFFFu);
    auto* black = new FadingText(V3(-300.0f, -40.0f, 0.0f), u"Press Space to jump", font, 0x80000000u);
    for (FadingText* t : {white, black}) {
        t->bShadow = 0;
        t->flags = 3;
        screen->addChild(t);
    }
    h.step(2);
    for (const uint32_t level : {0xFFB4DAF4u, 0xFF6AB85Au, 0xFF203818u}) {
        SCOPED_TRACE(testing::Message() << std::hex << level);
        const std::vector<uint32_t> frame = draw(level);
        const uint32_t panel = at(frame, 200.0f, 0.0f);
        const float line = static_cast<float>(font->height);
        EXPECT_GT(strongest(frame, -300.0f, 40.0f - line, -100.0f, 40.0f, panel), 2.4) << "white";
        EXPECT_GT(strongest(frame, -300.0f, -40.0f - line, -100.0f, -40.0f, panel), 2.4) << "half black";
    }
}

// A button's sheet is stretched with fixed left and bottom borders and the
// rest scaled along x, so its right end is drawn at another width than its
// left. Under the pointer, at the widths the pages give their buttons (160
// and the default 256) and filtered as the game draws by default, the
// golden outline is round at both ends: the outermost column a side reaches
// is reached by a third of the button's rows at most (a straight bar keeps
// it over many), and the rim at the right tip is no more than a pixel
// thicker than at the left.
TEST_F(Readability, AHoveredButtonsOutlineIsRoundAtBothEnds) {
    constexpr uint32_t kBackdrop = 0xFF203040u;
    for (const int width : {160, 256}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        auto* button = new MenuButton(0.0f, 0.0f, 0.0f, u"More options...", u"");
        button->setWidth(width);
        screen->addItem(button);
        const V3 anchor = button->cursorAnchor(0);
        h.moveMouse(anchor.x, anchor.y);
        h.step(60);
        // As the game draws by default: its textures filtered bilinearly.
        window.graphics->bBilinearFilter = true;
        window.graphics->beginFrame();
        window.graphics->clear(kBackdrop);
        h.stack->renderContext();
        const std::vector<uint32_t> frame = window.readFrame();
        h.moveMouse(1000.0f, 20.0f);
        button->destroy();
        h.step(2);

        const int x0 = W / 2 - width / 2 - 4, x1 = W / 2 + width / 2 + 4, y0 = H / 2 - 30, y1 = H / 2 + 30;
        auto pixel = [&](int x, int y) { return frame[static_cast<size_t>(y * W + x)] | 0xFF000000u; };
        auto onButton = [&](int x, int y) { return picturetest::difference(pixel(x, y), kBackdrop) > 60; };
        auto golden = [&](int x, int y) {
            const uint32_t p = pixel(x, y);
            return picturetest::channel(p, 16) > 180 && picturetest::channel(p, 8) > 150 &&
                   picturetest::channel(p, 0) < 140;
        };
        // The outermost column of each row, from the left and from the right.
        std::vector<int> left, right;
        int top = -1, middle = 0;
        for (int y = y0; y < y1; ++y) {
            int l = -1, r = -1;
            for (int x = x0; x < x1 && l < 0; ++x)
                if (onButton(x, y)) l = x;
            for (int x = x1 - 1; x >= x0 && r < 0; --x)
                if (onButton(x, y)) r = x;
            if (l < 0) continue;
            if (top < 0) top = y;
            left.push_back(l);
            right.push_back(r);
            middle = y;
        }
        ASSERT_GE(left.size(), 40u) << "the button's rows";
        middle = (top + middle) / 2;
        const int leftTip = *std::min_element(left.begin(), left.end());
        const int rightTip = *std::max_element(right.begin(), right.end());
        const auto atLeftTip = std::count(left.begin(), left.end(), leftTip);
        const auto atRightTip = std::count(right.begin(), right.end(), rightTip);
        const auto third = static_cast<std::ptrdiff_t>(left.size() / 3);
        EXPECT_LE(atLeftTip, third) << "rows at the left end's outermost column";
        EXPECT_LE(atRightTip, third) << "rows at the right end's outermost column";
        // The rim across the middle row, from each end inwards.
        int leftRim = 0, rightRim = 0;
        for (int x = leftTip; x < x1 && golden(x, middle); ++x) ++leftRim;
        for (int x = rightTip; x >= x0 && golden(x, middle); --x) ++rightRim;
        EXPECT_GT(leftRim, 0) << "the golden outline at the left end";
        EXPECT_GT(rightRim, 0) << "the golden outline at the right end";
        EXPECT_LE(rightRim, leftRim + 1) << "the rim at the right end against the left";
        std::printf("width %d: rows at the outermost column left %td, right %td; rim left %d, right %d pixels\n", width,
                    atLeftTip, atRightTip, leftRim, rightRim);
    }
}

}  // namespace
