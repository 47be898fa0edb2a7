// The level builder: a description read into blocks and words, built through
// the game's classes into a level file that the level manager plays back as
// described; every mistake in a description stops it at its line; key scripts.
#include <gtest/gtest.h>

#include <cmath>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "editor/EditorPropertyPanel.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/Quad.h"
#include "object/ResourceManager.h"
#include "objects/apples/Apple.h"
#include "objects/areas/Area.h"
#include "objects/devices/Switch.h"
#include "objects/hints/TriggerHint.h"
#include "objects/machines/BlastableObject.h"
#include "objects/machines/Explosion.h"
#include "objects/machines/PathPlatform.h"
#include "objects/paths/Sweet.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/SkinnedPath.h"
#include "objects/scenery/Vegetation.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/Terrain.h"

using levelbuild::LevelEnvironment;

namespace {

// Flat ground across the playing area, the hero above it on the right and
// the house on the left: how the path and hull tests' descriptions begin
// (each goes on with its own objects on the next line).
const std::string kFlatGround = R"(
level
    playingArea -3000 2500 3000 -100
terrain
    ground -4096 100  4096 100
edit hero
    position 500 400 0
edit house
    position -1500 100 0)";

// The description's level, played back through the level manager.
GameController& playDescription(LevelEnvironment& environment, const std::string& text) {
    std::vector<uint8_t> level;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevelFile(text, "test.txt", level, error)) << error;
    environment.writeLevelFile("a1", level);
    return environment.play(0);
}

std::string buildError(const std::string& text) {
    std::vector<uint8_t> level;
    std::string error;
    EXPECT_FALSE(levelbuild::buildLevelFile(text, "levels/x1.txt", level, error)) << text;
    return error;
}

template <class T>
std::vector<T*> all(const ZubBase* list) {
    std::vector<T*> out;
    for (T* o : childrenOf<T>(list)) out.push_back(o);
    return out;
}

// The index of the object's proxy in the drawing order.
int drawIndex(GameController& gc, const EditorObject* o) {
    int i = 0;
    for (ZubBase* p = gc.proxyList->firstChild; p; p = p->nextSibling, ++i)
        if (p == o->getProxy()) return i;
    return -1;
}

}  // namespace

TEST(LevelDescription, ReadsBlocksWordsQuotesAndComments) {
    levelbuild::LevelDescription d;
    std::string error;
    ASSERT_TRUE(
        levelbuild::parseDescription("# a comment\n"
                                     "level   # the keys\n"
                                     "\tapplesNeeded 2\n"
                                     "\n"
                                     "new TriggerHint hint\n"
                                     "    hintTextID \"two words \\\"quoted\\\"\" tail\r\n"
                                     "    empty \"\"\n",
                                     "f.txt", d, error))
        << error;
    ASSERT_EQ(d.blocks.size(), 2u);
    EXPECT_EQ(d.blocks[0].header.words, std::vector<WString>{u"level"});
    EXPECT_EQ(d.blocks[0].header.number, 2);
    ASSERT_EQ(d.blocks[0].lines.size(), 1u);
    EXPECT_EQ(d.blocks[0].lines[0].number, 3);
    const std::vector<levelbuild::DescriptionLine>& lines = d.blocks[1].lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].words, (std::vector<WString>{u"hintTextID", u"two words \"quoted\"", u"tail"}));
    EXPECT_EQ(lines[1].words, (std::vector<WString>{u"empty", u""}));

    EXPECT_FALSE(levelbuild::parseDescription("level\n  x \"open\n", "f.txt", d, error));
    EXPECT_EQ(error, "f.txt:2: a quoted word is not closed");
    EXPECT_FALSE(levelbuild::parseDescription("\n  applesNeeded 2\n", "f.txt", d, error));
    EXPECT_EQ(error, "f.txt:2: an indented line before the first block");
    EXPECT_FALSE(levelbuild::parseDescription("level\n  x a\"b\n", "f.txt", d, error));
    EXPECT_EQ(error, "f.txt:2: a quote in the middle of a word");
    EXPECT_FALSE(levelbuild::parseDescription("level\n  x \xff\xfe\n", "f.txt", d, error));
    EXPECT_EQ(error, "f.txt:2: the line is not UTF-8 text");
}

TEST(LevelBuilder, BuildsTheDescribedLevelThroughTheGamesClasses) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    GameController& gc = playDescription(environment, R"(
level
    applesNeeded 2
    parTime 42.5
    season 2
    playingArea -3000 2500 2000 -100
terrain
    ground -1000 100  0 300  1000 300
    depth 50
edit hero
    position -1500 140 0
edit house
    position 1200 300 0
edit apple
    position -600 150 0
new Apple second
    position 400 316 0
new Apple third
    list objectList
    position 600 316 0
new Vegetation shrub
    list bgList
    construct shrubs:1
    position 700 300 0
new Sweet
    position 0 400 0
    type 5
new Vegetation tree
    construct trees-rigid:1
    position 200 300 0
    draw before hero
new TriggerHint first
    position -1500 140 0
    triggerRadius 99
    hintTextID HINTJUMP
    hintTitleID ""
new TriggerHint then
    position 0 300 0
    hintTextID HINTSWEETS
    previousHint first
    bSpeechBubble no
    hintNudge 1 2 0
)");
    // The level's keys.
    EXPECT_EQ(gc.applesNeeded, 2);
    EXPECT_EQ(gc.parTime, 42.5);
    EXPECT_EQ(gc.season, 2);
    EXPECT_EQ(gc.playingArea.left, -3000.0f);
    EXPECT_EQ(gc.playingArea.bottom, -100.0f);
    EXPECT_EQ(gc.editor->levelName, u"test");

    // The ground: straight lines between the points, flat beyond them, the
    // bottom row 50 below.
    Terrain* terrain = all<Terrain>(gc.objectList).at(0);
    for (auto [x, expected] :
         {std::pair{-3000.0f, 100.0f}, {-1000.0f, 100.0f}, {-504.0f, 199.2f}, {8.0f, 300.0f}, {3000.0f, 300.0f}}) {
        float h = 0.0f;
        terrain->getSurfaceAt(x, &h, nullptr);
        EXPECT_NEAR(h, expected, 0.5f) << x;
    }
    for (int i = 0; i < terrain->pointCount(); i += 50)
        EXPECT_NEAR(terrain->heights[0][i] - terrain->heights[1][i], 50.0f, 0.5f) << i;

    // Objects where they were put, in their own lists unless told otherwise.
    EXPECT_EQ(gc.getHero()->position, V3(-1500, 140, 0));
    EXPECT_EQ(gc.findHouse()->position, V3(1200, 300, 0));
    // An apple always sorts itself into the apple list, even when it was
    // hung among the plain objects; an object without a list of its own
    // stays where it was hung.
    const std::vector<Apple*> apples = all<Apple>(gc.appleList);
    ASSERT_EQ(apples.size(), 3u);
    EXPECT_EQ(apples[0]->position, V3(-600, 150, 0));
    EXPECT_EQ(apples[1]->position, V3(400, 316, 0));
    EXPECT_EQ(apples[2]->position, V3(600, 316, 0));
    EXPECT_TRUE(all<Apple>(gc.objectList).empty());
    ASSERT_EQ(all<Vegetation>(gc.bgList).size(), 1u);
    EXPECT_EQ(all<Vegetation>(gc.bgList)[0]->position, V3(700, 300, 0));
    EXPECT_EQ(gc.currentResult.apples, 2);  // the apples needed, fewer than there are
    // An apple rests on the ground it was put on: its physics point carries
    // the apple's own offset below its position.
    EXPECT_EQ(apples[1]->physPoint.position, V3(400, 300, 0));

    const std::vector<Sweet*> sweets = all<Sweet>(gc.sweetList);
    ASSERT_EQ(sweets.size(), 1u);
    EXPECT_EQ(sweets[0]->type, 5);
    EXPECT_EQ(sweets[0]->refPosition, V3(0, 400, 0));

    const std::vector<Vegetation*> trees = all<Vegetation>(gc.objectList);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(static_cast<ZubBase*>(trees[0]->pRefQuad), environment.resources.find(u"trees-rigid:1"));
    EXPECT_LT(drawIndex(gc, trees[0]), drawIndex(gc, gc.getHero()));

    const std::vector<TriggerHint*> hints = all<TriggerHint>(gc.objectList);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0]->triggerRadius, 99.0f);
    EXPECT_EQ(hints[0]->hintTextID, u"HINTJUMP");
    EXPECT_TRUE(hints[0]->bSpeechBubble);
    EXPECT_EQ(hints[1]->previousHint.get(), hints[0]);
    EXPECT_FALSE(hints[1]->bSpeechBubble);
    EXPECT_EQ(hints[1]->hintNudge, V3(1, 2, 0));
}

TEST(LevelBuilder, BuildsPathsAndCollisionOutlines) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    GameController& gc = playDescription(environment, kFlatGround + R"(
new BezierPath ride
    position -800 300 0
    point 0 0
    point 300 0
    point 300 400
new BezierPath ring
    position 900 300 0
    point 0 0
    point 100 0
    point 100 100
    loop
new PathPlatform pumpkin
    pPath ride
    pathSpeed 0
    hull -60 10  60 10
new BlastableObject rock
    position 500 200 0
    hull closed -40 -50  -40 50  40 50  40 -50
)");
    BezierPath* ride = nullptr;
    BezierPath* ring = nullptr;
    for (BezierPath* p : childrenOf<BezierPath>(gc.objectList)) (ride ? ring : ride) = p;
    ASSERT_TRUE(ride && ring);
    EXPECT_EQ(ride->vertexCount(), 3);
    EXPECT_EQ(ride->segmentCount(), 2);
    EXPECT_FALSE(ride->bLooping);
    // Each segment leaves and reaches its vertices along the chords about
    // them: a little longer than the straight legs.
    EXPECT_GT(ride->totalLength, 699.0f);
    EXPECT_LT(ride->totalLength, 760.0f);
    EXPECT_EQ(ring->segmentCount(), 3);
    EXPECT_TRUE(ring->bLooping);

    const std::vector<PathPlatform*> platforms = all<PathPlatform>(gc.objectList);
    ASSERT_EQ(platforms.size(), 1u);
    Hull* deck = platforms[0]->getHull();
    ASSERT_NE(deck, nullptr);
    EXPECT_EQ(deck->vertexCount(), 2);
    EXPECT_EQ(deck->segmentCount(), 1);
    environment.frame({});
    EXPECT_EQ(platforms[0]->position, V3(-800, 300, 0));  // at the path's start

    // The rock's outline is closed, walked clockwise: the hero put above it
    // lands on its top.
    const std::vector<BlastableObject*> rocks = all<BlastableObject>(gc.explodableList);
    ASSERT_EQ(rocks.size(), 1u);
    Hull* outline = rocks[0]->getHull();
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->vertexCount(), 4);
    EXPECT_EQ(outline->segmentCount(), 4);
    for (int i = 0; i < 300; ++i) environment.frame({});
    EXPECT_NEAR(gc.getHero()->position.y, 290.0f, 1.0f);  // she stands 40 above what carries her
    EXPECT_NEAR(gc.getHero()->position.x, 500.0f, 1.0f);
}

TEST(LevelBuilder, MovesTheVerticesAConstructCallMade) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    GameController& gc = playDescription(environment, R"(
new BezierPath plain
    position -1000 300 0
    point -300 0
    point 0 0
    point 300 60
new Fence fence
    construct
    position -1000 300 0
    vertex 0 -300 0
    vertex 1 0 0
    point 300 60
    stakeCount 3
new SkinnedPath trunk
    construct terrain-deco-roots:0
    position 500 100 0
    vertex 1 20 225
    point 70 355
new SweetPath arc
    position 1000 500 0
    point -200 0
    point 0 100
    point 200 0
    sweetInstances 5
    sweetType 2
)");
    BezierPath* plain = nullptr;
    for (BezierPath* p : childrenOf<BezierPath>(gc.objectList))
        if (p->getClass() == &BezierPath::classRecord) plain = p;
    const std::vector<Fence*> fences = all<Fence>(gc.objectList);
    const std::vector<SkinnedPath*> trunks = all<SkinnedPath>(gc.objectList);
    ASSERT_TRUE(plain);
    ASSERT_EQ(fences.size(), 1u);
    ASSERT_EQ(trunks.size(), 1u);

    // The fence's two vertices from its construct call moved to the first
    // two given and the third was added: the same curve, tangents and all,
    // as a path given the three points one by one.
    Fence& fence = *fences[0];
    ASSERT_EQ(fence.vertexCount(), 3);
    EXPECT_EQ(fence.segmentCount(), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fence.vertexAt(i)->vertex, plain->vertexAt(i)->vertex) << i;
        EXPECT_EQ(fence.vertexAt(i)->tangent, plain->vertexAt(i)->tangent) << i;
    }
    EXPECT_EQ(fence.vertexAt(0)->tangent, V3(75, 0, 0));
    EXPECT_EQ(fence.vertexAt(2)->tangent, V3(75, 15, 0));
    EXPECT_EQ(fence.totalLength, plain->totalLength);
    EXPECT_NEAR(fence.totalLength, 300.0f + std::sqrt(300.0f * 300.0f + 60.0f * 60.0f), 2.0f);

    // A vertex left where the construct call put it keeps its place; every
    // tangent follows the vertices as they now lie.
    SkinnedPath& trunk = *trunks[0];
    ASSERT_EQ(trunk.vertexCount(), 3);
    const float halfWidth = trunk.pRefQuad->width / 2.0f;
    EXPECT_EQ(trunk.vertexAt(0)->vertex, V3(-halfWidth, 0, 0));
    EXPECT_EQ(trunk.vertexAt(1)->vertex, V3(20, 225, 0));
    EXPECT_EQ(trunk.vertexAt(0)->tangent, (V3(20, 225, 0) - V3(-halfWidth, 0, 0)) * 0.25f);
    EXPECT_EQ(trunk.vertexAt(1)->tangent, trunk.vertexAt(0)->tangent);
    EXPECT_EQ(trunk.vertexAt(2)->tangent, V3(12.5f, 32.5f, 0));
    V3 top;
    trunk.evaluateL(&top, trunk.totalLength, nullptr);
    EXPECT_NEAR(top.x, 70.0f, 0.5f);
    EXPECT_NEAR(top.y, 355.0f, 0.5f);

    // The sweets lie along the arc, from its first point to its last.
    const std::vector<Sweet*> sweets = all<Sweet>(gc.sweetList);
    ASSERT_EQ(sweets.size(), 5u);
    EXPECT_NEAR(sweets.front()->refPosition.x, 800.0f, 0.5f);
    EXPECT_NEAR(sweets.front()->refPosition.y, 500.0f, 0.5f);
    EXPECT_NEAR(sweets.back()->refPosition.x, 1200.0f, 0.5f);
    EXPECT_NEAR(sweets.back()->refPosition.y, 500.0f, 0.5f);
    EXPECT_GT(sweets[2]->refPosition.y, 560.0f);
    EXPECT_EQ(sweets[2]->type, 2);
}

TEST(LevelBuilder, AnAreaTakesItsOutlineWhereBodiesSplash) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    GameController& gc = playDescription(environment, R"(
new Area pond
    position 500 150 0
    scale 10 3 1
    bRectangularArea yes
    areaType water
    outline
new Area puddle
    position -500 150 0
    scale 2 2 1
    areaType mud
    outline
new Area dry
    position -1500 150 0
    scale 2 2 1
    areaType mud
)");
    const std::vector<Area*> areas = all<Area>(gc.dangerAreaList);
    ASSERT_EQ(areas.size(), 3u);
    // The rectangle's four edges and the circle's ring, which bodies pass
    // through; the area without the line has none.
    Hull* rectangle = areas[0]->getHull();
    ASSERT_NE(rectangle, nullptr);
    EXPECT_EQ(rectangle->hullType, Hull::PASS_THROUGH);
    EXPECT_EQ(rectangle->vertexCount(), 4);
    EXPECT_EQ(rectangle->segmentCount(), 4);
    Hull* circle = areas[1]->getHull();
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->hullType, Hull::PASS_THROUGH);
    EXPECT_EQ(circle->vertexCount(), Area::CIRCLE_OUTLINE_EDGES);
    EXPECT_EQ(circle->segmentCount(), Area::CIRCLE_OUTLINE_EDGES);
    EXPECT_EQ(areas[2]->getHull(), nullptr);
}

TEST(LevelBuilder, SetsTheHullsOwnProperties) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    GameController& gc = playDescription(environment, kFlatGround + R"(
new A99Object step
    position 500 200 0
    hull -60 40  60 40
    hull.bHeroOnly yes
new A99Object gate
    position -500 200 0
    hull closed -20 0  -20 80  20 80  20 0
    hull.hullType pass-through
)");
    A99Object* step = nullptr;
    A99Object* gate = nullptr;
    for (A99Object* o : childrenOf<A99Object>(gc.objectList)) {
        if (o->position == V3(500, 200, 0)) step = o;
        if (o->position == V3(-500, 200, 0)) gate = o;
    }
    ASSERT_TRUE(step && gate);
    ASSERT_NE(step->getHull(), nullptr);
    EXPECT_TRUE(step->getHull()->bHeroOnly);
    EXPECT_EQ(step->getHull()->hullType, Hull::SOLID);
    ASSERT_NE(gate->getHull(), nullptr);
    EXPECT_FALSE(gate->getHull()->bHeroOnly);
    EXPECT_EQ(gate->getHull()->hullType, Hull::PASS_THROUGH);
    // The step the hero alone stands on carries her.
    for (int i = 0; i < 300; ++i) environment.frame({});
    EXPECT_NEAR(gc.getHero()->position.y, 280.0f, 1.0f);
}

TEST(LevelBuilder, EveryMistakeStopsItNamingTheFileAndLine) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"levle\n", "levels/x1.txt:1: unknown block 'levle' (level, terrain, edit or new)"},
        {"level\n    applesNeeded 2\n    appelsNeeded 3\n",
         "levels/x1.txt:3: unknown property 'appelsNeeded' of GameController"},
        {"level\n    applesNeeded many\n", "levels/x1.txt:2: 'many' is no value for 'applesNeeded' (a whole number)"},
        {"level\n    applesNeeded 2 3\n", "levels/x1.txt:2: 'applesNeeded' takes one value, not 2"},
        {"level\n    parTime soon\n", "levels/x1.txt:2: 'soon' is no value for 'parTime' (a number)"},
        {"level\n    bBonusLevel maybe\n", "levels/x1.txt:2: 'maybe' is no value for 'bBonusLevel' (yes or no)"},
        {"level\n    season 4\n", "levels/x1.txt:2: '4' is no value for 'season' (a number from 0 to 3)"},
        {"level\n    playingArea -100 100 100\n", "levels/x1.txt:2: 'playingArea' takes 4 values, not 3"},
        {"level\n    playingArea.left 70000\n",
         "levels/x1.txt:2: '70000' is no value for 'playingArea.left' (a number of at most 65504 either way)"},
        {"new Aple\n", "levels/x1.txt:1: unknown class 'Aple'"},
        {"new GameController\n", "levels/x1.txt:1: 'GameController' is not an object that can be placed in a level"},
        {"new Apple a\nnew Apple a\n", "levels/x1.txt:2: the label 'a' is taken"},
        {"new Apple\n    list pigsList\n", "levels/x1.txt:2: 'pigsList' is not a list of the level"},
        {"new Apple\n    list contextHUD\n", "levels/x1.txt:2: 'contextHUD' is not a list of the level"},
        {"edit heroine\n", "levels/x1.txt:1: 'heroine' names no object"},
        {"edit hero\n    list pigList\n", "levels/x1.txt:2: an object that exists keeps its list"},
        {"edit hero\n    draw before hero\n", "levels/x1.txt:2: 'hero' names no other placed object"},
        {"new Vegetation\n    construct trees-rigid:99\n",
         "levels/x1.txt:2: 'trees-rigid:99' is no value for 'construct argument 1' (the name of a skin resource)"},
        {"new Vegetation\n    construct\n", "levels/x1.txt:2: 'construct' takes 1 arguments, not 0"},
        {"new Vegetation\n    construct null\n", "levels/x1.txt:2: 'construct argument 1' needs an object"},
        {"new Vegetation\n    position 1 2 3\n",
         "levels/x1.txt:1: Vegetation needs a 'construct' line with its 1 arguments"},
        {"new TriggerHint\n    hintTextID HINTJUMPP\n", "levels/x1.txt:2: 'HINTJUMPP' is not a string identifier"},
        {"new TriggerHint\n    previousHint hero\n", "levels/x1.txt:2: 'previousHint' cannot refer to 'hero'"},
        {"new TriggerHint\n    previousHint nobody\n",
         "levels/x1.txt:2: 'nobody' is no value for 'previousHint' (the label of an object)"},
        {"terrain\n    ground 0 10 -5 20\n", "levels/x1.txt:2: the x of the ground's points must rise"},
        {"terrain\n    ground 0 10 5\n", "levels/x1.txt:2: 'ground' takes pairs of x and height"},
        {"terrain\n    ground 0 x\n", "levels/x1.txt:2: 'x' is not a number"},
        {"terrain house\n", "levels/x1.txt:1: 'house' names no terrain"},
        {"terrain\n    ground 0 70000\n", "levels/x1.txt:2: the ground lies beyond what a level file holds"},
        {"edit terrain\n    heights[0] 1\n", "levels/x1.txt:2: 'heights[0]' cannot be set in a description"},
        {"new Apple\n    point 0 0\n", "levels/x1.txt:2: only a path has points"},
        {"new BezierPath\n    point 0\n", "levels/x1.txt:2: 'point' takes x and y"},
        {"new BezierPath\n    point 0 y\n", "levels/x1.txt:2: 'y' is not a number"},
        {"new BezierPath\n    point 0 0\n    point 1 1\n    loop\n    point 2 0\n",
         "levels/x1.txt:5: the path is closed already"},
        {"new BezierPath\n    point 0 0\n    loop\n",
         "levels/x1.txt:3: only an open path of two points or more can be closed"},
        {"new Apple\n    loop\n", "levels/x1.txt:2: only a path can be closed"},
        {"edit terrain\n    hull 0 0 1 1\n",
         "levels/x1.txt:2: only a placed object other than the terrain takes a hull"},
        {"new BlastableObject\n    hull 0 0 1\n", "levels/x1.txt:2: 'hull' takes two points or more, each x and y"},
        {"new BlastableObject\n    hull 0 0\n", "levels/x1.txt:2: 'hull' takes two points or more, each x and y"},
        {"new BlastableObject\n    hull 0 0 1 70000\n", "levels/x1.txt:2: '70000' lies beyond what a level file holds"},
        {"new BlastableObject\n    hull 0 0 1 1\n    hull closed 2 2 3 3\n",
         "levels/x1.txt:3: only the first chain of a hull can be closed"},
        {"new Apple\n    vertex 0 0 0\n", "levels/x1.txt:2: only a path has vertices"},
        {"new BezierPath\n    vertex 0 0 0\n",
         "levels/x1.txt:2: '0' numbers none of the 0 vertices its construct call made (from 0)"},
        {"new BezierPath\n    point 0 0\n    point 1 0\n    vertex 0 0 0\n",
         "levels/x1.txt:4: '0' numbers none of the 0 vertices its construct call made (from 0)"},
        {"new Fence\n    vertex 2 0 0\n",
         "levels/x1.txt:2: '2' numbers none of the 2 vertices its construct call made (from 0)"},
        {"new Fence\n    point 0 0\n    vertex 2 0 0\n",
         "levels/x1.txt:3: '2' numbers none of the 2 vertices its construct call made (from 0)"},
        {"new Fence\n    vertex -1 0 0\n",
         "levels/x1.txt:2: '-1' numbers none of the 2 vertices its construct call made (from 0)"},
        {"new Fence\n    vertex one 0 0\n",
         "levels/x1.txt:2: 'one' numbers none of the 2 vertices its construct call made (from 0)"},
        {"new Fence\n    vertex 0 0\n", "levels/x1.txt:2: 'vertex' takes the vertex's number, x and y"},
        {"new Fence\n    vertex 0 0 y\n", "levels/x1.txt:2: 'y' is not a number"},
        {"new Fence\n    vertex 1 70000 0\n", "levels/x1.txt:2: '70000' lies beyond what a level file holds"},
        {"new Apple\n    outline\n", "levels/x1.txt:2: only an area has an outline"},
        {"new Area\n    outline\n    outline\n", "levels/x1.txt:3: the area has its outline already"},
        {"new Area\n    hull 0 0 1 1\n    outline\n", "levels/x1.txt:3: the area has its outline already"},
        {"new Area\n    outline now\n", "levels/x1.txt:2: 'outline' takes no words after it"},
        {"new A99Object\n    hull.bHeroOnly yes\n",
         "levels/x1.txt:2: 'hull.bHeroOnly' needs a hull: give the object its 'hull' line first"},
        {"new Apple\n    hull.bHeroOnly yes\n",
         "levels/x1.txt:2: 'hull.bHeroOnly' needs a hull: give the object its 'hull' line first"},
        {"new A99Object\n    hull 0 0 1 0\n    hull.bHeroOnly perhaps\n",
         "levels/x1.txt:3: 'perhaps' is no value for 'hull.bHeroOnly' (yes or no)"},
        {"new A99Object\n    hull 0 0 1 0\n    hull.heroOnly yes\n",
         "levels/x1.txt:3: unknown property 'hull.heroOnly' of Hull"},
        {"new A99Object\n    hull 0 0 1 0\n    hull.point 0 0\n",
         "levels/x1.txt:3: unknown property 'hull.point' of Hull"},
    };
    for (const Case& c : cases) EXPECT_EQ(buildError(c.text), c.error) << c.text;
}

TEST(LevelBuilder, RefusesValuesItsClassesCannotWorkWithAtTheirLine) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    struct Case {
        const char* text;
        const char* error;
    };
    const char* const automatic = "an automatic switch must be once-only (bAutomatic needs bOnceOnly)";
    const Case cases[] = {
        // In a 'new' block: at the line that made the values wrong (and
        // kept them so), whatever follows it.
        {"new Switch\n    bAutomatic yes\n    position 0 0 0\n", "levels/x1.txt:2: "},
        {"new Switch\n    bOnceOnly yes\n    bAutomatic yes\n    bOnceOnly no\n", "levels/x1.txt:4: "},
        // In an 'edit' block of an object made right.
        {"new Switch gate\n    bAutomatic yes\n    bOnceOnly yes\nedit gate\n    position 5 5 0\n    bOnceOnly no\n",
         "levels/x1.txt:6: "},
        {"new Switch gate\nedit gate\n    bAutomatic yes\n", "levels/x1.txt:3: "},
    };
    for (const Case& c : cases) EXPECT_EQ(buildError(c.text), std::string(c.error) + automatic) << c.text;
    // Arguments a construct call cannot work with: refused before the call.
    EXPECT_EQ(buildError("new TerrainDeco band\n    construct terrain deco-grass:0 0 0\n"),
              "levels/x1.txt:2: 'construct': a terrain band's construct call needs one point or more");

    // Values that are wrong only on the way stand: the level is built and
    // loads with its switch automatic and once-only.
    std::vector<uint8_t> level;
    std::string error;
    const std::string fine = kFlatGround +
                             "\nnew Switch gate\n    bAutomatic yes\n    bOnceOnly yes\n"
                             "edit gate\n    bOnceOnly no\n    bOnceOnly yes\n";
    ASSERT_TRUE(levelbuild::buildLevelFile(fine, "x1.txt", level, error)) << error;
    GameController& gc = playDescription(environment, fine);
    const std::vector<Switch*> switches = all<Switch>(gc.objectList);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_TRUE(switches[0]->bAutomatic);
    EXPECT_TRUE(switches[0]->bOnceOnly);
}

// What the game would end on as it starts the level (the controller's own
// lists and contexts named otherwise), what it would take as something else
// (a count below 0, a sweet's type past its last), and a second hero or
// house: refused at their line.
TEST(LevelBuilder, RefusesWhatTheGameWouldEndOnOrReadOtherwiseAtItsLine) {
    ErrorManager::bTestMode = true;
    LevelEnvironment environment;
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"level\n    applesNeeded 2\n    houseList null\n",
         "levels/x1.txt:3: 'houseList' is one of the level's own objects: a description does not set it"},
        {"level\n    appleList null\n",
         "levels/x1.txt:2: 'appleList' is one of the level's own objects: a description does not set it"},
        {"level\n    pigList apple\n",
         "levels/x1.txt:2: 'pigList' is one of the level's own objects: a description does not set it"},
        {"level\n    contextGame null\n",
         "levels/x1.txt:2: 'contextGame' is one of the level's own objects: a description does not set it"},
        {"level\n    contextGame hero\n",
         "levels/x1.txt:2: 'contextGame' is one of the level's own objects: a description does not set it"},
        {"level\n    editor null\n",
         "levels/x1.txt:2: 'editor' is one of the level's own objects: a description does not set it"},
        {"level\n    applesNeeded -1\n",
         "levels/x1.txt:2: '-1' is no value for 'applesNeeded' (a whole number from 0 to 2147483647)"},
        {"new Sweet\n    position 0 300 0\n    type 999\n",
         "levels/x1.txt:3: '999' is no value for 'type' (a whole number from 0 to 15)"},
        {"new Sweet candy\nedit candy\n    type -1\n",
         "levels/x1.txt:3: '-1' is no value for 'type' (a whole number from 0 to 15)"},
        {"new Sweet\n    type sweet\n", "levels/x1.txt:2: 'sweet' is no value for 'type' (a whole number)"},
        {"level\n    applesNeeded 1\nnew Pig\n    position 0 300 0\n",
         "levels/x1.txt:3: the level has its hero already: 'edit hero' places her"},
        {"new House home\n", "levels/x1.txt:1: the level has its house already: 'edit house' places it"},
    };
    for (const Case& c : cases) EXPECT_EQ(buildError(c.text), c.error) << c.text;

    // The ends of the ranges are fine.
    std::vector<uint8_t> level;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevelFile(
        kFlatGround + "\nnew Sweet\n    position 0 300 0\n    type 15\nnew Sweet\n    position 50 300 0\n"
                      "    type 0\nlevel\n    applesNeeded 0\n",
        "x1.txt", level, error))
        << error;
}

TEST(KeyScript, HoldsTapsAndItsLength) {
    levelbuild::KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# keys\nhold 205 10 20  # right\ntap 57 15\n\nhold 203 30 31\n", "k.keys", error))
        << error;
    EXPECT_EQ(script.keysAt(9), std::set<int>{});
    EXPECT_EQ(script.keysAt(15), (std::set<int>{57, 205}));
    EXPECT_EQ(script.keysAt(16), std::set<int>{205});
    EXPECT_EQ(script.keysAt(20), std::set<int>{});
    EXPECT_EQ(script.length(), 31);
    ASSERT_TRUE(script.parse("tap 57 3\nend 100\n", "k.keys", error));
    EXPECT_EQ(script.length(), 100);

    EXPECT_FALSE(script.parse("hold 205 20 10\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: expected 'hold CODE FROM TO' (FROM < TO), 'tap CODE FRAME' or 'end FRAME'");
    EXPECT_FALSE(script.parse("\ntap 256 3\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:2: a key code from 1 to 255 comes first");
    EXPECT_FALSE(script.parse("tap 57 -3\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: '-3' is not a frame or key number");
    EXPECT_FALSE(script.parse("press 57 3\n", "k.keys", error));

    // The range the run's score must fall in.
    ASSERT_TRUE(script.parse("expect score 800 1000  # all apples\ntap 57 3\n", "k.keys", error)) << error;
    ASSERT_TRUE(script.expectedScore);
    EXPECT_TRUE(script.expectedScore->contains(800));
    EXPECT_TRUE(script.expectedScore->contains(1000));
    EXPECT_FALSE(script.expectedScore->contains(799));
    ASSERT_TRUE(script.parse("tap 57 3\n", "k.keys", error));
    EXPECT_FALSE(script.expectedScore);
    EXPECT_FALSE(script.parse("expect score 900 800\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: expected 'expect score LOW HIGH' (0 <= LOW <= HIGH)");
    EXPECT_FALSE(script.parse("expect score 1 2\nexpect score 1 2\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:2: the score is expected once");
}

// Every frame of a script lies within half an hour of play: a script cannot
// make a run last for ever, nor a frame overflow.
TEST(KeyScript, RefusesFramesPastHalfAnHourAtTheirLine) {
    levelbuild::KeyScript script;
    std::string error;
    EXPECT_FALSE(script.parse("tap 57 3\nend 2000000000\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:2: '2000000000' lies past frame 180000: a run lasts at most 30 minutes");
    EXPECT_FALSE(script.parse("tap 57 2147483647\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: '2147483647' lies past frame 179999: a run lasts at most 30 minutes");
    EXPECT_FALSE(script.parse("hold 205 10 180001\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: '180001' lies past frame 180000: a run lasts at most 30 minutes");
    EXPECT_FALSE(script.parse("hold 205 180001 180002\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: '180001' lies past frame 180000: a run lasts at most 30 minutes");
    EXPECT_FALSE(script.parse("tap 57 180000\n", "k.keys", error));
    EXPECT_EQ(error, "k.keys:1: '180000' lies past frame 179999: a run lasts at most 30 minutes");

    // Up to the bound itself.
    ASSERT_TRUE(script.parse("tap 57 179999\n", "k.keys", error)) << error;
    EXPECT_EQ(script.length(), levelbuild::KeyScript::MAX_FRAME);
    EXPECT_EQ(script.keysAt(179999), std::set<int>{57});
    ASSERT_TRUE(script.parse("hold 205 0 180000\nend 180000\n", "k.keys", error)) << error;
    EXPECT_EQ(script.length(), 180000);
}
