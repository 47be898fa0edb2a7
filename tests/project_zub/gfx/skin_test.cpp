// Skins: anchors, quads and their sizes, bent quads, nine-slice skins, and
// the skin descriptions of textures.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gfx/BentQuad.h"
#include "gfx/Quad.h"
#include "gfx/StretchSkin.h"
#include "gfx/Texture.h"
#include "gfx_test_support.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"

using namespace gfxtest;

namespace {

std::unique_ptr<Texture> plainTexture(int w, int h, int flags = 0) {
    std::unique_ptr<MemoryImageFile> img(makeImage(w, h, [](int x, int y) { return 0xFF000000u | (x << 8) | y; }));
    return std::make_unique<Texture>(img.get(), flags);
}

TEST(Skin, AnchorsFollowTheKeypad) {
    Skin s;
    s.width = 40;
    s.height = 20;
    const V3 expected[10] = {{0, 0, 0}, {-20, -10, 0}, {0, -10, 0},  {20, -10, 0}, {-20, 0, 0},
                             {0, 0, 0}, {20, 0, 0},    {-20, 10, 0}, {0, 10, 0},   {20, 10, 0}};
    for (int i = 0; i <= 9; ++i) {
        s.getAnchorPoint(i);
        EXPECT_EQ(s.origin, expected[i]) << "anchor " << i;
    }
    s.originAdjust = V3(3, -2, 0);
    s.getAnchorPoint(1);
    EXPECT_EQ(s.origin, V3(-17, -12, 0));
}

TEST(SkinDeathTest, AnAnchorOutsideTheKeypadIsFatal) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            Skin s;
            s.getAnchorPoint(10);
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

TEST(Skin, PointTestIsTheCentredRectangle) {
    Skin s;
    s.width = 40;
    s.height = 20;
    EXPECT_TRUE(s.isPointInside(-20, -10, 5));
    EXPECT_FALSE(s.isPointInside(20, 0, 0));
    EXPECT_FALSE(s.isPointInside(0, 10, 0));
    EXPECT_TRUE(s.isPointInside(19.9f, 9.9f, 0));
    EXPECT_FALSE(s.isPointInside(-20.1f, 0, 0));
}

TEST(Quad, SizeAndTextureCoordinatesComeFromTheRectangle) {
    auto tex = plainTexture(100, 50);
    EXPECT_EQ(tex->realWidth, 128);
    EXPECT_EQ(tex->realHeight, 64);
    Quad* q = tex->getSkin(0);
    EXPECT_FLOAT_EQ(q->width, 100);
    EXPECT_FLOAT_EQ(q->u1, 100.0f / 128);
    EXPECT_FLOAT_EQ(q->v1, 50.0f / 64);
    // setRect takes left, top, bottom, right.
    q->setRect(10, 4, 36, 74);
    EXPECT_FLOAT_EQ(q->width, 64);
    EXPECT_FLOAT_EQ(q->height, 32);
    EXPECT_FLOAT_EQ(q->u0, 10.0f / 128);
    EXPECT_FLOAT_EQ(q->v0, 4.0f / 64);
    // Four vertices as a strip: top left, top right, bottom left, bottom right.
    ASSERT_EQ(q->vb.size(), 4);
    EXPECT_FLOAT_EQ(q->vb[0].x, -32);
    EXPECT_FLOAT_EQ(q->vb[0].y, 16);
    EXPECT_FLOAT_EQ(q->vb[3].x, 32);
    EXPECT_FLOAT_EQ(q->vb[3].y, -16);
    EXPECT_FLOAT_EQ(q->vb[3].u, q->u1);
    EXPECT_FLOAT_EQ(q->vb[3].v, q->v1);

    // hq2x 2 halves the sizes.
    tex->hq2x = 2;
    Quad h;
    h.texture = tex.get();
    h.setRect(0, 0, 64, 128);
    EXPECT_FLOAT_EQ(h.width, 64);
    EXPECT_FLOAT_EQ(h.height, 32);
    h.setTexCoords(0.25f, 0.5f, 0.75f, 0.0f);
    EXPECT_FLOAT_EQ(h.width, 32);   // (0.75 - 0.25) x 128 / 2
    EXPECT_FLOAT_EQ(h.height, 16);  // |0.5 - 0| x 64 / 2
}

TEST(BentQuad, BendsBelowTheThresholdCountAsZero) {
    auto tex = plainTexture(64, 16);
    BentQuad b;
    b.texture = tex.get();
    b.setSegments(4);
    b.setRect(0, 0, 16, 64);
    const int before = b.rebuilds;
    for (float bend : {0.0009f, -0.0009f}) {
        b.setBend(bend);
        EXPECT_EQ(b.bend, 0.0f);
    }
    b.setBend(0.001f);
    b.setBend(0.001f);
    EXPECT_FLOAT_EQ(b.bend, 0.001f);
    EXPECT_EQ(b.rebuilds, before + 1);  // only a change rebuilds
}

TEST(BentQuad, StraightAndBentGeometry) {
    auto tex = plainTexture(64, 16);
    BentQuad b;
    b.texture = tex.get();
    b.setSegments(4);
    b.setRect(0, 0, 16, 64);
    ASSERT_EQ(b.vb.size(), 10);
    // Straight: pairs across the quad from left to right.
    EXPECT_FLOAT_EQ(b.vb[0].x, -32);
    EXPECT_FLOAT_EQ(b.vb[0].y, 8);
    EXPECT_FLOAT_EQ(b.vb[1].y, -8);
    EXPECT_FLOAT_EQ(b.vb[8].x, 32);
    // A quarter turn: the root stays, the tip points up, the centre line keeps its length.
    b.setBend(kPi / 2);
    EXPECT_NEAR(b.vb[0].x, -32, 1e-4);
    EXPECT_NEAR(b.vb[0].y, 8, 1e-4);
    const float radius = 64 / (kPi / 2);
    const V3 tip((b.vb[8].x + b.vb[9].x) / 2, (b.vb[8].y + b.vb[9].y) / 2, 0);
    EXPECT_NEAR(tip.x, -32 + radius, 1e-3);
    EXPECT_NEAR(tip.y, radius, 1e-3);
    EXPECT_NEAR(b.vb[8].x, tip.x - 8, 1e-3);  // the +y side now faces -x
    // The rectangle test keeps the plain size.
    EXPECT_FLOAT_EQ(b.width, 64);
    EXPECT_FLOAT_EQ(b.height, 16);

    // The rotate switch turns the texture: its height runs along x, the root
    // (x = -32) at the image's bottom, the +y side at its left.
    auto upright = plainTexture(16, 64);
    BentQuad r;
    r.texture = upright.get();
    r.bRotate = true;
    r.setSegments(2);
    r.setRect(0, 0, 64, 16);
    EXPECT_FLOAT_EQ(r.width, 64);
    EXPECT_FLOAT_EQ(r.vb[0].v, r.v1);
    EXPECT_FLOAT_EQ(r.vb[4].v, r.v0);
    EXPECT_FLOAT_EQ(r.vb[1].u, r.u1);
}

TEST(StretchSkin, CellsKeepTheirBorders) {
    auto tex = plainTexture(32, 32);
    StretchSkin s(tex->getSkin(0));
    EXPECT_FLOAT_EQ(s.width, 32);
    s.setBorders(8, 4, 8, 4);
    s.setSize(100, 50);
    ASSERT_EQ(s.vb.size(), 54);
    EXPECT_EQ(s.primitiveType, VertexBuffer::TRIANGLE_LIST);
    // The first cell (top left corner): 8 x 4 units, texture 0..8/32 x 0..4/32.
    EXPECT_FLOAT_EQ(s.vb[0].x, -50);
    EXPECT_FLOAT_EQ(s.vb[0].y, 25);
    EXPECT_FLOAT_EQ(s.vb[1].x, -42);
    EXPECT_FLOAT_EQ(s.vb[2].y, 21);
    EXPECT_FLOAT_EQ(s.vb[1].u, 8.0f / 32);
    EXPECT_FLOAT_EQ(s.vb[2].v, 4.0f / 32);
    // The middle cell stretches.
    const Vertex& m = s.vb[4 * 6];
    EXPECT_FLOAT_EQ(m.x, -42);
    EXPECT_FLOAT_EQ(m.y, 21);
    EXPECT_FLOAT_EQ(s.vb[4 * 6 + 1].x, 42);
    // A size <= 0 keeps that dimension.
    s.setSize(-1, 80);
    EXPECT_FLOAT_EQ(s.width, 100);
    EXPECT_FLOAT_EQ(s.height, 80);
    // Too small: the borders shrink to meet.
    s.setSize(8, 80);
    EXPECT_FLOAT_EQ(s.vb[1].x, 0);
    // hq2x 2: borders in texture pixels are halved in units.
    auto hq = plainTexture(64, 64);
    hq->hq2x = 2;
    hq->getSkin(0)->refresh();
    StretchSkin h(hq->getSkin(0));
    EXPECT_FLOAT_EQ(h.width, 32);
    h.setBorders(16, 16, 16, 16);
    h.setSize(100, 100);
    EXPECT_FLOAT_EQ(h.vb[1].x, -42);  // 16 pixels = 8 units
    EXPECT_FLOAT_EQ(h.vb[1].u, 16.0f / 64);
}

// --- skin descriptions ------------------------------------------------------

TEST(SkinDescription, AGridMakesFramesRowByRow) {
    auto tex = plainTexture(96, 64);
    tex->applySkinDescription("[sheet]\ngrid=3,2,32,32\n", u"grid.ini");
    ASSERT_EQ(tex->getSkinCount(), 6);
    Quad* q = tex->getSkin(4);
    EXPECT_EQ(q->rectLeft, 32);
    EXPECT_EQ(q->rectTop, 32);
    EXPECT_EQ(q->rectRight, 64);
    EXPECT_EQ(q->rectBottom, 64);
    EXPECT_EQ(q->getFrameCount(), 6);
    EXPECT_EQ(q->getFrame(5), tex->getSkin(5));
    EXPECT_EQ(q->getFrame(6), nullptr);
    EXPECT_FLOAT_EQ(q->u0, 32.0f / 128);
}

TEST(SkinDescription, CountsAnchorsOriginsAndOwnRectangles) {
    auto tex = plainTexture(96, 64);
    tex->applySkinDescription(
        "; frames\n[sheet]\ngrid=3,2,32,32,5\nanchor=2\n\n[skin1]\nanchor=6\norigin=4,-2\n[Skin5]\nrect=0,0,96,8\n",
        u"sheet.ini");
    ASSERT_EQ(tex->getSkinCount(), 6);
    EXPECT_EQ(tex->getSkin(0)->origin, V3(0, -16, 0));  // the sheet's anchor 2
    EXPECT_EQ(tex->getSkin(1)->origin, V3(20, -2, 0));  // anchor 6 plus (4, -2)
    EXPECT_FLOAT_EQ(tex->getSkin(5)->width, 96);
    EXPECT_FLOAT_EQ(tex->getSkin(5)->height, 8);
    // Sections alone count the skins.
    tex->applySkinDescription("[skin0]\nrect=0,0,10,10\n[skin2]\nrect=10,10,20,20\n[skin1]\nrect=0,32,64,32\n",
                              u"loose.ini");
    ASSERT_EQ(tex->getSkinCount(), 3);
    EXPECT_FLOAT_EQ(tex->getSkin(2)->width, 20);
}

TEST(SkinDescription, Hq2xDividesSizesAndOrigins) {
    auto tex = plainTexture(64, 64);
    tex->hq2x = 2;
    tex->applySkinDescription("[skin0]\nrect=0,0,64,32\nanchor=4\norigin=8,0\n", u"hq.ini");
    Quad* q = tex->getSkin(0);
    EXPECT_FLOAT_EQ(q->width, 32);
    EXPECT_FLOAT_EQ(q->height, 16);
    EXPECT_EQ(q->origin, V3(-12, 0, 0));
}

TEST(SkinDescription, NumbersReadAsWrittenInEveryForm) {
    auto tex = plainTexture(64, 64);
    // Leading zeros, a plus, spaces and a fraction in an origin; a minus
    // zero keeps its sign.
    tex->applySkinDescription(
        "[sheet]\ngrid=4,4,1,1\n[skin0]\nrect= 008,+8, 16 ,0016\norigin=-0,2.5\n[skin11]\nrect=0,0,2,3\n",
        u"forms.ini");
    ASSERT_EQ(tex->getSkinCount(), 16);
    Quad* q = tex->getSkin(0);
    EXPECT_EQ(q->rectLeft, 8);
    EXPECT_EQ(q->rectTop, 8);
    EXPECT_FLOAT_EQ(q->width, 16);
    EXPECT_FLOAT_EQ(q->height, 16);
    EXPECT_TRUE(std::signbit(q->originAdjust.x));
    EXPECT_FLOAT_EQ(q->originAdjust.y, 2.5f);
    EXPECT_FLOAT_EQ(tex->getSkin(11)->width, 2);
    EXPECT_FLOAT_EQ(tex->getSkin(12)->width, 1);
    // Ten digits are read too: beyond the whole numbers a description takes.
    WString why;
    EXPECT_FALSE(tex->trySkinDescription("[skin0]\nrect=0,0,1000000000,1\n", why));
    EXPECT_EQ(why, u"skin0: rect values must be whole numbers");
    // Far beyond what a 64-bit whole number holds, the same reason.
    EXPECT_FALSE(tex->trySkinDescription("[skin0]\nrect=49999999999999999999999,0,4,4\n", why));
    EXPECT_EQ(why, u"skin0: rect values must be whole numbers");
    EXPECT_FALSE(tex->trySkinDescription("[sheet]\ngrid=1e300,1,1,1\n", why));
    EXPECT_EQ(why, u"grid values must be whole numbers of at least 1");
    EXPECT_FALSE(tex->trySkinDescription("[skin0]\nrect=0,0,999999999,1\n", why));
    EXPECT_EQ(why, u"skin0: the rectangle lies outside the image");
    EXPECT_FALSE(tex->trySkinDescription("[skin0]\nrect=0,0,1x,1\n", why));
    EXPECT_EQ(why, u"skin0: rect needs x,y,w,h");
}

void expectBadDescription(const char* text, const char* message) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            auto tex = plainTexture(64, 64);
            tex->applySkinDescription(text, u"bad.ini");
        },
        ::testing::ExitedWithCode(255), message)
        << text;
}

TEST(SkinDescriptionDeathTest, BrokenDescriptionsAreFatal) {
    expectBadDescription("[sheet]\ncount=2\n[skin0]\nrect=0,0,8,8\n",
                         "Bad skin description 'bad.ini': skin1: no rectangle");
    expectBadDescription("[skin0]\nrect=60,0,8,8\n", "skin0: the rectangle lies outside the image");
    expectBadDescription("[skin0]\nrect=0,0,8\n", "rect needs x,y,w,h");
    expectBadDescription("[sheet]\ngrid=3,3,32,32\n", "the grid is larger than the image");
    expectBadDescription("[sheet]\ncount=5000\n", "count out of range");
    expectBadDescription("[skin0]\nrect=0,0,8,8\nanchor=12\n", "anchor must be 0-9");
    expectBadDescription("[sheet]\n", "no skins");
    expectBadDescription("[skinX]\nrect=0,0,8,8\n", "names no valid skin index");
}

// --- textures from files --------------------------------------------------------

class TextureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        files.baseFolder = folder.path();
        std::vector<uint32_t> px(64 * 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x) px[static_cast<size_t>(y) * 64 + x] = x < 32 ? 0xFFFF0000 : 0xFF00FF00;
        folder.write("gfx/sheet.tga", tgaBytes(64, 32, px));
    }
    TempFolder folder;
    FileManager files;
};

TEST_F(TextureFiles, TheIniOrPreloadNextToTheImageDescribesTheSkins) {
    {
        Texture tex(0, u"gfx/sheet.tga");  // no description: one skin, the whole image
        EXPECT_EQ(tex.width, 64);
        ASSERT_EQ(tex.getSkinCount(), 1);
        EXPECT_FLOAT_EQ(tex.getSkin(0)->height, 32);
        EXPECT_EQ(tex.getSourceImage(), nullptr);
    }
    folder.write("gfx/sheet.preload", "[sheet]\ncount=1\n[skin0]\nrect=8,8,16,16\n");
    {
        Texture tex(0, u"gfx/sheet.tga");
        ASSERT_EQ(tex.getSkinCount(), 1);
        EXPECT_FLOAT_EQ(tex.getSkin(0)->width, 16);
    }
    folder.write("gfx/sheet.ini", "[sheet]\ngrid=2,1,32,32\nanchor=4\n");
    Texture tex(8, u"gfx/sheet.tga");
    ASSERT_EQ(tex.getSkinCount(), 2);
    EXPECT_EQ(tex.getSkin(1)->rectLeft, 32);
    EXPECT_EQ(tex.getSkin(1)->origin, V3(-16, 0, 0));
    ASSERT_NE(tex.getSourceImage(), nullptr);  // flag 8
    EXPECT_EQ(tex.getSourceImage()->getPixel(40, 3), 0xFF00FF00u);
    // Registered as the sheet and "sheet:index".
    ResourceManager resources;
    tex.registerSkins(resources, u"sheet");
    EXPECT_EQ(resources.find(u"sheet", false), &tex);
    EXPECT_EQ(resources.find(u"sheet:1", false), tex.getSkin(1));
    EXPECT_EQ(resources.find(u"sheet:2", false), nullptr);
}

TEST_F(TextureFiles, Hq2xComesFromTheFileManager) {
    files.hq2x = 2;
    folder.write("gfx/sheet.ini", "[sheet]\ngrid=2,1,32,32\n");
    Texture tex(0, u"gfx/sheet.tga");
    EXPECT_EQ(tex.hq2x, 2);
    EXPECT_FLOAT_EQ(tex.getSkin(0)->width, 16);
    EXPECT_FLOAT_EQ(tex.getSkin(0)->height, 16);
}

}  // namespace
