// Level maps drawn from the levels: the house, the apples, the ground and
// the water where the minimap overlay puts them; the build's content and
// level archive hold the map of every described level with a map, and the
// generator's painted picture for the others.
#include <gtest/gtest.h>

#include <cmath>

#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelMinimap.h"
#include "Manifest.h"
#include "Painter.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMiniMap.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "levelbuild_test_support.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

using namespace levelbuildtest;

namespace {

namespace colours = levelbuild::minimap_colours;

DecodedImage decode(const std::string& bytes) {
    DecodedImage image;
    std::string reason;
    EXPECT_TRUE(image_codec::tryDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, reason))
        << reason;
    return image;
}

uint32_t pixel(const DecodedImage& image, double x, double y) {
    const int column = static_cast<int>(std::floor(x)), row = static_cast<int>(std::floor(y));
    if (column < 0 || row < 0 || column >= image.width || row >= image.height) return 0;
    return image.pixels[static_cast<size_t>(row) * image.width + column];
}

// Where the overlay puts a world point on the picture, in pixels from its
// top left (its places run -128..128 across and 96..-96 down).
std::pair<double, double> placeOf(const GameController& gc, const V3& at) {
    const V3 place = OverlayMiniMap::iconPlace(gc, at);
    return {place.x + 128.0, 96.0 - place.y};
}

bool isHouse(uint32_t c) {
    return c == colours::HOUSE || c == colours::ROOF || c == contentgen::shade(colours::HOUSE, 0.55);
}

// Blue over everything else.
bool isWater(uint32_t c) {
    return contentgen::blueOf(c) > contentgen::redOf(c) + 60 && contentgen::blueOf(c) > contentgen::greenOf(c) + 20;
}

}  // namespace

TEST(LevelMinimap, TheMapOfA1ShowsItsHouseApplesAndGroundWhereTheOverlayPutsThem) {
    ErrorManager::bTestMode = true;
    // The map the build packed into the level archive, and its loose file.
    const std::string loose = readBytes(kContent + "gfx/minimap/map00.tga");
    ASSERT_FALSE(loose.empty()) << "build the content first";
    ASSERT_NO_FATAL_FAILURE(expectInLevelArchive("gfx/minimap/map00.tga", loose));
    const DecodedImage map = decode(loose);
    ASSERT_EQ(map.width, GameController::MINIMAP_WIDTH);
    ASSERT_EQ(map.height, GameController::MINIMAP_HEIGHT);
    for (uint32_t p : map.pixels) ASSERT_EQ(p >> 24, 0xFFu) << "opaque everywhere";

    // a1 as the game loads it.
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + "a1.txt"), "a1.txt", level, error)) << error;
    EXPECT_EQ(std::string(level.minimap.begin(), level.minimap.end()), loose);
    GameController& gc = environment.play(level);

    // The house stands on its place: the overlay's house marker sits at
    // the foot of the drawn house, in the middle of its width (the
    // picture's foot reaches into the ground, the map's does not).
    const auto [hx, hy] = placeOf(gc, gc.findHouse()->position);
    int left = map.width, right = -1, top = map.height, bottom = -1;
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x)
            if (isHouse(pixel(map, x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no house on the map";
    EXPECT_NEAR((left + right + 1) / 2.0, hx, 1.5);
    EXPECT_NEAR(bottom + 1.0, hy, 1.5);
    EXPECT_GE(bottom - top, 8);
    EXPECT_TRUE(isHouse(pixel(map, hx, hy - 3.0)));

    // Each apple is a red dot where its marker goes.
    int apples = 0;
    for (Apple* apple : childrenOf<Apple>(gc.appleList)) {
        const auto [x, y] = placeOf(gc, apple->position);
        EXPECT_EQ(pixel(map, x, y), colours::APPLE) << apple->position.x;
        ++apples;
    }
    EXPECT_EQ(apples, 3);

    // Where the hero starts: sky above her, ground under her feet (she
    // stands 40 above the ground of height 200).
    const auto [px, py] = placeOf(gc, gc.getHero()->position);
    const auto [gx, gy] = placeOf(gc, V3(gc.getHero()->position.x, 200.0f, 0.0f));
    EXPECT_GT(gy, py);
    const uint32_t sky = pixel(map, px, py - 6.0), ground = pixel(map, gx, gy + 4.0);
    EXPECT_GT(contentgen::blueOf(sky), 200) << std::hex << sky;
    EXPECT_LT(contentgen::blueOf(ground), 100) << std::hex << ground;
}

TEST(LevelMinimap, ShowsWaterAndFollowsThePlayingArea) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    // A pond between two banks, the house on the right bank; the playing
    // area is as wide as the pond and its banks.
    const std::string text = R"(
level
    applesNeeded 1
    playingArea -1000 800 1000 -200
terrain
    ground -4096 200  -300 200  -200 0  200 0  300 200  4096 200
    depth 400
edit house
    position 600 200 0
edit apple
    position -600 216 0
edit grassPatch
    position -600 0 0
new Area pond
    bRectangularArea yes
    areaType 2
    position 0 100 0
    scale 6 3 1
)";
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(text, "b1.txt", level, error)) << error;
    ASSERT_FALSE(level.minimap.empty());
    const DecodedImage map = decode(std::string(level.minimap.begin(), level.minimap.end()));
    ASSERT_EQ(map.width, 256);
    GameController& gc = environment.play(level);

    // The pond's middle is water; the bank beside it is ground.
    const auto [wx, wy] = placeOf(gc, V3(0.0f, 60.0f, 0.0f));
    EXPECT_TRUE(isWater(pixel(map, wx, wy))) << std::hex << pixel(map, wx, wy);
    const auto [bx, by] = placeOf(gc, V3(-600.0f, 100.0f, 0.0f));
    EXPECT_FALSE(isWater(pixel(map, bx, by)));
    EXPECT_LT(contentgen::blueOf(pixel(map, bx, by)), 100);
    // The area's 1000 units of height map onto 192 rows: the ground's top
    // (200) lies 600 below the top, in row 115.2.
    EXPECT_GT(contentgen::blueOf(pixel(map, 30, 113)), 200);
    EXPECT_LT(contentgen::blueOf(pixel(map, 30, 117)), 100);
    const auto [hx, hy] = placeOf(gc, gc.findHouse()->position);
    EXPECT_TRUE(isHouse(pixel(map, hx, hy - 3.0)));

    // Bonus levels and names that are no level's have no map.
    EXPECT_TRUE(levelbuild::buildLevel(text, "b9.txt", level, error)) << error;
    EXPECT_TRUE(level.minimap.empty());
    EXPECT_TRUE(levelbuild::buildLevel(text, "pond.txt", level, error)) << error;
    EXPECT_TRUE(level.minimap.empty());
}

TEST(LevelMinimap, BandsAlongPathsFollowTheirCurveInTheirTexturesColour) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    // A trunk leaning from the ground up to the right: a band of bark along
    // a diagonal path, not the rectangle around it.
    const std::string text = R"(
level
    applesNeeded 1
    playingArea -1000 800 1000 -200
terrain
    ground -4096 0  4096 0
    depth 400
edit house
    position 600 0 0
edit apple
    position -600 16 0
new SkinnedPath trunk
    construct terrain-deco-roots:0
    position 0 300 0
    vertex 0 -300 -250
    vertex 1 300 250
)";
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(text, "b1.txt", level, error)) << error;
    const DecodedImage map = decode(std::string(level.minimap.begin(), level.minimap.end()));
    GameController& gc = environment.play(level);

    const content::Entry* bark = content::findEntry("terrain-deco-roots");
    ASSERT_NE(bark, nullptr);
    const uint32_t barkColour = bark->colour | 0xFF000000u;
    // On the curve: the bark's colour; at the corners of the rectangle
    // around it, off the curve: the sky.
    const auto [mx, my] = placeOf(gc, V3(0.0f, 300.0f, 0.0f));
    EXPECT_EQ(pixel(map, mx, my), barkColour) << std::hex << pixel(map, mx, my);
    const auto [lx, ly] = placeOf(gc, V3(-250.0f, 500.0f, 0.0f));
    EXPECT_NE(pixel(map, lx, ly), barkColour);
    EXPECT_GT(contentgen::blueOf(pixel(map, lx, ly)), 200);
    const auto [rx, ry] = placeOf(gc, V3(250.0f, 100.0f, 0.0f));
    EXPECT_GT(contentgen::blueOf(pixel(map, rx, ry)), 200);
}

TEST(LevelMinimap, TheContentHoldsTheMapOfEveryDescribedLevelAndThePaintedOneOfTheRest) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    for (int number = 0; number < 32; ++number) {
        SCOPED_TRACE(number);
        char name[16], file[40];
        std::snprintf(name, sizeof name, "minimap%02d", number);
        std::snprintf(file, sizeof file, "gfx/minimap/map%02d.tga", number);
        const std::string shipped = readBytes(kContent + file);
        const content::Entry* entry = content::findEntry(name);
        ASSERT_EQ(entry != nullptr, levelbuild::hasMinimap(number));
        ASSERT_EQ(!shipped.empty(), levelbuild::hasMinimap(number));
        if (!entry) continue;
        const std::string level = levelbuild::levelNameOf(number);
        const std::string description = readBytes(kSources + level + ".txt");
        std::vector<uint8_t> expected;
        if (description.empty()) {
            expected = contentgen::paintSheet(*entry, contentgen::layoutSheet(entry->frames)).encodeTga();
        } else {
            levelbuild::BuiltLevel built;
            std::string error;
            ASSERT_TRUE(levelbuild::buildLevel(description, level + ".txt", built, error)) << error;
            expected = built.minimap;
        }
        EXPECT_EQ(shipped, std::string(expected.begin(), expected.end())) << level;
    }
}

TEST(LevelMinimap, TheMapKeyOpensTheLevelsOwnMapWhenItIsPlayedOutsideTheGame) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + "a1.txt"), "a1.txt", level, error)) << error;
    GameController& gc = environment.play(level);
    // The level's map is the resource the overlay asks for.
    auto* resource = zub_cast<MemoryImageFile>(environment.resources.find(u"minimap00"));
    ASSERT_TRUE(resource);
    const DecodedImage map = decode(std::string(level.minimap.begin(), level.minimap.end()));
    ASSERT_EQ(resource->getWidth(), map.width);
    ASSERT_EQ(resource->getHeight(), map.height);
    EXPECT_TRUE(std::equal(map.pixels.begin(), map.pixels.end(), resource->pixels()));

    while (gc.state != GameController::PLAYING && environment.frames < 1000) environment.frame({});
    const int mapKey = environment.configuration().controls[GameConfiguration::CONTROL_MAP].key;
    environment.frame({mapKey});
    for (int i = 0; i < 10; ++i) environment.frame({});
    MyRootObject* root = environment.server().gameRoot();
    ASSERT_TRUE(root);
    auto* overlay = zub_cast<OverlayMiniMap>(root->contextOverlay);
    ASSERT_TRUE(overlay);
    EXPECT_TRUE(overlay->pMapTexture);
}
