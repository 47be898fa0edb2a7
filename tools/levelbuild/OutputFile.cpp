#include "OutputFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
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

// A process's open descriptor, as an entry of its descriptor folder
// (/proc/<process>/fd/<number>) names it.
struct Descriptor {
    long process = 0;
    int number = 0;
};

bool allDigits(std::string_view text) {
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The descriptor `at` names when it is an entry of a process's descriptor
// folder: /proc/<process>/fd/<number>, or .../task/<thread>/fd/<number>,
// however the folder is reached (/proc/self/fd, /dev/fd).
std::optional<Descriptor> descriptorEntry(const std::string& at) {
    const size_t slash = at.find_last_of('/');
    const std::string name = slash == std::string::npos ? at : at.substr(slash + 1);
    if (!allDigits(name)) return std::nullopt;
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : at.substr(0, slash);
    char real[PATH_MAX];
    struct statfs system {};
    if (!::realpath(folder.c_str(), real) || ::statfs(real, &system) != 0 || system.f_type != PROC_SUPER_MAGIC)
        return std::nullopt;
    // <process>/fd or <process>/task/<thread>/fd, at the end of the folder's path.
    std::string_view rest(real);
    if (rest.size() < 3 || rest.substr(rest.size() - 3) != "/fd") return std::nullopt;
    rest.remove_suffix(3);
    auto lastPart = [&rest] {
        const size_t cut = rest.find_last_of('/');
        const std::string_view part = cut == std::string_view::npos ? rest : rest.substr(cut + 1);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(0, cut);
        return part;
    };
    std::string_view process = lastPart();
    if (!allDigits(process)) return std::nullopt;
    if (const size_t cut = rest.find_last_of('/'); cut != std::string_view::npos && rest.substr(cut + 1) == "task") {
        rest = rest.substr(0, cut);
        process = lastPart();
        if (!allDigits(process)) return std::nullopt;
    }
    return Descriptor{std::atol(std::string(process).c_str()), std::atoi(name.c_str())};
}

// The descriptor that the path, or a link on the way from it, names (as
// /dev/stdout leads to /proc/self/fd/1), whether or not it is open; none
// when the links end elsewhere.
std::optional<Descriptor> descriptorBehind(std::string at) {
    for (int hops = 0; hops < 40; ++hops) {
        if (const std::optional<Descriptor> d = descriptorEntry(at)) return d;
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
        target.resize(static_cast<size_t>(n));
        // A relative link leads on from its own folder.
        if (const size_t slash = at.find_last_of('/'); target[0] != '/' && slash != std::string::npos)
            target = at.substr(0, slash + 1) + target;
        at = target;
    }
    return std::nullopt;
}

std::string streamName(int fd) {
    return fd == STDIN_FILENO    ? "standard input"
           : fd == STDOUT_FILENO ? "standard output"
           : fd == STDERR_FILENO ? "standard error"
                                 : "descriptor " + std::to_string(fd);
}

// A link to a descriptor (/dev/stdout, /dev/fd/3) is written as that
// stream or refused; the link is never replaced (/dev/stdout is everyone's).
// A character device or a pipe is opened anew through the link, as any
// stream. A regular file that this run's descriptor is open on for writing
// gets the bytes from where the descriptor stands (output sent to a file).
// Anything else is refused: a closed descriptor (one held in a closed
// stream's place where /dev/null could not be opened counts as closed), one
// open for reading only (standard input from a file), one open on a folder
// or a socket, and another process's descriptor of a regular file.
bool writeThroughDescriptor(const std::string& path, const Descriptor& descriptor, const void* data, size_t size,
                            std::string& error) {
    const int fd = descriptor.number;
    struct stat st {};
    if (descriptor.process != static_cast<long>(::getpid())) {
        const bool seen = ::stat(path.c_str(), &st) == 0;
        if (seen && isStream(st.st_mode)) return writeToStream(path, data, size, error);
        error = cannotWrite(path, "it is a link to " + streamName(fd) + " of another process, which " +
                                      (seen ? std::string("is open on ") + kindOf(st.st_mode) : "cannot be reached"));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    const std::string link = "it is a link to " + streamName(fd) + ", which ";
    if (flags < 0 || (flags & O_PATH) != 0 || ::fstat(fd, &st) != 0) {
        error = cannotWrite(path, link + "is closed");
        return false;
    }
    if (isStream(st.st_mode)) return writeToStream(path, data, size, error);
    if (!S_ISREG(st.st_mode)) {
        error = cannotWrite(path, link + "is open on " + kindOf(st.st_mode));
        return false;
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
        error = cannotWrite(path, link + "is open for reading only");
        return false;
    }
    if (fd == STDOUT_FILENO || fd == STDERR_FILENO) std::fflush(fd == STDOUT_FILENO ? stdout : stderr);
    std::string why = writeAll(fd, path, data, size);
    if (why.empty()) return true;
    error = cannotWrite(path, why);
    return false;
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
    if (const std::optional<Descriptor> d = descriptorBehind(path))
        return writeThroughDescriptor(path, *d, data, size, error);
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
