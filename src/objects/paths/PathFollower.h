#pragma once
// The base of every level object that travels along a Bezier path (the
// worm, the butterfly and the path animals): a parameter from 0 (the path's
// start) to 1 (its end) that runs at `pathSpeed` path fractions per second,
// turns back at the ends of an open path after a wait (or stops there with
// bOnceOnly) and wraps round a looping one, optionally eased in and out at
// the ends, optionally standing on a terrain's surface. Each tick leaves the
// world point and the direction there in pathPosition and pathAngle; the
// subclass places and draws itself from them. Placed on its own it moves
// nothing visible.
//
// A path that cannot be evaluated (fewer than two points, no segment) is not
// travelled: the follower waits where it is until the path has a segment.
#include "world/A99Object.h"

class BezierPath;
class Terrain;

class PathFollower : public A99Object {
    ZUB_DECLARE_CLASS(PathFollower)
public:
    // The editor arrows to the path and to the terrain.
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xff0000ffu;

    PathFollower();
    ~PathFollower() override;

    // Moves along the path (nothing in the editor, nothing without a path
    // to travel).
    void tick(double time, double dt) override;
    // A follower placed at an end waits the full delay before its first turn.
    void netPostReplicate() override;
    // Editor: arrows from the follower to its path and to its terrain.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    BezierPath* getPath() const;
    Terrain* getTerrain() const;
    // The path when it can be travelled (at least two points and a
    // segment), else null.
    BezierPath* travelledPath() const;
    // The x scale that mirrors a skin to the direction of travel, reversed
    // while travelling backwards (pathDir -1). Animals drawn facing right:
    // +1, or -1 while the path runs more left than right (|pathAngle| above
    // pi/2). Critters drawn facing left (the worm, the butterfly): -1 while
    // the path runs more right than left (|pathAngle| below pi/2), else +1.
    float rightFacing() const;
    float leftFacing() const;

    ZubBaseReference pPath{this};
    ZubBaseReference pTerrain{this};
    float pathAlpha = 0.0f;
    float pathSpeed = 0.1f;
    int32_t pathDir = 1;
    bool bSinusoidal = false;
    bool bOnceOnly = false;
    bool bActivated = true;
    double endpointDelay = 0.0;

    // The world point on the path (or the terrain) and the direction there,
    // from the last tick that travelled.
    V3 pathPosition;
    float pathAngle = 0.0f;
    // Seconds still to wait at the current end (one timer serves both).
    double endpointTimer = 0.0;

private:
    // The wait at an end: counts down while the follower sits there and
    // turns it to `direction` once it has run out.
    void waitAtEnd(double dt, int32_t direction);
};
