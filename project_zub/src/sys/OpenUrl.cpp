#include "sys/OpenUrl.h"

#include "platform/PlatformProcess.h"
#include "platform/PlatformSystem.h"
#include "sys/Logger.h"

namespace {

OpenUrlSpawner& spawner() {
    static OpenUrlSpawner current = nullptr;
    return current;
}

void logOpen(const WString& text) { Logger::get().log(u"%s(): %s", "OpenUrl::openUrlAfterExit", text); }

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isUrlCharacter(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return true;
    return std::u16string_view(u"-._~:/?#[]@&=+,%").find(c) != std::u16string_view::npos;
}

bool isWebAddress(std::u16string_view address) {
    size_t schemeLength = 0;
    if (startsWithNoCase(address, u"http://")) schemeLength = 7;
    else if (startsWithNoCase(address, u"https://")) schemeLength = 8;
    else return false;
    const std::u16string_view rest = address.substr(schemeLength);
    if (rest.empty()) return false;
    const char16_t first = rest.front();
    const bool hostStart = (first >= u'a' && first <= u'z') || (first >= u'A' && first <= u'Z') ||
                           (first >= u'0' && first <= u'9') || first == u'[';
    if (!hostStart) return false;
    for (char16_t c : rest) {
        if (!isUrlCharacter(c)) return false;
    }
    return true;
}

bool isLocalDocument(std::u16string_view address) {
    if (address.empty() || address.front() == u'-') return false;
    for (char16_t c : address) {
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) return false;
    }
    return platform::isRegularFile(wideToUtf8(address));
}

}  // namespace

bool isOpenableAddress(std::u16string_view address) { return isWebAddress(address) || isLocalDocument(address); }

void setOpenUrlSpawner(OpenUrlSpawner replacement) { spawner() = replacement; }

bool openUrlAfterExit(std::u16string_view address) {
    if (!isOpenableAddress(address)) {
        logOpen(formatString(u"Refusing to open '%s'.", escapeForLog(address)));
        return false;
    }
    std::string target = wideToUtf8(address);
    if (!isWebAddress(address) && target.front() != '/') {
        const std::string folder = platform::getCurrentFolder();
        if (!folder.empty()) target = folder + (folder.back() == '/' ? "" : "/") + target;
    }
    const std::vector<std::string> argv = {"xdg-open", target};
    std::string error;
    const long pid = spawner() ? spawner()(argv) : platform::spawnProcess(argv, &error);
    if (pid < 0) {
        logOpen(formatString(u"Could not start xdg-open for '%s' (%s).", escapeForLog(address), escapeForLog(error)));
        return false;
    }
    logOpen(formatString(u"Opening '%s'.", escapeForLog(address)));
    return true;
}
