#include "objects/animals/FishFins.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/animals/AnimalMotion.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/areas/Area.h"
#include "util/Random.h"
#include "world/GameWorld.h"

namespace {

// The fin beat's easing curve.
constexpr int kFinCurve = 8;
// The idle blip comes every IDLE_BASE to IDLE_BASE + IDLE_SPAN seconds.
constexpr double kIdleBase = 5.0;
constexpr double kIdleSpan = 5.0;

}  // namespace

FishFins::FishFins(const char16_t* sheetName)
    : sheet(findResource<Skin>(sheetName)), fins(0.0f, RATE, kFinCurve, InterpolatedValue::CLAMP) {
    fins.moveTo(1.0f);
}

void FishFins::swim(PathFollower* fish, const V3& at, double time, double dt) {
    fins.tick(time, dt);
    const int index = animal_motion::frameAt(sheet ? sheet->getFrameCount() : 1, fins.get());
    if (fins.progress == 1.0f) {
        fins.value = fins.start = fins.target = 0.0f;
        fins.progress = 0.0f;
        fins.moveTo(1.0f);
    }
    Skin* skin = sheet ? sheet->getFrame(index) : nullptr;
    const V3 scl(fish->rightFacing(), 1.0f, 1.0f);
    fish->setFields(skin ? skin : fish->pSkin, &at, nullptr, &scl);
    if (nextIdleTime < time) {
        if (nextIdleTime > 0.0) fish->playSound(findResource<Sound>(u"fishIdle"), false);
        nextIdleTime = time + kIdleBase + kIdleSpan * randomFraction();
    }
}

void fishBiteApple(Renderable* fish) {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    const float reach = std::fabs(fish->effectiveRadius());
    const float x = fish->boundingCentre.x;
    for (Apple* apple : AppleIndex::Near(level->appleList, x - reach, x + reach)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !fish->collide(apple)) continue;
        apple->spoil(Apple::SPOIL_BITTEN);
        return;
    }
}
