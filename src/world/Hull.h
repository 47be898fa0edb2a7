#pragma once
// A collision outline of a level object: a chain of vertices in the owner's
// local frame joined by segments. Hulls hang in the game controller's hull
// list; their vertices and segments hang in two holders inside the hull. The
// hull refers to its owner; when the owner goes away the hull flags itself
// for deletion and the next destroying walk of the hull list deletes it.
//
// Hulls are built by objects at set-up (addHullPoint, closeLoop), by
// A99Object::local_createHull and in the level editor with keys.
#include <cstdint>

#include "gfx/VertexBuffer.h"
#include "object/RPC.h"
#include "object/ZubBase.h"
#include "util/Math.h"
#include "world/HullPartHolder.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"

class A99Object;
class HullList;

class Hull : public ZubBase {
    ZUB_DECLARE_CLASS(Hull)
public:
    enum HullType : int32_t { SOLID = 0, PASS_THROUGH = 1, HULL_TYPE_COUNT };
    // Squared distances from this on never count (nearest-vertex search, solver).
    static constexpr float kFarSq = 9.998e7f;

    Hull();
    ~Hull() override;

    // A new registered vertex at the local point; with `connect` and an
    // earlier vertex, also a segment from the previous last vertex to it.
    HullVertex* addHullPoint(float x, float y, float z, bool connect);
    // Closes the chain with a segment from the last vertex to the first.
    // Nothing with fewer than two vertices or when it is closed already.
    void closeLoop();
    // Appends a segment; links it behind the last one when that one ends
    // where it starts and is not linked on yet.
    void addSegment(HullSegment* segment);
    // Appends a vertex and grows the bounding radius.
    void appendVertex(HullVertex* vertex);
    // Destroys every segment and vertex.
    void clearParts();
    // Editor D: the segments at the vertex are unlinked and destroyed, then
    // the vertex.
    void deleteVertex(HullVertex* vertex);

    // The i-th vertex / segment; fatal when there are not that many.
    HullVertex* getVertex(int i);
    HullSegment* getSegment(int i);
    // The same without the fatal error.
    HullVertex* vertexAt(int i) { return static_cast<HullVertex*>(vertices.at(i)); }
    HullSegment* segmentAt(int i) { return static_cast<HullSegment*>(segments.at(i)); }
    int vertexCount() { return vertices.count(); }
    int segmentCount() { return segments.count(); }
    // The vertex nearest to a local point (squared distance below kFarSq),
    // the first on a tie; null when none.
    HullVertex* findNearestVertex(float x, float y, float z);
    void recomputeBoundingRadius();
    // How far the hull reaches changed (its radius, its owner, or the
    // owner's transform): the hull list's index follows.
    void reachChanged();

    // Points pRef at the owner on every peer.
    void setRef(A99Object* owner);
    // The owner; null when the hull is flagged for deletion or has none.
    A99Object* owner() const;

    bool onEvent(ZubEvent& ev) override;
    // The editor view (editor mode only).
    void render() override;
    void netPostReplicateGlobal() override;
    void addPropertiesTo(PropertyContainer* c) override;

    // Set through addHullPoint, recomputeBoundingRadius or followed by
    // reachChanged (the hull list's index must hear of a growth).
    float boundingRadius = 0.0f;
    bool bEvenlySpaced = false;
    ZubBaseReference pRef{this};
    int32_t hullType = SOLID;
    bool bHeroOnly = false;
    HullPartHolder vertices;
    HullPartHolder segments;
    // Drawn highlighted by the editor view; set by tools that want it.
    ZubBaseReference highlightedSegment{this};
    // A sweep ran out of iterations on this hull and said so (once).
    bool bIterationsWarned = false;
    // The hull list whose index holds the hull, and its entry there.
    HullList* pIndex = nullptr;
    int32_t indexEntry = -1;

private:
    HullSegment* makeSegment(HullVertex* start, HullVertex* end);
    bool onEditorKey();
    bool onEditorPointerMove();
    bool localMouse(V3& out) const;
    VertexBuffer lines;
};

class RPCHullSetRef : public RPC {
    ZUB_DECLARE_CLASS(RPCHullSetRef)
public:
    RPCHullSetRef() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    A99Object* owner = nullptr;
};
