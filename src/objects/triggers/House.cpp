#include "objects/triggers/House.h"

#include "audio/Sound.h"
#include "engine/Zub.h"
#include "fx/ParticleGroup.h"
#include "lang/Language.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "util/Format.h"
#include "world/EditorGizmos.h"
#include "world/Hull.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(House, TriggerArea, object_ids::House)
ZUB_IMPLEMENT_CLASS(HousePart, A99Object, object_ids::HousePart)
ZUB_IMPLEMENT_CLASS(RPCHouseConstruct, RPC, object_ids::RPCHouseConstruct)
ZUB_IMPLEMENT_CLASS(RPCHousePartConstruct, RPC, object_ids::RPCHousePartConstruct)

namespace {

// The outline of the house (walls and roof, closed) and of the house part
// (its ground, open), in their own coordinates.
constexpr float kHouseHull[][2] = {{-60, -30}, {-115, -31}, {-173, 23}, {-90, 145}, {26, 107},
                                   {107, 33},  {117, 6},    {177, -20}, {165, -42}, {62, -30}};
constexpr float kHousePartHull[][2] = {{155, -23},  {172, -58},  {150, -90}, {-40, -90},
                                       {-170, -77}, {-206, -39}, {-186, 24}};

constexpr uint32_t kSmokeColor = 0xFFC0C0C0u;
constexpr uint32_t kYellow = 0x80FFFF00u;
constexpr uint32_t kRed = 0x80FF0000u;
// Distances around the house that the piglets use (drawn in the editor).
constexpr float kPigletCircles[] = {120.0f, 600.0f, 300.0f};

// The text of a string identifier in the engine's language; English when no
// engine runs (tools, tests).
const char16_t* languageText(int32_t id) {
    if (ZUB && ZUB->language) return ZUB->language->getText(id);
    static const Language english;
    return english.getText(id);
}

template <size_t N>
void addOutline(Hull* hull, const float (&points)[N][2]) {
    for (const auto& p : points) hull->addHullPoint(p[0], p[1], 0.0f, true);
}

}  // namespace

// ---------------------------------------------------------------------------
// House

House::House() {
    pSkin = findResource<Skin>(u"house:1");
    door = std::make_unique<Renderable>(findResource<Skin>(u"house:2"), position);
    door->bHidden = 1;
    roofSnow = findResource<Skin>(u"house-roofsnow:0");
    triggerRadius = 30.0f;
    material = MAT_WOOD;
}

House::~House() = default;

void House::construct() {
    RPCHouseConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void House::local_construct() {
    EditorObject::local_construct();
    local_createHull();
    Hull* hull = getHull();
    // Constructed before (the editor's button pressed again): the outline stands.
    if (!hull || hull->vertexCount() > 0) return;
    addOutline(hull, kHouseHull);
    hull->closeLoop();
}

void House::tick(double time, double dt) {
    TriggerArea::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    updateCarryScale(level->getHero());
    updateSmoke(dt);
    atHome = isEverybodyHome() ? 1 : 0;
    applyDoorState(atHome != 0);
}

void House::updateCarryScale(Pig* hero) const {
    // Height counts double: she shrinks her load at the door, not on the roof.
    const float dx = position.x - hero->position.x;
    const float dy = 2.0f * (position.y - hero->position.y);
    const float d2 = dx * dx + dy * dy;
    const float r = hero->heroRadius + CARRY_SCALE_MARGIN;
    hero->carryScale = lerpMappedClamped(1.0f, -1.0f, 5.0f * r * r, r * r, d2);
}

void House::updateSmoke(double dt) {
    Level* level = Level::current();
    if (!isHeroInside() || level->getConfiguration().detailLevel < 1) return;
    smokeTime += dt;
    if (smokeTime < smokeInterval) return;
    smokeTime = 0.0;
    if (!level->bgEffectsList) return;
    const V3 chimney(position.x + CHIMNEY_X, position.y + CHIMNEY_Y, position.z);
    level->bgEffectsList->addChild(
        new SmokeParticles(3, chimney, 100.0f, 150.0f, kPi / 2.0f, kPi / 4.0f, 2.0f, 3.0f, kSmokeColor, 0.15, 0.25));
}

bool House::isEverybodyHome() const {
    if (!isHeroInside()) return false;
    Level* level = Level::current();
    // The piglets come home to the level's house.
    const House* home = level->houseOrNull();
    const V3 at = (home ? home : this)->position;
    for (Renderable* piglet : childrenOf<Renderable>(level->pigletList)) {
        if (piglet->bToBeDestroyed) continue;
        if (!V3::isWithinDistance(piglet->position, at, PIGLET_HOME_RADIUS)) return false;
    }
    return true;
}

void House::applyDoorState(bool closed) {
    if (closed == (bDoorClosed != 0)) return;
    bDoorClosed = closed ? 1 : 0;
    door->bHidden = closed ? 0 : 1;
    if (!closed) {
        playSound(findResource<Sound>(u"doorOpen"), false);
        return;
    }
    playSound(findResource<Sound>(u"doorClose"), false);
    Level* level = Level::current();
    const int32_t missing = level->currentResult.apples - level->currentResult.applesGathered;
    if (missing == 1) {
        level->local_setMessage(1, SID_ONEMOREAPPLE, MESSAGE_TIME, WString());
    } else if (missing >= 2) {
        level->local_setMessage(1, 0, MESSAGE_TIME, formatString(languageText(SID_XMOREAPPLES), missing));
    }
}

void House::placeDoor() { door->setPosition(position); }

void House::renderObject() {
    door->render();
    TriggerArea::renderObject();
    Level* level = Level::current();
    if (level && level->season == 3) {
        Renderable snow(roofSnow, position);
        snow.render();
    }
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || !panel->bShowTriggerAreas || panel->bHideEditorViews) return;
    drawEditorCircle(position.x, position.y, position.z, 30.0f, kYellow);
    drawEditorCircle(position.x, position.y, position.z, 30.0f, kYellow);
    drawEditorCircle(position.x, position.y, position.z, APPLE_COLLECT_RADIUS, kRed);
    for (float r : kPigletCircles) drawEditorCircle(position.x, position.y, position.z, r, kYellow);
}

ZubBase* House::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->houseList) return level->houseList;
    return TriggerArea::namedOwnerList();
}

void House::netPostReplicate() {
    TriggerArea::netPostReplicate();
    placeDoor();
}

void House::onEdited() {
    TriggerArea::onEdited();
    placeDoor();
}

void House::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCHouseConstruct>(u"construct", 0, this));
}

// ---------------------------------------------------------------------------
// House part

HousePart::HousePart() {
    pSkin = findResource<Skin>(u"house:0");
    material = MAT_WOOD;
}

HousePart::~HousePart() = default;

void HousePart::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCHousePartConstruct>(u"construct", 0, this));
}

void HousePart::construct() {
    RPCHousePartConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void HousePart::local_construct() {
    EditorObject::local_construct();
    local_createHull();
    Hull* hull = getHull();
    if (!hull || hull->vertexCount() > 0) return;
    hull->bHeroOnly = true;
    addOutline(hull, kHousePartHull);
}

void RPCHouseConstruct::execute() {
    if (House* h = zub_cast<House>(target)) h->local_construct();
}

void RPCHousePartConstruct::execute() {
    if (HousePart* h = zub_cast<HousePart>(target)) h->local_construct();
}
