#include "objects/machines/Drawbridge.h"

#include <algorithm>
#include <cmath>

#include "anim/InterpolatedValue.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Drawbridge, A99Object, object_ids::Drawbridge)
ZUB_IMPLEMENT_CLASS(RPCDrawbridgeConstruct, RPC, object_ids::RPCDrawbridgeConstruct)

namespace {

// The swing's easing curve: eased in and out.
constexpr int kSwingCurve = 6;

}  // namespace

Drawbridge::Drawbridge() {
    // The parts first: placing the bridge places them.
    tower = std::make_unique<Renderable>(findResource<Skin>(u"drawbridge:1"), position);
    chain = std::make_unique<Renderable>(findResource<Skin>(u"fence:5"), position);
    material = MAT_WOOD;
    setSkin(findResource<Skin>(u"drawbridge:0"));
}

Drawbridge::~Drawbridge() = default;

void Drawbridge::construct() {
    RPCDrawbridgeConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void Drawbridge::local_construct() {
    EditorObject::local_construct();
    local_createHull();
    Hull* hull = getHull();
    // Constructed before (the editor's button pressed again): the deck's
    // segment stands, and a second pair of points would fold back over it.
    if (!hull || hull->vertexCount() > 0) return;
    hull->addHullPoint(-HULL_HALF_LENGTH, 0.0f, 0.0f, true);
    hull->addHullPoint(HULL_HALF_LENGTH, 0.0f, 0.0f, true);
}

void Drawbridge::activate() {
    bLowered = !bLowered;
    playSound(findResource<Sound>(bLowered ? u"drawbridgeLower" : u"drawbridgeRaise"), false);
}

void Drawbridge::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    const float step = static_cast<float>(dt);
    progress = std::clamp(progress + (bLowered ? step : -step), 0.0f, 1.0f);
    if (progress != lastProgress) {
        rotation.z = InterpolatedValue::interpolate(kSwingCurve, raisedTurn(), loweredTurn(), progress);
        onTransformChanged();
    }
    lastProgress = progress;
}

void Drawbridge::onTransformChanged() {
    A99Object::onTransformChanged();
    if (!tower || !chain) return;
    tower->position = position;
    tower->scale.x = scale.x;
    tower->onTransformChanged();
    const bool mirrored = scale.x < 0.0f;
    const V3 top = position + V3(mirrored ? -CHAIN_TOP_X : CHAIN_TOP_X, CHAIN_TOP_Y, 0.0f);
    V3 tip;
    localToWorld(tip, V3(CHAIN_TIP_X, CHAIN_TIP_Y, 0.0f));
    const V3 span = tip - top;
    const V3 dir = mirrored ? -span : span;
    chain->position = (top + tip) * 0.5f;
    chain->rotation.z = std::atan2(dir.y, dir.x);
    const float width = chain->pSkin ? chain->pSkin->width : 0.0f;
    chain->scale.x = width > 0.0f ? span.length() / width : 0.0f;
    chain->onTransformChanged();
}

void Drawbridge::renderObject() {
    A99Object::renderObject();
    tower->render();
    chain->render();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    for (float a : {raisedTurn(), loweredTurn()})
        drawEditorArrow(position, position + V3(std::cos(a), std::sin(a), 0.0f) * EDITOR_ARROW_LENGTH,
                        EDITOR_ARROW_COLOR);
}

void Drawbridge::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyBool(u"bLowered", 0, &bLowered),
           "the wanted position, lowered or raised; each activation turns it over");
    c->add(new PropertyFloat(u"raisedAngle", 0, &raisedAngle), "its rotation when raised, in radians");
    c->add(new PropertyFloat(u"loweredAngle", 0, &loweredAngle), "its rotation when lowered, in radians");
    c->add(new PropertyRPC<RPCDrawbridgeConstruct>(u"construct", 0, this));
}

void RPCDrawbridgeConstruct::execute() {
    if (Drawbridge* d = zub_cast<Drawbridge>(target)) d->local_construct();
}
