#pragma once
// Small pieces of scenery.
//
// Fence: a Bezier path drawn as a row of stakes spaced evenly along it from
// one end to the other, optionally joined by crossbeams. It has no hull.
//
// Vegetation: a static plant or bush, one quad cut from a reference quad and
// standing on its bottom edge; anchored to a terrain it keeps its offsets to
// the terrain when the terrain is edited.
//
// HillsBackdrop: the season's distant hills behind a level, three strips of
// repeated hill images, each sliding more slowly than the level in front of
// it. Not a level object: the level's backdrop holder ticks and draws it.
#include <cstdint>
#include <vector>

#include "object/RPC.h"
#include "objects/scenery/OwnedSkin.h"
#include "world/BezierPath.h"

class Quad;
class Texture;

class Fence : public BezierPath {
    ZUB_DECLARE_CLASS(Fence)
public:
    static constexpr int32_t TYPE_COUNT = 4;
    // The most stakes drawn (a loaded count is bounded by it).
    static constexpr int32_t MAX_STAKES = 4096;
    // Margin of the culling radius beyond the farthest stake.
    static constexpr float CULL_MARGIN = 128.0f;
    // How far beams reach past the stakes, by type (half on each end).
    static constexpr float BEAM_OVERHANG[TYPE_COUNT] = {32.0f, 0.0f, 16.0f, 48.0f};

    Fence();
    ~Fence() override;

    // Sends the construct call and runs it here.
    void construct();
    // The proxy, then the points (-128, 0) and (128, 0): 256 long.
    void local_construct() override;

    // The path, then (with segments) the culling radius from the stakes.
    void onEdited() override;
    // Beams, then stakes (when the culling square meets the game camera's
    // view), then the editor drawing.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Stake i of the current count: its local point and the path's direction
    // there; false for a path without segments.
    bool stakeAt(int i, V3* point, float* angle) const;
    int stakesToDraw() const;

    float cullRadius = 0.0f;  // the property "boundingRadius"
    int32_t fenceType = 0;
    int32_t stakeCount = 2;
    bool bCrossbeams = true;
    Texture* sheet;  // "fence": stakes 0-3, beams 4-7 by type

private:
    std::vector<V3> points;
    std::vector<float> angles;
};

class Terrain;

class Vegetation : public A99Object {
    ZUB_DECLARE_CLASS(Vegetation)
public:
    // Fractions cut off the reference rectangle (each of what the first cut
    // of its axis left for the second).
    struct Shrink {
        float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    };

    Vegetation();
    ~Vegetation() override;

    void construct(Quad* quad);
    using EditorObject::construct;
    // The proxy and the reference quad; a null quad is fatal.
    void local_construct(Quad* quad);
    using EditorObject::local_construct;

    // A new quad cut from the reference.
    void netPostReplicate() override;
    // Refreshes, recuts, and with a terrain goes back to its offsets to it.
    void onEdited() override;
    // With a terrain, records the offsets of the new place to it first.
    void setPosition(float x, float y, float z) override;
    using EditorObject::setPosition;
    Skin** getSkinProperty(const RuntimeClass** skinType) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Cuts the owned quad from the reference (made first when missing);
    // nothing while there is no reference quad (not constructed yet).
    void rebuild();
    Terrain* terrain() const;

    ZubBaseReference pTerrain{this};
    Quad* pRefQuad = nullptr;
    Shrink rectShrink;
    float terrainHoverY = 0.0f;
    float terrainDeltaX = 0.0f;

private:
    Skin* bodySkin = nullptr;
};

class HillsBackdrop : public ZubBase {
public:
    // The strips, back to front.
    struct Strip {
        bool front;      // hillsB, else hillsA
        float depth;     // p: slides at 1/p of the level's speed
        float parallax;  // q: follows the camera's height by 1 - 1/q
        float offset;    // in half screen heights, downwards
        uint32_t color;
    };
    static constexpr Strip STRIPS[3] = {{false, 4.0f, 16.0f, -0.55f, 0xFFFFFFFFu},
                                        {true, 2.0f, 8.0f, -0.6f, 0xFFCCCCCCu},
                                        {true, 1.5f, 6.0f, -1.0f, 0xFFFFFFFFu}};
    // Copies of one strip at most (a far camera sees many).
    static constexpr int MAX_COPIES = 256;

    // The season's "hillsA" and "hillsB" skins.
    HillsBackdrop(Skin* back, Skin* front);
    ~HillsBackdrop() override;

    // The three strips around the current context's camera, when the game's
    // detail level is 1 or more and Ctrl+Alt+H is not held.
    void render() override;

    Skin* pSkinBack;
    Skin* pSkinFront;

private:
    void drawStrip(Skin* skin, float p, float q, float dx, float dy, float dz, uint32_t color);
};

class RPCFenceConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCFenceConstruct)
public:
    RPCFenceConstruct() : RPC(true, true, false) {}
    void execute() override;
};

class RPCVegetationConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCVegetationConstruct)
public:
    RPCVegetationConstruct() : RPC(true, true, false) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    Quad* quad = nullptr;
};
