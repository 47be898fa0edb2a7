#pragma once
// One cubic span of a Bezier path between two of its vertices: control
// points v1, v1 + v1.tangent, v2 - v2.tangent, v2. Its arc length is
// measured over 31 chords and kept up to date when a vertex changes.
#include "object/RPC.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class BezierPath;
class BezierVertex;

class BezierSegment : public ZubBase {
    ZUB_DECLARE_CLASS(BezierSegment)
public:
    static constexpr int kLengthSamples = 32;

    BezierSegment() = default;
    ~BezierSegment() override;

    // The point at parameter t (not clamped); zero without both vertices.
    V3 pointAt(float t) const;
    // The direction at t in radians: the chord to t + 1/128, or the end
    // tangent from there on.
    float angleAt(float t) const;
    void computeLength();

    bool onEvent(ZubEvent& ev) override;
    void netPostReplicate() override;
    void addPropertiesTo(PropertyContainer* c) override;

    BezierVertex* getV1() const;
    BezierVertex* getV2() const;
    BezierPath* getPath() const;

    ZubBaseReference v1{this};
    ZubBaseReference v2{this};
    ZubBaseReference pPath{this};
    float length = 0.0f;
};

// Ties a segment to its path and vertices on every peer.
class RPCLinkBezierSegment : public RPC {
    ZUB_DECLARE_CLASS(RPCLinkBezierSegment)
public:
    RPCLinkBezierSegment() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    BezierPath* path = nullptr;
    BezierVertex* start = nullptr;
    BezierVertex* end = nullptr;
};
