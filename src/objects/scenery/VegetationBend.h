#pragma once
// Plants that bend.
//
// VegetationBend: a stalk, flower or reed drawn as one textured quad bent
// into an arc. The picture is cut from a reference quad (less the fractions
// of rectShrink), stands on its root (the middle of its left edge, the
// plant being turned a quarter by default) and bends by its resting bend
// plus the vertical displacement of a spring point. The hero standing on
// the plant's hull pushes the spring across the plant, and the plant sways
// until the spring settles. On a terrain it keeps its offsets to the
// terrain's x and surface when either moves.
//
// The spring is a member, ticked by the plant alone (never in the editor),
// and saved with the plant's properties. The bent quad is the plant's own
// skin, made anew after every replication; until the plant has been
// constructed with its reference quad there is nothing to cut and the plant
// shows nothing.
//
// SaveProgressTrigger (triggers/) is a bending plant that saves the hero's
// progress.
#include "object/RPC.h"
#include "world/A99Object.h"
#include "world/SpringPoint.h"

class BentQuad;
class Quad;
class Terrain;

class VegetationBend : public A99Object {
    ZUB_DECLARE_CLASS(VegetationBend)
public:
    // The spring as the plant sets it up.
    static constexpr float SPRING_MASS = 0.01f;
    static constexpr float SPRING_K = 2.0f;
    static constexpr float SPRING_DAMPING = 10.0f;
    // A change of the bend up to this much keeps the drawn quad as it is.
    static constexpr float BEND_STEP = 0.001f;
    // The most segments the bent quad is given (the property may hold more).
    static constexpr int MAX_SEGMENTS = 256;

    VegetationBend();
    ~VegetationBend() override;

    // The spring, then the bend it gives (nothing while the level is edited).
    void tick(double time, double dt) override;
    // Editor: a drag with B held (no modifier) bends the plant at rest by the
    // pointer's turn about the plant's root.
    bool onEvent(ZubEvent& ev) override;
    // A new bent quad, cut from the reference quad.
    void netPostReplicate() override;
    // The bent quad travels as no skin: it is rebuilt after replication.
    void netSerialize(Packet& p) override;
    // Rebuilds the quad and, on a terrain, follows it.
    void onEdited() override;
    // On a terrain the new place sets the offsets to it first.
    void setPosition(float x, float y, float z) override;
    using EditorObject::setPosition;
    // The editor's skin chooser edits the reference quad.
    Skin** getSkinProperty(const RuntimeClass** skinType) override;
    // The hero's push across the plant, weighted by how far out she stands.
    void onStoodOnAt(Pig* pig, V3 from, V3 to) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Sends the construct call with the reference quad (when the role
    // allows) and runs it here.
    void construct(Quad* quad);
    using EditorObject::construct;
    // The proxy and the reference quad (null is fatal), then the picture.
    void local_construct(Quad* quad);
    using EditorObject::local_construct;

    // Cuts the picture from the reference quad: segments, texture, the
    // shrunk rectangle, the rotate switch, the resting bend, the root.
    // Nothing before the plant has its bent quad and its reference quad.
    void refreshQuad();
    // The reference quad, or null.
    Quad* refQuad() const;
    // The bent quad the plant draws, or null before replication.
    BentQuad* bentQuad() const { return quad; }
    Terrain* terrain() const;

    SpringPoint spring;
    ZubBaseReference pTerrain{this};
    // A Quad, named as a resource.
    Skin* pRefQuad = nullptr;
    struct Shrink {
        float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    } rectShrink;
    float terrainHoverY = 0.0f;
    float terrainDeltaX = 0.0f;
    int32_t bendSegments = 8;
    float baseBendAngle = 0.0f;
    bool bRotate90 = true;

private:
    // Deletes the bent quad (when the plant still shows it).
    void dropQuad();

    BentQuad* quad = nullptr;  // owned; the skin while it is shown
};

// The plant's construct call: runs local_construct (quad) on every peer.
class RPCVegetationBendConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCVegetationBendConstruct)
public:
    RPCVegetationBendConstruct() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* container) override;
    void execute() override;
    Skin* quad = nullptr;
};
