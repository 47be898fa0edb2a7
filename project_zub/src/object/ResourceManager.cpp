#include "object/ResourceManager.h"

#include <cstdint>
#include <cstring>

#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {
ResourceManager* current = nullptr;
}

ResourceManager::ResourceManager() : previous(current) { current = this; }

ResourceManager::~ResourceManager() {
    if (current == this) current = previous;
}

ResourceManager* ResourceManager::active() { return current; }

size_t ResourceManager::recentSlot(std::u16string_view name) {
    const uint64_t bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(name.data())) ^ name.size();
    return static_cast<size_t>((bits * 0x9E3779B97F4A7C15ull) >> 58) % kRecentFinds;
}

void ResourceManager::forgetRecentFinds() {
    for (RecentFind& r : recent) r = RecentFind();
}

ZubBase* ResourceManager::find(std::u16string_view name, bool fatal) const {
    RecentFind& r = recent[recentSlot(name)];
    if (r.where == name.data() && r.length == name.size() && r.key &&
        std::memcmp(r.key, name.data(), name.size() * sizeof(char16_t)) == 0)
        return r.resource;
    auto it = byName.find(name);
    if (it != byName.end()) {
        r.where = name.data();
        r.length = name.size();
        r.key = it->first.data();
        r.resource = it->second;
        return it->second;
    }
    // The name may come from a level file or a peer.
    if (fatal) ZUB_ERROR(u"Could not find resource '%s'.", escapeForLog(name));
    return nullptr;
}

void ResourceManager::wrongClass(std::u16string_view name, const ZubBase* found, const RuntimeClass* wanted) {
    ZUB_ERROR(u"The resource '%s' is a %s, not a %s.", escapeForLog(name), found->getClass()->getName(),
              wanted->getName());
}

void ResourceManager::addResource(std::u16string_view name, ZubBase* resource) {
    forgetRecentFinds();
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
    forgetRecentFinds();
    byName.clear();
    names.clear();
    ordered.clear();
}
