#pragma once
// An edge of a collision hull between two of its vertices, with the data the
// swept collision solver and walking bodies read: direction, normal, length,
// the span along the edge in which a contact counts, and the kind of joint
// with the neighbouring edges.
//
// The solid front side is the left of the direction of travel: `normal` is
// `along` turned by +90 degrees. Joint kinds: 0 none, 1 (a right turn or a
// straight continuation), 2 (a left turn). At any joint the span reaches
// 0.125 past the end; at a joint of kind 2 also 0.125 before the start.
//
// The segment also carries the solver's working record for the sweep whose
// list holds it (one sweep at a time).
#include <cstdint>

#include "net/RPC.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class A99Object;
class Hull;
class HullVertex;
class Xsect;

class HullSegment : public ZubBase {
    ZUB_DECLARE_CLASS(HullSegment)
public:
    enum Joint : int32_t { JOINT_NONE = 0, JOINT_RIGHT = 1, JOINT_LEFT = 2 };
    static constexpr float kJointExtension = 0.125f;

    HullSegment();
    ~HullSegment() override;

    // Ties the segment to its hull and vertices on every peer, then recomputes.
    void setup(Hull* hull, HullVertex* start, HullVertex* end);
    void local_setup(Hull* hull, HullVertex* start, HullVertex* end);

    // Recomputes the derived data from the vertices and the joints with the
    // neighbours (whose joint values and spans follow), then tells the
    // referrers. Nothing without both vertices.
    void recompute();
    // The collision span from the length and the joints.
    void updateSpans();
    // The angle of the edge in the world (reversed for an owner mirrored in x).
    float getWorldAngle() const;

    bool onEvent(ZubEvent& ev) override;
    void netPostReplicate() override;
    void netPostReplicateGlobal() override;
    void addPropertiesTo(PropertyContainer* c) override;

    Hull* getHull() const;
    HullVertex* getV1() const;
    HullVertex* getV2() const;
    HullSegment* prev() const { return prevSegment.as<HullSegment>(); }
    HullSegment* next() const { return nextSegment.as<HullSegment>(); }
    // The hull's owner; null when the hull is gone, flagged for deletion or
    // has no owner (such a segment is no ground and takes no part in sweeps).
    A99Object* owner() const;

    ZubBaseReference v1{this};
    ZubBaseReference v2{this};
    ZubBaseReference pHull{this};
    ZubBaseReference prevSegment{this};
    ZubBaseReference nextSegment{this};
    V3 dV;
    V3 along;
    V3 normal;
    float length = 0.0f;
    float collisionLengthMin = 0.0f;
    float collisionLengthMax = 0.0f;
    float alongDirection = 0.0f;
    float normalDirection = 0.0f;
    int32_t prevJoint = JOINT_NONE;
    int32_t nextJoint = JOINT_NONE;

    // The start vertex's position as of the last recompute.
    V3 start;
    // Creation number, from a program-wide counter.
    int32_t serial;
    static int32_t serialCounter;

    // --- the solver's working record ---------------------------------------------
    Xsect* sweep = nullptr;  // the sweep whose list holds the segment
    HullSegment* sweepPrev = nullptr;
    HullSegment* sweepNext = nullptr;
    int32_t wasFinalSolutionInIteration = -1;
    int32_t wasPotentialSolutionInIteration = -1;
    int32_t wasReductionTestedInIteration = -1;
    int32_t wasViolatedInIteration = -1;
    int32_t wasRelevantInIteration = -1;
    int32_t ignoreInIteration = -1;
    int32_t violations = 0;
    V3 p1Local;
    V3 p2Local;
    float dot1 = 0.0f;
    bool bDot1Pass = false;
    float dot2 = 0.0f;
    bool bDot2Pass = false;
    V3 pXWorld;
    float pXdotAlong = 0.0f;
    int32_t debug_consideredFrame = -1;
    int32_t debug_collidedFrame = -1;
};

// The joint kind of a turn from one direction to the next: 2 when the
// signed shortest turn (each angle wrapped into [0, 2 pi), the turn into
// (-pi, pi]) is positive, else 1.
int32_t hullJointKind(float fromDirection, float toDirection);

class RPCHullSegmentSetup : public RPC {
    ZUB_DECLARE_CLASS(RPCHullSegmentSetup)
public:
    RPCHullSegmentSetup() : RPC(true, true, false) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    Hull* hull = nullptr;
    HullVertex* start = nullptr;
    HullVertex* end = nullptr;
};
