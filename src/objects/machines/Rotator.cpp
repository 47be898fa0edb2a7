#include "objects/machines/Rotator.h"

#include <cmath>

#include "anim/InterpolatedValue.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "objects/machines/PathPlatform.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Rotator, A99Object, object_ids::Rotator)

namespace {

// Easing curves: straight, and eased in and out.
constexpr int kLinearCurve = 1;
constexpr int kSinusoidalCurve = 6;

}  // namespace

Rotator::Rotator() = default;

Rotator::~Rotator() = default;

void Rotator::waitAtEnd(double dt, int32_t direction) {
    if (bOnceOnly) return;
    endpointTimer -= dt;
    // Below 0, not at 0: with no delay it turns one tick after it arrived.
    if (endpointTimer < 0.0) {
        endpointTimer = endpointDelay;
        rotatorDir = direction;
    }
}

void Rotator::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    if (bActivated) rotatorAlpha += static_cast<float>(rotatorDir) * rotatorSpeed * static_cast<float>(dt);
    if (rotatorAlpha <= 0.0f) {
        rotatorAlpha = 0.0f;
        waitAtEnd(dt, 1);
    }
    if (rotatorAlpha >= 1.0f) {
        rotatorAlpha = 1.0f;
        waitAtEnd(dt, -1);
    }
    apply();
}

void Rotator::apply() {
    float t = rotatorAlpha;
    if (bSinusoidal) t = InterpolatedValue::interpolate(kSinusoidalCurve, 0.0f, 1.0f, rotatorAlpha);
    if (t != lastAppliedAlpha) {
        rotation.z = InterpolatedValue::interpolate(kLinearCurve, angle1, angle2, t);
        onTransformChanged();
    }
    lastAppliedAlpha = t;
}

void Rotator::netPostReplicate() {
    A99Object::netPostReplicate();
    endpointTimer = endpointDelay;
    apply();
}

void Rotator::activate() { activateTraveller(lastActivationFrame, bActivated, rotatorDir, rotatorAlpha); }

void Rotator::onTouched() {
    if (bActivatedByTouch) activate();
}

void Rotator::renderObject() {
    A99Object::renderObject();
    drawRotatorAngleArrows(*this, angle1, angle2, EDITOR_ARROW_COLOR);
}

void Rotator::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"angle1", 0, &angle1), "its rotation at one end (rotatorAlpha 0), in radians");
    c->add(new PropertyFloat(u"angle2", 0, &angle2), "its rotation at the other end (rotatorAlpha 1), in radians");
    c->add(new PropertyFloat(u"rotatorAlpha", 0, &rotatorAlpha), "where it stands between the two angles, 0 to 1");
    c->add(new PropertyFloat(u"rotatorSpeed", 0, &rotatorSpeed), "fractions of the way it turns per second");
    c->add(new PropertyInt(u"rotatorDir", 0, &rotatorDir), "1 towards angle2, -1 towards angle1");
    c->add(new PropertyBool(u"bSinusoidal", 0, &bSinusoidal), "it eases in and out at the ends");
    c->add(new PropertyBool(u"bOnceOnly", 0, &bOnceOnly), "it stops at an end instead of turning back");
    c->add(new PropertyBool(u"bActivated", 0, &bActivated), "it turns only while set");
    c->add(new PropertyDouble(u"endpointDelay", 0, &endpointDelay), "seconds it waits at an end");
    c->add(new PropertyBool(u"bActivatedByTouch", 0, &bActivatedByTouch), "the hero's touch sets it going");
}

// In the editor: arrows from the object towards each end angle, as long as
// the object's bounding radius (drawn on the side away from the angle).
void drawRotatorAngleArrows(const Renderable& o, float a1, float a2, uint32_t color) {
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    const float r = o.boundingRadius;
    for (float a : {a1, a2}) drawEditorArrow(o.position, o.position - V3(std::cos(a), std::sin(a), 0.0f) * r, color);
}
