#pragma once
// Packed data files: the saved records of the game (configuration and high
// scores, profiles) as one sealed, compressed file. All numbers are
// little-endian.
//
//   offset  size  field
//        0    32  name: the file's own name (e.g. "Tumbrodemo.hst"), narrow
//                 text ended by a NUL, the rest zero (copyToFixedString32)
//       32    16  version text (e.g. "1.25"), the same way (copyToFixedString16)
//       48     4  raw size: bytes of the record
//       52     4  packed size: bytes of the zlib stream that follows
//       56    16  seal: MD5 of the salt 0x3C5A9E17 (4 bytes, little-endian)
//                 followed by the raw record (md5DigestWithPrefix)
//       72     -  zlib stream of the record (compress2, level 9)
//
// A file is accepted only when the name and version fields equal the
// expected ones byte for byte, the raw size equals the size of the record
// the caller loads, the packed size equals the rest of the file, the stream
// unpacks to exactly the raw size and the seal matches the unpacked bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace packedfile {

inline constexpr size_t kHeaderSize = 72;
inline constexpr uint32_t kSealSalt = 0x3C5A9E17;

// The largest file pack() makes for a record of `recordSize` bytes: the
// header and zlib's bound of a compressed stream (compressBound). A larger
// file was not written by pack(), and the loader refuses it without reading.
uint64_t maxFileSize(size_t recordSize);

// The whole file for a record. Empty only when the record is 4 GiB or more.
std::vector<uint8_t> pack(const void* data, size_t size, std::u16string_view name, std::u16string_view versionText);

// Checks a whole file and, only when every check passes, copies the record
// into dest (exactly destSize bytes). Otherwise dest is untouched and
// `reason` says which check failed.
bool unpack(const uint8_t* file, size_t fileSize, std::u16string_view name, std::u16string_view versionText, void* dest,
            size_t destSize, std::string& reason);

}  // namespace packedfile
