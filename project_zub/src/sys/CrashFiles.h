#pragma once
// The names and places of the crash files, in one place: the crash handler
// and the fatal-error path write them, the graphics layer saves its
// screenshot there, and the next start finds, sends and deletes them.
//
// Each file is "crash." + the program's stem ("Tumbrodemo") + its extension,
// in the per-user, per-version data folder (getUserDataFolder).
#include <string>

namespace CrashFiles {

inline constexpr const char* kLog = ".log";         // a copy of the log
inline constexpr const char* kMiniDump = ".mdmp";   // the reason, a backtrace, the memory map
inline constexpr const char* kScreenshot = ".jpg";  // the screen at a fatal error
inline constexpr const char* kNetTraffic = ".net";  // the recent network traffic

// "crash." + stem + extension.
std::string name(const char* extension);
// The data folder followed by name(extension).
std::string path(const char* extension);

}  // namespace CrashFiles
