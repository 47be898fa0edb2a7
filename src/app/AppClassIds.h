#pragma once
// Class ids of the application's registered classes: the fold of each class
// name (classIdOfName), listed here once.
#include <cstdint>

#include "object/RuntimeClass.h"

namespace app_ids {
constexpr uint32_t Loader = classIdOfName(u"Loader");
}  // namespace app_ids
