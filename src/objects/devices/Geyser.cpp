#include "objects/devices/Geyser.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "fx/ParticleGroup.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "util/Random.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/WorldEditorPanel.h"

ZUB_IMPLEMENT_CLASS(Geyser, A99Object, object_ids::Geyser)

namespace {

// A timed change this short happens in the next tick.
constexpr double kNextTick = 1e-9;
// More circles than this would test a jet higher than any level.
constexpr int kMaxJetCircles = 1000;

}  // namespace

Geyser::Geyser() {
    bUsesNearView = true;
    maxAmbientRadius = 300.0f;
    setSkin(findResource<Skin>(u"geyser:0"));
}

Geyser::~Geyser() = default;

void Geyser::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyDouble(u"idleTime", 0, &idleTime), "seconds of rest between two eruptions");
    c->add(new PropertyDouble(u"eruptTime", 0, &eruptTime), "seconds one eruption lasts");
    c->add(new PropertyDouble(u"initialDelay", 0, &initialDelay), "seconds before its first rest begins");
    c->add(new PropertyFloat(u"geyserHeight", 0, &geyserHeight), "how far the jet reaches");
}

V3 Geyser::jetDirection() const {
    const float a = rotation.z + kPi / 2.0f;
    return V3(std::cos(a), std::sin(a), 0.0f);
}

int Geyser::jetCircleCount() const {
    // Any height a level may hold (negative, huge, not a number) gives a
    // count in range.
    const float n = geyserHeight / JET_STEP + 1.0f;
    if (!(n >= 1.0f)) return 0;
    return n >= static_cast<float>(kMaxJetCircles) ? kMaxJetCircles : static_cast<int>(n);
}

void Geyser::jetCircle(int i, int n, V3& centre, float& radius) const {
    const V3 u = jetDirection();
    const V3 bottom = position + u * JET_BOTTOM;
    const V3 top = position + u * (geyserHeight - JET_TOP_GAP);
    const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
    centre = interpolateEased(bottom, top, t, 1);
    radius = JET_RADIUS + JET_RADIUS * t;
}

void Geyser::timeNextPhase(int next, double after) {
    // Two phases of no length would enter each other without end.
    if (after <= 0.0 && idleTime <= 0.0 && eruptTime <= 0.0) after = kNextTick;
    gotoState(next, after);
}

void Geyser::onStateChange() {
    if (state == RESTING) {
        if (soundChannel) {
            // Let go while fading: the channel ends by itself.
            soundChannel->setVolume(0.0f, CHANNEL_FADE);
            soundChannel.reset();
        }
        timeNextPhase(ERUPTING, idleTime);
    } else if (state == ERUPTING) {
        playPositional(findResource<Sound>(u"geyserErupt"));
        timeNextPhase(RESTING, eruptTime);
    }
}

void Geyser::netPostReplicate() {
    A99Object::netPostReplicate();
    if (!isEditorMode()) gotoState(RESTING, initialDelay);
}

bool Geyser::heroMix(float& volume, float& pan) const {
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return false;
    const float t = fadeFraction(V3::distance(position, hero->position));
    volume = 1.0f - (1.0f - t) * (1.0f - t);
    pan = (position.x - hero->position.x) / static_cast<float>(halfScreenWidth());
    return true;
}

void Geyser::playPositional(Sound* sound) {
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    float volume = 0.0f, pan = 0.0f;
    if (!sound || !hero || !(V3::distance(position, hero->position) < maxAmbientRadius) || !heroMix(volume, pan))
        return;
    soundChannel.reset();
    soundChannel = std::make_unique<SoundChannel>(sound);
    soundChannel->setVolume(volume);
    soundChannel->setPan(pan);
    soundChannel->setFrequency(1.0f + sound->minPitch + (sound->maxPitch - sound->minPitch) * randomFraction());
    soundChannel->play();
}

void Geyser::throwHero() {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return;
    const int n = jetCircleCount();
    for (int i = 0; i < n; ++i) {
        V3 centre;
        float radius;
        jetCircle(i, n, centre, radius);
        if (!V3::isWithinDistance(centre, hero->boundingCentre, radius + hero->heroRadius)) continue;
        // The first circle that reaches her decides, hurt or not.
        if (hero->isVulnerable()) {
            hero->velocity = (hero->position - position).normalized() * Pig::KNOCK_BACK_SPEED;
            hero->gotoState(Pig::FAINTING);
        }
        return;
    }
}

void Geyser::spray(double dt) {
    Level* level = Level::current();
    const float a = rotation.z + kPi / 2.0f;
    if (level && level->getConfiguration().detailLevel >= 1) {
        smokeTimer += dt;
        if (smokeTimer >= smokeInterval) {
            smokeTimer = 0.0;
            insertChildBefore(new SmokeParticles(2, position, geyserHeight * 0.5f, geyserHeight, a, 0.785398f, 2.0f,
                                                 3.0f, 0xffffffffu, 0.25, 0.5),
                              firstChild);
        }
    }
    splashTimer += dt;
    if (splashTimer >= splashInterval) {
        splashTimer = 0.0;
        addChild(new SplashParticles(5, position.x, position.y, position.z, geyserHeight, geyserHeight, a, 0.392699f,
                                     2.5f, 3.0f, 0xffffffffu, 0, 2.0, 3.0));
    }
}

void Geyser::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !nearView) return;
    if (state == RESTING) {
        // The state timer has counted down already: the rumble plays in the
        // tick that took the time left below one second.
        if (stateLeft < RUMBLE_LEAD && stateLeft + dt >= RUMBLE_LEAD)
            playPositional(findResource<Sound>(u"geyserRumble"));
    } else if (state == ERUPTING && timeInState > JET_RISE_TIME) {
        throwHero();
        spray(dt);
    }
    if (soundChannel && nextSoundUpdate < time) {
        float volume = 0.0f, pan = 0.0f;
        if (heroMix(volume, pan)) {
            soundChannel->setVolume(volume, CHANNEL_FADE);
            soundChannel->setPan(pan, CHANNEL_FADE);
        }
        nextSoundUpdate = time + SOUND_UPDATE;
    }
}

void Geyser::renderObject() {
    // The particle effects are the geyser's children.
    ZubBase::render();
    A99Object::renderObject();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || !panel->bShowTriggerAreas || panel->bHideEditorViews) return;
    const int n = jetCircleCount();
    for (int i = 0; i < n; ++i) {
        V3 centre;
        float radius;
        jetCircle(i, n, centre, radius);
        drawEditorCircle(centre.x, centre.y, centre.z, radius, JET_CIRCLE_COLOR);
    }
}
