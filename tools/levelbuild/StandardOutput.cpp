#include "StandardOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace levelbuild {

namespace {

// The error of the first write to standard output that failed, or 0.
std::atomic<int> failure{0};

// Whether standard output is the descriptor that holds a closed stream's
// place where /dev/null could not be opened (open on nothing, O_PATH).
bool heldClosed() {
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    return flags >= 0 && (flags & O_PATH) != 0;
}

ssize_t writeOut(void*, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EBADF && heldClosed()) return static_cast<ssize_t>(size);
        if (n <= 0) {
            int expected = 0;
            failure.compare_exchange_strong(expected, n < 0 ? errno : EIO);
            // Fewer bytes than asked for: the stream marks the error.
            return static_cast<ssize_t>(done);
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

}  // namespace

void watchStandardOutput() {
    cookie_io_functions_t functions{};
    functions.write = writeOut;
    FILE* watched = ::fopencookie(nullptr, "w", functions);
    if (!watched) return;
    // Buffered as the C library buffers standard output: by lines on a
    // terminal, else in blocks.
    std::setvbuf(watched, nullptr, ::isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, BUFSIZ);
    std::fflush(stdout);
    stdout = watched;
}

std::string standardOutputFailure() {
    std::fflush(stdout);
    const int error = failure.load();
    return error != 0 ? std::strerror(error) : std::string();
}

}  // namespace levelbuild
