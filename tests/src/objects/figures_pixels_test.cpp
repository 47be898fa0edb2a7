// Figures made of parts drawn by the OpenGL device in an off-screen window
// (SDL's offscreen driver on Mesa) in the content generator's art: each part
// shows where its owner puts it, and the parts that animate visibly move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "objects/animals/Bee.h"
#include "objects/animals/Frog.h"
#include "objects/animals/Snail.h"
#include "objects/apples/Apple.h"
#include "objects/hints/Telescope.h"
#include "objects/machines/Drawbridge.h"
#include "objects/machines/Rotator.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Vegetation.h"
#include "objects/triggers/House.h"
#include "world/BezierPath.h"
#include "world/Hull.h"
#include "world/HullSegment.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t kBackground = 0xFF000000u;
constexpr float FLOOR_Y = 100.0f;

// A view of the level centred on a point, `zoom` pixels to the unit.
struct View {
    float x, y, zoom;
    // The pixel of a world point (rows top-down).
    int px(float wx) const { return static_cast<int>(std::lround(W / 2 + (wx - x) * zoom)); }
    int py(float wy) const { return static_cast<int>(std::lround(H / 2 - (wy - y) * zoom)); }
};

struct Figures : leveltest::TestLevel {
    Figures() { floor(-3000, 3000, FLOOR_Y); }

    // Draws what `draw` draws on black, seen through the view.
    std::vector<uint32_t> picture(const View& v, const std::function<void()>& draw) {
        window.beginFrame(kBackground);
        game->camera->resetAt(v.x, v.y, -W / (2.0f * v.zoom));
        game->camera->apply();
        draw();
        return window.readFrame();
    }
    static uint32_t at(const std::vector<uint32_t>& frame, int x, int y) {
        if (x < 0 || y < 0 || x >= W || y >= H) return kBackground;
        return frame[static_cast<size_t>(y) * W + static_cast<size_t>(x)];
    }

    picturetest::OffscreenWindow window;
    picturetest::PaintedArt art;
};

bool drawn(uint32_t c) { return picturetest::difference(c, kBackground) > 24; }

// The house draws its door first and itself over it: the closed door shows
// in the doorway, and the doorway changes when it opens.
TEST(FiguresPixels, TheHousesDoorShowsInItsDoorwayWhileItIsClosed) {
    Figures level;
    if (!level.window.open("House", W, H)) return;
    level.art.paint(level.resources, {"house"});
    House* house = level.spawnHouse(V3(0.0f, FLOOR_Y + 42.0f, 0.0f));
    Pig* hero = level.spawnHero(V3(-800.0f, FLOOR_Y + 40.0f, 0.0f));
    level.step(2);
    ASSERT_TRUE(house->door->bHidden);
    const View view{house->position.x, house->position.y, 1.0f};
    const auto draw = [&] { house->renderObject(); };
    const std::vector<uint32_t> open = level.picture(view, draw);

    // She comes home; with no piglet to wait for, the door closes.
    level.placeHero(hero, house->position + V3(0.0f, -2.0f, 0.0f));
    ASSERT_TRUE(level.stepUntil([&] { return !house->door->bHidden; }, 50));
    const std::vector<uint32_t> closed = level.picture(view, draw);

    // The doorway: the door's own rectangle, its edges left out.
    const Skin* door = house->door->pSkin;
    ASSERT_NE(door, nullptr);
    const V3 centre = house->position - door->origin;
    int changed = 0, all = 0;
    for (float dy = -door->height / 2 + 6; dy <= door->height / 2 - 6; dy += 2)
        for (float dx = -door->width / 2 + 6; dx <= door->width / 2 - 6; dx += 2) {
            const int x = view.px(centre.x + dx), y = view.py(centre.y + dy);
            ++all;
            if (picturetest::difference(Figures::at(open, x, y), Figures::at(closed, x, y)) > 40) ++changed;
        }
    EXPECT_GT(changed, all * 3 / 4) << changed << " of " << all << " doorway pixels change as the door closes";
}

// The telescope's tube turns on the top of its stand: the stand reaches up
// to the tube's pivot and no higher.
TEST(FiguresPixels, TheTelescopesTubeTurnsOnTheTopOfItsStand) {
    Figures level;
    if (!level.window.open("Telescope", W, H)) return;
    level.art.paint(level.resources, {"telescope"});
    auto* telescope = level.spawn<Telescope>(V3(0.0f, FLOOR_Y + 48.0f, 0.0f), level.objectList);
    telescope->lookAt = V3(1000.0f, telescope->position.y, -512.0f);
    telescope->netPostReplicate();
    const View view{telescope->position.x, telescope->position.y, 2.0f};
    const std::vector<uint32_t> stand = level.picture(view, [&] { telescope->A99Object::renderObject(); });
    const std::vector<uint32_t> tube = level.picture(view, [&] { telescope->head->render(); });

    // The stand's highest pixel, and the tube's top and bottom at the pivot.
    int standTop = H;
    for (int y = 0; y < H && standTop == H; ++y)
        for (int x = 0; x < W; ++x)
            if (drawn(Figures::at(stand, x, y))) {
                standTop = y;
                break;
            }
    const int pivotX = view.px(telescope->position.x), pivotY = view.py(telescope->position.y);
    int tubeTop = pivotY, tubeBottom = pivotY;
    while (drawn(Figures::at(tube, pivotX, tubeTop - 1))) --tubeTop;
    while (drawn(Figures::at(tube, pivotX, tubeBottom + 1))) ++tubeBottom;
    ASSERT_LT(tubeTop, tubeBottom) << "no tube drawn at the pivot";
    EXPECT_GE(standTop, pivotY - 4) << "the stand rises " << (pivotY - standTop) / 2 << " units above the pivot";
    EXPECT_LE(standTop, tubeBottom) << "the stand stops short of the tube";
}

// The frog's tongue leaves its head where its mouth is: the open mouth lies
// around the tongue's root, on both sides of it.
TEST(FiguresPixels, TheFrogsTongueComesOutOfItsOpenMouth) {
    Figures level;
    if (!level.window.open("Frog", W, H)) return;
    level.art.paint(level.resources, {"frog"});
    Frog* frog = level.spawn<Frog>(V3(0.0f, FLOOR_Y + 32.0f, 0.0f), level.objectList);
    level.spawn<Apple>(V3(150.0f, FLOOR_Y + 16.0f, 0.0f), level.appleList)->bHanging = 0;
    ASSERT_TRUE(level.stepUntil([&] { return frog->state == Frog::ATTACK && frog->tongueAmount > 0.5f; }, 200));
    const View view{frog->position.x, frog->position.y, 2.0f};
    const std::vector<uint32_t> frame = level.picture(view, [&] { frog->renderObject(); });

    // The tongue points at the apple, about along +x; across it, just above
    // and below its root, the mouth's dark red.
    const auto mouth = [](uint32_t c) {
        const int r = picturetest::channel(c, 16), g = picturetest::channel(c, 8), b = picturetest::channel(c, 0);
        return r > 90 && r < 170 && g < 60 && b < 80;
    };
    const int x = view.px(frog->position.x - 3.0f);
    for (float dy : {5.0f, -5.0f}) {
        const uint32_t c = Figures::at(frame, x, view.py(frog->position.y + dy));
        EXPECT_TRUE(mouth(c)) << std::hex << "0x" << c << " " << std::dec << dy << " units across the tongue's root";
    }
}

// The snail's crawl frames move its head to and fro along its foot.
TEST(FiguresPixels, TheSnailsHeadMovesAsItCrawls) {
    Figures level;
    if (!level.window.open("Snail", W, H)) return;
    level.art.paint(level.resources, {"snail"});
    auto* snail = level.spawn<Snail>(V3(), level.objectList);
    snail->pPath.set(level.straightPath(V3(-400.0f, FLOOR_Y + 24.0f, 0.0f), V3(800.0f, 0.0f, 0.0f)));
    snail->pathAlpha = 0.5f;
    snail->pathSpeed = 0.05f;  // 40 units a second: a crawl cycle a second
    level.step();

    // Where its eye (the rightmost black) lies from the snail, over a cycle.
    float nearest = 1e9f, farthest = -1e9f;
    for (int i = 0; i < 10; ++i) {
        level.step(10);
        const View view{snail->position.x, snail->position.y, 2.0f};
        const std::vector<uint32_t> frame = level.picture(view, [&] { snail->renderObject(); });
        int eye = -1;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t c = Figures::at(frame, x, y);
                if (drawn(c) && picturetest::channel(c, 16) < 60 && picturetest::channel(c, 8) < 60)
                    eye = std::max(eye, x);
            }
        ASSERT_GE(eye, 0) << "no eye drawn";
        const float ahead = (static_cast<float>(eye) - W / 2) / view.zoom;
        nearest = std::min(nearest, ahead);
        farthest = std::max(farthest, ahead);
    }
    EXPECT_GE(farthest - nearest, 4.0f) << "its eye stays between " << nearest << " and " << farthest
                                        << " units ahead of it";
}

// The bee's wings beat: over a beat they rise and fall on its back.
TEST(FiguresPixels, TheBeesWingsRiseAndFallAsTheyBeat) {
    Figures level;
    if (!level.window.open("Bee", W, H)) return;
    level.art.paint(level.resources, {"bee"});
    auto* bee = level.spawn<Bee>(V3(), level.objectList);
    bee->pPath.set(level.straightPath(V3(-400.0f, FLOOR_Y + 100.0f, 0.0f), V3(800.0f, 0.0f, 0.0f)));
    bee->pathAlpha = 0.5f;
    bee->pathSpeed = 0.0f;
    level.step();

    // The middle height of the wings' pale pixels (translucent white on
    // black; the eyes are whiter) over a quarter of a second (a beat).
    float lowest = 1e9f, highest = -1e9f;
    for (int i = 0; i < 25; ++i) {
        level.step();
        const View view{bee->position.x, bee->position.y, 4.0f};
        const std::vector<uint32_t> frame = level.picture(view, [&] { bee->renderObject(); });
        double sum = 0;
        int n = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t c = Figures::at(frame, x, y);
                const auto pale = [&](int shift) {
                    return picturetest::channel(c, shift) > 150 && picturetest::channel(c, shift) < 235;
                };
                if (pale(16) && pale(8) && pale(0)) sum += y, ++n;
            }
        ASSERT_GT(n, 0) << "no wings drawn";
        const float height = (H / 2 - static_cast<float>(sum / n)) / view.zoom;
        lowest = std::min(lowest, height);
        highest = std::max(highest, height);
    }
    EXPECT_GE(highest - lowest, 4.0f) << "its wings stay between " << lowest << " and " << highest << " units above it";
}

// Of the points at local x (in the object's frame) along the line at local
// height y, how many are drawn.
int drawnAlong(const std::vector<uint32_t>& frame, const View& view, A99Object* o, float x0, float x1, float y) {
    int n = 0;
    for (float x = x0; x <= x1; x += 4.0f) {
        V3 w;
        o->localToWorld(w, V3(x, y, 0.0f));
        if (drawn(Figures::at(frame, view.px(w.x), view.py(w.y)))) ++n;
    }
    return n;
}
int pointsAlong(float x0, float x1) { return static_cast<int>((x1 - x0) / 4.0f) + 1; }

// The lowered drawbridge's deck lies under the line she walks on: drawn
// just below it all along, nothing of it just above (but the post its chain
// hangs from, near the tip).
TEST(FiguresPixels, TheDrawbridgesDeckLiesUnderItsWalkingLine) {
    Figures level;
    if (!level.window.open("Drawbridge", W, H)) return;
    level.art.paint(level.resources, {"drawbridge"});
    auto* bridge = level.spawn<Drawbridge>(V3(0.0f, FLOOR_Y + 200.0f, 0.0f), level.objectList);
    bridge->bLowered = 1;
    ASSERT_TRUE(level.stepUntil([&] { return bridge->progress >= 1.0f; }, 200));
    const View view{bridge->position.x, bridge->position.y, 1.0f};
    const std::vector<uint32_t> deck = level.picture(view, [&] { bridge->A99Object::renderObject(); });

    const float end = Drawbridge::HULL_HALF_LENGTH - 4.0f, post = Drawbridge::CHAIN_TIP_X;
    EXPECT_EQ(drawnAlong(deck, view, bridge, -end, end, -3.0f), pointsAlong(-end, end)) << "3 units under the line";
    EXPECT_EQ(drawnAlong(deck, view, bridge, -end, post - 8.0f, 3.0f), 0) << "3 units over the line";
    EXPECT_EQ(drawnAlong(deck, view, bridge, post + 8.0f, end, 3.0f), 0) << "3 units over the line";
}

// A plank swung by a rotator from one end lies along its hull, which runs
// from beside the pivot to one side: drawn just under the hull all along,
// and nothing on the pivot's other side or over the hull, at either end
// angle.
TEST(FiguresPixels, ARotatorsPlankLiesAlongItsHull) {
    Figures level;
    if (!level.window.open("Rotator", W, H)) return;
    level.art.paint(level.resources, {"drawbridge"});
    struct Plank {
        const char16_t* skin;
        const char* name;
        float from, to, scale;
    };
    for (const Plank& p : {Plank{u"drawbridge:4", "drawbridge:4", 0.0f, 360.0f, 1.0f},
                           Plank{u"drawbridge:5", "drawbridge:5", -357.0f, 25.0f, 1.4f}}) {
        auto* plank = level.spawn<Rotator>(V3(0.0f, FLOOR_Y + 300.0f, 0.0f), level.objectList);
        plank->setSkin(level.resources.findAs<Skin>(p.skin, false));
        ASSERT_NE(plank->pSkin, nullptr) << "no frame " << p.name;
        plank->scale = V3(p.scale, 1.0f, 1.0f);
        plank->angle1 = 0.0f;
        plank->angle2 = 0.55f;
        plank->local_createHull();
        plank->getHull()->addHullPoint(p.from, 0.0f, 0.0f, true);
        plank->getHull()->addHullPoint(p.to, 0.0f, 0.0f, true);
        plank->netPostReplicate();
        for (float alpha : {0.0f, 1.0f}) {
            plank->rotatorAlpha = alpha;
            plank->netPostReplicate();
            const View view{plank->position.x, plank->position.y, 0.5f};
            const std::vector<uint32_t> frame = level.picture(view, [&] { plank->renderObject(); });
            const HullSegment* s = plank->getHull()->getSegment(0);
            ASSERT_NE(s, nullptr);
            const float a = std::min(s->start.x, s->start.x + s->dV.x) + 6.0f;
            const float b = std::max(s->start.x, s->start.x + s->dV.x) - 6.0f;
            const std::string at = std::string(p.name) + " at alpha " + std::to_string(alpha);
            EXPECT_EQ(drawnAlong(frame, view, plank, a, b, -4.0f), pointsAlong(a, b)) << at << ": under the hull";
            EXPECT_EQ(drawnAlong(frame, view, plank, a, b, 6.0f), 0) << at << ": over the hull";
            const float beyond = p.from < 0.0f ? b + 16.0f : a - 204.0f;
            EXPECT_EQ(drawnAlong(frame, view, plank, beyond, beyond + 188.0f, -4.0f), 0)
                << at << ": beyond its hull's " << (p.from < 0.0f ? "right" : "left") << " end";
        }
    }
}

// The tall stump a springboard stands on reaches up to the ground on its
// top, 112 units over its foot (the stump drawn 1.75 times its height): its
// cut surface lies around that line and nothing of it rises far above.
TEST(FiguresPixels, TheSpringboardsStumpReachesItsTop) {
    Figures level;
    if (!level.window.open("Stump", W, H)) return;
    level.art.paint(level.resources, {"treestumps"});
    Quad* tall = level.resources.findAs<Quad>(u"treestumps:3", false);
    ASSERT_NE(tall, nullptr) << "no frame treestumps:3";
    auto* stump = level.spawn<Vegetation>(V3(), level.objectList);
    stump->construct(tall);
    stump->scale = V3(1.1f, 1.75f, 1.0f);
    stump->setPosition(0.0f, FLOOR_Y, 0.0f);
    const float top = FLOOR_Y + 112.0f;
    const View view{0.0f, top, 2.0f};
    const std::vector<uint32_t> frame = level.picture(view, [&] { stump->renderObject(); });

    // Its highest drawn pixel over the centre and over a third of its width
    // on either side.
    for (float x : {-30.0f, 0.0f, 30.0f}) {
        int highest = H;
        for (int y = 0; y < H && highest == H; ++y)
            if (drawn(Figures::at(frame, view.px(x), y))) highest = y;
        const float reach = (H / 2 - static_cast<float>(highest)) / view.zoom;
        EXPECT_GE(reach, 0.0f) << "at " << x << " its top lies " << -reach << " units under the ground on it";
        EXPECT_LE(reach, 16.0f) << "at " << x << " it rises " << reach << " units over the ground on it";
    }
}

}  // namespace
