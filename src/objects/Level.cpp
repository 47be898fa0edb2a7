#include "objects/Level.h"

#include "gfx/BlendingCamera.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"

Level::Level() = default;

Level::~Level() = default;

Level* Level::current() {
    // Asked by many objects every tick: the cast is made again only when
    // another world became current.
    static uint64_t serial = ~uint64_t{0};
    static Level* level = nullptr;
    const uint64_t now = GameWorld::currentSerial();
    if (now != serial) {
        level = dynamic_cast<Level*>(GameWorld::current());
        serial = now;
    }
    return level;
}

A99Object* Level::findHero() { return heroOrNull(); }

Pig* Level::heroOrNull() { return firstOf<Pig>(pigList); }

House* Level::houseOrNull() { return firstOf<House>(houseList); }

Pig* Level::getHero() {
    Pig* result = heroOrNull();
    ZUB_ASSERT(result != NULL);
    return result;
}

House* Level::findHouse() {
    House* result = houseOrNull();
    ZUB_ASSERT(result != NULL);
    return result;
}

void Level::findNearestObject(ZubBase* list, const V3& point) {
    // One pair of answers for the whole list: an object may leave them as
    // the previous one wrote them.
    int priority = 0;
    float distance = NO_PROMPT_DISTANCE;
    for (A99Object* o : childrenOf<A99Object>(list)) {
        if (o->bToBeDestroyed || !o->queryHeroPrompt(point, &priority, &distance)) continue;
        if (priority > promptPriority || (priority == promptPriority && promptDistance > distance)) {
            promptTarget.set(o);
            promptPriority = priority;
            promptDistance = distance;
        }
    }
}

void Level::clearPrompt() {
    promptTarget.set(nullptr);
    promptPriority = 0;
    promptDistance = NO_PROMPT_DISTANCE;
}

bool Level::isLevelComplete() {
    House* house = findHouse();
    if (bBonusLevel) return house->atHome;
    return house->atHome && currentResult.applesGathered >= currentResult.apples;
}

void Level::shakeCamera(double strength, double duration) {
    if (Camera* camera = getGameCamera()) camera->shake(strength, duration);
}
