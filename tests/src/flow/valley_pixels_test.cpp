// The valley map as a player sees it, drawn by the real OpenGL device
// off-screen (the generator's placeholder pictures, the game's fonts) and
// compared with a stored picture within a tolerance: a profile ten levels
// in, the road drawn to the current level, the markers with their ratings
// and titles, the pointer resting on a finished level with its bubble open.
// After a wanted change of the look, write the picture again and look at it
// before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_flow_tests --gtest_filter='ValleyPixels.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "OffscreenPicture.h"
#include "TextContrast.h"
#include "ValleyHarness.h"
#include "flow/ContextRecipe.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gui/ScreenOverlays.h"
#include "object/ResourceLookup.h"
#include "project_zub/gfx/gfx_test_support.h"
#include "records/FormatHelpers.h"
#include "src/flow/ten_levels_done.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

namespace {

struct ValleyPixels : gfxtest::GLTest {
    valleytest::ValleyHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    picturetest::PaintedArt painted;
    void TearDown() override {
        while (ZubBase* c = h.menus.stack->firstChild) deleteObject(c);
        painted.clear();
        GLTest::TearDown();
    }
};

// Ten levels done, the last of them perfect and the seventh a new best
// score.
void seedTenLevels(ProfileData& p) {
    profileseed::tenLevelsDone(p);
    LevelResult& last = p.levels[9];
    last.applesGathered = 10;
    last.sweetsGathered = 5;
    last.secretsFound = last.secrets;
    last.livesLost = 0;
    last.time = 30.0;
    last.computeScore();
    for (int32_t i = 0; i < 10; ++i) p.levels[i].newRecord[LevelResult::RECORD_POINTS] = i == 6;
    p.total.reset();
    for (const LevelResult& r : p.levels) p.total.accumulate(r);
}

TEST_F(ValleyPixels, TheMapTenLevelsInLooksAsStored) {
    // The generator's pictures instead of the harness's blank ones.
    painted.paint(h.menus.resources,
                  {"valley", "valleyDot", "valleyIcons", "valleyArrow", "valleyDashedLine", "gui-game-hud",
                   "gui-game-button", "gui-game-speechBubble", "mousePointer", "glint"},
                  Texture::FLAG_KEEP_SOURCE);
    gui::installScreenOverlays(*h.menus.stack);
    seedTenLevels(h.profile());
    h.menus.drawEveryFrame = false;
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);
    // The road runs out to the current level and the map scrolls to it.
    h.step(400);
    ASSERT_TRUE(v->pathReach.isDone());
    ValleyIcon* rested = v->icon(7);
    const V3 at = v->camera->worldToScreen(rested->position);
    h.menus.moveMouse(at.x, at.y);
    h.step(2);
    ASSERT_FALSE(v->pStatsBubble->bHidden);

    beginFrame(0xFF000000u);
    h.menus.stack->renderContext();
    const std::vector<uint32_t> frame = readFrame();

    picturetest::compareWithStored(frame, graphics->backBufferWidth, graphics->backBufferHeight,
                                   ZUB_TEST_SOURCE_DIR "/src/flow/valley_map.png");
}

// The recipe page with an open part, its card drawn over a plain dark
// backdrop at 1024 x 768: along every column of the card's corners, from
// its edge inwards, nothing lighter than the card's frame shows before the
// frame itself.
struct RecipePixels : testing::Test {
    valleytest::ValleyHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    picturetest::OffscreenWindow window;
    picturetest::PaintedArt painted;
    void TearDown() override {
        while (ZubBase* c = h.menus.stack->firstChild) deleteObject(c);
        painted.clear();
        window.close();
    }
};

TEST_F(RecipePixels, TheCardShowsNothingOfItsPanelOutsideItsFrame) {
    constexpr int W = 1024, H = 768;
    if (!window.open("Recipe", W, H)) return;
    painted.paint(h.menus.resources, {"minimapBackground", "gui-game-editbox", "gui-game-button"},
                  Texture::FLAG_KEEP_SOURCE);
    h.profile().levels[0].perfect[LevelResult::PERFECT_SCORE] = 1;
    h.menus.drawEveryFrame = false;
    auto* recipe = h.menus.push(new ContextRecipe);
    h.menus.moveMouse(1010.0f, 10.0f);
    h.step(30);
    constexpr uint32_t kBackdrop = 0xFF204060u;
    window.beginFrame(kBackdrop);
    h.menus.stack->renderContext();
    const std::vector<uint32_t> frame = window.readFrame();
    picturetest::keepInFolder(picturetest::kFlowFolder, "recipe.png", frame, W, H);

    const Renderable* card = nullptr;
    for (const Renderable* r : childrenOf<Renderable>(recipe->pPage))
        if (r->pSkin == h.menus.resources.find(u"minimapBackground:0", true)) card = r;
    ASSERT_NE(card, nullptr);
    const contrasttest::Box box = contrasttest::skinBox(*card, *recipe->camera, W, H);
    ASSERT_TRUE(box.within(W, H)) << box;
    auto pixel = [&](int x, int y) { return frame[static_cast<size_t>(y) * W + static_cast<size_t>(x)] | 0xFF000000u; };
    // The frame where it crosses the middle of the card's top edge.
    const uint32_t frameColour = pixel((box.left + box.right) / 2, box.top + 3);
    const double darkest = std::max(contrasttest::luminance(frameColour), contrasttest::luminance(kBackdrop));
    EXPECT_GT(contrasttest::luminance(pixel((box.left + box.right) / 2, (box.top + box.bottom) / 2)), 2.0 * darkest)
        << "the panel is lighter than its frame";

    const int reach = (box.right - box.left) / 5;
    int lighter = 0, columns = 0;
    std::string first;
    for (const bool top : {true, false})
        for (const bool left : {true, false})
            for (int i = 0; i < reach; ++i) {
                const int x = left ? box.left + i : box.right - 1 - i;
                bool reached = false;
                for (int k = 0; k < (box.bottom - box.top) / 2 && !reached; ++k) {
                    const int y = top ? box.top - 1 + k : box.bottom - k;
                    const uint32_t p = pixel(x, y);
                    if (picturetest::difference(p, frameColour) <= 24) reached = true;
                    else if (contrasttest::luminance(p) > darkest * 1.15 + 0.01 && lighter++ == 0)
                        first = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
                }
                columns += reached ? 1 : 0;
            }
    EXPECT_EQ(columns, 4 * reach) << "every column of the corners meets the frame";
    EXPECT_EQ(lighter, 0) << "pixels lighter than the frame outside it, the first at " << first << " in the card "
                          << box;
}

// The recipe page at 1024 x 768 with every part open: the card is cream in
// its upper part, where the red titles stand, and of its own tone below,
// where the tutorial's white lines stand; on every part the rows of the
// card over which its colour changes (read beside the lines, between the
// card's frame and the texts) fall between the part's lines of text, or
// above or below all of them, never inside a line's box.
TEST_F(RecipePixels, TheCardChangesColourBetweenTheLinesOfEveryPart) {
    constexpr int W = 1024, H = 768;
    if (!window.open("Recipe", W, H)) return;
    painted.paint(h.menus.resources, {"minimapBackground", "gui-game-editbox", "gui-game-button"},
                  Texture::FLAG_KEEP_SOURCE);
    for (LevelResult& r : h.profile().levels) r.perfect[LevelResult::PERFECT_SCORE] = 1;
    h.menus.drawEveryFrame = false;
    auto* recipe = h.menus.push(new ContextRecipe);
    h.menus.moveMouse(1010.0f, 10.0f);
    h.step(30);
    window.beginFrame(0xFF204060u);
    h.menus.stack->renderContext();
    const std::vector<uint32_t> frame = window.readFrame();

    const Renderable* card = nullptr;
    for (const Renderable* r : childrenOf<Renderable>(recipe->pPage))
        if (r->pSkin == h.menus.resources.find(u"minimapBackground:0", true)) card = r;
    ASSERT_NE(card, nullptr);
    const contrasttest::Box box = contrasttest::skinBox(*card, *recipe->camera, W, H);
    // The column 50 pixels in from the card's left edge, inside its frame
    // and left of the texts (they start 100 units in from the screen's left).
    const int column = box.left + 50;
    auto at = [&](int y) { return frame[static_cast<size_t>(y * W + column)] | 0xFF000000u; };
    const int from = box.top + (box.bottom - box.top) / 5, to = box.bottom - (box.bottom - box.top) / 5;
    const uint32_t upper = at(from), lower = at(to);
    ASSERT_GT(picturetest::difference(upper, lower), 24) << "the card's two tones";
    int changeTop = -1, changeBottom = -1;
    for (int y = from; y <= to; ++y)
        if (picturetest::difference(at(y), upper) > 3 && picturetest::difference(at(y), lower) > 3) {
            if (changeTop < 0) changeTop = y;
            changeBottom = y + 1;
        }
    ASSERT_GE(changeTop, 0) << "where the card's colour changes";

    int crossed = 0, lines = 0;
    std::string first;
    for (int32_t part = 0; part < NUMLEVELS; ++part) {
        recipe->part = part;
        recipe->buildPage();
        std::set<std::pair<int, int>> rows;  // a line's runs share its rows
        for (const FadingText* t : childrenOf<FadingText>(recipe->pPage)) {
            const contrasttest::Box b =
                contrasttest::textBox(*t->font, t->text, t->flags, t->position, *recipe->camera, W, H);
            rows.emplace(b.top, b.bottom);
        }
        lines += static_cast<int>(rows.size());
        for (const auto& [top, bottom] : rows)
            if (top < changeBottom && changeTop < bottom && crossed++ == 0)
                first = "part " + std::to_string(part + 1) + ", its line in rows " + std::to_string(top) + " to " +
                        std::to_string(bottom - 1);
    }
    std::printf("the card changes colour over rows %d to %d\n", changeTop, changeBottom - 1);
    EXPECT_GT(lines, NUMLEVELS);
    EXPECT_EQ(crossed, 0) << "lines of text across the change of the card's colour (rows " << changeTop << " to "
                          << changeBottom - 1 << "), the first of " << first;
}

// The markers as the player sees them at 1024 x 768, every level open: the
// level's title stands from 10 units above the marker's point upwards and
// its rating from 10 units below it downwards, and the marker (the pin or
// the rating's dot, the selection ring under the current level's, the badge
// of a perfect level) keeps between the two: drawn with and without a
// marker's pieces, the map shows no difference inside its texts' boxes.
struct MarkerPixels : RecipePixels {};

TEST_F(MarkerPixels, EveryMarkerAndItsRingKeepOffTheLevelsTitleAndRating) {
    constexpr int W = 1024, H = 768;
    if (!window.open("Markers", W, H)) return;
    painted.paint(
        h.menus.resources,
        {"valley", "valleyDot", "valleyIcons", "valleyArrow", "valleyDashedLine", "gui-game-hud", "gui-game-button"},
        Texture::FLAG_KEEP_SOURCE);
    ProfileData& profile = h.profile();
    profileseed::everyLevelOpen(profile);
    h.menus.drawEveryFrame = false;
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);
    h.menus.moveMouse(1010.0f, 10.0f);
    h.step(400);
    auto draw = [&] {
        window.beginFrame(0xFF000000u);
        h.menus.stack->renderContext();
        return window.readFrame();
    };
    std::set<int32_t> measured;
    int crossed = 0;
    std::string first;
    for (const float x : {-512.0f, 0.0f, 512.0f}) {
        v->scroll.setImmediate(x);
        h.step(2);
        // The map's fixed menu (arrows, buttons, the strip at the top) hides what is under it.
        std::vector<contrasttest::Box> covered;
        for (Renderable* r : childrenOf<Renderable>(v->pMenu))
            if (!r->bHidden) covered.push_back(contrasttest::skinBox(*r, *v->pMenu->camera, W, H));
        for (int32_t i = 0; i < NUMLEVELS; ++i) {
            ValleyIcon* icon = v->icon(i);
            LevelResult& r = profile.levels[i];
            const V3 p = icon->position;
            const FontQuad* font =
                findResource<FontQuad>(i < ValleyIcon::FIRST_WINTER_LEVEL ? u"fontSmall" : u"fontSmallOutline");
            std::vector<std::pair<const char*, contrasttest::Box>> boxes = {
                {"title", contrasttest::textBox(*font, ProfileData::levelNumberToTitle(i, gameLanguage()),
                                                FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP,
                                                V3(p.x, p.y + 10.0f, p.z), *v->camera, W, H)}};
            if (r.completed)
                boxes.emplace_back("rating", contrasttest::textBox(*font, formatPercentTenths(r.score),
                                                                   FontQuad::TEXT_PLAIN | FontQuad::TEXT_CENTRE,
                                                                   V3(p.x, p.y - 10.0f, p.z), *v->camera, W, H));
            const contrasttest::Box marker = contrasttest::skinBox(*icon, *v->camera, W, H);
            bool shown = marker.within(W, H);
            for (const contrasttest::Box& over : covered) shown = shown && !contrasttest::overlap(marker, over);
            for (const auto& [what, box] : boxes) shown = shown && box.within(W, H);
            if (!shown) continue;
            measured.insert(i);
            // The level as the current one: its ring, its marker, its badge.
            profile.currentLevel = i;
            const std::vector<uint32_t> with = draw();
            // Its texts alone: the ring under another level's marker far
            // off, no marker, no badge.
            profile.currentLevel = i < NUMLEVELS / 2 ? NUMLEVELS - 1 : 0;
            Skin* skin = icon->pSkin;
            const uint8_t perfect = r.perfect[LevelResult::PERFECT_SCORE];
            icon->pSkin = nullptr;
            r.perfect[LevelResult::PERFECT_SCORE] = 0;
            const std::vector<uint32_t> without = draw();
            icon->pSkin = skin;
            r.perfect[LevelResult::PERFECT_SCORE] = perfect;
            for (const auto& [what, box] : boxes) {
                const int n = contrasttest::pixelsThatDiffer(with, without, W, H, box, 24);
                if (n > 0 && crossed++ == 0)
                    first = std::string(what) + " of level " + std::to_string(i + 1) + ": " + std::to_string(n) +
                            " pixels in " + testing::PrintToString(box);
            }
        }
    }
    profile.currentLevel = 28;
    EXPECT_EQ(measured.size(), static_cast<size_t>(NUMLEVELS)) << "every marker measured on the screen";
    EXPECT_EQ(crossed, 0) << "texts with a marker's pixels in their box, the first the " << first;
}

}  // namespace
