#include "world/HullList.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "world/A99Object.h"
#include "world/Hull.h"

namespace {

// An entry covering more cells than this is a candidate everywhere (still
// tested against its square).
constexpr int kMaxCellsPerEntry = 16;
constexpr int32_t kMaxGridSide = 1024;
// Holes are squeezed out when there are more of them than live entries
// (and more than this).
constexpr int kMaxHoles = 8;
// Relative slack of every square: the solver's reach test rounds a few
// times (about 1e-7 each); this is a hundred times more.
constexpr float kSlack = 1e-5f;
constexpr float kInf = std::numeric_limits<float>::infinity();

bool isHull(const ZubBase* o) {
    const RuntimeClass* c = o->getClass();
    return c == &Hull::classRecord || c->isDerivedFrom(&Hull::classRecord);
}

bool finite4(float a, float b, float c, float d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

void drop(std::vector<int32_t>& v, int32_t slot) {
    auto it = std::find(v.begin(), v.end(), slot);
    if (it == v.end()) return;
    *it = v.back();
    v.pop_back();
}

}  // namespace

HullList::~HullList() {
    // The hulls outlive the index (the base class deletes them afterwards):
    // they must not report back to it.
    for (Hull* h : hulls)
        if (h) {
            h->pIndex = nullptr;
            h->indexEntry = -1;
        }
}

void HullList::addChild(ZubBase* child) {
    ZubBase::addChild(child);
    if (child && child->parent == this && isHull(child)) index(static_cast<Hull*>(child));
}

void HullList::removeChild(ZubBase* child) {
    if (child && child->parent == this && isHull(child)) forget(static_cast<Hull*>(child));
    ZubBase::removeChild(child);
}

void HullList::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    // Every hull of the list indexed, in list order.
    int32_t last = -1;
    int n = 0;
    for (ZubBase* c = firstChild; c; c = c->nextSibling) {
        if (!isHull(c)) continue;
        const Hull* h = static_cast<const Hull*>(c);
        if (h->pIndex != this || h->indexEntry <= last) {
            rebuildAll();
            return;
        }
        last = h->indexEntry;
        ++n;
    }
    if (n != live) rebuildAll();
}

HullList::Quad HullList::emptyQuad() {
    Quad q;
    for (int l = 0; l < 4; ++l) q.x0[l] = q.y0[l] = q.nx1[l] = q.ny1[l] = kInf;
    return q;
}

// ---------------------------------------------------------------------------
// Entries

void HullList::index(Hull* h) {
    if (h->pIndex) h->pIndex->forget(h);
    const int32_t slot = slots();
    hulls.push_back(h);
    if (slot % 4 == 0) quads.push_back(emptyQuad());
    covered.emplace_back();
    pastEdges.push_back(0);
    stamps.push_back(0);
    h->pIndex = this;
    h->indexEntry = slot;
    ++live;
    // Queries never grow these.
    found.reserve(hulls.size());
    result.resize(hulls.size());
    measure(slot);
    if (slots() > kScanLimit && (gridW == 0 || slots() > 2 * slotsAtRebuild)) rebuildGrid();
    else place(slot);
}

void HullList::forget(Hull* h) {
    if (h->pIndex != this) return;
    const int32_t slot = h->indexEntry;
    unplace(slot);
    hulls[static_cast<size_t>(slot)] = nullptr;
    measure(slot);
    h->pIndex = nullptr;
    h->indexEntry = -1;
    --live;
    const int holes = slots() - live;
    if (holes > kMaxHoles && holes > live) compact();
}

void HullList::refresh(Hull* h) {
    if (h->pIndex != this) return;
    const int32_t slot = h->indexEntry;
    const size_t k = static_cast<size_t>(slot);
    measure(slot);
    if (gridW == 0) return;
    const Square q = square(k);
    const Cells now = cellRange(q.x0, q.y0, -q.nx1, -q.ny1);
    const Cells& was = covered[k];
    if (was.any() && finite4(q.x0, q.y0, q.nx1, q.ny1) && now.x0 == was.x0 && now.y0 == was.y0 && now.x1 == was.x1 &&
        now.y1 == was.y1) {
        // The usual small move: the same cells, only the square changed.
        outside -= pastEdges[k];
        pastEdges[k] = static_cast<uint8_t>(pastEdge(slot));
        outside += pastEdges[k];
        return;
    }
    unplace(slot);
    place(slot);
    if (outside > live / 4 + 8) rebuildGrid();
}

void HullList::measure(int32_t slot) {
    const size_t k = static_cast<size_t>(slot);
    Hull* h = hulls[k];
    if (!h) {
        // A hole: no query reaches it.
        setSquare(k, Square{kInf, kInf, kInf, kInf});
        return;
    }
    A99Object* o = h->owner();
    if (o && o->getHull() == h) {
        // The reach test accepts points within |radius * scale + margin| of
        // the centre, never more than |radius * scale| + margin.
        const float sx = std::fabs(o->scale.x), sy = std::fabs(o->scale.y);
        const float r = std::fabs(h->boundingRadius * (sx > sy ? sx : sy));
        const V3& c = o->boundingCentre;
        float x0 = c.x - r, y0 = c.y - r, x1 = c.x + r, y1 = c.y + r;
        if (o->prevFrameStamp != -1) {
            // In the frame of a move the test is centred where the owner was.
            const V3& p = o->prevWorldPosition;
            x0 = std::min(x0, p.x - r);
            y0 = std::min(y0, p.y - r);
            x1 = std::max(x1, p.x + r);
            y1 = std::max(y1, p.y + r);
        }
        const float far = std::max(std::max(std::fabs(x0), std::fabs(x1)), std::max(std::fabs(y0), std::fabs(y1)));
        const float slack = 1e-3f + kSlack * (r + far);
        const Square q{x0 - slack, y0 - slack, -(x1 + slack), -(y1 + slack)};
        if (finite4(q.x0, q.y0, q.nx1, q.ny1)) {
            setSquare(k, q);
            return;
        }
    }
    // Without an owner (the hull is about to go), with an owner that holds
    // another hull (its moves are not reported for this one) or without a
    // finite square: everywhere.
    setSquare(k, Square{-kInf, -kInf, -kInf, -kInf});
}

// ---------------------------------------------------------------------------
// The grid

HullList::Cells HullList::cellRange(float x0, float y0, float x1, float y1) const {
    // Clamped to the grid: what lies beyond the edge is in the edge's cells,
    // for entries and queries alike, so overlapping squares share a cell.
    auto cell = [this](float v, float origin, int32_t n) {
        const float f = (v - origin) * invCellSize;
        if (!(f > 0.0f)) return 0;
        if (f >= static_cast<float>(n - 1)) return n - 1;
        return static_cast<int32_t>(f);
    };
    Cells c;
    c.x0 = cell(x0, gridX, gridW);
    c.x1 = cell(x1, gridX, gridW);
    c.y0 = cell(y0, gridY, gridH);
    c.y1 = cell(y1, gridY, gridH);
    return c;
}

bool HullList::pastEdge(int32_t slot) const {
    const Square q = square(static_cast<size_t>(slot));
    return q.x0 < gridX || q.y0 < gridY || -q.nx1 > gridX + cellSize * static_cast<float>(gridW) ||
           -q.ny1 > gridY + cellSize * static_cast<float>(gridH);
}

void HullList::place(int32_t slot) {
    const size_t k = static_cast<size_t>(slot);
    covered[k] = Cells();
    pastEdges[k] = 0;
    if (gridW == 0 || !hulls[k]) return;
    const Square q = square(k);
    if (finite4(q.x0, q.y0, q.nx1, q.ny1)) {
        const Cells c = cellRange(q.x0, q.y0, -q.nx1, -q.ny1);
        if ((c.x1 - c.x0 + 1) * (c.y1 - c.y0 + 1) <= kMaxCellsPerEntry) {
            covered[k] = c;
            for (int32_t y = c.y0; y <= c.y1; ++y)
                for (int32_t x = c.x0; x <= c.x1; ++x) cells[static_cast<size_t>(y * gridW + x)].push_back(slot);
            pastEdges[k] = static_cast<uint8_t>(pastEdge(slot));
            outside += pastEdges[k];
            return;
        }
    }
    everywhere.push_back(slot);
}

void HullList::unplace(int32_t slot) {
    const size_t k = static_cast<size_t>(slot);
    if (gridW == 0) return;
    Cells& c = covered[k];
    if (!c.any()) {
        if (hulls[k]) drop(everywhere, slot);
        return;
    }
    for (int32_t y = c.y0; y <= c.y1; ++y)
        for (int32_t x = c.x0; x <= c.x1; ++x) drop(cells[static_cast<size_t>(y * gridW + x)], slot);
    outside -= pastEdges[k];
    pastEdges[k] = 0;
    c = Cells();
}

void HullList::rebuildGrid() {
    for (auto& c : cells) c.clear();
    everywhere.clear();
    outside = 0;
    slotsAtRebuild = slots();
    if (slots() <= kScanLimit) {
        // Short lists are scanned.
        gridW = gridH = 0;
        for (size_t k = 0; k < covered.size(); ++k) {
            covered[k] = Cells();
            pastEdges[k] = 0;
        }
        return;
    }
    // The spread of the finite squares.
    float x0 = kInf, y0 = kInf, x1 = -kInf, y1 = -kInf;
    int n = 0;
    for (size_t k = 0; k < hulls.size(); ++k) {
        const Square q = square(k);
        if (!hulls[k] || !finite4(q.x0, q.y0, q.nx1, q.ny1)) continue;
        x0 = std::min(x0, q.x0);
        y0 = std::min(y0, q.y0);
        x1 = std::max(x1, -q.nx1);
        y1 = std::max(y1, -q.ny1);
        ++n;
    }
    if (n == 0) x0 = y0 = x1 = y1 = 0.0f;
    // About one entry per cell.
    const float w = std::max(x1 - x0, 1.0f), h = std::max(y1 - y0, 1.0f);
    float size = std::sqrt(w * h / static_cast<float>(std::max(n, 1)));
    size = std::max(size, std::max(w, h) / static_cast<float>(kMaxGridSide));
    cellSize = std::max(size, 1.0f);
    invCellSize = 1.0f / cellSize;
    gridX = x0;
    gridY = y0;
    gridW = std::clamp(static_cast<int32_t>(std::ceil(w / cellSize)), 1, kMaxGridSide);
    gridH = std::clamp(static_cast<int32_t>(std::ceil(h / cellSize)), 1, kMaxGridSide);
    cells.resize(static_cast<size_t>(gridW) * static_cast<size_t>(gridH));
    for (int32_t slot = 0; slot < slots(); ++slot) place(slot);
}

void HullList::compact() {
    size_t to = 0;
    for (size_t k = 0; k < hulls.size(); ++k) {
        if (!hulls[k]) continue;
        hulls[to] = hulls[k];
        setSquare(to, square(k));
        hulls[to]->indexEntry = static_cast<int32_t>(to);
        ++to;
    }
    // Lanes past the last slot are empty.
    quads.resize((to + 3) / 4);
    for (size_t k = to; k < 4 * quads.size(); ++k) setSquare(k, Square{kInf, kInf, kInf, kInf});
    hulls.resize(to);
    result.resize(to);
    covered.resize(to);
    pastEdges.resize(to);
    stamps.assign(to, 0);
    rebuildGrid();
}

void HullList::rebuildAll() {
    for (Hull* h : hulls)
        if (h) {
            h->pIndex = nullptr;
            h->indexEntry = -1;
        }
    hulls.clear();
    quads.clear();
    covered.clear();
    pastEdges.clear();
    stamps.clear();
    live = 0;
    gridW = gridH = 0;
    slotsAtRebuild = 0;
    for (ZubBase* c = firstChild; c; c = c->nextSibling)
        if (isHull(c)) index(static_cast<Hull*>(c));
    rebuildGrid();
}

// ---------------------------------------------------------------------------
// Queries

Hull* const* HullList::candidates(const V3& p, float reach, int* count) {
    const float slack = 1e-3f + kSlack * (std::fabs(p.x) + std::fabs(p.y) + std::fabs(reach));
    const float qx0 = p.x - reach - slack, qy0 = p.y - reach - slack;
    const float qx1 = p.x + reach + slack, qy1 = p.y + reach + slack;
    Hull** out = result.data();
    size_t taken = 0;
    // Whether all four corners are finite (a slack that is not makes them
    // not finite either).
#if defined(__SSE__)
    const __m128 q = _mm_setr_ps(qx0, qy0, qx1, qy1);
    const __m128 zero = _mm_sub_ps(q, q);  // 0 where finite
    const bool finite = _mm_movemask_ps(_mm_cmpeq_ps(zero, zero)) == 0xF;
#else
    const bool finite = finite4(qx0, qy0, qx1, qy1);
#endif
    if (!finite) {
        // No square to test: every hull.
        for (Hull* h : hulls)
            if (h) out[taken++] = h;
        *count = static_cast<int>(taken);
        return out;
    }
    if (gridW != 0) return gridCandidates(qx0, qy0, qx1, qy1, count);
    // Slots are in list order (holes and the lanes past the last slot never
    // overlap). Four squares are tested at once; the overlapping ones are
    // taken by branches rather than by arithmetic on the results, so that
    // the solver can go on with the hulls it usually gets (the branches
    // guess right) before the tests are done.
    const Quad* qs = quads.data();
    const size_t n = quads.size();
    Hull* const* hs = hulls.data();
#if defined(__SSE__)
    const __m128 x1 = _mm_set1_ps(qx1), y1 = _mm_set1_ps(qy1);
    const __m128 nx0 = _mm_set1_ps(-qx0), ny0 = _mm_set1_ps(-qy0);
#endif
    for (size_t j = 0; j < n; ++j) {
        const Quad& b = qs[j];
#if defined(__SSE__)
        const __m128 in =
            _mm_and_ps(_mm_and_ps(_mm_cmple_ps(_mm_load_ps(b.x0), x1), _mm_cmple_ps(_mm_load_ps(b.y0), y1)),
                       _mm_and_ps(_mm_cmple_ps(_mm_load_ps(b.nx1), nx0), _mm_cmple_ps(_mm_load_ps(b.ny1), ny0)));
        const int four = _mm_movemask_ps(in);
#else
        int four = 0;
        for (int l = 0; l < 4; ++l)
            four |= ((b.x0[l] <= qx1) & (b.y0[l] <= qy1) & (b.nx1[l] <= -qx0) & (b.ny1[l] <= -qy0)) << l;
#endif
        if (!four) continue;
        Hull* const* h = hs + 4 * j;
        if (four & 1) out[taken++] = h[0];
        if (four & 2) out[taken++] = h[1];
        if (four & 4) out[taken++] = h[2];
        if (four & 8) out[taken++] = h[3];
    }
    *count = static_cast<int>(taken);
    return out;
}

Hull* const* HullList::gridCandidates(float qx0, float qy0, float qx1, float qy1, int* count) {
    auto overlaps = [&](size_t k) {
        const Quad& b = quads[k / 4];
        const size_t l = k % 4;
        return (b.x0[l] <= qx1) & (b.y0[l] <= qy1) & (b.nx1[l] <= -qx0) & (b.ny1[l] <= -qy0);
    };
    found.clear();
    if (++queryStamp == 0) {
        std::fill(stamps.begin(), stamps.end(), 0u);
        queryStamp = 1;
    }
    const Cells c = cellRange(qx0, qy0, qx1, qy1);
    const bool single = c.x0 == c.x1 && c.y0 == c.y1;
    for (int32_t y = c.y0; y <= c.y1; ++y) {
        for (int32_t x = c.x0; x <= c.x1; ++x) {
            for (int32_t slot : cells[static_cast<size_t>(y * gridW + x)]) {
                const size_t k = static_cast<size_t>(slot);
                if (!single) {
                    // A square in several of the cells is taken once.
                    if (stamps[k] == queryStamp) continue;
                    stamps[k] = queryStamp;
                }
                if (overlaps(k)) found.push_back(slot);
            }
        }
    }
    for (int32_t slot : everywhere)
        if (overlaps(static_cast<size_t>(slot))) found.push_back(slot);
    // List order.
    if (found.size() > 16) {
        std::sort(found.begin(), found.end());
    } else {
        for (size_t i = 1; i < found.size(); ++i) {
            const int32_t slot = found[i];
            size_t j = i;
            for (; j > 0 && slot < found[j - 1]; --j) found[j] = found[j - 1];
            found[j] = slot;
        }
    }
    Hull** out = result.data();
    size_t taken = 0;
    for (int32_t slot : found) out[taken++] = hulls[static_cast<size_t>(slot)];
    *count = static_cast<int>(taken);
    return out;
}
