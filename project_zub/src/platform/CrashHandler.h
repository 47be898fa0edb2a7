#pragma once
// Crash files. When the program crashes (a fatal signal) or ends through the
// fatal-error path, it leaves in the user folder (names: sys/CrashFiles.h):
//   a copy of the log so far
//   a dump: the reason, a text backtrace and the memory map
//   the recent network traffic, when the network layer registered a
//   recording that holds some (else a one-line note)
//   a screenshot (written by the graphics layer, fatal errors only)
// The next start offers to send them. The signal handler runs on its own
// stack and uses only async-signal-safe calls.
//
// Each file is created anew (whatever has its name is removed first, and
// the file is made with O_EXCL), so a link planted under a crash file's
// name is never written through (a folder under the name stays, whatever
// it holds, and that file is not written); the log is copied only when it
// is a regular file of its own (not a link, nothing that could block the
// copy).
// No file grows past its limit: the handler stops writing there, so that
// the next start can refuse anything larger as not written by it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace CrashHandler {

// Where the handler writes: the copy of the log, the dump and the traffic,
// and the most bytes it writes into each.
struct Targets {
    std::string logCopy;
    std::string dump;
    std::string netTraffic;
    uint64_t maxLogCopy = UINT64_MAX;
    uint64_t maxDump = UINT64_MAX;
    uint64_t maxNetTraffic = UINT64_MAX;
};

// Installs the handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT.
// `title` heads the dump ("<title> crash report"); `logPath` is the log file
// to copy.
void install(const std::string& title, const std::string& logPath, const Targets& targets);
void uninstall();

// Writes the log copy, the dump and the traffic file now (the fatal-error
// path). Does nothing unless installed.
void writeCrashFiles(const char* reason);

// The network layer's recording of its recent traffic: a ring of `capacity`
// bytes that holds whole records from byte `begin` to byte `end` (counts of
// the bytes ever written: a count's place in the ring is the count modulo
// the capacity). The traffic file is `preamble` (when there is one), then
// those bytes. The recorder moves `begin` past the records it is about to
// write over before it writes, and `end` once it has written.
struct NetRecording {
    const char* preamble = nullptr;
    const uint8_t* ring = nullptr;
    size_t capacity = 0;
    std::atomic<uint64_t> begin{0};
    std::atomic<uint64_t> end{0};
};

// Registers the recording that the crash files take (null for none). It is
// read at crash time, so it must stay valid while registered.
void setNetRecording(const NetRecording* recording);

}  // namespace CrashHandler
