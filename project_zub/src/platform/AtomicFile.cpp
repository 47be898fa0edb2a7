#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

AtomicFile::~AtomicFile() { abort(); }

bool AtomicFile::fail(const char* what) {
    const int err = errno;
    reason =
        std::string(what) + " '" + temp + "' failed (errno " + std::to_string(err) + ": " + std::strerror(err) + ")";
    abort();
    return false;
}

bool AtomicFile::open(const std::string& path) {
    abort();
    target = path;
    temp = path + ".tmp";
    reason.clear();
    end = 0;
    // The temporary file is always a new one: whatever is left under its
    // name (an earlier save cut short, or a symbolic link planted there) is
    // removed, never written through, and the file is then created only if
    // nothing took the name again in between.
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        const int err = errno;
        reason = "Removing '" + temp + "' failed (errno " + std::to_string(err) + ": " + std::strerror(err) + ")";
        return false;
    }
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        reason = "Creating '" + temp + "' failed (errno " + std::to_string(err) + ": " + std::strerror(err) + ")";
        return false;
    }
    return true;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (fd < 0) {
        if (reason.empty()) reason = "write to a file that is not open";
        return false;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Writing");
        }
        if (n == 0) {
            errno = EIO;
            return fail("Writing");
        }
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!writeAt(end, data, size)) return false;
    end += size;
    return true;
}

bool AtomicFile::commit() {
    if (fd < 0) {
        if (reason.empty()) reason = "commit of a file that is not open";
        return false;
    }
    if (::fsync(fd) != 0) return fail("Syncing");
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        reason = "Closing '" + temp + "' failed (errno " + std::to_string(err) + ": " + std::strerror(err) + ")";
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        reason = "Renaming '" + temp + "' to '" + target + "' failed (errno " + std::to_string(err) + ": " +
                 std::strerror(err) + ")";
        return false;
    }
    // Make the rename itself durable.
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFile::abort() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
        ::unlink(temp.c_str());
    }
}

bool AtomicFile::writeAll(const std::string& path, const void* data, size_t size, std::string* why) {
    AtomicFile file;
    const bool ok = file.open(path) && file.write(data, size) && file.commit();
    if (!ok && why) *why = file.error();
    return ok;
}
