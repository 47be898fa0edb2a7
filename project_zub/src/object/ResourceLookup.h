#pragma once
// The checked lookup of a resource by name and class, for every caller that
// needs the resource to exist: no resource manager or a missing name ends
// the program with "Could not find resource '%s'.", a resource of another
// class with "The resource '%s' is a %s, not a %s." (its class, then the
// class asked for), instead of handing back a pointer of the wrong type.
#include <string_view>

#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

template <class T>
T* findResource(std::u16string_view name) {
    ResourceManager* resources = ResourceManager::active();
    if (!resources) ZUB_ERROR(u"Could not find resource '%s'.", escapeForLog(name));
    return resources->findAs<T>(name, true);
}
