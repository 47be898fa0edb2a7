// A terrain given a depth is earth down to its bottom row: the level's own
// earth band repeats its texture with the depth unless the description
// dresses that band itself.
#include <gtest/gtest.h>

#include "LevelBuilder.h"
#include "LevelDescription.h"
#include "LevelEnvironment.h"
#include "flow/LevelDraft.h"
#include "gfx/Quad.h"
#include "object/ResourceManager.h"
#include "objects/scenery/TerrainDeco.h"
#include "sys/ErrorManager.h"
#include "world/Terrain.h"

namespace {

const std::string kGround = R"(
level
    playingArea -2048 1600 2048 0
terrain
    ground -4096 300  -600 300  -300 500  300 500  600 300  4096 300
)";

struct Band {
    std::string texture;
    int32_t flags = -1;
};

// The earth band of the built description.
Band earthBand(const std::string& text) {
    levelbuild::LevelDescription description;
    std::string error;
    EXPECT_TRUE(levelbuild::parseDescription(text, "deep.txt", description, error)) << error;
    LevelDraft draft;
    levelbuild::LevelBuilder builder(draft, description);
    EXPECT_TRUE(builder.build(error)) << error;
    Band out;
    if (auto* band = zub_cast<TerrainDeco>(builder.find(u"grassBand"))) {
        out.texture = wideToNarrow(ResourceManager::active()->getResourceName(band->pSkinRefQuad));
        out.flags = band->skinFlags;
    }
    return out;
}

}  // namespace

TEST(DeepGround, DepthAloneMakesTheEarthBandRepeatDownToTheBottomRow) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;

    // Without a depth the starter's band stays as the draft made it.
    const Band starter = earthBand(kGround);
    EXPECT_EQ(starter.texture, "terrain-grassy:0");
    EXPECT_EQ(starter.flags, 261);

    // With one, the band is earth repeating down the depth, as a
    // description that dresses it so itself has it (the program's test
    // compares the two level files).
    const Band deep = earthBand(kGround + "    depth 600\n");
    EXPECT_EQ(deep.texture, "ground-dirt:0");
    EXPECT_EQ(deep.flags, 389);
}

TEST(DeepGround, ABandTheDescriptionDressesKeepsItsOwnLook) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;

    // Its texture given (the stretched earth of a level that wants it) ...
    const Band textured = earthBand(kGround + "    depth 600\nedit grassBand\n    pSkinRefQuad ground-leaves:0\n");
    EXPECT_EQ(textured.texture, "ground-leaves:0");
    EXPECT_EQ(textured.flags, 261);
    // ... or its flags.
    const Band flagged = earthBand(kGround + "    depth 600\nedit grassBand\n    skinFlags 5\n");
    EXPECT_EQ(flagged.texture, "terrain-grassy:0");
    EXPECT_EQ(flagged.flags, 5);
    // ... even as the draft made them.
    const Band kept = earthBand(kGround + "    depth 600\nedit grassBand\n    skinFlags 261\n");
    EXPECT_EQ(kept.texture, "terrain-grassy:0");
    EXPECT_EQ(kept.flags, 261);
    // A depth given to another terrain (a branch) leaves the level's band.
    const Band branch = earthBand(kGround +
                                  "new Terrain branch\n    construct 11 16\n    position 0 520 0\n"
                                  "terrain branch\n    ground -80 520  80 520\n    depth 16\n");
    EXPECT_EQ(branch.texture, "terrain-grassy:0");
    EXPECT_EQ(branch.flags, 261);
}
