#pragma once
// The holder of a hull's vertices or segments: an object embedded in the
// hull whose children are the parts, in order. It keeps an index of its
// children so that the i-th part (a terrain's segment under a point) is
// found without walking the list; the index is rebuilt after any change
// other than an append.
#include <vector>

#include "object/ZubBase.h"

class HullPartHolder : public ZubBase {
public:
    HullPartHolder() = default;
    ~HullPartHolder() override;

    void addChild(ZubBase* child) override;
    void removeChild(ZubBase* child) override;

    // The i-th child, or null.
    ZubBase* at(int i) {
        if (bIndexDirty) rebuildIndex();
        return i >= 0 && i < static_cast<int>(items.size()) ? items[static_cast<size_t>(i)] : nullptr;
    }
    int count() {
        if (bIndexDirty) rebuildIndex();
        return static_cast<int>(items.size());
    }
    // The children in order, count() of them, for walks that index them;
    // valid until the next change.
    ZubBase* const* parts() {
        if (bIndexDirty) rebuildIndex();
        return items.data();
    }
    // A child of this holder is being deleted.
    void childGone() { bIndexDirty = true; }
    // Rebuilds the index now (after a load), so that sweeps never have to.
    void rebuildIndex();
    // The holder of the part, when the part hangs in one.
    static HullPartHolder* of(ZubBase* part);

private:
    std::vector<ZubBase*> items;
    bool bIndexDirty = false;
};
