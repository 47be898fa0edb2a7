#include "sys/FileManager.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/PlatformSystem.h"
#include "sys/Archive.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/PackedFile.h"
#include "sys/Paths.h"

namespace {

FileManager* current = nullptr;

// What was last read from or written to each packed file, with the file's
// stamp then. Saving a record that the unchanged file already holds, under
// the same version text, writes nothing: packing it, writing it and waiting
// for the disk would leave the same bytes there. A file that was replaced,
// touched or removed since has another stamp (or none) and is written.
struct PackedFileMemo {
    std::vector<uint8_t> record;
    std::u16string version;
    platform::FileStamp stamp;
};
std::mutex packedMemoLock;
std::unordered_map<std::string, PackedFileMemo> packedMemos;

void rememberPackedFile(const std::string& path, const void* record, size_t size, std::u16string_view version,
                        const platform::FileStamp& stamp) {
    const auto* bytes = static_cast<const uint8_t*>(record);
    std::lock_guard<std::mutex> guard(packedMemoLock);
    PackedFileMemo& memo = packedMemos[path];
    memo.record.assign(bytes, bytes + size);
    memo.version.assign(version);
    memo.stamp = stamp;
}

void forgetPackedFile(const std::string& path) {
    std::lock_guard<std::mutex> guard(packedMemoLock);
    packedMemos.erase(path);
}

// Files that were there but could be neither read nor kept aside, with
// their stamps then: a save must not replace what may be a player's only
// copy, so while the same file is still there nothing is written over it.
std::unordered_map<std::string, platform::FileStamp> leftFiles;

void leaveFileAlone(const std::string& path) {
    platform::FileStamp stamp;
    if (!platform::fileStamp(path, stamp)) return;
    std::lock_guard<std::mutex> guard(packedMemoLock);
    leftFiles[path] = stamp;
}

// True while the file that was left alone is still at the path, untouched.
bool isLeftAlone(const std::string& path) {
    platform::FileStamp now;
    const bool there = platform::fileStamp(path, now);
    std::lock_guard<std::mutex> guard(packedMemoLock);
    const auto found = leftFiles.find(path);
    if (found == leftFiles.end()) return false;
    if (there && found->second == now) return true;
    leftFiles.erase(found);
    return false;
}

void stopLeavingAlone(const std::string& path) {
    std::lock_guard<std::mutex> guard(packedMemoLock);
    leftFiles.erase(path);
}

// The time now as "YYYYMMDD-HHMMSS" (UTC), for a file name.
std::string timeForFileName() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

bool diskHoldsPackedFile(const std::string& path, const void* record, size_t size, std::u16string_view version) {
    platform::FileStamp now;
    if (!platform::fileStamp(path, now)) return false;
    std::lock_guard<std::mutex> guard(packedMemoLock);
    const auto found = packedMemos.find(path);
    if (found == packedMemos.end()) return false;
    const PackedFileMemo& memo = found->second;
    return memo.stamp == now && memo.version == version && memo.record.size() == size &&
           std::memcmp(memo.record.data(), record, size) == 0;
}

// '\' to '/', and leading "./" dropped: the disk form of a name.
std::string diskForm(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c == '\\') c = '/';
    size_t skip = 0;
    while (s.compare(skip, 2, "./") == 0) {
        skip += 2;
        while (skip < s.size() && s[skip] == '/') ++skip;
    }
    return s.substr(skip);
}

bool isRegularFile(const std::string& path, int* err = nullptr) {
    switch (platform::pathKind(path, err)) {
        case platform::PathKind::File:
            return true;
        case platform::PathKind::Folder:
            if (err) *err = EISDIR;
            return false;
        case platform::PathKind::Other:
            if (err) *err = EINVAL;
            return false;
        case platform::PathKind::Missing:
            break;
    }
    return false;
}

bool exists(const std::string& path) { return platform::pathExists(path); }

// Finds the path on disk, matching each component exactly first and then
// ignoring ASCII case.
bool resolveCase(const std::string& path, std::string& out) {
    if (exists(path)) {
        out = path;
        return true;
    }
    std::string built = path.compare(0, 1, "/") == 0 ? "/" : "";
    size_t i = built.size();
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        const std::string part = path.substr(i, j - i);
        i = j + 1;
        if (part.empty() || part == "." || part == "..") {
            if (!part.empty()) built += part + "/";
            continue;
        }
        std::string candidate = built + part;
        if (!exists(candidate)) {
            std::string found;
            if (!platform::findInFolderIgnoringCase(built, part, found)) return false;
            candidate = built + found;
        }
        built = candidate;
        if (j < path.size()) built += '/';
    }
    out = built;
    return true;
}

std::string joinFolder(std::u16string_view folder, std::u16string_view fileName) {
    std::string path = wideToUtf8(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return diskForm(path + wideToUtf8(fileName));
}

}  // namespace

FileManager::FileManager() : baseFolder(getExecutableFolderPath()), previous(current) { current = this; }

FileManager::~FileManager() {
    flushWad();
    if (current == this) current = previous;
}

FileManager* FileManager::active() { return current; }

bool FileManager::readDiskFile(const std::string& path, ByteBuffer& out, int* err, uint64_t maxBytes,
                               platform::Links links) {
    platform::ReadableFile file;
    if (!file.open(path, err, links)) return false;
    if (file.size() > maxBytes || file.size() > SIZE_MAX) {
        if (err) *err = EFBIG;
        return false;
    }
    ByteBuffer bytes;
    bytes.resizeForOverwrite(static_cast<size_t>(file.size()));
    size_t done = 0;
    while (done < bytes.size) {
        const long long n = file.read(bytes.data + done, bytes.size - done, err);
        if (n < 0) return false;
        if (n == 0) break;  // the file shrank while we read it
        done += static_cast<size_t>(n);
    }
    if (done < bytes.size) bytes.assign(bytes.data, done);
    out = std::move(bytes);
    return true;
}

std::string FileManager::absolutePath(const std::string& narrow) const {
    std::string path = diskForm(narrow);
    if (!path.empty() && path[0] == '/') return path;
    return baseFolder + path;
}

std::string FileManager::diskPath(std::u16string_view name) const {
    const std::string path = absolutePath(wideToUtf8(name));
    std::string resolved;
    return resolveCase(path, resolved) ? resolved : path;
}

ArchiveReader* FileManager::openCurrentArchive() {
    if (currentPath.empty()) return nullptr;
    auto it = archives.find(currentPath);
    if (it != archives.end()) return it->second.get();
    auto reader = std::make_unique<ArchiveReader>();
    reader->open(currentPath);  // fatal when missing or corrupt
    ArchiveReader* r = reader.get();
    archives.emplace(currentPath, std::move(reader));
    const auto& entries = r->entries();
    for (size_t i = 0; i < entries.size(); ++i) registry[entries[i].name] = {r, static_cast<int>(i)};
    Logger::get().log(
        u"%s(): %s", "FileManager::useWad",
        formatString(u"Opened '%s' with %d entries.", escapeForLog(currentPath), static_cast<int>(entries.size())));
    return r;
}

void FileManager::useWad(std::u16string_view name) {
    currentName = WString(name);
    if (hq2x == 2) currentName += u".hq2x";
    currentPath = diskPath(currentName);
    if (bCreateWad) return;
    if (bUseWad) openCurrentArchive();
}

bool FileManager::locate(std::u16string_view name, Found& found, int* err) {
    const std::string narrow = wideToUtf8(name);
    const bool absolute = !narrow.empty() && (narrow[0] == '/' || narrow[0] == '\\');
    if (bUseWad && !bCreateWad && !absolute) {
        const std::string key = archive::normaliseName(narrow);
        if (ArchiveReader* r = openCurrentArchive()) {
            const int i = r->findNormalised(key);
            if (i >= 0) {
                found = {r, i, {}};
                return true;
            }
        }
        auto it = registry.find(key);
        if (it != registry.end()) {
            found = {it->second.first, it->second.second, {}};
            return true;
        }
        if (!bDiskFallback) {
            if (err) *err = ENOENT;
            return false;
        }
    }
    std::string path;
    if (!resolveCase(absolutePath(narrow), path) || !isRegularFile(path, err)) {
        if (err && !exists(path)) *err = ENOENT;
        return false;
    }
    found = {nullptr, -1, path};
    return true;
}

bool FileManager::fileExists(std::u16string_view name) {
    Found found;
    return locate(name, found, nullptr);
}

bool FileManager::fileExistsOnDisk(std::u16string_view path) {
    std::string resolved;
    return resolveCase(absolutePath(wideToUtf8(path)), resolved) && isRegularFile(resolved);
}

void FileManager::verifyFileDisk(std::u16string_view name) {
    const std::string path = absolutePath(wideToUtf8(name));
    std::string resolved;
    int err = 0;
    if (!isRegularFile(path, &err)) {
        if (resolveCase(path, resolved) && isRegularFile(resolved)) return;
        const std::string cwd = platform::getCurrentFolder();
        ZUB_ERROR(u"File %s verification failed (errno %d:%s, cwd %s)", escapeForLog(path), err, std::strerror(err),
                  cwd.empty() ? WString(u"?") : escapeForLog(cwd));
    }
}

void FileManager::record(const std::string& name, const std::string& path) {
    if (currentPath.empty()) {
        if (!warnedNoArchive)
            Logger::get().log(u"%s(): %s", "FileManager::record",
                              formatString(u"No archive selected; '%s' is not recorded.", escapeForLog(name)));
        warnedNoArchive = true;
        return;
    }
    Recording& rec = recordings[currentPath];
    if (rec.name.empty()) {
        rec.name = currentName;
        rec.writer = ArchiveWriter(createMethod);
    }
    if (rec.writer.contains(name)) return;
    if (!rec.writer.addFile(name, path)) {
        Logger::get().log(u"%s(): %s", "FileManager::record",
                          formatString(u"'%s' cannot be named inside an archive; not recorded.", escapeForLog(name)));
        return;
    }
    rec.dirty = true;
}

bool FileManager::loadFile(std::u16string_view name, ByteBuffer& out) {
    Found found;
    return locate(name, found, nullptr) && readFound(found, name, out);
}

bool FileManager::readFound(const Found& found, std::u16string_view name, ByteBuffer& out) {
    int err = 0;
    if (found.reader) {
        out = found.reader->read(found.index);  // fatal when the entry is damaged
        return true;
    }
    if (!readDiskFile(found.path, out, &err)) {
        if (err == EFBIG)
            Logger::get().log(
                u"%s(): %s", "FileManager::loadFile",
                formatString(u"'%s' is larger than a file of the game's data can be (%llu bytes).",
                             escapeForLog(found.path), static_cast<unsigned long long>(kMaxLooseFileBytes)));
        return false;
    }
    if (bCreateWad) {
        const std::string narrow = wideToUtf8(name);
        if (!narrow.empty() && narrow[0] != '/' && narrow[0] != '\\')
            record(archive::normaliseName(narrow), found.path);
    }
    return true;
}

bool FileManager::loadStoredFile(std::u16string_view name, StoredBytes& out) {
    Found found;
    if (!locate(name, found, nullptr)) return false;
    if (found.reader) {
        out = found.reader->readStored(found.index);  // fatal when the entry is damaged
        return true;
    }
    ByteBuffer bytes;
    if (!readFound(found, name, bytes)) return false;
    out = StoredBytes(std::move(bytes));
    return true;
}

std::unique_ptr<ByteBuffer> FileManager::loadFile(std::u16string_view name) {
    auto buffer = std::make_unique<ByteBuffer>();
    if (!loadFile(name, *buffer)) return nullptr;
    return buffer;
}

bool FileManager::setCreateWad(bool on) {
    if (on == bCreateWad) return true;
    bCreateWad = on;
    return on ? true : flushWad();
}

bool FileManager::flushWad() {
    bool ok = true;
    for (auto& [path, rec] : recordings) {
        if (!rec.dirty) continue;
        std::string reason;
        if (rec.writer.write(path, &reason)) {
            rec.dirty = false;
            Logger::get().log(
                u"%s(): %s", "FileManager::flushWad",
                formatString(u"Wrote '%s': %d entries, %u of %u bytes.", escapeForLog(path),
                             static_cast<int>(rec.writer.entryCount()), rec.writer.storedBytes, rec.writer.rawBytes));
        } else {
            ok = false;
            Logger::get().log(
                u"%s(): %s", "FileManager::flushWad",
                formatString(u"Could not write archive '%s': %s", escapeForLog(path), escapeForLog(reason)));
        }
    }
    return ok;
}

std::vector<std::string> FileManager::recordedNames(std::u16string_view archiveName) const {
    for (const auto& [path, rec] : recordings)
        if (rec.name == archiveName) return rec.writer.names();
    return {};
}

bool FileManager::loadPackedFile(void* dest, size_t size, std::u16string_view folder, std::u16string_view fileName,
                                 std::u16string_view versionText) {
    const std::string path = joinFolder(folder, fileName);
    ByteBuffer bytes;
    int err = 0;
    const uint64_t limit = packedfile::maxFileSize(size);
    std::string reason;
    platform::FileStamp before, after;
    const bool stamped = platform::fileStamp(path, before);
    if (!readDiskFile(path, bytes, &err, limit)) {
        if (err == EFBIG) {
            reason = "larger than the " + std::to_string(limit) + " bytes its record can take";
        } else if (err == EINVAL) {
            reason = "not a regular file";
        } else {
            // Something that cannot be read now may still be good: it stays
            // where it is, and no save replaces it while it is there unchanged.
            const bool there = err != ENOENT && platform::pathExists(path);
            if (there) leaveFileAlone(path);
            else stopLeavingAlone(path);
            Logger::get().log(
                u"%s(): %s", "FileManager::loadPackedFile",
                formatString(u"Could not read '%s' (errno %d:%s)%s", escapeForLog(path), err, std::strerror(err),
                             there ? u"; it is left as it is and not saved over." : u"."));
            return false;
        }
    } else if (packedfile::unpack(bytes.data, bytes.size, fileName, versionText, dest, size, reason)) {
        stopLeavingAlone(path);
        // Remembered only when the file did not change while it was read.
        if (stamped && platform::fileStamp(path, after) && after == before)
            rememberPackedFile(path, dest, size, versionText, after);
        else forgetPackedFile(path);
        return true;
    }
    forgetPackedFile(path);

    // Keep the rejected file for inspection; a later save must not replace
    // it, nor the file itself when it cannot be moved aside.
    const std::string aside = setAside(path);
    if (aside.empty()) leaveFileAlone(path);
    else stopLeavingAlone(path);
    Logger::get().log(u"%s(): %s", "FileManager::loadPackedFile",
                      formatString(u"Rejected '%s': %s; %s", escapeForLog(path), reason,
                                   !aside.empty() ? formatString(u"kept as '%s'.", escapeForLog(aside))
                                                  : WString(u"could not keep it aside, so it is left as it is and "
                                                            u"not saved over.")));
    return false;
}

std::string FileManager::setAside(const std::string& path) {
    std::string aside = path + ".bad";
    for (int n = 1; exists(aside) && n < 100; ++n) aside = path + ".bad" + std::to_string(n);
    if (exists(aside)) {
        // ".bad" to ".bad99" are all taken: a name with the time, and a
        // count after it when that is taken too.
        const std::string stamped = path + ".bad-" + timeForFileName();
        aside = stamped;
        for (int n = 1; exists(aside) && n < 100; ++n) aside = stamped + "-" + std::to_string(n);
    }
    return !exists(aside) && platform::renamePath(path, aside) ? aside : std::string();
}

bool FileManager::savePackedFile(const void* data, size_t size, std::u16string_view folder,
                                 std::u16string_view fileName, std::u16string_view versionText) {
    const std::string path = joinFolder(folder, fileName);
    if (isLeftAlone(path)) {
        Logger::get().log(u"%s(): %s", "FileManager::savePackedFile",
                          formatString(u"Not saving '%s': the file there could be neither read nor kept aside, and "
                                       u"is left as it is.",
                                       escapeForLog(path)));
        return false;
    }
    if (diskHoldsPackedFile(path, data, size, versionText)) return true;
    forgetPackedFile(path);
    const std::vector<uint8_t> image = packedfile::pack(data, size, fileName, versionText);
    std::string reason = "the record cannot be packed";
    if (!image.empty() && AtomicFile::writeAll(path, image.data(), image.size(), &reason)) {
        platform::FileStamp written;
        if (platform::fileStamp(path, written)) rememberPackedFile(path, data, size, versionText, written);
        return true;
    }
    Logger::get().log(u"%s(): %s", "FileManager::savePackedFile",
                      formatString(u"Could not save '%s': %s", escapeForLog(path), escapeForLog(reason)));
    return false;
}
