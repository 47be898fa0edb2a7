#pragma once
// Reads a data archive (format in Archive.h). Opening reads and validates the
// whole directory; entries are read on demand and checked against their size
// and CRC. The archive file stays open while the reader lives.
//
// Entries are read straight into their buffers; a compressed one is unpacked
// from a per-thread buffer (its zlib stream checks its Adler-32, see
// archive::unpack). Every entry is then checked against its CRC-32.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine-platform/PlatformSystem.h"
#include "sys/Archive.h"
#include "sys/ByteBuffer.h"
#include "sys/StoredBytes.h"

class ArchiveReader {
public:
    ArchiveReader() = default;
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Opens the archive; a missing, unreadable or corrupt archive is a fatal
    // error naming the file and the fault.
    void open(const std::string& path);
    // The same in report mode: false with a reason.
    bool tryOpen(const std::string& path, std::string& reason);
    void close();

    bool isOpen() const { return file.isOpen(); }
    const std::string& path() const { return filePath; }
    const std::vector<archive::Entry>& entries() const { return directory.entries; }

    // The index of the entry with this name (normalised first), or -1.
    int find(std::string_view name) const;
    // Same, for a name that is already normalised.
    int findNormalised(const std::string& name) const;

    // The raw bytes of an entry. A read error or a size or CRC mismatch is a
    // fatal error naming the archive and the entry.
    ByteBuffer read(int index) const;
    // The same in report mode.
    bool tryRead(int index, ByteBuffer& out, std::string& reason) const;

    // An entry as it is stored: a compressed entry is kept packed, to be
    // unpacked and checked when its bytes are taken (see StoredBytes); one
    // stored raw is read and checked now. A read error, or a bad zlib header
    // or CRC found now, is fatal as for read().
    StoredBytes readStored(int index) const;

private:
    platform::ReadableFile file;
    uint64_t fileSize = 0;
    std::string filePath;
    archive::Directory directory;
    std::unordered_map<std::string, int> index;
};
