#pragma once
// Class ids of the level editor's registered classes and their calls. They
// are fixed numbers that level files and peers carry, so they are listed
// here once rather than derived from the class names.
#include <cstdint>

namespace editor_ids {
constexpr uint32_t EditorPropertyPanel = 0xa84115c7u;
constexpr uint32_t RPCListClasses = 0x378fed7au;
}  // namespace editor_ids
