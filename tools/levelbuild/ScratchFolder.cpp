#include "ScratchFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "TextFile.h"
#include "platform/AtomicFile.h"
#include "sys/ErrorManager.h"

namespace levelbuild {

namespace {

constexpr char kPrefix[] = "zub-levels-";
// mkdtemp's six letters.
constexpr size_t kNameLength = sizeof kPrefix - 1 + 6;
// A folder of an ended run is left alone this long after it last changed: a
// run takes its folder's lock the moment after making it.
constexpr time_t kQuietSeconds = 60;

// The run's scratch folders (without the trailing '/'), each with the open
// folder whose lock marks it as in use.
std::mutex lock;
std::map<std::string, int> folders;
bool ending = false;

// Held by a stop from its beginning to the end of the run; `finished` once
// the run has got to its end by itself (a stop is too late then).
std::mutex gate;
bool finished = false;
// Where the stop message goes: the standard error the run had.
int stopMessages = -1;

// Takes the folder's lock without waiting; false while another run has it.
bool lockFolder(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Removes the scratch folders in `temp` that runs which ended without
// cleaning up left there.
void removeAbandoned(const std::string& temp) {
    DIR* listing = ::opendir(temp.c_str());
    if (!listing) return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(listing)) {
        const std::string name = e->d_name;
        if (name.size() == kNameLength && name.starts_with(kPrefix)) names.push_back(name);
    }
    ::closedir(listing);
    const time_t now = std::time(nullptr);
    for (const std::string& name : names) {
        const std::string path = temp + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_uid == ::getuid() && now - st.st_mtime > kQuietSeconds && lockFolder(fd)) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
        ::close(fd);
    }
}

const char* signalName(int sig) {
    switch (sig) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

}  // namespace

std::string makeScratchFolder() {
    std::error_code ec;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    // Once a run: a run makes a scratch folder for every level it plays.
    static std::once_flag swept;
    std::call_once(swept, [&] { removeAbandoned(temp.string()); });
    std::string buffer = (temp / (std::string(kPrefix) + "XXXXXX")).string();
    int made = 0;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (ending) {
            made = ECANCELED;
        } else if (!::mkdtemp(buffer.data())) {
            made = errno;
        } else {
            const int fd = ::open(buffer.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0) lockFolder(fd);
            folders[buffer] = fd;
        }
    }
    // Without its own folder nothing is written (the current one is no
    // scratch folder).
    if (made != 0)
        ErrorManager::error(u"levelbuild: no scratch folder can be made as %s: %s", printable(buffer),
                            std::strerror(made));
    return buffer + "/";
}

void removeScratchFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::lock_guard<std::mutex> hold(lock);
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    if (auto it = folders.find(path); it != folders.end()) {
        if (it->second >= 0) ::close(it->second);
        folders.erase(it);
    }
}

void removeWhatTheRunLeaves() {
    AtomicFile::removeOpenTemporaries();
    std::lock_guard<std::mutex> hold(lock);
    ending = true;
    for (const auto& [path, fd] : folders) {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
}

bool beginStop() {
    // Held from here to the end: a run that gets to its end meanwhile (by
    // finishRun, or by a fatal error) waits there for the signal; one that
    // got there first ends as it does.
    gate.lock();
    if (finished) {
        gate.unlock();
        return false;
    }
    // What the run would still say (a write the stop made fail, a level it
    // made unreadable) is not said: the stop message stands alone. The
    // standard error the run had is kept for it. (Nothing here waits for
    // the streams' locks, which the run may hold while a reader is slow.)
    stopMessages = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC); nowhere >= 0) {
        ::dup2(nowhere, STDOUT_FILENO);
        ::dup2(nowhere, STDERR_FILENO);
        ::close(nowhere);
    }
    removeWhatTheRunLeaves();
    return true;
}

void endStop(int sig) {
    const std::string message = std::string("levelbuild: stopped by ") + signalName(sig) +
                                "; its scratch folder and unfinished files are removed\n";
    const int to = stopMessages >= 0 ? stopMessages : STDERR_FILENO;
    for (size_t done = 0; done < message.size();) {
        const ssize_t n = ::write(to, message.data() + done, message.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    // Ended by the signal itself, as whoever sent it expects (a shell loop
    // stops at a Ctrl+C).
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    std::raise(sig);
    std::_Exit(128 + sig);
}

int finishRun(int exitCode) {
    // A stop under way holds the gate until its signal ends the run.
    std::lock_guard<std::mutex> hold(gate);
    finished = true;
    return exitCode;
}

void endCleanlyOnSignals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // The signals wait for a thread of their own (every thread started
    // later keeps them blocked), which can clean up with the whole library
    // at hand rather than in a signal handler.
    sigset_t stops;
    sigemptyset(&stops);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops] {
        for (;;) {
            int sig = 0;
            if (sigwait(&stops, &sig) == 0 && beginStop()) endStop(sig);
        }
    }).detach();
    ErrorManager::hooks.beforeExit = [] {
        // A stop under way holds the gate until its signal ends the run:
        // a fatal error it caused (a level it made unreadable) is not the
        // run's end.
        gate.lock();
        finished = true;
        removeWhatTheRunLeaves();
        std::fflush(stdout);
        // Every failure of a run exits 1.
        std::_Exit(1);
    };
}

}  // namespace levelbuild
