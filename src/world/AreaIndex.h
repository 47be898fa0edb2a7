#pragma once
// Where the level's areas (water, mud, acid, danger: the AreaQuery objects
// of the danger area list) may be: a grid of square cells, each listing the
// areas whose bounding circle reaches into it.
//
// Every area test (AreaQuery::containsPoint, containsObject) first asks
// whether the point or the object's bounding circle meets the area's
// bounding circle, so an area outside the cells of a query cannot pass it.
// A query gives the areas of its cells in the order of the list, which the
// searches keep (the first area wins a tie), and the caller still runs the
// test itself: the answer is the one a walk of the whole list gives, at the
// cost of the few areas near the point instead of all of them.
//
// The grid is rebuilt, at the next query, when the list's children change
// (ZubBase::childrenStamp) or an area's bounding circle does
// (boundsChanged, which areas call whenever theirs is computed). Objects
// flagged for deletion or disabled stay in the grid; the query skips them,
// as the list's iteration does.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "util/Math.h"

class A99Object;
class AreaQuery;
class ZubBase;

class AreaIndex {
public:
    // The edge of a cell, in world units: about the size of an area, so that
    // most areas fall into a few cells and a point's cell holds few areas.
    static constexpr float CELL = 256.0f;
    // An area that would fill more cells than this is listed apart, among
    // the areas every query is given.
    static constexpr int MAX_CELLS = 64;

    struct Entry {
        A99Object* object;
        AreaQuery* area;
    };

    // An area's bounding circle has been computed anew: every index rebuilds
    // before its next query.
    static void boundsChanged() { ++boundsStamp; }

    // The areas of `list` that may meet the circle of radius r around p (a
    // point: r 0; an object: its bounds), in list order, live ones only
    // (neither flagged for deletion nor disabled).
    const std::vector<Entry>& nearCircle(ZubBase* list, const V3& p, float r);

private:
    void refresh(ZubBase* list);
    // `found` from the entries of the cells x0..x1 by y0..y1 and the wide
    // ones, or from every entry.
    void collect(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    void collectAll();
    static uint64_t cellKey(int64_t x, int64_t y);
    static int64_t cellOf(float v);

    static uint64_t boundsStamp;

    ZubBase* builtList = nullptr;
    uint64_t builtChildren = 0;
    uint64_t builtBounds = 0;
    bool bBuilt = false;

    std::vector<Entry> entries;                                 // the list's areas, in list order
    std::unordered_map<uint64_t, std::vector<uint32_t>> cells;  // entry numbers, ascending
    std::vector<uint32_t> wide;                                 // entries in every query
    std::vector<uint32_t> scratch;
    std::vector<Entry> found;
};
