#pragma once
// A textured band laid along a stretch of the terrain (grass tufts along the
// top, the grassy face of the ground, the earth band between the terrain's
// two rows): it owns a TerrainSkin built from its settings and places it so
// that the band's first pair sits on the terrain point where it starts. The
// band is rebuilt whenever the deco or its terrain is edited; when the
// terrain goes, the deco goes with it.
//
// Editor keys (with the deco focused): Ctrl+T hands the terrain to the
// editor; Z steps the thickness profile (bits 3-4 of skinFlags), X the side
// and row (bits 0-1), C toggles the upright offset (bit 2); W and S raise and
// lower the band (with Shift the profiled nudge); Q and A add and remove a
// point (not below 4).
#include <cstdint>

#include "object/RPC.h"
#include "objects/scenery/OwnedSkin.h"
#include "world/A99Object.h"
#include "world/TerrainSkin.h"

class Quad;
class Terrain;

class TerrainDeco : public A99Object, public TerrainSkinSource {
    ZUB_DECLARE_CLASS(TerrainDeco)
public:
    // The fewest points the A key leaves.
    static constexpr int32_t MIN_EDITED_SEGMENTS = 4;

    TerrainDeco();
    ~TerrainDeco() override;

    // Sends the construct call (terrain, reference quad, points, flags) and
    // runs it here.
    void construct(Terrain* terrain, Quad* refQuad, int segments, int flags);
    using EditorObject::construct;
    // The proxy and the settings; a null quad or fewer than one point is fatal.
    void local_construct(Terrain* terrain, Quad* refQuad, int segments, int flags);
    using EditorObject::local_construct;

    // The terrain's loss deletes the deco; editor keys as above.
    bool onEvent(ZubEvent& ev) override;
    // A new band (laid in the global pass, once the terrain exists).
    void netPostReplicate() override;
    void netPostReplicateGlobal() override;
    // Lays the band from the terrain point under the deco: nothing without a
    // terrain or points (not constructed yet).
    void onEdited() override;
    // The band reads the terrain through TerrainSkinSource::pTerrain, which
    // is brought up to date with the reference first.
    void renderObject() override;
    Skin** getSkinProperty(const RuntimeClass** skinType) override;
    void addPropertiesTo(PropertyContainer* container) override;

    TerrainSkin* band() const;
    Terrain* terrain() const { return terrainRef.as<Terrain>(); }

    // The property "pTerrain"; TerrainSkinSource::pTerrain follows it.
    ZubBaseReference terrainRef{this};

private:
    bool onEditorKey();
    Skin* bodySkin = nullptr;
};

class RPCTerrainDecoConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCTerrainDecoConstruct)
public:
    RPCTerrainDecoConstruct() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    // No reference quad, or fewer than one point.
    WString argumentFault() const override;
    Terrain* terrain = nullptr;
    Quad* quad = nullptr;
    int32_t segments = 0;
    int32_t flags = 0;
};
