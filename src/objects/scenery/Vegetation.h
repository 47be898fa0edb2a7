#pragma once
// A static plant or bush, one quad cut from a reference quad and standing on
// its bottom edge; anchored to a terrain it keeps its offsets to the terrain
// when the terrain is edited.
#include "object/RPC.h"
#include "objects/scenery/OwnedSkin.h"
#include "world/A99Object.h"

class Quad;
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

class RPCVegetationConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCVegetationConstruct)
public:
    RPCVegetationConstruct() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    // No reference quad.
    WString argumentFault() const override;
    Quad* quad = nullptr;
};
