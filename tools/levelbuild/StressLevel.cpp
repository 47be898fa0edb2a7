#include "StressLevel.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "LevelBuilder.h"
#include "LevelDescription.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "object/Property.h"
#include "object/RuntimeClass.h"
#include "world/BezierPath.h"
#include "world/EditorObject.h"

namespace levelbuild {

namespace {

// The level's storeys: the level's own terrain at the bottom, then ground
// strips of the same width above it, each a row of cells.
constexpr int kStoreyHeight = 700;
constexpr int kGround = 200;
constexpr int kCellWidth = 300;
constexpr int kFirstCell = -3900;
constexpr int kCellsPerStorey = 26;
constexpr int kLevelHalfWidth = 4096;

// One object of a cell, as description lines. In the text, {x} and {y}
// stand for its place (the ground under it plus its height), {g} for the
// ground's height, {k} for the cell's number and {n} for a number that
// varies the object's look; {path} labels the cell's path, {branch} its
// branch and {bridge} its drawbridge.
struct CellObject {
    const char* cls;
    int height;  // above the ground
    const char* lines;
};

// In the order made: paths, branches and bridges before what refers to them.
const CellObject kCell[] = {
    {"BezierPath", 120, "new BezierPath {path}\n    position {x} {y} 0\n"},
    {"Terrain", 260,
     "new Terrain {branch}\n    construct 8 16\n    position {x} {y} 0\n"
     "terrain {branch}\n    ground {bl} {y}  {br} {y}\n    depth 16\n"},
    {"TerrainDeco", 0, "new TerrainDeco\n    construct {branch} terrain-deco-roots:0 8 1\n    position 0 {by} 0\n"},
    {"Drawbridge", 90, "new Drawbridge {bridge}\n    construct\n    position {x} {y} 0\n"},
    // Hanging in the air at the cell's left end, out of reach of the hero,
    // the baskets and the animals, which leave hanging apples alone.
    {"Apple", 300, "new Apple\n    position {xl} {y} 0\n"},
    {"A99Object", 30, "new A99Object\n    pSkin drawbridge:0\n    position {x} {y} 0\n    scale 0.3 1 1\n"},
    {"Area", 20, "new Area\n    position {x} {y} 0\n    areaType water\n"},
    {"Basket", 0, "new Basket\n    position {x} {y} 0\n"},
    // A basket's position lies its shape's contact offset above the point
    // it stands on: the height that puts that point on the ground.
    {"BasketA", 15, "new BasketA\n    construct\n    position {x} {y} 0\n"},
    {"BasketB", 17, "new BasketB\n    construct\n    position {x} {y} 0\n"},
    {"BasketC", 32, "new BasketC\n    construct\n    position {x} {y} 0\n"},
    {"BasketD", 36, "new BasketD\n    construct\n    position {x} {y} 0\n"},
    {"Bear", 60, "new Bear\n    position {x} {y} 0\n    pPath {path}\n    pathSpeed 0.06\n    endpointDelay 1.5\n"},
    {"Bee", 150, "new Bee\n    pPath {path}\n    pathSpeed 0.12\n"},
    {"BlastableObject", 48,
     "new BlastableObject\n    pSkin rocksA:{n3}\n    position {x} {y} 0\n    scale 0.5 0.5 1\n    material stone\n"},
    {"Butterfly", 140, "new Butterfly\n    position {x} {y} 0\n    pPath {path}\n    pathSpeed 0.35\n"},
    {"Cargo", 40, "new Cargo\n    position {x} {y} 0\n"},
    {"Compass", 20, "new Compass\n    position {x} {y} 0\n    compassType 0\n"},
    {"Decoration", 0, "new Decoration\n    position {x} {y} 0\n"},
    {"Explosion", 30, "new Explosion\n    pSkin dynamite:0\n    position {x} {y} 0\n    explosionRadius 100\n"},
    {"Fence", 0, "new Fence\n    construct\n    position {x} {y} 0\n    stakeCount 3\n"},
    {"FishA", 100, "new FishA\n    pPath {path}\n    pathSpeed 0.25\n"},
    {"FishB", 100, "new FishB\n    pPath {path}\n    pathSpeed 0.1\n    endpointDelay 0.5\n"},
    {"Frog", 20, "new Frog\n    position {x} {y} 0\n"},
    {"Geyser", 0, "new Geyser\n    position {x} {y} 0\n    idleTime 2.5\n    eruptTime 1.2\n    geyserHeight 300\n"},
    {"Hedgehog", 20, "new Hedgehog\n    pPath {path}\n    pathSpeed 0.12\n    endpointDelay 1.5\n"},
    {"Horse", 14, "new Horse\n    position {x} {y} 0\n"},
    {"PathFollower", 120, "new PathFollower\n    pSkin sweets:{n8}\n    pPath {path}\n    pathSpeed 0.2\n"},
    {"PathPlatform", 120,
     "new PathPlatform\n    pSkin drawbridge:0\n    scale 0.25 1 1\n    pPath {path}\n"
     "    pathSpeed 0.4\n    bSinusoidal yes\n"},
    {"PhysObject", 40, "new PhysObject\n    position {x} {y} 0\n"},
    {"Rabbit", 0, "new Rabbit\n    position {x} {y} 0\n    inTime 2\n    outTime 3\n"},
    {"Rotator", 200,
     "new Rotator\n    pSkin drawbridge:0\n    position {x} {y} 0\n    scale 0.3 1 1\n"
     "    angle1 -0.2\n    angle2 0.2\n"},
    {"SaveProgressTrigger", 0, "new SaveProgressTrigger\n    construct flowers1:3\n    position {x} {y} 0\n"},
    {"ScrollingSkinnedPath", 300,
     "new ScrollingSkinnedPath\n    construct water:0\n    position {x} {y} 0\n"
     "    skinThicknessScale 0.45\n    scrollSpeed -0.6\n"},
    {"SecretArea", 60, "new SecretArea\n    position {x} {y} 0\n    triggerRadius 25\n"},
    {"SkinnedPath", 0,
     "new SkinnedPath\n    construct terrain-deco-roots:0\n    position {x} {y} 0\n"
     "    skinThicknessScale 0.6\n"},
    {"Snail", 10, "new Snail\n    pPath {path}\n    pathSpeed 0.06\n    endpointDelay 1.5\n"},
    {"SpringRotator", 60,
     "new SpringRotator\n    pSkin fence:4\n    position {x} {y} 0\n    scale 1 1.6 1\n    minAngle -0.3\n"
     "    maxAngle 0.3\n"},
    {"Springboard", 0, "new Springboard\n    position {x} {y} 0\n    force 1100\n"},
    {"Sweet", 60, "new Sweet\n    position {x} {y} 0\n    type {n8}\n"},
    {"SweetPath", 220, "new SweetPath\n    position {x} {y} 0\n    sweetInstances 3\n"},
    {"Switch", 20, "new Switch\n    position {x} {y} 0\n    target1 {bridge}\n"},
    {"Telescope", 40, "new Telescope\n    position {x} {y} 0\n    lookAt {x} {y} -700\n"},
    {"TriggerArea", 100, "new TriggerArea\n    position {x} {y} 0\n"},
    {"TriggerHint", 40, "new TriggerHint\n    position {x} {y} 0\n    triggerRadius 20\n    hintTextID HINTSIGN\n"},
    {"Umbrella", 30, "new Umbrella\n    position {x} {y} 0\n"},
    {"Vegetation", 0, "new Vegetation\n    construct trees-rigid:{n4}\n    position {x} {y} 0\n"},
    {"VegetationBend", 0, "new VegetationBend\n    construct flowers-cattail:{n4}\n    position {x} {y} 0\n"},
    {"Waterfall", 300,
     "new Waterfall\n    position {x} {y} 0\n    numParticles 20\n    startWidth 20\n"
     "    endWidth 50\n"},
    {"WingedHat", 30, "new WingedHat\n    position {x} {y} 0\n"},
    {"WoodSign", 0, "new WoodSign\n    position {x} {y} 0\n    type {n3}\n"},
    {"Worm", 0, "new Worm\n    pPath {path}\n    pathSpeed 0.1\n"},
};
constexpr int kPerCell = static_cast<int>(sizeof kCell / sizeof kCell[0]);

void replaceAll(std::string& text, std::string_view key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

}  // namespace

std::string stressLevelDescription(int objects) {
    objects = std::max(objects, 0);
    // The placed objects: the two of the hero's and the house's classes, the
    // grounds of the storeys above the first, then the cells' objects.
    const int singles = std::min(objects, 2);
    int storeys = 1, inCells = 0, cells = 0;
    for (;;) {
        inCells = std::max(0, objects - singles - (storeys - 1));
        cells = (inCells + kPerCell - 1) / kPerCell;
        const int needed = std::max(1, (cells + kCellsPerStorey - 1) / kCellsPerStorey);
        if (needed <= storeys) break;
        storeys = needed;
    }
    std::string text;
    char line[256];
    std::snprintf(line, sizeof line,
                  "# A stress level of %d placed objects in %d cells on %d storeys (generated).\n\n"
                  "level\n    applesNeeded 3\n    parTime 600\n    season 0\n    weatherIntensity 0\n"
                  "    playingArea %d %d %d 0\n\n",
                  objects, cells, storeys, -kLevelHalfWidth, kGround + storeys * kStoreyHeight + 600, kLevelHalfWidth);
    text += line;
    std::snprintf(line, sizeof line, "terrain\n    ground %d %d  %d %d\n\n", -kLevelHalfWidth, kGround, kLevelHalfWidth,
                  kGround);
    text += line;
    std::snprintf(line, sizeof line, "edit hero\n    position %d %d 0\n\nedit house\n    position %d %d 0\n\n", -4000,
                  kGround + 40, 4000, kGround);
    text += line;
    std::snprintf(line, sizeof line, "edit apple\n    position %d %d 0\n\n", -3950, kGround + 16);
    text += line;
    // The classes of the hero and her house that the starter content makes
    // no object of on its own.
    if (singles > 0) {
        std::snprintf(line, sizeof line, "new HousePart\n    construct\n    position %d %d 0\n\n", 3900, kGround);
        text += line;
    }
    if (singles > 1) {
        std::snprintf(line, sizeof line, "new PigBody\n    position %d %d 0\n\n", 3850, kGround + 40);
        text += line;
    }
    // The storeys above the level's own ground.
    for (int s = 1; s < storeys; ++s) {
        const int g = kGround + s * kStoreyHeight;
        std::snprintf(line, sizeof line,
                      "new Terrain storey%d\n    construct 512 16\n    position 0 %d 0\n"
                      "terrain storey%d\n    ground %d %d  %d %d\n    depth 32\n\n",
                      s, g, s, -kLevelHalfWidth, g, kLevelHalfWidth, g);
        text += line;
    }
    int made = 0;
    for (int k = 0; k < cells; ++k) {
        const int storey = k / kCellsPerStorey;
        const int g = kGround + storey * kStoreyHeight;
        const int cx = kFirstCell + (k % kCellsPerStorey) * kCellWidth;
        const std::string suffix = std::to_string(k);
        text += "# cell " + suffix + "\n";
        for (int i = 0; i < kPerCell && made < inCells; ++i, ++made) {
            const CellObject& o = kCell[i];
            // Side by side across the cell; the path and the branch in its middle.
            const int x = (i < 2) ? cx + kCellWidth / 2 : cx + 4 + i * (kCellWidth - 8) / kPerCell;
            std::string block = o.lines;
            replaceAll(block, "{path}", "path" + suffix);
            replaceAll(block, "{branch}", "branch" + suffix);
            replaceAll(block, "{bridge}", "bridge" + suffix);
            replaceAll(block, "{bl}", std::to_string(cx + kCellWidth / 2 - 64));
            replaceAll(block, "{br}", std::to_string(cx + kCellWidth / 2 + 64));
            replaceAll(block, "{by}", std::to_string(g + kCell[1].height));
            replaceAll(block, "{xl}", std::to_string(cx + 8));
            replaceAll(block, "{x}", std::to_string(x));
            replaceAll(block, "{y}", std::to_string(g + o.height));
            replaceAll(block, "{g}", std::to_string(g));
            replaceAll(block, "{n3}", std::to_string(k % 3));
            replaceAll(block, "{n4}", std::to_string(k % 4));
            replaceAll(block, "{n8}", std::to_string(k % 8));
            text += block;
            text += "\n";
        }
    }
    return text;
}

bool buildStressLevel(int objects, BuiltLevel& out, std::string& error) {
    LevelDescription description;
    if (!parseDescription(stressLevelDescription(objects), "stress.txt", description, error)) return false;
    LevelDraft draft;
    LevelBuilder builder(draft, description);
    if (!builder.build(error)) return false;
    // A copy: the points registered below change the registry's list.
    const std::vector<int32_t> uids = draft.server().objectMap.ascending();
    for (int32_t uid : uids) {
        auto* path = zub_cast<BezierPath>(draft.server().findObjectOrNull(uid));
        if (!path || path->vertexCount() > 0) continue;
        path->addPoint(-140.0f, -60.0f, 0.0f);
        path->addPoint(0.0f, 40.0f, 0.0f);
        path->addPoint(140.0f, -60.0f, 0.0f);
        path->onEdited();
    }
    out.name = "stress";
    out.number = 0;
    out.labels.clear();
    for (const auto& [label, o] : builder.allLabels()) out.labels.emplace(label, o->objectUID);
    out.problems.clear();
    out.minimap.clear();
    out.bytes = draft.write();
    return true;
}

}  // namespace levelbuild
