#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "TextFile.h"
#include "platform/AtomicFile.h"

namespace levelbuild {

namespace {

// A temporary file of a killed run is left alone this long after it last
// changed: a write takes its file's lock the moment after making it.
constexpr long kQuietSeconds = 60;

std::string cannotWrite(const std::string& path, const std::string& why) {
    return printable(path) + ": cannot be written: " + why;
}

const char* kindOf(mode_t mode) {
    return S_ISREG(mode)    ? "a regular file"
           : S_ISDIR(mode)  ? "a folder"
           : S_ISFIFO(mode) ? "a named pipe"
           : S_ISSOCK(mode) ? "a socket"
           : S_ISBLK(mode)  ? "a block device"
           : S_ISCHR(mode)  ? "a character device"
                            : "something else";
}

bool isStream(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode); }

// Why what stands at the path (or at the end of its links) is not written
// to; empty when it may be.
std::string refusal(mode_t mode) {
    if (S_ISREG(mode) || isStream(mode)) return {};
    if (S_ISDIR(mode)) return "it is a folder";
    return std::string("it is not a regular file, a character device or a pipe (but ") + kindOf(mode) + ")";
}

// "<Step> '<path>' failed (errno N: text)", as AtomicFile words its reasons.
std::string stepFailed(const char* step, const std::string& path, int error) {
    return std::string(step) + " '" + printable(path) + "' failed (errno " + std::to_string(error) + ": " +
           std::strerror(error) + ")";
}

// Writes the bytes to the open file, waiting for it as a stream; why not,
// or empty.
std::string writeAll(int fd, const std::string& path, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EPIPE)
            return stepFailed("Writing", path, EPIPE) + ": what read from the pipe stopped reading";
        if (n <= 0) return stepFailed("Writing", path, n < 0 ? errno : EIO);
        p += n;
        size -= static_cast<size_t>(n);
    }
    return {};
}

// The program's standard output or error where `file` is that very file
// (/dev/stdout leading to the file the output was sent to), else -1.
int standardStreamOf(const struct stat& file) {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_dev == file.st_dev && st.st_ino == file.st_ino) return fd;
    }
    return -1;
}

}  // namespace

// The stream is opened as it is (never created or truncated) and without
// waiting: a pipe nobody reads from fails the open at once (ENXIO), and
// should anything else have taken the stream's place since it was looked at
// (a regular file), what was opened is refused before a byte is written.
// The writes then wait for the stream, as any writer's do.
bool writeToStream(const std::string& path, const void* data, size_t size, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
            error = cannotWrite(path, "it is a pipe that nothing reads from");
        else error = cannotWrite(path, stepFailed("Opening", path, err));
        return false;
    }
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0) why = stepFailed("Looking at", path, errno);
    else if (!isStream(st.st_mode))
        why = std::string("it is no longer a character device or a pipe (but ") + kindOf(st.st_mode) + ")";
    else if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        why = stepFailed("Opening", path, errno);
    if (why.empty()) why = writeAll(fd, path, data, size);
    if (::close(fd) != 0 && why.empty()) why = stepFailed("Closing", path, errno);
    if (why.empty()) return true;
    error = cannotWrite(path, why);
    return false;
}

bool writeOutputFile(const std::string& path, const void* data, size_t size, std::string& error) {
    // What stands at the path itself, and for a link what it leads to: a
    // stream is written to through the link, anything else of a link's is
    // left alone and the link replaced.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        const bool link = S_ISLNK(st.st_mode);
        struct stat target {};
        if (link && ::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode) && !S_ISDIR(target.st_mode))
            st = target;
        if (isStream(st.st_mode)) return writeToStream(path, data, size, error);
        // A link to the regular file that standard output (or error) was
        // sent to, as /dev/stdout is where that went to a file: written to
        // as that stream, from where it stands, rather than replacing the
        // link (which for /dev/stdout is everyone's).
        if (const int stream = link && S_ISREG(target.st_mode) ? standardStreamOf(target) : -1; stream >= 0) {
            std::fflush(stream == STDOUT_FILENO ? stdout : stderr);
            std::string why = writeAll(stream, path, data, size);
            if (why.empty()) return true;
            error = cannotWrite(path, why);
            return false;
        }
        if (!S_ISLNK(st.st_mode) && !refusal(st.st_mode).empty()) {
            error = cannotWrite(path, link ? std::string("it is a link to ") + kindOf(st.st_mode) +
                                                 ", not to a regular file, a character device or a pipe"
                                           : refusal(st.st_mode));
            return false;
        }
    }
    // What runs killed in the middle of a write left beside it goes first
    // (only files of such writes, that none holds and that have been quiet
    // for a minute), once a run for each folder written to.
    {
        static std::mutex lock;
        static std::set<std::string> cleared;
        const std::string folder = AtomicFile::folderOf(path);
        std::lock_guard<std::mutex> hold(lock);
        if (cleared.insert(folder).second) AtomicFile::removeLeftovers(folder, kQuietSeconds);
    }
    std::string reason;
    if (AtomicFile::writeAll(path, data, size, &reason)) return true;
    error = cannotWrite(path, printable(reason));
    return false;
}

}  // namespace levelbuild
