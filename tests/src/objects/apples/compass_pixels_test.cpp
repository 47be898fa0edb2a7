// The compass's needle drawn by the OpenGL device in an off-screen window
// (SDL's offscreen driver on Mesa) in the content generator's art: the
// coloured tip lies on the side of what it points at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Compass.h"

using leveltest::TestLevel;

namespace {

constexpr int W = 512, H = 384;
constexpr float FLOOR_Y = 100.0f;
// Four times the reference scale: the 40-unit needle some 150 pixels long.
constexpr float CAMERA_Z = -128.0f;

// Where the needle's red tip lies from the middle of all it draws, as an
// angle from +x (y up), or NAN when nothing red was drawn.
float tipDirection(const std::vector<uint32_t>& frame) {
    double sx = 0, sy = 0, rx = 0, ry = 0;
    int all = 0, red = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t c = frame[static_cast<size_t>(y) * W + static_cast<size_t>(x)];
            const int r = picturetest::channel(c, 16), g = picturetest::channel(c, 8), b = picturetest::channel(c, 0);
            if (r + g + b < 30) continue;  // the background
            sx += x, sy += y, ++all;
            if (r > 150 && g < 90 && b < 90) rx += x, ry += y, ++red;
        }
    if (red == 0) return NAN;
    return static_cast<float>(std::atan2(-(ry / red - sy / all), rx / red - sx / all));
}

TEST(CompassPixels, TheNeedlesTipLiesOnTheSideOfItsTarget) {
    picturetest::OffscreenWindow window;
    if (!window.open("Compass", W, H)) return;
    TestLevel level;
    picturetest::PaintedArt art;
    art.paint(level.resources, {"compass"});
    level.floor(-2000.0f, 2000.0f, FLOOR_Y);
    Compass* compass = level.spawn<Compass>(V3(0.0f, FLOOR_Y + 21.0f, 0.0f), level.cargoList);
    compass->bInView = 1;
    level.step(10);

    Apple* apple = nullptr;
    for (float angle : {0.0f, -0.5f * kPi, kPi, 0.75f * kPi}) {
        if (apple) apple->bToBeDestroyed = 1;
        const V3 target = compass->position + V3(std::cos(angle), std::sin(angle), 0.0f) * 500.0f;
        apple = level.spawn<Apple>(target, level.appleList);
        apple->bHanging = true;
        level.step(2);  // the apples tick after the compass
        ASSERT_FALSE(compass->needle->bHidden);
        const float expected =
            std::atan2(apple->position.y - compass->position.y, apple->position.x - compass->position.x);

        window.beginFrame(0xFF000000u);
        level.game->camera->resetAt(compass->position.x, compass->position.y, CAMERA_Z);
        level.game->camera->apply();
        compass->needle->render();
        const float drawn = tipDirection(window.readFrame());
        ASSERT_FALSE(std::isnan(drawn)) << "no tip drawn";
        // The difference of the two angles, folded into [0, pi].
        const float off = std::fabs(std::remainder(drawn - expected, 2.0f * kPi));
        EXPECT_LT(off, 0.15f) << "target at " << expected << " rad, tip drawn at " << drawn << " rad";
    }
}

}  // namespace
