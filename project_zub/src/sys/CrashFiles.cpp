#include "sys/CrashFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/CrashHandler.h"
#include "platform/PlatformSystem.h"
#include "sys/ByteBuffer.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/Paths.h"

namespace CrashFiles {

std::string name(const char* extension) { return std::string("crash.") + kProductFolderName + extension; }

std::string path(const char* extension) { return getUserDataFolder() + name(extension); }

CrashHandler::Targets handlerTargets(const std::string& folder) {
    return {folder + name(kLog), folder + name(kMiniDump), folder + name(kNetTraffic),
            kMaxLogBytes,        kMaxMiniDumpBytes,        kMaxNetTrafficBytes};
}

uint64_t maxBytes(const char* extension) {
    if (std::strcmp(extension, kLog) == 0) return kMaxLogBytes;
    if (std::strcmp(extension, kMiniDump) == 0) return kMaxMiniDumpBytes;
    if (std::strcmp(extension, kScreenshot) == 0) return kMaxScreenshotBytes;
    if (std::strcmp(extension, kNetTraffic) == 0) return kMaxNetTrafficBytes;
    return 0;
}

bool exists(const char* extension) {
    return platform::pathKind(path(extension), nullptr, platform::Links::Refuse) == platform::PathKind::File;
}

namespace {

constexpr const char* kAll[] = {kLog, kMiniDump, kScreenshot, kNetTraffic};

// Why a crash file cannot be read, from the error its opening or reading gave.
WString refusal(int err, const char* extension) {
    return err == EFBIG
               ? formatString(u"it is larger than %llu bytes", static_cast<unsigned long long>(maxBytes(extension)))
           : err == ELOOP  ? WString(u"it is a symbolic link")
           : err == EMLINK ? WString(u"it has another name as well (a hard link)")
           : err == EINVAL ? WString(u"it is not a regular file")
                           : formatString(u"errno %d:%s", err, std::strerror(err));
}

}  // namespace

bool read(const char* extension, ByteBuffer& out) {
    const std::string file = path(extension);
    int err = 0;
    if (FileManager::readDiskFile(file, out, &err, maxBytes(extension), platform::Links::Refuse)) return true;
    if (err == ENOENT) return false;
    Logger::get().log(u"%s(): %s", "CrashFiles::read",
                      formatString(u"Not sending '%s': %s.", escapeForLog(file), refusal(err, extension)));
    return false;
}

namespace {

void logRemoval(const WString& line) { Logger::get().log(u"%s(): %s", "CrashFiles::removeRefused", line); }

// A name that is there but not a regular file of the program's own goes.
void removeName(const std::string& file, const char* extension) {
    // Opening looks at what is there without following a link or waiting on
    // a pipe, and tells why it is refused.
    platform::ReadableFile probe;
    int err = 0;
    if (probe.open(file, &err, platform::Links::Refuse)) return;  // it became a file of its own meanwhile
    std::error_code error;
    std::filesystem::remove(file, error);
    if (error) {
        logRemoval(formatString(u"Could not remove '%s', which is never sent (%s): %s", escapeForLog(file),
                                refusal(err, extension), error.message()));
        return;
    }
    logRemoval(
        formatString(u"Removed the name '%s', which is never sent: %s. Only the name went; "
                     u"a file it led to or shared stays as it was.",
                     escapeForLog(file), refusal(err, extension)));
}

// A folder under a crash file's name keeps the crash handler from writing
// that file. An empty one goes; one that holds anything stays as it is
// (nothing in it is looked at or touched), and every start says so.
void clearFolder(const std::string& file) {
    int err = 0;
    if (platform::removeEmptyFolder(file, &err)) {
        logRemoval(
            formatString(u"Removed the empty folder '%s', which stood where a crash file goes.", escapeForLog(file)));
        return;
    }
    if (err == ENOENT) return;  // gone meanwhile
    const WString why = err == ENOTEMPTY || err == EEXIST ? WString(u"it is not empty")
                                                          : formatString(u"errno %d:%s", err, std::strerror(err));
    logRemoval(
        formatString(u"Left the folder '%s' where a crash file goes (%s): crash reports cannot be kept "
                     u"until it is moved. What it holds stays as it was.",
                     escapeForLog(file), why));
}

}  // namespace

void removeRefused() {
    for (const char* extension : kAll) {
        const std::string file = path(extension);
        // Links refused: a link to a folder is a name like any other link.
        const platform::PathKind kind = platform::pathKind(file, nullptr, platform::Links::Refuse);
        if (kind == platform::PathKind::Folder) clearFolder(file);
        else if (kind == platform::PathKind::Other) removeName(file, extension);
    }
}

}  // namespace CrashFiles
