#pragma once
// A waterfall: a Bezier path down which foam sprites slide endlessly from
// its start to its end, widening as they fall, with the "waterfall" sound as
// its ambient sound. It has no hull and no effect on the game.
//
// The sprites are the children of a holder that the waterfall owns but does
// not keep among its own children: the waterfall ticks the holder itself,
// once a frame and only while it is near the view, so foam out of sight
// stays where it was and goes on when it comes near again.
#include <cstdint>

#include "gfx/Renderable.h"
#include "world/BezierPath.h"

class Waterfall : public BezierPath {
    ZUB_DECLARE_CLASS(Waterfall)
public:
    // The most sprites one waterfall makes (a loaded count is bounded by it).
    static constexpr int32_t MAX_PARTICLES = 4096;

    Waterfall();
    ~Waterfall() override;

    // The base tick; then, out of the editor and near the view, the sprites.
    void tick(double time, double dt) override;
    // The editor drawing, then (near the view) the sprites.
    void renderObject() override;
    // Spreads numParticles new sprites evenly along the fall, replacing any
    // it had (none in the editor).
    void netPostReplicate() override;
    void addPropertiesTo(PropertyContainer* container) override;

    int spriteCount() const { return particles.countChildren(); }
    ZubBase& sprites() { return particles; }

    int32_t numParticles = 100;
    float startWidth = 50.0f;    // width of the foam band at the start of the path
    float endWidth = 100.0f;     // and at its end
    float particleSpeed = 1.0f;  // path fractions per second
    float particleScale = 3.0f;  // the sprites' scale (twice that in x)

private:
    ZubBase particles;
};

// One flake of foam sliding down its waterfall's path: at `t` along the fall
// (0 at the start, 1 at the end), scattered sideways by a fixed random
// fraction of the band's width there, showing the "splash" frame nearest to
// t. Not registered; made by its waterfall on every peer.
class SplashSprite : public Renderable {
public:
    SplashSprite(Waterfall* owner, float t);
    ~SplashSprite() override;

    // Moves t on by the owner's speed (wrapping into [0, 1)) and places the
    // sprite there.
    void tick(double time, double dt) override;
    // Places the sprite at its t; a path without segments keeps its place.
    void place();

    Waterfall* pOwner;
    float t;
    float lateral;  // in [-0.5, 0.5): the side and share of the band's width
};
