#pragma once
// The names and places of the crash files, in one place: the crash handler
// and the fatal-error path write them, the graphics layer saves its
// screenshot there, and the next start finds, sends and deletes them.
//
// Each file is "crash." + the program's stem ("Tumbrodemo") + its extension,
// in the per-user, per-version data folder (getUserDataFolder).
//
// Each file has a size limit. The crash handler stops writing a file at its
// limit (and ends it with a line that says so), the screenshot is not saved
// when its JPEG would be larger, and the next start does not send a file
// over its limit, as if it were missing: the program did not write it.
#include <cstdint>
#include <string>

class ByteBuffer;
namespace CrashHandler {
struct Targets;
}

namespace CrashFiles {

inline constexpr const char* kLog = ".log";         // a copy of the log
inline constexpr const char* kMiniDump = ".mdmp";   // the reason, a backtrace, the memory map
inline constexpr const char* kScreenshot = ".jpg";  // the screen at a fatal error
inline constexpr const char* kNetTraffic = ".net";  // the recent network traffic

// The limits. The log copy: twice the 16 MB that one run writes to its log
// at most. The dump: its few lines, a backtrace of 64 frames and the memory
// map take some 100 KB. The screenshot: a JPEG of quality 90 takes under a
// byte a pixel even for noise, so this holds a screen of 7680 x 4320. The
// traffic: the recent datagrams the network layer keeps.
inline constexpr uint64_t kMaxLogBytes = 32u << 20;
inline constexpr uint64_t kMaxMiniDumpBytes = 1u << 20;
inline constexpr uint64_t kMaxScreenshotBytes = 32u << 20;
inline constexpr uint64_t kMaxNetTrafficBytes = 4u << 20;

// "crash." + stem + extension.
std::string name(const char* extension);
// The data folder followed by name(extension).
std::string path(const char* extension);
// The limit of the file with this extension.
uint64_t maxBytes(const char* extension);
// What the crash handler writes, with the limits: the crash files named as
// above in `folder` (the data folder in the program, another in tests).
CrashHandler::Targets handlerTargets(const std::string& folder);

// The file is there as a regular file of the program's own: a symbolic link
// under its name does not count, wherever it leads, nor a file that has
// another name as well (a hard link).
bool exists(const char* extension);
// Reads the file to send it: only a regular file of its own (never through
// a link, never one with another name, never waiting on a named pipe)
// within its limit. False, with the reason logged when the file is there,
// otherwise.
bool read(const char* extension, ByteBuffer& out);

// Removes every crash file's name that is there but not a regular file of
// the program's own (a symbolic link, a file with another name as well, a
// named pipe, ...), saying so in the log: it is never sent, and it would
// otherwise be found again at every start. Only the name goes: a file it
// leads to or shares its content with stays as it is. A folder under the
// name keeps the crash handler from writing that file: an empty one is
// removed, saying so in the log; one that holds anything is left as it is,
// nothing in it touched, and the log says that crash reports cannot be kept
// until it is moved.
void removeRefused();

}  // namespace CrashFiles
