#pragma once
// The registry's map from UID to object.
//
// UIDs are positive and mostly handed out in sequence, so the map is an
// open-addressing table indexed by the UID's low bits: a lookup is a mask and
// usually one probe, with no hashing and no nodes. An erased slot is marked
// rather than emptied (sequential UIDs fill long runs of slots, which a
// shifting erase would walk); the marks go when the table is rebuilt.
//
// It keeps the UIDs in ascending order as well, for writers that walk the
// registry in order; that list is brought up to date only when asked for
// after a change (an erase costs a filter, an insert below the largest UID a
// sort).
//
// The interface is the part of std::unordered_map that the registry's users
// need; elements are {first: UID, second: object}, in no particular order.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class ZubBase;

class UidMap {
public:
    struct value_type {
        int32_t first;  // 0: a free slot; ERASED: a slot whose entry was erased
        ZubBase* second;
    };
    static constexpr int32_t ERASED = -1;

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
        if (uid <= 0 || slots.empty()) return nullptr;
        for (uint32_t i = static_cast<uint32_t>(uid) & mask;; i = (i + 1) & mask) {
            const value_type& s = slots[i];
            if (s.first == uid) return s.second;
            if (s.first == 0) return nullptr;
        }
    }

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
    int64_t locate(int32_t uid) const;  // the slot holding the UID, or -1
    void rebuild(size_t slotCount);
    void eraseSlot(uint32_t slot);

    std::vector<value_type> slots;  // a power of two, at most half used or marked
    uint32_t mask = 0;
    size_t used = 0;
    size_t erased = 0;  // marked slots
    mutable std::vector<int32_t> order;
    mutable bool orderHasErased = false;  // order may list UIDs that are gone
    mutable bool orderUnsorted = false;   // order is out of order or incomplete
};
