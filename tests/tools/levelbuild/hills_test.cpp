// The season's distant hills behind every level, drawn by the OpenGL device
// off-screen (SDL's offscreen driver) in the generator's art with nothing
// else of the level over black, from every view the level's cameras allow:
// the following camera's, the wider one of the opening, the scoring and the
// respawn, each from the lowest the playing area lets it go up to the
// highest and across the level's width, and each telescope's. The strips
// follow the camera's height by their parallax, each by its own share, so
// how far each stands over the ground, and over the strip in front of it,
// changes with the view's height; they stand highest over the ground from
// the lowest views. In every column the hills reach down to the level's
// ground without a row of sky between: no sky shows under a strip, nor
// between two strips, above the ground drawn in front of them. The levels
// cover the four seasons' hills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelPicture.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/Camera.h"
#include "gfx/ContextBlender.h"
#include "gfx/ZubGraphics.h"
#include "level_drawing_test_support.h"
#include "levelbuild_test_support.h"
#include "objects/hints/Telescope.h"
#include "objects/pig/HeroCameras.h"
#include "objects/scenery/HillsBackdrop.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"
#include "world/Terrain.h"

using namespace levelbuildtest;

namespace {

constexpr int W = levelbuild::kPictureWidth, H = levelbuild::kPictureHeight;

// The tallest tree crown over a hill's line, in pixels.
constexpr int kCrown = 16;

// A pixel of the hills drawn over black.
bool isHills(uint32_t c) {
    return 0.2126 * ((c >> 16) & 0xFF) + 0.7152 * ((c >> 8) & 0xFF) + 0.0722 * (c & 0xFF) > 4.0;
}

// The widest run of sky between the ground and a strip of hills above it.
struct Gap {
    int rows = 0;  // pixels
    int column = -1;
    V3 eye;
};

// The eyes to look from, as the level's cameras keep the view inside its
// playing area: from the following camera's depth and from the opening's
// (which the scoring and the respawn share), half a view apart across the
// level's width and a quarter of a view apart up its height from the lowest;
// and each telescope's view.
std::vector<V3> viewsOf(GameController& gc) {
    const float depths[] = {HeroCamera().eye.z, GameController::VIEW_DEPTH * static_cast<float>(REFERENCE_WIDTH)};
    const PlayingArea& a = gc.playingArea;
    std::vector<V3> eyes;
    for (float z : depths) {
        const float across = -z, up = -z * static_cast<float>(H) / static_cast<float>(W) / 2.0f;
        for (float x = a.left;; x += across) {
            const float lowest = CameraTransition(std::min(x, a.right), -1.0e9f, z).eye.y;
            for (float y = lowest;; y += up) {
                const V3 eye = CameraTransition(std::min(x, a.right), y, z).eye;
                if (eyes.empty() || !(eyes.back() == eye)) eyes.push_back(eye);
                if (eye.y < y) break;  // the top of the area
            }
            if (x >= a.right) break;
        }
    }
    std::function<void(ZubBase*)> telescopes = [&](ZubBase* o) {
        for (ZubBase* c : childrenOf(o)) {
            if (auto* t = zub_cast<Telescope>(c))
                eyes.push_back(CameraTransition(t->lookAt.x, t->lookAt.y, t->lookAt.z).eye);
            telescopes(c);
        }
    };
    telescopes(gc.contextGame);
    return eyes;
}

// The widest run of sky rows in any column of the picture of the hills
// alone, between the ground's surface and a strip of hills above it. The
// trees' crowns along a hill's line may stand clear of a steep slope: runs
// of hills thinner than a crown do not count as a strip (a strip's body is
// much thicker) and the sky under them counts on.
Gap skyUnderTheHills(const std::vector<uint32_t>& hills, const Camera& camera, const Terrain& ground) {
    Gap worst;
    worst.eye = camera.eye;
    auto hillsAt = [&](int x, int y) { return isHills(hills[static_cast<size_t>(y) * W + static_cast<size_t>(x)]); };
    for (int x = 0; x < W; ++x) {
        const float wx = camera.screenToWorld(static_cast<float>(x) + 0.5f, 0.0f, 0.0f).x;
        float surface = 0.0f;
        ground.getSurfaceAt(wx, &surface, nullptr);
        // Screen y counts from the bottom, rows from the top.
        const float sy = camera.worldToScreen(V3(wx, surface, 0.0f)).y;
        const int groundRow = std::clamp(static_cast<int>(std::ceil(static_cast<float>(H) - sy)), 0, H);
        // Upwards from the ground.
        int sky = 0;
        for (int y = groundRow - 1; y >= 0;) {
            if (!hillsAt(x, y)) {
                ++sky;
                --y;
                continue;
            }
            int run = 0;
            for (; y >= 0 && hillsAt(x, y); --y) ++run;
            if (run < kCrown && y >= 0) {
                sky += run;
                continue;
            }
            if (sky > worst.rows) {
                worst.rows = sky;
                worst.column = x;
            }
            sky = 0;
        }
    }
    return worst;
}

class LevelHills : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(LevelHills, ReachDownBehindTheGroundFromEveryView) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + GetParam() + ".txt"), GetParam() + ".txt", level, error))
        << error;
    environment.install(level);
    auto find = [&](const char16_t* label) -> ZubBase* {
        auto it = level.labels.find(label);
        return it == level.labels.end() ? nullptr : environment.server().findObjectOrNull(it->second);
    };
    Gap worst;
    int views = 0;
    int32_t season = -1;
    std::vector<uint32_t> shot;
    const bool drawn = levelbuild::captureLevelFrame(
        environment, levelbuild::KeyScript(), -1, shot, error, level.number, [&](GameController& gc) {
            season = gc.season;
            auto* ground = zub_cast<Terrain>(find(u"terrain"));
            auto* hills = zub_cast<HillsBackdrop>(gc.bgList ? gc.bgList->firstChild : nullptr);
            ASSERT_NE(ground, nullptr);
            ASSERT_NE(hills, nullptr);
            Camera& camera = *gc.contextGame->camera;
            ZubGraphics* g = ZubGraphics::active();
            std::vector<uint32_t> px;
            for (const V3& eye : viewsOf(gc)) {
                camera.resetAt(eye.x, eye.y, eye.z);
                g->clear(0xFF000000u);
                drawOnly(gc, {hills});
                ASSERT_TRUE(g->device()->readPixels(0, 0, W, H, px));
                ASSERT_EQ(px.size(), static_cast<size_t>(W) * H);
                const Gap gap = skyUnderTheHills(px, camera, *ground);
                if (gap.rows > worst.rows || views == 0) worst = gap;
                ++views;
            }
            // The whole picture from the view with the widest gap, to be
            // looked at.
            camera.resetAt(worst.eye.x, worst.eye.y, worst.eye.z);
            g->clear(0xFF000000u);
            environment.manager->renderContext();
        });
    if (!drawn) GTEST_SKIP() << "no off-screen OpenGL window";
    {
        const std::filesystem::path shots(ZUB_LEVEL_SHOTS_DIR);
        std::error_code ec;
        std::filesystem::create_directories(shots, ec);
        EXPECT_TRUE(levelbuild::writeLevelPicture(shot, (shots / (GetParam() + "-hills.png")).string(), error))
            << error;
    }
    EXPECT_GT(views, 4);
    EXPECT_EQ(worst.rows, 0) << "sky shows under the hills: " << worst.rows << " rows at column " << worst.column
                             << " seen from (" << worst.eye.x << ", " << worst.eye.y << ", " << worst.eye.z << ")";
    std::printf("%s (season %d): %d views; the widest sky under the hills %d rows (column %d, eye %.0f %.0f %.0f)\n",
                GetParam().c_str(), season, views, worst.rows, worst.column, worst.eye.x, worst.eye.y, worst.eye.z);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelHills, testing::ValuesIn(describedLevels(false)),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LevelHills);
