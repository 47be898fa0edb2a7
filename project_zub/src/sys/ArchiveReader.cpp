#include "sys/ArchiveReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {

std::string errnoText(int err) { return "errno " + std::to_string(err) + ": " + std::strerror(err); }

// Holds an entry's packed bytes while they are unpacked, one per thread.
std::vector<uint8_t>& packedBuffer() {
    thread_local std::vector<uint8_t> buffer;
    return buffer;
}

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
    if (!tryOpen(path, reason)) ZUB_ERROR(u"Archive '%s' is unusable: %s.", escapeForLog(path), escapeForLog(reason));
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
    int err = 0;
    if (!e.compressed) {
        raw.resizeForOverwrite(e.rawSize);
        if (!file.readAt(e.offset, raw.data, raw.size, &err)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(err) + ")";
            return false;
        }
    } else {
        std::vector<uint8_t>& packed = packedBuffer();
        if (packed.size() < e.storedSize) packed.resize(e.storedSize);
        if (!file.readAt(e.offset, packed.data(), e.storedSize, &err)) {
            reason = "cannot read entry '" + e.name + "' (" + errnoText(err) + ")";
            return false;
        }
        if (!archive::unpack(e, packed.data(), raw, reason)) return false;
    }
    if (!archive::checkCrc(e, raw, reason)) return false;
    out = std::move(raw);
    return true;
}

StoredBytes ArchiveReader::readStored(int i) const {
    if (i >= 0 && static_cast<size_t>(i) < directory.entries.size() && file.isOpen()) {
        const archive::Entry& e = directory.entries[static_cast<size_t>(i)];
        if (e.compressed) {
            ByteBuffer packed;
            packed.resizeForOverwrite(e.storedSize);
            int err = 0;
            std::string reason;
            std::vector<uint8_t> none;
            if (!file.readAt(e.offset, packed.data, packed.size, &err))
                reason = "cannot read entry '" + e.name + "' (" + errnoText(err) + ")";
            else if (archive::unpackHead(e, packed.data, 0, none, reason))
                return StoredBytes(std::move(packed), e, filePath);
            ZUB_ERROR(u"Archive '%s' is corrupt: %s.", escapeForLog(filePath), escapeForLog(reason));
        }
    }
    return StoredBytes(read(i));
}

ByteBuffer ArchiveReader::read(int i) const {
    ByteBuffer out;
    std::string reason;
    if (!tryRead(i, out, reason))
        ZUB_ERROR(u"Archive '%s' is corrupt: %s.", escapeForLog(filePath), escapeForLog(reason));
    return out;
}
