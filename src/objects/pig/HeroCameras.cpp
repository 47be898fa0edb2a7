#include "objects/pig/HeroCameras.h"

#include <algorithm>

#include "objects/Level.h"
#include "objects/pig/Pig.h"

namespace {

constexpr float W = static_cast<float>(REFERENCE_WIDTH);
constexpr float H = static_cast<float>(REFERENCE_HEIGHT);
// The eye's depth of the following camera: the level plane shows one screen.
constexpr float HERO_DEPTH = -static_cast<float>(REFERENCE_WIDTH / 2);

void lookFrom(Camera& c, float x, float y, float z) {
    c.eye = V3(x, y, z);
    c.lookAt = V3(x, y, 0.0f);
    c.targetDepth = 0.0f;
}

}  // namespace

CameraTransition::CameraTransition(float x, float y, float z) {
    if (Level* level = Level::current()) {
        const PlayingArea& a = level->playingArea;
        const float mx = -z, my = -z * H / W;
        x = std::min(std::max(x, a.left + mx), a.right - mx);
        y = std::min(std::max(y, a.bottom + my), a.top - my);
    }
    lookFrom(*this, x, y, z);
}

HeroCamera::HeroCamera() {
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    const V3 at = hero ? hero->position : V3();
    lookFrom(*this, at.x, at.y, HERO_DEPTH);
}

void HeroCamera::tick(double time, double dt) {
    Camera::tick(time, dt);
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    // Without a hero (the level is going away) the view stays where it is.
    if (!hero) return;
    const V3 h = hero->position;
    float x = eye.x, y = eye.y;
    x = std::min(x, h.x + DEAD_ZONE * W);
    x = std::max(x, h.x - DEAD_ZONE * W);
    y = std::min(y, h.y + DEAD_ZONE * H);
    y = std::max(y, h.y - DEAD_ZONE * H);
    const PlayingArea& a = level->playingArea;
    x = std::max(x, a.left + 0.5f * W);
    x = std::min(x, a.right - 0.5f * W);
    y = std::max(y, a.bottom + 0.5f * H);
    y = std::min(y, a.top - 0.5f * H);
    lookFrom(*this, x, y, HERO_DEPTH);
}
