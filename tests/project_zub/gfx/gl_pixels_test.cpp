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

TEST_F(GLPixels, ATexturedQuadLandsWhereTheCameraSays) {
    ASSERT_STREQ(graphics->device()->name(), "OpenGL");
    auto tex = halvesTexture();
    Renderable r(tex->getSkin(0), V3(100, 50, 0));
    r.render();
    auto frame = readFrame();
    // The quad covers x 68..132, y 34..66: red on the left, green on the right.
    EXPECT_TRUE(nearColor(atWorld(frame, 72, 38), RED));
    EXPECT_TRUE(nearColor(atWorld(frame, 128, 62), GREEN));
    EXPECT_TRUE(nearColor(atWorld(frame, 60, 50), BLACK));
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 72), BLACK));
    // The pixel arithmetic: 2 world units per pixel, y down.
    EXPECT_TRUE(nearColor(at(frame, (84 + 512) / 2, (384 - 50) / 2), RED));

    // A camera on the quad and twice as far: at the centre, half the size.
    context.camera->resetAt(100, 50, -1024);
    beginFrame(BLACK);
    r.render();
    frame = readFrame();
    EXPECT_TRUE(nearColor(at(frame, W / 2 - 4, H / 2), RED));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 4, H / 2), GREEN));
    EXPECT_TRUE(nearColor(at(frame, W / 2 + 20, H / 2), BLACK));
}

TEST_F(GLPixels, AlphaBlendingColourAndUnusedAlpha) {
    std::unique_ptr<MemoryImageFile> half(makeImage(32, 32, [](int, int) { return 0x80FF0000u; }));
    std::unique_ptr<MemoryImageFile> white(makeImage(32, 32, [](int, int) { return WHITE; }));
    std::unique_ptr<MemoryImageFile> zeroAlpha(makeImage(32, 32, [](int, int) { return 0x00FF0000u; }));
    Texture tex(half.get()), plain(white.get()), unused(zeroAlpha.get()), forced(zeroAlpha.get(), Texture::FLAG_ALPHA);
    beginFrame(BLUE);
    Renderable blended(tex.getSkin(0), V3(-300, 0, 0));
    Renderable opaque(tex.getSkin(0), V3(-100, 0, 0));
    Renderable faded(plain.getSkin(0), V3(100, 0, 0));
    faded.color = 0x40FF00FF;  // a quarter of magenta over blue
    Renderable noAlpha(unused.getSkin(0), V3(300, 100, 0));
    Renderable withAlpha(forced.getSkin(0), V3(300, -100, 0));
    blended.render();
    graphics->setAlphaBlend(false);
    opaque.render();
    graphics->setAlphaBlend(true);
    for (Renderable* r : {&faded, &noAlpha, &withAlpha}) r->render();
    auto frame = readFrame();
    EXPECT_TRUE(nearColor(atWorld(frame, -300, 0), 0xFF80007F, 3));  // half red over blue
    EXPECT_TRUE(nearColor(atWorld(frame, -100, 0), RED, 1));         // red replaces blue
    EXPECT_TRUE(nearColor(atWorld(frame, 100, 0), 0xFF4000FF, 3));
    EXPECT_TRUE(nearColor(atWorld(frame, 300, 100), RED, 1));    // alpha 0 everywhere: unused
    EXPECT_TRUE(nearColor(atWorld(frame, 300, -100), BLUE, 1));  // kept by flag 1
}

TEST_F(GLPixels, PrimitiveTypesAndVertexColoursDraw) {
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

    // The same corners as a fan and as a list draw one triangle each.
    beginFrame(BLACK);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_FAN, 0, 3);
    frame = readFrame();
    EXPECT_FALSE(nearColor(atWorld(frame, -50, 50), BLACK, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, 50, -50), BLACK, 1));
    beginFrame(BLACK);
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_LIST, 1, 3);
    frame = readFrame();
    EXPECT_FALSE(nearColor(atWorld(frame, 50, -50), BLACK, 1));
    EXPECT_TRUE(nearColor(atWorld(frame, -50, 50), BLACK, 1));
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
