#include "objects/hints/Telescope.h"

#include <cmath>

#include "gfx/BlendingCamera.h"
#include "gfx/Context.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/HeroCameras.h"
#include "objects/pig/Pig.h"
#include "util/KeyCodes.h"
#include "world/EditorGizmos.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Telescope, TriggerArea, object_ids::Telescope)

Telescope::Telescope() : lookAt(0.0f, 0.0f, -static_cast<float>(REFERENCE_WIDTH / 2)) {
    Skin* stand = findResource<Skin>(u"telescope:0");
    // The head first: placing the stand places the head. Its pivot sits on
    // the stand's.
    head = std::make_unique<Renderable>(findResource<Skin>(u"telescope:1"), stand->origin);
    setSkin(stand);
}

Telescope::~Telescope() = default;

void Telescope::tick(double time, double dt) {
    TriggerArea::tick(time, dt);
    if (isEditorMode()) return;
    if (!isTouchInput() && !isHeroInside()) return;
    Level* level = Level::current();
    if (!level) return;
    Pig* hero = level->getHero();
    if (hero->state != Pig::PLAYING || hero->lockTime != 0.0 || level->promptTarget != this) return;
    // The flight there; the way back waits for the flight and the rest.
    if (BlendingCamera* node = level->getCameraNode()) {
        auto* there = new CameraTransition(lookAt.x, lookAt.y, lookAt.z);
        there->duration = transitionDelay;
        auto* back = new HeroCamera();
        back->duration = transitionDelay;
        back->delay = viewDelay + transitionDelay;
        node->addChild(there);
        node->addChild(back);
    }
    hero->lockControls(viewDelay + 2.0 * transitionDelay);
}

bool Telescope::queryHeroPrompt(V3 point, int* priority, float* distance) {
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return false;
    if (!isTouchInput()) {
        if (!isHeroInside()) return false;
        *priority = PROMPT_PRIORITY;
        *distance = V3::distance(hero->position, position);
        return true;
    }
    // Touch: the point is where the player touched.
    const float d = V3::distance(position, point);
    if (!(d < TOUCH_RADIUS * triggerRadius)) return false;
    if (!V3::isWithinDistance(position, hero->position, TOUCH_REACH * triggerRadius)) {
        TriggerHint::showTooFarAway(position);
        return false;
    }
    *priority = PROMPT_PRIORITY;
    *distance = d;
    return true;
}

void Telescope::netPostReplicate() {
    TriggerArea::netPostReplicate();
    // In the telescope's frame: its own turn is taken off.
    head->rotation.z = std::atan2(lookAt.y - position.y, lookAt.x - position.x) - rotation.z;
    head->onTransformChanged();
}

void Telescope::onTransformChanged() {
    TriggerArea::onTransformChanged();
    if (head) head->setParentMatrix(worldMatrix);
}

bool Telescope::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isEditorMode()) {
        ZubInput* in = ZubInput::active();
        Context* ctx = owningContext();
        if (in && ctx && in->wasKeyPressed(input_codes::KEY_A)) {
            lookAt.x = ctx->mousePosition.x;
            lookAt.y = ctx->mousePosition.y;
            return true;
        }
    }
    return TriggerArea::onEvent(ev);
}

void Telescope::renderObject() {
    TriggerArea::renderObject();
    head->render();
    WorldEditorPanel* panel = activeEditorPanel();
    if (isEditorMode() && panel && !panel->bHideEditorViews)
        drawEditorArrow(position, V3(lookAt.x, lookAt.y, 0.0f), EDITOR_ARROW_COLOR);
}

void Telescope::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    addPropertyV3(c, u"lookAt", 0, &lookAt, "the point the view flies to when the hero looks through it");
    c->add(new PropertyDouble(u"transitionDelay", 0, &transitionDelay), "seconds of the view's flight there and back");
    c->add(new PropertyDouble(u"viewDelay", 0, &viewDelay), "seconds the view rests there");
}
