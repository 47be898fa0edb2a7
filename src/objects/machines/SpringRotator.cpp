#include "objects/machines/SpringRotator.h"

#include <cmath>

#include "anim/InterpolatedValue.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "objects/machines/PathPlatform.h"
#include "objects/machines/Rotator.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(SpringRotator, A99Object, object_ids::SpringRotator)

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
    drawRotatorAngleArrows(*this, minAngle, maxAngle, Rotator::EDITOR_ARROW_COLOR);
}

void SpringRotator::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"minAngle", 0, &minAngle), "its lowest rotation, in radians");
    c->add(new PropertyFloat(u"maxAngle", 0, &maxAngle), "its highest rotation, in radians");
    c->add(new PropertyFloat(u"currentAngle", 0, &currentAngle), "its rotation now, in radians");
}
