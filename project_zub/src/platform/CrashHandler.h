#pragma once
// Crash files. When the program crashes (a fatal signal) or ends through the
// fatal-error path, it leaves in the user folder:
//   crash.<stem>.log   a copy of the log so far
//   crash.<stem>.mdmp  the reason, a text backtrace and the memory map
//   crash.<stem>.net   the recent network traffic, when the network layer
//                      registered a recording (else a one-line note)
//   crash.<stem>.jpg   a screenshot (written by the graphics layer, fatal
//                      errors only)
// The next start offers to send them. The signal handler runs on its own
// stack and uses only async-signal-safe calls.
#include <cstddef>
#include <cstdint>
#include <string>

namespace CrashHandler {

// Installs the handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT.
// `folder` ends with a separator; `logPath` is the log file to copy.
void install(const std::string& folder, const std::string& stem, const std::string& logPath);
void uninstall();
bool isInstalled();

// The file names ("crash." + stem + extension) and their paths in the folder.
std::string fileName(const char* extension);
std::string filePath(const char* extension);

// Writes the log copy, the dump and the traffic file now (the fatal-error
// path). Does nothing unless installed.
void writeCrashFiles(const char* reason);

// The network layer's recording: read at crash time, so the pointers must
// stay valid while installed (null to remove).
void setNetRecording(const uint8_t* const* data, const size_t* length);

}  // namespace CrashHandler
