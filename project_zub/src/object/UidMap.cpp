#include "object/UidMap.h"

#include <algorithm>

size_t UidMap::probes(int32_t uid) const {
    if (uid <= 0 || slots.empty()) return 0;
    uint32_t i = static_cast<uint32_t>(uid) & mask;
    size_t n = 0;
    for (uint32_t d = 0; d <= mask; ++d, i = (i + 1) & mask) {
        ++n;
        const int32_t there = slots[i].first;
        if (there == uid || there == 0 || distance(i, there) < d) break;
    }
    return n;
}

UidMap::iterator UidMap::find(int32_t uid) {
    const int64_t slot = locate(uid);
    if (slot < 0) return end();
    return {slots.data() + slot, slots.data() + slots.size()};
}

void UidMap::place(value_type entry) {
    // Robin Hood: an entry farther from its own slot than the one standing
    // in a slot takes that slot, and the one it displaced goes on.
    uint32_t i = static_cast<uint32_t>(entry.first) & mask;
    uint32_t d = 0;
    for (size_t n = 0; n < slots.size(); ++n) {
        value_type& s = slots[i];
        if (s.first == 0) {
            s = entry;
            return;
        }
        const uint32_t theirs = distance(i, s.first);
        if (theirs < d) {
            std::swap(s, entry);
            d = theirs;
        }
        i = (i + 1) & mask;
        ++d;
    }
    // No free slot (the load rule leaves half of them free, so this only
    // guards against going round for ever): a larger table.
    rebuild(slots.size() * 2);
    place(entry);
}

void UidMap::rebuild(size_t slotCount) {
    std::vector<value_type> old;
    old.swap(slots);
    slots.assign(slotCount, value_type{0, nullptr});
    mask = static_cast<uint32_t>(slotCount - 1);
    for (const value_type& s : old)
        if (s.first > 0) place(s);
}

std::pair<UidMap::iterator, bool> UidMap::emplace(int32_t uid, ZubBase* o) {
    if (uid <= 0) return {end(), false};
    const int64_t there = locate(uid);
    if (there >= 0) return {iterator(slots.data() + there, slots.data() + slots.size()), false};
    // At most half of the slots is used: runs stay short (UIDs handed out
    // in sequence each have a slot of their own) and there is always a free
    // slot to end them; a level's tens of thousands of objects take half
    // the fresh memory a sparser table would.
    if (slots.empty()) rebuild(64);
    else if ((used + 1) * 2 > slots.size()) rebuild(slots.size() * 2);
    place(value_type{uid, o});
    ++used;
    if (!orderUnsorted && (order.empty() || uid > order.back())) order.push_back(uid);
    else orderUnsorted = true;
    return {iterator(slots.data() + locate(uid), slots.data() + slots.size()), true};
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
    --used;
    orderHasErased = true;
    // The entries after it that stand away from their own slots move back
    // by one, up to a free slot or one that stands in its own.
    for (uint32_t j = (i + 1) & mask; slots[j].first != 0 && distance(j, slots[j].first) > 0; j = (j + 1) & mask) {
        slots[i] = slots[j];
        i = j;
    }
    slots[i] = {0, nullptr};
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
            if (s.first > 0) order.push_back(s.first);
        std::sort(order.begin(), order.end());
    } else if (orderHasErased) {
        order.erase(std::remove_if(order.begin(), order.end(), [this](int32_t uid) { return locate(uid) < 0; }),
                    order.end());
    }
    orderUnsorted = orderHasErased = false;
    return order;
}
