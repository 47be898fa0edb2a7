#include "objects/machines/PathPlatform.h"

#include <algorithm>
#include <cmath>

#include "gfx/RenderCounters.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(PathPlatform, PathFollower, object_ids::PathPlatform)

void activateTraveller(int32_t& lastFrame, bool& activated, int32_t& direction, float alpha) {
    const int32_t frame = renderCounters.frameNumber;
    if (lastFrame < 0) {
        activated = true;
    } else if (lastFrame < frame - 1 && !(alpha > 0.0f && alpha < 1.0f)) {
        direction = -direction;
    }
    lastFrame = frame;
}

PathPlatform::PathPlatform() = default;

PathPlatform::~PathPlatform() = default;

void PathPlatform::activate() { activateTraveller(lastActivationFrame, bActivated, pathDir, pathAlpha); }

void PathPlatform::onTouched() {
    if (bActivatedByTouch) activate();
}

void PathPlatform::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    // Without a path to travel pathPosition holds nothing yet.
    if (isEditorMode() || !travelledPath()) return;
    position = pathPosition;
    switch (orientationEnum) {
        case FOLLOW:
            rotation.z = pathAngle;
            break;
        case FOLLOW_BOUNDED:
            rotation.z = std::clamp(pathAngle, -FOLLOW_BOUND, FOLLOW_BOUND);
            break;
        case BANK:
            rotation.z = std::sin(pathAngle) * maxBankAngle;
            break;
        default:
            break;
    }
    onTransformChanged();
}

void PathPlatform::addPropertiesTo(PropertyContainer* c) {
    PathFollower::addPropertiesTo(c);
    c->add(new PropertyBool(u"bActivatedByTouch", 0, &bActivatedByTouch), "the hero's touch sets it going");
    c->add(new PropertyEnum(u"orientationEnum", 0, &orientationEnum, ORIENTATION_COUNT),
           "how it turns with its path: 0 not, 1 along it, 2 along it within 0.69 rad, 3 banking");
    c->add(new PropertyFloat(u"maxBankAngle", 0, &maxBankAngle), "the largest bank of orientation 3, in radians");
}
