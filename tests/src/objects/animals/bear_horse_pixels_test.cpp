// The bear and the horse drawn part by part by the OpenGL device in an
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
#include "objects/animals/Horse.h"
#include "objects/apples/Apple.h"
#include "world/BezierPath.h"

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

// An apple that lies where the test puts it, loose.
struct StillApple : Apple {
    StillApple() { bHanging = 0; }
    void tick(double, double) override {}
};

}  // namespace

TEST(BearPixels, AWalkingBearSwingsItsLegsBelowItsBodyAndCarriesItsHeadInFront) {
    picturetest::OffscreenWindow window;
    if (!window.open("Bear", W, H)) return;
    leveltest::TestLevel level;
    picturetest::PaintedArt art;
    art.paint(level.resources, {"bear"});
    // A straight path along the ground at y 100, its point moving evenly.
    BezierPath* path = level.straightPath(V3(-300, 100, 0), V3(600, 0, 0));
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

TEST(HorsePixels, ItsHeadSitsOnItsNeckLookingAheadOrTurnedBackToAnApple) {
    picturetest::OffscreenWindow window;
    if (!window.open("Horse", W, H)) return;
    leveltest::TestLevel level;
    picturetest::PaintedArt art;
    art.paint(level.resources, {"horse-body", "horse-head", "horse-lick"});
    level.floor(-2000, 2000, 100);
    // Standing on the floor, as the levels place it.
    auto* horse = level.spawn<Horse>(V3(0, 164, 0), level.objectList);
    level.step(5);
    ASSERT_EQ(horse->state, Horse::IDLE);

    // At rest it looks ahead; an apple behind it turns its head back, one
    // ahead of it turns it forward again (both out of its reach).
    struct Pose {
        float appleX;  // 0: none
        float look;
    };
    StillApple* apple = nullptr;
    for (const Pose pose : {Pose{0.0f, 1.0f}, Pose{-250.0f, -1.0f}, Pose{250.0f, 1.0f}}) {
        if (pose.appleX != 0.0f) {
            if (apple) apple->bToBeDestroyed = 1;
            apple = level.spawn<StillApple>(V3(pose.appleX, 116, 0), level.appleList);
            level.step(5);
            ASSERT_EQ(horse->state, Horse::ALERT) << pose.appleX;
        }
        ASSERT_EQ(horse->head->scale.x, pose.look) << pose.appleX;
        const V3 at = horse->position + V3(20, 0, 0);
        const Mask body = drawn(level, window, at, [&] {
            horse->head->bHidden = horse->lick->bHidden = 1;
            horse->renderObject();
            horse->head->bHidden = horse->lick->bHidden = 0;
        });
        const Mask head = drawn(level, window, at, [&] { horse->head->render(); });
        ASSERT_GT(body.count, 0);
        ASSERT_GT(head.count, 0);
        // The top of the body (its neck) lies under the head: the head
        // joins the body there.
        int top = 0, covered = 0, topX = 0;
        for (int y = body.top; y <= body.top + 3; ++y)
            for (int x = 0; x < W; ++x)
                if (body.at(x, y)) {
                    ++top;
                    covered += head.at(x, y);
                    topX += x;
                }
        EXPECT_GE(covered, top * 9 / 10) << "apple at " << pose.appleX;
        // From there it reaches out the way it looks.
        topX /= std::max(top, 1);
        if (pose.look > 0.0f) EXPECT_GT(head.right - topX, 25 * PX) << "apple at " << pose.appleX;
        else EXPECT_GT(topX - head.left, 25 * PX) << "apple at " << pose.appleX;
    }
}
