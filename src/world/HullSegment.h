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

#include "object/RPC.h"
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
    void netSerialize(Packet& p) override;
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

    // The members are laid out for the collision solver, each group in one
    // 64-byte line (the object starts on one). Listing a segment reads the
    // first and third and writes the first two; an iteration then reads
    // and writes these three only: the links with the hull and the stamps
    // the iterations test; the normal, the start, the distances and the
    // other stamps; the mapped points with the link a walk along a terrain
    // follows. What only a crossing reads comes next, then the rest.

    // --- the solver's working record (with what sweeps read) -----------------------
    // The generation of the sweep list that holds the segment (a stale one:
    // in no list; see Xsect).
    alignas(64) uint64_t sweepGeneration = 0;
    HullSegment* sweepPrev = nullptr;
    HullSegment* sweepNext = nullptr;
    ZubBaseReference pHull{this};
    int32_t ignoreInIteration = -1;
    int32_t wasPotentialSolutionInIteration = -1;

    alignas(64) V3 normal;
    // The start vertex's position as of the last recompute.
    V3 start;
    float dot1 = 0.0f;
    float dot2 = 0.0f;
    bool bDot1Pass = false;
    bool bDot2Pass = false;
    int32_t wasFinalSolutionInIteration = -1;
    int32_t wasReductionTestedInIteration = -1;
    int32_t wasViolatedInIteration = -1;
    int32_t wasRelevantInIteration = -1;
    int32_t violations = 0;
    int32_t debug_consideredFrame = -1;

    alignas(64) V3 p1Local;
    V3 p2Local;
    ZubBaseReference nextSegment{this};

    alignas(64) V3 along;
    float collisionLengthMin = 0.0f;
    float collisionLengthMax = 0.0f;
    V3 pXWorld;
    float pXdotAlong = 0.0f;
    ZubBaseReference prevSegment{this};
    ZubBaseReference v1{this};
    ZubBaseReference v2{this};
    V3 dV;
    float length = 0.0f;
    float alongDirection = 0.0f;
    float normalDirection = 0.0f;
    int32_t prevJoint = JOINT_NONE;
    int32_t nextJoint = JOINT_NONE;
    int32_t debug_collidedFrame = -1;
    // Creation number, from a program-wide counter.
    int32_t serial;
    static int32_t serialCounter;

private:
    // What the last recompute read besides the vertices (whose difference
    // and start it keeps in `dV` and `start`): the neighbours, their
    // directions and the joint kinds it found. The set-up after a load
    // recomputes every segment a second time; when these still hold, the
    // derived data is what a recompute would make, the referrers have been
    // told, and only the joints are written again. Reading or writing the
    // body forgets them.
    HullSegment* computedPrev = nullptr;
    HullSegment* computedNext = nullptr;
    float computedPrevDirection = 0.0f;
    float computedNextDirection = 0.0f;
    int8_t computedPrevJoint = JOINT_NONE;
    int8_t computedNextJoint = JOINT_NONE;
    bool bComputed = false;

    // Whether a recompute now would make the same values as the last one.
    bool upToDate() const;
    // The joints with the neighbours and the spans, as the last recompute
    // found them.
    void rewriteJoints();
};

// The joint kind of a turn from one direction to the next: 2 when the
// signed shortest turn (each angle wrapped into [0, 2 pi), the turn into
// (-pi, pi]) is positive, else 1.
int32_t hullJointKind(float fromDirection, float toDirection);

class RPCHullSegmentSetup : public RPC {
    ZUB_DECLARE_CLASS(RPCHullSegmentSetup)
public:
    RPCHullSegmentSetup() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    Hull* hull = nullptr;
    HullVertex* start = nullptr;
    HullVertex* end = nullptr;
};
