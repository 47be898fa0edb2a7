#include "objects/animals/Snail.h"

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
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Snail, PathFollower, object_ids::Snail)

Snail::Snail() {
    collisionSensitivity = 0.55f;
    pAmbientSound = findResource<Sound>(u"snailWalk");
    maxAmbientRadius = 150.0f;
    sheet = findResource<Texture>(u"snail");
    setSkin(sheet->getSkin(0));
    crawlValue.moveTo(1.0f);
}

Snail::~Snail() = default;

void Snail::bite() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !collide(apple)) continue;
        apple->spoil(Apple::SPOIL_BITTEN);
        return;
    }
}

void Snail::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    const BezierPath* path = travelledPath();
    if (!path) return;
    bite();

    crawlValue.rate = path->totalLength * pathSpeed / CRAWL_LENGTH;
    crawlValue.tick(time, dt);
    const int frames = sheet->getSkinCount();
    // A rate a level's values make infinite or not a number shows frame 0.
    const float f = crawlValue.get() * static_cast<float>(frames - 1);
    const int index = std::isfinite(f) ? static_cast<int>(clampf(f, 0.0f, static_cast<float>(frames - 1))) : 0;
    if (crawlValue.progress == 1.0f) {
        crawlValue.value = crawlValue.start = crawlValue.target = 0.0f;
        crawlValue.progress = 0.0f;
        crawlValue.moveTo(1.0f);
    }

    Skin* skin = sheet->getSkin(index);
    const V3 rot(0.0f, 0.0f, pathAngle);
    const V3 scl(rightFacing(), 1.0f, 1.0f);
    setFields(skin ? skin : pSkin, &pathPosition, &rot, &scl);
}
