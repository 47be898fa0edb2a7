#include "objects/animals/Hedgehog.h"

#include <cmath>

#include "audio/Sound.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/pig/Pig.h"
#include "util/Random.h"
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Hedgehog, PathFollower, object_ids::Hedgehog)

Hedgehog::Hedgehog() {
    collisionSensitivity = 0.55f;
    pAmbientSound = findResource<Sound>(u"hedgehogSqueak");
    maxAmbientRadius = 250.0f;
    bodyOpen = findResource<Skin>(u"hedgy:0");
    bodyShut = findResource<Skin>(u"hedgy:1");
    Skin* leg = findResource<Skin>(u"hedgy:2");
    for (int i = 0; i < LEG_COUNT; ++i) {
        legs[i] = std::make_unique<Renderable>();
        legs[i]->pSkin = leg;
        if (i >= 2) {
            legs[i]->scale = V3(FAR_LEG_SCALE, FAR_LEG_SCALE, 1.0f);
            legs[i]->color = FAR_LEG_COLOR;
        }
    }
    // Standing at the start of a step until it first walks in view.
    poseLegs();
    setSkin(bodyOpen);
}

Hedgehog::~Hedgehog() = default;

int Hedgehog::spikedCount() const {
    int n = 0;
    for (ZubBasePointer* p : childrenOf<ZubBasePointer>(&spikedApples)) n += p->pObject ? 1 : 0;
    return n;
}

Apple* Hedgehog::spikedApple(int i) const {
    for (ZubBasePointer* p : childrenOf<ZubBasePointer>(&spikedApples)) {
        if (!p->pObject) continue;
        if (i-- == 0) return zub_cast<Apple>(p->pObject.get());
    }
    return nullptr;
}

void Hedgehog::onTransformChanged() {
    PathFollower::onTransformChanged();
    // Parts are made after the base; a refresh before that has nothing to hand on.
    if (!legs[0]) return;
    for (const std::unique_ptr<Renderable>& leg : legs) leg->setParentMatrix(worldMatrix);
    // An apple deleted while it rode has cleared its pointer.
    for (ZubBasePointer* p : childrenOf<ZubBasePointer>(&spikedApples))
        if (Renderable* apple = zub_cast<Renderable>(p->pObject.get())) apple->setParentMatrix(worldMatrix);
}

void Hedgehog::knockBackHero() {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero || !collide(hero) || !hero->isVulnerable()) return;
    hero->velocity = (hero->position - position).normalized() * Pig::KNOCK_BACK_SPEED;
    hero->gotoState(Pig::FAINTING);
}

void Hedgehog::spike(Apple* apple) {
    apple->spoil(Apple::SPOIL_EATEN);
    // Where the apple was struck, in the hedgehog's own frame: it stays
    // there, drawn with the hedgehog's transform as its parent.
    bHasInvXform = 1;
    onTransformChanged();
    V3 local;
    world2local(local, apple->position);
    bHasInvXform = 0;
    apple->position = local;
    apple->setParentMatrix(worldMatrix);
    spikedApples.addChild(new ZubBasePointer(apple));
    playSound(findResource<Sound>(u"appleSquish"), false);
}

void Hedgehog::spikeApples() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    // Every loose apple it touches, any number in one tick.
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach))
        if (!apple->bToBeDestroyed && apple->isLoose() && collide(apple)) spike(apple);
    // Pointers whose apple was deleted are dropped.
    for (ZubBasePointer* p : childrenOf<ZubBasePointer>(&spikedApples))
        if (!p->pObject) deleteObject(p);
}

void Hedgehog::poseLegs() {
    const float q = -kTwoPi * walkPhase;
    const float c1 = std::cos(q), s1 = std::sin(q);
    const float c2 = std::cos(q + kPi / 4.0f), s2 = std::sin(q + kPi / 4.0f);
    const float swing = kPi / 8.0f;
    const struct {
        V3 at;
        float angle;
    } pose[LEG_COUNT] = {
        {V3(3.0f * c1 + 4.0f, 2.0f * s1 - 25.0f, 0.0f), c1 * swing},
        {V3(-3.0f * c1 - 18.0f, -2.0f * s1 - 23.0f, 0.0f), -c1 * swing},
        {V3(3.0f * c2 + 18.0f, 2.0f * s2 - 25.0f, 0.0f), c2 * swing},
        {V3(-3.0f * c2 - 4.0f, -2.0f * s2 - 23.0f, 0.0f), kPi / 4.0f - c2 * swing},
    };
    for (int i = 0; i < LEG_COUNT; ++i) {
        legs[i]->setPosition(pose[i].at);
        legs[i]->setRotationZ(pose[i].angle);
    }
}

void Hedgehog::pose(double time, double dt) {
    const BezierPath* path = travelledPath();
    const float facing = rightFacing();
    walkPhase += path->totalLength * pathSpeed / STEP_LENGTH * static_cast<float>(dt);
    walkPhase = std::fmod(walkPhase, 1.0f);
    if (walkPhase < 0.0f) walkPhase += 1.0f;
    const float c = std::cos(kTwoPi * walkPhase);

    // The eyes shut during the last tenth of a second before each blink
    // time, judged by the blink time as it stood before this tick.
    const double blinkAt = nextBlink;
    if (nextBlink < time) nextBlink = time + 0.1 + 1.9 * randomFraction();
    Skin* skin = blinkAt - time < BLINK_SHUT ? bodyShut : bodyOpen;

    const V3 at = pathPosition + V3(-BODY_HEIGHT * std::sin(pathAngle), BODY_HEIGHT * std::cos(pathAngle), 0.0f);
    const V3 rot(0.0f, 0.0f, pathAngle + c * kPi / 64.0f);
    const V3 scl(facing, 1.0f, 1.0f);
    setFields(skin, &at, &rot, &scl);
    if (bInView) poseLegs();
}

void Hedgehog::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode() || !travelledPath()) return;
    knockBackHero();
    spikeApples();
    pose(time, dt);
}

void Hedgehog::renderObject() {
    legs[3]->render();
    legs[2]->render();
    legs[1]->render();
    PathFollower::renderObject();
    legs[0]->render();
}
