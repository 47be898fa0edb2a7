#pragma once
// The operating system as the engine's services see it: environment, folders,
// whole-file reads and atomic writes, the locale, and the facts that the
// start-up log records. Paths are narrow byte strings (UTF-8 by convention,
// but passed through unchanged, since a Linux path may be any bytes).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The value of an environment variable; empty when it is unset.
std::string getEnvironment(const char* name);

// The user's home folder: $HOME, else the password database entry; empty when
// neither gives one.
std::string getHomeFolder();

// The absolute path of the running program (/proc/self/exe); empty on failure.
std::string getExecutablePath();

// The current working folder; empty on failure.
std::string getCurrentFolder();

// Creates the folder and every missing parent (mode 0700 for new folders).
// True when the folder exists afterwards. Once the program has begun to end
// (AtomicFile::removeOpenTemporaries), it makes none: what the program
// removes as it ends is not made again.
bool makeDirectories(const std::string& path);

bool isRegularFile(const std::string& path);
bool isDirectory(const std::string& path);
// The calling user may write into the folder or file.
bool isWritable(const std::string& path);

// Whether a symbolic link at the path itself is followed (Follow) or taken
// as what it is (Refuse): a file the program sends away must be its own,
// never another file that a link leads to. Refuse also refuses a file with
// more than one name (a hard link), which may be another file of the
// user's as well.
enum class Links { Follow, Refuse };

// What a path names. Missing also when it cannot be looked at; `error`
// (when given) then holds the system's error number. With Links::Refuse a
// symbolic link is Other, wherever it leads, and so is a file with more
// than one name.
enum class PathKind { Missing, File, Folder, Other };
PathKind pathKind(const std::string& path, int* error = nullptr, Links links = Links::Follow);

// Opens a file to append to, made when missing (mode 0644): never through a
// symbolic link, never waiting on a named pipe, and only a regular file of
// one name (a hard link may be another file of the user's). Null, with
// errno set (EMLINK for a file with more names), otherwise.
std::FILE* openForAppending(const std::string& path);

// Anything at all is at the path, even a link that leads nowhere.
bool pathExists(const std::string& path);

// Which file is at a path and its state: equal stamps mean the same file,
// not written to in between (a file replaced by a rename has another inode).
struct FileStamp {
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modifiedNs = 0, changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// False when nothing can be looked at under the path.
bool fileStamp(const std::string& path, FileStamp& out);

// The entry of `folder` (empty for the current folder) whose name equals
// `name` without regard to ASCII case; false when there is none or the folder
// cannot be listed.
bool findInFolderIgnoringCase(const std::string& folder, const std::string& name, std::string& found);

// Renames a file or folder, replacing a file at the target. False with the
// system's error number in `error` (when given).
bool renamePath(const std::string& from, const std::string& to, int* error = nullptr);

// Removes the folder at the path only when it is empty: one that holds
// anything is left as it is, and a symbolic link is never followed. False
// with the system's error number in `error` (when given).
bool removeEmptyFolder(const std::string& path, int* error = nullptr);

// A regular file opened for reading at any offset; closed by the destructor.
class ReadableFile {
public:
    ReadableFile() = default;
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // False with the system's error number in `error`: EISDIR for a folder,
    // EINVAL for anything else that is not a regular file (a named pipe, a
    // device, a socket), ELOOP for a symbolic link and EMLINK for a file
    // with more than one name when links are refused.
    // Opening never waits: what is at the path is looked at on the opened
    // descriptor before a byte is read, so a named pipe without a writer is
    // refused at once instead of blocking the caller.
    bool open(const std::string& path, int* error = nullptr, Links links = Links::Follow);
    void close();
    bool isOpen() const { return fd >= 0; }
    // The size when opened.
    uint64_t size() const { return bytes; }
    // Reads exactly `count` bytes at `offset`; false with the error number
    // (EIO when the file ends sooner).
    bool readAt(uint64_t offset, void* dest, size_t count, int* error = nullptr) const;
    // Reads up to `count` bytes from the current position; the number read,
    // 0 at the end, -1 on an error.
    long long read(void* dest, size_t count, int* error = nullptr);

private:
    int fd = -1;
    uint64_t bytes = 0;
};

// Fills `dest` from the system's random source; false when it cannot.
bool systemRandomBytes(void* dest, size_t count);

// The running process's id.
long currentProcessId();

// Reads a whole regular file into `out`, opened as ReadableFile opens it.
// False (and `out` empty) when the file cannot be opened or read, is not a
// regular file or is larger than maxBytes (EFBIG in `error`, when given).
bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, int* error = nullptr,
                   Links links = Links::Follow);

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk
// and renames it over `path` (AtomicFile), so that the file holds either its
// old or its new content. On failure the temporary file is removed and
// `error` (when given) describes the step that failed.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// The locale name that decides the user's language: the first non-empty of
// $LC_ALL, $LC_MESSAGES and $LANG (for example "de_DE.UTF-8"); empty when
// none is set.
std::string getMessagesLocaleName();

struct SystemFacts {
    std::string osName;            // uname: sysname, e.g. "Linux"
    std::string osRelease;         // uname: release
    std::string osVersion;         // uname: version
    std::string machine;           // uname: machine, e.g. "x86_64"
    std::string prettyName;        // PRETTY_NAME of /etc/os-release, may be empty
    std::string cpuModel;          // "model name" of /proc/cpuinfo, may be empty
    unsigned cpuCount = 0;         // online processors
    uint64_t memoryTotal = 0;      // bytes
    uint64_t memoryAvailable = 0;  // bytes (MemAvailable, else free RAM)
    std::string userName;
    std::string hostName;
    std::string localeName;  // getMessagesLocaleName()
    std::string executablePath;
    std::string currentFolder;
};

SystemFacts getSystemFacts();

}  // namespace platform
