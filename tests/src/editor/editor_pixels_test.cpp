// The editor over a small level and over the first level, drawn by the OpenGL device in an
// off-screen window in the content generator's art and the game's fonts (the
// tiny font with its symbols, the edit box's caret and the editor's row
// symbols), and compared with a stored
// picture within a tolerance: the grid, the editor's icons and labels, a
// switch's rows with an open row being typed into, its reference to an apple
// (line and circle) and the leader to the switch. After a wanted change of
// the look, write the picture again and look at it before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_editor_tests --gtest_filter='EditorPixels.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "EditorHarness.h"
#include "MenuHarness.h"
#include "OffscreenPicture.h"
#include "TextContrast.h"
#include "editor/EditorPropertyTextWidget.h"
#include "gfx/Camera.h"
#include "gfx/ContextBlender.h"
#include "gui/GUIeditBox.h"
#include "gui/GUIthemeMinimal.h"
#include "gui/GuiEnvironment.h"
#include "object/Property.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Switch.h"
#include "platform/FontRasterizer.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"
#include "util/KeyCodes.h"
#include "util/WString.h"

using editortest::EditorHarness;

namespace {

constexpr int W = 1024, H = 768;

class EditorPixels : public ::testing::Test {
protected:
    void SetUp() override {
        if (!window.open("Editor", W, H)) return;
        h = std::make_unique<EditorHarness>();
        // The generator's art and the game's fonts instead of the blank
        // placeholders and the one small font.
        art.paintAll(h->resources);
        ASSERT_TRUE(menutest::registerGameFonts(h->resources));
        // The tiny font with the editor's row symbols from code 0x80, made
        // as the content generator makes the symbol sheet.
        const std::string fontFile = platform::defaultGlyphFontFile();
        if (fontFile.empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
        std::string error;
        std::unique_ptr<platform::FontRasterizer> raster = platform::openFontRasterizer(fontFile, 10, error);
        ASSERT_TRUE(raster) << error;
        glyph_pages::Style style;
        style.pixelSize = 10;
        ASSERT_TRUE(
            glyph_pages::writeSymbolSheet(h->folder + "editorsymbols", *raster, {0x25B8, 0x2022, 0x25BA}, style, error))
            << error;
        symbols = std::make_unique<Texture>(10, u"editorsymbols.tga");
        // Its symbols from code 0 (the edit box's caret among them) are the
        // generated sheet that the loader adds.
        std::error_code ec;
        for (const char* ext : {".tga", ".ini"})
            std::filesystem::copy_file(std::string(ZUB_CONTENT_DIR "/gfx/font/font-tiny-GUIsymbols") + ext,
                                       h->folder + "guisymbols" + ext, ec);
        ASSERT_FALSE(ec) << ec.message();
        guiSymbols = std::make_unique<Texture>(10, u"guisymbols.tga");
        tiny = std::make_unique<FontQuad>();
        tiny->addSourceTextures(u"fontTinyTex");
        tiny->addSourceTexture(guiSymbols.get(), 0, true);
        tiny->addSourceTexture(symbols.get(), 0x80, true);
        tiny->finishLoading();
        h->resources.addResource(u"fontTiny", tiny.get());
        // The minimal theme the rows wear, in that font: the game makes its
        // themes once its fonts are loaded.
        h->minimalTheme = std::make_unique<GUIthemeMinimal>(tiny.get());
        gui::environment().minimalTheme = h->minimalTheme.get();
    }
    void TearDown() override {
        h.reset();
        tiny.reset();
        symbols.reset();
        guiSymbols.reset();
        art.clear();
        window.close();
    }

    std::vector<uint32_t> draw() {
        window.beginFrame(0xFF000000u);
        h->manager->renderContext();
        return window.readFrame();
    }
    // The first level as the build writes it, opened for editing, and its
    // first apple picked; null (with a failure) where that cannot be.
    Apple* editTheFirstLevelWithItsFirstApplePicked() {
        std::ifstream in(ZUB_CONTENT_DIR "/levels/a1.lev", std::ios::binary);
        EXPECT_TRUE(in) << "the build writes the first level";
        if (!in) return nullptr;
        const std::vector<uint8_t> a1((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        GameController& gc = h->edit(a1);
        Apple* apple = nullptr;
        for (ZubBase* o : childrenOf(gc.appleList))
            if ((apple = zub_cast<Apple>(o))) break;
        EXPECT_NE(apple, nullptr);
        if (!apple) return nullptr;
        h->clickAt(h->onScreen(apple->boundingCentre));
        EXPECT_EQ(h->panel().getEditedObject(), apple);
        return h->panel().getEditedObject() == apple ? apple : nullptr;
    }
    // The pixel where a point of the screen (origin at the centre, y up) shows.
    static uint32_t at(const std::vector<uint32_t>& frame, const V3& p) {
        const int px = static_cast<int>((p.x + 512.0f) * W / 1024.0f),
                  py = static_cast<int>((384.0f - p.y) * H / 768.0f);
        return frame[static_cast<size_t>(py) * W + static_cast<size_t>(px)];
    }

    picturetest::OffscreenWindow window;
    std::unique_ptr<EditorHarness> h;
    picturetest::PaintedArt art;
    std::unique_ptr<Texture> symbols, guiSymbols;
    std::unique_ptr<FontQuad> tiny;
};

TEST_F(EditorPixels, TheEditorOverASmallLevelLooksAsStored) {
    EditorHarness& e = *h;
    GameController& gc = e.edit(e.houseLevel());
    auto* lever = static_cast<Switch*>(e.place(&Switch::classRecord, V3(-250.0f, 150.0f, 0.0f)));
    ASSERT_NE(lever, nullptr);
    Apple* apple = nullptr;
    for (ZubBase* o : childrenOf(gc.appleList))
        if ((apple = zub_cast<Apple>(o))) break;
    ASSERT_NE(apple, nullptr);
    e.clickRow(u"target1");
    e.pointAt(e.onScreen(apple->boundingCentre));
    e.chord(input_codes::KEY_G);
    ASSERT_EQ(lever->target(0).get(), apple);
    e.clickRow(u"viewDelay");
    e.type(u"2.5");
    e.pointAt(V3(-120.0f, -200.0f, 0.0f));
    const std::vector<uint32_t> frame = draw();

    // Where things must be, whatever the stored picture says: the open row
    // (its box lighter than the rows' frames) and the grid's line at x = 0
    // over the sky.
    const V3 box = EditorHarness::centreOf(e.row(u"viewDelay"));
    EXPECT_NE(at(frame, box) & 0xFFFFFF, at(frame, V3(-450.0f, 350.0f, 0.0f)) & 0xFFFFFF);

    picturetest::compareWithStored(frame, W, H, ZUB_TEST_SOURCE_DIR "/src/editor/editor_panel.png");
}

// A switch given values whose shortest digits are long, under a header with
// its class and address, measured in the rows' font: on every row the name
// starts two units in from the left edge and ends before the value begins,
// the value ends two units in from the right edge, and a text that had to be
// cut is the start of its whole text followed by "...". Drawn, no text shows
// right of the panel beside the header.
TEST_F(EditorPixels, LongNamesAndValuesStayInsideTheirRows) {
    EditorHarness& e = *h;
    e.edit(e.houseLevel());
    auto* lever = static_cast<Switch*>(e.place(&Switch::classRecord, V3(-250.0f, 150.0f, 0.0f)));
    ASSERT_NE(lever, nullptr);
    e.editRow(u"transitionDelay", u"61.6073406997665316");
    e.editRow(u"viewDelay", u"1.2345678901234567e-300");
    e.editRow(u"position.x", u"-250.00001");
    ASSERT_EQ(e.valueOf(u"transitionDelay"), u"61.60734069976653");
    ASSERT_EQ(e.valueOf(u"viewDelay"), u"1.2345678901234568e-300");
    ASSERT_EQ(e.valueOf(u"position.x"), u"-250.00002");
    e.reveal(u"objectUID");
    e.pointAt(V3(-120.0f, -200.0f, 0.0f));

    auto isStartOf = [](const WString& shown, const WString& whole) {
        if (shown == whole) return true;
        return shown.size() > 3 && shown.substr(shown.size() - 3) == u"..." &&
               whole.compare(0, shown.size() - 3, shown, 0, shown.size() - 3) == 0;
    };
    std::vector<EditorPropertyWidget*> rows;
    std::function<void(ZubBase*)> collect = [&](ZubBase* holder) {
        for (ZubBase* c : childrenOf(holder))
            if (auto* row = dynamic_cast<EditorPropertyWidget*>(c); row && !row->bHidden) {
                rows.push_back(row);
                collect(row);
            }
    };
    collect(e.panel().widgets);
    ASSERT_GT(rows.size(), 30u);
    int cut = 0;
    for (EditorPropertyWidget* row : rows) {
        const EditorPropertyWidget::ShownTexts shown = row->shownTexts();
        const std::string what = wideToNarrow(row->property->getName());
        const float nameStart = static_cast<float>(2 - row->width / 2);
        const float nameEnd = nameStart + tiny->measureLine(shown.name, EditorPropertyWidget::NAME_FLAGS);
        const float valueEnd = static_cast<float>(row->width / 2 - 2);
        const float valueStart = valueEnd - tiny->measureLine(shown.value, EditorPropertyWidget::VALUE_FLAGS);
        const float halfWidth = static_cast<float>(row->width) * 0.5f;
        EXPECT_LE(nameEnd, halfWidth) << what;
        EXPECT_GE(valueStart, -halfWidth) << what;
        if (!shown.name.empty() && !shown.value.empty()) {
            EXPECT_LE(nameEnd, valueStart) << what;
        }
        WString name = row->label;
        name += row->property->getName();
        EXPECT_TRUE(isStartOf(shown.name, name)) << what;
        EXPECT_TRUE(isStartOf(shown.value, row->property->toString())) << what;
        cut += shown.name != name || shown.value != row->property->toString();
    }
    EXPECT_GE(cut, 3);  // the header and the two long times at least
    // The long values keep their first digits.
    for (const char16_t* path : {u"transitionDelay", u"viewDelay"})
        EXPECT_EQ(e.row(path)->shownTexts().value.substr(0, 5), e.valueOf(path).substr(0, 5));

    // Nothing bright right of the header's row, which is the panel's widest,
    // up to the screen's edge.
    const std::vector<uint32_t> frame = draw();
    EditorPropertyWidget* top = e.topRow();
    const V3 centre = EditorHarness::centreOf(top);
    const float right = centre.x + static_cast<float>(top->width) * 0.5f + 2.0f;
    int bright = 0;
    for (float x = right; x < static_cast<float>(W / 2); x += 1.0f)
        for (float y = centre.y - 5.0f; y <= centre.y + 5.0f; y += 1.0f) {
            const uint32_t c = at(frame, V3(x, y, 0.0f));
            bright += ((c >> 16) & 0xFF) >= 0xC0 && ((c >> 8) & 0xFF) >= 0xC0 && (c & 0xFF) >= 0xC0;
        }
    EXPECT_EQ(bright, 0);
}

// An open row's caret blinks in the rows' font as the game loads it: in
// one phase a thin upright bar about as tall as the digits, in the other
// nothing in its place, and the digit after it stands still meanwhile. So
// between the phases only a column or two of the box changes, over most of
// its height, to the box's own colour; and the bar, a thin stroke in the
// grey the theme gives captions (as the typed text), stands out from the
// box by a contrast ratio of 2.5 at least.
TEST_F(EditorPixels, AnOpenRowsCaretBlinksAsAnUprightBar) {
    EditorHarness& e = *h;
    ASSERT_NE(editTheFirstLevelWithItsFirstApplePicked(), nullptr);
    e.pointAt(V3(-120.0f, -200.0f, 0.0f));
    e.clickRow(u"position.x");
    auto* row = dynamic_cast<EditorPropertyTextWidget*>(e.row(u"position.x"));
    ASSERT_NE(row, nullptr);
    GUIeditBox* box = row->editBox;
    e.type(u"25");
    e.key(input_codes::KEY_LEFT);
    ASSERT_EQ(box->caret, 1);
    auto phase = [&](char16_t caret) {
        for (int i = 0; i < 30 && box->caption.find(caret) == WString::npos; ++i) e.step();
        EXPECT_NE(box->caption.find(caret), WString::npos);
        return draw();
    };
    const std::vector<uint32_t> on = phase(GUIeditBox::CARET_ON), off = phase(GUIeditBox::CARET_OFF);

    // The box and a few rows above and below it, which the glyphs' cells
    // reach.
    const V3 centre = EditorHarness::centreOf(box);
    const float left = centre.x - static_cast<float>(box->width) * 0.5f,
                top = centre.y + static_cast<float>(box->height) * 0.5f + 3.0f;
    int firstColumn = box->width, lastColumn = -1, firstRow = 1000, lastRow = -1, notBlank = 0;
    // The box's fill, and the caret's contrast with it where it lies on it.
    const uint32_t fill = at(off, V3(left + static_cast<float>(box->width) - 10.0f, centre.y, 0.0f));
    double shows = 1.0;
    for (int y = 0; y < box->height + 6; ++y) {
        // What the box shows in this row where there is no text.
        const uint32_t blank =
            at(off, V3(left + static_cast<float>(box->width) - 10.0f, top - static_cast<float>(y), 0.0f));
        for (int x = 0; x < box->width; ++x) {
            const V3 p(left + static_cast<float>(x), top - static_cast<float>(y), 0.0f);
            if (picturetest::difference(at(on, p), at(off, p)) <= 12) continue;
            firstColumn = std::min(firstColumn, x), lastColumn = std::max(lastColumn, x);
            firstRow = std::min(firstRow, y), lastRow = std::max(lastRow, y);
            notBlank += picturetest::difference(at(off, p), blank) > 12;
            if (picturetest::difference(blank, fill) <= 12)
                shows = std::max(shows, contrasttest::contrastRatio(at(on, p), fill));
        }
    }
    ASSERT_GE(lastColumn, 0) << "the caret does not blink";
    EXPECT_LE(lastColumn - firstColumn + 1, 2) << "the caret is no thin bar, or the text beside it moves";
    EXPECT_GE(lastRow - firstRow + 1, 7) << "the caret is shorter than the digits";
    EXPECT_EQ(notBlank, 0) << "the caret's blank phase shows something";
    EXPECT_GE(shows, 2.5) << "the caret hardly stands out from the box";
}

// The first level as the build writes it, opened for editing with its first
// apple picked: the apple's rows on the panel, the level's objects with their editor icons
// and labels over the grid.
TEST_F(EditorPixels, TheEditorOverTheFirstLevelLooksAsStored) {
    EditorHarness& e = *h;
    Apple* apple = editTheFirstLevelWithItsFirstApplePicked();
    ASSERT_NE(apple, nullptr);
    e.pointAt(V3(-120.0f, -200.0f, 0.0f));
    const std::vector<uint32_t> frame = draw();

    // The apple's rows are on the panel, whatever the stored picture says.
    EXPECT_NE(e.row(u"position.x"), nullptr);
    picturetest::compareWithStored(frame, W, H, ZUB_TEST_SOURCE_DIR "/src/editor/editor_a1.png");
}

// Left Shift held with an object picked measures from it to the pointer:
// an arrow in its colour from the object's position to the pointer, ending
// there, and below the pointer the distance, the angle in radians and in
// degrees in the game's label font. Found as what Shift adds to the same frame.
TEST_F(EditorPixels, ShiftMeasuresFromThePickedObjectToThePointer) {
    EditorHarness& e = *h;
    Apple* apple = editTheFirstLevelWithItsFirstApplePicked();
    ASSERT_NE(apple, nullptr);
    const V3 from = e.onScreen(apple->position);
    const V3 to = from + V3(-150.0f, -120.0f, 0.0f);
    e.pointAt(to);
    const std::vector<uint32_t> plain = draw();
    e.keys.insert(input_codes::KEY_LSHIFT);
    e.step();
    const std::vector<uint32_t> measured = draw();
    e.keys.erase(input_codes::KEY_LSHIFT);

    // Whether Shift changed a pixel within `r` of a screen point.
    auto changedNear = [&](const V3& p, float r) {
        for (float dy = -r; dy <= r; dy += 1.0f)
            for (float dx = -r; dx <= r; dx += 1.0f)
                if (picturetest::difference(at(plain, p + V3(dx, dy, 0.0f)), at(measured, p + V3(dx, dy, 0.0f))) > 40)
                    return true;
        return false;
    };
    const V3 along = (to - from) * (1.0f / V3::distance(from, to));
    for (float t = 0.05f; t <= 0.96f; t += 0.05f)
        EXPECT_TRUE(changedNear(from + (to - from) * t, 2.0f)) << "no arrow at " << t << " of the way";
    // In the colour the measure asks for, not tinted by the art.
    bool inColour = false;
    const V3 middle = (from + to) * 0.5f;
    for (float d = -2.0f; d <= 2.0f; d += 1.0f)
        inColour |= picturetest::difference(at(measured, middle + V3(0.0f, d, 0.0f)), 0xFF0080FFu) < 40;
    EXPECT_TRUE(inColour);
    for (float k = 6.0f; k <= 60.0f; k += 6.0f) {
        EXPECT_FALSE(changedNear(to + along * k, 2.0f)) << "the arrow runs on " << k << " past the pointer";
        EXPECT_FALSE(changedNear(from - along * (apple->boundingRadius + k), 2.0f))
            << "the arrow starts " << k << " before the object";
    }

    // The three lines of text below the pointer, from its x on.
    int text = 0;
    for (float y = to.y - 50.0f; y <= to.y - 10.0f; y += 1.0f)
        for (float x = to.x; x <= to.x + 90.0f; x += 1.0f)
            text += picturetest::difference(at(plain, V3(x, y, 0.0f)), at(measured, V3(x, y, 0.0f))) > 40;
    EXPECT_GT(text, 150) << "no measure written below the pointer";
}

// The editor's labels keep their size on the screen as the view zooms, so
// that zooming in moves them apart: Shift's readout, taken at the same
// offset in the world from the picked object (so it says the same), covers
// a box of the same size at the same place below the pointer at the first
// zoom and zoomed in by one and by two wheel notches. (Shift also rings the
// pointer at 150 units, outside the part of the screen looked at.)
TEST_F(EditorPixels, LabelsKeepTheirSizeOnTheScreenAsTheViewZooms) {
    EditorHarness& e = *h;
    Apple* apple = editTheFirstLevelWithItsFirstApplePicked();
    ASSERT_NE(apple, nullptr);
    Camera& camera = *e.controller().contextGame->camera;
    struct Box {
        int left = 1000, right = -1000, top = -1000, bottom = 1000;
    };
    // What Shift adds right of and below the pointer, the object being up
    // and left of it, in pixels from the pointer.
    auto readout = [&] {
        const V3 to = e.onScreen(apple->position + V3(100.0f, -80.0f, 0.0f));
        e.pointAt(to);
        const std::vector<uint32_t> plain = draw();
        e.keys.insert(input_codes::KEY_LSHIFT);
        e.step();
        const std::vector<uint32_t> measured = draw();
        e.keys.erase(input_codes::KEY_LSHIFT);
        e.step();
        Box b;
        for (int y = -3; y >= -80; --y)
            for (int x = -2; x <= 110; ++x) {
                const V3 d(static_cast<float>(x), static_cast<float>(y), 0.0f);
                if (picturetest::difference(at(plain, to + d), at(measured, to + d)) <= 40) continue;
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::max(b.top, y), b.bottom = std::min(b.bottom, y);
            }
        return b;
    };
    const Box first = readout();
    ASSERT_GT(first.right - first.left, 40) << "no readout below the pointer";
    ASSERT_GT(first.top - first.bottom, 20);
    for (const float depth : {-256.0f, -128.0f}) {
        SCOPED_TRACE(depth);
        e.wheel(-1);
        ASSERT_EQ(camera.eye.z, depth);
        const Box zoomed = readout();
        EXPECT_NEAR(zoomed.left, first.left, 2);
        EXPECT_NEAR(zoomed.right, first.right, 2);
        EXPECT_NEAR(zoomed.top, first.top, 2);
        EXPECT_NEAR(zoomed.bottom, first.bottom, 2);
    }
}

}  // namespace
