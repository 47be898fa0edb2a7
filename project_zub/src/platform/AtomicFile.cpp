#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

constexpr std::string_view kPrefix = ".zub-";
constexpr std::string_view kSuffix = ".tmp";
constexpr size_t kRandomLength = AtomicFile::temporaryNameLength - kPrefix.size() - kSuffix.size();
constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The writes open now, for removeOpenTemporaries. Creating, renaming and
// removing a temporary file, and making a folder, happen under the lock, so
// that once the program has begun to end, no temporary file or folder comes
// into being and no file is published.
std::mutex registryLock;
std::vector<AtomicFile*> openWrites;
bool ending = false;

std::string randomName() {
    unsigned char bytes[kRandomLength];
    size_t have = 0;
    while (have < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + have, sizeof bytes - have, GRND_NONBLOCK);
        if (n <= 0) break;
        have += static_cast<size_t>(n);
    }
    if (have < sizeof bytes) {
        // Without the system's random numbers (very early at boot): the
        // process, the time and a count differ from one name to the next;
        // the exclusive creation copes with the rest.
        static std::atomic<uint64_t> count{0};
        uint64_t x = static_cast<uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                     static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                     (count.fetch_add(1) << 40);
        for (unsigned char& b : bytes) {
            x ^= x >> 33;
            x *= 0xFF51AFD7ED558CCDull;
            x ^= x >> 29;
            b = static_cast<unsigned char>(x);
        }
    }
    std::string name(kPrefix);
    for (unsigned char b : bytes) name += kLetters[b % (sizeof kLetters - 1)];
    name += kSuffix;
    return name;
}

std::string describe(const char* step, const std::string& path, int err) {
    return std::string(step) + " '" + path + "' failed (errno " + std::to_string(err) + ": " + std::strerror(err) + ")";
}

}  // namespace

AtomicFile::~AtomicFile() { abort(); }

std::string AtomicFile::folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool AtomicFile::isTemporaryName(std::string_view name) {
    if (name.size() != temporaryNameLength || !name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
    const std::string_view letters = name.substr(kPrefix.size(), kRandomLength);
    return std::all_of(letters.begin(), letters.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

std::string AtomicFile::tempPath() const {
    if (fd < 0) return {};
    return folderPath == "/" ? "/" + tempName : folderPath + "/" + tempName;
}

bool AtomicFile::failWith(const char* what, int err) {
    reason = describe(what, target, err);
    abort();
    return false;
}

bool AtomicFile::fail(const char* what) { return failWith(what, errno); }

bool AtomicFile::open(const std::string& path) {
    abort();
    target = path;
    reason.clear();
    end = 0;
    const size_t slash = path.find_last_of('/');
    folderPath = folderOf(path);
    targetName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (targetName.empty() || targetName == "." || targetName == "..") {
        reason = "Creating '" + path + "' failed (it names a folder, not a file)";
        return false;
    }
    // The folder is only a place to reach names through: one the user may
    // write and enter but not list is opened as such a place (O_PATH), so
    // that the write works wherever creating a file does; the rename in it
    // then goes unsynced.
    folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 && errno == EACCES) folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return fail("Creating");

    // The file it replaces keeps its permissions, and its owner and group
    // where the system lets the writer give them (root rebuilding a user's
    // file); a new one gets the usual ones (the user's umask applies).
    struct stat old {};
    const bool replacing =
        ::fstatat(folder, targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = replacing ? (old.st_mode & 0777) : 0644;

    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = randomName();
        std::lock_guard<std::mutex> hold(registryLock);
        if (ending) return failWith("Creating", ECANCELED);
        // A name taken already (another writer's, or anything else) is left
        // alone: the next one is tried.
        const int made = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (made < 0) {
            if (errno == EEXIST) continue;
            return fail("Creating");
        }
        struct stat st {};
        if (::fstat(made, &st) != 0) {
            const int err = errno;
            ::unlinkat(folder, name.c_str(), 0);
            ::close(made);
            return failWith("Creating", err);
        }
        // Marks the file as that of a write going on (removeLeftovers).
        ::flock(made, LOCK_EX | LOCK_NB);
        fd = made;
        tempName = name;
        device = st.st_dev;
        inode = st.st_ino;
        openWrites.push_back(this);
        break;
    }
    if (fd < 0) return failWith("Creating", EEXIST);
    if (replacing) {
        struct stat made {};
        if (::fstat(fd, &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0 && made.st_gid != old.st_gid) {
            // Where the owner cannot be given, the group may still be (one
            // the writer belongs to); where neither can, the file is the
            // writer's, as a new one would be.
            const int grouped = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
            static_cast<void>(grouped);
        }
        // The umask may have taken permissions the replaced file had (and a
        // change of owner those beyond them).
        if (::fchmod(fd, mode) != 0) return fail("Creating");
    }
    return true;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (fd < 0) {
        if (reason.empty()) reason = "write to a file that is not open";
        return false;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Writing");
        }
        if (n == 0) return failWith("Writing", EIO);
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!writeAt(end, data, size)) return false;
    end += size;
    return true;
}

bool AtomicFile::commit() {
    if (fd < 0) {
        if (reason.empty()) reason = "commit of a file that is not open";
        return false;
    }
    if (::fsync(fd) != 0) return fail("Syncing");
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (ending) {
            removeOwnTemporary();
            reason = describe("Renaming the new file to", target, ECANCELED);
            forget();
            return false;
        }
        if (::renameat(folder, tempName.c_str(), folder, targetName.c_str()) != 0) {
            const int err = errno;
            removeOwnTemporary();
            reason = describe("Renaming the new file to", target, err);
            forget();
            return false;
        }
        forget();
    }
    const int closing = fd;
    fd = -1;
    const bool closed = ::close(closing) == 0;
    const int err = errno;
    // Make the rename itself durable.
    ::fsync(folder);
    ::close(folder);
    folder = -1;
    // The new file is in place; a close that failed even so (a network
    // file system) may have lost its bytes.
    if (!closed) {
        reason = describe("Closing", target, err);
        return false;
    }
    return true;
}

void AtomicFile::removeOwnTemporary() {
    // Only the file this write created goes: should its name have been
    // taken over since, the other file stays.
    struct stat st {};
    if (::fstatat(folder, tempName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device && st.st_ino == inode)
        ::unlinkat(folder, tempName.c_str(), 0);
}

void AtomicFile::forget() { std::erase(openWrites, this); }

void AtomicFile::abort() {
    if (fd >= 0) {
        std::lock_guard<std::mutex> hold(registryLock);
        removeOwnTemporary();
        forget();
        ::close(fd);
        fd = -1;
    }
    if (folder >= 0) {
        ::close(folder);
        folder = -1;
    }
}

void AtomicFile::removeOpenTemporaries() {
    std::lock_guard<std::mutex> hold(registryLock);
    ending = true;
    for (AtomicFile* f : openWrites) f->removeOwnTemporary();
}

bool AtomicFile::makeFolder(const std::string& path, mode_t mode) {
    std::lock_guard<std::mutex> hold(registryLock);
    if (ending) {
        errno = ECANCELED;
        return false;
    }
    return ::mkdir(path.c_str(), mode) == 0;
}

std::vector<std::string> AtomicFile::removeLeftovers(const std::string& folderName, long quietSeconds) {
    std::vector<std::string> removed;
    const int dir = ::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return removed;
    DIR* listing = ::fdopendir(dir);
    if (!listing) {
        ::close(dir);
        return removed;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(listing))
        if (isTemporaryName(e->d_name)) names.emplace_back(e->d_name);
    const time_t now = std::time(nullptr);
    const auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    };
    for (const std::string& name : names) {
        // Only a regular file is opened (to look at its lock): nothing else
        // under such a name is touched.
        struct stat named {
        }, st{};
        if (::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) continue;
        const int file = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (file < 0) continue;
        if (::fstat(file, &st) == 0 && same(st, named) && now - st.st_mtime >= quietSeconds &&
            ::flock(file, LOCK_EX | LOCK_NB) == 0 && ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            same(st, named) && ::unlinkat(dir, name.c_str(), 0) == 0)
            removed.push_back(name);
        ::close(file);
    }
    ::closedir(listing);  // closes `dir` too
    return removed;
}

bool AtomicFile::writeAll(const std::string& path, const void* data, size_t size, std::string* why) {
    AtomicFile file;
    const bool ok = file.open(path) && file.write(data, size) && file.commit();
    if (!ok && why) *why = file.error();
    return ok;
}
