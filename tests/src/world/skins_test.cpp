// Strip skins: a terrain skin laid along the terrain with its flags, what it
// draws for a view, its height queries; a quad bent along a Bezier path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "gfx/Quad.h"
#include "world/BezierPath.h"
#include "world/DeformedQuad.h"
#include "world/Terrain.h"
#include "world/TerrainSkin.h"
#include "world_test_support.h"

using namespace platform;
using worldtest::TestWorld;

namespace {

class TerrainSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        terrain = world.place<Terrain>();
        terrain->construct(64, 16);
        world.drain();
        source.pTerrain = terrain;
        source.pSkinRefQuad = world.resources.findAs<Quad>(u"deco-grass:0");
        source.skinSegments = 64;
    }
    // The pair's A and B vertices.
    V3 a(const TerrainSkin& s, int i) const { return V3(s.vb[2 * i].x, s.vb[2 * i].y, s.vb[2 * i].z); }
    V3 b(const TerrainSkin& s, int i) const { return V3(s.vb[2 * i + 1].x, s.vb[2 * i + 1].y, s.vb[2 * i + 1].z); }

    TestWorld world;
    Terrain* terrain = nullptr;
    TerrainSkinSource source;
};

void expectNear(const V3& a, const V3& b, float tol = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

}  // namespace

TEST_F(TerrainSkinTest, PlainBandStandsOnTheSurfaceAlongTheNormals) {
    TerrainSkin skin(&source);
    skin.refresh();
    ASSERT_EQ(skin.vb.size(), 128);
    const float h = source.pSkinRefQuad->height;
    EXPECT_EQ(h, 32.0f);
    for (int i : {0, 10, 40}) {
        expectNear(b(skin, i) - a(skin, i), terrain->normals[0][static_cast<size_t>(i)] * h);
        EXPECT_EQ(skin.vb[2 * i].v, source.pSkinRefQuad->v1);
        EXPECT_EQ(skin.vb[2 * i + 1].v, source.pSkinRefQuad->v0);
    }
    // Neighbouring pairs follow the terrain's shape.
    EXPECT_NEAR(a(skin, 11).y - a(skin, 10).y, terrain->heights[0][11] - terrain->heights[0][10], 1e-3f);
    EXPECT_NEAR(a(skin, 11).x - a(skin, 10).x, 16.0f, 1e-4f);
    // Centred on its origin; the anchor is the first point.
    EXPECT_NEAR(skin.width, 63.0f * 16.0f + std::fabs(b(skin, 0).x - a(skin, 0).x), 40.0f);
    expectNear(skin.anchor, a(skin, 0));
}

TEST_F(TerrainSkinTest, UprightBandGoesStraightUp) {
    source.skinFlags = TerrainSkinSource::UPRIGHT;
    TerrainSkin skin(&source);
    skin.refresh();
    for (int i : {0, 20, 63}) expectNear(b(skin, i) - a(skin, i), V3(0, 32, 0));
}

TEST_F(TerrainSkinTest, SpanningBandCoversBothRowsWithTheTextureFlipped) {
    for (int i = 0; i < 64; ++i) terrain->setHeights(i, Terrain::kKeep, 50.0f + static_cast<float>(i));
    source.skinFlags = 0x105;
    TerrainSkin skin(&source);
    skin.refresh();
    for (int i : {0, 30, 63}) {
        const size_t k = static_cast<size_t>(i);
        EXPECT_NEAR(b(skin, i).y - a(skin, i).y, terrain->heights[1][k] - terrain->heights[0][k], 1e-3f);
        EXPECT_EQ(skin.vb[2 * i].v, source.pSkinRefQuad->v0);
        EXPECT_EQ(skin.vb[2 * i + 1].v, source.pSkinRefQuad->v1);
    }
}

TEST_F(TerrainSkinTest, StartingBeforeTheTerrainRepeatsThePointZeroHeight) {
    source.skinStartingSegment = -3;
    source.skinSegments = 8;
    source.skinFlags = TerrainSkinSource::UPRIGHT;
    TerrainSkin skin(&source);
    skin.refresh();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(a(skin, i).y, a(skin, 0).y, 1e-4f);
        EXPECT_NEAR(a(skin, i).x - a(skin, i - 1).x, 16.0f, 1e-4f);
    }
}

TEST_F(TerrainSkinTest, ProfilesThinTheBand) {
    source.skinFlags = TerrainSkinSource::UPRIGHT | TerrainSkinSource::RISING | TerrainSkinSource::FALLING;
    TerrainSkin skin(&source);
    skin.refresh();
    EXPECT_NEAR(b(skin, 0).y - a(skin, 0).y, 0.0f, 1e-3f);
    EXPECT_NEAR(b(skin, 63).y - a(skin, 63).y, 0.0f, 1e-3f);
    EXPECT_GT(b(skin, 32).y - a(skin, 32).y, 31.0f);
}

TEST_F(TerrainSkinTest, DrawsOnlyThePairsInView) {
    platform::NullRenderDevice* device = world.enableGraphics();
    TerrainSkin skin(&source);
    skin.refresh();
    Renderable carrier;
    carrier.pSkin = &skin;
    int first = -1, last = -1;
    // Points 20..30 in view: pairs 20 - 4 .. 30 + 4.
    V3 p20, p30;
    terrain->getHeightPoint(&p20, 0, 20);
    terrain->getHeightPoint(&p30, 0, 30);
    ASSERT_TRUE(skin.visiblePairs(p20.x + 1.0f, p30.x + 1.0f, &first, &last));
    EXPECT_EQ(first, 16);
    EXPECT_EQ(last, 34);
    // Far right of a strip that starts late: nothing.
    source.skinStartingSegment = 70;
    EXPECT_FALSE(skin.visiblePairs(p20.x, p30.x, &first, &last));
    source.skinStartingSegment = 0;
    // A camera close in: the view at depth 0 is x 200 .. 400.
    world.context.camera->eye = V3(300, 0, -100);
    device->resetRecords();
    skin.draw(&carrier);
    ASSERT_EQ(device->draws.size(), 1u);
    const int left = terrain->getSegmentIndex(200.0f), right = terrain->getSegmentIndex(400.0f);
    const int firstPair = std::max(left - 4, 0), lastPair = std::min(right + 4, 63);
    EXPECT_GT(firstPair, 0);
    EXPECT_EQ(device->draws[0].type, Primitive::TriangleStrip);
    EXPECT_EQ(device->draws[0].first, 2 * firstPair);
    EXPECT_EQ(device->draws[0].count, 2 * (lastPair - firstPair) + 2);
    carrier.pSkin = nullptr;
}

TEST_F(TerrainSkinTest, HeightsAtAndPointInside) {
    source.skinFlags = TerrainSkinSource::UPRIGHT;
    TerrainSkin skin(&source);
    skin.refresh();
    float ha = 0, hb = 0;
    const float x = (a(skin, 10).x + a(skin, 11).x) * 0.5f;
    skin.getHeightsAt(x, &ha, &hb);
    EXPECT_NEAR(ha, (a(skin, 10).y + a(skin, 11).y) * 0.5f, 1e-3f);
    EXPECT_NEAR(hb - ha, 32.0f, 1e-3f);
    EXPECT_TRUE(skin.isPointInside(x, ha + 16.0f, 0.0f));
    EXPECT_FALSE(skin.isPointInside(x, ha - 1.0f, 0.0f));
    EXPECT_FALSE(skin.isPointInside(x, hb + 1.0f, 0.0f));
}

TEST_F(TerrainSkinTest, OnePairIsSafe) {
    source.skinSegments = 1;
    TerrainSkin skin(&source);
    skin.refresh();
    float ha = -1, hb = -1;
    skin.getHeightsAt(5.0f, &ha, &hb);
    EXPECT_EQ(ha, skin.vb[0].y);
    EXPECT_EQ(hb, skin.vb[1].y);
}

TEST_F(TerrainSkinTest, NoSegmentsIsFatal) {
    source.skinSegments = 0;
    TerrainSkin skin(&source);
    EXPECT_DEATH(skin.refresh(), "pTerrainDeco->skinSegments > 0");
}

// ---------------------------------------------------------------------------

namespace {
class DeformedQuadTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = world.place<BezierPath>();
        ref = world.resources.findAs<Quad>(u"deco-grass:0");
    }
    V3 a(const DeformedQuad& q, int i) const { return V3(q.vb[2 * i].x, q.vb[2 * i].y, 0); }
    V3 b(const DeformedQuad& q, int i) const { return V3(q.vb[2 * i + 1].x, q.vb[2 * i + 1].y, 0); }
    TestWorld world;
    BezierPath* path = nullptr;
    Quad* ref = nullptr;
};
}  // namespace

TEST_F(DeformedQuadTest, BulgeGivesZeroThicknessAtTheEnds) {
    path->addPoint(0, 0, 0);
    path->addPoint(100, 0, 0);
    DeformedQuad q(path);
    q.deformSegments = 9;
    q.skinBulge = 1.0f;
    q.setReference(ref);
    ASSERT_EQ(q.vb.size(), 18);
    expectNear(a(q, 0), b(q, 0));
    expectNear(a(q, 8), b(q, 8));
    expectNear(a(q, 4) - b(q, 4), V3(0, 32, 0));
    expectNear(a(q, 4), V3(50, 16, 0));
    EXPECT_NEAR(q.width, 2.0f * (100.0f + 16.0f), 1e-3f);
    EXPECT_TRUE(q.isPointInside(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(q.isPointInside(0.0f, 40.0f, 0.0f));
}

TEST_F(DeformedQuadTest, TextureCoordinatesRunAlongTheStrip) {
    path->addPoint(0, 0, 0);
    path->addPoint(100, 0, 0);
    DeformedQuad q(path);
    q.setReference(ref);
    ASSERT_EQ(q.vb.size(), 16);
    EXPECT_EQ(q.vb[0].u, ref->u1);
    EXPECT_EQ(q.vb[14].u, ref->u0);
    EXPECT_EQ(q.vb[0].v, ref->v0);
    EXPECT_EQ(q.vb[1].v, ref->v1);
    q.bSkinMap1to1 = true;
    q.setReference(ref);
    EXPECT_NEAR(q.vb[0].u, 100.0f / ref->width, 1e-4f);
    EXPECT_EQ(q.vb[14].u, 0.0f);
}

TEST_F(DeformedQuadTest, MoreSegmentsGrowTheBuffer) {
    path->addPoint(0, 0, 0);
    path->addPoint(100, 0, 0);
    DeformedQuad q(path);
    q.deformSegments = 12;
    q.setReference(ref);
    EXPECT_EQ(q.vb.size(), 24);
    q.deformSegments = 20;
    q.buildSegments();
    EXPECT_EQ(q.vb.size(), 40);
}

TEST_F(DeformedQuadTest, APathWithoutSegmentsBuildsNothing) {
    path->addPoint(0, 0, 0);
    DeformedQuad q(path);
    q.setReference(ref);  // no fatal error: nothing to evaluate
    EXPECT_EQ(q.width, ref->width);
}
