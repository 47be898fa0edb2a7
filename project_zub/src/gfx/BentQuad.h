#pragma once
// A Quad bent into a circular arc along its x axis. The left edge's middle
// stays in place (a plant stands on its root there); the centre line keeps
// its length and turns by `bend` radians in total over the quad's width
// (positive bends towards +y). The strip has segments + 1 pairs of vertices,
// each pair across the quad.
//
// With the rotate switch the texture is turned a quarter: the image's
// vertical axis (bottom to top) runs along the quad's x axis and the image's
// left edge lies on the +y side, so the width is the rectangle's height in
// pixels and the height its width.
#include "gfx/Quad.h"

class BentQuad : public Quad {
    ZUB_DECLARE_CLASS(BentQuad)
public:
    // A bend smaller than this in size counts as 0.
    static constexpr float MIN_BEND = 0.001f;

    BentQuad();

    // Stores the bend (|bend| < 0.001 counts as 0); the segments are rebuilt
    // when it changed.
    void setBend(float bend);
    // Sets the number of segments (at least 1) and rebuilds.
    void setSegments(int n);
    void refresh() override;

    int segments = 8;
    bool bRotate = false;
    float bend = 0.0f;
    // Segment rebuilds so far.
    int rebuilds = 0;
};
