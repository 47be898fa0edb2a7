#include "world/HullPartHolder.h"

HullPartHolder::~HullPartHolder() {
    // The parts go while the holder is whole (they tell it as they go).
    while (ZubBase* c = firstChild) {
        ZubBase::removeChild(c);
        deleteObject(c);
    }
    items.clear();
}

void HullPartHolder::addChild(ZubBase* child) {
    ZubBase::addChild(child);
    if (!bIndexDirty && lastChild == child) items.push_back(child);
    else bIndexDirty = true;
}

void HullPartHolder::removeChild(ZubBase* child) {
    if (child && child->parent == this) bIndexDirty = true;
    ZubBase::removeChild(child);
}

void HullPartHolder::rebuildIndex() {
    items.clear();
    for (ZubBase* c : childrenOf(this)) items.push_back(c);
    bIndexDirty = false;
}

HullPartHolder* HullPartHolder::of(ZubBase* part) {
    return part && part->parent ? dynamic_cast<HullPartHolder*>(part->parent) : nullptr;
}
