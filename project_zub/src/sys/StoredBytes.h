#pragma once
// A file's bytes kept as they are stored until they are needed: the bytes of
// a loose file, or an archive entry's bytes still packed. Its first bytes can
// be read without unpacking the rest (an image's header, say); taking the
// whole file unpacks it and checks it against the entry's CRC-32.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Archive.h"
#include "sys/ByteBuffer.h"

class StoredBytes {
public:
    StoredBytes() = default;
    // A loose file's bytes (or an entry already unpacked and checked).
    explicit StoredBytes(ByteBuffer&& bytes);
    // A compressed entry's stored bytes, from the archive at archivePath
    // (named in the messages of a damaged entry).
    StoredBytes(ByteBuffer&& packed, const archive::Entry& entry, std::string archivePath);

    StoredBytes(StoredBytes&&) noexcept = default;
    StoredBytes& operator=(StoredBytes&&) noexcept = default;

    // The file's size once unpacked.
    size_t size() const { return packed ? entry.rawSize : bytes.size; }
    bool empty() const { return size() == 0; }
    // Whether the bytes are still packed.
    bool isPacked() const { return packed; }

    // Up to `count` first bytes of the file (all of them when it is
    // shorter), unpacking only that far. An entry damaged before then is a
    // fatal error, "Archive '<path>' is corrupt: <reason>.", as reading it
    // whole would be.
    std::string_view head(size_t count);

    // The whole file, unpacked and checked (a damaged entry is the same
    // fatal error); nothing is kept.
    ByteBuffer take();
    // The same in report mode: false with the reason, nothing kept.
    bool tryTake(ByteBuffer& out, std::string& reason);

private:
    ByteBuffer bytes;  // the file, or the entry's stored bytes while packed
    archive::Entry entry;
    std::string archivePath;
    std::vector<uint8_t> unpackedHead;
    bool packed = false;
};
