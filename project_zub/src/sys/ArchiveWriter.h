#pragma once
// Builds a data archive (format in Archive.h). Entries are given from memory
// or as files on disk that are read only while the archive is written, so a
// large archive never needs all its files in memory at once. Entries are
// compressed on several threads, written in the order they were added, and
// the archive appears atomically (temporary file, fsync, rename).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sys/ByteBuffer.h"

class ArchiveWriter {
public:
    enum class Method {
        Zopfli,  // zlib streams by zopfli (1 iteration, block splitting): smallest, slow
        Zlib,    // zlib level 9: a little larger, many times faster
        Store,   // no compression
    };

    explicit ArchiveWriter(Method method = Method::Zopfli) : method(method) {}

    // Adds an entry under the normalised name; a second entry with the same
    // name replaces the first. False for a name that normalises to nothing or
    // to an invalid name, or data of 4 GiB or more.
    bool addData(std::string_view name, const void* data, size_t size);
    bool addData(std::string_view name, ByteBuffer&& bytes);
    // An entry read from `diskPath` when the archive is written.
    bool addFile(std::string_view name, const std::string& diskPath);

    bool contains(std::string_view name) const;
    size_t entryCount() const { return items.size(); }
    // The entry names in the order they were added.
    std::vector<std::string> names() const;
    void clear();

    // Writes the archive to `path`. On failure (a source file that cannot be
    // read, a write error) nothing replaces `path` and `reason` says why.
    bool write(const std::string& path, std::string* reason = nullptr);

    // Worker threads for compression; 0 uses one per processor.
    unsigned threads = 0;
    // Totals of the last successful write.
    uint64_t rawBytes = 0;
    uint64_t storedBytes = 0;

    // The zlib stream of a block by each method (also used by tools and
    // measurements). Store gives an empty result.
    static std::vector<uint8_t> compress(Method method, const void* data, size_t size);

private:
    struct Item {
        std::string name;
        ByteBuffer bytes;      // in-memory entry
        std::string diskPath;  // or a file to read at write time
        bool fromDisk = false;
    };
    Item* slot(std::string_view name);

    Method method;
    std::vector<Item> items;
    std::unordered_map<std::string, size_t> byName;
};
