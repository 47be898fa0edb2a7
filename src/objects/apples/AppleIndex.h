#pragma once
// The apples of an apple list ordered by x, for the searches that baskets and
// animals make every tick: each asks only the apples whose extent in x can
// reach its own, instead of every apple of the level.
//
// An apple's extent covers its position and its bounding circle (with the
// effective radius, whichever is larger). The index is made again when it is
// asked after the list's children changed or any apple's transform changed,
// so it always answers for the apples as they stand: in a level whose apples
// rest it is made once per frame at most. The answer is given in list order,
// and the caller applies its own full test to each apple, so every search
// chooses what a walk over the whole list would choose.
#include <cstdint>
#include <vector>

class Apple;
class ZubBase;

class AppleIndex {
public:
    // The Apples of `list`, in list order, whose extent may overlap
    // [left, right] in x (a little more: rounding never drops an apple the
    // caller's test would take): `for (Apple* a : AppleIndex::Near(list, l, r))`.
    // The body may change the apple it is given, but not add or remove apples.
    class Near {
    public:
        Near(ZubBase* list, float left, float right);
        Near(const Near&) = delete;
        Near& operator=(const Near&) = delete;
        Apple* const* begin() const { return data; }
        Apple* const* end() const { return data + count; }
        int size() const { return count; }

    private:
        static constexpr int kLocal = 32;
        Apple* local[kLocal];
        std::vector<Apple*> more;
        Apple* const* data = local;
        int count = 0;
    };

    // The number of times an index was made (for tests and benchmarks).
    static uint64_t builds();

    // Called when an apple's transform or bounding circle changed.
    static void noteMoved() { ++moveEpoch; }

private:
    static uint64_t moveEpoch;
};
