#include "sys/SystemInfo.h"

#include <string>

#include "platform/PlatformSystem.h"
#include "sys/Logger.h"
#include "sys/Paths.h"

namespace {

void logLine(const WString& text) { Logger::get().log(u"%s(): %s", "SystemInfo::logSystemInformation", text); }

unsigned long long megabytes(uint64_t bytes) { return static_cast<unsigned long long>(bytes >> 20); }

}  // namespace

WString getVersionString() {
    const char16_t* width = sizeof(void*) == 8 ? u"64bit" : u"32bit";
    return formatString(u"%s v%s.%s %s %s", u"Tumbrodemo", u"1", u"25", u"t", width);
}

WString isoLanguageFromLocaleName(std::string_view localeName) {
    WString code;
    for (char c : localeName) {
        if (c == '_' || c == '-' || c == '.' || c == '@') break;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c < 'a' || c > 'z') return {};
        code.push_back(static_cast<char16_t>(c));
        if (code.size() > 3) return {};
    }
    if (code.size() < 2) return {};  // also "C"
    return code;
}

WString getSystemLanguageIsoCode() { return isoLanguageFromLocaleName(platform::getMessagesLocaleName()); }

void logSystemInformation() {
    const platform::SystemFacts f = platform::getSystemFacts();
    logLine(formatString(u"Program: %s", getVersionString()));
    // What the system says of itself, the names and the folders come from
    // outside the program.
    logLine(formatString(u"Operating system: %s %s %s (%s)%s%s", escapeForLog(f.osName), escapeForLog(f.osRelease),
                         escapeForLog(f.osVersion), escapeForLog(f.machine), f.prettyName.empty() ? "" : ", ",
                         escapeForLog(f.prettyName)));
    logLine(formatString(u"Processor: %s, %u online",
                         f.cpuModel.empty() ? WString(u"unknown") : escapeForLog(f.cpuModel), f.cpuCount));
    logLine(formatString(u"Memory: %llu MB total, %llu MB available", megabytes(f.memoryTotal),
                         megabytes(f.memoryAvailable)));
    logLine(formatString(u"User: %s, computer: %s", escapeForLog(f.userName), escapeForLog(f.hostName)));
    logLine(formatString(u"Locale: '%s', language '%s'", escapeForLog(f.localeName),
                         escapeForLog(isoLanguageFromLocaleName(f.localeName))));
    logLine(formatString(u"Executable: %s", escapeForLog(f.executablePath)));
    logLine(formatString(u"Current folder: %s", escapeForLog(f.currentFolder)));
    const std::string userFolder = getUserDataFolder();
    logLine(formatString(u"User folder: %s (%s)", escapeForLog(userFolder),
                         platform::isWritable(userFolder) ? u"writable" : u"not writable"));
}
