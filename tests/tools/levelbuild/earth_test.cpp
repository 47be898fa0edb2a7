// The earth of every level as its opening view shows it, drawn by the
// OpenGL device off-screen (SDL's offscreen driver) in the generator's art,
// with only the level's own earth over black: the deep earth down to the
// terrain's bottom row ("grassBand"), the lip of grass or crust laid along
// the surface ("earthBand") and the spring's second lip ("grassFace").
// Under its top layer (the grass, an autumn's leaves, a winter's gravel)
// the earth reads as one material down to where it ends:
// - the top layer is no deeper than its band (64 units): the earth shows
//   from under the grass, not from under a second band of other earth;
// - no seam: no step in brightness from one row to the next, neither at a
//   depth below the surface (where repeats laid from the surface would
//   meet) nor at a height (where repeats laid by height would), beyond what
//   the material's own grain gives;
// - no streaks under a steep wall: the earth there is as fine across as it
//   is down, as the earth elsewhere is.
// The top layer is where the view of all three differs from the view of the
// deep earth alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelPicture.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "gfx/ContextBlender.h"
#include "gfx/Renderable.h"
#include "gfx/ZubGraphics.h"
#include "level_drawing_test_support.h"
#include "levelbuild_test_support.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"

using namespace levelbuildtest;

namespace {

constexpr int W = levelbuild::kPictureWidth, H = levelbuild::kPictureHeight;

// The labels of the earth's bands.
const char16_t* const kBands[] = {u"grassBand", u"earthBand", u"grassFace"};

// How deep the top layer may reach below the surface, in units.
constexpr double kTopLayer = 72.0;
// Where the earth alone shows at the latest, below the surface (units):
// under the grass of a lip.
constexpr double kUnderGrass = 40.0;
// The largest step in brightness (0-255) between the means of the rows
// above and below a row, averaged along a depth or a height over a quarter
// of the view's columns or more: the grain of the earth gives about 2, the
// seams of repeats that do not continue each other 10 to 30.
constexpr double kSeam = 5.0;
// Rows averaged on either side of a row.
constexpr int kRows = 3;
// A surface that drops at least this many pixels from one column to the
// next is a steep wall.
constexpr int kWall = 3;
// How much finer across than down the earth under a wall may be, as a
// share of the same for the earth elsewhere.
constexpr double kStreaks = 1.5;
// How much finer across than down (or down than across) the earth may be:
// a level may scale its texture up to twice as tall, while earth stretched
// down a deep ground is three to eighteen times as fine across.
constexpr double kStretched = 2.0;

struct Frame {
    std::vector<uint32_t> px;
    double luma(int x, int y) const {
        const uint32_t c = px[static_cast<size_t>(y) * W + static_cast<size_t>(x)];
        return 0.2126 * ((c >> 16) & 0xFF) + 0.7152 * ((c >> 8) & 0xFF) + 0.0722 * (c & 0xFF);
    }
    bool differs(const Frame& o, int x, int y) const {
        const size_t i = static_cast<size_t>(y) * W + static_cast<size_t>(x);
        for (int shift : {16, 8, 0})
            if (std::abs(static_cast<int>((px[i] >> shift) & 0xFF) - static_cast<int>((o.px[i] >> shift) & 0xFF)) > 2)
                return true;
        return false;
    }
};

// The level's earth in its opening view: all its bands, and the deep earth
// alone; `scale` pixels to a unit. False when there is no off-screen OpenGL
// window.
bool drawEarth(const std::string& name, Frame& all, Frame& deep, double& scale) {
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    levelbuild::BuiltLevel level;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevel(readBytes(kSources + name + ".txt"), name + ".txt", level, error)) << error;
    environment.install(level);
    auto find = [&](const char16_t* label) -> ZubBase* {
        auto it = level.labels.find(label);
        return it == level.labels.end() ? nullptr : environment.server().findObjectOrNull(it->second);
    };
    const bool drawn = levelbuild::captureLevelFrame(
        environment, levelbuild::KeyScript(), -1, deep.px, error, level.number, [&](GameController& gc) {
            std::vector<ZubBase*> bands;
            for (const char16_t* label : kBands)
                if (ZubBase* band = find(label)) bands.push_back(band);
            EXPECT_GE(bands.size(), 2u);
            drawOnly(gc, bands);
            ZubGraphics* g = ZubGraphics::active();
            EXPECT_TRUE(g->device()->readPixels(0, 0, W, H, all.px));
            g->clear(0xFF000000u);
            drawOnly(gc, {find(u"grassBand")});
            const Camera& camera = *gc.contextGame->camera;
            scale = std::fabs(camera.worldToScreen(V3(0.0f, 100.0f, 0.0f)).y -
                              camera.worldToScreen(V3(0.0f, 0.0f, 0.0f)).y) /
                    100.0 * H / REFERENCE_HEIGHT;
        });
    if (!drawn) return false;
    EXPECT_EQ(all.px.size(), deep.px.size());
    return all.px.size() == static_cast<size_t>(W) * H && deep.px.size() == all.px.size();
}

class LevelEarth : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(LevelEarth, ReadsAsOneMaterialFromTheGrassDown) {
    ErrorManager::bTestMode = true;
    Frame all, deep;
    double scale = 1.0;
    if (!drawEarth(GetParam(), all, deep, scale)) GTEST_SKIP() << "no off-screen OpenGL window";
    ASSERT_GT(scale, 0.1);
    // Beside the opening views, to be looked at.
    {
        const std::filesystem::path shots(ZUB_LEVEL_SHOTS_DIR);
        std::error_code ec;
        std::filesystem::create_directories(shots, ec);
        std::string error;
        EXPECT_TRUE(levelbuild::writeLevelPicture(all.px, (shots / (GetParam() + "-earth.png")).string(), error))
            << error;
    }

    // Each column's earth: from its surface to where it ends, and the depth
    // its top layer reaches.
    std::vector<int> surface(W, -1), end(W, -1), layer(W, -1);
    for (int x = 0; x < W; ++x) {
        int y = 0;
        while (y < H && all.luma(x, y) <= 4.0) ++y;
        if (y == H) continue;
        surface[x] = y;
        while (y < H && all.luma(x, y) > 4.0) ++y;
        end[x] = y;
        layer[x] = surface[x];
        for (int r = surface[x]; r < end[x]; ++r)
            if (all.differs(deep, x, r)) layer[x] = r + 1;
    }
    // The columns by a steep wall (and a few beside them).
    std::vector<bool> byWall(W, false);
    for (int x = 0; x + 1 < W; ++x)
        if (surface[x] >= 0 && surface[x + 1] >= 0 && std::abs(surface[x + 1] - surface[x]) >= kWall)
            for (int n = std::max(0, x - 4); n <= std::min(W - 1, x + 5); ++n) byWall[n] = true;

    // The top layer, away from the walls (where the lip lies along the
    // wall's face).
    std::vector<int> depths;
    for (int x = 0; x < W; ++x)
        if (surface[x] >= 0 && !byWall[x] && end[x] - surface[x] >= kTopLayer * scale * 2)
            depths.push_back(layer[x] - surface[x]);
    const int columns = static_cast<int>(depths.size());
    ASSERT_GT(columns, W / 8) << "the view shows little earth";
    std::nth_element(depths.begin(), depths.begin() + columns / 2, depths.end());
    const int topLayer = depths[static_cast<size_t>(columns / 2)];
    EXPECT_LE(topLayer, kTopLayer * scale)
        << "the top layer reaches " << topLayer << " pixels down: other earth under the grass";

    // Seams: the step of each row over the rows above it, averaged by depth
    // below the surface and by height on the screen.
    std::map<int, std::pair<double, int>> byDepth, byHeight;
    for (int x = 0; x < W; ++x) {
        if (surface[x] < 0 || byWall[x]) continue;
        const int from = std::max(layer[x], surface[x] + static_cast<int>(std::ceil(kUnderGrass * scale))) + kRows;
        for (int y = from; y + kRows <= end[x]; ++y) {
            double above = 0.0, below = 0.0;
            for (int r = 0; r < kRows; ++r) {
                above += all.luma(x, y - 1 - r);
                below += all.luma(x, y + r);
            }
            const double step = (below - above) / kRows;
            auto& d = byDepth[y - surface[x]];
            d.first += step;
            ++d.second;
            auto& h = byHeight[y];
            h.first += step;
            ++h.second;
        }
    }
    auto worst = [&](const std::map<int, std::pair<double, int>>& averages, int& at) {
        double most = 0.0;
        for (const auto& [row, s] : averages)
            if (s.second >= std::max(64, columns / 4) && std::fabs(s.first / s.second) > most) {
                most = std::fabs(s.first / s.second);
                at = row;
            }
        return most;
    };
    int depth = -1, height = -1;
    const double alongSurface = worst(byDepth, depth), level = worst(byHeight, height);
    EXPECT_LT(alongSurface, kSeam) << "a seam " << depth << " pixels below the surface";
    EXPECT_LT(level, kSeam) << "a seam across the view at row " << height;

    // Streaks: under each steep wall, below where its top layer reaches, the
    // earth's changes across against its changes down, as a share of the
    // same for the earth of the other columns.
    auto fineness = [&](int x0, int x1, int y0, int y1) {
        double across = 0.0, down = 0.0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                across += std::fabs(all.luma(x + 1, y) - all.luma(x, y));
                down += std::fabs(all.luma(x, y + 1) - all.luma(x, y));
            }
        return down > 0.0 ? across / down : 0.0;
    };
    double across = 0.0, down = 0.0;
    for (int x = 0; x + 1 < W; ++x) {
        if (surface[x] < 0 || byWall[x] || byWall[x + 1] || surface[x + 1] < 0) continue;
        for (int y = layer[x] + kRows; y + 1 < std::min(end[x], end[x + 1]); ++y) {
            across += std::fabs(all.luma(x + 1, y) - all.luma(x, y));
            down += std::fabs(all.luma(x, y + 1) - all.luma(x, y));
        }
    }
    ASSERT_GT(down, 0.0);
    const double elsewhere = across / down;
    // Earth stretched down is much finer across than down.
    EXPECT_GT(elsewhere, 1.0 / kStretched) << "the earth is coarser across than down";
    EXPECT_LT(elsewhere, kStretched) << "the earth is finer across than down: stretched into streaks";
    int walls = 0;
    for (int x0 = 0; x0 < W;) {
        if (!byWall[x0]) {
            ++x0;
            continue;
        }
        int x1 = x0;
        while (x1 + 1 < W && byWall[x1 + 1]) ++x1;
        int foot = 0, bottom = H;
        bool earth = true;
        for (int x = x0; x <= x1; ++x) {
            earth = earth && surface[x] >= 0;
            foot = std::max(foot, layer[x]);
            bottom = std::min(bottom, end[x]);
        }
        const int y0 = foot + kRows, y1 = bottom - 1;
        if (earth && x1 - x0 >= 4 && y1 - y0 >= 48) {
            ++walls;
            const double under = fineness(x0, x1, y0, y1);
            EXPECT_LT(under, kStreaks * elsewhere)
                << "streaks under the wall at columns " << x0 << "-" << x1 << ", rows " << y0 << "-" << y1 << ": "
                << under << " against " << elsewhere << " elsewhere";
        }
        x0 = x1 + 1;
    }
    std::printf(
        "%s: %d columns of earth, top layer %d deep; the largest step %.2f along the surface (%d "
        "below it), %.2f level (row %d); %d walls; across against down %.2f\n",
        GetParam().c_str(), columns, topLayer, alongSurface, depth, level, height, walls, elsewhere);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelEarth, testing::ValuesIn(describedLevels(false)),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LevelEarth);
