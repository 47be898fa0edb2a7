#pragma once
// The level's collision hulls in list order, with an index of where each can
// be reached, so that a sweep visits only the hulls near it.
//
// A hull is indexed when it joins the list through addChild (netAddChild
// and replication use it; only hulls are indexed, their class is checked
// once there) and leaves the index when it leaves the list or dies. Its
// entry is the square around its owner's bounding centre, and around the
// centre before the owner's last move, of half-side the hull's radius times
// the owner's larger absolute scale: everything the solver's reach test can
// accept, with some slack, so the index only ever adds candidates to that
// test. The hull and its owner report every change of those values
// (Hull::reachChanged). A hull without a finite square, or whose owner does
// not hold it (it would not report its moves), is a candidate everywhere.
//
// Entries are kept in list order (the list only appends; a hull that leaves
// leaves a hole until enough holes are squeezed out), so candidates come out
// in list order and the solver's first-in-list rules do not depend on the
// index. A short list is scanned, four squares at a time; a longer one has
// a uniform grid over the squares, one entry per cell or so. The tick (the
// list's destroying walk) checks membership and order, and indexes the list
// again if a hull joined another way (insertChildBefore/After).
#include <cstdint>
#include <vector>

#include "object/ZubBase.h"
#include "util/Math.h"

class Hull;

class HullList : public ZubBase {
public:
    HullList() = default;
    ~HullList() override;

    void addChild(ZubBase* child) override;
    void removeChild(ZubBase* child) override;
    void tick(double time, double dt) override;

    // The hull's reach changed; nothing when the hull is not indexed here.
    void refresh(Hull* hull);
    // The hull is being deleted.
    void forget(Hull* hull);

    // The indexed hulls that may reach the square of half-side `reach`
    // around `p`, in list order: `*count` hulls, valid until the next call
    // or a change of the list. Allocates nothing (the buffers grow as hulls
    // join).
    Hull* const* candidates(const V3& p, float reach, int* count);

    int indexedHulls() const { return live; }
    bool usesGrid() const { return slots() > kScanLimit; }

private:
    // Up to this many slots a query tests every square.
    static constexpr int kScanLimit = 32;

    // A square as x0, y0, -x1, -y1: it overlaps a query square (x0', y0',
    // x1', y1') when each of its numbers is at most the matching one of
    // (x1', y1', -x0', -y0').
    struct Square {
        float x0, y0, nx1, ny1;
    };
    // The squares of four slots, number by number, so that one comparison
    // tests a number of all four.
    struct alignas(16) Quad {
        float x0[4], y0[4], nx1[4], ny1[4];
    };

    struct Cells {
        int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        bool any() const { return x1 >= x0; }
    };

    int slots() const { return static_cast<int>(hulls.size()); }
    Square square(size_t slot) const {
        const Quad& q = quads[slot / 4];
        const size_t l = slot % 4;
        return Square{q.x0[l], q.y0[l], q.nx1[l], q.ny1[l]};
    }
    void setSquare(size_t slot, const Square& s) {
        Quad& q = quads[slot / 4];
        const size_t l = slot % 4;
        q.x0[l] = s.x0;
        q.y0[l] = s.y0;
        q.nx1[l] = s.nx1;
        q.ny1[l] = s.ny1;
    }
    // Four empty squares (+inf: no query reaches them).
    static Quad emptyQuad();
    void index(Hull* hull);
    // The square of the slot's hull (empty for a hole, everything when it
    // has none), then its place in the grid.
    void measure(int32_t slot);
    void place(int32_t slot);
    void unplace(int32_t slot);
    bool pastEdge(int32_t slot) const;
    Cells cellRange(float x0, float y0, float x1, float y1) const;
    // A new grid over the squares (cell size from their spread and number).
    void rebuildGrid();
    // candidates() through the grid, for the query square (x0, y0)-(x1, y1).
    Hull* const* gridCandidates(float qx0, float qy0, float qx1, float qy1, int* count);
    // Squeezes out the holes.
    void compact();
    // Every hull of the list again, in list order.
    void rebuildAll();

    // Per slot, in list order.
    std::vector<Hull*> hulls;        // null: a hole
    std::vector<Quad> quads;         // slot k's square in lane k % 4 of quad k / 4
    std::vector<Cells> covered;      // none: in `everywhere` (or a hole)
    std::vector<uint8_t> pastEdges;  // in cells, reaching past the grid's edge
    std::vector<uint32_t> stamps;
    // The grid: slots per cell, and the slots that are in no cell.
    std::vector<std::vector<int32_t>> cells;
    std::vector<int32_t> everywhere;
    int32_t gridW = 0, gridH = 0;
    float gridX = 0.0f, gridY = 0.0f, cellSize = 1.0f, invCellSize = 1.0f;
    int outside = 0;  // entries in cells reaching past the grid's edge
    int slotsAtRebuild = 0;
    // Query buffers.
    std::vector<int32_t> found;
    std::vector<Hull*> result;
    uint32_t queryStamp = 0;
    int live = 0;
};
