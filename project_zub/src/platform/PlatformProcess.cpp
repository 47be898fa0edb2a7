#include "platform/PlatformProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

// Takes the exclusive lock of an open file without waiting: 0, or the
// error number (EWOULDBLOCK while another open file holds it).
int lockWithoutWaiting(int file) {
    int rc;
    do {
        rc = ::flock(file, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

}  // namespace

InstanceLock::~InstanceLock() { release(); }

InstanceLock::Result InstanceLock::acquire(const std::string& path, std::string* error) {
    if (fd >= 0 && owner != static_cast<long>(::getpid())) {
        // Inherited through fork: the lock belongs to the parent's open file.
        // Drop the descriptor without unlocking and try for ourselves.
        ::close(fd);
        fd = -1;
    }
    if (fd >= 0) return Result::Acquired;
    // The lock file is the program's own regular file: the holder's id is
    // written into it. A symbolic link under its name is not followed, and a
    // link or anything else that is not a regular file (a named pipe) is
    // removed and the file made anew; so is a regular file that has another
    // name as well (a hard link: the file is someone else's too, and writing
    // would empty it). A regular file of its own is kept, since another
    // process may hold its lock.
    int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    struct stat st {};
    if (file < 0 ? errno == ELOOP : ::fstat(file, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        // A holder's lock file that was linked to from elsewhere afterwards
        // is still held: that holder keeps it.
        if (file >= 0 && S_ISREG(st.st_mode) && lockWithoutWaiting(file) == EWOULDBLOCK) {
            ::close(file);
            return Result::HeldElsewhere;
        }
        const int old = file;
        file = -1;
        if (::unlink(path.c_str()) == 0 || errno == ENOENT)
            file = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        const int err = errno;
        if (old >= 0) ::close(old);
        errno = err;
    }
    if (file < 0) {
        if (error) *error = std::string("open: ") + std::strerror(errno);
        return Result::Failed;
    }
    const int err = lockWithoutWaiting(file);
    if (err != 0) {
        ::close(file);
        if (err == EWOULDBLOCK) return Result::HeldElsewhere;
        if (error) *error = std::string("flock: ") + std::strerror(err);
        return Result::Failed;
    }
    fd = file;
    owner = static_cast<long>(::getpid());
    // The holder's process id, for a person who looks at the file; the lock
    // itself is what counts.
    if (::ftruncate(fd, 0) == 0) {
        const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    return Result::Acquired;
}

bool InstanceLock::isHeld() const { return fd >= 0 && owner == static_cast<long>(::getpid()); }

void InstanceLock::release() {
    if (fd < 0) return;
    // A copy inherited through fork must not unlock the parent's lock.
    if (owner == static_cast<long>(::getpid())) ::flock(fd, LOCK_UN);
    ::close(fd);
    fd = -1;
}

long spawnProcess(const std::vector<std::string>& argv, std::string* error) {
    if (argv.empty() || argv[0].empty()) {
        if (error) *error = "no program";
        return -1;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The program ignores the signal of a file size limit (a write past it
    // fails instead); a program it starts gets the usual behaviour back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], nullptr, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        if (error) *error = std::string("posix_spawnp: ") + std::strerror(rc);
        return -1;
    }
    return static_cast<long>(pid);
}

int waitForProcess(long pid) {
    if (pid <= 0) return -1;
    int status = 0;
    pid_t rc;
    do {
        rc = ::waitpid(static_cast<pid_t>(pid), &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool reapProcessIfFinished(long pid) {
    if (pid <= 0) return false;
    int status = 0;
    return ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG) == static_cast<pid_t>(pid);
}

void openClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor, this one, as those below it are open;
        // left open in programs started from here, as standard streams are.
        int held = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        // Without /dev/null (a bare /dev, as some containers have) a
        // descriptor that can be neither read nor written holds the place:
        // the stream acts as closed, and nothing else the program opens
        // lands there.
        if (held < 0) held = ::open("/", O_PATH | O_DIRECTORY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

}  // namespace platform
