// The bear drawn part by part by the OpenGL device in an
// off-screen window (SDL's offscreen driver on Mesa) in the content
// generator's art, run by real ticks: where each part shows against the body
// the code stands it on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "objects/animals/Bear.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t SKY = 0xFF8CC8F0u;
// Two pixels a unit.
constexpr float CAMERA_Z = -128.0f;
constexpr float PX = 2.0f;

// The pixels a drawing covers (those that differ from the sky).
struct Mask {
    std::vector<bool> on = std::vector<bool>(static_cast<size_t>(W) * H);
    int count = 0, left = W, right = -1, top = H, bottom = -1;
    double sumX = 0.0;

    bool at(int x, int y) const { return on[static_cast<size_t>(y) * W + static_cast<size_t>(x)]; }
    double centreX() const { return count ? sumX / count : 0.0; }
};

// Draws with the camera at `at` and keeps what was drawn.
Mask drawn(leveltest::TestLevel& level, picturetest::OffscreenWindow& window, const V3& at,
           const std::function<void()>& draw) {
    window.beginFrame(SKY);
    level.game->camera->resetAt(at.x, at.y, CAMERA_Z);
    level.game->camera->apply();
    draw();
    const std::vector<uint32_t> frame = window.readFrame();
    Mask m;
    if (frame.size() != m.on.size()) return m;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (picturetest::difference(frame[static_cast<size_t>(y) * W + static_cast<size_t>(x)], SKY) <= 40)
                continue;
            m.on[static_cast<size_t>(y) * W + static_cast<size_t>(x)] = true;
            ++m.count;
            m.sumX += x;
            m.left = std::min(m.left, x);
            m.right = std::max(m.right, x);
            m.top = std::min(m.top, y);
            m.bottom = std::max(m.bottom, y);
        }
    return m;
}

}  // namespace

TEST(BearPixels, AWalkingBearSwingsItsLegsBelowItsBodyAndCarriesItsHeadInFront) {
    picturetest::OffscreenWindow window;
    if (!window.open("Bear", W, H)) return;
    leveltest::TestLevel level;
    picturetest::PaintedArt art;
    art.paint(level.resources, {"bear"});
    // A straight path along the ground at y 100, its point moving evenly.
    auto* path = level.spawn<BezierPath>(V3(-300, 100, 0), level.objectList);
    path->addPoint(0, 0, 0);
    path->addPoint(600, 0, 0);
    for (BezierVertex* v : childrenOf<BezierVertex>(path->vertices)) {
        v->tangent = V3(200, 0, 0);
        v->notifyReferrers();
    }
    path->onEdited();
    auto* bear = level.spawn<Bear>(path->position, level.objectList);
    bear->pPath.set(path);
    bear->pathSpeed = 0.05f;  // 30 units a second, walking right
    bear->bInView = 1;
    level.step(20);

    auto body = [&] {
        for (Renderable& part : bear->parts) part.bHidden = 1;
        bear->renderObject();
        for (Renderable& part : bear->parts) part.bHidden = 0;
    };
    auto legs = [&] {
        for (int i = 0; i < 4; ++i) bear->parts[i].render();
    };
    std::vector<Mask> strides;
    for (int look = 0; look < 2; ++look) {
        const Mask b = drawn(level, window, bear->position, body);
        const Mask l = drawn(level, window, bear->position, legs);
        const Mask head = drawn(level, window, bear->position, [&] { bear->parts[4].render(); });
        ASSERT_GT(b.count, 0);
        // The legs reach down from under the body to the path, 45 below the
        // body's origin: a good part of each of four shows below the body.
        int below = 0;
        for (int y = b.bottom + 1; y < H; ++y)
            for (int x = 0; x < W; ++x) below += l.at(x, y);
        EXPECT_GT(below, 4 * 100) << "look " << look;
        EXPECT_GE(l.bottom, b.bottom + static_cast<int>(15 * PX)) << "look " << look;
        // The head sits at the front (its right, walking right), not on the middle of its body.
        EXPECT_GT(head.centreX() - b.centreX(), 40 * PX) << "look " << look;
        Mask low = l;
        for (int y = 0; y <= b.bottom; ++y)
            for (int x = 0; x < W; ++x) low.on[static_cast<size_t>(y) * W + static_cast<size_t>(x)] = false;
        strides.push_back(low);
        level.step(50);  // 15 units on: a quarter of a stride
    }
    // Between the two the legs below the body have swung.
    int moved = 0;
    for (size_t i = 0; i < strides[0].on.size(); ++i) moved += strides[0].on[i] != strides[1].on[i];
    EXPECT_GT(moved, 200);
}
