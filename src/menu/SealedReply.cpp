#include "menu/SealedReply.h"

#include "sys/MemoryIniFile.h"
#include "util/Md5.h"

namespace {

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Decimal digits from `pos` up to `end` (exclusive) as a number no greater
// than `max`, at most `maxDigits` of them; false for none, others, or too many.
bool readNumber(std::u16string_view text, size_t pos, size_t end, int maxDigits, uint32_t max, uint32_t& value) {
    if (end <= pos || end - pos > static_cast<size_t>(maxDigits)) return false;
    value = 0;
    for (size_t i = pos; i < end; ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
    return value <= max;
}

}  // namespace

bool isPrintableReply(const uint8_t* data, size_t size) {
    const size_t n = size < 4 ? size : 4;
    for (size_t i = 0; i < n; ++i)
        if (data[i] < 32 || data[i] > 127) return false;
    return true;
}

bool isSealedReply(const uint8_t* data, size_t size) {
    return data && size >= 4 && readU32(data) == SealedReply::kMagic;
}

std::unique_ptr<ByteBuffer> unpackSealedReply(const uint8_t* data, size_t size) {
    if (!isSealedReply(data, size) || size < SealedReply::kHeaderSize) return nullptr;
    const size_t length = size - SealedReply::kHeaderSize;
    if (readU32(data + 4) != length) return nullptr;
    const uint8_t* payload = data + SealedReply::kHeaderSize;
    uint8_t digest[16];
    md5Digest(payload, length, digest);
    if (!md5Equal(digest, data + 8)) return nullptr;
    return std::make_unique<ByteBuffer>(payload, length);
}

bool parseMasterServer(std::u16string_view text, NetAddress& address) {
    uint32_t octets[4];
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        const char16_t separator = i < 3 ? u'.' : u':';
        const size_t end = text.find(separator, pos);
        if (end == std::u16string_view::npos || !readNumber(text, pos, end, 3, 255, octets[i])) return false;
        pos = end + 1;
    }
    uint32_t port = 0;
    if (!readNumber(text, pos, text.size(), 5, 65535, port)) return false;
    address = NetAddress::of((octets[0] << 24) | (octets[1] << 16) | (octets[2] << 8) | octets[3],
                             static_cast<uint16_t>(port));
    return true;
}

NetTestPayload readNetTestPayload(const ByteBuffer& payload) {
    NetTestPayload result;
    const MemoryIniFile ini(payload);
    if (ini.hasKey(u"", u"masterServer")) {
        const WString& value = ini.getString(u"", u"masterServer");
        if (parseMasterServer(value, result.masterServer)) {
            result.bMasterServer = true;
        } else {
            result.bIgnoredMasterServer = true;
            result.ignoredMasterServer = value;
        }
    }
    if (ini.hasKey(u"", u"message")) {
        result.bMessage = true;
        result.message = ini.getString(u"", u"message");
    }
    return result;
}
