#include "objects/apples/AppleIndex.h"

#include <algorithm>
#include <cmath>

#include "objects/apples/Apple.h"

uint64_t AppleIndex::moveEpoch = 0;

namespace {

struct Entry {
    float lo, hi;  // the extent in x
    int order;     // the place in the list
    Apple* apple;
};

// One list's index. Two are kept: a server and a client in one process each
// ask their own list.
struct ListIndex {
    const ZubBase* list = nullptr;
    uint64_t stamp = 0, epoch = 0;
    bool valid = false;
    std::vector<Entry> entries;   // by lo
    std::vector<Apple*> inOrder;  // as the list has them
    float widest = 0.0f;          // the largest hi - lo
    bool unordered = false;       // an extent that is not a number: every query walks the list
};

ListIndex indexes[2];
int lastUsed = 0;
uint64_t buildCount = 0;

void build(ListIndex& ix, ZubBase* list, uint64_t epoch) {
    ++buildCount;
    ix.list = list;
    ix.stamp = list->childrenStamp();
    ix.epoch = epoch;
    ix.valid = true;
    ix.entries.clear();
    ix.inOrder.clear();
    ix.widest = 0.0f;
    ix.unordered = false;
    int order = 0;
    for (Apple* a : childrenOf<Apple>(list)) {
        const float r = std::fmax(std::fabs(a->boundingRadius), std::fabs(a->effectiveRadius()));
        const float lo = std::fmin(a->position.x, a->boundingCentre.x - r);
        const float hi = std::fmax(a->position.x, a->boundingCentre.x + r);
        if (!std::isfinite(lo) || !std::isfinite(hi)) ix.unordered = true;
        ix.entries.push_back({lo, hi, order++, a});
        ix.inOrder.push_back(a);
        ix.widest = std::fmax(ix.widest, hi - lo);
    }
    std::sort(ix.entries.begin(), ix.entries.end(),
              [](const Entry& a, const Entry& b) { return a.lo < b.lo || (a.lo == b.lo && a.order < b.order); });
}

}  // namespace

uint64_t AppleIndex::builds() { return buildCount; }

AppleIndex::Near::Near(ZubBase* list, float left, float right) {
    if (!list) return;
    ListIndex* ix = nullptr;
    for (int i = 0; i < 2; ++i)
        if (indexes[i].valid && indexes[i].list == list) ix = &indexes[i];
    if (!ix) {
        ix = &indexes[1 - lastUsed];
        ix->valid = false;
    }
    lastUsed = static_cast<int>(ix - indexes);
    if (!ix->valid || ix->stamp != list->childrenStamp() || ix->epoch != moveEpoch) build(*ix, list, moveEpoch);

    // Rounding of the callers' own tests: the range grows by a unit and a
    // thousandth of its size.
    const float slack = 1.0f + 1e-3f * (std::fabs(left) + std::fabs(right));
    left -= slack;
    right += slack;
    if (ix->unordered || !(left <= right)) {
        // Nothing to order by: every apple, as the list has them.
        more = ix->inOrder;
        data = more.data();
        count = static_cast<int>(more.size());
        return;
    }
    // The matches' places in the list, then the apples in that order.
    int orders[kLocal];
    std::vector<int> moreOrders;
    int m = 0;
    const float from = left - ix->widest;
    auto it = std::lower_bound(ix->entries.begin(), ix->entries.end(), from,
                               [](const Entry& e, float v) { return e.lo < v; });
    for (; it != ix->entries.end() && it->lo <= right; ++it) {
        if (it->hi < left) continue;
        if (m == kLocal) moreOrders.assign(orders, orders + kLocal);
        if (m < kLocal) orders[m] = it->order;
        else moreOrders.push_back(it->order);
        ++m;
    }
    const int* ordered = orders;
    if (m <= kLocal) {
        std::sort(orders, orders + m);
    } else {
        std::sort(moreOrders.begin(), moreOrders.end());
        ordered = moreOrders.data();
        more.resize(static_cast<size_t>(m));
        data = more.data();
    }
    Apple** out = m <= kLocal ? local : more.data();
    for (int i = 0; i < m; ++i) out[i] = ix->inOrder[static_cast<size_t>(ordered[i])];
    count = m;
}
