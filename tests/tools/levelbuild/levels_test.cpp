// Every level of content/levels/: built into what the build's content holds;
// every one with a key script checked as it must be to ship and completed
// by its script and perfectly by its perfect script (each level its own
// test, its end hashes printed); and the
// opening view of each drawn into the build folder's level-shots/, to be
// looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelCheck.h"
#include "LevelEnvironment.h"
#include "LevelPicture.h"
#include "Manifest.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/Camera.h"
#include "gfx/ContextBlender.h"
#include "gfx/ZubGraphics.h"
#include "level_drawing_test_support.h"
#include "levelbuild_test_support.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "objects/apples/Compass.h"
#include "objects/pig/SpeechBubble.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"
#include "world/EditorObject.h"
#include "world/Terrain.h"

namespace fs = std::filesystem;

using namespace levelbuildtest;

namespace {

levelbuild::BuiltLevel build(const std::string& name) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevel(readBytes(kSources + name + ".txt"), name + ".txt", level, error)) << error;
    return level;
}

class ProvenLevel : public testing::TestWithParam<std::string> {};

}  // namespace

TEST(Levels, EveryDescriptionIsBuiltIntoTheContent) {
    ErrorManager::bTestMode = true;
    const std::vector<std::string> names = describedLevels(false);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const levelbuild::BuiltLevel level = build(name);
        EXPECT_GE(levelbuild::levelNumberOf(name), 0) << "not a level's name";
        const std::string shipped = readBytes(kContent + "levels/" + name + ".lev");
        ASSERT_FALSE(shipped.empty()) << "build the content first";
        EXPECT_EQ(shipped, std::string(level.bytes.begin(), level.bytes.end()));
    }
}

TEST_P(ProvenLevel, PassesTheChecksAndItsKeyScriptCompletesIt) {
    ErrorManager::bTestMode = true;
    const std::string& name = GetParam();
    const levelbuild::BuiltLevel level = build(name);
    levelbuild::KeyScript script, perfect;
    std::string error;
    ASSERT_TRUE(script.parse(readBytes(kSources + name + ".keys"), name + ".keys", error)) << error;
    ASSERT_TRUE(perfect.parse(readBytes(kSources + name + ".perfect.keys"), name + ".perfect.keys", error)) << error;
    const levelbuild::LevelProof proof = levelbuild::proveLevel(level, &script, &perfect);
    for (const std::string& problem : proof.problems) ADD_FAILURE() << problem;
    ASSERT_TRUE(proof.played);
    // The end state, for comparing builds (tools/run-tests.sh compares
    // those of levelbuild --check).
    std::printf("%s: hash %08x, %d frames, state %d, outcome %d, score %d\n", name.c_str(), proof.hash, proof.frames,
                proof.state, proof.outcome, proof.score);
    ASSERT_TRUE(proof.perfect.played);
    EXPECT_EQ(proof.perfect.score, 1000);
    std::printf("%s perfect: hash %08x, %d frames, score %d, %.2f s (par %g s)\n", name.c_str(), proof.perfect.hash,
                proof.perfect.frames, proof.perfect.score, proof.perfect.time, proof.parTime);
    RecordProperty("hash", formatNarrow("%08x", proof.hash));
}

INSTANTIATE_TEST_SUITE_P(Levels, ProvenLevel, testing::ValuesIn(describedLevels(true)),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ProvenLevel);

TEST(Levels, OpeningViewsAreDrawnIntoTheBuildFolder) {
    ErrorManager::bTestMode = true;
    const fs::path shots(ZUB_LEVEL_SHOTS_DIR);
    std::error_code ec;
    fs::create_directories(shots, ec);
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    environment.loadFonts(kContent);
    for (const std::string& name : describedLevels(false)) {
        SCOPED_TRACE(name);
        std::string error;
        levelbuild::BuiltLevel level;
        ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + name + ".txt"), name + ".txt", level, error)) << error;
        environment.install(level);
        const std::string png = (shots / (name + ".png")).string();
        fs::remove(png, ec);
        if (!levelbuild::drawLevelPicture(environment, levelbuild::KeyScript(), -1, png, error, level.number)) {
            if (error.find("cannot be written") != std::string::npos) FAIL() << error;
            GTEST_SKIP() << "no off-screen OpenGL window: " << error;
        }
        EXPECT_GT(fs::file_size(png, ec), 10000u);
    }
}

// What turns or writes only in view is drawn in a picture as the game draws
// it: every frame played is drawn, which tells each object whether it is in
// view. At e3's start the compass beside the pig points at the house (down
// to the right), and the hint's bubble above her has its words.
TEST(Levels, APictureShowsWhatOnlyTurnsOrWritesInView) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    ASSERT_TRUE(environment.loadFonts(kContent));
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + "e3.txt"), "e3.txt", level, error)) << error;
    environment.install(level);
    std::vector<uint32_t> pixels;
    float needle = 0.0f, house = 0.0f;
    bool needleShown = false;
    std::vector<V3> bubbles;
    const bool drawn = levelbuild::captureLevelFrame(
        environment, levelbuild::KeyScript(), -1, pixels, error, level.number, [&](GameController& gc) {
            environment.manager->renderContext();
            auto* compass = zub_cast<Compass>(environment.server().findObjectOrNull(level.labels.at(u"compass")));
            ASSERT_NE(compass, nullptr);
            A99Object* target = compass->findTarget();
            ASSERT_NE(target, nullptr);
            needle = compass->needle->rotation.z;
            needleShown = !compass->needle->bHidden;
            house = std::atan2(target->position.y - compass->position.y, target->position.x - compass->position.x);
            std::function<void(ZubBase*)> find = [&](ZubBase* o) {
                for (ZubBase* c : childrenOf(o)) {
                    if (auto* bubble = dynamic_cast<SpeechBubble*>(c))
                        bubbles.push_back(gc.contextGame->camera->worldToScreen(bubble->boundingCentre));
                    find(c);
                }
            };
            find(&gc);
        });
    if (!drawn) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
    EXPECT_TRUE(needleShown);
    EXPECT_NEAR(house, -0.42f, 0.05f);
    EXPECT_NEAR(needle, house, 1e-4f);
    // The words: dark pixels in the middle of the bubble's white frame.
    ASSERT_EQ(bubbles.size(), 1u);
    const int cx = static_cast<int>(bubbles[0].x), cy = levelbuild::kPictureHeight - 1 - static_cast<int>(bubbles[0].y);
    int dark = 0;
    for (int y = cy - 6; y <= cy + 6; ++y)
        for (int x = cx - 60; x <= cx + 60; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * levelbuild::kPictureWidth + static_cast<size_t>(x)];
            if (((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100) ++dark;
        }
    EXPECT_GT(dark, 40) << "at " << cx << ", " << cy;
}

namespace {

// A picture drawn over a terrain of its own (a rock, the ground she walks on
// on its top), drawn alone from a view over that terrain at two pixels a unit.
struct OverGround {
    static constexpr int W = levelbuild::kPictureWidth, H = levelbuild::kPictureHeight;
    static constexpr float kZoom = 2.0f;             // pixels to a unit
    float left = 0.0f, right = 0.0f, ground = 0.0f;  // the terrain's ends, and its line
    V3 origin;                                       // the picture's column and row of the world's origin
    std::vector<std::vector<uint32_t>> pictures;     // one for each object drawn, in the order asked

    int column(float x) const { return static_cast<int>(std::lround(origin.x + x * kZoom)); }
    float height(int row) const { return (origin.y - static_cast<float>(row)) / kZoom; }
    // Drawn: brighter than the black the picture was cleared to, beyond a
    // faint edge.
    static bool drawnAt(const std::vector<uint32_t>& picture, int x, int y) {
        const uint32_t c = picture[static_cast<size_t>(y) * W + static_cast<size_t>(x)];
        return std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu}) > 32u;
    }
    // The highest row drawn in a column, H where nothing is.
    static int highest(const std::vector<uint32_t>& picture, int x) {
        for (int y = 0; y < H; ++y)
            if (drawnAt(picture, x, y)) return y;
        return H;
    }
};
constexpr size_t kPixels = static_cast<size_t>(OverGround::W) * OverGround::H;

// Builds a level from its description and draws the objects labelled `shown`
// one by one over the terrain labelled `top`. False with the reason where no
// off-screen window can be had. A picture that could not be drawn is left
// empty: callers check every picture's size before they read it.
bool drawOverGround(const std::string& level, const char16_t* top, const std::vector<const char16_t*>& shown,
                    OverGround& shot, std::string& error) {
    ErrorManager::bTestMode = true;
    shot.pictures.assign(shown.size(), {});
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    levelbuild::BuiltLevel built;
    if (!levelbuild::buildLevel(readBytes(kSources + level), level, built, error)) {
        ADD_FAILURE() << error;
        return true;
    }
    environment.install(built);
    auto find = [&](const char16_t* label) { return environment.server().findObjectOrNull(built.labels.at(label)); };
    constexpr int W = OverGround::W, H = OverGround::H;
    std::vector<uint32_t> frame;  // the whole level's, drawn after the objects alone
    return levelbuild::captureLevelFrame(
        environment, levelbuild::KeyScript(), -1, frame, error, built.number, [&](GameController& gc) {
            auto* terrain = zub_cast<Terrain>(find(top));
            ASSERT_NE(terrain, nullptr);
            shot.left = terrain->position.x - terrain->totalWidth / 2;
            shot.right = terrain->position.x + terrain->totalWidth / 2;
            terrain->getSurfaceAt(terrain->position.x, &shot.ground, nullptr);
            Camera& camera = *gc.contextGame->camera;
            camera.resetAt(terrain->position.x, shot.ground, -REFERENCE_WIDTH / 2 / OverGround::kZoom);
            const V3 o = camera.worldToScreen(V3());
            shot.origin = V3(o.x * W / REFERENCE_WIDTH, H - o.y * H / REFERENCE_HEIGHT, 0.0f);
            ZubGraphics* g = ZubGraphics::active();
            for (size_t i = 0; i < shown.size(); ++i) {
                g->clear(0xFF000000u);
                drawOnly(gc, {find(shown[i])});
                ASSERT_TRUE(g->device()->readPixels(0, 0, W, H, shot.pictures[i]));
            }
        });
}

// The rock is drawn up to the terrain's line along all of it: not lower,
// with her feet in the air, nor higher, with her feet in the stone.
void expectDrawnUpToTheGround(const OverGround& shot, const std::vector<uint32_t>& rock) {
    float low = shot.ground, high = shot.ground, lowAt = shot.left, highAt = shot.left;
    int bare = 0;
    for (float x = shot.left + 4.0f; x <= shot.right - 4.0f; x += 4.0f) {
        const int row = OverGround::highest(rock, shot.column(x));
        if (row == OverGround::H) {
            ++bare;
            continue;
        }
        if (shot.height(row) < low) std::tie(low, lowAt) = std::pair{shot.height(row), x};
        if (shot.height(row) > high) std::tie(high, highAt) = std::pair{shot.height(row), x};
    }
    EXPECT_EQ(bare, 0) << "no rock under " << bare * 4 << " units of the ground on it";
    EXPECT_GE(low, shot.ground - 2.0f) << "the rock's top lies " << shot.ground - low << " units under the ground at "
                                       << lowAt;
    EXPECT_LE(high, shot.ground + 2.0f) << "the rock rises " << high - shot.ground << " units over the ground at "
                                        << highAt;
}

}  // namespace

// The rocks she steps on across water and gorges: each a picture with a
// terrain of its own on its top.
TEST(Levels, RocksAreDrawnUpToTheGroundOnThem) {
    const std::tuple<const char*, const char16_t*, const char16_t*> rocks[] = {
        {"a3.txt", u"stone1", u"stone1Top"}, {"a3.txt", u"stone2", u"stone2Top"}, {"a9.txt", u"rock1", u"rock1Top"},
        {"a9.txt", u"rock2", u"rock2Top"},   {"a9.txt", u"rock3", u"rock3Top"},   {"b9.txt", u"stone1", u"stone1Top"},
        {"b9.txt", u"stone2", u"stone2Top"}, {"b9.txt", u"stone3", u"stone3Top"},
    };
    for (const auto& [level, rock, top] : rocks) {
        SCOPED_TRACE(std::string(level) + " " + std::string(rock, rock + std::char_traits<char16_t>::length(rock)));
        OverGround shot;
        std::string error;
        if (!drawOverGround(level, top, {rock}, shot, error)) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
        ASSERT_EQ(shot.pictures[0].size(), kPixels);
        expectDrawnUpToTheGround(shot, shot.pictures[0]);
    }
}

// b3's slanted springboard stands on a flat rock: the rock is drawn up to
// the ground on it, and the springboard's base reaches down to the rock's
// top instead of hanging over it.
TEST(Levels, B3sRockIsDrawnUpToTheGroundOnItAndItsSpringboardRestsOnIt) {
    OverGround shot;
    std::string error;
    if (!drawOverGround("b3.txt", u"rockTop", {u"rock", u"spring2"}, shot, error))
        GTEST_SKIP() << "no off-screen OpenGL window: " << error;
    const std::vector<uint32_t>&rock = shot.pictures[0], &spring = shot.pictures[1];
    ASSERT_EQ(rock.size(), kPixels);
    ASSERT_EQ(spring.size(), kPixels);
    expectDrawnUpToTheGround(shot, rock);
    // The springboard's lowest point, and the rock's top under it.
    int lowest = -1, under = 0;
    for (int y = 0; y < OverGround::H; ++y)
        for (int x = 0; x < OverGround::W; ++x)
            if (OverGround::drawnAt(spring, x, y)) {
                lowest = y;
                under = x;
            }
    ASSERT_GE(lowest, 0) << "no springboard drawn";
    const int rockTop = OverGround::highest(rock, under);
    EXPECT_LE(rockTop, lowest + 1) << "its base hangs " << shot.height(lowest) - shot.height(rockTop)
                                   << " units over the rock";
}

// Together the levels place every class the level editor offers (every
// level object with a look of its own): a class no level uses is a class no
// player meets. A base class counts as used through a used class built on it
// (a path follower through the worm); the parts an object makes of itself
// (the house's parts, the pig's body) through that object.
TEST(Levels, TogetherTheyUseEveryPlaceableClass) {
    ErrorManager::bTestMode = true;
    std::set<const RuntimeClass*> used;
    levelbuild::LevelEnvironment environment;
    for (const std::string& name : describedLevels(false)) {
        SCOPED_TRACE(name);
        environment.play(build(name));
        NetRole& role = environment.server();
        for (int32_t uid = 0; uid < role.nextObjectUID; ++uid)
            if (ZubBase* o = role.findObjectOrNull(uid)) used.insert(o->getClass());
    }
    const std::map<std::string, std::string> partOf = {{"HousePart", "House"}, {"PigBody", "Pig"}};
    auto usedAs = [&](const RuntimeClass* cls) {
        for (const RuntimeClass* u : used)
            if (u->isDerivedFrom(cls)) return true;
        return false;
    };
    std::vector<std::string> unused, offered;
    for (const RuntimeClass* cls : EditorObject::placeableClasses()) {
        offered.push_back(cls->typeName);
        bool ok = usedAs(cls);
        if (auto it = partOf.find(cls->typeName); !ok && it != partOf.end())
            for (const RuntimeClass* u : used) ok = ok || it->second == u->typeName;
        if (!ok) unused.push_back(cls->typeName);
    }
    EXPECT_GT(offered.size(), 40u);
    std::string names;
    for (const std::string& n : unused) names += " " + n;
    EXPECT_TRUE(unused.empty()) << "classes no level uses:" << names;
}

// Each season looks like its season: in a winter level (season 3) every
// object whose skin sheet has a winter look wears that look; the levels of
// the other seasons keep their sheets and wear no winter look. The skins
// are read from the loaded level's objects, as the editor sees them.
TEST(Levels, WinterLevelsWearTheWinterLookOfTheirScenery) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    int winterLevels = 0, winterSkins = 0;
    std::set<std::string> worn;
    for (const std::string& name : describedLevels(false)) {
        SCOPED_TRACE(name);
        GameController& gc = environment.play(build(name));
        const bool winter = gc.season == 3;
        winterLevels += winter;
        EXPECT_EQ(winter, levelbuild::levelNumberOf(name) / 8 == 3) << "a level of the winter valleys is winter";
        NetRole& role = environment.server();
        for (int32_t uid = 0; uid < role.nextObjectUID; ++uid) {
            auto* object = dynamic_cast<EditorObject*>(role.findObjectOrNull(uid));
            if (!object) continue;
            Skin** skin = object->getSkinProperty(nullptr);
            if (!skin || !*skin) continue;
            const std::string skinName = wideToNarrow(environment.resources.getResourceName(*skin));
            const std::string sheet = skinName.substr(0, skinName.find(':'));
            const content::Entry* look = content::winterVariant(sheet);
            const std::string suffix = content::kWinterSuffix;
            const bool isWinterLook = sheet.size() > suffix.size() &&
                                      sheet.compare(sheet.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                                      content::winterVariant(sheet.substr(0, sheet.size() - suffix.size()));
            if (winter) {
                EXPECT_EQ(look, nullptr) << object->getClass()->typeName << " " << uid << " wears " << skinName
                                         << " where " << (look ? look->name : "") << " is the winter look";
                if (isWinterLook) {
                    ++winterSkins;
                    worn.insert(sheet);
                }
            } else {
                EXPECT_FALSE(isWinterLook)
                    << object->getClass()->typeName << " " << uid << " wears " << skinName << " out of winter";
            }
        }
    }
    EXPECT_EQ(winterLevels, 8);
    // The winter valleys wear every winter look there is (the trees, the
    // bushes, the stumps and the flowers at least).
    std::set<std::string> looks;
    for (const content::Entry& e : content::manifest())
        if (const content::Entry* look = content::winterVariant(e.name)) looks.insert(look->name);
    EXPECT_GE(looks.size(), 4u);
    EXPECT_EQ(worn, looks);
    EXPECT_GT(winterSkins, 40);
}
