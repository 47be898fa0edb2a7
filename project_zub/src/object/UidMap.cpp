#include "object/UidMap.h"

#include <algorithm>

int64_t UidMap::locate(int32_t uid) const {
    if (uid <= 0 || slots.empty()) return -1;
    for (uint32_t i = static_cast<uint32_t>(uid) & mask;; i = (i + 1) & mask) {
        if (slots[i].first == uid) return i;
        if (slots[i].first == 0) return -1;
    }
}

UidMap::iterator UidMap::find(int32_t uid) {
    const int64_t slot = locate(uid);
    if (slot < 0) return end();
    return {slots.data() + slot, slots.data() + slots.size()};
}

void UidMap::rebuild(size_t slotCount) {
    std::vector<value_type> old;
    old.swap(slots);
    slots.assign(slotCount, value_type{0, nullptr});
    mask = static_cast<uint32_t>(slotCount - 1);
    erased = 0;
    for (const value_type& s : old) {
        if (s.first <= 0) continue;
        uint32_t i = static_cast<uint32_t>(s.first) & mask;
        while (slots[i].first != 0) i = (i + 1) & mask;
        slots[i] = s;
    }
}

std::pair<UidMap::iterator, bool> UidMap::emplace(int32_t uid, ZubBase* o) {
    if (uid <= 0) return {end(), false};
    if ((used + erased + 1) * 2 > slots.size()) {
        // Grow when live entries fill a quarter; otherwise only drop the marks.
        const size_t n = slots.empty() ? 64 : (used + 1) * 4 > slots.size() ? slots.size() * 2 : slots.size();
        rebuild(n);
    }
    int64_t reuse = -1;
    uint32_t i = static_cast<uint32_t>(uid) & mask;
    for (; slots[i].first != 0; i = (i + 1) & mask) {
        if (slots[i].first == uid) return {iterator(slots.data() + i, slots.data() + slots.size()), false};
        if (slots[i].first == ERASED && reuse < 0) reuse = i;
    }
    if (reuse >= 0) {
        i = static_cast<uint32_t>(reuse);
        --erased;
    }
    slots[i] = {uid, o};
    ++used;
    if (!orderUnsorted && (order.empty() || uid > order.back())) order.push_back(uid);
    else orderUnsorted = true;
    return {iterator(slots.data() + i, slots.data() + slots.size()), true};
}

ZubBase*& UidMap::operator[](int32_t uid) {
    static ZubBase* none;
    none = nullptr;
    if (uid <= 0) return none;
    return emplace(uid, nullptr).first->second;
}

size_t UidMap::erase(int32_t uid) {
    const int64_t slot = locate(uid);
    if (slot < 0) return 0;
    eraseSlot(static_cast<uint32_t>(slot));
    return 1;
}

void UidMap::eraseSlot(uint32_t i) {
    slots[i] = {ERASED, nullptr};
    --used;
    ++erased;
    orderHasErased = true;
    // Marks left by many erases (a whole level or packet taken back) would
    // make every later probe walk their run: once they outnumber the
    // entries, the table is rebuilt without them.
    if (erased > 64 && erased > used) rebuild(slots.size());
}

void UidMap::clear() {
    slots.clear();
    mask = 0;
    used = erased = 0;
    order.clear();
    orderHasErased = orderUnsorted = false;
}

const std::vector<int32_t>& UidMap::ascending() const {
    if (orderUnsorted) {
        order.clear();
        for (const value_type& s : slots)
            if (s.first > 0) order.push_back(s.first);
        std::sort(order.begin(), order.end());
    } else if (orderHasErased) {
        order.erase(std::remove_if(order.begin(), order.end(), [this](int32_t uid) { return locate(uid) < 0; }),
                    order.end());
    }
    orderUnsorted = orderHasErased = false;
    return order;
}
