#include "objects/scenery/Vegetation.h"

#include <algorithm>
#include <cmath>

#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "world/BezierSegment.h"
#include "world/GameWorld.h"
#include "world/Terrain.h"

ZUB_IMPLEMENT_CLASS(Vegetation, A99Object, object_ids::Vegetation)
ZUB_IMPLEMENT_CLASS(RPCVegetationConstruct, RPC, object_ids::RPCVegetationConstruct)

void RPCVegetationConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_RESOURCE, &quad, &Quad::classRecord), "the plant's picture");
}

WString RPCVegetationConstruct::argumentFault() const {
    if (!quad) return u"a plant's construct call needs a reference quad (a skin)";
    return {};
}

void RPCVegetationConstruct::execute() {
    if (Vegetation* v = zub_cast<Vegetation>(target)) v->local_construct(quad);
}

Vegetation::Vegetation() { material = MAT_LEAVES; }

Vegetation::~Vegetation() = default;

Terrain* Vegetation::terrain() const { return pTerrain.as<Terrain>(); }

void Vegetation::construct(Quad* quad) {
    RPCVegetationConstruct rpc;
    rpc.target = this;
    rpc.quad = quad;
    rpc.call();
}

void Vegetation::local_construct(Quad* quad) {
    EditorObject::local_construct();
    pRefQuad = quad;
    ZUB_ASSERT(pRefQuad != NULL);
}

void Vegetation::netPostReplicate() {
    A99Object::netPostReplicate();
    if (bOwnsSkin && pSkin) {
        Skin* old = pSkin;
        pSkin = nullptr;
        deleteObject(old);
    }
    rebuild();
}

void Vegetation::rebuild() {
    // Placed but not constructed yet: nothing to cut (the editor shows its
    // icon until then).
    if (!pRefQuad) return;
    if (!bOwnsSkin || !pSkin) {
        pSkin = new Quad();
        bOwnsSkin = 1;
    }
    Quad* q = static_cast<Quad*>(pSkin);
    q->setTexture(pRefQuad->texture);
    const double L = pRefQuad->rectLeft, T = pRefQuad->rectTop, R = pRefQuad->rectRight, B = pRefQuad->rectBottom;
    const int left = scenery::truncatePixels(L + (R - L) * rectShrink.left);
    const int right = scenery::truncatePixels(R - (R - left) * rectShrink.right);
    const int top = scenery::truncatePixels(T + (B - T) * rectShrink.top);
    const int bottom = scenery::truncatePixels(B - (B - top) * rectShrink.bottom);
    q->setRect(left, top, bottom, right);
    // Standing on its base.
    q->origin = V3(0.0f, -q->height / 2.0f, q->origin.z);
    onTransformChanged();
}

void Vegetation::setPosition(float x, float y, float z) {
    if (Terrain* t = terrain()) {
        float surface = 0.0f;
        t->getSurfaceAt(x, &surface, nullptr);
        terrainHoverY = y - surface;
        terrainDeltaX = x - t->position.x;
    }
    EditorObject::setPosition(x, y, z);
}

void Vegetation::onEdited() {
    onTransformChanged();
    rebuild();
    Terrain* t = terrain();
    if (!t) return;
    // Back to its offsets to the terrain; the surface is taken under its new
    // x, so a moved terrain carries the plant along unchanged.
    position.x = t->position.x + terrainDeltaX;
    float surface = 0.0f;
    t->getSurfaceAt(position.x, &surface, nullptr);
    position.y = surface + terrainHoverY;
    onTransformChanged();
}

Skin** Vegetation::getSkinProperty(const RuntimeClass** skinType) {
    if (skinType) *skinType = &Quad::classRecord;
    return scenery::asSkinField(&pRefQuad);
}

void Vegetation::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    scenery::detachSkinProperty(c, &bodySkin);
    c->add(new PropertyReference(u"pTerrain", 0, &pTerrain, &Terrain::classRecord), "the terrain it stands on");
    c->add(new PropertyPointer(u"pRefQuad", PROP_RESOURCE, &pRefQuad, &Quad::classRecord),
           "the plant's picture (sheet:frame)");
    PropertyContainer* shrink =
        c->add(new PropertyContainer(u"rectShrink", 0), "fractions cut off the picture's left, top, right and bottom");
    shrink->add(new PropertyFloat(u"left", 0, &rectShrink.left));
    shrink->add(new PropertyFloat(u"top", 0, &rectShrink.top));
    shrink->add(new PropertyFloat(u"right", 0, &rectShrink.right));
    shrink->add(new PropertyFloat(u"bottom", 0, &rectShrink.bottom));
    c->add(new PropertyFloat(u"terrainHoverY", 0, &terrainHoverY), "how far above the terrain's surface it stands");
    c->add(new PropertyFloat(u"terrainDeltaX", 0, &terrainDeltaX), "its x relative to the terrain's");
    c->add(new PropertyRPC<RPCVegetationConstruct>(u"construct", 0, this));
}
