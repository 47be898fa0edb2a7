#include "TextFile.h"

#include <cerrno>
#include <cstring>

#include "platform/PlatformSystem.h"
#include "sys/Logger.h"

namespace levelbuild {

bool readTextFile(const std::string& path, std::string& text, int& error) {
    error = 0;
    return platform::readWholeFile(path, text, kMaxTextFileBytes, &error);
}

std::string unreadableFile(const std::string& path, int error) {
    std::string why;
    if (error == ENOENT) why = "there is no such file";
    else if (error == EISDIR) why = "it is a folder";
    else if (error == EINVAL) why = "it is not a regular file (but a named pipe, a device or a socket)";
    else if (error == EFBIG)
        why = "it is larger than " + std::to_string(kMaxTextFileBytes) +
              " bytes, the most a description, key script or plan may hold";
    else if (error == EACCES) why = "permission denied";
    else why = std::string("reading it failed: ") + std::strerror(error);
    return "levelbuild: " + printable(path) + ": cannot be read: " + why;
}

std::string printable(std::string_view text) { return wideToUtf8(escapeForLog(text)); }

}  // namespace levelbuild
