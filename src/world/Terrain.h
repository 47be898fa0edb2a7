#pragma once
// The ground strip of a level: `segments` evenly spaced points along x, each
// with a top height (row 0, the walkable surface) and a bottom height
// (row 1), and a normal and a slope angle per point and row. It owns an
// evenly spaced hull through the top row, answers height, slope and index
// queries, and has the editor's paint and smooth tools.
//
// Point i lies at x = i * segmentWidth - totalWidth / 2 in the local frame
// (the strip is centred on the object's position), y = its height.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gfx/VertexBuffer.h"
#include "world/A99Object.h"

class Terrain : public A99Object {
    ZUB_DECLARE_CLASS(Terrain)
public:
    // "Leave this height as it is" for setHeights.
    static constexpr float kKeep = -9999.0f;
    // The most points a terrain may have, and the widest spacing.
    static constexpr int32_t kMaxPoints = 65536;
    static constexpr int32_t kMaxSegmentWidth = 65536;

    Terrain();
    ~Terrain() override;

    // Builds the strip on every peer (RPCTerrainConstruct). The count and
    // the spacing are clamped to 0..kMaxPoints and 0..kMaxSegmentWidth.
    void construct(int segments, int segmentWidth);
    using EditorObject::construct;
    void local_construct(int segments, int segmentWidth);
    using EditorObject::local_construct;

    // Sets both heights of a point (index clamped); kKeep leaves one as it
    // is; the bottom never lies above the top. Normals, headings, the total
    // height and the hull follow.
    void setHeights(int index, float top, float bottom);
    // The local position of a point of a row; any index (see the .cpp).
    V3* getHeightPoint(V3* out, int row, int index) const;
    // Ground height and slope angle under a world x (the terrain's rotation
    // and scale are not applied); either output may be null.
    void getSurfaceAt(float worldX, float* outHeight, float* outHeading) const;
    // The point under a world x, through the full inverse transform.
    int getSegmentIndex(float worldX) const;
    int getIndexAtLocalX(float localX) const { return indexScale().at(localX); }
    // The points under the square of half-side `reach` around a world point:
    // its corners are mapped into the local frame (through the previous
    // frame's transform as well when the terrain moved this frame) and the
    // range spans all of them, so it holds whatever the rotation or mirror.
    // Inline for a terrain in place with an affine inverse (sweeps ask every
    // time; see the .cpp for the rest).
    void getIndexRange(const V3& worldPoint, float reach, int* first, int* last) const {
        const float(&m)[4][4] = invWorldMatrix.m;
        if (bInvValid && !movedThisFrame() && m[0][3] == 0.0f && m[1][3] == 0.0f && m[2][3] == 0.0f &&
            m[3][3] == 1.0f) {
            // The smallest local x at the corner against the signs of the x
            // and y factors, the largest at the opposite one (mapped as
            // world2local maps). Unturned, these are exactly the indices of
            // (p.x -+ reach, 0).
            const V3& p = worldPoint;
            const float dx = m[0][0] < 0.0f ? -reach : reach, dy = m[1][0] < 0.0f ? -reach : reach;
            const float ax = p.x - dx, ay = p.y - dy, bx = p.x + dx, by = p.y + dy;
            if (std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by)) {
                // The w of a finite corner is x * 0 + y * 0 + 0 * 0 + 1,
                // exactly 1: the mapping's x is its local x.
                const IndexScale scale = indexScale();
                *first = scale.at(ax * m[0][0] + ay * m[1][0] + 0.0f * m[2][0] + m[3][0]);
                *last = scale.at(bx * m[0][0] + by * m[1][0] + 0.0f * m[2][0] + m[3][0]);
                return;
            }
        }
        getIndexRangeMapped(worldPoint, reach, first, last);
    }
    void updateNormal(int i);
    // The points every query may read: the count, bounded by the arrays.
    int pointCount() const;

    bool onEvent(ZubEvent& ev) override;
    void renderObject() override;
    // A spacing outside 0..kMaxSegmentWidth fails the read (as a bad count does).
    void netSerialize(Packet& p) override;
    void addPropertiesTo(PropertyContainer* container) override;

    int32_t segments = 0;
    int32_t segmentWidth = 0;
    std::vector<float> heights[2];
    std::vector<V3> normals[2];
    std::vector<float> headings[2];
    float totalWidth = 0.0f;
    float totalHeight = 0.0f;
    // The editor's ranges (first, last) of row 0 and row 1.
    int32_t editFirst[2] = {0, 0};
    int32_t editLast[2] = {0, 0};

private:
    // getIndexRange through the full mappings of the square's corners.
    void getIndexRangeMapped(const V3& worldPoint, float reach, int* first, int* last) const;
    // The point's index mapped linearly from the strip's extent, clamped
    // (lerpMappedClamped written out), with what depends only on the strip
    // taken once: sweeps ask for two indices every time.
    struct IndexScale {
        float last, x0, width;
        bool flat;  // no extent: every x is point 0
        int at(float localX) const {
            const float f = flat ? 0.0f : (localX - x0) / width;
            const float i = 0.0f + (last - 0.0f) * clampf(f, 0.0f, 1.0f);
            return std::isfinite(i) ? static_cast<int>(i) : 0;
        }
    };
    IndexScale indexScale() const {
        const float x0 = -totalWidth * 0.5f, x1 = totalWidth * 0.5f;
        return IndexScale{static_cast<float>(segments > 0 ? std::min(segments, kMaxPoints) - 1 : 0), x0, x1 - x0,
                          x0 == x1};
    }
    void paint(bool top, bool bottom, bool mark0, bool mark1);
    void smooth(bool wholeStrip);
    void recomputeTotalHeight();
    // setHeights in two halves, for runs over many points: storeHeights
    // stores a point's heights and moves its hull vertex (true when it
    // did); finishHeights then recomputes the normals and headings of the
    // points first..last and their neighbours, the total height and, when a
    // vertex moved, the hull's radius, once for the run. The result is that
    // of setHeights on each point in turn.
    bool storeHeights(int index, float top, float bottom);
    void finishHeights(int first, int last, bool hullMoved);
    bool inEditRange(int row, int i) const { return i >= editFirst[row] && i <= editLast[row]; }
    VertexBuffer outline;
};

class RPCTerrainConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCTerrainConstruct)
public:
    RPCTerrainConstruct() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t segments = 0;
    int32_t segmentWidth = 0;
};
