#pragma once
// The names and version the program forms its own file names from.
#include "util/WString.h"

namespace AppInfo {
// The stem of the engine's own files ("Tumbrodemo.cfg", "crash.Tumbrodemo.log", ...).
extern const char16_t* const appFolderName;
// The version text kept in saved files and sent with web requests.
extern const char16_t* const versionText;
// The build letter.
extern const char16_t* const patchText;
}  // namespace AppInfo
