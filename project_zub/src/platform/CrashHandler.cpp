#include "platform/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

constexpr size_t kPath = 1024;
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Everything the handler needs is prepared here, before any crash.
struct State {
    bool installed = false;
    char title[128] = {};
    char logPath[kPath] = {};
    char crashLog[kPath] = {};
    char crashDump[kPath] = {};
    char crashNet[kPath] = {};
    uint64_t maxLog = UINT64_MAX;
    uint64_t maxDump = UINT64_MAX;
    uint64_t maxNet = UINT64_MAX;
    const CrashHandler::NetRecording* net = nullptr;
    struct sigaction previous[sizeof kSignals / sizeof kSignals[0]] = {};
    stack_t altStack = {};
} state;

volatile sig_atomic_t handling = 0;

bool copyString(char* dst, size_t n, const std::string& s) {
    if (s.size() + 1 > n) return false;
    std::memcpy(dst, s.c_str(), s.size() + 1);
    return true;
}

// --- async-signal-safe output ---------------------------------------------

// A crash file being written, with the most bytes it may hold. A file with
// more to take than its limit is cut so that it ends with a line that says
// so, within the limit.
constexpr char kCutNote[] = "\n[cut here: the file reached its size limit]\n";
constexpr uint64_t kCutRoom = sizeof kCutNote - 1;

struct Output {
    int fd = -1;
    uint64_t limit = 0;
    uint64_t written = 0;
    bool cut = false;
};

void writeRaw(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
}

void writeAll(Output& out, const void* data, size_t n) {
    const uint64_t left = out.limit - out.written;
    if (n > left) {
        n = static_cast<size_t>(left);
        out.cut = true;
    }
    writeRaw(out.fd, static_cast<const char*>(data), n);
    out.written += n;
}

// After a write the count did not see: the file's length is what was
// written, cut back to the limit.
void recount(Output& out) {
    const off_t end = lseek(out.fd, 0, SEEK_CUR);
    if (end < 0) return;
    out.written = static_cast<uint64_t>(end);
    if (out.written > out.limit) {
        if (ftruncate(out.fd, static_cast<off_t>(out.limit)) == 0)
            lseek(out.fd, static_cast<off_t>(out.limit), SEEK_SET);
        out.written = out.limit;
        out.cut = true;
    }
}

void writeText(Output& out, const char* s) { writeAll(out, s, strlen(s)); }

void writeNumber(Output& out, unsigned long long v, int base) {
    char buf[32];
    int i = sizeof buf;
    do {
        const int d = static_cast<int>(v % base);
        buf[--i] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        v /= base;
    } while (v && i > 0);
    writeAll(out, buf + i, sizeof buf - i);
}

// Copies a regular file; with `ownFileOnly` only when no symbolic link
// leads there and the file has no other name (a hard link may be another
// file of the user's). O_NONBLOCK: a named pipe under the name must not
// stop the handler.
void copyFile(const char* from, Output& out, bool ownFileOnly) {
    int in = open(from, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (ownFileOnly ? O_NOFOLLOW : 0));
    if (in < 0) return;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode) || (ownFileOnly && st.st_nlink > 1)) {
        close(in);
        return;
    }
    char buf[4096];
    while (out.written < out.limit) {
        ssize_t r = read(in, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        writeAll(out, buf, static_cast<size_t>(r));
    }
    // More to copy than the file may hold.
    if (out.written == out.limit) {
        char probe;
        ssize_t r;
        do {
            r = read(in, &probe, 1);
        } while (r < 0 && errno == EINTR);
        if (r > 0) out.cut = true;
    }
    close(in);
}

// Creates the file anew: whatever has the name goes first (a link is
// removed, not followed), and O_EXCL | O_NOFOLLOW make sure that what is
// opened is the new file.
Output create(const char* path, uint64_t limit) {
    Output out;
    unlink(path);
    out.fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    out.limit = limit;
    return out;
}

void finish(Output& out) {
    if (out.cut && out.limit >= kCutRoom) {
        const off_t at = static_cast<off_t>(out.limit - kCutRoom);
        if (ftruncate(out.fd, at) == 0 && lseek(out.fd, at, SEEK_SET) == at) writeRaw(out.fd, kCutNote, kCutRoom);
    }
    close(out.fd);
}

const char* signalName(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "SIGSEGV (invalid memory access)";
        case SIGBUS:
            return "SIGBUS (bus error)";
        case SIGFPE:
            return "SIGFPE (arithmetic error)";
        case SIGILL:
            return "SIGILL (illegal instruction)";
        case SIGABRT:
            return "SIGABRT (abort)";
        default:
            return "signal";
    }
}

void writeFiles(const char* reason, int sig, const void* address) {
    Output out = create(state.crashLog, state.maxLog);
    if (out.fd >= 0) {
        copyFile(state.logPath, out, true);
        finish(out);
    }

    out = create(state.crashDump, state.maxDump);
    if (out.fd >= 0) {
        writeText(out, state.title);
        writeText(out, " crash report\n");
        writeText(out, "reason: ");
        writeText(out, reason);
        writeText(out, "\n");
        if (sig) {
            writeText(out, "signal: ");
            writeNumber(out, static_cast<unsigned>(sig), 10);
            writeText(out, " ");
            writeText(out, signalName(sig));
            writeText(out, "\nfault address: 0x");
            writeNumber(out, reinterpret_cast<uintptr_t>(address), 16);
            writeText(out, "\n");
        }
        writeText(out, "process: ");
        writeNumber(out, static_cast<unsigned long long>(getpid()), 10);
        writeText(out, "\n\nbacktrace:\n");
        void* frames[64];
        const int n = backtrace(frames, 64);
        backtrace_symbols_fd(frames, n, out.fd);
        // That wrote past the count: take the file's length as it is now.
        recount(out);
        writeText(out, "\nmemory map:\n");
        copyFile("/proc/self/maps", out, false);
        finish(out);
    }

    out = create(state.crashNet, state.maxNet);
    if (out.fd >= 0) {
        // The end first: the records from a later begin up to it are whole
        // (the recorder writes over only what lies before its begin).
        const CrashHandler::NetRecording* net = state.net;
        const uint64_t end = net ? net->end.load(std::memory_order_acquire) : 0;
        const uint64_t begin = net ? net->begin.load(std::memory_order_acquire) : 0;
        if (net && net->ring && net->capacity > 0 && end > begin && end - begin <= net->capacity) {
            if (net->preamble) writeText(out, net->preamble);
            const size_t n = static_cast<size_t>(end - begin);
            const size_t at = static_cast<size_t>(begin % net->capacity);
            const size_t first = n < net->capacity - at ? n : net->capacity - at;
            writeAll(out, net->ring + at, first);
            if (n > first) writeAll(out, net->ring, n - first);
        } else {
            writeText(out, "no network traffic recorded\n");
        }
        finish(out);
    }
}

void onSignal(int sig, siginfo_t* info, void*) {
    if (!handling) {
        handling = 1;
        writeFiles("the program crashed", sig, info ? info->si_addr : nullptr);
    }
    // Hand the signal on: restore the default action and raise it again, so
    // the exit status and any core dump are those of the crash itself.
    struct sigaction dfl;
    memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    raise(sig);
}

}  // namespace

namespace CrashHandler {

void install(const std::string& title, const std::string& logPath, const Targets& targets) {
    if (state.installed) uninstall();
    if (!copyString(state.title, sizeof state.title, title) || !copyString(state.logPath, kPath, logPath) ||
        !copyString(state.crashLog, kPath, targets.logCopy) || !copyString(state.crashDump, kPath, targets.dump) ||
        !copyString(state.crashNet, kPath, targets.netTraffic))
        return;
    state.maxLog = targets.maxLogCopy;
    state.maxDump = targets.maxDump;
    state.maxNet = targets.maxNetTraffic;

    // The first backtrace loads the unwinder; do it now, not inside the handler.
    void* warm[4];
    backtrace(warm, 4);

    state.altStack.ss_size = 64 * 1024;
    state.altStack.ss_sp = new char[state.altStack.ss_size];
    state.altStack.ss_flags = 0;
    sigaltstack(&state.altStack, nullptr);

    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = onSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &sa, &state.previous[i]);
    state.installed = true;
}

void uninstall() {
    if (!state.installed) return;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &state.previous[i], nullptr);
    stack_t off = {};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    delete[] static_cast<char*>(state.altStack.ss_sp);
    state.altStack = {};
    state.installed = false;
}

void writeCrashFiles(const char* reason) {
    if (!state.installed || handling) return;
    handling = 1;
    writeFiles(reason, 0, nullptr);
    handling = 0;
}

void setNetRecording(const NetRecording* recording) { state.net = recording; }

}  // namespace CrashHandler
