#pragma once
// Crash files. When the program crashes (a fatal signal) or ends through the
// fatal-error path, it leaves in the user folder (names: sys/CrashFiles.h):
//   a copy of the log so far
//   a dump: the reason, a text backtrace and the memory map
//   the recent network traffic, when the network layer registered a
//   recording (else a one-line note)
//   a screenshot (written by the graphics layer, fatal errors only)
// The next start offers to send them. The signal handler runs on its own
// stack and uses only async-signal-safe calls.
#include <cstddef>
#include <cstdint>
#include <string>

namespace CrashHandler {

// Where the handler writes: the copy of the log, the dump and the traffic.
struct Targets {
    std::string logCopy;
    std::string dump;
    std::string netTraffic;
};

// Installs the handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT.
// `title` heads the dump ("<title> crash report"); `logPath` is the log file
// to copy.
void install(const std::string& title, const std::string& logPath, const Targets& targets);
void uninstall();
bool isInstalled();

// Writes the log copy, the dump and the traffic file now (the fatal-error
// path). Does nothing unless installed.
void writeCrashFiles(const char* reason);

// The network layer's recording: read at crash time, so the pointers must
// stay valid while installed (null to remove).
void setNetRecording(const uint8_t* const* data, const size_t* length);

}  // namespace CrashHandler
