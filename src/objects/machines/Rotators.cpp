#include "objects/machines/Rotators.h"

#include <cmath>

#include "anim/InterpolatedValue.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "objects/machines/PathPlatform.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Rotator, A99Object, object_ids::Rotator)
ZUB_IMPLEMENT_CLASS(SpringRotator, A99Object, object_ids::SpringRotator)

namespace {

// Easing curves: straight, and eased in and out.
constexpr int kLinearCurve = 1;
constexpr int kSinusoidalCurve = 6;

// In the editor: arrows from the object towards each end angle, as long as
// the object's bounding radius (drawn on the side away from the angle).
void drawAngleArrows(const Renderable& o, float a1, float a2, uint32_t color) {
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    const float r = o.boundingRadius;
    for (float a : {a1, a2}) drawEditorArrow(o.position, o.position - V3(std::cos(a), std::sin(a), 0.0f) * r, color);
}

}  // namespace

// ---------------------------------------------------------------------------
// Rotator

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
    drawAngleArrows(*this, angle1, angle2, EDITOR_ARROW_COLOR);
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

// ---------------------------------------------------------------------------
// SpringRotator

SpringRotator::SpringRotator() { anglePoint.vdamping = DAMPING; }

SpringRotator::~SpringRotator() = default;

void SpringRotator::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    anglePoint.tick(time, dt);
    currentAngle = anglePoint.position.x;
    if (currentAngle < minAngle || currentAngle > maxAngle) {
        // A stop: the board rests there with no speed left.
        currentAngle = currentAngle < minAngle ? minAngle : maxAngle;
        anglePoint.velocity = V3();
    }
    if (std::fabs(rotation.z - currentAngle) > ANGLE_EPSILON) {
        rotation.z = currentAngle;
        onTransformChanged();
    }
    anglePoint.position.x = currentAngle;
}

void SpringRotator::netPostReplicate() {
    A99Object::netPostReplicate();
    anglePoint.position.x = currentAngle;
}

void SpringRotator::onStoodOnAt(Pig* pig, V3 from, V3 to) {
    (void)pig;
    // Her distance is measured in board sizes: a board without one would
    // divide by zero and turn to no angle at all.
    if (!(boundingRadius > 0.0f)) return;
    V3 p, q;
    world2local(p, from);
    world2local(q, to);
    const V3 d = q - p;
    const V3 n = p.normalized();
    anglePoint.force.x = (p.length() / boundingRadius) * (n.x * d.y - n.y * d.x);
}

void SpringRotator::renderObject() {
    A99Object::renderObject();
    drawAngleArrows(*this, minAngle, maxAngle, Rotator::EDITOR_ARROW_COLOR);
}

void SpringRotator::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"minAngle", 0, &minAngle), "its lowest rotation, in radians");
    c->add(new PropertyFloat(u"maxAngle", 0, &maxAngle), "its highest rotation, in radians");
    c->add(new PropertyFloat(u"currentAngle", 0, &currentAngle), "its rotation now, in radians");
}
