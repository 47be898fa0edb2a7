// The terrain: its construction, heights, slopes and indices, the guards for
// strips with too few points or bad counts, construct run twice, the editor's
// paint and smooth tools, and bodies meeting it through the solver (also
// turned and mirrored).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "world/Terrain.h"
#include "world/Xsect.h"
#include "world_test_support.h"

using namespace input_codes;
using worldtest::TestWorld;

namespace {
class TerrainTest : public ::testing::Test {
protected:
    Terrain* makeTerrain(int points = 512, int width = 16, V3 at = V3()) {
        Terrain* t = world.place<Terrain>(at);
        t->construct(points, width);
        world.drain();
        return t;
    }
    // Where a drop from 10 above to 10 below a world point meets the terrain.
    bool drop(const V3& from, const V3& to, V3* hit) {
        Xsect x(from, to, 3);
        x.considerHulls();
        if (!x.checkHits()) return false;
        x.handleHit(Xsect::STOP);
        *hit = x.hitPoint;
        return true;
    }
    TestWorld world;
};
}  // namespace

TEST_F(TerrainTest, ConstructBuildsTheStripAndItsHullOnce) {
    Terrain* t = makeTerrain();
    EXPECT_EQ(t->totalWidth, 8176.0f);
    V3 p;
    EXPECT_EQ(t->getHeightPoint(&p, 0, 0)->x, -4088.0f);
    EXPECT_EQ(t->getHeightPoint(&p, 0, 511)->x, 4088.0f);
    EXPECT_FLOAT_EQ(t->heights[0][0], 700.0f);
    EXPECT_NEAR(t->heights[0][255], 100.0f, 0.01f);
    EXPECT_EQ(t->heights[1][100], 0.0f);
    EXPECT_FLOAT_EQ(t->totalHeight, 700.0f);
    EXPECT_GT(t->normals[0][10].y, 0.0f);
    EXPECT_NEAR(t->headings[0][128], std::atan2(t->heights[0][129] - t->heights[0][127], 32.0f), 1e-6f);
    Hull* h = t->getHull();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->bEvenlySpaced);
    EXPECT_EQ(h->segmentCount(), 511);
    EXPECT_EQ(h->getSegment(100)->getV1(), h->getVertex(100));
    EXPECT_EQ(h->getSegment(100)->getV2(), h->getVertex(101));
    EXPECT_NEAR(h->boundingRadius, std::sqrt(4088.0f * 4088.0f + 700.0f * 700.0f), 0.01f);
    // Again: the same hull built over, one proxy.
    const int proxies = world.proxyList->countChildren();
    t->construct(64, 16);
    world.drain();
    EXPECT_EQ(t->getHull(), h);
    EXPECT_EQ(h->vertexCount(), 64);
    EXPECT_EQ(h->segmentCount(), 63);
    EXPECT_EQ(h->getSegment(0)->prev(), nullptr);
    EXPECT_EQ(h->getSegment(62)->next(), nullptr);
    EXPECT_EQ(world.proxyList->countChildren(), proxies);
}

TEST_F(TerrainTest, SetHeightsKeepsTheBottomBelowAndMovesTheHull) {
    Terrain* t = makeTerrain(16, 16);
    t->setHeights(3, 50.0f, 80.0f);
    EXPECT_EQ(t->heights[1][3], 50.0f);
    t->setHeights(3, Terrain::kKeep, 10.0f);
    EXPECT_EQ(t->heights[0][3], 50.0f);
    EXPECT_EQ(t->heights[1][3], 10.0f);
    t->setHeights(99, 123.0f, Terrain::kKeep);  // clamped
    EXPECT_EQ(t->heights[0][15], 123.0f);
    Hull* h = t->getHull();
    t->setHeights(5, 1000.0f, Terrain::kKeep);
    EXPECT_EQ(h->getVertex(5)->vertex.y, 1000.0f);
    EXPECT_EQ(h->getSegment(4)->dV.y, 1000.0f - t->heights[0][4]);
    EXPECT_EQ(h->getSegment(5)->start.y, 1000.0f);
    EXPECT_FLOAT_EQ(t->totalHeight, 1000.0f);
    EXPECT_GE(h->boundingRadius, 1000.0f);
}

TEST_F(TerrainTest, SurfaceHeightsHeadingsAndIndices) {
    Terrain* t = makeTerrain(16, 16, V3(0, 10, 0));
    float h = 0, a = 0;
    t->getSurfaceAt(-10000.0f, &h, &a);
    EXPECT_FLOAT_EQ(h, t->heights[0][0] + 10.0f);
    t->setHeights(7, 100.0f, Terrain::kKeep);
    t->setHeights(8, 200.0f, Terrain::kKeep);
    V3 p7, p;
    t->getHeightPoint(&p7, 0, 7);
    t->getSurfaceAt(p7.x + 4.0f, &h, nullptr);
    EXPECT_FLOAT_EQ(h, 125.0f + 10.0f);
    // Half way between 3 and -3 the short way round is pi, not 0.
    t->headings[0][1] = 3.0f;
    t->headings[0][2] = -3.0f;
    t->getSurfaceAt(t->getHeightPoint(&p, 0, 1)->x + 8.0f, nullptr, &a);
    EXPECT_NEAR(std::fabs(a), kPi, 1e-3f);
    // Beyond the ends; index `segments` has the last point's x.
    EXPECT_EQ(t->getHeightPoint(&p, 1, -2)->x, -120.0f - 32.0f);
    EXPECT_EQ(t->getHeightPoint(&p, 0, 16)->x, 120.0f);
    EXPECT_EQ(t->getHeightPoint(&p, 0, 18)->x, 120.0f + 32.0f);
    EXPECT_EQ(t->getSegmentIndex(-5000.0f), 0);
    EXPECT_EQ(t->getSegmentIndex(5000.0f), 15);
    EXPECT_EQ(t->getSegmentIndex(-120.0f + 16.0f * 10.0f + 8.0f), 10);
}

TEST_F(TerrainTest, TooFewPointsAndBadCountsAreSafe) {
    Terrain* none = world.place<Terrain>(V3(0, 5, 0));
    float h = -1, a = -1;
    none->getSurfaceAt(0.0f, &h, &a);
    EXPECT_EQ(h, 5.0f);
    EXPECT_EQ(a, 0.0f);
    none->setHeights(0, 10.0f, 0.0f);
    EXPECT_EQ(none->getSegmentIndex(0.0f), 0);
    Terrain* one = makeTerrain(1, 16);
    one->getSurfaceAt(100.0f, &h, &a);
    EXPECT_EQ(h, one->heights[0][0]);
    EXPECT_EQ(one->getHull()->segmentCount(), 0);
    V3 hit;
    EXPECT_FALSE(drop({0, 800, 0}, {0, -800, 0}, &hit));
    Terrain* t = makeTerrain(16, 16);
    t->segments = 1000;  // as a bad file might leave it
    EXPECT_EQ(t->pointCount(), 16);
    t->getSurfaceAt(5000.0f, &h, nullptr);
    t->setHeights(900, 1.0f, 0.0f);
    EXPECT_EQ(t->heights[0][15], 1.0f);
}

TEST_F(TerrainTest, HugeSpacingsAndIndicesAreSafe) {
    Terrain* t = makeTerrain(3, 0x7fffffff);
    EXPECT_EQ(t->segmentWidth, Terrain::kMaxSegmentWidth);
    t->segmentWidth = 0x7fffffff;  // as a bad file might leave it
    V3 p;
    EXPECT_EQ(t->getHeightPoint(&p, 0, 2)->x, 2.0f * 2147483647.0f - t->totalWidth * 0.5f);
    t->getHeightPoint(&p, 0, INT32_MIN);
    t->getHeightPoint(&p, 1, INT32_MAX);
}

TEST_F(TerrainTest, DropsAreCaughtOnVerticesAndWithFewSegmentsListed) {
    Terrain* t = makeTerrain(64, 16);
    V3 v, hit;
    t->getHeightPoint(&v, 0, 20);
    ASSERT_TRUE(drop(v + V3(0, 10, 0), v - V3(0, 10, 0), &hit));
    EXPECT_NEAR(hit.x, v.x, 1e-3f);
    EXPECT_NEAR(hit.y, v.y, 1e-3f);
    Xsect s(v + V3(0, 5, 0), v - V3(0, 5, 0), 0);
    s.considerHulls();
    // Reach 18: the points under x -+ 18 and one more on each side.
    EXPECT_LE(s.listedSegments(), 6);
}

// A flat strip turned or mirrored catches a drop onto any of its points (in
// its own frame) where the drop meets it.
TEST_F(TerrainTest, TurnedAndMirroredStripsCatchDrops) {
    Terrain* t = makeTerrain(64, 16, V3(100, 50, 0));
    for (int i = 0; i < 64; ++i) t->setHeights(i, 0.0f, -10.0f);
    struct Pose {
        V3 scale;
        float angle;
    };
    int frame = 10;
    for (const Pose& pose : {Pose{V3(-1, 1, 1), 0.0f}, Pose{V3(1, 1, 1), kPi * 0.5f}, Pose{V3(1, 1, 1), 0.7f},
                             Pose{V3(-1, -1, 1), 2.0f}}) {
        world.setFrame(++frame);
        t->setScale(pose.scale.x, pose.scale.y, pose.scale.z);
        t->setRotation(0, 0, pose.angle);
        world.setFrame(++frame);  // it did not move in the frame of the drops
        for (float lx : {-480.0f, -100.0f, 3.0f, 250.0f, 470.0f}) {
            V3 from, to, at, hit;
            t->localToWorld(from, V3(lx, 5, 0));
            t->localToWorld(to, V3(lx, -5, 0));
            t->localToWorld(at, V3(lx, 0, 0));
            ASSERT_TRUE(drop(from, to, &hit)) << "angle " << pose.angle << " x " << lx;
            EXPECT_NEAR(hit.x, at.x, 1e-3f);
            EXPECT_NEAR(hit.y, at.y, 1e-3f);
        }
    }
}

TEST_F(TerrainTest, AWalkingBodyStaysOnTheGroundOverManyJoints) {
    Terrain* t = makeTerrain();
    // Up the cosine's steepest stretch: every joint turns a little.
    V3 body;
    t->getHeightPoint(&body, 0, 380);
    const float startX = body.x;
    for (int step = 0; step < 20; ++step) {
        // 1000 units/s for 0.01 s, pressed down by gravity.
        Xsect x(body, body + V3(10.0f, -5.0f, 0.0f), 3);
        x.considerHulls();
        ASSERT_TRUE(x.checkHits()) << "airborne at step " << step;
        for (int guard = 0; guard < 20; ++guard) {
            x.handleHit(Xsect::WALK);
            body = x.resultPoint;
            if (!x.checkHits()) break;
        }
        float ground = 0;
        t->getSurfaceAt(body.x, &ground, nullptr);
        EXPECT_NEAR(body.y, ground, 0.05f) << "step " << step;
    }
    EXPECT_GT(body.x, startX + 150.0f);  // ten joints crossed
}

// ---------------------------------------------------------------------------
// Editor tools

namespace {
class TerrainEditorTest : public TerrainTest {
protected:
    void SetUp() override {
        world.setEditing(true);
        t = makeTerrain(16, 16);
        for (int i = 0; i < 16; ++i) t->setHeights(i, 100.0f, 0.0f);
        ZubBase::sendEvent(EVENT_FOCUS_GAINED, nullptr, t);
    }
    V3 pointAt(int i, float y) {
        V3 p;
        t->getHeightPoint(&p, 0, i);
        return V3(p.x + 1.0f, y, 0.0f);
    }
    void drag(const V3& from, const V3& to, int key) {
        world.releaseKeys();
        world.input->keys[key] = 0x80;
        world.context.prevMousePosition = from;
        world.context.mousePosition = to;
        ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, t);
    }
    void key(int code, int mods = 0) {
        world.releaseKeys();
        world.pressKey(code, mods);
        ZubBase::sendEvent(EVENT_KEY, nullptr, t);
    }
    Terrain* t = nullptr;
};
}  // namespace

TEST_F(TerrainEditorTest, PaintingMarksAndShiftDEmptiesTheRanges) {
    drag(pointAt(4, 200.0f), pointAt(8, 300.0f), KEY_A);
    EXPECT_FLOAT_EQ(t->heights[0][4], 200.0f);
    EXPECT_FLOAT_EQ(t->heights[0][6], 250.0f);
    EXPECT_FLOAT_EQ(t->heights[0][8], 300.0f);
    EXPECT_FLOAT_EQ(t->heights[0][9], 100.0f);
    EXPECT_EQ(t->heights[1][6], 0.0f);
    EXPECT_EQ(t->editFirst[0], 4);
    EXPECT_EQ(t->editLast[0], 8);
    EXPECT_EQ(t->editFirst[1], 999999);
    // Z paints the bottom row (never above the top).
    drag(pointAt(10, 50.0f), pointAt(10, 50.0f), KEY_Z);
    EXPECT_FLOAT_EQ(t->heights[1][10], 50.0f);
    EXPECT_EQ(t->editFirst[1], 10);
    key(KEY_D, 1);
    EXPECT_EQ(t->editFirst[0], 999999);
    EXPECT_EQ(t->editLast[1], -1);
}

TEST_F(TerrainEditorTest, SmoothingASpikeWidensWithEachPress) {
    t->setHeights(8, 500.0f, Terrain::kKeep);
    drag(pointAt(8, 0.0f), pointAt(8, 0.0f), KEY_D);  // D marks without painting
    EXPECT_FLOAT_EQ(t->heights[0][8], 500.0f);
    key(KEY_S);
    EXPECT_FLOAT_EQ(t->heights[0][8], 100.0f);
    EXPECT_EQ(t->editFirst[0], 7);
    EXPECT_EQ(t->editLast[0], 9);
    // Again with a spike: now 7..9 are smoothed, in order (left already smoothed).
    t->setHeights(8, 500.0f, Terrain::kKeep);
    key(KEY_S);
    EXPECT_FLOAT_EQ(t->heights[0][7], 300.0f);
    EXPECT_FLOAT_EQ(t->heights[0][8], 200.0f);
    EXPECT_FLOAT_EQ(t->heights[0][9], 150.0f);
    // Ctrl+S: the whole strip.
    t->setHeights(3, 400.0f, Terrain::kKeep);
    key(KEY_S, 2);
    EXPECT_LT(t->heights[0][3], 400.0f);
    EXPECT_GT(t->heights[0][4], 100.0f);
}

// ---------------------------------------------------------------------------
// Runs over many points (construct, smoothing) measure the strip's totals
// once: their results are those of setHeights on each point in turn, bit for
// bit, and those construction gave when it measured after every point.

namespace {

// FNV-1a over the bits of everything the strip and its hull hold.
uint32_t stripDigest(Terrain* t) {
    uint32_t h = 2166136261u;
    auto bytes = [&h](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            h ^= static_cast<const uint8_t*>(p)[i];
            h *= 16777619u;
        }
    };
    auto f = [&bytes](float v) { bytes(&v, 4); };
    auto i32 = [&bytes](int32_t v) { bytes(&v, 4); };
    auto v3 = [&f](const V3& v) {
        f(v.x);
        f(v.y);
        f(v.z);
    };
    i32(t->segments);
    i32(t->segmentWidth);
    f(t->totalWidth);
    f(t->totalHeight);
    for (int r = 0; r < 2; ++r) {
        for (float x : t->heights[r]) f(x);
        for (const V3& x : t->normals[r]) v3(x);
        for (float x : t->headings[r]) f(x);
    }
    Hull* hull = t->getHull();
    f(hull->boundingRadius);
    for (int i = 0; i < hull->vertexCount(); ++i) v3(hull->getVertex(i)->vertex);
    for (int i = 0; i < hull->segmentCount(); ++i) {
        const HullSegment* s = hull->getSegment(i);
        for (const V3& v : {s->start, s->dV, s->along, s->normal}) v3(v);
        for (float x : {s->length, s->collisionLengthMin, s->collisionLengthMax, s->alongDirection, s->normalDirection})
            f(x);
        i32(s->prevJoint);
        i32(s->nextJoint);
    }
    return h;
}

float firstShape(int i, int n) {
    const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
    return 400.0f + 300.0f * std::cos(kTwoPi * t);
}

}  // namespace

TEST_F(TerrainTest, ConstructGivesWhatSettingEachPointInTurnGives) {
    struct Case {
        int points, width;
        uint32_t digest;  // of the strip construct built while it measured after every point
    };
    for (const Case& c : {Case{300, 16, 0xfa1d840eu}, Case{1001, 9, 0x1096816fu}, Case{2, 40, 0x35372c5bu}}) {
        SCOPED_TRACE(c.points);
        Terrain* built = makeTerrain(c.points, c.width, V3(5, -3, 0));
        // The reference: flat as a new strip starts, then the first shape
        // one point at a time.
        Terrain* reference = makeTerrain(c.points, c.width, V3(5, -3, 0));
        for (int i = 0; i < c.points; ++i) reference->setHeights(i, 256.0f, 0.0f);
        for (int i = 0; i < c.points; ++i) reference->setHeights(i, firstShape(i, c.points), Terrain::kKeep);
        EXPECT_EQ(stripDigest(built), stripDigest(reference));
        EXPECT_EQ(stripDigest(built), c.digest);
    }
}

TEST_F(TerrainTest, SmoothingTheStripGivesWhatSmoothingEachPointInTurnGives) {
    world.setEditing(true);
    struct Case {
        int points, width;
        uint32_t digest;  // after Ctrl+S and S, as smoothing gave while it measured after every point
    };
    for (const Case& c : {Case{300, 16, 0x65098c3eu}, Case{1001, 9, 0xbccf9e5bu}}) {
        SCOPED_TRACE(c.points);
        Terrain* t = makeTerrain(c.points, c.width, V3(5, -3, 0));
        Terrain* reference = makeTerrain(c.points, c.width, V3(5, -3, 0));
        for (Terrain* x : {t, reference}) {
            x->setHeights(c.points / 3, 2000.0f, -50.0f);
            x->setHeights(c.points / 2, -100.0f, Terrain::kKeep);
        }
        ZubBase::sendEvent(EVENT_FOCUS_GAINED, nullptr, t);
        world.releaseKeys();
        world.pressKey(KEY_S, 2);
        ZubBase::sendEvent(EVENT_KEY, nullptr, t);
        // The whole strip, in ascending order: each point sees its left
        // neighbour smoothed already.
        for (int i = 1; i + 1 < c.points; ++i)
            reference->setHeights(i, (reference->heights[0][i - 1] + reference->heights[0][i + 1]) * 0.5f,
                                  (reference->heights[1][i - 1] + reference->heights[1][i + 1]) * 0.5f);
        EXPECT_EQ(stripDigest(t), stripDigest(reference));
        world.releaseKeys();
        world.pressKey(KEY_S, 0);
        ZubBase::sendEvent(EVENT_KEY, nullptr, t);
        EXPECT_EQ(stripDigest(t), c.digest);
    }
}

// A stroke paints the same slope whichever way the pointer moved: from the
// right to the left the points get what the stroke from the left to the
// right gives them, bit for bit with the hull, and the same range is marked,
// for the top and the bottom row, rising and falling.
TEST_F(TerrainEditorTest, PaintingFromTheRightGivesWhatPaintingFromTheLeftGives) {
    struct Stroke {
        int left;
        float leftY;
        int right;
        float rightY;
        int key;
    };
    Terrain* forward = t;
    Terrain* backward = makeTerrain(16, 16);
    for (int i = 0; i < 16; ++i) backward->setHeights(i, 100.0f, 0.0f);
    ZubBase::sendEvent(EVENT_FOCUS_GAINED, nullptr, backward);
    for (const Stroke& s : {Stroke{4, 200.0f, 8, 300.0f, KEY_A}, Stroke{2, 260.0f, 13, 40.0f, KEY_A},
                            Stroke{3, -30.0f, 11, 70.0f, KEY_Z}, Stroke{9, 5.0f, 10, 80.0f, KEY_Z}}) {
        SCOPED_TRACE(testing::Message() << s.left << " to " << s.right);
        t = forward;
        drag(pointAt(s.left, s.leftY), pointAt(s.right, s.rightY), s.key);
        t = backward;
        drag(pointAt(s.right, s.rightY), pointAt(s.left, s.leftY), s.key);
        const int row = s.key == KEY_A ? 0 : 1;
        EXPECT_FLOAT_EQ(backward->heights[row][s.left], s.leftY);
        EXPECT_FLOAT_EQ(backward->heights[row][s.right], s.rightY);
        EXPECT_EQ(stripDigest(backward), stripDigest(forward));
        for (int r = 0; r < 2; ++r) {
            EXPECT_EQ(backward->editFirst[r], forward->editFirst[r]);
            EXPECT_EQ(backward->editLast[r], forward->editLast[r]);
        }
    }
    t = forward;
}

// The index range under a square agrees with the indices of its corners'
// mappings, also where a corner is not finite (its w is then not a number, so
// the mapping's x is not one either: index 0), whether the strip is in place
// or turned.
TEST_F(TerrainTest, IndexRangesFollowTheCornersMappingsAlsoAtInfinity) {
    Terrain* t = makeTerrain(16, 16, V3(0, 10, 0));
    world.setFrame(5);
    int first = -1, last = -1;
    t->getIndexRange(V3(-120.0f + 16.0f * 4.0f + 1.0f, 50, 0), 8.0f, &first, &last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 4);
    t->getIndexRange(V3(5000.0f, 0, 0), 8.0f, &first, &last);
    EXPECT_EQ(first, 15);
    EXPECT_EQ(last, 15);
    for (const V3& p : {V3(INFINITY, 0, 0), V3(-INFINITY, 0, 0), V3(0, INFINITY, 0), V3(NAN, 0, 0)}) {
        t->getIndexRange(p, 8.0f, &first, &last);
        EXPECT_EQ(first, 0) << p.x << " " << p.y;
        EXPECT_EQ(last, 0) << p.x << " " << p.y;
    }
    t->getIndexRange(V3(0, 0, 0), INFINITY, &first, &last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    // Turned and mirrored: the range spans the indices of the square's four
    // corners, each mapped into the strip.
    auto cornersRange = [t](const V3& p, float r) {
        int lo = INT32_MAX, hi = INT32_MIN;
        for (int k = 0; k < 4; ++k) {
            V3 local;
            t->world2local(local, V3(k & 1 ? p.x + r : p.x - r, k & 2 ? p.y + r : p.y - r, 0.0f));
            lo = std::min(lo, t->getIndexAtLocalX(local.x));
            hi = std::max(hi, t->getIndexAtLocalX(local.x));
        }
        return std::make_pair(lo, hi);
    };
    int frame = 6;
    for (float angle : {0.3f, kPi * 0.5f, 2.0f, -1.0f}) {
        t->setRotation(0.0f, 0.0f, angle);
        t->setScale(angle < 0.0f ? -1.0f : 1.0f, 1.0f, 1.0f);
        world.setFrame(++frame);  // it did not move in this frame
        for (float y : {-100.0f, -30.0f, 0.0f, 45.0f, 110.0f}) {
            const V3 p(y * 0.5f, y, 0);
            t->getIndexRange(p, 8.0f, &first, &last);
            const auto [lo, hi] = cornersRange(p, 8.0f);
            EXPECT_EQ(first, lo) << angle << " " << y;
            EXPECT_EQ(last, hi) << angle << " " << y;
        }
    }
}
