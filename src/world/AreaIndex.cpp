#include "world/AreaIndex.h"

#include <algorithm>
#include <cmath>

#include "object/ZubBase.h"
#include "world/A99Object.h"

uint64_t AreaIndex::boundsStamp = 0;

namespace {
// Cells beyond this many from the origin are counted as this one: the level
// is far smaller, and a far point still finds the areas out there.
constexpr double CELL_LIMIT = 1.0e6;

// Neither flagged for deletion nor disabled, as the list's iteration has it.
bool isLive(const AreaIndex::Entry& e) { return !e.object->bToBeDestroyed && !e.object->bDisabled; }
}  // namespace

int64_t AreaIndex::cellOf(float v) {
    const double c = std::floor(static_cast<double>(v) / CELL);
    return static_cast<int64_t>(std::clamp(c, -CELL_LIMIT, CELL_LIMIT));
}

uint64_t AreaIndex::cellKey(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
}

void AreaIndex::refresh(ZubBase* list) {
    const uint64_t children = list ? list->childrenStamp() : 0;
    if (bBuilt && list == builtList && children == builtChildren && boundsStamp == builtBounds) return;
    bBuilt = true;
    builtList = list;
    builtChildren = children;
    builtBounds = boundsStamp;
    entries.clear();
    cells.clear();
    wide.clear();
    if (!list) return;
    for (ZubBase* c = list->firstChild; c; c = c->nextSibling) {
        A99Object* o = zub_cast<A99Object>(c);
        AreaQuery* area = o ? o->asAreaQuery() : nullptr;
        if (!area) continue;
        const uint32_t n = static_cast<uint32_t>(entries.size());
        entries.push_back({o, area});
        const V3& centre = o->boundingCentre;
        const float r = o->boundingRadius;
        if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(r)) {
            wide.push_back(n);
            continue;
        }
        const float reach = std::fabs(r);  // the distance tests square it
        const int64_t x0 = cellOf(centre.x - reach), x1 = cellOf(centre.x + reach);
        const int64_t y0 = cellOf(centre.y - reach), y1 = cellOf(centre.y + reach);
        if ((x1 - x0 + 1) * (y1 - y0 + 1) > MAX_CELLS) {
            wide.push_back(n);
            continue;
        }
        for (int64_t x = x0; x <= x1; ++x)
            for (int64_t y = y0; y <= y1; ++y) cells[cellKey(x, y)].push_back(n);
    }
}

void AreaIndex::collect(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    scratch.assign(wide.begin(), wide.end());
    for (int64_t x = x0; x <= x1; ++x) {
        for (int64_t y = y0; y <= y1; ++y) {
            auto it = cells.find(cellKey(x, y));
            if (it != cells.end()) scratch.insert(scratch.end(), it->second.begin(), it->second.end());
        }
    }
    std::sort(scratch.begin(), scratch.end());
    scratch.erase(std::unique(scratch.begin(), scratch.end()), scratch.end());
    found.clear();
    for (uint32_t n : scratch)
        if (isLive(entries[n])) found.push_back(entries[n]);
}

void AreaIndex::collectAll() {
    found.clear();
    for (const Entry& e : entries)
        if (isLive(e)) found.push_back(e);
}

const std::vector<AreaIndex::Entry>& AreaIndex::nearCircle(ZubBase* list, const V3& p, float r) {
    refresh(list);
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(r)) {
        // No cell to look in: every area, as the walk of the list has them.
        collectAll();
        return found;
    }
    const float reach = std::fabs(r);  // the distance tests square it
    const int64_t x0 = cellOf(p.x - reach), x1 = cellOf(p.x + reach);
    const int64_t y0 = cellOf(p.y - reach), y1 = cellOf(p.y + reach);
    if ((x1 - x0 + 1) * (y1 - y0 + 1) > MAX_CELLS * MAX_CELLS) {
        // A circle wider than the grid is worth looking through: every area.
        collectAll();
        return found;
    }
    collect(x0, y0, x1, y1);
    return found;
}
