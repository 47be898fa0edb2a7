#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
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
                            : "something else";
}

// Why what stands at the path is not written to; empty when it may be.
std::string refusal(mode_t mode) {
    if (S_ISREG(mode) || S_ISCHR(mode)) return {};
    if (S_ISDIR(mode)) return "it is a folder";
    return std::string("it is not a regular file or a character device (but ") + kindOf(mode) + ")";
}

// "<Step> '<path>' failed (errno N: text)", as AtomicFile words its reasons.
std::string stepFailed(const char* step, const std::string& path, int error) {
    return std::string(step) + " '" + printable(path) + "' failed (errno " + std::to_string(error) + ": " +
           std::strerror(error) + ")";
}

}  // namespace

// The device is opened as it is (never created or truncated) and without
// waiting: should anything else have taken its place since it was looked at
// (a named pipe, a regular file), the open fails or what was opened is
// refused before a byte is written.
bool writeToCharacterDevice(const std::string& path, const void* data, size_t size, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = cannotWrite(path, stepFailed("Opening", path, errno));
        return false;
    }
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0) why = stepFailed("Looking at", path, errno);
    else if (!S_ISCHR(st.st_mode))
        why = std::string("it is no longer a character device (but ") + kindOf(st.st_mode) + ")";
    else if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        why = stepFailed("Opening", path, errno);
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (why.empty() && size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            why = stepFailed("Writing", path, n < 0 ? errno : EIO);
            break;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && why.empty()) why = stepFailed("Closing", path, errno);
    if (why.empty()) return true;
    error = cannotWrite(path, why);
    return false;
}

bool writeOutputFile(const std::string& path, const void* data, size_t size, std::string& error) {
    // What stands at the path itself: a link is not followed but replaced.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        if (S_ISCHR(st.st_mode)) return writeToCharacterDevice(path, data, size, error);
        if (std::string why = refusal(st.st_mode); !why.empty()) {
            error = cannotWrite(path, why);
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
