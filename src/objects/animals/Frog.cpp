#include "objects/animals/Frog.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/AppleIndex.h"
#include "util/Random.h"
#include "world/EditorGizmos.h"
#include "world/EditorProxy.h"
#include "world/GameWorld.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Frog, A99Object, object_ids::Frog)

namespace {

// Seen within this angle of facing right, or beyond the other of facing left.
constexpr float kFrontRight = 0.785398f;
constexpr float kFrontLeft = 2.35619f;
// Nearest-apple search starts from this squared distance.
constexpr float kFarAway = 9.998e7f;
// Idle animations and croaks come every IDLE_BASE to IDLE_BASE + IDLE_SPAN seconds.
constexpr double kIdleBase = 5.0;
constexpr double kIdleSpan = 5.0;
// The tongue counts as back in below this.
constexpr float kTongueIn = 0.1f;

double nextIdle(double time) { return time + kIdleBase + kIdleSpan * randomFraction(); }

}  // namespace

Frog::Frog() {
    sheet = findResource<Skin>(u"frog:0");
    setSkin(sheet);
    const V3 mouth = sheet ? sheet->origin : V3();
    head.position = mouth;
    tongue.position = mouth;
    head.setSkin(frame(FRAME_HEAD_IDLE));
    tongue.setSkin(frame(FRAME_TONGUE));
    tongue.bHidden = 1;
    onTransformChanged();
}

Frog::~Frog() = default;

Skin* Frog::frame(int index) const { return sheet ? sheet->getFrame(index) : nullptr; }

void Frog::play(const char16_t* sound) { playSound(findResource<Sound>(sound), false); }

void Frog::onTransformChanged() {
    A99Object::onTransformChanged();
    head.setParentMatrix(worldMatrix);
    tongue.setParentMatrix(worldMatrix);
}

void Frog::netPostReplicate() {
    A99Object::netPostReplicate();
    if (!isEditorMode()) gotoState(WATCHING);
}

void Frog::renderObject() {
    A99Object::renderObject();
    head.render();
    tongue.render();
    WorldEditorPanel* panel = activeEditorPanel();
    if (panel && !panel->bHideEditorViews)
        drawEditorCircle(position.x, position.y, position.z, ATTACK_RANGE, EDITOR_CIRCLE_COLOR);
}

Frog::Sighting Frog::sight() {
    Sighting s;
    Level* level = Level::current();
    if (!level || !level->appleList) return s;
    float nearest = kFarAway;
    Apple* found = nullptr;
    // Only apples within sight can be the answer.
    const float sight = std::sqrt(SIGHT_RANGE_SQ);
    for (Apple* apple : AppleIndex::Near(level->appleList, position.x - sight, position.x + sight)) {
        if (apple->bToBeDestroyed || !apple->isLoose()) continue;
        const float d = V3::distanceSquared(apple->position, position);
        // The earlier apple wins a tie.
        if (d < nearest) {
            nearest = d;
            found = apple;
        }
    }
    if (!found || nearest > SIGHT_RANGE_SQ) return s;
    const float a = std::atan2(found->position.y - position.y, found->position.x - position.x);
    const float facing = scale.x;
    if ((facing > 0.0f && std::fabs(a) > kFrontRight) || (facing < 0.0f && std::fabs(a) < kFrontLeft)) return s;
    s.apple = found;
    s.distanceSq = nearest;
    s.angle = a;
    return s;
}

float Frog::headAngle(float a) const {
    const float r = rotation.z;
    if (scale.x >= 0.0f) return a - r;
    return a + r <= 0.0f ? r - (a + kPi) : r + (kPi - a);
}

void Frog::stretchTongue(float length) {
    const float width = tongue.pSkin ? tongue.pSkin->width : 0.0f;
    // A tongue skin without width is not stretched.
    const float sx = width > 0.0f ? length / width : 1.0f;
    tongue.setScaleV(V3(sx, 1.0f, 1.0f));
}

void Frog::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    const Sighting seen = sight();
    const float step = static_cast<float>(dt);

    if (state == WATCHING) {
        const double d = nextIdleAnim - time;
        int skin = FRAME_HEAD_IDLE;
        if (d < 2.0) skin = FRAME_HEAD_IDLE_A;
        if (d < 1.9) skin = FRAME_HEAD_IDLE_B;
        if (d < 0.75) skin = FRAME_HEAD_IDLE_C;
        head.setSkin(frame(skin));
        if (nextIdleAnim < time) nextIdleAnim = nextIdle(time);
        if (nextIdleSound < time) {
            if (nextIdleSound > 0.0) play(u"frogIdle");
            nextIdleSound = nextIdle(time);
        }
        if (seen.apple) gotoState(ALERT);
    }
    if (state == ALERT) {
        if (!seen.apple) {
            gotoState(WATCHING);
        } else {
            head.setRotationZ(headAngle(seen.angle));
            if (seen.distanceSq < ATTACK_RANGE_SQ) gotoState(ATTACK);
        }
    }
    if (state == ATTACK) {
        // The tongue follows the nearest apple in sight while it goes out.
        if (seen.apple) tongueTarget = seen.apple->position;
        const V3 v = tongueTarget - position;
        const V3 reach = v * tongueAmount;
        tongueAmount = std::fmin(tongueAmount + TONGUE_OUT_SPEED * step, 1.0f);
        const float a = headAngle(std::atan2(v.y, v.x));
        head.setRotationZ(a);
        stretchTongue(reach.length());
        tongue.setRotationZ(a);
        if (tongueAmount == 1.0f) {
            pApple.set(seen.apple);
            gotoState(PULLING);
        }
    }
    if (state == PULLING) {
        const V3 p = interpolateEased(position, tongueTarget, tongueAmount, easing::LINEAR);
        tongueAmount = std::fmax(tongueAmount - TONGUE_IN_SPEED * step, 0.0f);
        stretchTongue((p - position).length());
        // The apple rides in on the tongue.
        if (Apple* apple = pApple.as<Apple>()) {
            apple->position = p;
            apple->onTransformChanged();
        }
        if (tongueAmount < kTongueIn) gotoState(pApple.get() ? DIGESTING : WATCHING);
    }
}

void Frog::onStateChange() {
    switch (state) {
        case WATCHING:
            tongue.bHidden = 1;
            head.setSkin(frame(FRAME_HEAD_IDLE));
            head.setRotationZ(0.0f);
            // The next pass only schedules the croak.
            nextIdleSound = 0.0;
            break;
        case ALERT:
            tongue.bHidden = 1;
            head.setSkin(frame(FRAME_HEAD_ALERT));
            play(u"frogAlert");
            break;
        case ATTACK:
            tongue.bHidden = 0;
            head.setSkin(frame(FRAME_HEAD_ATTACK));
            tongueAmount = 0.0f;
            play(u"frogAttack");
            break;
        case PULLING:
            tongue.bHidden = 0;
            // Eaten as soon as it is caught: it counts as spoiled.
            if (Apple* apple = pApple.as<Apple>()) apple->spoil(Apple::SPOIL_EATEN);
            break;
        case DIGESTING:
            tongue.bHidden = 1;
            head.setSkin(frame(FRAME_HEAD_DIGESTING));
            head.setRotationZ(0.0f);
            // The eaten apple stays where the frog swallowed it, undrawn: its
            // proxy no longer draws it (and stays in the proxy list, which
            // owns it).
            if (Apple* apple = pApple.as<Apple>())
                if (EditorProxy* proxy = apple->getProxy()) proxy->local_setOwner(nullptr);
            play(u"frogDigest");
            break;
        default:
            break;
    }
}
