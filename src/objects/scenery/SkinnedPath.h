#pragma once
// A Bezier path drawn as a textured band along itself (a vine, a branch, a
// plank bridge, a stream): its skin is a DeformedQuad that bends a reference
// quad along the path. The path owns that skin, makes it after every
// replication and copies its own settings into it after every edit.
//
// ScrollingSkinnedPath (its own file) moves the texture along the band at a
// constant speed (flowing water, a moving belt).
#include <cstdint>

#include "object/RPC.h"
#include "objects/scenery/OwnedSkin.h"
#include "world/BezierPath.h"

class DeformedQuad;
class Quad;

class SkinnedPath : public BezierPath {
    ZUB_DECLARE_CLASS(SkinnedPath)
public:
    // The most pairs a band is built of (a loaded count is bounded by it).
    static constexpr int32_t MAX_DEFORM_SEGMENTS = 1024;

    SkinnedPath();
    ~SkinnedPath() override;

    // Sends the construct call (with the quad) and runs it here.
    void construct(Quad* quad);
    using EditorObject::construct;
    // The proxy, the reference quad, then the two points (-w/2, 0) and
    // (w/2, 0) of the quad's width w: a new path is as long as its quad.
    void local_construct(Quad* quad);
    using EditorObject::local_construct;

    // A new skin (the settings are copied in after the global pass).
    void netPostReplicate() override;
    void netPostReplicateGlobal() override;
    void onEdited() override;
    Skin** getSkinProperty(const RuntimeClass** skinType) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Copies the settings into the skin and lays it along the path; nothing
    // before the skin exists.
    void refreshSkin();
    DeformedQuad* band() const;

    Quad* pRefQuad = nullptr;
    int32_t deformSegments = 8;
    bool bSkinMap1to1 = false;
    float skinThicknessScale = 1.0f;
    float skinBulge = 0.0f;
    float skinOffcenter = 0.5f;

private:
    Skin* bodySkin = nullptr;  // the body's "pSkin": the band travels by its settings
};

class RPCSkinnedPathConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCSkinnedPathConstruct)
public:
    RPCSkinnedPathConstruct() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    Quad* quad = nullptr;
};
