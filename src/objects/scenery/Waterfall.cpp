#include "objects/scenery/Waterfall.h"

#include <algorithm>
#include <cmath>

#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Waterfall, BezierPath, object_ids::Waterfall)

// ---------------------------------------------------------------------------
// Waterfall

Waterfall::Waterfall() {
    bUsesNearView = true;
    pAmbientSound = findResource<Sound>(u"waterfall");
}

Waterfall::~Waterfall() { particles.destroyChildren(); }

void Waterfall::netPostReplicate() {
    A99Object::netPostReplicate();
    // A second replication (a copy, a state update) starts the foam over
    // rather than adding to it.
    particles.destroyChildren();
    if (isEditorMode() || numParticles < 1) return;
    const int n = std::min(numParticles, MAX_PARTICLES);
    for (int i = 0; i < n; ++i)
        particles.addChild(new SplashSprite(this, static_cast<float>(i) / static_cast<float>(n)));
}

void Waterfall::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    if (nearView) particles.tick(time, dt);
}

void Waterfall::renderObject() {
    BezierPath::renderObject();
    if (nearView) particles.render();
}

void Waterfall::addPropertiesTo(PropertyContainer* c) {
    BezierPath::addPropertiesTo(c);
    c->add(new PropertyInt(u"numParticles", 0, &numParticles), "how many foam sprites fall");
    c->add(new PropertyFloat(u"startWidth", 0, &startWidth), "the foam's width at the path's start");
    c->add(new PropertyFloat(u"endWidth", 0, &endWidth), "the foam's width at the path's end");
    c->add(new PropertyFloat(u"particleScale", 0, &particleScale), "the foam sprites' size");
    c->add(new PropertyFloat(u"particleSpeed", 0, &particleSpeed), "fractions of the path the foam falls per second");
}

// ---------------------------------------------------------------------------
// SplashSprite

SplashSprite::SplashSprite(Waterfall* owner, float start) : pOwner(owner), t(start), lateral(randomFraction() - 0.5f) {
    pSkin = findResource<Skin>(u"splash:0");
    bLocal = 1;
    place();
}

SplashSprite::~SplashSprite() = default;

void SplashSprite::tick(double time, double dt) {
    Renderable::tick(time, dt);
    t += static_cast<float>(pOwner->particleSpeed * dt);
    t -= std::floor(t);
    // Rounding can land a tiny negative step on 1.0; a made-up speed on NaN.
    if (!(t >= 0.0f && t < 1.0f)) t = 0.0f;
    place();
}

void SplashSprite::place() {
    const Waterfall* w = pOwner;
    float angle = rotation.z;
    V3 at = position;
    if (!w->segments.isEmpty()) {
        V3 p;
        w->evaluateL(&p, t * w->totalLength, &angle);
        const float width = (w->startWidth + (w->endWidth - w->startWidth) * t) * lateral;
        const float side = angle + kPi / 2.0f;
        at = p + w->position + V3(std::cos(side), std::sin(side), 0.0f) * width;
    }
    const int frames = pSkin ? pSkin->getFrameCount() : 0;
    if (frames > 0) {
        const float f = std::round(static_cast<float>(frames - 1) * t);
        if (Skin* frame = pSkin->getFrame(static_cast<int>(f))) pSkin = frame;
    }
    const V3 turn(0.0f, 0.0f, angle);
    const V3 size(2.0f * w->particleScale, w->particleScale, 1.0f);
    setFields(nullptr, &at, &turn, &size);
}
