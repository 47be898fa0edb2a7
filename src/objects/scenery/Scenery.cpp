#include "objects/scenery/Scenery.h"

#include <algorithm>
#include <cmath>

#include "gfx/Context.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "object/ResourceManager.h"
#include "world/BezierSegment.h"
#include "world/GameWorld.h"
#include "world/Terrain.h"

ZUB_IMPLEMENT_CLASS(Fence, BezierPath, object_ids::Fence)
ZUB_IMPLEMENT_CLASS(RPCFenceConstruct, RPC, object_ids::RPCFenceConstruct)
ZUB_IMPLEMENT_CLASS(Vegetation, A99Object, object_ids::Vegetation)
ZUB_IMPLEMENT_CLASS(RPCVegetationConstruct, RPC, object_ids::RPCVegetationConstruct)

namespace {

template <class T>
T* resource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->findAs<T>(name);
}

const char16_t* const kFenceTypes[Fence::TYPE_COUNT] = {u"type 0", u"type 1", u"type 2", u"type 3"};

// The camera the level is seen through: the game camera, else the camera of
// the context being drawn.
const Camera* viewCamera() {
    GameWorld* w = GameWorld::current();
    if (Camera* c = w ? w->getGameCamera() : nullptr) return c;
    const Context* ctx = Context::environment.current;
    return ctx ? ctx->camera : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Fence

void RPCFenceConstruct::execute() {
    if (Fence* f = zub_cast<Fence>(target)) f->local_construct();
}

Fence::Fence() : sheet(resource<Texture>(u"fence")) {}

Fence::~Fence() = default;

void Fence::construct() {
    RPCFenceConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void Fence::local_construct() {
    EditorObject::local_construct();
    addPoint(-128.0f, 0.0f, 0.0f);
    addPoint(128.0f, 0.0f, 0.0f);
}

int Fence::stakesToDraw() const { return std::clamp(stakeCount, 0, MAX_STAKES); }

bool Fence::stakeAt(int i, V3* point, float* angle) const {
    // A path without segments (not constructed yet) has nowhere to put them.
    if (segments.isEmpty()) return false;
    const int n = stakesToDraw();
    const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
    evaluateL(point, t * totalLength, angle);
    return true;
}

void Fence::onEdited() {
    BezierPath::onEdited();
    if (segments.isEmpty()) return;
    float farthest = 0.0f;
    V3 p;
    for (int i = 0; i < stakesToDraw() && stakeAt(i, &p, nullptr); ++i) farthest = std::max(farthest, p.length());
    cullRadius = farthest + CULL_MARGIN;
}

void Fence::renderObject() {
    const Camera* camera = viewCamera();
    bool inView = true;
    if (camera) {
        const ViewRect v = camera->getViewRect(position.z);
        inView = position.x + cullRadius >= v.left && position.x - cullRadius <= v.right &&
                 position.y + cullRadius >= v.bottom && position.y - cullRadius <= v.top;
    }
    const int n = stakesToDraw();
    points.clear();
    angles.clear();
    V3 p;
    float a = 0.0f;
    for (int i = 0; inView && i < n && stakeAt(i, &p, &a); ++i) {
        points.push_back(p);
        angles.push_back(a);
    }
    if (!points.empty()) {
        Renderable part;
        part.setParentMatrix(worldMatrix);
        const bool known = fenceType >= 0 && fenceType < TYPE_COUNT;
        Quad* stake = known ? sheet->getSkin(fenceType) : nullptr;
        Quad* beam = known ? sheet->getSkin(TYPE_COUNT + fenceType) : nullptr;
        if (bCrossbeams && beam && beam->width > 0.0f) {
            const float overhang = BEAM_OVERHANG[fenceType];
            for (size_t i = 1; i < points.size(); ++i) {
                const V3 d = points[i] - points[i - 1];
                const V3 middle = (points[i] + points[i - 1]) * 0.5f;
                const V3 turn(0.0f, 0.0f, std::atan2(d.y, d.x));
                const V3 stretch((d.length() + overhang) / beam->width, 1.0f, 1.0f);
                part.setFields(beam, &middle, &turn, &stretch);
                part.render();
            }
        }
        // Stakes over the beams' ends; without a stake skin the last skin stays.
        const V3 one(1.0f, 1.0f, 1.0f);
        for (size_t i = 0; i < points.size(); ++i) {
            const V3 turn(0.0f, 0.0f, angles[i]);
            part.setFields(stake, &points[i], &turn, &one);
            part.render();
        }
    }
    BezierPath::renderObject();
}

void Fence::addPropertiesTo(PropertyContainer* c) {
    BezierPath::addPropertiesTo(c);
    c->add(new PropertyFloat(u"boundingRadius", PROP_READONLY, &cullRadius));
    c->add(new PropertyEnum(u"fenceType", 0, &fenceType, TYPE_COUNT, kFenceTypes));
    c->add(new PropertyInt(u"stakeCount", 0, &stakeCount));
    c->add(new PropertyBool(u"bCrossbeams", 0, &bCrossbeams));
    c->add(new PropertyRPC<RPCFenceConstruct>(u"construct", 0, this));
}

// ---------------------------------------------------------------------------
// Vegetation

void RPCVegetationConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_RESOURCE, &quad, &Quad::classRecord));
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
    c->add(new PropertyReference(u"pTerrain", 0, &pTerrain, &Terrain::classRecord));
    c->add(new PropertyPointer(u"pRefQuad", PROP_RESOURCE, &pRefQuad, &Quad::classRecord));
    PropertyContainer* shrink = c->add(new PropertyContainer(u"rectShrink", 0));
    shrink->add(new PropertyFloat(u"left", 0, &rectShrink.left));
    shrink->add(new PropertyFloat(u"top", 0, &rectShrink.top));
    shrink->add(new PropertyFloat(u"right", 0, &rectShrink.right));
    shrink->add(new PropertyFloat(u"bottom", 0, &rectShrink.bottom));
    c->add(new PropertyFloat(u"terrainHoverY", 0, &terrainHoverY));
    c->add(new PropertyFloat(u"terrainDeltaX", 0, &terrainDeltaX));
    c->add(new PropertyRPC<RPCVegetationConstruct>(u"construct", 0, this));
}

// ---------------------------------------------------------------------------
// HillsBackdrop

HillsBackdrop::HillsBackdrop(Skin* back, Skin* front) : pSkinBack(back), pSkinFront(front) {}

HillsBackdrop::~HillsBackdrop() = default;

void HillsBackdrop::render() {
    Level* level = Level::current();
    if (level && level->getConfiguration().detailLevel < 1) return;
    const ZubInput* in = ZubInput::active();
    if (in && in->isKeyDownWithModifiers(input_codes::KEY_H, 4)) return;
    const float halfHeight = 0.5f * static_cast<float>(REFERENCE_HEIGHT);
    for (const Strip& s : STRIPS)
        drawStrip(s.front ? pSkinFront : pSkinBack, s.depth, s.parallax, 0.0f, s.offset * halfHeight, 0.0f, s.color);
    ZubBase::render();
}

void HillsBackdrop::drawStrip(Skin* skin, float p, float q, float dx, float dy, float dz, uint32_t color) {
    const Context* ctx = Context::environment.current;
    const Camera* camera = ctx ? ctx->camera : nullptr;
    if (!skin || !camera || !(skin->width > 0.0f)) return;
    const V3 eye = camera->eye;
    // One screen pixel at the level's depth.
    const float k = (0.0f - eye.z) / (static_cast<float>(REFERENCE_WIDTH) * 0.5f);
    const ViewRect level = camera->getViewRect(0.0f);
    const ViewRect far = camera->getViewRect(eye.z + (0.0f - eye.z) * p);
    // The copies start where the tiling at the strip's own depth would put
    // them, scaled back to the level's depth: they slide at 1/p of its speed.
    const float period = skin->width * p;
    const float r = far.left - std::floor(far.left / period) * period;
    float x = level.left - r / p;
    const float y = (1.0f - 1.0f / q) * eye.y + k * dy;
    Renderable copy;
    copy.color = color;
    for (int n = 0; x < level.right && n < MAX_COPIES; ++n, x += skin->width) {
        const V3 at(x + k * dx, y, k * dz);
        copy.setFields(skin, &at, nullptr, nullptr);
        copy.render();
    }
}
