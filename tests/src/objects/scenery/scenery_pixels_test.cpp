// A small scene drawn by the OpenGL device in an off-screen window (SDL's
// offscreen driver on Mesa) in the content generator's art, compared with
// scenery_scene.png beside this file. After a deliberate change of the look,
// run the test with ZUB_WRITE_SCENERY_PNG=1 to write the picture anew.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "Manifest.h"
#include "Painter.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "objects/scenery/Scenery.h"
#include "objects/scenery/SkinnedPath.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Waterfall.h"
#include "platform/Platform.h"
#include "world/Terrain.h"

namespace scenerytest {  // scene_png.cpp
bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb);
}
namespace {

namespace fs = std::filesystem;
constexpr int W = 512, H = 384;
constexpr const char* PICTURE = "scenery_scene.png";

// The stored picture, beside this test in the source tree the build was
// configured from (the build folder may lie anywhere).
fs::path picturePath() { return fs::path(ZUB_TEST_SOURCE_DIR) / "src/objects/scenery" / PICTURE; }

TEST(SceneryPixels, ASmallSceneLooksAsStored) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::unique_ptr<platform::Backend> backend = platform::createSdlBackend();
    std::string error;
    if (!backend->openWindow({.title = "Scenery", .width = W, .height = H, .vsync = false, .assumeFocused = true},
                             error))
        GTEST_SKIP() << "no off-screen OpenGL window: " << error;
    leveltest::TestLevel level;
    level.graphics = std::make_unique<ZubGraphics>();
    if (!level.graphics->setDevice(platform::createGLRenderDevice(), error))
        GTEST_SKIP() << "no OpenGL device: " << error;
    level.graphics->onWindowSize(W, H);

    // The generator's art in place of the level's blank placeholders.
    std::vector<std::unique_ptr<Texture>> art;
    for (const content::Entry& e : content::manifest()) {
        const std::set<std::string> used = {"terrain-grassy", "deco-grass", "water", "fence", "shrubs", "flowers1",
                                            "splash"};
        if (!used.count(e.name)) continue;
        const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
        MemoryImageFile file(
            DecodedImage{layout.width, layout.height, contentgen::paintSheet(e, layout).pixels(), true});
        art.push_back(std::make_unique<Texture>(&file));
        art.back()->applySkinDescription(contentgen::skinDescription(e, layout), narrowToWide(e.name));
        art.back()->registerSkins(level.resources, narrowToWide(e.name));
    }
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

    level.graphics->bBilinearFilter = false;
    level.graphics->beginFrame();
    level.graphics->clear(0xFF8CC8F0);
    level.game->camera->resetAt(0, 384, -512);
    level.game->camera->apply();
    level.proxyList->render();
    std::vector<uint32_t> frame;
    ASSERT_TRUE(level.graphics->device()->readPixels(0, 0, W, H, frame));

    const fs::path stored = picturePath();
    if (std::getenv("ZUB_WRITE_SCENERY_PNG")) {
        ASSERT_TRUE(scenerytest::writePng(stored.string(), W, H, frame));
        GTEST_SKIP() << "wrote " << stored;
    }
    std::ifstream in(stored, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty()) << stored;
    DecodedImage expected;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), narrowToWide(PICTURE), expected);
    ASSERT_TRUE(expected.width == W && expected.height == H);
    // Rasterisers may differ on a few edge pixels; the smallest thing in the
    // scene (the flower) covers some 160.
    int strays = 0;
    for (size_t i = 0; i < frame.size(); ++i)
        for (int shift : {16, 8, 0})
            if (std::abs(int((frame[i] >> shift) & 0xFF) - int((expected.pixels[i] >> shift) & 0xFF)) > 48) {
                ++strays;
                break;
            }
    EXPECT_LE(strays, 64) << "pixels that differ from " << stored;
}

}  // namespace
