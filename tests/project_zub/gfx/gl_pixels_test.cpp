// What the OpenGL device really draws, read back from an off-screen window.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <memory>

#include "gfx/ImageCodec.h"
#include "gfx/ImmediateDraw.h"
#include "gfx/Quad.h"
#include "gfx/Renderable.h"
#include "gfx/StretchSkin.h"
#include "gfx/Texture.h"
#include "gfx_test_support.h"

using namespace gfxtest;

namespace {

constexpr uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF, BLACK = 0xFF000000, WHITE = 0xFFFFFFFF;

// 64 x 32: the left half red, the right half green.
std::unique_ptr<Texture> halvesTexture() {
    std::unique_ptr<MemoryImageFile> img(makeImage(64, 32, [](int x, int) { return x < 32 ? RED : GREEN; }));
    return std::make_unique<Texture>(img.get());
}

using GLPixels = GLTest;

TEST_F(GLPixels, TheDeviceIsOpenGL) {
    EXPECT_STREQ(graphics->device()->name(), "OpenGL");
    EXPECT_GE(graphics->device()->maxTextureSize(), 1024);
    EXPECT_EQ(graphics->viewport.width, W);
    EXPECT_EQ(graphics->viewport.height, H);
}

TEST_F(GLPixels, ClearFillsTheTarget) {
    graphics->clear(0xFF336699);
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(at(frame, 0, 0), 0xFF336699, 1));
    EXPECT_TRUE(nearColor(at(frame, W - 1, H - 1), 0xFF336699, 1));
}

TEST_F(GLPixels, ATexturedQuadLandsWhereTheCameraSays) {
    auto tex = halvesTexture();
    Renderable r(tex->getSkin(0), V3(100, 50, 0));
    r.render();
    auto frame = readFrame();
    // The quad covers x 68..132, y 34..66: red on the left, green on the right.
    EXPECT_TRUE(nearColor(atWorld(frame, 84, 50), RED));
    EXPECT_TRUE(nearColor(atWorld(frame, 116, 50), GREEN));
    EXPECT_TRUE(nearColor(atWorld(frame, 72, 38), RED));
    EXPECT_TRUE(nearColor(atWorld(frame, 128, 62), GREEN));
    EXPECT_TRUE(nearColor(atWorld(frame, 60, 50), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, 140, 50), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 72), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 28), BLACK));
    // The pixel arithmetic: 2 world units per pixel, y down.
    EXPECT_TRUE(nearColor(at(frame, (84 + 512) / 2, (384 - 50) / 2), RED));

    // Move the camera onto the quad: it is drawn at the centre of the window.
    context.camera->resetAt(100, 50, -512);
    beginFrame(BLACK);
    r.render();
    frame = readFrame();
    EXPECT_TRUE(nearColor(at(frame, W / 2 - 8, H / 2), RED));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 8, H / 2), GREEN));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 40, H / 2), BLACK));

    // A camera twice as far shows the quad at half the size.
    context.camera->resetAt(100, 50, -1024);
    beginFrame(BLACK);
    r.render();
    frame = readFrame();
    EXPECT_TRUE(nearColor(at(frame, W / 2 - 4, H / 2), RED));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 4, H / 2), GREEN));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 20, H / 2), BLACK));
}

TEST_F(GLPixels, RotationAndAnchorTurnAboutThePosition) {
    auto tex = halvesTexture();
    Quad* skin = tex->getSkin(0);
    skin->getAnchorPoint(4);  // the left edge's middle on the position
    Renderable r(skin, V3(0, 0, 0));
    r.setRotationZ(kPi / 2);  // +x turns to +y
    r.render();
    auto frame = readFrame();
    // The quad now stands on the origin, 64 up and 32 wide: red below, green above.
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 16), RED));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 48), GREEN));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, -10), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, 24, 32), BLACK));
}

TEST_F(GLPixels, AlphaBlendingOnAndOff) {
    std::unique_ptr<MemoryImageFile> img(makeImage(32, 32, [](int, int) { return 0x80FF0000u; }));
    Texture tex(img.get());
    ASSERT_TRUE(tex.bHasAlpha);
    beginFrame(BLUE);
    Renderable left(tex.getSkin(0), V3(-100, 0, 0));
    Renderable right(tex.getSkin(0), V3(100, 0, 0));
    left.render();
    graphics->setAlphaBlend(false);
    right.render();
    graphics->setAlphaBlend(true);
    auto frame = readFrame();
    // Blended: half red over blue. Not blended: red replaces blue.
    EXPECT_TRUE(nearColor(atWorld(frame, -100, 0), 0xFF80007F, 3));
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 0), RED, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), BLUE, 1));
}

TEST_F(GLPixels, ColourModulatesTheTexture) {
    std::unique_ptr<MemoryImageFile> img(makeImage(32, 32, [](int, int) { return WHITE; }));
    Texture tex(img.get());
    Renderable tinted(tex.getSkin(0), V3(-200, 0, 0));
    tinted.color = 0xFF00FF00;
    Renderable dark(tex.getSkin(0), V3(0, 0, 0));
    dark.color = 0xFF808080;
    Renderable faded(tex.getSkin(0), V3(200, 0, 0));
    faded.color = 0x40FFFFFF;  // a quarter over black
    tinted.render();
    dark.render();
    faded.render();
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, -200, 0), GREEN, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), 0xFF808080, 2));
    EXPECT_TRUE(nearColor(atWorld(frame, 200, 0), 0xFF404040, 3));
}

TEST_F(GLPixels, ImagesWithoutUsedAlphaAreOpaqueUnlessFlagOne) {
    // An alpha channel that is 0 everywhere counts as unused.
    std::unique_ptr<MemoryImageFile> img(makeImage(32, 32, [](int, int) { return 0x00FF0000u; }));
    Texture plain(img.get());
    Texture forced(img.get(), Texture::FLAG_ALPHA);
    EXPECT_FALSE(plain.bHasAlpha);
    EXPECT_TRUE(forced.bHasAlpha);
    Renderable a(plain.getSkin(0), V3(-100, 0, 0));
    Renderable b(forced.getSkin(0), V3(100, 0, 0));
    a.render();
    b.render();
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, -100, 0), RED, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 0), BLACK, 1));
}

TEST_F(GLPixels, OffScreenRenderablesAreNotDrawn) {
    std::unique_ptr<MemoryImageFile> img(makeImage(32, 32, [](int, int) { return WHITE; }));
    Texture tex(img.get());
    Renderable inside(tex.getSkin(0), V3(0, 0, 0));
    Renderable outside(tex.getSkin(0), V3(700, 0, 0));
    Renderable edge(tex.getSkin(0), V3(520, 0, 0));  // overlaps the right edge at 512
    renderCounters.reset();
    inside.render();
    outside.render();
    edge.render();
    EXPECT_EQ(renderCounters.renderablesTotal, 3);
    EXPECT_EQ(renderCounters.renderablesVisible, 2);
    EXPECT_TRUE(inside.bInView);
    EXPECT_FALSE(outside.bInView);
    EXPECT_TRUE(edge.bInView);
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), WHITE, 1));
    EXPECT_TRUE(nearColor(at(frame, W - 1, H / 2), WHITE, 1));  // the visible part of the edge one

    // Moving the camera brings the outside one into view.
    context.camera->resetAt(700, 0, -512);
    beginFrame(BLACK);
    outside.render();
    EXPECT_TRUE(outside.bInView);
    frame = readFrame();
    EXPECT_TRUE(nearColor(at(frame, W / 2, H / 2), WHITE, 1));
}

TEST_F(GLPixels, StretchSkinBordersKeepTheirSize) {
    // 32 x 32: an 8-pixel red frame around blue.
    std::unique_ptr<MemoryImageFile> img(
        makeImage(32, 32, [](int x, int y) { return (x < 8 || x >= 24 || y < 8 || y >= 24) ? RED : BLUE; }));
    Texture tex(img.get());
    StretchSkin skin(tex.getSkin(0));
    skin.setBorders(8, 8, 8, 8);
    for (float size : {128.0f, 256.0f}) {
        skin.setSize(size, size / 2);
        Renderable r(&skin, V3(0, 0, 0));
        beginFrame(BLACK);
        r.render();
        auto frame = readFrame();
        const float left = -size / 2, top = size / 4;
        // 8 design units of border on each side whatever the size.
        EXPECT_TRUE(nearColor(atWorld(frame, left + 2, 0), RED)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, left + 6, 0), RED)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, left + 12, 0), BLUE)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, -left - 6, 0), RED)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, -left - 12, 0), BLUE)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, 0, top - 4), RED)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, 0, top - 12), BLUE)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, 0, -top + 4), RED)) << size;
        EXPECT_TRUE(nearColor(atWorld(frame, left - 6, 0), BLACK)) << size;
        // Corner.
        EXPECT_TRUE(nearColor(atWorld(frame, left + 4, top - 4), RED)) << size;
    }
}

TEST_F(GLPixels, LinesAndOutlines) {
    drawRectOutline(-200, 100, 200, -100, GREEN);
    drawLine(V3(-300, -150, 0), V3(300, -150, 0), RED, RED);
    auto frame = readFrame();
    // The top edge of the rectangle lies at y = 100, 50 pixels above the centre row.
    int px, py;
    worldToPixel(V3(0, 100, 0), px, py);
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy) found = found || nearColor(at(frame, px, py + dy), GREEN, 2);
    EXPECT_TRUE(found);
    worldToPixel(V3(0, -150, 0), px, py);
    found = false;
    for (int dy = -1; dy <= 1; ++dy) found = found || nearColor(at(frame, px, py + dy), RED, 2);
    EXPECT_TRUE(found);
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 0), BLACK, 1));
}

TEST_F(GLPixels, PrimitiveTypesDraw) {
    VertexBuffer vb(4);
    vb.set(0, -100, 100, 0, WHITE, 0, 0);
    vb.set(1, 100, 100, 0, WHITE, 0, 0);
    vb.set(2, -100, -100, 0, WHITE, 0, 0);
    vb.set(3, 100, -100, 0, WHITE, 0, 0);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_STRIP);
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 50, 50), WHITE, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, -50, -50), WHITE, 1));

    // The same corners as a fan and as a list draw one triangle each.
    beginFrame(BLACK);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_FAN, 0, 3);
    frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, -50, 50), WHITE, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, 50, -50), BLACK, 1));
    beginFrame(BLACK);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_LIST, 1, 3);
    frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 50, -50), WHITE, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, -50, 50), BLACK, 1));
    // Points.
    beginFrame(BLACK);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::POINT_LIST);
    frame = readFrame();
    int px, py, lit = 0;
    worldToPixel(V3(-100, 100, 0), px, py);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) lit += nearColor(at(frame, px + dx, py + dy), WHITE, 2) ? 1 : 0;
    EXPECT_GE(lit, 1);
}

TEST_F(GLPixels, VertexColoursReachTheScreen) {
    VertexBuffer vb(4);
    vb.set(0, -100, 100, 0, RED, 0, 0);
    vb.set(1, 100, 100, 0, RED, 0, 0);
    vb.set(2, -100, -100, 0, BLUE, 0, 0);
    vb.set(3, 100, -100, 0, BLUE, 0, 0);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_STRIP);
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, 0, 96), RED, 8));
    EXPECT_TRUE(nearColor(atWorld(frame, 0, -96), BLUE, 8));
}

TEST_F(GLPixels, ScreenshotIsAJpegOfTheFrame) {
    std::unique_ptr<MemoryImageFile> img(makeImage(32, 32, [](int, int) { return GREEN; }));
    Texture tex(img.get());
    Renderable r(tex.getSkin(0), V3(0, 0, 0));
    r.setScale(4.0f);
    r.render();
    TempFolder folder;
    const std::string path = folder / "shot.jpg";
    ASSERT_TRUE(graphics->saveScreenshot(path));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    DecodedImage shot;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"shot.jpg", shot);
    EXPECT_EQ(shot.width, W);
    EXPECT_EQ(shot.height, H);
    EXPECT_TRUE(nearColor(shot.pixels[static_cast<size_t>(H / 2) * W + W / 2], GREEN, 12));
    EXPECT_TRUE(nearColor(shot.pixels[10], BLACK, 12));
}

}  // namespace
