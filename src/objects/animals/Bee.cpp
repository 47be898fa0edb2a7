#include "objects/animals/Bee.h"

#include <cmath>

#include "audio/Sound.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/animals/AnimalMotion.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Bee, PathFollower, object_ids::Bee)

Bee::Bee() {
    collisionSensitivity = 0.25f;
    sheet = findResource<Skin>(u"bee:0");
    editorSkin = sheet;
    pAmbientSound = findResource<Sound>(u"beeBuzz");
}

Bee::~Bee() = default;

void Bee::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    animal_motion::knockBackHero(this);
    const V3 scl(rightFacing(), 1.0f, 1.0f);
    animPhase = animal_motion::wrapPhase(animPhase + WING_BEATS * static_cast<float>(dt));
    Skin* skin = sheet ? sheet->getFrame(animal_motion::frameAt(sheet->getFrameCount(), animPhase)) : nullptr;
    const V3* at = travelledPath() ? &pathPosition : nullptr;
    setFields(skin ? skin : pSkin, at, nullptr, &scl);
}
