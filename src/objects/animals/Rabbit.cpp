#include "objects/animals/Rabbit.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Rabbit, A99Object, object_ids::Rabbit)

namespace {

// A timed change this short happens in the next tick.
constexpr double kNextTick = 1e-9;

}  // namespace

Rabbit::Rabbit() {
    sheet = findResource<Texture>(u"rabbit");
    head = std::make_unique<Renderable>();
    head->collisionSensitivity = 0.6f;
    head->pSkin = sheet->getSkin(FRAME_HEAD);
    setSkin(sheet->getSkin(FRAME_BURROW));
    const V3 hidden = (pSkin ? pSkin->origin : V3()) + V3(0.0f, HEAD_HIDDEN_Y, 0.0f);
    head->setPosition(hidden);
}

Rabbit::~Rabbit() = default;

void Rabbit::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyDouble(u"inTime", 0, &inTime), "seconds it stays down in its hole");
    c->add(new PropertyDouble(u"outTime", 0, &outTime), "seconds it stays up");
    c->add(new PropertyDouble(u"initialDelay", 0, &initialDelay), "seconds before its first round");
}

void Rabbit::timeNextPhase(int next, double after) {
    // Two phases of no length would enter each other without end.
    if (after <= 0.0 && inTime <= 0.0 && outTime <= 0.0) after = kNextTick;
    gotoState(next, after);
}

void Rabbit::onStateChange() {
    if (state == DOWN) {
        appearValue.moveTo(0.0f);
        timeNextPhase(UP, inTime);
    } else if (state == UP) {
        appearValue.moveTo(1.0f);
        playSound(findResource<Sound>(u"rabbitAppear"), false);
        timeNextPhase(DOWN, outTime);
    }
}

void Rabbit::netPostReplicate() {
    A99Object::netPostReplicate();
    if (!isEditorMode()) gotoState(DOWN, initialDelay);
}

void Rabbit::onTransformChanged() {
    A99Object::onTransformChanged();
    // Parts are made after the base; a refresh before that has nothing to hand on.
    if (head) head->setParentMatrix(worldMatrix);
}

void Rabbit::showHead(int frame) {
    if (Skin* skin = sheet->getSkin(frame)) head->setSkin(skin);
}

void Rabbit::bite() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    const float reach = std::fabs(head->effectiveRadius());
    const float x = head->boundingCentre.x;
    for (Apple* apple : AppleIndex::Near(level->appleList, x - reach, x + reach)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !head->collide(apple)) continue;
        apple->spoil(Apple::SPOIL_BITTEN);
        return;
    }
}

void Rabbit::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    appearValue.tick(time, dt);
    const V3 origin = pSkin ? pSkin->origin : V3();
    head->setPosition(
        origin + interpolateEased(V3(0.0f, HEAD_HIDDEN_Y, 0.0f), V3(0.0f, HEAD_OUT_Y, 0.0f), appearValue.get(), 1));
    // Only fully out.
    if (appearValue.get() == 1.0f) bite();
    if (!bInView) return;
    if (state == DOWN) {
        showHead(FRAME_HEAD);
        twitchTime = 0.0;
    } else if (state == UP) {
        // A quarter of a second each; the last skin stays for the descent.
        if (stateLeft > TWITCH_END) showHead(std::fmod(2.0 * twitchTime, 1.0) > 0.5 ? FRAME_TWITCH_A : FRAME_TWITCH_B);
        twitchTime += dt;
    }
}

void Rabbit::renderObject() {
    head->render();
    A99Object::renderObject();
}
