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

void removeRefused() {
    for (const char* extension : kAll) {
        const std::string file = path(extension);
        if (platform::pathKind(file, nullptr, platform::Links::Refuse) != platform::PathKind::Other) continue;
        // Opening looks at what is there without following a link or
        // waiting on a pipe, and tells why it is refused.
        platform::ReadableFile probe;
        int err = 0;
        if (probe.open(file, &err, platform::Links::Refuse)) continue;  // it became a file of its own meanwhile
        std::error_code error;
        std::filesystem::remove(file, error);
        if (error) {
            Logger::get().log(u"%s(): %s", "CrashFiles::removeRefused",
                              formatString(u"Could not remove '%s', which is never sent (%s): %s", escapeForLog(file),
                                           refusal(err, extension), error.message()));
            continue;
        }
        Logger::get().log(u"%s(): %s", "CrashFiles::removeRefused",
                          formatString(u"Removed the name '%s', which is never sent: %s. Only the name went; "
                                       u"a file it led to or shared stays as it was.",
                                       escapeForLog(file), refusal(err, extension)));
    }
}

}  // namespace CrashFiles
