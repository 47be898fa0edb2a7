#include "objects/scenery/SkinnedPath.h"

#include <algorithm>

#include "gfx/Quad.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "world/DeformedQuad.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(SkinnedPath, BezierPath, object_ids::SkinnedPath)
ZUB_IMPLEMENT_CLASS(RPCSkinnedPathConstruct, RPC, object_ids::RPCSkinnedPathConstruct)

void RPCSkinnedPathConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_RESOURCE, &quad, &Quad::classRecord), "the picture bent along the path");
}

void RPCSkinnedPathConstruct::execute() {
    if (SkinnedPath* p = zub_cast<SkinnedPath>(target)) p->local_construct(quad);
}

// ---------------------------------------------------------------------------
// SkinnedPath

SkinnedPath::SkinnedPath() = default;

SkinnedPath::~SkinnedPath() = default;

DeformedQuad* SkinnedPath::band() const { return bOwnsSkin ? static_cast<DeformedQuad*>(pSkin) : nullptr; }

void SkinnedPath::construct(Quad* quad) {
    RPCSkinnedPathConstruct rpc;
    rpc.target = this;
    rpc.quad = quad;
    rpc.call();
}

void SkinnedPath::local_construct(Quad* quad) {
    EditorObject::local_construct();
    pRefQuad = quad;
    // The first point announces an edit before the path has a segment: the
    // band is laid once the second one is there.
    const float w = quad ? quad->width : 0.0f;
    addPoint(-w / 2.0f, 0.0f, 0.0f);
    addPoint(w / 2.0f, 0.0f, 0.0f);
}

void SkinnedPath::netPostReplicate() {
    A99Object::netPostReplicate();
    if (Skin* old = band()) {
        pSkin = nullptr;
        deleteObject(old);
    }
    pSkin = new DeformedQuad(this);
    bOwnsSkin = 1;
    onTransformChanged();
}

void SkinnedPath::netPostReplicateGlobal() {
    BezierPath::netPostReplicateGlobal();
    refreshSkin();
}

void SkinnedPath::onEdited() {
    BezierPath::onEdited();
    refreshSkin();
}

void SkinnedPath::refreshSkin() {
    DeformedQuad* q = band();
    if (!q) return;
    // The settings go in together; the reference then lays the band once.
    q->deformSegments = std::clamp(deformSegments, 0, MAX_DEFORM_SEGMENTS);
    q->vb.setSize(2 * q->deformSegments);
    q->bSkinMap1to1 = bSkinMap1to1;
    q->skinThicknessScale = skinThicknessScale;
    q->skinBulge = skinBulge;
    q->skinOffcenter = skinOffcenter;
    q->setReference(pRefQuad);
    onTransformChanged();
}

Skin** SkinnedPath::getSkinProperty(const RuntimeClass** skinType) {
    if (skinType) *skinType = &Quad::classRecord;
    return scenery::asSkinField(&pRefQuad);
}

void SkinnedPath::addPropertiesTo(PropertyContainer* c) {
    BezierPath::addPropertiesTo(c);
    scenery::detachSkinProperty(c, &bodySkin);
    c->add(new PropertyPointer(u"pRefQuad", PROP_RESOURCE, &pRefQuad, &Quad::classRecord),
           "the picture bent along the path (sheet:frame)");
    c->add(new PropertyInt(u"deformSegments", 0, &deformSegments), "how many pieces the picture bends in");
    c->add(new PropertyBool(u"bSkinMap1to1", 0, &bSkinMap1to1),
           "the texture keeps its size and repeats along the path (no: stretched)");
    c->add(new PropertyFloat(u"skinThicknessScale", 0, &skinThicknessScale),
           "the band's thickness as a factor of the picture's height");
    c->add(new PropertyFloat(u"skinBulge", 0, &skinBulge), "0 even thickness; 1 thin at both ends, full in the middle");
    c->add(new PropertyFloat(u"skinOffcenter", 0, &skinOffcenter),
           "the share of the band on the left of the path (0.5: centred)");
    c->add(new PropertyRPC<RPCSkinnedPathConstruct>(u"construct", 0, this));
}
