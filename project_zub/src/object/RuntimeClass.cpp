#include "object/RuntimeClass.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "util/Format.h"

void RuntimeClassManager::add(RuntimeClass* record) {
    records.push_back(record);
    bBuilt = false;
}

void RuntimeClassManager::buildClassArray() {
    std::fill(std::begin(recentById), std::end(recentById), nullptr);
    classArray = records;
    std::stable_sort(classArray.begin(), classArray.end(),
                     [](const RuntimeClass* a, const RuntimeClass* b) { return a->classId < b->classId; });
    bBadClasses = false;
    problems.clear();

    std::unordered_set<const RuntimeClass*> known(classArray.begin(), classArray.end());
    std::unordered_set<std::u16string_view> names;
    for (size_t i = 0; i < classArray.size(); ++i) {
        RuntimeClass* r = classArray[i];
        r->index = static_cast<int>(i);
        if (i > 0 && classArray[i - 1]->classId == r->classId) {
            bBadClasses = true;
            problems.push_back(formatString(u"Class id %08x is used by both %s and %s.", r->classId,
                                            classArray[i - 1]->getTypeName(), r->getTypeName()));
        }
        if (!names.insert(std::u16string_view(r->name)).second) {
            bBadClasses = true;
            problems.push_back(
                formatString(u"Class name '%s' is registered twice (%s).", r->getName(), r->getTypeName()));
        }
        if (r->parent && !known.count(r->parent)) {
            bBadClasses = true;
            problems.push_back(
                formatString(u"Class %s has an unregistered parent %s.", r->getTypeName(), r->parent->getTypeName()));
        }
    }
    bBuilt = true;
}

const RuntimeClass* RuntimeClassManager::findById(uint32_t id) {
    if (!bBuilt) buildClassArray();
    const RuntimeClass*& recent = recentById[(id ^ (id >> 8) ^ (id >> 16) ^ (id >> 24)) % kRecentIds];
    if (recent && recent->classId == id) return recent;
    auto it = std::lower_bound(classArray.begin(), classArray.end(), id,
                               [](const RuntimeClass* r, uint32_t v) { return r->classId < v; });
    if (it == classArray.end() || (*it)->classId != id) return nullptr;
    recent = *it;
    return recent;
}

const RuntimeClass* RuntimeClassManager::findByIndex(uint32_t index) {
    if (!bBuilt) buildClassArray();
    return index < classArray.size() ? classArray[index] : nullptr;
}

const RuntimeClass* RuntimeClassManager::findByName(std::u16string_view name) {
    if (!bBuilt) buildClassArray();
    for (const RuntimeClass* r : classArray)
        if (name == r->name) return r;
    return nullptr;
}
