#pragma once
// The swept collision solver: where a moving point crosses the level's
// collision hulls between two positions, hit by hit, with the caller
// deciding how the motion goes on after each hit (stop, slide, walk, pass
// through).
//
// A sweep lives on the stack for one step of one body:
//   Xsect x(p1, p2, flags);
//   x.considerHulls();
//   while (x.checkHits()) { ... x.handleHit(response); ... }
// Every test is made in the local frame of the hull's owner (moving,
// rotating and scaled hulls work); in the first iteration the start goes
// through the owner's transform of the previous frame, so a hull that moved
// onto the point this frame is still crossed. The point has no radius.
//
// The hull list's index hands over only the hulls that may be in reach, in
// list order; the reach test then decides as it would over the whole list.
//
// Determinism: the candidates are an intrusive list through the segments in
// hull-list order, every tie goes to the first in that order, and nothing is
// looked up by address. A sweep allocates nothing. Only one sweep at a time
// may hold segments (their records carry its working state); a segment is in
// the list whose generation its record carries, so a list is given up at
// once, without a walk over its segments.
#include <cstdint>

#include "util/Math.h"

class A99Object;
class Hull;
class HullSegment;

class Xsect {
public:
    enum Response : int { STOP = 0, SLIDE = 1, WALK = 2, PASS = 3 };
    enum Flags : uint32_t { FLAG_HERO_HULLS = 1, FLAG_PASS_THROUGH_HULLS = 2 };

    static constexpr float kMarginSlack = 8.0f;
    static constexpr float kStartTolerance = -0.125f;
    static constexpr float kFarSq = 9.998e7f;
    static constexpr int kMaxIterations = 100;
    static constexpr int kPassedThrough = 999;

    Xsect(const V3& p1World, const V3& p2World, uint32_t flags);
    ~Xsect();
    Xsect(const Xsect&) = delete;
    Xsect& operator=(const Xsect&) = delete;

    // Collects the candidate segments of the hulls in reach (once per sweep).
    // An earlier sweep that still holds segments gives them up; if it was
    // not finished, going on with it is fatal (sweeps do not nest).
    void considerHulls();
    // One iteration: true when a hit was chosen (pHitSegment).
    bool checkHits();
    // The caller's answer to the hit.
    void handleHit(int response);
    // Writes the whole working state to the log.
    void dumpXsectState();

    // A listed segment is going away (it leaves the list).
    void forget(HullSegment* segment);
    int listedSegments() const { return listCount; }
    // Whether the segment is in this sweep's list.
    bool holds(const HullSegment* segment) const;

    // The sweep that holds segments now, if any.
    static Xsect* activeSweep() { return holder; }

    HullSegment* pHitSegment = nullptr;
    V3 hitPoint;
    V3 resultPoint;
    V3 resultDir;
    bool bWalkBlocked = false;
    uint32_t flags;
    V3 p1World;
    V3 p2World;
    float margin;
    int iteration = 0;
    HullSegment* best_hs = nullptr;
    int numPotentialSolutions = 0;
    HullSegment* phase2Segment = nullptr;
    V3 phase2_bestPXWorld;
    float phase2_bestDistanceSq = kFarSq;
    bool bDone = false;
    bool bForcedSolution = false;
    int32_t frame;

private:
    void claimSegments();
    class Appender;
    void considerHull(Hull* hull);
    void releaseList();
    HullSegment* selectBestHit();
    HullSegment* runPhase2(Hull* movingHull);
    void stopAt(HullSegment* s);

    float indexReach;  // the reach asked of the hull list's index (>= margin)
    HullSegment* head = nullptr;
    HullSegment* tail = nullptr;
    int listCount = 0;
    bool bFinished = false;   // the last checkHits found nothing (or the sweep is done)
    bool bPreempted = false;  // a later sweep took the segments before this one was finished

    // The list's generation: a number no other sweep's list had, 0 without
    // a list. A segment is listed when its record carries it.
    uint64_t generation = 0;

    static Xsect* holder;
    static uint64_t generations;
};
