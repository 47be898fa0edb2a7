#pragma once
// Class ids of the menu screens' registered classes: the fold of each class
// name (classIdOfName), listed here once.
#include <cstdint>

#include "object/RuntimeClass.h"

namespace menu_ids {
constexpr uint32_t ContextCompanyLogo = classIdOfName(u"ContextCompanyLogo");
constexpr uint32_t ContextIntroStory = classIdOfName(u"ContextIntroStory");
constexpr uint32_t ContextMain = classIdOfName(u"ContextMain");
constexpr uint32_t GameMainMenu = classIdOfName(u"GameMainMenu");
}  // namespace menu_ids
