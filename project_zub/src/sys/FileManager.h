#pragma once
// Files of the program: loose files beside the executable, data archives and
// the packed data files of the per-user folder.
//
// Modes:
// - loose files (default): names are read from the base folder;
// - archive mode (bUseWad): names are looked up in the open archives, first
//   in the current one, then in every archive opened before (so an entry of
//   an archive stays reachable after switching to another one, for loads
//   delayed until first use); names found in no archive are read as loose
//   files unless bDiskFallback is off;
// - archive-creation mode (bCreateWad, set through setCreateWad): files are
//   read as loose files and every relative name opened is recorded into the
//   current archive; the recorded archives are written when the mode ends,
//   on flushWad() and when the manager is destroyed.
//
// Names use '/' or '\' and may start with "./". Archive lookups ignore case;
// loose files are matched exactly first and then, one path component at a
// time, ignoring case. Relative names are relative to baseFolder; absolute
// paths are always read from the disk as they are.
//
// All names are wide text; the file system sees them as UTF-8.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine-platform/PlatformSystem.h"
#include "sys/ArchiveReader.h"
#include "sys/ArchiveWriter.h"
#include "sys/ByteBuffer.h"
#include "sys/StoredBytes.h"
#include "util/WString.h"

class FileManager {
public:
    FileManager();
    ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // The manager of the running engine (the most recently constructed one).
    static FileManager* active();

    // Selects the current archive: `name` plus ".hq2x" when hq2x is 2. In
    // archive mode an archive that is not open yet is opened and its entries
    // registered (a missing or corrupt archive is fatal); in creation mode
    // later files are recorded into it; otherwise only the name is kept.
    void useWad(std::u16string_view name);
    // The current archive's name as selected by useWad (with ".hq2x").
    const WString& currentWad() const { return currentName; }

    // Whether the file can be opened in the current mode.
    bool fileExists(std::u16string_view name);
    // Whether a regular file exists on disk at the path.
    bool fileExistsOnDisk(std::u16string_view path);
    // Fatal "File %s verification failed (errno %d:%s, cwd %s)" unless a
    // regular file exists on disk at the path.
    void verifyFileDisk(std::u16string_view name);

    // The whole file in the current mode; false (out unchanged) when it is
    // missing or cannot be read. An archive entry that fails its checks is a
    // fatal error.
    bool loadFile(std::u16string_view name, ByteBuffer& out);
    // The same as a new buffer, or null.
    std::unique_ptr<ByteBuffer> loadFile(std::u16string_view name);
    // The same, with an archive entry kept packed until its bytes are taken
    // (see StoredBytes): for files of which only a part may be needed soon.
    bool loadStoredFile(std::u16string_view name, StoredBytes& out);

    // Starts or ends archive-creation mode; ending it writes the recorded
    // archives. False when writing failed (logged).
    bool setCreateWad(bool on);
    // Writes every recorded archive that changed since it was last written.
    bool flushWad();
    // The names recorded so far into an archive (as given to useWad), for tools and tests.
    std::vector<std::string> recordedNames(std::u16string_view archiveName) const;

    // Reads folder + fileName (a '/' is put between them when needed) and
    // copies its record into dest only when the file passes every check of
    // its format (see PackedFile.h). A file that is present but rejected is
    // renamed aside (see setAside) and the reason is logged: so is one
    // larger than a packed file of the record can be (packedfile::maxFileSize;
    // it is not read at all) and anything under the name that is not a
    // regular file (a named pipe, which is never opened in a way that could
    // wait). A file that is there but cannot be read, or is rejected and
    // cannot be renamed aside, is left where it is, and savePackedFile does
    // not write over it while it is there unchanged. dest is untouched
    // unless true is returned.
    static bool loadPackedFile(void* dest, size_t size, std::u16string_view folder, std::u16string_view fileName,
                               std::u16string_view versionText);
    // Packs the record and replaces folder + fileName atomically (see
    // AtomicFile.h). Failures are logged; false for callers that care.
    // Nothing is written when the file is still the one this process last
    // read or wrote there, untouched since, and it holds this record under
    // this version text; nor over a file that loadPackedFile left where it
    // was (false, logged).
    static bool savePackedFile(const void* data, size_t size, std::u16string_view folder, std::u16string_view fileName,
                               std::u16string_view versionText);

    // Renames a rejected file to "<path>.bad" (or ".bad1" ... ".bad99" when
    // that exists, and past those "<path>.bad-YYYYMMDD-HHMMSS" with the time
    // in UTC, followed by "-1", "-2"... when that exists too), so that it is
    // kept for inspection and never replaced. The new path, or empty when it
    // could not be moved.
    static std::string setAside(const std::string& path);

    // Reads a whole regular file; false with errno in *err on failure:
    // EISDIR for a folder, EINVAL for anything else that is not a regular
    // file (opening never waits: a named pipe is refused at once), EFBIG
    // when the file holds more than maxBytes (nothing is allocated for it
    // then), ELOOP for a symbolic link and EMLINK for a file with more than
    // one name when links are refused.
    static bool readDiskFile(const std::string& path, ByteBuffer& out, int* err = nullptr,
                             uint64_t maxBytes = kMaxLooseFileBytes, platform::Links links = platform::Links::Follow);
    // The most a loose file of the game's data may hold: what an entry of an
    // archive can hold (its sizes are 32-bit), since every loose file can be
    // recorded into one.
    static constexpr uint64_t kMaxLooseFileBytes = UINT32_MAX;

    // The disk path a name stands for (base folder, separators, case
    // fallback); the unresolved path when no file matches.
    std::string diskPath(std::u16string_view name) const;

    // Settings.
    bool bUseWad = false;
    // Read-only outside: use setCreateWad.
    bool bCreateWad = false;
    bool bEnableDelayedLoad = false;
    // Texture resolution factor: 2 selects the ".hq2x" archives.
    int hq2x = 1;
    // In archive mode, read names found in no archive from the disk.
    bool bDiskFallback = true;
    // Relative names are relative to this folder (UTF-8, ends with '/');
    // the executable's folder unless changed.
    std::string baseFolder;
    // How recorded archives are compressed.
    ArchiveWriter::Method createMethod = ArchiveWriter::Method::Zopfli;

private:
    struct Found {
        const ArchiveReader* reader = nullptr;
        int index = -1;
        std::string path;  // a loose file when reader is null
    };
    bool locate(std::u16string_view name, Found& found, int* err);
    // Reads what locate found (recording a loose file in archive-creation mode).
    bool readFound(const Found& found, std::u16string_view name, ByteBuffer& out);
    ArchiveReader* openCurrentArchive();
    void record(const std::string& name, const std::string& path);
    std::string absolutePath(const std::string& narrow) const;

    struct Recording {
        WString name;
        ArchiveWriter writer;
        bool dirty = false;
    };

    WString currentName;
    std::string currentPath;
    std::map<std::string, std::unique_ptr<ArchiveReader>> archives;
    // Every entry of every opened archive: name -> (archive, index); an
    // archive opened later wins.
    std::unordered_map<std::string, std::pair<const ArchiveReader*, int>> registry;
    std::map<std::string, Recording> recordings;
    bool warnedNoArchive = false;
    FileManager* previous;
};
