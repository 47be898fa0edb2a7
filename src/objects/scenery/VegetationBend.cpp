#include "objects/scenery/VegetationBend.h"

#include <algorithm>
#include <cmath>

#include "audio/Sound.h"
#include "engine/FocusManager.h"
#include "gfx/BentQuad.h"
#include "gfx/Context.h"
#include "input/ZubInput.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

ZUB_IMPLEMENT_CLASS(VegetationBend, A99Object, object_ids::VegetationBend)
ZUB_IMPLEMENT_CLASS(RPCVegetationBendConstruct, RPC, object_ids::RPCVegetationBendConstruct)

namespace {

// A pixel coordinate of the cut rectangle, truncated towards zero; values
// no texture has (and not-a-number) are held to a range an int takes.
int pixel(float v) {
    constexpr float kLimit = 1.0e9f;
    if (!(v > -kLimit)) return v < 0.0f ? -static_cast<int>(kLimit) : 0;
    return static_cast<int>(std::min(v, kLimit));
}

float angleAbout(const V3& centre, const V3& p) { return std::atan2(p.y - centre.y, p.x - centre.x); }

}  // namespace

// ---------------------------------------------------------------------------
// Bending vegetation

VegetationBend::VegetationBend() {
    material = MAT_LEAVES;
    rotation.z = kPi / 2.0f;
    collisionSensitivity = 0.5f;
    spring.mass = SPRING_MASS;
    spring.k = SPRING_K;
    spring.damping = SPRING_DAMPING;
}

VegetationBend::~VegetationBend() { dropQuad(); }

void VegetationBend::dropQuad() {
    if (!quad) return;
    if (pSkin == quad) pSkin = nullptr;
    bOwnsSkin = 0;
    BentQuad* old = quad;
    quad = nullptr;
    deleteObject(old);
}

Quad* VegetationBend::refQuad() const { return zub_cast<Quad>(pRefQuad); }

Terrain* VegetationBend::terrain() const { return zub_cast<Terrain>(pTerrain.get()); }

void VegetationBend::construct(Quad* q) {
    RPCVegetationBendConstruct rpc;
    rpc.target = this;
    rpc.quad = q;
    rpc.call();
}

void VegetationBend::local_construct(Quad* q) {
    EditorObject::local_construct();
    pRefQuad = q;
    ZUB_ASSERT(pRefQuad != NULL);
    refreshQuad();
}

void VegetationBend::netSerialize(Packet& p) {
    // The bent quad is no resource: it travels as no skin and stays the
    // plant's picture until the next post-replication makes it anew.
    if (quad && pSkin == quad) pSkin = nullptr;
    A99Object::netSerialize(p);
    if (quad) pSkin = quad;
}

void VegetationBend::netPostReplicate() {
    A99Object::netPostReplicate();
    dropQuad();
    quad = new BentQuad();
    bOwnsSkin = 1;
    setSkin(quad);
    refreshQuad();
}

void VegetationBend::refreshQuad() {
    const Quad* ref = refQuad();
    // Used before its construct ran: nothing to cut yet.
    if (!quad || !ref) return;
    quad->setSegments(std::clamp(bendSegments, 1, MAX_SEGMENTS));
    quad->setTexture(ref->texture);
    // The second cut of each axis is a fraction of what the first left.
    const int l = ref->rectLeft, t = ref->rectTop, b = ref->rectBottom, r = ref->rectRight;
    const int left = pixel(static_cast<float>(l) + static_cast<float>(r - l) * rectShrink.left);
    const int right = pixel(static_cast<float>(r) - static_cast<float>(r - left) * rectShrink.right);
    const int top = pixel(static_cast<float>(t) + static_cast<float>(b - t) * rectShrink.top);
    const int bottom = pixel(static_cast<float>(b) - static_cast<float>(b - top) * rectShrink.bottom);
    quad->setRect(left, top, bottom, right);
    quad->bRotate = bRotate90;
    quad->refresh();
    quad->setBend(baseBendAngle);
    // The plant stands and bends on its root, the middle of the left edge.
    quad->origin.x = -quad->width / 2.0f;
    onTransformChanged();
}

void VegetationBend::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    spring.tick(time, dt);
    if (!quad || !refQuad()) return;
    const float bend = baseBendAngle + spring.position.y;
    if (std::fabs(bend - quad->bend) > BEND_STEP) {
        quad->setBend(bend);
        onTransformChanged();
    }
}

void VegetationBend::onStoodOnAt(Pig* pig, V3 from, V3 to) {
    (void)pig;
    if (!quad || !refQuad()) return;
    V3 localFrom, localTo;
    world2local(localFrom, from);
    world2local(localTo, to);
    const V3 d = localTo - localFrom;
    const float w = quad->width, h = quad->height;
    // The contact measured from the root.
    const V3 r = localFrom + V3(w / 2.0f, 0.0f, 0.0f);
    const V3 n = r.normalized();
    const float reach = V3(w, h / 2.0f, 0.0f).length();
    if (!(reach > 0.0f)) return;
    spring.force.y = (r.length() / reach) * (d.x * -n.y + d.y * n.x);
}

void VegetationBend::setPosition(float x, float y, float z) {
    if (const Terrain* t = terrain()) {
        float surface = 0.0f;
        t->getSurfaceAt(x, &surface, nullptr);
        terrainHoverY = y - surface;
        terrainDeltaX = x - t->position.x;
    }
    A99Object::setPosition(x, y, z);
}

void VegetationBend::onEdited() {
    A99Object::onEdited();
    refreshQuad();
    const Terrain* t = terrain();
    if (!t) return;
    // Where the plant stands on the terrain now (also when the terrain moved).
    const float x = t->position.x + terrainDeltaX;
    float surface = 0.0f;
    t->getSurfaceAt(x, &surface, nullptr);
    position.x = x;
    position.y = surface + terrainHoverY;
    onTransformChanged();
}

bool VegetationBend::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_DRAG && isEditorMode()) {
        ZubInput* in = ZubInput::active();
        Context* ctx = owningContext();
        if (in && ctx && in->isKeyDown(input_codes::KEY_B) && in->modifierState == 0) {
            const float turn = angleAbout(position, ctx->mousePosition) - angleAbout(position, ctx->prevMousePosition);
            baseBendAngle = std::remainder(baseBendAngle + turn, 2.0f * kPi);
            FocusManager::sendEvent(EVENT_CHANGED, this, this);
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

Skin** VegetationBend::getSkinProperty(const RuntimeClass** skinType) {
    if (skinType) *skinType = &Quad::classRecord;
    return &pRefQuad;
}

void VegetationBend::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertySubObject(u"spring", 0, &spring), "the spring whose sway bends the plant");
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
    c->add(new PropertyInt(u"bendSegments", 0, &bendSegments), "how many pieces the picture bends in");
    c->add(new PropertyFloat(u"baseBendAngle", 0, &baseBendAngle), "its bend at rest");
    c->add(new PropertyBool(u"bRotate90", 0, &bRotate90), "the picture is turned by 90 degrees along the bend");
    c->add(new PropertyRPC<RPCVegetationBendConstruct>(u"construct", 0, this));
}

void RPCVegetationBendConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_ARGUMENT | PROP_RESOURCE, &quad, &Quad::classRecord), "the plant's picture");
}

void RPCVegetationBendConstruct::execute() {
    VegetationBend* plant = zub_cast<VegetationBend>(target);
    Quad* q = zub_cast<Quad>(quad);
    if (!plant) return;
    // A call without a picture (the editor's button before one was chosen,
    // or a peer's) changes nothing.
    if (!q) {
        Logger::get().log(u"%s(): %s", "RPCVegetationBendConstruct::execute", u"No reference quad given.");
        return;
    }
    plant->local_construct(q);
}
