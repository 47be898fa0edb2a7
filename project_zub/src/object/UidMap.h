#pragma once
// The registry's map from UID to object.
//
// UIDs are positive and mostly handed out in sequence, so the map is an
// open-addressing table indexed by the UID's low bits: a lookup is a mask and
// usually one probe, with no hashing and no nodes.
//
// Entries that meet in a slot go on to the next ones in Robin Hood order:
// along a run of slots the entries stand in the order of the slots their
// UIDs name, so a lookup stops as soon as it meets an entry nearer its own
// slot than the UID looked for would be, and an erase moves the entries
// after it back by one until one stands in its own slot. No erased slot is
// left marked: however long objects come and go, a lookup or an insert looks
// at no more slots than the entries stand away from their own (a sequential
// UID that meets an object living long is moved on by one, and the UIDs
// after it with it, until that entry goes).
//
// It keeps the UIDs in ascending order as well, for writers that walk the
// registry in order; that list is brought up to date only when asked for
// after a change (an erase costs a filter, an insert below the largest UID a
// sort).
//
// The interface is the part of std::unordered_map that the registry's users
// need; elements are {first: UID, second: object}, in no particular order.
// An erase moves other entries: iterators do not survive it.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class ZubBase;

class UidMap {
public:
    struct value_type {
        int32_t first;  // 0: a free slot
        ZubBase* second;
    };

    template <class V>
    class basic_iterator {
    public:
        basic_iterator(V* at, V* end) : at(at), end(end) { skipFree(); }
        V& operator*() const { return *at; }
        V* operator->() const { return at; }
        basic_iterator& operator++() {
            ++at;
            skipFree();
            return *this;
        }
        bool operator==(const basic_iterator& o) const { return at == o.at; }
        bool operator!=(const basic_iterator& o) const { return at != o.at; }

    private:
        friend class UidMap;
        void skipFree() {
            while (at != end && at->first <= 0) ++at;
        }
        V* at;
        V* end;
    };
    using iterator = basic_iterator<value_type>;
    using const_iterator = basic_iterator<const value_type>;

    // The object registered under the UID, or null.
    ZubBase* get(int32_t uid) const {
        const int64_t slot = locate(uid);
        return slot < 0 ? nullptr : slots[static_cast<size_t>(slot)].second;
    }
    // How many slots a lookup of the UID looks at (for tests and measures);
    // adding the UID looks at as many before it places it.
    size_t probes(int32_t uid) const;
    // How many slots the table has (for tests and measures).
    size_t bucket_count() const { return slots.size(); }

    iterator begin() { return {slots.data(), slots.data() + slots.size()}; }
    iterator end() { return {slots.data() + slots.size(), slots.data() + slots.size()}; }
    const_iterator begin() const { return {slots.data(), slots.data() + slots.size()}; }
    const_iterator end() const { return {slots.data() + slots.size(), slots.data() + slots.size()}; }

    iterator find(int32_t uid);
    size_t count(int32_t uid) const { return locate(uid) >= 0 ? 1 : 0; }
    size_t size() const { return used; }
    bool empty() const { return used == 0; }

    // Adds the pair unless the UID is there already (then nothing changes).
    // A UID below 1 is never added.
    std::pair<iterator, bool> emplace(int32_t uid, ZubBase* o);
    // The object under the UID, added as null when missing.
    ZubBase*& operator[](int32_t uid);
    size_t erase(int32_t uid);
    void erase(iterator it) { eraseSlot(static_cast<uint32_t>(it.at - slots.data())); }
    void clear();

    // Every UID, in ascending order. The list stays valid until the map changes.
    const std::vector<int32_t>& ascending() const;

private:
    // The slot holding the UID, or -1. Inline: every packet's objects are
    // found through it.
    int64_t locate(int32_t uid) const {
        if (uid <= 0 || slots.empty()) return -1;
        uint32_t i = static_cast<uint32_t>(uid) & mask;
        for (uint32_t d = 0; d <= mask; ++d, i = (i + 1) & mask) {
            const int32_t there = slots[i].first;
            if (there == uid) return i;
            if (there == 0 || distance(i, there) < d) return -1;
        }
        return -1;
    }
    // How far the slot is from the one the UID names.
    uint32_t distance(uint32_t slot, int32_t uid) const { return (slot - static_cast<uint32_t>(uid)) & mask; }
    // Places an entry that is not in the table.
    void place(value_type entry);
    void rebuild(size_t slotCount);
    void eraseSlot(uint32_t slot);

    std::vector<value_type> slots;  // a power of two, at most half used
    uint32_t mask = 0;
    size_t used = 0;
    mutable std::vector<int32_t> order;
    mutable bool orderHasErased = false;  // order may list UIDs that are gone
    mutable bool orderUnsorted = false;   // order is out of order or incomplete
};
