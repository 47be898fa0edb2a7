#pragma once
// The level map the minimap overlay shows ("minimapNN", the file
// "gfx/minimap/mapNN.tga" of the level archive), drawn from the level
// itself: 256 x 192 pixels over the playing area, the area's left edge in
// column 0 and its top in row 0, as the overlay maps world points onto the
// picture (OverlayMiniMap::iconPlace). On the season's sky it shows, in the
// level's drawing order, the terrain (its grass or snow, and earth), trees
// and bushes, the bands laid along paths (trunks, branches, water sheets)
// along their curves, the solid outlines of the other objects that stand
// still (rocks, platforms, bridges) and the larger ones without an outline
// as their pictures' rectangles; over them the areas (water, mud, acid,
// danger), then the house and the apples. Opaque everywhere; the overlay
// hides what has not been explored.
#include <cstdint>
#include <vector>

#include "Canvas.h"

class GameController;

namespace levelbuild {

constexpr int MINIMAP_WIDTH = 256;
constexpr int MINIMAP_HEIGHT = 192;

// What the map shows, each thing in its colour (the tests find them).
namespace minimap_colours {
constexpr uint32_t HOUSE = 0xFFC86E46;
constexpr uint32_t ROOF = 0xFFA04030;
constexpr uint32_t APPLE = 0xFFD62F2A;
constexpr uint32_t TREE = 0xFF2E7D32;
constexpr uint32_t TRUNK = 0xFF6D4C2A;
constexpr uint32_t SOLID = 0xFF8A8A8A;
constexpr uint32_t OBJECT = 0xFFB09A7A;
}  // namespace minimap_colours

// Whether level `number` has a map: the normal levels below 31.
bool hasMinimap(int number);

// The map of the level a draft's controller holds (a loaded level has its
// boundary walls too, which would cover it).
contentgen::Canvas drawMinimap(GameController& gc);

}  // namespace levelbuild
