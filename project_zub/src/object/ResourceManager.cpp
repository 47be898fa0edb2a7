#include "object/ResourceManager.h"

#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"

namespace {
ResourceManager* current = nullptr;
}

ResourceManager::ResourceManager() : previous(current) { current = this; }

ResourceManager::~ResourceManager() {
    if (current == this) current = previous;
}

ResourceManager* ResourceManager::active() { return current; }

ZubBase* ResourceManager::find(std::u16string_view name, bool fatal) const {
    auto it = byName.find(name);
    if (it != byName.end()) return it->second;
    if (fatal) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return nullptr;
}

void ResourceManager::wrongClass(std::u16string_view name, const ZubBase* found, const RuntimeClass* wanted) {
    ZUB_ERROR(u"The resource '%s' is a %s, not a %s.", name, found->getClass()->getName(), wanted->getName());
}

void ResourceManager::addResource(std::u16string_view name, ZubBase* resource) {
    WString key(name);
    auto it = byName.find(key);
    if (it != byName.end()) {
        names.erase(it->second);
        it->second = resource;
        for (Entry& e : ordered)
            if (e.name == key) e.resource = resource;
    } else {
        byName.emplace(key, resource);
        ordered.push_back({key, resource});
    }
    names[resource] = key;
}

WString ResourceManager::getResourceName(const ZubBase* resource) const {
    auto it = names.find(resource);
    return it == names.end() ? WString() : it->second;
}

void ResourceManager::clear() {
    byName.clear();
    names.clear();
    ordered.clear();
}
