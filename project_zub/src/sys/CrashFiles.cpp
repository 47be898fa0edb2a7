#include "sys/CrashFiles.h"

#include <cerrno>
#include <cstring>

#include "platform/CrashHandler.h"
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

bool read(const char* extension, ByteBuffer& out) {
    const std::string file = path(extension);
    int err = 0;
    if (FileManager::readDiskFile(file, out, &err, maxBytes(extension), platform::Links::Refuse)) return true;
    if (err == ENOENT) return false;
    const WString why = err == EFBIG    ? formatString(u"it is larger than %llu bytes",
                                                       static_cast<unsigned long long>(maxBytes(extension)))
                        : err == ELOOP  ? WString(u"it is a symbolic link")
                        : err == EMLINK ? WString(u"it has another name as well (a hard link)")
                        : err == EINVAL ? WString(u"it is not a regular file")
                                        : formatString(u"errno %d:%s", err, std::strerror(err));
    Logger::get().log(u"%s(): %s", "CrashFiles::read", formatString(u"Not sending '%s': %s.", escapeForLog(file), why));
    return false;
}

}  // namespace CrashFiles
