#include "objects/devices/Switch.h"

#include "audio/Sound.h"
#include "engine/Zub.h"
#include "gfx/BlendingCamera.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/cargo/Cargo.h"
#include "objects/pig/HeroCameras.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"
#include "text/FloatingText.h"
#include "text/FontQuad.h"
#include "world/EditorGizmos.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Switch, TriggerArea, object_ids::Switch)

Switch::Switch() {
    const char16_t* names[] = {u"switch:0", u"switch:1", u"switch:2", u"switch:3"};
    for (int i = 0; i < 4; ++i) frames[i] = findResource<Skin>(names[i]);
    triggerRadius = 50.0f;
}

Switch::~Switch() = default;

void Switch::netPostReplicate() {
    TriggerArea::netPostReplicate();
    updateSkin();
    // A switch that fires by itself would fire again on every visit.
    if (bAutomatic) ZUB_ASSERT(bOnceOnly);
}

WString Switch::valueFault() const {
    if (bAutomatic && !bOnceOnly) return u"an automatic switch must be once-only (bAutomatic needs bOnceOnly)";
    return {};
}

void Switch::onEdited() {
    TriggerArea::onEdited();
    updateSkin();
}

void Switch::updateSkin() { setSkin(bInvisible ? nullptr : frames[(bOn ? 1 : 0) + (bOnceOnly ? 0 : 2)]); }

void Switch::tick(double time, double dt) {
    TriggerArea::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    Pig* hero = level->getHero();
    const bool inside = isHeroInside();
    if (isUsable() && (isTouchInput() || inside) && hero->state == Pig::PLAYING && hero->lockTime == 0.0 &&
        ((bAutomatic && inside) || level->promptTarget.get() == this))
        operate(hero);
    if (fireTime >= 0.0) {
        fireTime -= dt;
        if (fireTime < 0.0) fireTargets();
    }
}

void Switch::operate(Pig* hero) {
    bOn = !bOn;
    updateSkin();
    fireTime = FIRE_AT_ONCE;
    bArmed = false;
    if (target1 && bShowTarget) showTarget(hero);
    if (bInvisible) return;
    const char16_t* sound = bOnceOnly ? u"switchButton" : bOn ? u"switchRaise" : u"switchLower";
    playSound(findResource<Sound>(sound), false);
}

void Switch::showTarget(Pig* hero) {
    Level* level = Level::current();
    const V3 at = target1.as<Renderable>()->boundingCentre;
    // The flight there, then (after the flight and the rest) the way back.
    if (BlendingCamera* node = level->getCameraNode()) {
        auto* there = new CameraTransition(at.x, at.y, -static_cast<float>(REFERENCE_WIDTH / 2));
        there->duration = transitionDelay;
        auto* back = new HeroCamera();
        back->duration = transitionDelay;
        back->delay = viewDelay + transitionDelay;
        node->addChild(there);
        node->addChild(back);
    }
    hero->lockControls(transitionDelay + (viewDelay + transitionDelay));
    fireTime = transitionDelay;
}

void Switch::fireTargets() {
    // A target's activation may take other targets, or this switch, away:
    // hold them all by references that empty themselves.
    ZubBaseReference self;
    self.set(this);
    ZubBaseReference fire[TARGET_COUNT];
    for (int i = 0; i < TARGET_COUNT; ++i) fire[i].set(targets[i]->get());
    for (int i = 0; i < TARGET_COUNT && self; ++i) {
        A99Object* t = fire[i].as<A99Object>();
        if (!t) continue;
        t->activate();
        if (i == 0 && self && pActivationSound) playSound(pActivationSound, false);
    }
}

// ---------------------------------------------------------------------------
// The hero's prompt

bool Switch::queryHeroPrompt(V3 point, int* priority, float* distance) {
    if (bAutomatic || !isUsable()) return false;
    if (!isTouchInput()) {
        if (!isHeroInside()) return false;
        *priority = PROMPT_PRIORITY;
        *distance = V3::distance(point, position);
        return true;
    }
    // Touch: the point is where the player touched.
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    const float d = V3::distance(point, boundingCentre);
    if (!hero || !(d < 2.0f * triggerRadius)) return false;
    if (!V3::isWithinDistance(hero->position, position, 3.0f * triggerRadius)) {
        showTooFarAway();
        return false;
    }
    *priority = PROMPT_PRIORITY;
    *distance = d;
    return true;
}

void Switch::showTooFarAway() {
    Level* level = Level::current();
    ResourceManager* resources = ResourceManager::active();
    if (!level || !level->fgEffectsList || !resources) return;
    // A build without the outlined font shows no notice.
    auto* font = zub_cast<FontQuad>(resources->find(u"fontSmallOutline", false));
    if (!font) return;
    const char16_t* text = ZUB && ZUB->language ? ZUB->language->getText(SID_IOS_TOOFARAWAY) : u"TOO FAR AWAY";
    level->fgEffectsList->addChild(new FloatingText(font, position, text, Cargo::TOO_FAR_COLOR,
                                                    V3(0.0f, Cargo::TOO_FAR_RISE, 0.0f), Cargo::TOO_FAR_DURATION));
}

// ---------------------------------------------------------------------------
// Drawing and properties

void Switch::renderObject() {
    TriggerArea::renderObject();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    for (ZubBaseReference* t : targets)
        if (const Renderable* r = t->as<Renderable>()) drawEditorArrow(position, r->position, EDITOR_ARROW_COLOR);
}

void Switch::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    const char16_t* names[] = {u"target1", u"target2", u"target3", u"target4", u"target5"};
    for (int i = 0; i < TARGET_COUNT; ++i)
        c->add(new PropertyReference(names[i], 0, targets[i], &A99Object::classRecord),
               "an object it sets going (target1 to target5); the camera shows target1");
    c->add(new PropertyPointer(u"pActivationSound", PROP_RESOURCE, &pActivationSound, &Sound::classRecord),
           "played when the targets go, if target1 is set");
    c->add(new PropertyBool(u"bAutomatic", 0, &bAutomatic),
           "it goes off when the hero comes in, without the action key (needs bOnceOnly)");
    c->add(new PropertyBool(u"bInvisible", 0, &bInvisible), "no picture and no sound");
    c->add(new PropertyBool(u"bOn", 0, &bOn), "the lever's position; each use turns it over");
    c->add(new PropertyBool(u"bOnceOnly", 0, &bOnceOnly), "a button that works once (no: a lever)");
    c->add(new PropertyBool(u"bShowTarget", 0, &bShowTarget), "the camera flies to target1 first");
    c->add(new PropertyDouble(u"transitionDelay", 0, &transitionDelay),
           "seconds of the camera's flight; the targets go after it when shown");
    c->add(new PropertyDouble(u"viewDelay", 0, &viewDelay), "seconds the view rests on target1");
}
