#pragma once
// A placed curve of cubic Bezier segments through an ordered list of
// vertices with tangents, optionally closed into a loop, in the path's local
// coordinates. Other objects travel along it or shape themselves by it,
// asking for the point and the direction at a distance along the curve
// (evaluateL); callers add the path's own position.
//
// The path, each vertex and each segment are registered objects of their
// own. A path with n vertices has n - 1 segments (segment i joins vertex i
// to vertex i + 1), a closed one one more from the last to the first.
#include <cstdint>

#include "gfx/VertexBuffer.h"
#include "world/A99Object.h"

class BezierSegment;
class BezierVertex;

// The holder of a path's vertices or segments.
class BezierPartList : public ZubBase {
public:
    bool isEmpty() const { return firstChild == nullptr; }
};

class BezierPath : public A99Object {
    ZUB_DECLARE_CLASS(BezierPath)
public:
    BezierPath();
    ~BezierPath() override;

    // Appends a vertex at a local point, and a segment to it from the
    // previous last vertex.
    void addPoint(float x, float y, float z);
    // Joins the last vertex to the first (at least two vertices, not looping).
    void closeLoop();
    // Removes the last vertex and its segments (at least three vertices);
    // removing the closing segment opens the loop.
    void removeLastPoint();
    // The segment at distance L and t within it (proportional to the
    // distance within the segment); null for a path without segments.
    BezierSegment* findSegment(float L, float* t) const;
    // The local point at distance L along the path and optionally the
    // direction there. Fatal for a path without segments.
    void evaluateL(V3* out, float L, float* angle) const;
    // The sum of the segments' lengths.
    float sumOfLengths() const;

    int vertexCount() const { return vertices.countChildren(); }
    int segmentCount() const { return segments.countChildren(); }
    BezierVertex* vertexAt(int i) const;
    BezierSegment* segmentAt(int i) const;

    bool onEvent(ZubEvent& ev) override;
    void netPostReplicateGlobal() override;
    void renderObject() override;
    void onEdited() override;
    void calcBoundingCircle() override;
    void addPropertiesTo(PropertyContainer* container) override;

    float totalLength = 0.0f;
    bool bLooping = false;
    BezierPartList vertices;
    BezierPartList segments;

private:
    BezierSegment* makeSegment(BezierVertex* start, BezierVertex* end);
    void announceChange();
    void level();
    void measureVertexRadius();
    float vertexRadius = 0.0f;  // the farthest vertex from the origin (the bounds without a skin)
    VertexBuffer points;
    VertexBuffer lines;
};
