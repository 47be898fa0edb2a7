#include "objects/animals/Horse.h"

#include <cmath>

#include "audio/Sound.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "util/Random.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Horse, A99Object, object_ids::Horse)

namespace {

// Frame n of a sheet, or null when the sheet has no such frame.
Skin* frameOf(const Texture* sheet, int n) { return n >= 0 && n < sheet->getSkinCount() ? sheet->getSkin(n) : nullptr; }

}  // namespace

Horse::Horse() {
    setSkin(findResource<Skin>(u"horse-body:0"));
    headFrames = findResource<Texture>(u"horse-head");
    lickFrames = findResource<Texture>(u"horse-lick");
    head = std::make_unique<Renderable>();
    head->collisionSensitivity = 0.65f;
    lick = std::make_unique<Renderable>();
    lick->pSkin = frameOf(lickFrames, 0);
    onTransformChanged();
    placeHead(HEAD_IDLE);
    placeLick(0.0, 0.0);
}

Horse::~Horse() = default;

Apple* Horse::nearestApple() const {
    Level* level = Level::current();
    if (!level || !level->appleList) return nullptr;
    Apple* nearest = nullptr;
    float best = 9.998e7f;
    // Only apples within sight can be the answer.
    for (Apple* apple : AppleIndex::Near(level->appleList, position.x - SIGHT, position.x + SIGHT)) {
        if (apple->bToBeDestroyed || !(apple->pSlot || (!apple->bSpoiled && !apple->bHanging))) continue;
        const float d = V3::distanceSquared(apple->position, position);
        if (d < best) {
            best = d;
            nearest = apple;
        }
    }
    return best > SIGHT * SIGHT ? nullptr : nearest;
}

void Horse::onStateChange() {
    switch (state) {
        case IDLE:
            // The next pass only schedules the snort.
            nextIdleSound = 0.0;
            break;
        case ALERT:
            playSound(findResource<Sound>(u"horseAlert"), false);
            break;
        case LICKING:
            playSound(findResource<Sound>(u"horseDigest"), false);
            lickValue.setImmediate(0.0f);
            lickValue.moveTo(1.0f);
            gotoState(IDLE, LICK_TIME);
            break;
        default:
            break;
    }
}

void Horse::netPostReplicate() {
    A99Object::netPostReplicate();
    if (!isEditorMode()) gotoState(IDLE);
}

void Horse::onTransformChanged() {
    A99Object::onTransformChanged();
    // Parts are made after the base; a refresh before that has nothing to hand on.
    if (head) head->setParentMatrix(worldMatrix);
}

void Horse::placeHead(int frame) {
    Skin* skin = frameOf(headFrames, frame);
    const V3 origin = pSkin ? pSkin->origin : V3();
    const V3 at = origin + V3(lookSide > 0.0f ? HEAD_FRONT_X : HEAD_BACK_X, HEAD_Y, 0.0f);
    head->setFields(skin ? skin : head->pSkin, &at, nullptr, nullptr);
}

void Horse::tickIdle(double time) {
    placeHead(nextBlink - time < BLINK_SHUT ? HEAD_EYES_SHUT : HEAD_IDLE);
    if (time > nextBlink) nextBlink = time + 0.1 + 2.9 * randomFraction();
    if (time > nextIdleSound) {
        if (nextIdleSound > 0.0) playSound(findResource<Sound>(u"horseIdle"), false);
        nextIdleSound = time + 5.0 + 5.0 * randomFraction();
    }
}

void Horse::tickAlert(Apple* apple) {
    const V3 v = apple->position - position;
    lookSide = v.x * scale.x > 0.0f ? 1.0f : -1.0f;
    const float tilt = clampf(std::atan2(v.y, std::fabs(v.x)), -MAX_TILT, MAX_TILT);
    placeHead(HEAD_ALERT);
    const V3 rot(0.0f, 0.0f, lookSide * tilt);
    const V3 scl(lookSide, 1.0f, 1.0f);
    head->setFields(nullptr, nullptr, &rot, &scl);
    if (!head->collide(apple)) return;
    apple->spoil(Apple::SPOIL_BITTEN);
    gotoState(LICKING);
}

void Horse::placeLick(double time, double dt) {
    lick->setParentMatrix(head->worldMatrix);
    lickValue.tick(time, dt);
    const V3 origin = head->pSkin ? head->pSkin->origin : V3();
    const V3 at = origin - V3(LICK_X, LICK_Y, 0.0f);
    const int frames = lickFrames->getSkinCount();
    Skin* skin =
        frames > 0 ? frameOf(lickFrames, static_cast<int>(static_cast<float>(frames - 1) * lickValue.get())) : nullptr;
    lick->setFields(skin ? skin : lick->pSkin, &at, nullptr, nullptr);
}

void Horse::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    Apple* apple = nearestApple();
    if (state == IDLE) {
        if (apple) gotoState(ALERT);
        tickIdle(time);
    } else if (state == ALERT) {
        if (apple) tickAlert(apple);
        else gotoState(IDLE);
    }
    placeLick(time, dt);
}

void Horse::renderObject() {
    A99Object::renderObject();
    head->render();
    lick->render();
}
