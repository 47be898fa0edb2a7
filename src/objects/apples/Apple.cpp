#include "objects/apples/Apple.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/AppleIndex.h"
#include "objects/apples/Basket.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"
#include "util/Random.h"
#include "world/AreaQuery.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(Apple, PhysObject, object_ids::Apple)

namespace {

// The score after adding `add` points, summed wide: a score that would leave
// the int range (wrap below 0 in 32 bits) becomes 0.
int32_t addPoints(int32_t points, int32_t add) {
    const int64_t sum = static_cast<int64_t>(points) + add;
    return sum < 0 || sum > INT32_MAX ? 0 : static_cast<int32_t>(sum);
}

const V3 kOffset(0.0f, 16.0f, 0.0f);

}  // namespace

Apple::Apple() {
    collisionSensitivity = 0.75f;
    sheet = findResource<Texture>(u"apple");
    setFrame(FRAME_FRESH);
}

Apple::~Apple() {
    if (pSlot && pSlot->occupant == this) pSlot->occupant = nullptr;
    pSlot = nullptr;
    dropGhost();
}

void Apple::calcBoundingCircle() {
    PhysObject::calcBoundingCircle();
    AppleIndex::noteMoved();
}

void Apple::setFrame(int frame) {
    Skin* skin = sheet->getSkin(frame);
    if (!skin) ZUB_ERROR(u"Could not find resource '%s'.", formatString(u"apple:%d", frame));
    pSkin = skin;
}

void Apple::addPropertiesTo(PropertyContainer* c) {
    PhysObject::addPropertiesTo(c);
    c->add(new PropertyBool(u"bSuperApple", 0, &bSuperApple), "a super apple");
}

ZubBase* Apple::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->appleList) return level->appleList;
    return PhysObject::namedOwnerList();
}

void Apple::netPostReplicate() {
    PhysObject::netPostReplicate();
    Level* level = Level::current();
    physPointOffset = kOffset;
    if (bSuperApple) {
        scale.x = scale.y = SUPER_SCALE;
        physPointOffset = kOffset * SUPER_SCALE;
    }
    onTransformChanged();
    // Once: a second set-up keeps the ghost it has.
    if (!pGhost.get() && level && level->appleGhostList) {
        auto* ghost = new Renderable();
        ghost->color = GHOST_COLOR;
        ghost->bHidden = 1;
        level->appleGhostList->addChild(ghost);
        pGhost.set(ghost);
    }
    spawnPosition = physPoint.position;
}

void Apple::onEdited() {
    onTransformChanged();
    const V3 p = position - physPointOffset;
    physPoint.setPositionAndStop(p.x, p.y, p.z);
}

void Apple::renderObject() {
    if (!pSlot) PhysObject::renderObject();
}

void Apple::renderInSlot() { PhysObject::renderObject(); }

bool Apple::isFree() const { return !pSlot && !bSpoiled; }

void Apple::push(A99Object* by, const V3& impulse) {
    (void)by;
    bHanging = 0;
    // Still on its way down from the tree: it falls, but takes no impulse.
    if (!bHasLanded) return;
    // Never slower that way than it already moves.
    auto take = [](float& v, float i) {
        if (i > 0.0f) v = std::max(v, i);
        else if (i < 0.0f) v = std::min(v, i);
    };
    take(velocity.x, impulse.x);
    take(velocity.y, impulse.y);
    setGround(nullptr);
}

// ---------------------------------------------------------------------------
// Spoiling, collecting, slots

void Apple::markSpoiled() {
    bSpoiled = 1;
    if (Level* level = Level::current()) level->currentResult.applesLost += 1;
    removeFromSlot();
}

void Apple::spoil(int type) {
    if (type < SPOIL_BITTEN || type > SPOIL_OTHER) ZUB_ERROR(u"Unhandled spoil type.");
    markSpoiled();
    const char16_t* sound = nullptr;
    switch (type) {
        case SPOIL_BITTEN: {
            const uint32_t r = (randomNext() & 0x7fffu) % 8u;
            setFrame(r == 0 ? FRAME_BITTEN : r == 1 ? FRAME_BITTEN + 1 : FRAME_BITTEN + 2);
            sound = bSuperApple ? u"appleBiteBig" : u"appleBite";
            break;
        }
        case SPOIL_WORM:
            setFrame(FRAME_WORMY);
            sound = u"appleWorm";
            break;
        case SPOIL_MUD:
            setFrame(FRAME_MUD);
            sound = u"appleMud";
            break;
        case SPOIL_ACID:
            setFrame(FRAME_ACID);
            sound = u"appleAcid";
            break;
        case SPOIL_EATEN:
            bEaten = 1;
            break;
        default:
            break;
    }
    if (sound) playSound(findResource<Sound>(sound), true);
}

void Apple::collect() {
    removeFromSlot();
    dropGhost();
    bToBeDestroyed = 1;
    Level* level = Level::current();
    if (!level) return;
    LevelResult& r = level->currentResult;
    if (r.applesGathered >= r.apples) {
        if (r.bonusApplesGathered < r.bonusApples) r.bonusApplesGathered += 1;
    } else {
        r.applesGathered += 1;
    }
    r.points = addPoints(r.points, COLLECT_POINTS);
    // Each apple a semitone above the one before: the first 7 below the sample.
    const int64_t n = static_cast<int64_t>(r.applesGathered) + r.bonusApplesGathered - 8;
    findResource<Sound>(u"appleCollect")->playSemitones(static_cast<float>(n));
}

void Apple::putIntoSlot(BasketSlot* slot) {
    if (!slot) return;
    if (pSlot && pSlot->occupant == this) pSlot->occupant = nullptr;
    pSlot = slot;
    slot->occupant = this;
    // Where it lay is forgotten: taken out again, it falls from the basket.
    setGround(nullptr);
    drawnPosition.setImmediate(position);
    drawnPosition.progress = 0.0f;
    drawnAngle.setImmediate(0.0f);
    drawnAngle.moveTo(0.0f);
    entryAngle = rotation.z;
    const float basketY = slot->pBasket ? slot->pBasket->position.y : position.y;
    hopHeight = std::max(0.0f, basketY + SLOT_HOP - (position.y + slot->worldPoint().y) / 2.0f);
    bHanging = 0;
    playSound(findResource<Sound>(u"appleBasket"), true);
}

void Apple::removeFromSlot() {
    if (!pSlot) return;
    if (Basket* basket = pSlot->pBasket) placeAfter(basket);
    if (pSlot->occupant == this) pSlot->occupant = nullptr;
    pSlot = nullptr;
    // It goes on from where it was drawn, at the speed it had.
    physPoint.position = position - physPointOffset;
}

void Apple::dropGhost() {
    if (ZubBase* ghost = pGhost.get()) ghost->bToBeDestroyed = 1;
    pGhost.set(nullptr);
}

// ---------------------------------------------------------------------------
// Tick

void Apple::tick(double time, double dt) {
    PhysObject::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    if (!bSpoiled) setFrame(level->getConfiguration().colourBlindMode ? FRAME_FRESH_ALT : FRAME_FRESH);

    if (!bEaten) {
        if (pSlot) {
            tickInSlot(time, dt);
        } else {
            if (HullSegment* ground = getGround()) {
                // Riding the ground; too steep to hold, it rolls off next tick.
                V3 contact;
                if (groundContactWorld(contact)) physPoint.position = contact;
                if (std::fabs(ground->getWorldAngle()) > STEEP_ANGLE) setGround(nullptr);
            } else if (!bHanging) {
                tickFree(time, dt);
            }
            placeAtPhysPoint();
        }
    }
    if (ZubBase* ghost = pGhost.get()) ghost->bHidden = isLoose() ? 0 : 1;

    // Mud and acid spoil it, also in a basket.
    if (!bSpoiled) {
        if (auto* area = dynamic_cast<AreaQuery*>(findContainingArea())) {
            const int type = area->getAreaType();
            if (type == AREA_MUD) spoil(SPOIL_MUD);
            else if (type == AREA_ACID) spoil(SPOIL_ACID);
        }
    }

    if (isLoose()) {
        House* house = level->houseOrNull();
        if (position.y < level->playingArea.bottom) {
            // Lost below the level: it counts as spoiled and goes.
            markSpoiled();
            dropGhost();
            bToBeDestroyed = 1;
        } else if (house && V3::isWithinDistance(house->position, position, effectiveRadius() + HOME_REACH)) {
            collect();
        }
    }

    // Spoiled while still hanging where it was made, it lies in mud or acid
    // there: its replacement would spoil at once too and make another, in
    // the same walk of the apple list, without end.
    if (bSpoiled && !bReplaced && !bHanging) makeReplacement();
}

void Apple::tickInSlot(double time, double dt) {
    if (Basket* basket = pSlot->pBasket) {
        drawnPosition.retarget(pSlot->worldPoint());
        drawnAngle.retarget(basket->rotation.z);
    }
    drawnPosition.tick(time, dt);
    drawnAngle.tick(time, dt);
    // An arc into the place while the angle's move runs.
    position = drawnPosition.get() + V3(0.0f, hopHeight * std::sin(drawnAngle.progress * kPi), 0.0f);
    rotation.z = entryAngle + drawnAngle.get();
    onTransformChanged();
}

void Apple::tickFree(double time, double dt) {
    const float step = static_cast<float>(dt);
    physPoint.oldPosition = physPoint.position;
    velocity += V3(0.0f, GRAVITY, 0.0f) * step;
    physPoint.position += velocity * step;

    Xsect x(physPoint.oldPosition, physPoint.position, Xsect::FLAG_PASS_THROUGH_HULLS);
    x.considerHulls();
    while (x.checkHits()) {
        HullSegment* hit = x.pHitSegment;
        const Hull* hull = hit->getHull();
        if (hull && hull->hullType == Hull::PASS_THROUGH) {
            x.handleHit(Xsect::PASS);
            if (A99Object* owner = hit->owner()) owner->onHullCrossed(this, &x);
            continue;
        }
        x.handleHit(Xsect::SLIDE);
        physPoint.position = x.resultPoint;
        bHasLanded = 1;
        const float speed = std::fmin(velocity.length(), MAX_SPEED);
        float bounce = 1.0f;
        if (speed > LOUD_SPEED) {
            bounce = BOUNCE;
            bounceSound(time, speed);
        } else if (std::fabs(hit->getWorldAngle()) <= STEEP_ANGLE) {
            if (speed < REST_SPEED) {
                // At rest: the rest of the step is not answered.
                setGround(hit);
                break;
            }
            bounce = BOUNCE;
        }
        velocity = x.resultDir * (speed * bounce);
    }

    float spin = lerpMappedClamped(SPIN, -SPIN, -SPIN_SPEED, SPIN_SPEED, velocity.x);
    if (bSuperApple) spin *= 0.5f;
    float angle = std::fmod(rotation.z + spin * step, kTwoPi);
    if (angle < 0.0f) angle += kTwoPi;
    rotation.z = angle;
}

void Apple::bounceSound(double time, float speed) {
    if (!(time > lastBounceTime + BOUNCE_SOUND_GAP)) return;
    Sound* sound = findResource<Sound>(bSuperApple ? u"appleBig" : u"appleBounce");
    // Slow bounces sound lower (half the frequency at SOUND_SLOW_SPEED).
    float pitch = lerpMappedClamped(-0.5f, 0.0f, SOUND_SLOW_SPEED, SOUND_FAST_SPEED, speed);
    if (bSuperApple) {
        pitch *= 0.5f;
        if (Level* level = Level::current()) level->shakeCamera(SHAKE_STRENGTH, SHAKE_DURATION);
    }
    sound->minPitch = sound->maxPitch = pitch;
    playSound(sound, false);
    lastBounceTime = time;
}

void Apple::placeAtPhysPoint() {
    position = physPoint.position + physPointOffset;
    onTransformChanged();
    if (auto* ghost = pGhost.as<Renderable>()) {
        ghost->pSkin = pSkin;
        ghost->worldMatrix = worldMatrix;
        ghost->boundingCentre = boundingCentre;
        ghost->boundingRadius = boundingRadius;
    }
}

void Apple::makeReplacement() {
    bReplaced = 1;
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    Apple* fresh = new Apple();
    THEROLE->registerObject(fresh, 0);
    fresh->physPoint.setPositionAndStop(spawnPosition.x, spawnPosition.y, spawnPosition.z);
    fresh->bSuperApple = bSuperApple;
    fresh->construct();
    fresh->netCallPostReplicate();
    fresh->netCallPostReplicateGlobal();
    if (pOwnerList) pOwnerList->netAddChild(fresh);
    fresh->setPosition(spawnPosition + physPointOffset);
    Level* level = Level::current();
    if (level && level->getConfiguration().detailLevel >= 1 && level->fgEffectsList)
        level->fgEffectsList->addChild(
            new ParticleGroup(REPLACE_PARTICLES, fresh->position, 15.0f, 40.0f, 0.0f, kTwoPi, REPLACE_COLOR, 2.0f));
}
