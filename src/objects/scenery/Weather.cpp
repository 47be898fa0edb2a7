#include "objects/scenery/Weather.h"

#include <algorithm>
#include <cmath>

#include "gfx/Camera.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"

namespace {

constexpr WeatherEmitter::Look kRain{u"rainDrop:0", V3(-64.0f, -256.0f, 0.0f), 0, false};
constexpr WeatherEmitter::Look kLeaves{u"autumnLeaf:0", V3(-32.0f, -64.0f, 0.0f), 1, true};
constexpr WeatherEmitter::Look kSnow{u"snowFlake:0", V3(-32.0f, -64.0f, 0.0f), 4, true};

// The sprites lie between the level and a third of the screen width in
// front of it (the division is a whole-number one).
constexpr float kDeepest = static_cast<float>(REFERENCE_WIDTH / -3);

}  // namespace

WeatherEmitter::WeatherEmitter(const Look& l, Camera* camera, float scale, float intensity)
    : viewScale(scale), look(l) {
    pCamera.set(camera);
    // Not above 0 (or not a number): no weather.
    if (intensity > 0.0f) {
        const float wanted = std::min(intensity * PARTICLES_PER_INTENSITY, static_cast<float>(MAX_PARTICLES));
        count = static_cast<int>(wanted);
    }
    pSkin = findResource<Skin>(look.skinName);
    particles = std::make_unique<WeatherSprite[]>(static_cast<size_t>(count));
    const float hw = viewScale * REFERENCE_WIDTH / 2.0f;
    const float hh = viewScale * REFERENCE_HEIGHT / 2.0f;
    for (int i = 0; i < count; ++i) {
        WeatherSprite& s = particles[static_cast<size_t>(i)];
        s.phase = randomFraction() * kTwoPi;
        s.home.z = randomFraction() * kDeepest;
        s.home.y = randomRange(-hh, hh);
        s.home.x = randomRange(-hw, hw);
        s.scale = V3(SPRITE_SCALE, SPRITE_SCALE, 1.0f);
        if (look.bTurnedAndSwaying) s.rotation.z = (randomFraction() - 0.5f) * (kPi / 2.0f);
        s.bLocal = 1;
        // Drops keep the first frame; leaves and flakes take theirs as they tick.
        if (look.cycles == 0) s.pSkin = pSkin;
        s.position = s.home;
        s.onTransformChanged();
    }
}

WeatherEmitter::~WeatherEmitter() = default;

WeatherEmitter* WeatherEmitter::forLevel(Level& level) {
    if (level.getConfiguration().detailLevel < 1 || !(level.weatherIntensity > 0.0f) || !level.weatherList)
        return nullptr;
    Camera* camera = level.getGameCamera();
    WeatherEmitter* weather = nullptr;
    switch (level.season) {
        case 0:
            weather = new RainDrop(camera, 1.0f, level.weatherIntensity);
            break;
        case 2:
            weather = new AutumnLeaf(camera, 1.0f, level.weatherIntensity);
            break;
        case 3:
            weather = new SnowFlake(camera, 1.0f, level.weatherIntensity);
            break;
        default:
            return nullptr;
    }
    level.weatherList->addChild(weather);
    return weather;
}

void WeatherEmitter::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    if (const Camera* camera = pCamera.as<Camera>()) {
        boxX = camera->eye.x;
        boxY = camera->eye.y;
    }
    const float fdt = static_cast<float>(dt);
    const float hw = viewScale * REFERENCE_WIDTH / 2.0f;
    const float hh = viewScale * REFERENCE_HEIGHT / 2.0f;
    const int frames = pSkin->getFrameCount();
    // The length of one cycle of frames in radians of the phase.
    const float cycle = look.cycles > 0 ? kTwoPi / static_cast<float>(look.cycles) : kTwoPi;
    for (int i = 0; i < count; ++i) {
        WeatherSprite& s = particles[static_cast<size_t>(i)];
        if (s.home.x < boxX - hw) s.home.x += 2.0f * hw;
        else if (s.home.x > boxX + hw) s.home.x -= 2.0f * hw;
        if (s.home.y < boxY - hh) s.home.y += 2.0f * hh;
        else if (s.home.y > boxY + hh) s.home.y -= 2.0f * hh;
        s.phase = std::fmod(s.phase + PHASE_SPEED * fdt, kTwoPi);
        if (s.phase < 0.0f) s.phase += kTwoPi;
        s.home += look.velocity * fdt;
        s.position = s.home;
        if (look.bTurnedAndSwaying) s.position.x += SWAY * std::sin(s.phase);
        if (look.cycles > 0) {
            const float t = std::clamp(std::fmod(s.phase, cycle) / cycle, 0.0f, 1.0f);
            if (Skin* frame = pSkin->getFrame(static_cast<int>(static_cast<float>(frames - 1) * t))) s.pSkin = frame;
        }
        s.onTransformChanged();
    }
}

void WeatherEmitter::render() {
    for (int i = 0; i < count; ++i) particles[static_cast<size_t>(i)].render();
}

RainDrop::RainDrop(Camera* camera, float scale, float intensity) : WeatherEmitter(kRain, camera, scale, intensity) {}

AutumnLeaf::AutumnLeaf(Camera* camera, float scale, float intensity)
    : WeatherEmitter(kLeaves, camera, scale, intensity) {}

SnowFlake::SnowFlake(Camera* camera, float scale, float intensity) : WeatherEmitter(kSnow, camera, scale, intensity) {}
