#include "objects/pig/Pig.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "fx/ParticleGroup.h"
#include "gfx/BlendingCamera.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/PigPickup.h"
#include "objects/cargo/Cargo.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/pig/HeroCameras.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/AreaQuery.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/WorldEditorPanel.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(Pig, PigBody, object_ids::Pig)

namespace {

// Moves v towards 0 by `amount` without crossing it.
float towardsZero(float v, float amount) {
    if (v > 0.0f) return std::max(0.0f, v - amount);
    if (v < 0.0f) return std::min(0.0f, v + amount);
    return v;
}

// Either code of the control is held / went down this frame.
bool controlDown(const ZubInput* in, const ControlBinding& b) {
    return in && (in->isKeyDown(b.key) || in->isKeyDown(b.alternative));
}
bool controlPressed(const ZubInput* in, const ControlBinding& b) {
    return in && (in->wasKeyPressed(b.key) || in->wasKeyPressed(b.alternative));
}

// Slides the music's volume when music plays.
void slideMusic(float volume, double seconds) {
    ZubAudio* audio = ZubAudio::active();
    SoundStream* music = audio ? audio->getMusic() : nullptr;
    if (music && music->isPlaying()) audio->fadeMusic(volume, seconds);
}

// The tools she keeps when she faints and finds again when she reappears.
bool isTool(const Cargo* c) { return zub_cast<WingedHat>(c) || zub_cast<Umbrella>(c); }

// The somersault of the hat's second jump: a shower of white sparkles
// falling from her.
constexpr int SOMERSAULT_PARTICLES = 10;
constexpr uint32_t SOMERSAULT_COLOR = 0xFFFFFFFFu;

// Her reappearance: a pink puff and a burst of red sparkles.
constexpr int RESPAWN_SMOKE_PUFFS = 15;
constexpr uint32_t RESPAWN_SMOKE_COLOR = 0xFFFFCCCCu;
constexpr int RESPAWN_SPARKLES = 25;
constexpr uint32_t RESPAWN_SPARKLE_COLOR = 0xFFFF8080u;

// The random spread of a nudge's direction, either way.
constexpr float KICK_JITTER = kPi / 32.0f;

}  // namespace

Pig::Pig() = default;
Pig::~Pig() = default;

// ---------------------------------------------------------------------------
// Movement parameters

int Pig::areaType() const {
    const AreaQuery* area = dynamic_cast<const AreaQuery*>(pArea.get());
    return area ? area->getAreaType() : -1;
}

bool Pig::isGliding() const { return bHasUmbrella && state == PLAYING && velocity.y <= 0.0f && areaType() < 0; }

Pig::Movement Pig::movement() const {
    if (isGliding()) return MOVE_GLIDE;
    switch (areaType()) {
        case AREA_SLOW:
            return MOVE_SLOW;
        case AREA_WATER:
            return MOVE_WATER;
        case AREA_MUD:
            return MOVE_MUD;
        default:
            return MOVE_DEFAULT;
    }
}

bool Pig::glideStarts() const {
    // previousVelocity still holds the velocity at the start of the last
    // tick: she was rising then and falls now, once per descent.
    return isGliding() && airTime > JUMP_GRACE_TIME && previousVelocity.y > 0.0f;
}

// ---------------------------------------------------------------------------
// The tick

void Pig::tick(double time, double dt) {
    PigBody::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    const float fdt = static_cast<float>(dt);

    const Movement m = movement();
    if (glideStarts()) playSound(findResource<Sound>(u"umbrellaOpen"), false);

    previousVelocity = velocity;
    physPoint.oldPosition = physPoint.position;
    HullSegment* previousGround = getGround();
    // Compared only (the segment may go away during the tick).
    const Hull* previousHull = previousGround ? previousGround->getHull() : nullptr;
    bWalking = false;

    // On ground she rides along with it and walks along its slope.
    V3 groundDir(1.0f, 0.0f, 0.0f);
    float groundAngle = 0.0f;
    if (previousGround) {
        groundContactWorld(physPoint.position);
        jumpCount = 0;
        groundAngle = previousGround->getWorldAngle();
        groundDir = V3(std::cos(groundAngle), std::sin(groundAngle), 0.0f);
    }

    if (level->levelState() != Level::STATE_PLAYING) bCanAct = false;

    bool jumped = false;
    bool skipFriction = false;
    if (state == PLAYING) {
        if (bCanAct && level->promptPriority == 0)
            readControls(level, m, groundDir, previousGround != nullptr, fdt, jumped, skipFriction);
        // Her own prompt exists only while she carries something: taking
        // nothing while it is the target puts the cargo down.
        if (!carry() && pCarried.get() && level->promptTarget.get() == this) dropCargo();
    }

    velocity.x = clampf(velocity.x, -m.maxSpeed, m.maxSpeed);
    if (previousGround && std::fabs(groundAngle) <= WALL_ANGLE && !skipFriction) {
        velocity.x = towardsZero(velocity.x, m.friction * fdt);
        velocity.y = towardsZero(velocity.y, m.friction * fdt);
    }
    if (!jumped) velocity.y += m.gravity * fdt;
    airTime += dt;
    bCanAct = true;

    sweep(fdt);
    updateParts(time, dt);

    if (HullSegment* ground = getGround()) {
        A99Object* owner = ground->owner();
        const V3 at = physPoint.position;
        owner->onStoodOnAt(this, at, at - V3(0.0f, 1.0f, 0.0f));
        owner->onTouched();
        const int type = areaType();
        if (std::fabs(impactSpeed) > FOOTSTEP_SPEED && (type < 0 || type == AREA_SLOW) &&
            ground->getHull() != previousHull)
            playFootstep(owner->material);
    }

    pArea.set(findContainingArea());

    flashTime = std::max(0.0, flashTime - dt);
    lockTime = std::max(0.0, lockTime - dt);
    if (lockTime > 0.0) bCanAct = false;

    if (slurpTime > 0.0) {
        slurpTime -= dt;
        if (slurpTime <= 0.0) {
            playSound(findResource<Sound>(u"pigSlurp"), false);
            slurpPose();
            tailWag = 1.0f;
        }
    }

    if (state == PLAYING) {
        collectNearbyApples();
        if (level->levelState() == Level::STATE_PLAYING) eatSweets();
        checkDangerArea();
        checkOutOfArea();
    }
}

int Pig::homingDirection(Level* level) const {
    const House* house = level->houseOrNull();
    if (!house || house->isHeroInside()) return 0;
    const V3 d = house->position - physPoint.position;
    if (!V3::isWithinDistance(house->position, physPoint.position, HOME_REACH) || std::fabs(d.y) >= HOME_HEIGHT)
        return 0;
    return d.x > 0.0f ? 1 : -1;
}

void Pig::readControls(Level* level, const Movement& m, const V3& groundDir, bool onGround, float dt, bool& jumped,
                       bool& skipFriction) {
    const ZubInput* in = ZubInput::active();
    const GameConfiguration& config = level->getConfiguration();
    const ControlBinding& fire = config.controls[GameConfiguration::CONTROL_JUMP];
    const bool touchLeft = level->isTouchHeld(Level::TOUCH_LEFT);
    const bool touchRight = level->isTouchHeld(Level::TOUCH_RIGHT);
    const bool touchJump = level->isTouchHeld(Level::TOUCH_JUMP);
    const bool leftDown = controlDown(in, config.controls[GameConfiguration::CONTROL_LEFT]);
    const bool rightDown = controlDown(in, config.controls[GameConfiguration::CONTROL_RIGHT]);

    int homing = 0;
    if (!touchLeft && !touchRight && !touchJump && !leftDown && !rightDown && !controlDown(in, fire))
        homing = homingDirection(level);

    // RIGHT wins when both are held.
    const V3 push = groundDir * (m.acceleration * dt);
    if (rightDown || touchRight || homing > 0) {
        facing = 1;
        velocity += push;
        bWalking = true;
        skipFriction = velocity.x > 0.0f;
    } else if (leftDown || touchLeft || homing < 0) {
        facing = -1;
        velocity -= push;
        bWalking = true;
        skipFriction = velocity.x < 0.0f;
    }

    if (!controlPressed(in, fire) && !touchJump) return;
    // The first jump from the ground or just after leaving an edge; a
    // second one in the air with the winged hat (or the level's cheat).
    const bool granted =
        (jumpCount == 0 && airTime < JUMP_GRACE_TIME) || (jumpCount == 1 && (bHasHat || level->bDoubleJump == 1));
    if (!granted) return;
    playSound(findResource<Sound>(u"pigJump"), false);
    velocity.y = m.jumpSpeed;
    if (onGround) {
        // Jumping off ground that rises adds its speed.
        const float rise = (physPoint.position.y - physPoint.oldPosition.y) / dt;
        if (rise > 0.0f) velocity.y += rise;
    }
    velocity.y = std::min(velocity.y, MAX_JUMP_SPEED);
    ++jumpCount;
    jumped = true;
    skipFriction = true;
    if (jumpCount > 1) somersault(level);
}

void Pig::somersault(Level* level) {
    roll.setImmediate(static_cast<float>(facing) * kTwoPi);
    roll.moveTo(0.0f);
    playSound(findResource<Sound>(u"magicHat"), false);
    if (level->getConfiguration().detailLevel >= 1 && level->fgEffectsList)
        level->fgEffectsList->addChild(new ParticleGroup(SOMERSAULT_PARTICLES, physPoint.position, 1.0f, 100.0f,
                                                         1.5f * kPi, kPi, SOMERSAULT_COLOR, 2.0f));
}

void Pig::sweep(float dt) {
    Xsect x(physPoint.oldPosition, physPoint.position + velocity * dt,
            Xsect::FLAG_HERO_HULLS | Xsect::FLAG_PASS_THROUGH_HULLS);
    physPoint.position = x.p2World;
    x.considerHulls();
    bool solid = false, floor = false, wall = false;
    impactSpeed = 0.0f;
    while (x.checkHits()) {
        HullSegment* segment = x.pHitSegment;
        const Hull* hull = segment->getHull();
        if (hull && hull->hullType == Hull::PASS_THROUGH) {
            x.handleHit(Xsect::PASS);
            if (A99Object* owner = segment->owner()) owner->onHullCrossed(this, &x);
            continue;
        }
        const float t = segment->getWorldAngle();
        const bool isWall = std::fabs(t) > WALL_ANGLE;
        const V3 normal(std::cos(t + 0.5f * kPi), std::sin(t + 0.5f * kPi), 0.0f);
        impactSpeed = velocity.dot(normal);
        if (std::fabs(impactSpeed) > SQUASH_SPEED) squash = 1.0f;
        if (velocity.x == 0.0f && !isWall) {
            // Standing still on a floor: everything stops.
            x.handleHit(Xsect::STOP);
            velocity = V3();
        } else {
            x.handleHit(Xsect::WALK);
            const V3 along(std::cos(t), std::sin(t), 0.0f);
            velocity = along * velocity.dot(along);
        }
        physPoint.position = x.resultPoint;
        setGround(segment);
        solid = true;
        if (isWall) {
            wall = true;
        } else {
            floor = true;
            airTime = 0.0;
        }
    }
    // Only walls touched: the controls rest for the next tick.
    if (wall && !floor) bCanAct = false;
    // Crossing only pass-through hulls leaves her in the air as well.
    if (!solid) setGround(nullptr);
}

// ---------------------------------------------------------------------------
// Set-up and the rest

ZubBase* Pig::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->pigList) return level->pigList;
    return PigBody::namedOwnerList();
}

void Pig::netPostReplicate() {
    PigBody::netPostReplicate();
    if (!isEditorMode()) gotoState(PLAYING);
    if (state == PLAYING) respawnPoint = physPoint.position;
}

void Pig::onStateChange() {
    Level* level = Level::current();
    if (!level) return;
    switch (state) {
        case FAINTING:
            faint(level);
            break;
        case CAMERA_TO_RESPAWN:
            flyToRespawn(level);
            break;
        case REAPPEARING:
            reappear(level);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------
// Fainting and reappearing

void Pig::faint(Level* level) {
    slideMusic(MUSIC_DUCK_VOLUME, MUSIC_DUCK_TIME);
    if (Sound* lose = findResource<Sound>(u"soundLose")) lose->play();
    playSound(findResource<Sound>(u"pigFaint"), false);
    // Her tools stay in her hands; anything else falls.
    if (Cargo* carried = pCarried.as<Cargo>(); carried && !isTool(carried)) dropCargo();
    faintPose();
    level->currentResult.livesLost += 1;
    gotoState(CAMERA_TO_RESPAWN, FAINT_TIME);
}

void Pig::flyToRespawn(Level* level) {
    if (BlendingCamera* node = level->getCameraNode()) {
        auto* flight = new CameraTransition(respawnPoint.x, respawnPoint.y, RESPAWN_VIEW_DEPTH * REFERENCE_WIDTH);
        flight->duration = RESPAWN_FLIGHT_TIME;
        node->addChild(flight);
    }
    if (Sound* spawn = findResource<Sound>(u"pigSpawn")) spawn->play();
    gotoState(REAPPEARING, RESPAWN_FLIGHT_TIME);
}

void Pig::reappear(Level* level) {
    setGround(nullptr);
    physPoint.setPositionAndStop(respawnPoint.x, respawnPoint.y, respawnPoint.z);
    flashTime = FLASH_TIME;
    velocity = V3();
    bringToolsBack(level);
    wakePose();
    slideMusic(1.0f, MUSIC_BACK_TIME);
    // Drawn at the respawn point at once: the hero camera starts there.
    position = physPoint.position + bodyOffset;
    onTransformChanged();
    if (BlendingCamera* node = level->getCameraNode()) {
        auto* follow = new HeroCamera();
        follow->duration = RESPAWN_FLIGHT_TIME;
        node->addChild(follow);
    }
    if (level->getConfiguration().detailLevel >= 1 && level->fgEffectsList) {
        const V3 at = respawnPoint + V3(0.0f, heroRadius, 0.0f);
        level->fgEffectsList->addChild(new SmokeParticles(RESPAWN_SMOKE_PUFFS, at, 50.0f, 150.0f, 0.0f, kTwoPi, 2.0f,
                                                          4.0f, RESPAWN_SMOKE_COLOR, 1.0, 2.0));
        level->fgEffectsList->addChild(
            new ParticleGroup(RESPAWN_SPARKLES, at, 50.0f, 100.0f, 0.0f, kTwoPi, RESPAWN_SPARKLE_COLOR, 1.0f));
    }
    gotoState(PLAYING);
}

void Pig::bringToolsBack(Level* level) {
    for (Cargo* c : childrenOf<Cargo>(level->cargoList)) {
        if (c->bToBeDestroyed || c->carriedBy != NULL || !c->bEverCarried || !isTool(c)) continue;
        if (V3::isWithinDistance(c->physPoint.position, respawnPoint, TOOL_RETURN_DISTANCE)) continue;
        c->physPoint.setPositionAndStop(respawnPoint.x, respawnPoint.y, respawnPoint.z);
        c->velocity = V3();
        c->setGround(nullptr);
    }
}

// ---------------------------------------------------------------------------
// Carrying

bool Pig::carry() {
    Level* level = Level::current();
    if (!level) return false;
    // The cargo that won the action target, lying free.
    Cargo* candidate = zub_cast<Cargo>(level->promptTarget.get());
    if (!candidate || candidate->parent != level->cargoList || candidate->bToBeDestroyed ||
        candidate->carriedBy != NULL)
        return false;
    if (pCarried != NULL) dropCargo();
    pCarried.set(candidate);
    candidate->setCarriedBy(this);
    bHasHat = zub_cast<WingedHat>(candidate) != nullptr;
    bHasUmbrella = zub_cast<Umbrella>(candidate) != nullptr;
    playSound(findResource<Sound>(u"pigCarry"), false);
    // The chef's hat makes way for the winged one.
    if (bHasHat) hatAlpha.moveTo(0.0f);
    return true;
}

void Pig::dropCargo() {
    ZUB_ASSERT(pCarried != NULL);
    if (Cargo* carried = pCarried.as<Cargo>()) carried->setCarriedBy(nullptr);
    pCarried.set(nullptr);
    bHasHat = false;
    bHasUmbrella = false;
    hatAlpha.moveTo(1.0f);
}

bool Pig::queryHeroPrompt(V3 point, int* priority, float* distance) {
    const Cargo* carried = pCarried.as<Cargo>();
    if (!carried) return false;
    // The bounding radius already carries the cargo's scale.
    if (isTouchInput() && !V3::isWithinDistance(point, carried->boundingCentre, 2.0f * carried->boundingRadius))
        return false;
    *priority = PROMPT_PRIORITY;
    *distance = 0.0f;
    return true;
}

bool Pig::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_LOST && ev.reference == &pCarried) {
        bHasHat = false;
        bHasUmbrella = false;
        hatAlpha.moveTo(1.0f);
    }
    return PigBody::onEvent(ev);
}

void Pig::onEdited() {
    PigBody::onEdited();
    physPoint.setPositionAndStop(position.x - bodyOffset.x, position.y - bodyOffset.y, position.z - bodyOffset.z);
}

void Pig::lockControls(double seconds) { lockTime = std::max(lockTime, seconds); }

void Pig::renderObject() {
    // The editor's clean view shows the level without her.
    if (const WorldEditorPanel* panel = activeEditorPanel(); panel && panel->bHideEditorViews) return;
    PigBody::renderObject();
}

// ---------------------------------------------------------------------------
// Hazards

bool Pig::isVulnerable() const {
    const Level* level = Level::current();
    if (level && level->bInvulnerable == 1) return false;
    return state == PLAYING && flashTime <= 0.0 && lockTime <= 0.0;
}

void Pig::checkDangerArea() {
    const int type = areaType();
    if (!isVulnerable() || (type != AREA_ACID && type != AREA_DANGER)) return;
    const A99Object* area = pArea.as<A99Object>();
    velocity = (physPoint.position - area->position).normalized() * KNOCK_BACK_SPEED;
    gotoState(FAINTING);
}

void Pig::checkOutOfArea() {
    // Once: a danger area may have fainted her earlier in this tick.
    if (state != PLAYING || stateGoto == FAINTING) return;
    const Level* level = Level::current();
    if (level && physPoint.position.y < level->playingArea.bottom) gotoState(FAINTING);
}

// ---------------------------------------------------------------------------
// Apples and sweets

void Pig::collectNearbyApples() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    const ControlBinding& use = level->getConfiguration().controls[GameConfiguration::CONTROL_USE];
    const bool lift = controlDown(ZubInput::active(), use);
    Cargo* carried = pCarried.as<Cargo>();
    for (A99Object* o : childrenOf<A99Object>(level->appleList)) {
        PigPickup* apple = dynamic_cast<PigPickup*>(o);
        if (!apple || o->bToBeDestroyed || !apple->isFree()) continue;
        if (!V3::isWithinDistance(o->position, physPoint.position, APPLE_REACH * heroRadius)) continue;
        // How far in front of her it lies (her x scale carries her facing).
        V3 local;
        world2local(local, o->position);
        float f = clampf(local.x / heroRadius, 0.0f, 1.0f);
        bool running = f > 0.1f && std::fabs(velocity.x) > RUNNING_KICK_SPEED;
        if (lift) {
            f = 0.0f;
            running = false;
        }
        const V3 origin = interpolateEased(physPoint.position, position, f, easing::LINEAR);
        float angle = std::atan2(o->position.y - origin.y, o->position.x - origin.x) +
                      (2.0f * randomFraction() - 1.0f) * KICK_JITTER;
        // Against her tilt: a running kick goes flat, a lift steeply up.
        float r = angle - tilt.value;
        if (running) {
            if (r >= 0.5f * kPi && r < 0.875f * kPi) r = 0.875f * kPi;
            else if (r > 0.125f * kPi && r <= 0.5f * kPi) r = 0.125f * kPi;
        } else if (lift) {
            if (r > 0.75f * kPi) r = 0.75f * kPi;
            else if (r < 0.25f * kPi) r = 0.25f * kPi;
        }
        angle = r + tilt.value;
        const V3 dir(std::cos(angle), std::sin(angle), 0.0f);
        const float speed = clampf(velocity.dot(dir) * KICK_BOOST, MIN_KICK_SPEED, MAX_KICK_SPEED);
        apple->push(this, dir * speed);
        o->placeAfter(carried ? static_cast<EditorObject*>(carried) : this);
        if (carried) carried->tryAddApple(o);
    }
}

void Pig::eatSweets() {
    Level* level = Level::current();
    if (!level || !level->sweetList) return;
    for (A99Object* o : childrenOf<A99Object>(level->sweetList)) {
        PigPickup* sweet = dynamic_cast<PigPickup*>(o);
        if (!sweet || o->bToBeDestroyed || !sweet->isFree() || !collide(o)) continue;
        sweet->pickUp(this);
        slurpTime = SLURP_DELAY;
    }
}
