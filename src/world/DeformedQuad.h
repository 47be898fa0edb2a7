#pragma once
// A textured quad bent along a Bezier path (fences, vines): a strip of
// deformSegments pairs of vertices evaluated along the path, thick by the
// reference quad's height times a profile.
#include <cstdint>

#include "gfx/Quad.h"

class BezierPath;

class DeformedQuad : public Quad {
public:
    explicit DeformedQuad(BezierPath* path);
    ~DeformedQuad() override;

    // Keeps the strip's vertices (two per pair) and the size from the
    // texture coordinates.
    void refresh() override;
    // Takes the reference quad's texture and rectangle, sets each pair's
    // texture coordinates, then builds the strip.
    void setReference(Quad* quad);
    // Lays the pairs along the path; nothing without a reference quad or
    // for a path without segments.
    void buildSegments();
    // The skin rectangle, then within half the thickness of the strip's
    // middle line.
    bool isPointInside(float x, float y, float z) const override;

    BezierPath* pPath;
    Quad* pRefQuad = nullptr;
    int32_t deformSegments = 8;
    bool bSkinMap1to1 = false;
    float skinThicknessScale = 1.0f;
    float skinBulge = 0.0f;
    float skinOffcenter = 0.5f;

private:
    int pairCount() const { return deformSegments > 0 ? deformSegments : 0; }
};
