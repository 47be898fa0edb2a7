// Strip skins: a terrain skin laid along the terrain with its flags, what it
// draws for a view, its height queries; a quad bent along a Bezier path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/Quad.h"
#include "world/BezierPath.h"
#include "world/DeformedQuad.h"
#include "world/Terrain.h"
#include "world/TerrainSkin.h"
#include "world_test_support.h"

using namespace platform;
using namespace input_codes;
using worldtest::TestWorld;

namespace {

void expectNear(const V3& a, const V3& b, float tol = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

// The pair's A and B vertices of a strip.
template <class S>
V3 a(const S& s, int i) {
    return V3(s.vb[2 * i].x, s.vb[2 * i].y, 0.0f);
}
template <class S>
V3 b(const S& s, int i) {
    return V3(s.vb[2 * i + 1].x, s.vb[2 * i + 1].y, 0.0f);
}

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
    // A pair as the band lays it out before the strip is centred: its two
    // vertices and their texture coordinates.
    struct LaidPair {
        V3 a, b;
        float u, va, vb;
    };
    // The strip holds the pairs moved by minus the centre of their extent,
    // its size is that extent, and its anchor is pair 0's A less pair 0's
    // nudge, centred likewise.
    static void expectLaidOut(const TerrainSkin& skin, const std::vector<LaidPair>& pairs, const V3& nudge0) {
        ASSERT_EQ(skin.vb.size(), static_cast<int>(2 * pairs.size()));
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const LaidPair& p : pairs) {
            for (const V3& v : {p.a, p.b}) {
                minX = std::min(minX, v.x);
                maxX = std::max(maxX, v.x);
                minY = std::min(minY, v.y);
                maxY = std::max(maxY, v.y);
            }
        }
        const V3 centre((minX + maxX) * 0.5f, (minY + maxY) * 0.5f, 0.0f);
        for (size_t k = 0; k < pairs.size(); ++k) {
            const int i = static_cast<int>(k);
            SCOPED_TRACE(i);
            expectNear(a(skin, i), pairs[k].a - centre);
            expectNear(b(skin, i), pairs[k].b - centre);
            EXPECT_NEAR(skin.vb[2 * i].u, pairs[k].u, 1e-5f);
            EXPECT_NEAR(skin.vb[2 * i + 1].u, pairs[k].u, 1e-5f);
            EXPECT_NEAR(skin.vb[2 * i].v, pairs[k].va, 1e-5f);
            EXPECT_NEAR(skin.vb[2 * i + 1].v, pairs[k].vb, 1e-5f);
        }
        EXPECT_NEAR(skin.width, maxX - minX, 1e-3f);
        EXPECT_NEAR(skin.height, maxY - minY, 1e-3f);
        expectNear(skin.anchor, pairs[0].a - nudge0 - centre);
    }
    // The placeholder sheet's width: the distance after which u repeats.
    float textureWidth() const {
        const Texture* t = source.pSkinRefQuad->texture;
        return static_cast<float>(t->realWidth) / static_cast<float>(t->hq2x);
    }
    TestWorld world;
    Terrain* terrain = nullptr;
    TerrainSkinSource source;
};

}  // namespace

TEST_F(TerrainSkinTest, PlainBandStandsOnTheSurfaceAlongTheNormals) {
    TerrainSkin skin(&source);
    skin.refresh();
    ASSERT_EQ(skin.vb.size(), 128);
    for (int i : {0, 10, 40}) {
        expectNear(b(skin, i) - a(skin, i), terrain->normals[0][static_cast<size_t>(i)] * 32.0f);
        EXPECT_EQ(skin.vb[2 * i].v, source.pSkinRefQuad->v1);
        EXPECT_EQ(skin.vb[2 * i + 1].v, source.pSkinRefQuad->v0);
    }
    EXPECT_NEAR(a(skin, 11).y - a(skin, 10).y, terrain->heights[0][11] - terrain->heights[0][10], 1e-3f);
    EXPECT_NEAR(a(skin, 11).x - a(skin, 10).x, 16.0f, 1e-4f);
    expectNear(skin.anchor, a(skin, 0));
}

TEST_F(TerrainSkinTest, UprightProfiledAndEarlyBands) {
    source.skinFlags = TerrainSkinSource::UPRIGHT | TerrainSkinSource::RISING | TerrainSkinSource::FALLING;
    TerrainSkin skin(&source);
    skin.refresh();
    EXPECT_NEAR(b(skin, 0).y - a(skin, 0).y, 0.0f, 1e-3f);
    EXPECT_NEAR(b(skin, 63).y - a(skin, 63).y, 0.0f, 1e-3f);
    EXPECT_GT(b(skin, 32).y - a(skin, 32).y, 31.0f);
    EXPECT_NEAR(b(skin, 32).x, a(skin, 32).x, 1e-4f);  // straight up
    // Starting before the terrain repeats point 0's height.
    source.skinFlags = TerrainSkinSource::UPRIGHT;
    source.skinStartingSegment = -3;
    source.skinSegments = 8;
    skin.refresh();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(a(skin, i).y, a(skin, 0).y, 1e-4f);
        EXPECT_NEAR(a(skin, i).x - a(skin, i - 1).x, 16.0f, 1e-4f);
    }
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
    }
}

// Earth that repeats down a deep ground (flipped, upright, spanning both
// rows, far v following the span) takes its texture row from the height:
// the same row at the same height in every column, whatever the surface
// above it does. So the repeats lie level instead of following the
// surface, and under a steep wall, where the surface drops hundreds of
// units from one point to the next, the quads are not sheared into streaks.
TEST_F(TerrainSkinTest, RepeatingEarthTakesItsTextureRowFromTheHeight) {
    // A meadow at 300, a wall down to -150 between points 20 and 21, a
    // gentle rise after it; the earth 750 deep everywhere.
    for (int i = 0; i < 64; ++i) {
        const float top = i <= 20 ? 300.0f : -150.0f + 4.0f * static_cast<float>(i - 21);
        terrain->setHeights(i, top, top - 750.0f);
    }
    source.skinFlags = 389;
    source.skinTexScale = V3(1.0f, 2.0f, 1.0f);
    TerrainSkin skin(&source);
    skin.refresh();
    const Quad* ref = source.pSkinRefQuad;
    const float band = ref->height * 2.0f;
    // v grows downward by one repeat every `band` units: v + y / band is one
    // value for every vertex of the strip.
    const float level = skin.vb[0].v + skin.vb[0].y / band;
    for (int i = 0; i < 64; ++i) {
        const size_t k = static_cast<size_t>(i);
        SCOPED_TRACE(i);
        EXPECT_NEAR(b(skin, i).y - a(skin, i).y, terrain->heights[1][k] - terrain->heights[0][k], 1e-3f);
        EXPECT_NEAR(skin.vb[2 * i].v + skin.vb[2 * i].y / band, level, 1e-4f);
        EXPECT_NEAR(skin.vb[2 * i + 1].v + skin.vb[2 * i + 1].y / band, level, 1e-4f);
        // The far side's v still follows the span.
        EXPECT_NEAR(skin.vb[2 * i + 1].v - skin.vb[2 * i].v, 750.0f / band, 1e-4f);
        // u along x, the same on both sides.
        EXPECT_EQ(skin.vb[2 * i].u, skin.vb[2 * i + 1].u);
    }
}

// A fringe that grows in over its first quarter (sin of a quarter turn
// across it) and dies away over its last (1 - u^2), nudged up by a part
// that follows the profile and a fixed part, its u counted from its own
// start: every vertex where the band's rules put it.
TEST_F(TerrainSkinTest, FadesNudgesAndUFromTheStartLayEveryVertex) {
    for (int i = 0; i < 64; ++i) {
        const float top = 100.0f + 20.0f * std::sin(0.3f * static_cast<float>(i));
        terrain->setHeights(i, top, top - 200.0f);
    }
    source.skinFlags = TerrainSkinSource::UPRIGHT | TerrainSkinSource::FADE_IN | TerrainSkinSource::FADE_OUT |
                       TerrainSkinSource::U_FROM_START;
    source.skinStartingSegment = 5;
    source.skinSegments = 16;
    source.skinTexScale = V3(0.5f, 1.5f, 1.0f);
    source.skinNudge = V3(0.0f, 3.0f, 0.0f);
    source.skinNudgeAbs = V3(0.0f, 5.0f, 0.0f);
    TerrainSkin skin(&source);
    skin.refresh();
    const Quad* ref = source.pSkinRefQuad;
    // A quarter is 4 pairs: in over pairs 0..3, out over pairs 12..15.
    const float in[4] = {0.0f, std::sin(kPi / 8.0f), std::sin(kPi / 4.0f), std::sin(3.0f * kPi / 8.0f)};
    const float out[4] = {1.0f - 1.0f / 16.0f, 1.0f - 4.0f / 16.0f, 1.0f - 9.0f / 16.0f, 0.0f};
    std::vector<LaidPair> pairs;
    V3 nudge0;
    for (int i = 0; i < 16; ++i) {
        const float f = i < 4 ? in[i] : i >= 12 ? out[i - 12] : 1.0f;
        const int s = 5 + i;
        const V3 nudge(0.0f, 3.0f * f + 5.0f, 0.0f);
        if (i == 0) nudge0 = nudge;
        const V3 at(16.0f * static_cast<float>(s), terrain->heights[0][static_cast<size_t>(s)], 0.0f);
        const V3 a = at + nudge;
        pairs.push_back({a, a + V3(0.0f, 32.0f * 1.5f * f, 0.0f), 16.0f * static_cast<float>(i) / textureWidth() / 0.5f,
                         ref->v1, ref->v0});
    }
    // Straight up, the fixed part of the nudge moves the whole strip: the
    // anchor shows it.
    expectLaidOut(skin, pairs, nudge0);
}

// A flipped band under the bottom row lies along that row's heights and
// normals, nudged along them; starting before the terrain it repeats
// point 0 while x goes on, and its u follows x.
TEST_F(TerrainSkinTest, BottomRowBandFollowsThatRowAlongItsNormals) {
    for (int i = 0; i < 64; ++i) {
        const float top = 200.0f + 10.0f * static_cast<float>(i);
        terrain->setHeights(i, top, -300.0f + 40.0f * std::sin(0.5f * static_cast<float>(i)));
    }
    source.skinFlags = TerrainSkinSource::FLIP | TerrainSkinSource::BOTTOM_ROW;
    source.skinStartingSegment = -2;
    source.skinSegments = 12;
    source.skinNudge = V3(0.0f, 2.0f, 0.0f);
    source.skinNudgeAbs = V3(0.0f, 7.0f, 0.0f);
    TerrainSkin skin(&source);
    skin.refresh();
    const Quad* ref = source.pSkinRefQuad;
    std::vector<LaidPair> pairs;
    V3 nudge0;
    for (int i = 0; i < 12; ++i) {
        const int s = i - 2;
        const size_t j = static_cast<size_t>(std::max(s, 0));
        const V3 d = terrain->normals[1][j];
        const float x = 16.0f * static_cast<float>(s);
        const V3 a = V3(x, terrain->heights[1][j], 0.0f) + d * 9.0f;
        if (i == 0) nudge0 = d * 9.0f;
        pairs.push_back({a, a - d * 32.0f, x / textureWidth(), ref->v0, ref->v1});
    }
    expectLaidOut(skin, pairs, nudge0);
}

// Earth spanning both rows along the normals (not straight down) keeps
// its texture on the surface and its far side the span on in v, however
// much less than the span lower that side lies on a slope.
TEST_F(TerrainSkinTest, SpanningEarthAlongTheNormalsRepeatsOverTheSpan) {
    for (int i = 0; i < 64; ++i) {
        const float top = 300.0f - 2.0f * static_cast<float>(i) - 0.05f * static_cast<float>(i * i);
        terrain->setHeights(i, top, top - 400.0f);
    }
    source.skinFlags = TerrainSkinSource::FLIP | TerrainSkinSource::SCALE_FAR_V | TerrainSkinSource::SPAN_ROWS;
    source.skinTexScale = V3(1.0f, 2.0f, 1.0f);
    source.skinSegments = 20;
    TerrainSkin skin(&source);
    skin.refresh();
    const Quad* ref = source.pSkinRefQuad;
    std::vector<LaidPair> pairs;
    for (int i = 0; i < 20; ++i) {
        const size_t k = static_cast<size_t>(i);
        const V3 a(16.0f * static_cast<float>(i), terrain->heights[0][k], 0.0f);
        const float x = a.x / textureWidth();
        pairs.push_back({a, a - terrain->normals[0][k] * 400.0f, x, ref->v0, 400.0f / 64.0f});
    }
    expectLaidOut(skin, pairs, V3());
    // The repeats down the span: 400 / 64.
    EXPECT_NEAR(skin.vb[1].v - skin.vb[0].v, 6.25f - ref->v0, 1e-5f);
}

TEST_F(TerrainSkinTest, DrawsOnlyThePairsInView) {
    platform::NullRenderDevice* device = world.enableGraphics();
    TerrainSkin skin(&source);
    skin.refresh();
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
    Renderable carrier;
    carrier.pSkin = &skin;
    world.context.camera->eye = V3(300, 0, -100);
    device->resetRecords();
    skin.draw(&carrier);
    carrier.pSkin = nullptr;
    ASSERT_EQ(device->draws.size(), 1u);
    const int firstPair = std::max(terrain->getSegmentIndex(200.0f) - 4, 0);
    const int lastPair = std::min(terrain->getSegmentIndex(400.0f) + 4, 63);
    EXPECT_EQ(device->draws[0].first, 2 * firstPair);
    EXPECT_EQ(device->draws[0].count, 2 * (lastPair - firstPair) + 2);
}

TEST_F(TerrainSkinTest, HeightsAtAndPointInsideAlsoWithOnePair) {
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
    source.skinSegments = 1;
    skin.refresh();
    skin.getHeightsAt(5.0f, &ha, &hb);
    EXPECT_EQ(ha, skin.vb[0].y);
    EXPECT_EQ(hb, skin.vb[1].y);
    source.skinSegments = 0;
    EXPECT_DEATH(skin.refresh(), "pTerrainDeco->skinSegments > 0");
}

TEST(DeformedQuadTest, BulgeTextureAndSegments) {
    TestWorld world;
    BezierPath* path = world.place<BezierPath>();
    Quad* ref = world.resources.findAs<Quad>(u"deco-grass:0");
    path->addPoint(0, 0, 0);
    DeformedQuad empty(path);
    empty.setReference(ref);  // a path without segments builds nothing, no fatal error
    EXPECT_EQ(empty.width, ref->width);
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
    EXPECT_TRUE(q.isPointInside(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(q.isPointInside(0.0f, 40.0f, 0.0f));
    EXPECT_EQ(q.vb[0].u, ref->u1);
    EXPECT_EQ(q.vb[16].u, ref->u0);
    q.bSkinMap1to1 = true;
    q.setReference(ref);
    EXPECT_NEAR(q.vb[0].u, 100.0f / ref->width, 1e-4f);
    q.deformSegments = 20;
    q.buildSegments();
    EXPECT_EQ(q.vb.size(), 40);
}
