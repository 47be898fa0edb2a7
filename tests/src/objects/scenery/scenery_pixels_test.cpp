// A small scene drawn by the OpenGL device in an off-screen window (SDL's
// offscreen driver on Mesa) in the content generator's art, compared with
// scenery_scene.png beside this file. After a deliberate change of the look,
// run the test with ZUB_WRITE_SCENERY_PNG=1 to write the picture anew.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/SkinnedPath.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Vegetation.h"
#include "objects/scenery/Waterfall.h"
#include "world/Terrain.h"

namespace {

namespace fs = std::filesystem;
constexpr int W = 512, H = 384;

// The stored picture, beside this test in the source tree the build was
// configured from (the build folder may lie anywhere).
fs::path picturePath() { return fs::path(ZUB_TEST_SOURCE_DIR) / "src/objects/scenery/scenery_scene.png"; }

TEST(SceneryPixels, ASmallSceneLooksAsStored) {
    picturetest::OffscreenWindow window;
    if (!window.open("Scenery", W, H)) return;
    leveltest::TestLevel level;

    // The generator's art in place of the level's blank placeholders.
    picturetest::PaintedArt art;
    art.paint(level.resources, {"terrain-grassy", "deco-grass", "water", "fence", "shrubs", "flowers1", "splash"});
    auto quad = [&](const char16_t* name) { return level.resources.findAs<Quad>(name); };

    auto* terrain = level.spawn<Terrain>(V3(0, 0, 0), level.objectList);
    terrain->construct(17, 64);
    for (int i = 0; i < 17; ++i) terrain->setHeights(i, 170.0f + 50.0f * std::sin(0.7f * float(i)), 10.0f);
    for (auto [name, flags] : {std::pair{u"terrain-grassy:0", 0x105}, std::pair{u"deco-grass:0", 0x1C}}) {
        auto* deco = level.spawn<TerrainDeco>(V3(), level.objectList);
        deco->construct(terrain, quad(name), 24, flags);
        deco->netPostReplicateGlobal();
    }
    auto* stream = level.spawn<SkinnedPath>(V3(-200, 520, 0), level.objectList);
    stream->construct(quad(u"water:0"));
    stream->addPoint(250, -80, 0);
    auto* fence = level.spawn<Fence>(V3(230, 250, 0), level.objectList);
    fence->stakeCount = 5;
    fence->onEdited();
    for (auto [name, x] : {std::pair{u"shrubs:1", -120.0f}, std::pair{u"flowers1:2", 60.0f}}) {
        auto* plant = level.spawn<Vegetation>(V3(), level.objectList);
        plant->construct(quad(name));
        float surface = 0.0f;
        terrain->getSurfaceAt(x, &surface, nullptr);
        plant->setPosition(x, surface, 0);
    }
    auto* fall = level.spawn<Waterfall>(V3(-420, 700, 0), level.objectList);
    fall->addPoint(0, 0, 0);
    fall->addPoint(40, -420, 0);
    fall->numParticles = 30;
    fall->netPostReplicate();

    window.beginFrame(0xFF8CC8F0);
    level.game->camera->resetAt(0, 384, -512);
    level.game->camera->apply();
    level.proxyList->render();
    const std::vector<uint32_t> frame = window.readFrame();

    // Rasterisers may differ on a few edge pixels; the smallest thing in the
    // scene (the flower) covers some 160.
    picturetest::compareWithStored(frame, W, H, picturePath().string(), picturetest::kRewriteScenery,
                                   {.meanBelow = std::nullopt, .farBelowOneIn = std::nullopt, .farAtMost = 64});
}

}  // namespace
