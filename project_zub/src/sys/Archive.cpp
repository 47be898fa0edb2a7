#include "sys/Archive.h"

#include <libdeflate.h>
#include <zlib.h>
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "sys/ByteBuffer.h"

namespace archive {

namespace {

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t readU64(const uint8_t* p) {
    return static_cast<uint64_t>(readU32(p)) | (static_cast<uint64_t>(readU32(p + 4)) << 32);
}

// Little-endian writes into a buffer sized beforehand.
uint8_t* putLE(uint8_t* p, uint64_t x, int bytes) {
    for (int i = 0; i < bytes; ++i) *p++ = static_cast<uint8_t>(x >> (8 * i));
    return p;
}

std::string printable(std::string_view name) {
    std::string s;
    for (char c : name.substr(0, 64)) s += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    if (name.size() > 64) s += "...";
    return s;
}

// One libdeflate decompressor per thread (it holds only tables, no state
// between entries).
struct Decompressor {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();

    Decompressor() = default;
    ~Decompressor() {
        if (d) libdeflate_free_decompressor(d);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

libdeflate_decompressor* decompressor() {
    thread_local Decompressor instance;
    return instance.d;
}

const char* resultText(libdeflate_result r) {
    switch (r) {
        case LIBDEFLATE_BAD_DATA:
            return "damaged data";
        case LIBDEFLATE_SHORT_OUTPUT:
            return "fewer bytes than its raw size";
        case LIBDEFLATE_INSUFFICIENT_SPACE:
            return "more bytes than its raw size";
        default:
            return "unknown error";
    }
}

// The two-byte zlib header: deflate (method 8) with a window of at most
// 32 KB, no preset dictionary, and the check bits right.
bool isZlibHeader(const uint8_t* p) {
    return (p[0] & 0x0F) == 8 && (p[0] >> 4) <= 7 && (p[1] & 0x20) == 0 && ((p[0] << 8) | p[1]) % 31 == 0;
}

// The smallest zlib stream: header, one empty block, Adler-32.
constexpr size_t kMinZlibStream = 2 + 1 + 4;

}  // namespace

bool unpack(const Entry& e, const uint8_t* stored, ByteBuffer& out, std::string& reason) {
    libdeflate_decompressor* d = decompressor();
    if (!d) {
        reason = "entry '" + e.name + "' cannot be unpacked (no memory for the decompressor)";
        return false;
    }
    if (e.storedSize < kMinZlibStream || !isZlibHeader(stored)) {
        reason = "entry '" + e.name + "' has a bad zlib header";
        return false;
    }
    out.resizeForOverwrite(e.rawSize);
    // The whole zlib stream, which must give exactly rawSize bytes; whatever
    // follows its end is left unread.
    uint8_t spare = 0;  // an output pointer even for an empty entry
    const libdeflate_result r =
        libdeflate_zlib_decompress(d, stored, e.storedSize, out.data ? out.data : &spare, e.rawSize, nullptr);
    if (r != LIBDEFLATE_SUCCESS) {
        reason = "entry '" + e.name + "' does not unpack (" + resultText(r) + ")";
        return false;
    }
    return true;
}

bool unpackHead(const Entry& e, const uint8_t* stored, size_t count, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    if (e.storedSize < kMinZlibStream || !isZlibHeader(stored)) {
        reason = "entry '" + e.name + "' has a bad zlib header";
        return false;
    }
    out.resize(std::min<size_t>(count, e.rawSize));
    if (out.empty()) return true;
    // One stream per thread, reset for each entry: its state and window are
    // allocated once.
    struct Stream {
        z_stream z{};
        bool ready = false;
        ~Stream() {
            if (ready) inflateEnd(&z);
        }
    };
    thread_local Stream stream;
    if (!stream.ready) stream.ready = inflateInit(&stream.z) == Z_OK;
    if (!stream.ready || inflateReset(&stream.z) != Z_OK) {
        reason = "entry '" + e.name + "' cannot be unpacked (no memory for the decompressor)";
        out.clear();
        return false;
    }
    z_stream& z = stream.z;
    z.next_in = const_cast<Bytef*>(stored);
    z.avail_in = e.storedSize;
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int r = Z_OK;
    while (z.avail_out > 0 && r == Z_OK) r = inflate(&z, Z_NO_FLUSH);
    const bool whole = z.avail_out == 0;
    if (!whole) {
        reason = "entry '" + e.name + "' does not unpack (" +
                 (r == Z_STREAM_END ? std::string("the stream ends early") : std::string("the stream is damaged")) +
                 ")";
        out.clear();
        return false;
    }
    return true;
}

bool checkCrc(const Entry& e, const ByteBuffer& raw, std::string& reason) {
    if (crc32Of(raw.data, raw.size) == e.crc) return true;
    reason = "entry '" + e.name + "' fails its CRC check";
    return false;
}

std::string normaliseName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i <= name.size()) {
        size_t j = i;
        while (j < name.size() && name[j] != '/' && name[j] != '\\') ++j;
        const std::string_view part = name.substr(i, j - i);
        if (!part.empty() && part != ".") {
            if (!out.empty()) out += '/';
            for (char c : part) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        i = j + 1;
    }
    return out;
}

bool isValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) return false;
    }
    if (normaliseName(name) != name) return false;
    // normaliseName keeps "..": reject it as a whole component.
    size_t i = 0;
    while (i <= name.size()) {
        size_t j = name.find('/', i);
        if (j == std::string_view::npos) j = name.size();
        if (name.substr(i, j - i) == "..") return false;
        i = j + 1;
    }
    return true;
}

uint32_t crc32Of(const void* data, size_t size) { return size ? libdeflate_crc32(0, data, size) : 0; }

ParseResult parseDirectory(const uint8_t* data, size_t available, uint64_t fileSize, Directory& out,
                           std::string& reason) {
    out = Directory{};
    if (available > fileSize) available = static_cast<size_t>(fileSize);
    const bool whole = available == fileSize;

    auto needMore = [&](const char* what) {
        if (whole) {
            reason = std::string("truncated ") + what;
            return ParseResult::Corrupt;
        }
        return ParseResult::NeedMore;
    };

    if (available < kHeaderSize) return needMore("header");
    if (std::memcmp(data, kMagic, 4) != 0) {
        reason = "not an archive (bad magic)";
        return ParseResult::Corrupt;
    }
    out.version = readU32(data + 4);
    if (out.version != kVersion) {
        reason = "unsupported version " + std::to_string(out.version);
        return ParseResult::Corrupt;
    }
    const uint32_t count = readU32(data + 8);
    // Each entry takes at least its fixed part and a one-byte name.
    if (static_cast<uint64_t>(count) * (kEntryFixedSize + 1) > fileSize - kHeaderSize) {
        reason = "entry count " + std::to_string(count) + " does not fit the file";
        return ParseResult::Corrupt;
    }
    out.entries.reserve(count);
    std::unordered_set<std::string_view> seen;
    seen.reserve(count);

    size_t pos = kHeaderSize;
    for (uint32_t i = 0; i < count; ++i) {
        if (available - pos < 2) return needMore("directory");
        const size_t nameLength = readU16(data + pos);
        if (nameLength == 0 || nameLength > kMaxNameLength) {
            reason = "entry " + std::to_string(i) + " has a bad name length " + std::to_string(nameLength);
            return ParseResult::Corrupt;
        }
        if (available - pos - 2 < nameLength + (kEntryFixedSize - 2)) return needMore("directory");
        Entry e;
        e.name.assign(reinterpret_cast<const char*>(data + pos + 2), nameLength);
        const uint8_t* f = data + pos + 2 + nameLength;
        e.offset = readU64(f);
        e.storedSize = readU32(f + 8);
        e.rawSize = readU32(f + 12);
        e.crc = readU32(f + 16);
        const uint8_t flag = f[20];
        pos += 2 + nameLength + (kEntryFixedSize - 2);

        if (!isValidName(e.name)) {
            reason = "entry " + std::to_string(i) + " has a bad name '" + printable(e.name) + "'";
            return ParseResult::Corrupt;
        }
        if (flag > 1) {
            reason = "entry '" + e.name + "' has a bad compression flag " + std::to_string(flag);
            return ParseResult::Corrupt;
        }
        e.compressed = flag == 1;
        if (e.offset > fileSize || e.storedSize > fileSize - e.offset) {
            reason = "entry '" + e.name + "' lies outside the file";
            return ParseResult::Corrupt;
        }
        if (e.compressed ? (e.storedSize == 0 || e.rawSize > uint64_t(e.storedSize) * kMaxInflateRatio)
                         : e.rawSize != e.storedSize) {
            reason = "entry '" + e.name + "' has inconsistent sizes";
            return ParseResult::Corrupt;
        }
        out.entries.push_back(std::move(e));
    }
    out.dataStart = pos;
    for (const Entry& e : out.entries) {
        if (e.offset < out.dataStart && e.storedSize > 0) {
            reason = "entry '" + e.name + "' overlaps the directory";
            return ParseResult::Corrupt;
        }
        if (!seen.insert(e.name).second) {
            reason = "duplicate entry '" + e.name + "'";
            return ParseResult::Corrupt;
        }
    }
    return ParseResult::Ok;
}

bool parseDirectory(const uint8_t* data, size_t size, Directory& out, std::string& reason) {
    return parseDirectory(data, size, size, out, reason) == ParseResult::Ok;
}

uint64_t directorySize(const std::vector<Entry>& entries) {
    uint64_t n = kHeaderSize;
    for (const Entry& e : entries) n += kEntryFixedSize + e.name.size();
    return n;
}

std::vector<uint8_t> encodeDirectory(const std::vector<Entry>& entries) {
    std::vector<uint8_t> v(static_cast<size_t>(directorySize(entries)));
    uint8_t* p = v.data();
    std::memcpy(p, kMagic, 4);
    p = putLE(p + 4, kVersion, 4);
    p = putLE(p, entries.size(), 4);
    for (const Entry& e : entries) {
        p = putLE(p, e.name.size(), 2);
        std::memcpy(p, e.name.data(), e.name.size());
        p = putLE(p + e.name.size(), e.offset, 8);
        p = putLE(p, e.storedSize, 4);
        p = putLE(p, e.rawSize, 4);
        p = putLE(p, e.crc, 4);
        *p++ = e.compressed ? 1 : 0;
    }
    return v;
}

}  // namespace archive
