// The worm drawn by the OpenGL device in an off-screen window (SDL's
// offscreen driver on Mesa) in the content generator's art, crawling both
// ways along its path: its head goes first.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "objects/paths/Worm.h"
#include "world/BezierPath.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t SKY = 0xFF8CC8F0u;
// Four pixels a unit: the 40-unit worm 160 pixels long.
constexpr float CAMERA_Z = -64.0f;

struct Drawn {
    double wormX = 0.0, eyeX = 0.0;
    int worm = 0, eye = 0;
};

// Where the worm's pixels and its eye's (the dark ones) lie across the picture.
Drawn look(const std::vector<uint32_t>& frame) {
    Drawn d;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t c = frame[static_cast<size_t>(y) * W + static_cast<size_t>(x)];
            if (picturetest::difference(c, SKY) <= 40) continue;
            d.wormX += x, ++d.worm;
            if (picturetest::channel(c, 16) + picturetest::channel(c, 8) + picturetest::channel(c, 0) < 150)
                d.eyeX += x, ++d.eye;
        }
    if (d.worm) d.wormX /= d.worm;
    if (d.eye) d.eyeX /= d.eye;
    return d;
}

}  // namespace

TEST(WormPixels, CrawlsHeadFirstBothWays) {
    picturetest::OffscreenWindow window;
    if (!window.open("Worm", W, H)) return;
    leveltest::TestLevel level;
    picturetest::PaintedArt art;
    art.paint(level.resources, {"worm"});
    BezierPath* path = level.straightPath(V3(-100, 100, 0), V3(200, 0, 0));
    auto* worm = level.spawn<Worm>(path->position, level.objectList);
    worm->pPath.set(path);
    worm->pathSpeed = 0.1f;

    // Right along the path, then back to the left from its middle.
    for (int dir : {1, -1}) {
        worm->pathDir = dir;
        level.step(dir > 0 ? 500 : 30);
        window.beginFrame(SKY);
        level.game->camera->resetAt(worm->position.x, worm->position.y, CAMERA_Z);
        level.game->camera->apply();
        worm->renderObject();
        const Drawn d = look(window.readFrame());
        ASSERT_GT(d.worm, 500) << dir;
        ASSERT_GT(d.eye, 0) << dir;
        // The eye lies well toward the end it crawls to.
        EXPECT_GT((d.eyeX - d.wormX) * dir, 40.0) << "crawling " << (dir > 0 ? "right" : "left");
    }
}
