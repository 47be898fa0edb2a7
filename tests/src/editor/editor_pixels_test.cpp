// The editor over a small level, drawn by the OpenGL device in an
// off-screen window in the content generator's art and the game's fonts (the
// tiny font with the editor's row symbols), and compared with a stored
// picture within a tolerance: the grid, the editor's icons and labels, a
// switch's rows with an open row being typed into, its reference to an apple
// (line and circle) and the leader to the switch. After a wanted change of
// the look, write the picture again and look at it before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_editor_tests --gtest_filter='EditorPixels.*'
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "EditorHarness.h"
#include "Manifest.h"
#include "MenuHarness.h"
#include "Painter.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Switch.h"
#include "platform/FontRasterizer.h"
#include "input/KeyCodes.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"

using editortest::EditorHarness;

namespace {

constexpr int W = 1024, H = 768;

int channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

class EditorPixels : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        backend = platform::createSdlBackend();
        std::string error;
        if (!backend->openWindow({.title = "Editor", .width = W, .height = H, .vsync = false, .assumeFocused = true},
                                 error))
            GTEST_SKIP() << "no off-screen OpenGL window: " << error;
        graphics = std::make_unique<ZubGraphics>();
        if (!graphics->setDevice(platform::createGLRenderDevice(), error)) GTEST_SKIP() << "no OpenGL device: " << error;
        graphics->onWindowSize(W, H);
        h = std::make_unique<EditorHarness>();
        // The generator's art and the game's fonts instead of the blank
        // placeholders and the one small font.
        for (const content::Entry& e : content::manifest()) {
            if (e.kind != content::Kind::Texture || e.frames.empty()) continue;
            const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
            MemoryImageFile file(
                DecodedImage{layout.width, layout.height, contentgen::paintSheet(e, layout).pixels(), true});
            auto& t = art.emplace_back(std::make_unique<Texture>(&file));
            t->applySkinDescription(contentgen::skinDescription(e, layout), narrowToWide(e.name));
            t->registerSkins(h->resources, narrowToWide(e.name));
        }
        ASSERT_TRUE(menutest::registerGameFonts(h->resources));
        // The tiny font with the editor's row symbols from code 0x80, made
        // as the content generator makes the symbol sheet.
        const std::string fontFile = platform::defaultGlyphFontFile();
        if (fontFile.empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
        std::unique_ptr<platform::FontRasterizer> raster = platform::openFontRasterizer(fontFile, 10, error);
        ASSERT_TRUE(raster) << error;
        glyph_pages::Style style;
        style.pixelSize = 10;
        ASSERT_TRUE(glyph_pages::writeSymbolSheet(h->folder + "editorsymbols", *raster, {0x25B8, 0x2022, 0x25BA},
                                                  style, error))
            << error;
        symbols = std::make_unique<Texture>(10, u"editorsymbols.tga");
        tiny = std::make_unique<FontQuad>();
        tiny->addSourceTextures(u"fontTinyTex");
        tiny->addSourceTexture(symbols.get(), 0x80, true);
        tiny->finishLoading();
        h->resources.addResource(u"fontTiny", tiny.get());
    }
    void TearDown() override {
        h.reset();
        tiny.reset();
        symbols.reset();
        art.clear();
        graphics.reset();
        backend.reset();
    }

    std::vector<uint32_t> draw() {
        graphics->bBilinearFilter = false;
        graphics->beginFrame();
        graphics->clear(0xFF000000u);
        h->manager->renderContext();
        std::vector<uint32_t> frame;
        EXPECT_TRUE(graphics->device()->readPixels(0, 0, W, H, frame));
        return frame;
    }
    // The pixel where a point of the screen (origin at the centre, y up) shows.
    static uint32_t at(const std::vector<uint32_t>& frame, const V3& p) {
        const int px = static_cast<int>((p.x + 512.0f) * W / 1024.0f), py = static_cast<int>((384.0f - p.y) * H / 768.0f);
        return frame[static_cast<size_t>(py) * W + static_cast<size_t>(px)];
    }

    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<ZubGraphics> graphics;
    std::unique_ptr<EditorHarness> h;
    std::vector<std::unique_ptr<Texture>> art;
    std::unique_ptr<Texture> symbols;
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

    const std::string stored = ZUB_TEST_SOURCE_DIR "/src/editor/editor_panel.png";
    if (std::getenv("ZUB_WRITE_SCREENSHOTS")) {
        std::vector<uint8_t> rgb;
        for (uint32_t p : frame) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        ASSERT_TRUE(stbi_write_png(stored.c_str(), W, H, 3, rgb.data(), W * 3));
        GTEST_SKIP() << "wrote " << stored;
    }
    ASSERT_TRUE(std::filesystem::exists(stored)) << stored << " is missing: see the top of this file";
    const std::string bytes = filestest::readBytes(stored);
    DecodedImage expected;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"stored", expected);
    ASSERT_EQ(expected.pixels.size(), frame.size());
    // Rasterisers differ a little at edges: a few pixels may differ much, the whole only slightly.
    double total = 0.0;
    size_t far = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        int d = 0;
        for (int shift : {16, 8, 0}) d = std::max(d, std::abs(channel(frame[i], shift) - channel(expected.pixels[i], shift)));
        total += d;
        far += d > 48 ? 1 : 0;
    }
    EXPECT_LT(total / static_cast<double>(frame.size()), 2.0);
    EXPECT_LT(far, frame.size() / 200);
}

}  // namespace
