#pragma once
// The dashed road of the valley map: a strip along the road from its start
// up to a road length, textured with "valleyDashedLine" (its first skin's
// height is the strip's width; the texture repeats along the road every
// texture width). One pair of vertices every 12 units of road, the last
// pair exactly at the length; each pair stands across the road's direction.
//
// The strip is this drawable's own skin (a Quad on the texture whose
// vertices build() rewrites and uploads). It spans the whole map, so it is
// never culled.
#include "gfx/Renderable.h"

class BezierPathSimple;
class Quad;

class ValleyDashedLine : public Renderable {
public:
    static constexpr float PAIR_STEP = 12.0f;
    static constexpr uint32_t COLOUR = 0xFFFFFFFFu;

    ValleyDashedLine();
    ~ValleyDashedLine() override;

    // Rebuilds the strip along `path` from 0 to `length` (a negative length
    // counts as 0) and uploads it.
    void build(const BezierPathSimple& path, float length);

    Quad* strip;  // == pSkin, owned
};
