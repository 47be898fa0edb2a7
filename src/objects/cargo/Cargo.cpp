#include "objects/cargo/Cargo.h"

#include <cmath>

#include "engine/Zub.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"
#include "text/FloatingText.h"
#include "text/FontQuad.h"
#include "world/AreaQuery.h"
#include "world/HullSegment.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(Cargo, PhysObject, object_ids::Cargo)

namespace {

// The angle in (-pi, pi]; a non-finite angle counts as 0.
float normalizedAngle(float a) {
    if (!std::isfinite(a)) return 0.0f;
    a = std::remainder(a, kTwoPi);
    if (a <= -kPi) a += kTwoPi;
    if (a > kPi) a -= kTwoPi;
    return a;
}

// The sweep's first hit answered with a stop: where the motion from `from`
// to `to` meets the first hull between them, else `to`.
V3 firstStop(const V3& from, const V3& to) {
    Xsect x(from, to, 0);
    x.considerHulls();
    if (!x.checkHits()) return to;
    x.handleHit(Xsect::STOP);
    return x.resultPoint;
}

}  // namespace

Cargo::Cargo() { collisionSensitivity = 0.75f; }

Cargo::~Cargo() = default;

Pig* Cargo::getCarrier() const { return carriedBy.as<Pig>(); }

ZubBase* Cargo::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->cargoList) return level->cargoList;
    return PhysObject::namedOwnerList();
}

void Cargo::netPostReplicate() {
    PhysObject::netPostReplicate();
    respawnPosition = physPoint.position;
}

void Cargo::onEdited() {
    onTransformChanged();
    const V3 p = position - physPointOffset;
    physPoint.setPositionAndStop(p.x, p.y, p.z);
}

// ---------------------------------------------------------------------------
// Carrying

void Cargo::getCarriedParams(V3* outPosition, V3* outDrawn, float* outAngle) const {
    ZUB_ASSERT(carriedBy != NULL);
    const Pig* c = getCarrier();
    ZUB_ASSERT(c != NULL);
    const V3 grip = carriedOffset * c->carryScale;
    c->localToWorld(*outPosition, grip);
    c->localToWorld(*outDrawn, physPointOffset + grip);
    *outAngle = normalizedAngle(c->rotation.z);
}

void Cargo::setCarriedBy(Pig* carrier) {
    if (Pig* old = getCarrier()) {
        // Never through a wall: the cargo stops where the line from the
        // carrier's point to its own first meets a hull.
        const V3 p = firstStop(old->physPoint.position, physPoint.position);
        physPoint.setPositionAndStop(p.x, p.y, p.z);
        velocity = V3();
        drawnAngle.moveTo(0.0f);
        setGround(nullptr);
    }
    carriedBy.set(carrier);
    bEverCarried = 1;
    if (carrier) {
        // Drawn after the carrier, gliding from where it lay into her grip.
        placeAfter(carrier);
        drawnPosition.setImmediate(position);
        drawnPosition.progress = 0.0f;
        drawnAngle.setImmediate(rotation.z);
        drawnAngle.moveTo(0.0f);
    }
}

// ---------------------------------------------------------------------------
// Tick

void Cargo::tick(double time, double dt) {
    PhysObject::tick(time, dt);
    if (isEditorMode()) return;
    if (Pig* carrier = getCarrier()) {
        tickCarried(carrier, time, dt);
        return;
    }
    if (HullSegment* segment = getGround()) tickOnGround(segment);
    else tickFree(time, dt);
    placeAtPhysPoint();
    returnIfLost();
}

void Cargo::tickCarried(Pig* carrier, double time, double dt) {
    V3 at, drawn;
    float angle;
    getCarriedParams(&at, &drawn, &angle);
    drawnPosition.retarget(drawn);
    drawnAngle.retarget(angle);
    drawnPosition.tick(time, dt);
    drawnAngle.tick(time, dt);
    // No velocity builds up while carried.
    physPoint.setPositionAndStop(at.x, at.y, at.z);
    position = drawnPosition.get();
    onTransformChanged();
    rotation.z = drawnAngle.get();
    onTransformChanged();
    if (bFollowHeroFacing) {
        scale = V3(carrier->scale.x > 0.0f ? 1.0f : -1.0f, 1.0f, 1.0f);
        onTransformChanged();
    }
}

void Cargo::tickOnGround(HullSegment* segment) {
    // Riding the ground: the contact point moves with the ground's owner.
    V3 contact;
    if (groundContactWorld(contact)) physPoint.position = contact;
    // Too steep to hold: it falls from the next tick.
    if (std::fabs(segment->getWorldAngle()) > STEEP_ANGLE) setGround(nullptr);
}

void Cargo::tickFree(double time, double dt) {
    const float step = static_cast<float>(dt);
    physPoint.oldPosition = physPoint.position;
    velocity += V3(0.0f, GRAVITY, 0.0f) * step;
    physPoint.position += velocity * step;

    Xsect x(physPoint.oldPosition, physPoint.position, 0);
    x.considerHulls();
    // Every hit of the step is answered, also after the cargo came to rest.
    while (x.checkHits()) {
        HullSegment* hit = x.pHitSegment;
        x.handleHit(Xsect::SLIDE);
        physPoint.position = x.resultPoint;
        const float speed = std::fmin(velocity.length(), MAX_SPEED);
        float bounce = 1.0f;
        if (speed > LOUD_SPEED) {
            if (A99Object* o = hit->owner()) o->playFootstep(o->material);
            bounce = BOUNCE;
        } else if (std::fabs(hit->getWorldAngle()) <= STEEP_ANGLE) {
            if (speed < REST_SPEED) setGround(hit);
            else bounce = BOUNCE;
        }
        velocity = x.resultDir * (speed * bounce);
    }

    drawnAngle.tick(time, dt);
    rotation.z = drawnAngle.get();
    onTransformChanged();
}

void Cargo::placeAtPhysPoint() {
    position = physPoint.position + M44::rotationZ(rotation.z).transformNormal(physPointOffset);
    onTransformChanged();
}

void Cargo::returnIfLost() {
    Level* level = Level::current();
    if (!level) return;
    // Below the playing area nothing catches a falling cargo: it counts as
    // lost whether or not it lies on something. Acid and danger take only a
    // cargo that rests in them, not one that flies through.
    bool lost = position.y < level->playingArea.bottom;
    if (!lost && getGround()) {
        if (auto* area = dynamic_cast<AreaQuery*>(findAreaAtPoint(physPoint.position))) {
            const int type = area->getAreaType();
            lost = type == AREA_ACID || type == AREA_DANGER;
        }
    }
    if (!lost) return;
    physPoint.setPositionAndStop(respawnPosition.x, respawnPosition.y, respawnPosition.z);
    velocity = V3();
    setGround(nullptr);
}

// ---------------------------------------------------------------------------
// The hero's prompt

bool Cargo::queryHeroPrompt(V3 point, int* priority, float* distance) {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero || carriedBy != NULL) return false;
    if (!isTouchInput()) {
        if (!collide(hero)) return false;
        *priority = PROMPT_PRIORITY;
        *distance = V3::distance(hero->position, boundingCentre);
        return true;
    }
    // Touch: the point is where the player touched.
    const float d = V3::distance(boundingCentre, point);
    if (!(d < 2.0f * collisionSensitivity * boundingRadius)) return false;
    if (V3::isWithinDistance(position, hero->position, 2.0f * hero->boundingRadius)) {
        *priority = PROMPT_PRIORITY;
        *distance = d;
        return true;
    }
    showTooFarAway();
    return false;
}

void Cargo::showTooFarAway() {
    Level* level = Level::current();
    ResourceManager* resources = ResourceManager::active();
    if (!level || !level->fgEffectsList || !resources) return;
    // A build without the outlined font shows no notice.
    auto* font = zub_cast<FontQuad>(resources->find(u"fontSmallOutline", false));
    if (!font) return;
    const char16_t* text = ZUB && ZUB->language ? ZUB->language->getText(SID_IOS_TOOFARAWAY) : u"TOO FAR AWAY";
    level->fgEffectsList->addChild(
        new FloatingText(font, boundingCentre, text, TOO_FAR_COLOR, V3(0.0f, TOO_FAR_RISE, 0.0f), TOO_FAR_DURATION));
}
