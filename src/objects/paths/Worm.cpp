#include "objects/paths/Worm.h"

#include <cmath>

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Worm, PathFollower, object_ids::Worm)

namespace {
// The crawl's easing curve.
constexpr int kCrawlCurve = 8;
}  // namespace

Worm::Worm() : crawl(0.0f, 4.0f, kCrawlCurve, InterpolatedValue::CLAMP) {
    collisionSensitivity = 0.75f;
    crawl.moveTo(1.0f);
    sheet = findResource<Skin>(u"worm:0");
    setSkin(sheet);
}

Worm::~Worm() = default;

Skin* Worm::frame(int index) const { return sheet->getFrame(index); }

void Worm::eatApple() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !collide(apple)) continue;
        apple->spoil(Apple::SPOIL_WORM);
        bToBeDestroyed = 1;
        return;
    }
}

void Worm::checkHero() {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero || !collide(hero)) return;
    bToBeDestroyed = 1;
    ResourceManager* rm = ResourceManager::active();
    playSound(rm ? zub_cast<Sound>(rm->find(u"wormDie")) : nullptr, false);
    if (level->getConfiguration().detailLevel >= 1 && level->fgEffectsList)
        level->fgEffectsList->addChild(new ParticleGroup(DEATH_PARTICLES, boundingCentre, DEATH_MIN_SPEED,
                                                         DEATH_MAX_SPEED, 0.0f, kTwoPi, DEATH_COLOR, DEATH_LIFETIME));
}

void Worm::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    const BezierPath* path = travelledPath();
    if (!path) return;
    eatApple();
    checkHero();

    crawl.rate = path->totalLength * pathSpeed / CRAWL_LENGTH;
    crawl.tick(time, dt);
    const int frames = sheet->getFrameCount();
    const float f = crawl.get() * static_cast<float>(frames - 1);
    const int index = std::isfinite(f) ? static_cast<int>(clampf(f, 0.0f, static_cast<float>(frames - 1))) : 0;
    if (crawl.get() == 1.0f) {
        crawl.value = crawl.start = crawl.target = 0.0f;
        crawl.progress = 0.0f;
        crawl.moveTo(1.0f);
    }

    Skin* skin = frame(index);
    const V3 rot(0.0f, 0.0f, pathAngle);
    const V3 scl(leftFacing(), 1.0f, 1.0f);
    setFields(skin ? skin : pSkin, &pathPosition, &rot, &scl);
}
