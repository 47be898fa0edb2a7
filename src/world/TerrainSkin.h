#pragma once
// A skin laid along a stretch of the terrain's surface (grass fringes, ground
// and earth bands): a strip of quads, one pair of vertices per terrain point
// (A on the surface side, B on the far side), textured from a reference quad
// with the texture repeating along x; earth that repeats straight down to
// the terrain's bottom row (FLIP, UPRIGHT, SPAN_ROWS and SCALE_FAR_V)
// repeats by the height, level whatever the surface above does. It draws
// only the pairs under the camera's view.
#include <cstdint>

#include "gfx/Skin.h"
#include "util/Math.h"

class Quad;
class Terrain;

// What a terrain skin is laid from: the settings of its owner (the terrain
// decoration derives from this).
struct TerrainSkinSource {
    // skinFlags bits.
    enum : int32_t {
        FLIP = 0x1,            // the band extends the other way, texture flipped vertically
        BOTTOM_ROW = 0x2,      // follow row 1 of the terrain
        UPRIGHT = 0x4,         // offset along (0, 1, 0) instead of the normal
        RISING = 0x8,          // thickness profile sin(pi/2 t); with FALLING sin(pi t)
        FALLING = 0x10,        // thickness profile sin(pi/2 t + pi/2)
        FADE_IN = 0x20,        // over the first quarter
        FADE_OUT = 0x40,       // over the last quarter
        SCALE_FAR_V = 0x80,    // with FLIP and SPAN_ROWS: far-side v follows the span (UPRIGHT: v by the height)
        SPAN_ROWS = 0x100,     // with FLIP: the band spans row 0 to row 1
        U_FROM_START = 0x200,  // texture u counted from the strip's start
    };

    Terrain* pTerrain = nullptr;
    Quad* pSkinRefQuad = nullptr;
    V3 skinNudge;
    V3 skinNudgeAbs;
    V3 skinTexScale{1.0f, 1.0f, 1.0f};
    int32_t skinFlags = 0;
    int32_t skinStartingSegment = 0;
    int32_t skinSegments = 0;
};

class TerrainSkin : public Skin {
public:
    explicit TerrainSkin(TerrainSkinSource* owner);
    ~TerrainSkin() override;

    // Rebuilds the vertices from the owner and the terrain.
    void refresh();
    // The pairs under the current camera's view (three pairs of margin on
    // each side) as one triangle strip.
    void draw(Renderable* carrier) override;
    // The skin rectangle, then between the two sides' heights at x.
    bool isPointInside(float x, float y, float z) const override;
    // The heights of the A and B sides at a local x (either may be null).
    void getHeightsAt(float x, float* outA, float* outB) const;
    // The pairs drawn for a view from left to right (world x): first and
    // last pair; false when none.
    bool visiblePairs(float left, float right, int* first, int* last) const;

    TerrainSkinSource* pTerrainDeco;
    // The first terrain point in the skin's centred frame.
    V3 anchor;
};
