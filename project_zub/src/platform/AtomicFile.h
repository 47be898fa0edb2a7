#pragma once
// Writes a file so that a reader sees either the old file or the complete new
// one: the bytes go to "<path>.tmp", which is flushed to the disk (fsync) and
// then renamed over <path>; the folder is synced too, so the rename survives a
// power cut. A write that fails, or an AtomicFile dropped before commit(),
// removes the temporary file and leaves <path> as it was.
//
// The temporary file is created anew each time (whatever had its name is
// removed first, and the new file is made with O_EXCL), so a symbolic link
// left at "<path>.tmp" is replaced, never written through; and since the
// rename replaces <path> itself, a link at <path> is replaced by the file
// rather than followed.
#include <cstddef>
#include <cstdint>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates "<path>.tmp" anew. False with a reason on failure.
    bool open(const std::string& path);
    // Appends bytes at the end.
    bool write(const void* data, size_t size);
    // Writes at an absolute offset (used to fill in a directory written as a
    // placeholder). Does not move the end.
    bool writeAt(uint64_t offset, const void* data, size_t size);
    // Syncs, closes and renames the temporary file over the target.
    bool commit();
    // Closes and removes the temporary file.
    void abort();

    uint64_t position() const { return end; }
    const std::string& error() const { return reason; }
    const std::string& tempPath() const { return temp; }

    // The whole file in one call.
    static bool writeAll(const std::string& path, const void* data, size_t size, std::string* reason);

private:
    bool fail(const char* what);

    int fd = -1;
    uint64_t end = 0;
    std::string target;
    std::string temp;
    std::string reason;
};
