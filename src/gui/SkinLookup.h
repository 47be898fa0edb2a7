#pragma once
// Resources of a given kind by name, for the screens that draw pictures of
// their own ("intro:0", the texture "mousePointer"): fatal when the name is
// unknown or names a resource of another kind.
#include <string_view>

#include "object/ZubBase.h"
#include "sys/ErrorManager.h"
#include "object/ResourceManager.h"

namespace gui {

template <class T>
T* findResource(std::u16string_view name) {
    ResourceManager* resources = ResourceManager::active();
    if (!resources) ZUB_ERROR(u"Could not find resource '%s'.", name);
    T* r = zub_cast<T>(resources->find(name, true));
    if (!r) ZUB_ERROR(u"The resource '%s' is not of the kind expected.", name);
    return r;
}

}  // namespace gui
