#include "objects/devices/Devices.h"

#include <algorithm>
#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"
#include "object/ResourceManager.h"

ZUB_IMPLEMENT_CLASS(Springboard, TriggerArea, object_ids::Springboard)
ZUB_IMPLEMENT_CLASS(Decoration, A99Object, object_ids::Decoration)

namespace {

template <class T>
T* resource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->findAs<T>(name);
}

// The object's own up direction: its rotation turns (0, 1).
V3 upAxis(const Renderable& r) {
    const float a = r.rotation.z + kPi / 2.0f;
    return V3(std::cos(a), std::sin(a), 0.0f);
}

}  // namespace

// ---------------------------------------------------------------------------
// Springboard

Springboard::Springboard() {
    // The board first: placing the base places the board.
    board = std::make_unique<Renderable>(resource<Skin>(u"springboard:1"), position);
    setSkin(resource<Skin>(u"springboard:0"));
    triggerRadius = 40.0f;
}

Springboard::~Springboard() = default;

void Springboard::tick(double time, double dt) {
    TriggerArea::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    // A throw replaces her velocity; her tick (after this one) clamps it.
    if (isHeroInside() && bounceTime == 0.0f) {
        bounceTime = BOUNCE_TIME;
        level->getHero()->velocity = upAxis(*this) * force;
        playSound(resource<Sound>(u"springboardSound"), false);
    }
    pushApples();
    if (bounceTime > 0.0f) {
        bounceTime = std::max(0.0f, static_cast<float>(bounceTime - dt));
        // Up first, then down, dying away to rest at the end.
        const float b = bounceTime;
        scale = V3(1.0f, 1.0f + b * std::cos(2.0f * kPi * b + kPi / 2.0f), 1.0f);
        onTransformChanged();
    }
}

void Springboard::pushApples() {
    Level* level = Level::current();
    if (!level->appleList) return;
    for (Apple* apple : childrenOf<Apple>(level->appleList)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !collide(apple)) continue;
        apple->push(this, (apple->position - position).normalized() * APPLE_PUSH);
    }
}

void Springboard::onTransformChanged() {
    TriggerArea::onTransformChanged();
    if (!board) return;
    V3 at;
    localToWorld(at, V3(0.0f, BOARD_HEIGHT, 0.0f));
    board->setFields(nullptr, &at, &rotation, nullptr);
}

void Springboard::renderObject() {
    TriggerArea::renderObject();
    board->render();
}

void Springboard::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    c->add(new PropertyFloat(u"force", 0, &force));
}

// ---------------------------------------------------------------------------
// Decoration

Decoration::Decoration() { setSkin(resource<Skin>(u"details1:6")); }

Decoration::~Decoration() = default;

void Decoration::netPostReplicate() {
    A99Object::netPostReplicate();
    anchor = position;
}

void Decoration::onEdited() {
    A99Object::onEdited();
    anchor = position;
}

void Decoration::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !nearView) return;
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return;
    const float depth = HIDE_DEPTH * (pSkin ? pSkin->height : 0.0f);
    const V3 hidden = anchor - upAxis(*this) * depth;
    // 0 at SHY_DISTANCE or farther, 1 at HIDDEN_DISTANCE or nearer.
    const float t = clampf(inverseLerp(SHY_DISTANCE, HIDDEN_DISTANCE, V3::distance(position, hero->position)), 0.0f,
                           1.0f);
    position = interpolateEased(anchor, hidden, t, easing::EASE_IN);
    onTransformChanged();
}
