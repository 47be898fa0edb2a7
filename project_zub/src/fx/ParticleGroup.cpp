#include "fx/ParticleGroup.h"

#include <algorithm>
#include <cmath>

#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "object/ResourceManager.h"
#include "util/Random.h"

ZUB_IMPLEMENT_NAMED_CLASS(ParticleGroup, Renderable, u"ParticleGroup")
ZUB_IMPLEMENT_NAMED_CLASS(SmokeParticles, ParticleGroup, u"SmokeParticles")
ZUB_IMPLEMENT_NAMED_CLASS(SplashParticles, ParticleGroup, u"SplashParticles")
ZUB_IMPLEMENT_NAMED_CLASS(SparkShower, ParticleGroup, u"SparkShower")
ZUB_IMPLEMENT_NAMED_CLASS(ExplosionParticles, ParticleGroup, u"ExplosionParticles")

namespace {
// Plain squares when no skin is found.
constexpr float kPlainSize = 4.0f;
}  // namespace

ParticleGroup::ParticleGroup() = default;

ParticleGroup::ParticleGroup(int count, const V3& at, float minSpeed, float maxSpeed, float direction, float spread,
                             uint32_t c, float lifetime) {
    particleSkin = findSkin(u"glint:0");
    spawn(count, at, minSpeed, maxSpeed, direction, spread, 1.0f, 1.0f, 1.0f, c, lifetime, lifetime);
}

Skin* ParticleGroup::findSkin(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    ZubBase* o = rm ? rm->find(name, false) : nullptr;
    return zub_cast<Skin>(o);
}

void ParticleGroup::spawn(int count, const V3& at, float minSpeed, float maxSpeed, float direction, float spread,
                          float minSize, float maxSize, float growth, uint32_t c, float minLife, float maxLife) {
    position = at;
    count = std::max(count, 0);
    particles.reserve(particles.size() + static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Particle p;
        const float speed = randomRange(minSpeed, maxSpeed);
        const float angle = direction + (randomFraction() - 0.5f) * spread;
        p.size = randomRange(minSize, maxSize);
        p.life = randomRange(minLife, maxLife);
        if (!(p.life > 0.0f)) p.life = 0.0f;
        p.sizeEnd = p.size * growth;
        p.position = at;
        p.velocity = V3(std::cos(angle) * speed, std::sin(angle) * speed, 0.0f);
        p.angle = bAlignToVelocity ? angle : 0.0f;
        p.color = c;
        particles.push_back(p);
    }
    updateBounds();
}

void ParticleGroup::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const float step = static_cast<float>(dt);
    const float keep = std::max(0.0f, 1.0f - drag * step);
    for (size_t i = 0; i < particles.size();) {
        Particle& p = particles[i];
        p.age += step;
        if (p.age >= p.life) {
            p = particles.back();
            particles.pop_back();
            continue;
        }
        p.velocity.y -= gravity * step;
        p.velocity *= keep;
        p.position += p.velocity * step;
        if (bAlignToVelocity && (p.velocity.x != 0.0f || p.velocity.y != 0.0f))
            p.angle = std::atan2(p.velocity.y, p.velocity.x);
        ++i;
    }
    updateBounds();
    if (particles.empty()) bToBeDestroyed = 1;
}

void ParticleGroup::updateBounds() {
    if (particles.empty()) {
        boundingCentre = position;
        boundingRadius = 0.0f;
        return;
    }
    V3 lo = particles[0].position, hi = lo;
    float largest = 0.0f;
    for (const Particle& p : particles) {
        lo.x = std::min(lo.x, p.position.x);
        lo.y = std::min(lo.y, p.position.y);
        lo.z = std::min(lo.z, p.position.z);
        hi.x = std::max(hi.x, p.position.x);
        hi.y = std::max(hi.y, p.position.y);
        hi.z = std::max(hi.z, p.position.z);
        largest = std::max(largest, std::max(std::fabs(p.size), std::fabs(p.sizeEnd)));
    }
    const float w =
        particleSkin ? std::max(std::fabs(particleSkin->width), std::fabs(particleSkin->height)) : kPlainSize;
    boundingCentre = (lo + hi) * 0.5f;
    boundingRadius = (hi - lo).length() * 0.5f + w * largest;
}

void ParticleGroup::renderSelf() {
    if (particles.empty()) return;
    ++renderCounters.renderablesTotal;
    if (!updateInView()) return;
    ++renderCounters.renderablesVisible;

    const Skin* s = particleSkin;
    const float w = s ? s->width : kPlainSize, h = s ? s->height : kPlainSize;
    const V3 o = s ? s->origin : V3();
    const float u0 = s ? s->u0 : 0.0f, v0 = s ? s->v0 : 0.0f, u1 = s ? s->u1 : 1.0f, v1 = s ? s->v1 : 1.0f;
    buffer.setSize(static_cast<int>(particles.size()) * 6);
    int n = 0;
    for (const Particle& p : particles) {
        const float t = p.life > 0.0f ? p.age / p.life : 1.0f;
        const float size = p.size + (p.sizeEnd - p.size) * t;
        const uint32_t alpha = static_cast<uint32_t>(static_cast<float>(p.color >> 24) * (1.0f - t) + 0.5f);
        const uint32_t c = (p.color & 0x00FFFFFFu) | (std::min(alpha, 255u) << 24);
        const float cs = std::cos(p.angle) * size, sn = std::sin(p.angle) * size;
        // Corners of the skin rectangle less its origin, scaled and turned.
        const float xs[2] = {-w * 0.5f - o.x, w * 0.5f - o.x};
        const float ys[2] = {h * 0.5f - o.y, -h * 0.5f - o.y};
        V3 corner[4];
        for (int k = 0; k < 4; ++k) {
            const float x = xs[k & 1], y = ys[k >> 1];
            corner[k] = V3(p.position.x + x * cs - y * sn, p.position.y + x * sn + y * cs, p.position.z);
        }
        const float us[4] = {u0, u1, u0, u1}, vs[4] = {v0, v0, v1, v1};
        static const int order[6] = {0, 1, 2, 1, 3, 2};
        for (int k : order) buffer.set(n++, corner[k].x, corner[k].y, corner[k].z, c, us[k], vs[k]);
    }
    buffer.upload();
    Skin::applyCarrier(nullptr);
    if (ZubGraphics* g = ZubGraphics::active())
        if (g->device()) g->device()->setModulateColor(color);
    buffer.draw(s ? s->texture : nullptr, VertexBuffer::TRIANGLE_LIST);
}

// ---------------------------------------------------------------------------

SmokeParticles::SmokeParticles(int count, const V3& at, float minSpeed, float maxSpeed, float direction, float spread,
                               float minScale, float maxScale, uint32_t c, double minLife, double maxLife) {
    particleSkin = findSkin(u"smoke:0");
    drag = 1.5f;
    spawn(count, at, minSpeed, maxSpeed, direction, spread, minScale, maxScale, 2.0f, c, static_cast<float>(minLife),
          static_cast<float>(maxLife));
}

SplashParticles::SplashParticles(int count, float x, float y, float z, float minSpeed, float maxSpeed, float direction,
                                 float spread, float minScale, float maxScale, uint32_t c, int v, double minLife,
                                 double maxLife)
    : variant(v) {
    particleSkin = findSkin(v == 1 ? u"splashCircular:0" : u"splash:0");
    drag = 0.0f;
    // Drops splashed out of a surface fall back at once. A jet's drops slow
    // by half their launch speed each second: thrown at v units a second,
    // a drop stops v units up after two seconds, so the jet stands as high
    // as its drops are fast.
    gravity = v == 1 ? 600.0f : 0.25f * (minSpeed + maxSpeed);
    spawn(count, V3(x, y, z), minSpeed, maxSpeed, direction, spread, minScale, maxScale, 0.5f, c,
          static_cast<float>(minLife), static_cast<float>(maxLife));
}

SparkShower::SparkShower(const V3& at, float minSpeed, float maxSpeed, float direction, float spread, float s, float g,
                         double life) {
    particleSkin = findSkin(u"spark:0");
    drag = 2.0f;
    gravity = g;
    bAlignToVelocity = true;
    spawn(SPARKS, at, minSpeed, maxSpeed, direction, spread, s, s, 0.5f, 0xFFFFFFFF, static_cast<float>(life),
          static_cast<float>(life));
}

ExplosionParticles::ExplosionParticles(const V3& at, float minSpeed, float maxSpeed, float direction, float spread,
                                       float minScale, float maxScale, uint32_t c, double minLife, double maxLife) {
    particleSkin = findSkin(u"explosion:0");
    drag = 3.0f;
    spawn(BALLS, at, minSpeed, maxSpeed, direction, spread, minScale, maxScale, 1.5f, c, static_cast<float>(minLife),
          static_cast<float>(maxLife));
}
