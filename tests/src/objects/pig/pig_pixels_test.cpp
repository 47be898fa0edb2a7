// The pig and a piglet drawn by the OpenGL device in an off-screen window
// (SDL's offscreen driver on Mesa) in the content generator's art: the parts
// that her body animates (eyes, lids, mouth, tail) show where the body puts
// them, and her chef's hat leaves her eyes in view. A part shows when
// drawing it changes pixels of the finished figure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "OffscreenPicture.h"
#include "TestLevel.h"
#include "gfx/Camera.h"
#include "objects/pig/Pig.h"

using leveltest::TestLevel;

namespace {

constexpr int W = 512, H = 384;
constexpr float FLOOR_Y = 100.0f;
// Two pixels a unit: the pig's 100 x 80 body some 200 pixels wide.
constexpr float CAMERA_Z = -128.0f;
constexpr uint32_t BACKGROUND = 0xFF203878u;
// Pixels this far apart (largest channel difference) count as changed.
constexpr int CHANGED = 40;
// With ZUB_PIG_PICTURES=<folder> the pictures are written there to look at.
constexpr const char* kFolder = "ZUB_PIG_PICTURES";

struct Pixel {
    int x, y;
};

// The pixels where two pictures differ.
std::vector<Pixel> changes(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    std::vector<Pixel> out;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const size_t i = static_cast<size_t>(y) * W + static_cast<size_t>(x);
            if (picturetest::difference(a[i], b[i]) > CHANGED) out.push_back({x, y});
        }
    return out;
}

bool isBackground(const std::vector<uint32_t>& picture, const Pixel& p) {
    return picture[static_cast<size_t>(p.y) * W + static_cast<size_t>(p.x)] == BACKGROUND;
}

struct PigPixels : testing::Test {
    void SetUp() override {
        if (!window.open("Pig", W, H)) return;
        art.paint(level.resources,
                  {"pig-body", "pig-tail", "pig-eyes", "pig-blink", "pig-mouth", "piglets", "chefHat"});
        level.floor(-2000.0f, 2000.0f, FLOOR_Y);
    }
    void TearDown() override { window.close(); }

    // The hero standing at rest on the floor, facing right.
    Pig* standingPig() {
        Pig* pig = level.spawnHero(V3(0.0f, FLOOR_Y + 1.0f, 0.0f));
        EXPECT_TRUE(level.stepUntil([&] { return pig->getGround() != nullptr; }, 100));
        level.step(2);
        return pig;
    }
    // Her eyes and lids held still: no look or blink comes before the
    // test's own.
    static void holdEyes(PigBody* body) { body->nextLook = body->nextBlink = 1e9; }

    // The body drawn with the camera on its position.
    std::vector<uint32_t> draw(PigBody* body, const std::string& name) {
        window.beginFrame(BACKGROUND);
        level.game->camera->resetAt(body->position.x, body->position.y, CAMERA_Z);
        level.game->camera->apply();
        body->renderObject();
        std::vector<uint32_t> frame = window.readFrame();
        picturetest::keepInFolder(kFolder, name + ".png", frame, W, H);
        return frame;
    }
    // The pixels that drawing the part changes in the finished body.
    std::vector<Pixel> shownBy(PigBody* body, Renderable* part, const std::string& name) {
        const std::vector<uint32_t> with = draw(body, name);
        part->bHidden = 1;
        const std::vector<uint32_t> without = draw(body, name + "-without");
        part->bHidden = 0;
        return changes(with, without);
    }
    // The pixels of the dark inside of her open mouth.
    int insideOfMouth(Pig* pig, const std::string& name) {
        const std::vector<uint32_t> with = draw(pig, name);
        int n = 0;
        for (const Pixel& p : shownBy(pig, pig->mouth.get(), name)) {
            const uint32_t c = with[static_cast<size_t>(p.y) * W + static_cast<size_t>(p.x)];
            const int r = picturetest::channel(c, 16), g = picturetest::channel(c, 8), b = picturetest::channel(c, 0);
            n += r > 60 && r < 170 && g < 50 && b < 70;
        }
        return n;
    }

    picturetest::OffscreenWindow window;
    TestLevel level;
    picturetest::PaintedArt art;
};

TEST_F(PigPixels, StandingStillSheLooksAroundAndBlinksAndHerTailShowsAtHerBack) {
    if (!window.graphics) return;
    Pig* pig = standingPig();
    // Five seconds of rest, seen every half second.
    std::set<std::vector<uint32_t>> seen;
    for (int i = 0; i <= 10; ++i) {
        seen.insert(draw(pig, "rest-" + std::to_string(i)));
        level.step(50);
    }
    EXPECT_GE(seen.size(), 3u) << "the idle pig looks the same all the time";

    // Her tail lies behind her, partly outside the body's outline, in
    // either facing.
    for (int facing : {1, -1}) {
        pig->facing = facing;
        level.step();
        std::vector<Renderable*> parts = {pig->eyes.get(), pig->blink.get(), pig->mouth.get(),
                                          pig->head.get(), pig->tail.get(),  pig->hat.get()};
        for (const auto& leg : pig->legs) parts.push_back(leg.get());
        for (Renderable* part : parts) part->bHidden = 1;
        const std::vector<uint32_t> bodyAlone = draw(pig, "body-alone");
        for (Renderable* part : parts) part->bHidden = 0;

        const std::vector<Pixel> tail = shownBy(pig, pig->tail.get(), "tail");
        int behind = 0, outside = 0;
        for (const Pixel& p : tail) {
            behind += (p.x - W / 2) * facing < 0;
            outside += isBackground(bodyAlone, p);
        }
        EXPECT_GT(tail.size(), 60u) << "facing " << facing;
        EXPECT_EQ(behind, static_cast<int>(tail.size())) << "facing " << facing;
        EXPECT_GT(outside, 40) << "facing " << facing;
    }
}

TEST_F(PigPixels, HerEyesShowAndHerLidsCloseThem) {
    if (!window.graphics) return;
    Pig* pig = standingPig();
    PigBody* piglet = new PigBody();
    level.role->registerObject(piglet, 0);
    level.pigletList->addChild(piglet);
    piglet->construct();
    piglet->setPigletCount(2);
    piglet->physPoint.setPositionAndStop(0.0f, FLOOR_Y + 1.0f, 0.0f);

    for (PigBody* body : {static_cast<PigBody*>(pig), piglet}) {
        const std::string name = body == pig ? "pig" : "piglet";
        holdEyes(body);
        body->updateParts(level.time, TestLevel::DT);
        // At 0.6 of her size a piglet's eyes cover a third as many pixels.
        const size_t least = body == pig ? 150u : 50u;
        const std::vector<Pixel> open = shownBy(body, body->eyes.get(), name + "-eyes-open");
        EXPECT_GT(open.size(), least) << name;

        // They look from one side to the other.
        body->eyeLook.setImmediate(1.0f);
        body->updateParts(level.time, TestLevel::DT);
        const std::vector<uint32_t> looking = draw(body, name + "-looking");
        body->eyeLook.setImmediate(0.0f);
        body->updateParts(level.time, TestLevel::DT);
        EXPECT_GT(changes(looking, draw(body, name + "-looking-back")).size(), least / 5) << name;

        // Shut lids hide them.
        body->blinkValue.setImmediate(1.0f);
        body->updateParts(level.time, TestLevel::DT);
        EXPECT_LT(shownBy(body, body->eyes.get(), name + "-eyes-shut").size(), least / 10) << name;
        body->blinkValue.setImmediate(0.0f);
    }
}

TEST_F(PigPixels, HerMouthOpensWhenSheSlurpsAndWhenSheFaints) {
    if (!window.graphics) return;
    Pig* pig = standingPig();
    holdEyes(pig);
    level.step();
    const std::vector<uint32_t> shut = draw(pig, "mouth-shut");
    EXPECT_GT(shownBy(pig, pig->mouth.get(), "mouth-shut").size(), 20u);
    EXPECT_EQ(insideOfMouth(pig, "mouth-shut"), 0);

    pig->slurpPose();
    level.step(60);  // the mouth opens over two thirds of a second
    const std::vector<uint32_t> open = draw(pig, "mouth-open");
    const std::vector<Pixel> opened = changes(shut, open);
    EXPECT_GT(opened.size(), 40u);
    // What changed is the mouth: it lies in front of her middle.
    EXPECT_EQ(std::count_if(opened.begin(), opened.end(), [](const Pixel& p) { return p.x <= W / 2; }), 0);
    EXPECT_GT(insideOfMouth(pig, "mouth-open"), 40);

    // Fainted she lies on her back, eyes shut and mouth open.
    pig->faintPose();
    level.step(100);
    EXPECT_GT(insideOfMouth(pig, "fainted"), 40);
    EXPECT_LT(shownBy(pig, pig->eyes.get(), "fainted-eyes").size(), 15u);
}

TEST_F(PigPixels, HerChefsHatSitsOnHerHeadAboveHerEyes) {
    if (!window.graphics) return;
    level.levelNumber = 31;  // the level on which she wears it
    Pig* pig = standingPig();
    holdEyes(pig);
    level.step();
    ASSERT_NE(pig->hat->pSkin, nullptr);
    const std::vector<Pixel> hat = shownBy(pig, pig->hat.get(), "hat");
    const std::vector<Pixel> eyes = shownBy(pig, pig->eyes.get(), "hat-eyes");
    pig->hat->bHidden = 1;
    const std::vector<Pixel> bareEyes = shownBy(pig, pig->eyes.get(), "bare-eyes");
    pig->hat->bHidden = 0;
    EXPECT_GT(hat.size(), 400u);
    ASSERT_GT(bareEyes.size(), 150u);
    EXPECT_EQ(eyes.size(), bareEyes.size()) << "the hat covers her eyes";
    // Rows from the top: the hat's lowest pixel above the eyes' highest.
    int hatBottom = 0, eyesTop = H;
    for (const Pixel& p : hat) hatBottom = std::max(hatBottom, p.y);
    for (const Pixel& p : eyes) eyesTop = std::min(eyesTop, p.y);
    EXPECT_LT(hatBottom, eyesTop);
}

}  // namespace
