#include "objects/animals/AnimalMotion.h"

#include <cmath>

#include "objects/Level.h"
#include "objects/pig/Pig.h"

namespace animal_motion {

float wrapPhase(float v) {
    v = std::fmod(v, 1.0f);
    if (v < 0.0f) v += 1.0f;
    return v < 1.0f ? v : 0.0f;
}

int frameAt(int n, float t) {
    const float f = static_cast<float>(n - 1) * t;
    return f > 0.0f ? static_cast<int>(std::fmin(f, static_cast<float>(n - 1))) : 0;
}

void knockBackHero(Renderable* animal) {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero || !animal->collide(hero) || !hero->isVulnerable()) return;
    hero->velocity = (hero->position - animal->position).normalized() * Pig::KNOCK_BACK_SPEED;
    hero->gotoState(Pig::FAINTING);
}

}  // namespace animal_motion
