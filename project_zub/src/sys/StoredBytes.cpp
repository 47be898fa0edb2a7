#include "sys/StoredBytes.h"

#include <algorithm>
#include <utility>

#include "sys/ErrorManager.h"
#include "sys/Logger.h"

StoredBytes::StoredBytes(ByteBuffer&& b) : bytes(std::move(b)) {}

StoredBytes::StoredBytes(ByteBuffer&& stored, const archive::Entry& e, std::string path)
    : bytes(std::move(stored)), entry(e), archivePath(std::move(path)), packed(true) {}

std::string_view StoredBytes::head(size_t count) {
    if (!packed) return bytes.view().substr(0, count);
    count = std::min<size_t>(count, entry.rawSize);
    if (unpackedHead.size() < count) {
        std::string reason;
        if (!archive::unpackHead(entry, bytes.data, count, unpackedHead, reason))
            ZUB_ERROR(u"Archive '%s' is corrupt: %s.", escapeForLog(archivePath), escapeForLog(reason));
    }
    return std::string_view(reinterpret_cast<const char*>(unpackedHead.data()), count);
}

bool StoredBytes::tryTake(ByteBuffer& out, std::string& reason) {
    if (!packed) {
        out = std::move(bytes);
        return true;
    }
    ByteBuffer raw;
    const bool ok = archive::unpack(entry, bytes.data, raw, reason) && archive::checkCrc(entry, raw, reason);
    *this = StoredBytes();
    if (ok) out = std::move(raw);
    return ok;
}

ByteBuffer StoredBytes::take() {
    const std::string path = archivePath;
    ByteBuffer out;
    std::string reason;
    if (!tryTake(out, reason)) ZUB_ERROR(u"Archive '%s' is corrupt: %s.", escapeForLog(path), escapeForLog(reason));
    return out;
}
