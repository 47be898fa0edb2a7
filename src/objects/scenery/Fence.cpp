#include "objects/scenery/Fence.h"

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

ZUB_IMPLEMENT_CLASS(Fence, BezierPath, object_ids::Fence)
ZUB_IMPLEMENT_CLASS(RPCFenceConstruct, RPC, object_ids::RPCFenceConstruct)

namespace {

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

void RPCFenceConstruct::execute() {
    if (Fence* f = zub_cast<Fence>(target)) f->local_construct();
}

Fence::Fence() : sheet(findResource<Texture>(u"fence")) {}

Fence::~Fence() = default;

void Fence::construct() {
    RPCFenceConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void Fence::local_construct() {
    EditorObject::local_construct();
    // Constructed before (the editor's button pressed again, or the base's
    // construct call on a built prototype): the path stands. Two more points
    // would run it back and forth over itself.
    if (!vertices.isEmpty()) return;
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
    c->add(new PropertyFloat(u"boundingRadius", PROP_READONLY, &cullRadius),
           "how far it reaches from its centre, worked out for drawing");
    c->add(new PropertyEnum(u"fenceType", 0, &fenceType, TYPE_COUNT, kFenceTypes), "one of its four looks");
    c->add(new PropertyInt(u"stakeCount", 0, &stakeCount), "stakes from one end of the path to the other");
    c->add(new PropertyBool(u"bCrossbeams", 0, &bCrossbeams), "beams between neighbouring stakes");
    c->add(new PropertyRPC<RPCFenceConstruct>(u"construct", 0, this));
}
