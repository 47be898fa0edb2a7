#pragma once
// Helpers of the tests that touch files: a fresh folder per test (removed
// with everything in it) and small file utilities.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "sys/ErrorManager.h"

namespace filestest {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "zub-files-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const char* made = mkdtemp(buffer.data());
        EXPECT_NE(made, nullptr);
        root = made ? made : "";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // The folder with a trailing '/'.
    std::string path() const { return root + "/"; }
    std::string operator/(const std::string& name) const { return root + "/" + name; }
    // Writes a file below the folder, making its folders.
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::string root;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void TempFolder::write(const std::string& name, const std::string& bytes) const {
    writeBytes(*this / name, bytes);
}

// Repeatable bytes: compressible text-like content or noise.
inline std::string textContent(size_t n, uint32_t seed) {
    static const char* const words[] = {"pig ", "apple ", "cargo ", "valley ", "level ", "jump\n", "x=12 ", "y=7\n"};
    std::string s;
    uint32_t x = seed;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += words[(x >> 16) % 8];
    }
    s.resize(n);
    return s;
}

inline std::string noiseContent(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed;
    for (char& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// The disk fills up: while this lives, no file of the process grows past
// `bytes` (a write beyond fails with EFBIG, as on a full disk; the signal
// the system would send for it is ignored meanwhile).
class DiskFullAfter {
public:
    explicit DiskFullAfter(rlim_t bytes) {
        handler = std::signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit now = previous;
        now.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &now), 0);
    }
    ~DiskFullAfter() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }
    DiskFullAfter(const DiskFullAfter&) = delete;
    DiskFullAfter& operator=(const DiskFullAfter&) = delete;

private:
    rlimit previous{};
    void (*handler)(int) = SIG_DFL;
};

// The temporary files of unfinished writes (AtomicFile) in the folder.
inline std::vector<std::string> temporariesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (AtomicFile::isTemporaryName(e.path().filename().string())) names.push_back(e.path().filename());
    return names;
}

// A named pipe at `path`, with nothing writing into it: opening it to read
// the usual way waits for ever.
inline bool makePipe(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

// A sparse file of `bytes` (ftruncate: cheap on disk, whatever its size).
inline bool makeSparseFile(const std::string& path, uint64_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    ::close(fd);
    return ok;
}

// Keeps a test from hanging on named pipes: once `graceMs` have passed, it
// opens the writing end of each pipe that someone is waiting to read (every
// 50 ms, until it goes), which ends that wait; released() then says that
// it had to. Code that never blocks on opening a pipe leaves it nothing to do.
class PipeWatch {
public:
    explicit PipeWatch(std::vector<std::string> pipes, int graceMs = 3000) : paths(std::move(pipes)) {
        thread = std::thread([this, graceMs] {
            const auto start = std::chrono::steady_clock::now();
            while (!stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(graceMs)) continue;
                for (const std::string& p : paths) {
                    // Succeeds only while a reader has the pipe open (or waits in opening it).
                    const int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0) {
                        ::close(fd);
                        count++;
                    }
                }
            }
        });
    }
    ~PipeWatch() {
        stop = true;
        thread.join();
    }
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;

    // How many times a reader waiting on a pipe had to be let go.
    int released() const { return count; }

private:
    std::vector<std::string> paths;
    std::atomic<bool> stop{false};
    std::atomic<int> count{0};
    std::thread thread;
};

// A number from /proc/self/status ("VmHWM:", "VmRSS:"), in kB.
inline long processStatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// The most memory the process held since this was made, above what it held
// then (the high-water mark is reset to the present when it is made).
class PeakMemory {
public:
    PeakMemory() {
        { std::ofstream("/proc/self/clear_refs") << "5"; }
        start = processStatusKb("VmRSS:");
    }
    long growthKb() const { return processStatusKb("VmHWM:") - start; }

private:
    long start = 0;
};

// What `body` did in a child process of its own: whether it ended within
// the time given (else it was killed), its exit code, and how much more
// memory it held at its peak than when it started (kB).
struct ChildRun {
    bool finished = false;
    int exitCode = -1;
    long peakGrowthKb = -1;
};

inline ChildRun runInChild(const std::function<int()>& body, int timeoutMs = 10000) {
    ChildRun run;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return run;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        ::close(ends[0]);
        const PeakMemory peak;
        const int code = body();
        const long growth = peak.growthKb();
        [[maybe_unused]] const ssize_t n = ::write(ends[1], &growth, sizeof growth);
        std::_Exit(code);
    }
    ::close(ends[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            run.finished = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (run.finished && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    long growth = -1;
    if (run.finished && ::read(ends[0], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth))
        run.peakGrowthKb = growth;
    ::close(ends[0]);
    return run;
}

// Sets the error manager to test mode for death tests.
struct TestMode {
    TestMode() { ErrorManager::bTestMode = true; }
};

}  // namespace filestest
