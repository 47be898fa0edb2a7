#include "platform/CrashHandler.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

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
    const uint8_t* const* netData = nullptr;
    const size_t* netLength = nullptr;
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

void writeAll(int fd, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
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

void writeText(int fd, const char* s) { writeAll(fd, s, strlen(s)); }

void writeNumber(int fd, unsigned long long v, int base) {
    char buf[32];
    int i = sizeof buf;
    do {
        const int d = static_cast<int>(v % base);
        buf[--i] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        v /= base;
    } while (v && i > 0);
    writeAll(fd, buf + i, sizeof buf - i);
}

void copyFile(const char* from, int toFd) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return;
    char buf[4096];
    for (;;) {
        ssize_t r = read(in, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        writeAll(toFd, buf, static_cast<size_t>(r));
    }
    close(in);
}

int create(const char* path) { return open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }

const char* signalName(int sig) {
    switch (sig) {
        case SIGSEGV: return "SIGSEGV (invalid memory access)";
        case SIGBUS: return "SIGBUS (bus error)";
        case SIGFPE: return "SIGFPE (arithmetic error)";
        case SIGILL: return "SIGILL (illegal instruction)";
        case SIGABRT: return "SIGABRT (abort)";
        default: return "signal";
    }
}

void writeFiles(const char* reason, int sig, const void* address) {
    int fd = create(state.crashLog);
    if (fd >= 0) {
        copyFile(state.logPath, fd);
        close(fd);
    }

    fd = create(state.crashDump);
    if (fd >= 0) {
        writeText(fd, state.title);
        writeText(fd, " crash report\n");
        writeText(fd, "reason: ");
        writeText(fd, reason);
        writeText(fd, "\n");
        if (sig) {
            writeText(fd, "signal: ");
            writeNumber(fd, static_cast<unsigned>(sig), 10);
            writeText(fd, " ");
            writeText(fd, signalName(sig));
            writeText(fd, "\nfault address: 0x");
            writeNumber(fd, reinterpret_cast<uintptr_t>(address), 16);
            writeText(fd, "\n");
        }
        writeText(fd, "process: ");
        writeNumber(fd, static_cast<unsigned long long>(getpid()), 10);
        writeText(fd, "\n\nbacktrace:\n");
        void* frames[64];
        const int n = backtrace(frames, 64);
        backtrace_symbols_fd(frames, n, fd);
        writeText(fd, "\nmemory map:\n");
        copyFile("/proc/self/maps", fd);
        close(fd);
    }

    fd = create(state.crashNet);
    if (fd >= 0) {
        const uint8_t* data = state.netData ? *state.netData : nullptr;
        const size_t len = state.netLength ? *state.netLength : 0;
        if (data && len) writeAll(fd, data, len);
        else writeText(fd, "no network traffic recorded\n");
        close(fd);
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
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &state.previous[i], nullptr);
    stack_t off = {};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    delete[] static_cast<char*>(state.altStack.ss_sp);
    state.altStack = {};
    state.installed = false;
}

bool isInstalled() { return state.installed; }

void writeCrashFiles(const char* reason) {
    if (!state.installed || handling) return;
    handling = 1;
    writeFiles(reason, 0, nullptr);
    handling = 0;
}

void setNetRecording(const uint8_t* const* data, const size_t* length) {
    state.netData = data;
    state.netLength = length;
}

}  // namespace CrashHandler
