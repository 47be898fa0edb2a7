#include "sys/Paths.h"

#include "platform/PlatformSystem.h"
#include "sys/Logger.h"

namespace {

std::string& overrideFolder() {
    static std::string folder;
    return folder;
}

std::string& executableOverride() {
    static std::string folder;
    return folder;
}

std::string withSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// The user's application-data root without a trailing separator.
std::string dataRoot() {
    std::string xdg = platform::getEnvironment("XDG_DATA_HOME");
    // XDG base directories are absolute; a relative value is ignored.
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    std::string home = platform::getHomeFolder();
    // No home at all (a bare service account): keep the data beside the
    // current folder rather than in the file-system root.
    if (home.empty()) return std::string("./.local/share");
    while (!home.empty() && home.back() == '/') home.pop_back();
    return home + "/.local/share";
}

std::string ensureFolder(const std::string& folder) {
    if (!platform::makeDirectories(folder)) {
        Logger::get().log(u"%s(): %s", "Paths::getApplicationDataPath",
                          formatString(u"Could not create the folder '%s'.", escapeForLog(folder)));
    }
    return folder;
}

}  // namespace

std::string getApplicationDataPath() {
    if (!overrideFolder().empty()) return ensureFolder(overrideFolder());
    std::string folder = dataRoot();
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    folder += '/';
    folder += kCompanyFolderName;
    folder += '/';
    folder += kProductFolderName;
    folder += '/';
    folder += kVersionFolderName;
    folder += '/';
    return ensureFolder(folder);
}

std::string getUserDataFolder() { return getApplicationDataPath(); }

void setUserDataFolderOverride(const std::string& folder) {
    overrideFolder() = folder.empty() ? std::string() : withSeparator(folder);
}

void setExecutableFolderOverride(const std::string& folder) {
    executableOverride() = folder.empty() ? std::string() : withSeparator(folder);
}

std::string getExecutableFolderPath() {
    if (!executableOverride().empty()) return executableOverride();
    const std::string exe = platform::getExecutablePath();
    const size_t slash = exe.rfind('/');
    if (exe.empty() || slash == std::string::npos) return "./";
    return exe.substr(0, slash + 1);
}
