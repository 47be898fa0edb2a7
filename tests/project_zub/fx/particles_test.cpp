// Particle bursts: what they spawn from the shared random sequence, how they
// move, draw and remove themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "../gfx/gfx_test_support.h"
#include "fx/ParticleGroup.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/ResourceManager.h"
#include "util/Random.h"

using namespace gfxtest;

namespace {

using Particles = NullGraphicsTest;

TEST_F(Particles, SpawnsFromTheSharedRandomSequence) {
    randomState = 12345;
    ParticleGroup g(10, V3(5, 6, 0), 15.0f, 40.0f, 0.0f, kTwoPi, 0xFFCC0000, 2.0f);
    ASSERT_EQ(g.liveCount(), 10);
    // Four draws per particle: speed, direction, size, lifetime.
    randomState = 12345;
    for (int i = 0; i < 10; ++i) {
        const float speed = randomRange(15.0f, 40.0f);
        const float angle = (randomFraction() - 0.5f) * kTwoPi;
        randomFraction();
        randomFraction();
        const Particle& p = g.particles[static_cast<size_t>(i)];
        EXPECT_NEAR(p.velocity.length(), speed, 1e-3);
        EXPECT_NEAR(std::atan2(p.velocity.y, p.velocity.x), angle, 1e-4);
        EXPECT_EQ(p.position, V3(5, 6, 0));
        EXPECT_FLOAT_EQ(p.life, 2.0f);
        EXPECT_EQ(p.color, 0xFFCC0000u);
    }
    const uint32_t after = randomState;
    randomState = 12345;
    for (int i = 0; i < 40; ++i) randomNext();
    EXPECT_EQ(randomState, after);
}

TEST_F(Particles, DirectionsStayWithinTheSpread) {
    SmokeParticles s(200, V3(), 50, 150, kPi / 2, kPi / 4, 2.0f, 3.0f, 0xFFFFFFFF, 0.15, 0.25);
    for (const Particle& p : s.particles) {
        const float a = std::atan2(p.velocity.y, p.velocity.x);
        EXPECT_GE(a, kPi / 2 - kPi / 8 - 1e-5f);
        EXPECT_LE(a, kPi / 2 + kPi / 8 + 1e-5f);
        EXPECT_GE(p.size, 2.0f);
        EXPECT_LE(p.size, 3.0f);
        EXPECT_GE(p.life, 0.15f);
        EXPECT_LE(p.life, 0.25f);
        const float speed = p.velocity.length();
        EXPECT_GE(speed, 50.0f - 1e-3f);
        EXPECT_LE(speed, 150.0f + 1e-3f);
    }
}

TEST_F(Particles, MoveAgeAndLeave) {
    auto* list = new ZubBase;  // an effects list
    context.addChild(list);
    auto* g = new ParticleGroup(3, V3(), 100, 100, 0, 0, 0xFFFFFFFF, 0.5f);
    g->drag = 0;
    list->addChild(g);
    list->tick(0, 0.1);
    ASSERT_EQ(g->liveCount(), 3);
    EXPECT_NEAR(g->particles[0].position.x, 10, 1e-4);
    EXPECT_NEAR(g->particles[0].age, 0.1f, 1e-6);
    // Past their lifetime the group flags itself, and the list's walk deletes it.
    list->tick(0, 0.5);
    EXPECT_EQ(list->countChildren(), 0);
    // Alone, it only flags itself.
    ParticleGroup alone(2, V3(), 1, 1, 0, 0, 0xFFFFFFFF, 0.1f);
    alone.tick(0, 0.2);
    EXPECT_TRUE(alone.isFinished());
    EXPECT_EQ(alone.bToBeDestroyed, 1);
}

TEST_F(Particles, GravityPullsSplashesDown) {
    SplashParticles s(5, 0, 0, 0, 100, 100, kPi / 2, 0, 2.5f, 3.0f, 0xFFCCFFFF, 1, 2.0, 3.0);
    const float vy = s.particles[0].velocity.y;
    s.tick(0, 0.1);
    EXPECT_NEAR(s.particles[0].velocity.y, vy - 60.0f, 1e-3);
    EXPECT_EQ(s.variant, 1);
}

// A jet's drops (variant 0) rise as many units as they are fast, and stay
// above their mouth for all their lives.
TEST_F(Particles, AJetsDropsRiseAsHighAsTheyAreFast) {
    SplashParticles s(5, 0, 0, 0, 250, 250, kPi / 2, 0, 2.5f, 3.0f, 0xFFFFFFFF, 0, 2.0, 3.0);
    float highest = 0.0f, lowest = 0.0f;
    for (int frame = 0; frame < 200 && !s.isFinished(); ++frame) {
        s.tick(0, 1.0 / 60.0);
        for (const Particle& p : s.particles) {
            highest = std::max(highest, p.position.y);
            lowest = std::min(lowest, p.position.y);
        }
    }
    EXPECT_NEAR(highest, 250.0f, 10.0f);
    EXPECT_GE(lowest, 0.0f);
}

TEST_F(Particles, SparksFlyAlongTheirPath) {
    SparkShower s(V3(), 150, 300, 0, kTwoPi, 2.0f, 0, 0.5);
    EXPECT_EQ(s.liveCount(), SparkShower::SPARKS);
    s.tick(0, 0.01);
    for (const Particle& p : s.particles) EXPECT_NEAR(p.angle, std::atan2(p.velocity.y, p.velocity.x), 1e-5);
    ExplosionParticles e(V3(), 10, 100, 0, kTwoPi, 3, 4, 0xFFFFFFFF, 0.4, 0.6);
    EXPECT_EQ(e.liveCount(), ExplosionParticles::BALLS);
}

TEST_F(Particles, DrawAsOneTriangleListWithTheirSkin) {
    std::unique_ptr<MemoryImageFile> img(makeImage(8, 8, [](int, int) { return 0xFFFFFFFFu; }));
    Texture tex(img.get());
    ResourceManager resources;
    tex.registerSkins(resources, u"glint");
    ParticleGroup g(4, V3(10, 0, 0), 0, 0, 0, 0, 0xFF00FF00, 1.0f);
    EXPECT_EQ(g.particleSkin, tex.getSkin(0));
    g.color = 0xFFFF00FF;
    device->resetRecords();
    renderCounters.reset();
    g.render();
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& d = device->draws[0];
    EXPECT_EQ(d.type, platform::Primitive::TriangleList);
    EXPECT_EQ(d.count, 24);
    EXPECT_EQ(d.texture, tex.getHandle());
    EXPECT_EQ(d.firstColor, 0xFF00FF00u);  // the particle's colour, not yet faded
    EXPECT_EQ(d.modulate, 0xFFFF00FFu);    // the group's colour
    EXPECT_FLOAT_EQ(d.firstVertex.x, 6);   // 10 - 8 / 2
    EXPECT_TRUE(d.world == M44::identity());
    EXPECT_EQ(renderCounters.renderablesVisible, 1);
    // Half-way through their lives they are half faded.
    g.drag = 0;
    g.tick(0, 0.5);
    device->resetRecords();
    g.render();
    EXPECT_EQ(device->draws[0].firstColor >> 24, 128u);
}

TEST_F(Particles, AGroupOutOfViewIsCulled) {
    ParticleGroup g(4, V3(3000, 0, 0), 0, 10, 0, kTwoPi, 0xFFFFFFFF, 1.0f);
    device->resetRecords();
    renderCounters.reset();
    g.render();
    EXPECT_TRUE(device->draws.empty());
    EXPECT_FALSE(g.bInView);
    EXPECT_EQ(renderCounters.renderablesTotal, 1);
    EXPECT_EQ(renderCounters.renderablesVisible, 0);
}

}  // namespace
