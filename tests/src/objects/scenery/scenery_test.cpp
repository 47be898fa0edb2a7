// Scenery in a level run by real ticks: the scrolling band, the fence's
// stakes, the foam down a waterfall, the hills' parallax, decorations and
// plants that follow their terrain, and objects placed but never
// constructed. Everything stands above the test level's bottom (y = 0).
#include <gtest/gtest.h>

#include <cmath>

#include "TestLevel.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "gfx/RenderCounters.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/ScrollingSkinnedPath.h"
#include "objects/scenery/SkinnedPath.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Vegetation.h"
#include "objects/scenery/Waterfall.h"
#include "world/DeformedQuad.h"
#include "world/Terrain.h"

namespace {

struct Scenery : testing::Test {
    Quad* quad(const char16_t* name) { return level.resources.findAs<Quad>(name); }
    // Placed as the editor places objects: registered, with its proxy,
    // replicated, but its construct button never pressed.
    template <class T>
    T* placed(const V3& at) {
        T* o = new T();
        level.role->registerObject(o, 0);
        o->setPosition(at);
        level.objectList->addChild(o);
        o->EditorObject::local_construct();
        o->netPostReplicate();
        o->netPostReplicateGlobal();
        return o;
    }
    std::vector<V3> drawnAt() {
        std::vector<V3> out;
        for (const auto& d : device->draws) out.emplace_back(d.world.m[3][0], d.world.m[3][1], 0.0f);
        return out;
    }

    leveltest::TestLevel level;
    platform::NullRenderDevice* device = level.enableGraphics();
};

void expectNear(const V3& a, const V3& b) {
    EXPECT_NEAR(a.x, b.x, 0.01f);
    EXPECT_NEAR(a.y, b.y, 0.01f);
}

TEST_F(Scenery, AScrollingBandMovesItsTextureEachTickAndWrapsByWholeWidths) {
    auto* path = level.spawn<ScrollingSkinnedPath>(V3(0, 200, 0), level.objectList);
    path->construct(quad(u"water:0"));
    DeformedQuad* band = path->band();
    ASSERT_EQ(band->vb.size(), 16);
    path->scrollSpeed = 0.5f;
    const float u0 = band->vb[0].u;
    const int uploads = renderCounters.vbufferWrites;
    level.step();
    EXPECT_FLOAT_EQ(band->vb[0].u, u0 + 0.005f);
    EXPECT_EQ(renderCounters.vbufferWrites, uploads + 1);
    // Once u left [-1, 1] (either way) the next tick takes a whole width back.
    for (float speed : {0.5f, -0.5f}) {
        path->scrollSpeed = speed;
        ASSERT_TRUE(level.stepUntil([&] { return std::fabs(band->vb[0].u) > 1.0f; }, 1000));
        const float before = band->vb[0].u;
        level.step();
        EXPECT_NEAR(band->vb[0].u, before - std::copysign(0.995f, speed), 1e-5f);
    }
}

TEST_F(Scenery, AFenceStandsItsStakesEvenlyAlongThePathWithBeamsBetweenWhileInView) {
    level.game->camera->resetAt(0, 300, -512);
    auto* fence = level.spawn<Fence>(V3(100, 300, 0), level.objectList);
    fence->stakeCount = 3;
    fence->fenceType = 3;
    fence->onEdited();
    EXPECT_FLOAT_EQ(fence->cullRadius, 256.0f);
    fence->renderObject();
    // Beams at the stakes' midpoints reaching 24 past each stake, then the stakes.
    const std::vector<V3> at = drawnAt();
    ASSERT_EQ(at.size(), 5u);
    for (int i = 0; i < 5; ++i) expectNear(at[i], V3(i < 2 ? 36 + 128 * i : -28 + 128 * (i - 2), 300, 0));
    EXPECT_FLOAT_EQ(device->draws[0].world.m[0][0], (128.0f + 48.0f) / fence->sheet->getSkin(7)->width);
    // One stake stands at the start and has no beam.
    fence->stakeCount = 1;
    device->resetRecords();
    fence->renderObject();
    ASSERT_EQ(drawnAt().size(), 1u);
    expectNear(drawnAt()[0], V3(-28, 300, 0));
    // Out of view by more than its culling square: not even tried.
    const int tried = renderCounters.renderablesTotal;
    level.game->camera->resetAt(100 + 256 + 513, 300, -512);
    fence->renderObject();
    EXPECT_EQ(renderCounters.renderablesTotal, tried);
}

TEST_F(Scenery, FoamSlidesDownTheWaterfallOncePerFrameAndWaitsOutOfView) {
    level.game->camera->resetAt(0, 300, -512);
    auto* fall = level.spawn<Waterfall>(V3(0, 400, 0), level.objectList);
    fall->addPoint(0, 0, 0);
    fall->addPoint(0, -300, 0);
    fall->numParticles = 4;
    fall->netPostReplicate();
    ASSERT_EQ(fall->spriteCount(), 4);
    std::vector<SplashSprite*> s;
    for (ZubBase* c : childrenOf(fall->sprites())) s.push_back(static_cast<SplashSprite*>(c));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(s[i]->t, 0.25f * i);
        // Down the path, scattered sideways by its share of the widening band.
        V3 p;
        fall->evaluateL(&p, 75.0f * i, nullptr);
        expectNear(s[i]->position, V3((50.0f + 12.5f * i) * s[i]->lateral, 400 + p.y, 0));
    }
    level.step();
    EXPECT_FLOAT_EQ(s[1]->t, 0.26f);  // ticked once, by the waterfall alone
    // From near the end it comes round to the top, showing the first frame.
    fall->particleSpeed = 0.1f;
    s[0]->t = 0.95f;
    level.step(100);
    EXPECT_NEAR(s[0]->t, 0.05f, 1e-3f);
    EXPECT_EQ(s[0]->pSkin, level.resources.findAs<Skin>(u"splash:0"));
    // Far from the view the foam stays.
    const float t1 = s[1]->t;
    level.game->camera->resetAt(20000, 300, -512);
    level.step(50);
    EXPECT_EQ(s[1]->t, t1);
}

TEST_F(Scenery, TheHillsFollowTheCameraByTheirParallax) {
    HillsBackdrop hills(quad(u"hillsA-spring:0"), quad(u"hillsB-spring:0"));
    // The first copy of each strip (the strips lie at different heights).
    auto strips = [&](float x, float y) {
        level.game->camera->resetAt(x, y, -512);
        device->resetRecords();
        hills.render();
        std::vector<V3> out;
        for (const V3& p : drawnAt())
            if (out.empty() || out.back().y != p.y) out.push_back(p);
        return out;
    };
    const std::vector<V3> a = strips(0, 0), right = strips(100, 0), up = strips(0, 160);
    ASSERT_TRUE(a.size() == 3 && right.size() == 3 && up.size() == 3);
    // On screen the level slides 100 left, the back strip 25 and the front 66.7.
    EXPECT_NEAR(right[0].x - a[0].x - 100, -25.0f, 0.01f);
    EXPECT_NEAR(right[2].x - a[2].x - 100, -66.67f, 0.01f);
    EXPECT_NEAR(up[0].y - a[0].y, 150.0f, 0.01f);
    level.configuration->detailLevel = 0;
    EXPECT_TRUE(strips(0, 0).empty());
}

TEST_F(Scenery, DecorationsAndPlantsFollowTheirTerrainAndTheDecorationGoesWithIt) {
    auto* terrain = level.spawn<Terrain>(V3(0, 100, 0), level.objectList);
    terrain->construct(32, 64);
    auto* deco = level.spawn<TerrainDeco>(V3(), level.objectList);
    deco->construct(terrain, quad(u"deco-grass:0"), 8, 0);
    deco->netPostReplicateGlobal();
    auto* plant = level.spawn<Vegetation>(V3(), level.objectList);
    plant->construct(quad(u"shrubs:0"));
    plant->pTerrain.set(terrain);
    plant->rectShrink = {0.5f, 0.0f, 0.5f, 0.0f};
    plant->setPosition(200, 900, 0);
    EXPECT_EQ(static_cast<Quad*>(plant->pSkin)->width, quad(u"shrubs:0")->width / 4);  // a quarter left
    // The band's first pair sits on the terrain point it starts from.
    auto expectOnTerrain = [&] {
        ASSERT_EQ(deco->skinStartingSegment, 15 - 4);
        V3 first, point, onTerrain;
        deco->localToWorld(first, V3(deco->band()->vb[0].x, deco->band()->vb[0].y, 0));
        terrain->localToWorld(onTerrain, *terrain->getHeightPoint(&point, 0, 11));
        expectNear(first, onTerrain);
        float surface = 0;
        terrain->getSurfaceAt(plant->position.x, &surface, nullptr);
        EXPECT_NEAR(plant->position.x - terrain->position.x, 200.0f, 0.01f);
        EXPECT_NEAR(plant->position.y - surface, plant->terrainHoverY, 0.01f);
    };
    expectOnTerrain();
    // The terrain is edited (a height, then its place): the band is laid
    // again, and the plant keeps its offsets to it.
    terrain->setHeights(11, 500.0f, Terrain::kKeep);
    ZubBase::sendEvent(EVENT_CHANGED, terrain, terrain);  // as the editor does
    expectOnTerrain();
    terrain->setPosition(300, 150, 0);
    ZubBase::sendEvent(EVENT_CHANGED, terrain, terrain);
    expectOnTerrain();
    const int32_t uid = deco->objectUID;
    terrain->destroy();
    EXPECT_TRUE(deco->bToBeDestroyed);
    level.step();
    EXPECT_EQ(level.role->findObjectOrNull(uid), nullptr);
}

TEST_F(Scenery, ObjectsPlacedButNeverConstructedSurviveEditsTicksAndDrawing) {
    std::vector<A99Object*> objects = {placed<SkinnedPath>(V3(0, 100, 0)), placed<ScrollingSkinnedPath>(V3(0, 200, 0)),
                                       placed<Fence>(V3(0, 300, 0)),       placed<Waterfall>(V3(0, 400, 0)),
                                       placed<Vegetation>(V3(0, 500, 0)),  placed<TerrainDeco>(V3(0, 600, 0))};
    level.panel.bShowBezierPaths = true;
    for (int pass = 0; pass < 3; ++pass) {
        for (A99Object* o : objects) {
            o->setPosition(o->position + V3(10, 0, 0));
            // A path's first point: an edit with no segment yet.
            if (auto* path = zub_cast<BezierPath>(o); path && pass == 1) path->addPoint(0, 0, 0);
        }
        level.step(3);
        level.proxyList->render();
        level.setEditing(pass == 2);
        level.proxyList->render();
    }
    EXPECT_EQ(level.proxyList->countChildren(), 6);
    EXPECT_EQ(objects[4]->pSkin, nullptr);  // the plant shows the editor's icon
}

TEST_F(Scenery, PathsShowTheirCurveOnlyWhileTheLevelIsEdited) {
    // A level in play has its editor panel (the controller always makes
    // one) with every path shown, but the role is not editing.
    auto* path = placed<SkinnedPath>(V3(0, 100, 0));
    path->addPoint(0, 0, 0);
    path->addPoint(300, 50, 0);
    level.step();
    platform::NullRenderDevice* device = level.enableGraphics();
    level.panel.bShowBezierPaths = true;
    level.bEditor = true;
    level.role->bEditing = false;
    device->drawCount = 0;
    path->renderObject();
    const int inPlay = device->drawCount;
    level.setEditing(true);
    device->drawCount = 0;
    path->renderObject();
    EXPECT_GT(device->drawCount, inPlay) << "the editor draws the curve and its points";
    level.setEditing(false);
    level.bEditor = true;
    device->drawCount = 0;
    path->renderObject();
    EXPECT_EQ(device->drawCount, inPlay);
}

}  // namespace
