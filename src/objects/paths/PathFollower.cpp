#include "objects/paths/PathFollower.h"

#include <cmath>

#include "anim/InterpolatedValue.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "world/BezierPath.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/Terrain.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(PathFollower, A99Object, object_ids::PathFollower)

namespace {
// The easing curve of sinusoidal motion.
constexpr int kSinusoidalCurve = 6;
constexpr float kHalfPi = 1.5707963705062866f;
}  // namespace

PathFollower::PathFollower() = default;

PathFollower::~PathFollower() = default;

BezierPath* PathFollower::getPath() const { return pPath.as<BezierPath>(); }

Terrain* PathFollower::getTerrain() const { return pTerrain.as<Terrain>(); }

BezierPath* PathFollower::travelledPath() const {
    BezierPath* path = getPath();
    if (!path || path->segments.isEmpty() || path->vertexCount() < 2) return nullptr;
    return path;
}

float PathFollower::rightFacing() const {
    float sx = std::fabs(pathAngle) > kHalfPi ? -1.0f : 1.0f;
    if (pathDir == -1) sx = -sx;
    return sx;
}

float PathFollower::leftFacing() const {
    float sx = std::fabs(pathAngle) < kHalfPi ? -1.0f : 1.0f;
    if (pathDir == -1) sx = -sx;
    return sx;
}

void PathFollower::waitAtEnd(double dt, int32_t direction) {
    if (bOnceOnly) return;
    endpointTimer -= dt;
    // Below 0, not at 0: with no delay the follower turns one tick after
    // it arrived.
    if (endpointTimer < 0.0) {
        endpointTimer = endpointDelay;
        pathDir = direction;
    }
}

void PathFollower::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    BezierPath* path = travelledPath();
    if (!path) return;
    if (bActivated) pathAlpha += static_cast<float>(pathDir) * pathSpeed * static_cast<float>(dt);
    if (path->bLooping) {
        // fmod keeps the sign of its first operand.
        pathAlpha = pathAlpha < 0.0f ? std::fmod(pathAlpha, 1.0f) + 1.0f : std::fmod(pathAlpha, 1.0f);
    } else {
        if (pathAlpha <= 0.0f) {
            pathAlpha = 0.0f;
            waitAtEnd(dt, 1);
        }
        if (pathAlpha >= 1.0f) {
            pathAlpha = 1.0f;
            waitAtEnd(dt, -1);
        }
    }
    float t = pathAlpha;
    if (bSinusoidal) t = InterpolatedValue::interpolate(kSinusoidalCurve, 0.0f, 1.0f, pathAlpha);
    V3 local;
    path->evaluateL(&local, path->totalLength * t, &pathAngle);
    pathPosition = path->position + local;
    if (Terrain* terrain = getTerrain()) terrain->getSurfaceAt(pathPosition.x, &pathPosition.y, &pathAngle);
}

void PathFollower::netPostReplicate() {
    A99Object::netPostReplicate();
    endpointTimer = endpointDelay;
}

void PathFollower::renderObject() {
    A99Object::renderObject();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    if (BezierPath* path = getPath()) drawEditorArrow(position, path->position, EDITOR_ARROW_COLOR);
    if (Terrain* terrain = getTerrain()) drawEditorArrow(position, terrain->position, EDITOR_ARROW_COLOR);
}

void PathFollower::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyReference(u"pPath", PROP_RAW_POINTER, &pPath, &BezierPath::classRecord), "the path it travels");
    c->add(new PropertyReference(u"pTerrain", PROP_RAW_POINTER, &pTerrain, &Terrain::classRecord),
           "when set, it walks on this terrain's surface");
    c->add(new PropertyFloat(u"pathAlpha", 0, &pathAlpha), "where it is along its path, 0 the start to 1 the end");
    c->add(new PropertyFloat(u"pathSpeed", 0, &pathSpeed), "fractions of the path it travels per second");
    c->add(new PropertyInt(u"pathDir", 0, &pathDir), "1 forward, -1 backward");
    c->add(new PropertyBool(u"bSinusoidal", 0, &bSinusoidal), "it eases in and out at the ends");
    c->add(new PropertyBool(u"bOnceOnly", 0, &bOnceOnly), "it stops at an end instead of turning back");
    c->add(new PropertyBool(u"bActivated", 0, &bActivated), "it moves only while set");
    c->add(new PropertyDouble(u"endpointDelay", 0, &endpointDelay), "seconds it waits at an end before turning");
}
