#include "objects/paths/Butterfly.h"

#include <cmath>

#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "util/Random.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Butterfly, PathFollower, object_ids::Butterfly)

Butterfly::Butterfly() {
    pathDir = 0;
    sheet = findResource<Skin>(u"butterfly:0");
    setSkin(sheet);
}

Butterfly::~Butterfly() = default;

void Butterfly::turnBack() {
    // Negated in 64 bits: a level file may hold any direction.
    pathDir = pathDir == 0 ? 1 : static_cast<int32_t>(-static_cast<int64_t>(pathDir));
    liftSpeed = 0.0f;
    liftHeight = 0.0f;
}

void Butterfly::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode() || !travelledPath()) return;
    const float a = pathAlpha;
    const bool flying = isFlying();
    const float fdt = static_cast<float>(dt);
    if (!flying) {
        // One turn a tick: a missing perch and the pig's touch in the same
        // tick must not cancel each other out.
        Renderable* perch = pNeededForSittingOn.as<Renderable>();
        Level* level = Level::current();
        Pig* hero = level ? level->heroOrNull() : nullptr;
        if ((a > 0.5f && perch && !collide(perch)) || (hero && collide(hero))) turnBack();
    }

    if (wing == 0.0f && liftHeight < 0.0f) {
        const float r = randomFraction();
        wingTarget = flying ? r * 0.5f + 0.5f : r * 0.25f + 0.25f;
    }
    if (wingTarget > wing) {
        liftSpeed += LIFT_PER_STROKE * fdt;
        wing += WING_OPEN_SPEED * fdt;
    } else {
        wingTarget = 0.0f;
        wing -= WING_CLOSE_SPEED * fdt;
    }
    wing = clampf(wing, 0.0f, 1.0f);
    liftSpeed -= (flying ? FLYING_FALL : RESTING_FALL) * fdt;
    liftHeight += liftSpeed * fdt;

    // Lifting off and landing smoothly at the ends.
    float w = 1.0f;
    if (a < 0.25f) w = a / 0.25f;
    else if (a > 0.75f) w = 1.0f - 4.0f * (a - 0.75f);
    const V3 drawn = pathPosition + V3(0.0f, liftHeight * w, 0.0f);
    const V3 scl(leftFacing(), 1.0f, 1.0f);
    const int last = sheet->getFrameCount() - 1;
    Skin* skin = sheet->getFrame(static_cast<int>(static_cast<float>(last) * wing));
    setFields(skin ? skin : pSkin, &drawn, nullptr, &scl);
}

void Butterfly::addPropertiesTo(PropertyContainer* c) {
    PathFollower::addPropertiesTo(c);
    c->add(new PropertyReference(u"pNeededForSittingOn", 0, &pNeededForSittingOn, &Renderable::classRecord),
           "what must be at the far end for it to settle there (none: it settles anyway)");
}
