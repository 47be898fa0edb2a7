#pragma once
// Writes a file so that a reader sees either the old file or the complete new
// one: the bytes go to a temporary file of the write's own beside the target,
// which is flushed to the disk (fsync) and then renamed over the target; the
// folder is synced too, so the rename survives a power cut. A write that
// fails, or an AtomicFile dropped before commit(), removes its temporary file
// and leaves the target as it was.
//
// Each write creates a new temporary file under a name of its own (exclusively,
// so two writers of one target never share one, and whatever stands under a
// name already is left alone: a user's file, a link, a pipe), short enough for
// any target a folder can hold (temporaryNameLength bytes, reached through the
// folder, so that a path as long as the system allows still works, and a
// folder that may be written and entered but not listed too). Only files the
// write created itself are ever removed. The file replaced keeps its
// permissions, and its owner and group where the system allows the writer
// to give them. Since the rename replaces the target's name itself, a link
// there is replaced by the file rather than followed.
//
// Temporary files are named ".zub-" + 12 letters or digits + ".tmp"
// (isTemporaryName): a run cut short (killed, or a power cut) leaves at most
// such names, which removeLeftovers clears away.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class AtomicFile {
public:
    static constexpr size_t temporaryNameLength = 21;

    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates a new temporary file beside `path`. False with a reason on
    // failure.
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
    // The temporary file while one is open (its folder as the target names
    // it), else empty.
    std::string tempPath() const;

    // The whole file in one call.
    static bool writeAll(const std::string& path, const void* data, size_t size, std::string* reason);

    // The folder a path names its file in ("." for a bare name, "/" at the
    // root), where the temporary file of a write to it goes.
    static std::string folderOf(const std::string& path);

    // True for the names the temporary files are given.
    static bool isTemporaryName(std::string_view name);
    // Removes the temporary files that writes cut short left in `folder`
    // (regular files under isTemporaryName names; a link or anything else
    // under such a name stays, and nothing below the folder is looked at).
    // A write holds a lock on its temporary file (flock) while it lasts, so
    // the file of a write still going on stays; with `quietSeconds`, so does
    // every file changed more recently than that (a write of another
    // process may be about to lock the file it has just made). The names
    // removed.
    static std::vector<std::string> removeLeftovers(const std::string& folder, long quietSeconds = 0);
    // For a program that is ending before its writes are done (stopped by a
    // signal, a fatal error): removes the temporary file of every write of
    // the process that is still open, and makes every later open(),
    // commit() and makeFolder() fail, so that nothing new appears while it
    // ends. Any thread.
    static void removeOpenTemporaries();
    // Makes one folder (mkdir), unless the program is ending: false with
    // errno set then (ECANCELED), as when mkdir fails.
    static bool makeFolder(const std::string& path, mode_t mode);

private:
    bool fail(const char* what);
    bool failWith(const char* what, int err);
    // Removes the temporary file, when it is still the one this write made.
    void removeOwnTemporary();
    // Stops being one of the open writes (removeOpenTemporaries).
    void forget();

    int fd = -1;
    int folder = -1;  // the target's folder
    dev_t device = 0;
    ino_t inode = 0;
    uint64_t end = 0;
    std::string target;
    std::string targetName;  // the target's last part
    std::string folderPath;  // the target's folder as the target names it
    std::string tempName;
    std::string reason;
};
