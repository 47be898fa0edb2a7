#include "sys/PackedFile.h"

#include <zlib.h>
#include <cstring>

#include "sys/ByteBuffer.h"
#include "util/Md5.h"
#include "util/WString.h"

namespace packedfile {

namespace {

constexpr size_t kNameOffset = 0;
constexpr size_t kVersionOffset = 32;
constexpr size_t kRawSizeOffset = 48;
constexpr size_t kPackedSizeOffset = 52;
constexpr size_t kSealOffset = 56;

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void writeU32(uint8_t* p, uint32_t x) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(x >> (8 * i));
}

}  // namespace

uint64_t maxFileSize(size_t recordSize) {
    if (recordSize > UINT32_MAX) return kHeaderSize;
    return kHeaderSize + compressBound(static_cast<uLong>(recordSize));
}

std::vector<uint8_t> pack(const void* data, size_t size, std::u16string_view name, std::u16string_view versionText) {
    if (size > UINT32_MAX) return {};
    uLongf packedLength = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> file(kHeaderSize + packedLength);
    static const uint8_t nothing = 0;
    if (compress2(file.data() + kHeaderSize, &packedLength, size ? static_cast<const Bytef*>(data) : &nothing,
                  static_cast<uLong>(size), 9) != Z_OK)
        return {};
    file.resize(kHeaderSize + packedLength);

    char nameField[32];
    char versionField[16];
    copyToFixedString32(nameField, name);
    copyToFixedString16(versionField, versionText);
    std::memcpy(file.data() + kNameOffset, nameField, sizeof nameField);
    std::memcpy(file.data() + kVersionOffset, versionField, sizeof versionField);
    writeU32(file.data() + kRawSizeOffset, static_cast<uint32_t>(size));
    writeU32(file.data() + kPackedSizeOffset, static_cast<uint32_t>(packedLength));
    md5DigestWithPrefix(kSealSalt, size ? data : &nothing, size, file.data() + kSealOffset);
    return file;
}

bool unpack(const uint8_t* file, size_t fileSize, std::u16string_view name, std::u16string_view versionText, void* dest,
            size_t destSize, std::string& reason) {
    if (fileSize < kHeaderSize) {
        reason = "truncated header (" + std::to_string(fileSize) + " bytes)";
        return false;
    }
    char nameField[32];
    char versionField[16];
    copyToFixedString32(nameField, name);
    copyToFixedString16(versionField, versionText);
    if (std::memcmp(file + kNameOffset, nameField, sizeof nameField) != 0) {
        reason = "wrong name";
        return false;
    }
    if (std::memcmp(file + kVersionOffset, versionField, sizeof versionField) != 0) {
        reason = "wrong version";
        return false;
    }
    const uint32_t rawSize = readU32(file + kRawSizeOffset);
    if (rawSize != destSize) {
        reason = "record size " + std::to_string(rawSize) + ", expected " + std::to_string(destSize);
        return false;
    }
    const uint32_t packedSize = readU32(file + kPackedSizeOffset);
    if (packedSize != fileSize - kHeaderSize) {
        reason = (packedSize > fileSize - kHeaderSize ? "truncated data (" : "trailing bytes (") +
                 std::to_string(fileSize - kHeaderSize) + " bytes of data, header says " + std::to_string(packedSize) +
                 ")";
        return false;
    }
    // Unpack into a scratch buffer: dest changes only once everything checks.
    ByteBuffer raw(rawSize);
    Bytef spare = 0;
    uLongf length = rawSize;
    const int z = uncompress(raw.data ? raw.data : &spare, &length, file + kHeaderSize, packedSize);
    if (z != Z_OK || length != rawSize) {
        reason = "data does not unpack (zlib " + std::to_string(z) + ")";
        return false;
    }
    uint8_t seal[16];
    md5DigestWithPrefix(kSealSalt, raw.data ? raw.data : &spare, raw.size, seal);
    if (!md5Equal(seal, file + kSealOffset)) {
        reason = "seal mismatch";
        return false;
    }
    if (rawSize) std::memcpy(dest, raw.data, rawSize);
    return true;
}

}  // namespace packedfile
