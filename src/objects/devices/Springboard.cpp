#include "objects/devices/Springboard.h"

#include <algorithm>
#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(Springboard, TriggerArea, object_ids::Springboard)

namespace {

// The object's own up direction: its rotation turns (0, 1).
V3 upAxis(const Renderable& r) {
    const float a = r.rotation.z + kPi / 2.0f;
    return V3(std::cos(a), std::sin(a), 0.0f);
}

}  // namespace

Springboard::Springboard() {
    // The board first: placing the base places the board.
    board = std::make_unique<Renderable>(findResource<Skin>(u"springboard:1"), position);
    setSkin(findResource<Skin>(u"springboard:0"));
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
        playSound(findResource<Sound>(u"springboardSound"), false);
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
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach)) {
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
    c->add(new PropertyFloat(u"force", 0, &force), "the speed it throws the hero at, along its up direction");
}
