#include "platform/PlatformSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/types.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"

namespace platform {

namespace {

std::string trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) b++;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) e--;
    return std::string(s.substr(b, e - b));
}

// The value after the first `separator` of the first line that starts with
// `key` in a small text file of the system (/proc, /etc); empty when absent.
std::string lookUpLine(const char* path, std::string_view key, char separator) {
    // /proc files report a size of 0; readWholeFile reads them up to their end.
    std::string text;
    if (!readWholeFile(path, text, 4u << 20)) return {};
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        if (line.substr(0, key.size()) == key) {
            const size_t sep = line.find(separator);
            if (sep != std::string_view::npos) return trimmed(line.substr(sep + 1));
        }
        pos = end + 1;
    }
    return {};
}

// Opens a regular file for reading without ever waiting in open(): with
// O_NONBLOCK a named pipe opens at once even without a writer, and the kind
// of file is then taken from the opened descriptor (no race with a file
// swapped in after a look at the path). The descriptor, or -1 with the
// error number in `error`; its size in `size`.
int openRegularFile(const std::string& path, Links links, uint64_t& size, int& error) {
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        // A socket cannot be opened at all (nor a device node without its
        // device): it is no regular file either.
        error = errno == ENXIO ? EINVAL : errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) error = errno;
    else if (!S_ISREG(st.st_mode) || st.st_size < 0) error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (links == Links::Refuse && st.st_nlink > 1) error = EMLINK;
    else error = 0;
    // Reads of a regular file never wait anyway; clear the flag all the same.
    if (error == 0) {
        const int now = ::fcntl(fd, F_GETFL);
        if (now < 0 || ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK) != 0) error = errno;
    }
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

uint64_t kilobytesOf(const std::string& text) {
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value > (UINT64_MAX - 9) / 10) return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value * 1024;
}

}  // namespace

std::FILE* openForAppending(const std::string& path) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) error = errno;
    else if (!S_ISREG(st.st_mode)) error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (st.st_nlink > 1) error = EMLINK;  // another name leads to it: someone else's file too
    else {
        const int now = ::fcntl(fd, F_GETFL);
        if (now < 0 || ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK) != 0) error = errno;
    }
    std::FILE* file = error == 0 ? ::fdopen(fd, "ab") : nullptr;
    if (!file) {
        if (error == 0) error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

std::string getEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string getHomeFolder() {
    std::string home = getEnvironment("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir) {
        return result->pw_dir;
    }
    return {};
}

std::string getExecutablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string getCurrentFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool fileStamp(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out.device = static_cast<uint64_t>(st.st_dev);
    out.inode = static_cast<uint64_t>(st.st_ino);
    out.size = static_cast<uint64_t>(st.st_size);
    out.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

PathKind pathKind(const std::string& path, int* error, Links links) {
    struct stat st {};
    if ((links == Links::Follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
        if (error) *error = errno;
        return PathKind::Missing;
    }
    if (S_ISREG(st.st_mode)) return links == Links::Refuse && st.st_nlink > 1 ? PathKind::Other : PathKind::File;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool findInFolderIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool ok = false;
    while (dirent* d = ::readdir(dir)) {
        if (::strcasecmp(d->d_name, name.c_str()) == 0) {
            found = d->d_name;
            ok = true;
            break;
        }
    }
    ::closedir(dir);
    return ok;
}

bool renamePath(const std::string& from, const std::string& to, int* error) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (error) *error = errno;
    return false;
}

bool removeEmptyFolder(const std::string& path, int* error) {
    if (::rmdir(path.c_str()) == 0) return true;
    if (error) *error = errno;
    return false;
}

ReadableFile::~ReadableFile() { close(); }

bool ReadableFile::open(const std::string& path, int* error, Links links) {
    close();
    int err = 0;
    uint64_t size = 0;
    const int file = openRegularFile(path, links, size, err);
    if (file < 0) {
        if (error) *error = err;
        return false;
    }
    fd = file;
    bytes = size;
    return true;
}

void ReadableFile::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    bytes = 0;
}

bool ReadableFile::readAt(uint64_t offset, void* dest, size_t count, int* error) const {
    uint8_t* p = static_cast<uint8_t*>(dest);
    while (count > 0) {
        const ssize_t n = ::pread(fd, p, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (error) *error = errno;
            return false;
        }
        if (n == 0) {  // the file shrank under us
            if (error) *error = EIO;
            return false;
        }
        p += n;
        count -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

long long ReadableFile::read(void* dest, size_t count, int* error) {
    for (;;) {
        const ssize_t n = ::read(fd, dest, count);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (error) *error = errno;
        return -1;
    }
}

bool systemRandomBytes(void* dest, size_t count) {
    uint8_t* p = static_cast<uint8_t*>(dest);
    while (count > 0) {
        const ssize_t got = ::getrandom(p, count, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

long currentProcessId() { return static_cast<long>(::getpid()); }

bool isWritable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool makeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (isDirectory(path)) return true;
    // Create every prefix that ends before a separator, then the whole path.
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        if (path[i - 1] == '/') continue;  // "//" or a trailing separator
        const std::string prefix = path.substr(0, i);
        if (!AtomicFile::makeFolder(prefix, 0700) && errno != EEXIST) return false;
    }
    return isDirectory(path);
}

bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, int* error, Links links) {
    out.clear();
    int err = 0;
    uint64_t size = 0;
    const int fd = openRegularFile(path, links, size, err);
    if (fd < 0) {
        if (error) *error = err;
        return false;
    }
    if (size > maxBytes) {
        ::close(fd);
        if (error) *error = EFBIG;
        return false;
    }
    out.reserve(static_cast<size_t>(size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        if (n == 0) break;
        if (out.size() + static_cast<size_t>(n) > maxBytes) {  // grew while we read
            err = EFBIG;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (err != 0) {
        out.clear();
        if (error) *error = err;
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    return AtomicFile::writeAll(path, bytes.data(), bytes.size(), error);
}

std::string getMessagesLocaleName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = getEnvironment(name);
        if (!value.empty()) return value;
    }
    return {};
}

SystemFacts getSystemFacts() {
    SystemFacts facts;
    struct utsname names {};
    if (::uname(&names) == 0) {
        facts.osName = names.sysname;
        facts.osRelease = names.release;
        facts.osVersion = names.version;
        facts.machine = names.machine;
    }
    facts.prettyName = lookUpLine("/etc/os-release", "PRETTY_NAME=", '=');
    if (facts.prettyName.size() >= 2 && facts.prettyName.front() == '"' && facts.prettyName.back() == '"') {
        facts.prettyName = facts.prettyName.substr(1, facts.prettyName.size() - 2);
    }
    facts.cpuModel = lookUpLine("/proc/cpuinfo", "model name", ':');
    const long cpus = ::sysconf(_SC_NPROCESSORS_ONLN);
    facts.cpuCount = cpus > 0 ? static_cast<unsigned>(cpus) : 0;

    facts.memoryTotal = kilobytesOf(lookUpLine("/proc/meminfo", "MemTotal:", ':'));
    facts.memoryAvailable = kilobytesOf(lookUpLine("/proc/meminfo", "MemAvailable:", ':'));
    struct sysinfo info {};
    if ((facts.memoryTotal == 0 || facts.memoryAvailable == 0) && ::sysinfo(&info) == 0) {
        if (facts.memoryTotal == 0) facts.memoryTotal = static_cast<uint64_t>(info.totalram) * info.mem_unit;
        if (facts.memoryAvailable == 0) facts.memoryAvailable = static_cast<uint64_t>(info.freeram) * info.mem_unit;
    }

    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_name) {
        facts.userName = result->pw_name;
    } else {
        facts.userName = getEnvironment("USER");
    }
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) facts.hostName = host;

    facts.localeName = getMessagesLocaleName();
    facts.executablePath = getExecutablePath();
    facts.currentFolder = getCurrentFolder();
    return facts;
}

}  // namespace platform
