#pragma once
// Resources by name: textures, skins ("sheet:index"), sounds, music, fonts,
// files. The manager maps names to resources and keeps them in the order they
// were added; it does not own them (the game's resource holder does).
#include <cstddef>
#include <functional>
#include <string_view>
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
    // The resource under the name as a T (sys/ResourceLookup.h is the usual
    // way in). A missing name is handled as by find; a resource of another
    // class ends the program with "The resource '%s' is a %s, not a %s."
    // (its class, then T's) when `fatal`, otherwise gives null.
    template <class T>
    T* findAs(std::u16string_view name, bool fatal = true) const {
        ZubBase* found = find(name, fatal);
        T* r = zub_cast<T>(found);
        if (!r && found && fatal) wrongClass(name, found, &T::classRecord);
        return r;
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
    [[noreturn]] static void wrongClass(std::u16string_view name, const ZubBase* found, const RuntimeClass* wanted);

    // Looked up by a view of the name, without making a string of it.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view name) const { return std::hash<std::u16string_view>()(name); }
    };
    std::unordered_map<WString, ZubBase*, NameHash, std::equal_to<>> byName;
    // The last finds by where the name's characters lie (a name written in
    // the program keeps its place): a find whose name lies where one of
    // them did and reads the same takes its resource without hashing the
    // name. Emptied whenever a name is added or the names are forgotten.
    struct RecentFind {
        const char16_t* where = nullptr;
        size_t length = 0;
        const char16_t* key = nullptr;  // the map's own copy of the name
        ZubBase* resource = nullptr;
    };
    static constexpr size_t kRecentFinds = 64;
    mutable RecentFind recent[kRecentFinds];
    static size_t recentSlot(std::u16string_view name);
    void forgetRecentFinds();
    std::unordered_map<const ZubBase*, WString> names;
    std::vector<Entry> ordered;
    ResourceManager* previous;
};
