#pragma once
// Resources by name: textures, skins ("sheet:index"), sounds, music, fonts,
// files. The manager maps names to resources and keeps them in the order they
// were added; it does not own them (the game's resource holder does).
#include <unordered_map>
#include <vector>

#include "object/ZubBase.h"
#include "util/WString.h"

class ResourceManager {
public:
    ResourceManager();
    ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // The manager of the running engine (the most recently constructed one).
    static ResourceManager* active();

    // The resource under the name; with `fatal` a missing name ends the
    // program with "Could not find resource '%s'.", otherwise gives null.
    ZubBase* find(std::u16string_view name, bool fatal = true) const;
    template <class T>
    T* findAs(std::u16string_view name, bool fatal = true) const {
        return static_cast<T*>(find(name, fatal));
    }
    // Maps the name to the resource; a second resource under a known name
    // replaces the first in the map.
    void addResource(std::u16string_view name, ZubBase* resource);
    // The resource's name, or the empty text when it is unknown.
    WString getResourceName(const ZubBase* resource) const;
    // Forgets every name (before the holder of the resources deletes them).
    void clear();

    struct Entry {
        WString name;
        ZubBase* resource;
    };
    const std::vector<Entry>& entries() const { return ordered; }

private:
    std::unordered_map<WString, ZubBase*> byName;
    std::unordered_map<const ZubBase*, WString> names;
    std::vector<Entry> ordered;
    ResourceManager* previous;
};
