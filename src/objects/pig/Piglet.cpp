#include "objects/pig/Piglet.h"

#include <cmath>

#include "audio/Sound.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "util/Random.h"
#include "world/GameWorld.h"
#include "world/HullSegment.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(Piglet, PigBody, object_ids::Piglet)

namespace {

// The flat-enough ground on which friction acts.
constexpr float STEEPEST_FRICTION_ANGLE = kPi / 4.0f;

V3 startAbove(const House* house) { return house->position + V3(0.0f, Piglet::START_HEIGHT, 0.0f); }

// v moved towards 0 by step, not past it.
float towardsZero(float v, float step) {
    if (v > 0.0f) return v > step ? v - step : 0.0f;
    return v < -step ? v + step : 0.0f;
}

}  // namespace

Piglet::Piglet() = default;
Piglet::~Piglet() = default;

ZubBase* Piglet::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->pigletList) return level->pigletList;
    return PigBody::namedOwnerList();
}

void Piglet::netPostReplicate() {
    PigBody::netPostReplicate();
    Level* level = Level::current();
    if (!level) return;
    // Wherever it was hung, a piglet lives in the piglet list.
    if (level->pigletList && parent != level->pigletList) level->pigletList->addChild(this);
    if (const House* house = level->houseOrNull()) {
        const V3 p = startAbove(house);
        physPoint.setPositionAndStop(p.x, p.y, p.z);
    }
    if (!isEditorMode()) gotoState(WALKING, FIRST_WALK_DELAY);
}

void Piglet::onEdited() {
    PigBody::onEdited();
    const V3 p = position - physPointOffset;
    physPoint.setPositionAndStop(p.x, p.y, p.z);
}

bool Piglet::isHeroNearHouse() const {
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    const House* house = level ? level->houseOrNull() : nullptr;
    return hero && house && V3::isWithinDistance(hero->position, house->position, HERO_NEAR_HOUSE);
}

void Piglet::onStateChange() {
    if (state == WALKING) chooseTarget();
    else if (state == STANDING) scheduleWalk();
}

void Piglet::chooseTarget() {
    Level* level = Level::current();
    if (!level) return;
    const House* house = level->houseOrNull();
    const Pig* hero = level->heroOrNull();
    if (house && house->isHeroInside()) {
        targetX = house->position.x;
    } else if (hero && isHeroNearHouse()) {
        const float side = randomFraction() < 0.5f ? -1.0f : 1.0f;
        targetX = hero->position.x + side * (30.0f + 50.0f * randomFraction());
    } else {
        const float home = house ? house->position.x : physPoint.position.x;
        targetX = home + (2.0f * randomFraction() - 1.0f) * WANDER_RANGE;
    }
    const PlayingArea& a = level->playingArea;
    targetX = std::fmin(std::fmax(targetX, a.left + EDGE_MARGIN), a.right - EDGE_MARGIN);
    gotoState(STANDING, LONGEST_WALK);
}

void Piglet::scheduleWalk() {
    if (type == 3) tailWag = 1.0f;
    const double r = randomFraction();
    gotoState(WALKING, isHeroNearHouse() ? 0.5 + 0.5 * r : 1.0 + 4.0 * r);
}

void Piglet::standNow() {
    // The walk's own end is pending; a change to the pending state would be
    // ignored, so that one is dropped first.
    stateGoto = state;
    stateLeft = 0.0;
    gotoState(STANDING);
}

double Piglet::hopInterval() const {
    const double r = randomFraction();
    switch (type) {
        case 2:
            return 0.1 + 2.9 * r;
        case 3:
            return 30.0 + 30.0 * r;
        default:
            return 10.0 + 20.0 * r;
    }
}

void Piglet::returnToHouse(const House* house) {
    const V3 p = startAbove(house);
    physPoint.setPositionAndStop(p.x, p.y, p.z);
    velocity = V3();
    jumpCount = 0;
    setGround(nullptr);
}

void Piglet::tick(double time, double dt) {
    PigBody::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    const House* house = level->houseOrNull();
    const float fdt = static_cast<float>(dt);

    physPoint.oldPosition = physPoint.position;
    bWalking = false;
    V3 along(1.0f, 0.0f, 0.0f);
    const HullSegment* standingOn = getGround();
    float groundAngle = 0.0f;
    V3 contact;
    if (standingOn && groundContactWorld(contact)) {
        physPoint.position = contact;
        jumpCount = 0;
        groundAngle = standingOn->getWorldAngle();
        along = V3(std::cos(groundAngle), std::sin(groundAngle), 0.0f);
    } else {
        standingOn = nullptr;
    }

    bool skipFriction = false;
    bool hopped = false;
    if (state == WALKING) {
        if (physPoint.position.x < targetX) {
            facing = 1;
            velocity += along * (ACCELERATION * fdt);
            bWalking = true;
            skipFriction = velocity.x > 0.0f;
        } else if (physPoint.position.x > targetX) {
            facing = -1;
            velocity -= along * (ACCELERATION * fdt);
            bWalking = true;
            skipFriction = velocity.x < 0.0f;
        }
    }

    // A chance to hop: taken on the ground away from the house, except the
    // very first one, which only schedules the next.
    if (time > nextJump) {
        const bool nearHouse = house && V3::isWithinDistance(house->position, physPoint.position, NO_HOP_RADIUS);
        if (jumpCount == 0 && nextJump > 0.0 && !nearHouse) {
            ++jumpCount;
            velocity.y = HOP_SPEED;
            if (ResourceManager* resources = ResourceManager::active())
                playSound(resources->findAs<Sound>(u"pigletJump"), false);
            skipFriction = true;
            hopped = true;
        }
        nextJump = time + hopInterval();
    }

    velocity.x = clampf(velocity.x, -MAX_SPEED, MAX_SPEED);
    if (standingOn && std::fabs(groundAngle) <= STEEPEST_FRICTION_ANGLE && !skipFriction) {
        velocity.x = towardsZero(velocity.x, FRICTION * fdt);
        velocity.y = towardsZero(velocity.y, FRICTION * fdt);
    }
    if (!hopped) velocity.y += GRAVITY * fdt;

    sweep(physPoint.position + velocity * fdt);
    // Below the playing area it could never get home (the level could not
    // be completed): it starts again above the house.
    if (house && physPoint.position.y < level->playingArea.bottom) returnToHouse(house);

    updateParts(time, dt);
    flashTime = flashTime > dt ? flashTime - dt : 0.0;

    // Past its target: it stands at once.
    if (state == WALKING &&
        ((facing > 0 && physPoint.position.x > targetX) || (facing < 0 && physPoint.position.x < targetX)))
        standNow();
}

void Piglet::sweep(const V3& to) {
    // Once the hero is inside, the house's outline no longer holds a piglet
    // out: the way home to the house's x may lead through its walls (which
    // face outwards) or down through its roof, and a piglet that stood
    // outside or up on the roof would otherwise never get home. A piglet
    // already home stays on the house's floor.
    Level* level = Level::current();
    const House* house = level ? level->houseOrNull() : nullptr;
    const A99Object* passable =
        house && house->isHeroInside() &&
                !V3::isWithinDistance(physPoint.oldPosition, house->position, House::PIGLET_HOME_RADIUS)
            ? house
            : nullptr;
    Xsect x(physPoint.oldPosition, to, Xsect::FLAG_HERO_HULLS);
    x.considerHulls();
    physPoint.position = to;
    HullSegment* hit = nullptr;
    while (x.checkHits()) {
        if (passable && x.pHitSegment->owner() == passable) {
            x.handleHit(Xsect::PASS);
            physPoint.position = x.resultPoint;
            continue;
        }
        hit = x.pHitSegment;
        const float t = hit->getWorldAngle();
        const V3 dir(std::cos(t), std::sin(t), 0.0f);
        const V3 normal(std::cos(t + kPi / 2.0f), std::sin(t + kPi / 2.0f), 0.0f);
        if (std::fabs(velocity.dot(normal)) > HARD_LANDING_SPEED) squash = 1.0f;
        x.handleHit(Xsect::WALK);
        velocity = dir * velocity.dot(dir);
        physPoint.position = x.resultPoint;
        setGround(hit);
    }
    if (!hit) setGround(nullptr);
}
