#include "records/AppInfo.h"

namespace AppInfo {
const char16_t* const appFolderName = u"Tumbrodemo";
const char16_t* const versionText = u"1.25";
const char16_t* const patchText = u"t";
}  // namespace AppInfo
