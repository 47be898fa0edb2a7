#include "sys/ArchiveReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>
#include <zlib.h>

#include "sys/ErrorManager.h"

namespace {

std::string errnoText(int err) { return "errno " + std::to_string(err) + ": " + std::strerror(err); }

// One raw-deflate decoder per thread, reset for each entry, and the buffer
// that holds an entry's packed bytes while they are unpacked.
struct Inflater {
    z_stream stream{};
    bool ready = false;
    std::vector<uint8_t> packed;

    Inflater() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

Inflater& inflater() {
    thread_local Inflater instance;
    return instance;
}

// The two-byte zlib header: deflate with a window of at most 32 KB, no preset
// dictionary, and the check bits right.
bool isZlibHeader(const uint8_t* p) {
    return (p[0] & 0x0F) == Z_DEFLATED && (p[0] >> 4) <= 7 && (p[1] & 0x20) == 0 && ((p[0] << 8) | p[1]) % 31 == 0;
}

// The smallest zlib stream: header, one empty block, Adler-32.
constexpr size_t kMinZlibStream = 2 + 1 + 4;

}  // namespace

ArchiveReader::~ArchiveReader() { close(); }

void ArchiveReader::close() {
    file.close();
    fileSize = 0;
    directory = archive::Directory{};
    index.clear();
}

bool ArchiveReader::tryOpen(const std::string& path, std::string& reason) {
    close();
    filePath = path;
    int err = 0;
    if (!file.open(path, &err)) {
        reason = err == EISDIR || err == EINVAL ? "not a regular file" : "cannot open (" + errnoText(err) + ")";
        return false;
    }
    fileSize = file.size();

    // The directory size is known only once it is parsed: read a first part
    // and grow it until the directory fits.
    std::vector<uint8_t> head;
    size_t want = static_cast<size_t>(std::min<uint64_t>(fileSize, 64 * 1024));
    for (;;) {
        head.resize(want);
        if (!file.readAt(0, head.data(), want, &err)) {
            reason = "cannot read (" + errnoText(err) + ")";
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
            close();
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
    if (!file.isOpen() || i < 0 || static_cast<size_t>(i) >= directory.entries.size()) {
        reason = "no such entry";
        return false;
    }
    const archive::Entry& e = directory.entries[static_cast<size_t>(i)];
    ByteBuffer raw;
    raw.resizeForOverwrite(e.rawSize);
    int err = 0;
    if (!e.compressed) {
        if (!file.readAt(e.offset, raw.data, raw.size, &err)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(err) + ")";
            return false;
        }
    } else {
        Inflater& z = inflater();
        if (!z.ready) {
            reason = "entry '" + e.name + "' cannot be unpacked (zlib could not start)";
            return false;
        }
        if (e.storedSize < kMinZlibStream) {
            reason = "entry '" + e.name + "' is too short to be a zlib stream";
            return false;
        }
        if (z.packed.size() < e.storedSize) z.packed.resize(e.storedSize);
        if (!file.readAt(e.offset, z.packed.data(), e.storedSize, &err)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(err) + ")";
            return false;
        }
        if (!isZlibHeader(z.packed.data())) {
            reason = "entry '" + e.name + "' has a bad zlib header";
            return false;
        }
        // The deflate data after the header; whatever follows its end (the
        // Adler-32) is left unread.
        inflateReset(&z.stream);
        Bytef spare = 0;  // zlib needs an output pointer even for an empty entry
        z.stream.next_in = z.packed.data() + 2;
        z.stream.avail_in = static_cast<uInt>(e.storedSize - 2);
        z.stream.next_out = raw.data ? raw.data : &spare;
        z.stream.avail_out = static_cast<uInt>(e.rawSize);
        const int rc = inflate(&z.stream, Z_FINISH);
        if (rc != Z_STREAM_END || z.stream.total_out != e.rawSize) {
            reason = "entry '" + e.name + "' does not unpack (zlib " + std::to_string(rc) + ", " +
                     std::to_string(z.stream.total_out) + " of " + std::to_string(e.rawSize) + " bytes)";
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
