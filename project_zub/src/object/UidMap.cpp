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

void UidMap::grow() {
    std::vector<value_type> old;
    old.swap(slots);
    slots.assign(old.empty() ? 64 : old.size() * 2, value_type{0, nullptr});
    mask = static_cast<uint32_t>(slots.size() - 1);
    for (const value_type& s : old) {
        if (s.first == 0) continue;
        uint32_t i = static_cast<uint32_t>(s.first) & mask;
        while (slots[i].first != 0) i = (i + 1) & mask;
        slots[i] = s;
    }
}

std::pair<UidMap::iterator, bool> UidMap::emplace(int32_t uid, ZubBase* o) {
    if (uid <= 0) return {end(), false};
    if ((used + 1) * 2 > slots.size()) grow();
    uint32_t i = static_cast<uint32_t>(uid) & mask;
    for (; slots[i].first != 0; i = (i + 1) & mask)
        if (slots[i].first == uid) return {iterator(slots.data() + i, slots.data() + slots.size()), false};
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
    slots[i].first = 0;
    slots[i].second = nullptr;
    --used;
    orderHasErased = true;
    // Move later entries of the probe run back into the hole, so that no
    // lookup stops early at it.
    for (uint32_t j = (i + 1) & mask; slots[j].first != 0; j = (j + 1) & mask) {
        const uint32_t home = static_cast<uint32_t>(slots[j].first) & mask;
        const bool staysBehindHole = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (staysBehindHole) continue;
        slots[i] = slots[j];
        slots[j] = {0, nullptr};
        i = j;
    }
}

void UidMap::clear() {
    slots.clear();
    mask = 0;
    used = 0;
    order.clear();
    orderHasErased = orderUnsorted = false;
}

const std::vector<int32_t>& UidMap::ascending() const {
    if (orderUnsorted) {
        order.clear();
        for (const value_type& s : slots)
            if (s.first != 0) order.push_back(s.first);
        std::sort(order.begin(), order.end());
    } else if (orderHasErased) {
        order.erase(std::remove_if(order.begin(), order.end(), [this](int32_t uid) { return locate(uid) < 0; }),
                    order.end());
    }
    orderUnsorted = orderHasErased = false;
    return order;
}
