#include "sys/CrashFiles.h"

#include "sys/Paths.h"

namespace CrashFiles {

std::string name(const char* extension) { return std::string("crash.") + kProductFolderName + extension; }

std::string path(const char* extension) { return getUserDataFolder() + name(extension); }

}  // namespace CrashFiles
