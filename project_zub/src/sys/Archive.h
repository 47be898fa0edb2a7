#pragma once
// The data archive format ("wad"): many files in one, each optionally
// compressed. All numbers are little-endian.
//
//   header     4 bytes  magic "ZWAD"
//              u32      format version (1)
//              u32      entry count
//   directory  per entry:
//              u16      name length in bytes (1 to 1024)
//              bytes    name, UTF-8, normalised (see normaliseArchiveName)
//              u64      offset of the entry's data from the start of the file
//              u32      stored size (bytes in the file)
//              u32      raw size (bytes once unpacked)
//              u32      CRC-32 (zlib's) of the raw bytes
//              u8       1 = stored as a zlib stream, 0 = stored raw
//   data       the entries' bytes, each inside the file after the directory
//
// Compressed entries are zlib streams (written by zopfli or zlib, read with
// libdeflate's zlib decoder); an entry is stored raw when compressing does not make it
// smaller, and then its stored and raw sizes are equal. Names are unique.
//
// Archives ship with the program, so the reader treats any inconsistency as
// a fatal error; the parser below has a report mode for tools and fuzzing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ByteBuffer;

namespace archive {

inline constexpr char kMagic[4] = {'Z', 'W', 'A', 'D'};
inline constexpr uint32_t kVersion = 1;
inline constexpr size_t kHeaderSize = 12;
// Fixed part of a directory entry: name length, offset, three sizes/crc, flag.
inline constexpr size_t kEntryFixedSize = 2 + 8 + 4 + 4 + 4 + 1;
inline constexpr size_t kMaxNameLength = 1024;
// deflate cannot expand data by more than this factor (about 1032:1), so a
// larger claimed raw size is corrupt and is never allocated.
inline constexpr uint64_t kMaxInflateRatio = 1040;

struct Entry {
    std::string name;  // normalised
    uint64_t offset = 0;
    uint32_t storedSize = 0;
    uint32_t rawSize = 0;
    uint32_t crc = 0;
    bool compressed = false;
};

struct Directory {
    uint32_t version = 0;
    std::vector<Entry> entries;
    uint64_t dataStart = 0;  // first byte after the directory
};

enum class ParseResult {
    Ok,
    NeedMore,  // the bytes given end inside the directory, but the file goes on
    Corrupt,
};

// Parses the header and directory from the first `available` bytes of a file
// of `fileSize` bytes and checks every entry against the file size: name
// lengths and forms, no duplicate names, offsets and sizes within the data
// area without overflow, the compressed flag and the raw size. Never reads
// past `available`. On Corrupt, `reason` says why.
ParseResult parseDirectory(const uint8_t* data, size_t available, uint64_t fileSize, Directory& out,
                           std::string& reason);

// The same on a whole file held in memory: false with a reason when it is
// not a valid archive.
bool parseDirectory(const uint8_t* data, size_t size, Directory& out, std::string& reason);

// The serialised header and directory for the given entries.
std::vector<uint8_t> encodeDirectory(const std::vector<Entry>& entries);

// Size of the header and directory for entries with these names.
uint64_t directorySize(const std::vector<Entry>& entries);

// The form names take inside archives and in lookups: '\' becomes '/',
// empty and "." components are dropped (so "./levels//a1.lev" becomes
// "levels/a1.lev"), and ASCII letters are lower case.
std::string normaliseName(std::string_view name);

// True for a name that normaliseName leaves unchanged, that is not empty, has
// no ".." component, no control characters and fits kMaxNameLength: the names
// the reader accepts (and that are safe to extract under a folder).
bool isValidName(std::string_view name);

// The CRC-32 of a block of any size (zlib's polynomial and start value;
// computed by libdeflate).
uint32_t crc32Of(const void* data, size_t size);

// Unpacks a compressed entry from its stored bytes (entry.storedSize of
// them) into `out` (entry.rawSize bytes): the zlib stream is decoded
// straight into the buffer, its Adler-32 checked on the way; bytes after the
// stream's end are not read. False with a reason when the header is not a
// zlib header, or the stream is damaged or does not give exactly rawSize
// bytes. The entry's CRC-32 is checked separately (checkCrc).
bool unpack(const Entry& entry, const uint8_t* stored, ByteBuffer& out, std::string& reason);

// The first `count` bytes of a compressed entry (all of them when the entry
// is shorter), decoding the stream only as far as they go; nothing past them
// is read or checked, so a stream damaged further on is found only by
// unpack. False with a reason when the header is not a zlib header or the
// stream is damaged before `count` bytes.
bool unpackHead(const Entry& entry, const uint8_t* stored, size_t count, std::vector<uint8_t>& out,
                std::string& reason);

// Whether the unpacked bytes match the entry's CRC-32 (false with a reason).
bool checkCrc(const Entry& entry, const ByteBuffer& raw, std::string& reason);

}  // namespace archive
