#include "sys/ArchiveReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "sys/ErrorManager.h"

namespace {
std::string errnoText(int err) { return "errno " + std::to_string(err) + ": " + std::strerror(err); }
}  // namespace

ArchiveReader::~ArchiveReader() { close(); }

void ArchiveReader::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    fileSize = 0;
    directory = archive::Directory{};
    index.clear();
}

bool ArchiveReader::readAt(uint64_t offset, void* dest, size_t size) const {
    uint8_t* p = static_cast<uint8_t*>(dest);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;  // the file shrank under us
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool ArchiveReader::tryOpen(const std::string& path, std::string& reason) {
    close();
    filePath = path;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot open (" + errnoText(errno) + ")";
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        reason = "cannot read (" + errnoText(errno) + ")";
        close();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        close();
        return false;
    }
    fileSize = static_cast<uint64_t>(st.st_size);

    // The directory size is known only once it is parsed: read a first part
    // and grow it until the directory fits.
    std::vector<uint8_t> head;
    size_t want = static_cast<size_t>(std::min<uint64_t>(fileSize, 64 * 1024));
    for (;;) {
        head.resize(want);
        if (!readAt(0, head.data(), want)) {
            reason = "cannot read (" + errnoText(errno) + ")";
            close();
            return false;
        }
        archive::Directory dir;
        const archive::ParseResult r = archive::parseDirectory(head.data(), want, fileSize, dir, reason);
        if (r == archive::ParseResult::Ok) {
            directory = std::move(dir);
            break;
        }
        if (r == archive::ParseResult::Corrupt) {
            ::close(fd);
            fd = -1;
            return false;
        }
        want = static_cast<size_t>(std::min<uint64_t>(fileSize, uint64_t(want) * 4));
    }
    index.reserve(directory.entries.size());
    for (size_t i = 0; i < directory.entries.size(); ++i) index.emplace(directory.entries[i].name, static_cast<int>(i));
    return true;
}

void ArchiveReader::open(const std::string& path) {
    std::string reason;
    if (!tryOpen(path, reason)) ZUB_ERROR(u"Archive '%s' is unusable: %s.", path, reason);
}

int ArchiveReader::findNormalised(const std::string& name) const {
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

int ArchiveReader::find(std::string_view name) const { return findNormalised(archive::normaliseName(name)); }

bool ArchiveReader::tryRead(int i, ByteBuffer& out, std::string& reason) const {
    if (fd < 0 || i < 0 || static_cast<size_t>(i) >= directory.entries.size()) {
        reason = "no such entry";
        return false;
    }
    const archive::Entry& e = directory.entries[static_cast<size_t>(i)];
    ByteBuffer raw;
    if (!e.compressed) {
        raw.resize(e.rawSize);
        if (!readAt(e.offset, raw.data, raw.size)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(errno) + ")";
            return false;
        }
    } else {
        ByteBuffer stored(e.storedSize);
        if (!readAt(e.offset, stored.data, stored.size)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(errno) + ")";
            return false;
        }
        raw.resize(e.rawSize);
        // uncompress needs a non-null output even for an empty result.
        Bytef spare = 0;
        uLongf length = e.rawSize;
        const int z = uncompress(raw.data ? raw.data : &spare, &length, stored.data, stored.size);
        if (z != Z_OK || length != e.rawSize) {
            reason = "entry '" + e.name + "' does not unpack (zlib " + std::to_string(z) + ", " +
                     std::to_string(length) + " of " + std::to_string(e.rawSize) + " bytes)";
            return false;
        }
    }
    if (archive::crc32Of(raw.data, raw.size) != e.crc) {
        reason = "entry '" + e.name + "' fails its CRC check";
        return false;
    }
    out = std::move(raw);
    return true;
}

ByteBuffer ArchiveReader::read(int i) const {
    ByteBuffer out;
    std::string reason;
    if (!tryRead(i, out, reason)) ZUB_ERROR(u"Archive '%s' is corrupt: %s.", filePath, reason);
    return out;
}
