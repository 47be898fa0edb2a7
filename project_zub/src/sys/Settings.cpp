#include "sys/Settings.h"

#include "platform/PlatformSystem.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/Paths.h"

namespace {

constexpr const char* kStem = "Tumbrodemo";

constexpr int kMinFrequency = 8000;
constexpr int kMaxFrequency = 192000;
constexpr int kDefaultFrequency = 22050;
constexpr int kDefaultDefaultLanguage = -2;
// A settings file is a few hundred bytes; far larger ones are not read.
constexpr size_t kMaxUserFileBytes = 1u << 20;

void logLoad(const WString& message) { Logger::get().log(u"%s(): %s", "Settings::load", message); }

// Puts the default of every key of `where` into `ini` when the key is missing.
// True when something was added.
bool addMissingKeys(MemoryIniFile& ini, Settings::Where where) {
    bool added = false;
    for (const Settings::KeyInfo& k : Settings::keys()) {
        if (k.where != where || ini.hasKey(k.section, k.key)) continue;
        ini.setString(k.section, k.key, k.defaultValue);
        added = true;
    }
    return added;
}

}  // namespace

const std::vector<Settings::KeyInfo>& Settings::keys() {
    static const std::vector<KeyInfo> table = {
        {Where::Static, kSectionLanguage, kLanguageMask, Type::String, u""},
        {Where::Static, kSectionLanguage, kSingleLanguage, Type::Int, u"-1"},
        {Where::Static, kSectionEngine, kHq2x, Type::Int, u"1"},
        {Where::Static, kSectionEngine, kEnableDelayedLoad, Type::Bool, u"Yes"},
        {Where::User, kSectionLanguage, kDefaultLanguage, Type::Int, u"-2"},
        {Where::User, kSectionEngine, kDebugCode, Type::String, u""},
        {Where::User, kSectionEngine, kDebugLevel, Type::Int, u"0"},
        {Where::User, kSectionNetwork, kEmulateLocalhost, Type::Bool, u"Yes"},
        {Where::User, kSectionAudio, kFrequency, Type::Int, u"22050"},
    };
    return table;
}

std::string Settings::staticFileName() { return std::string(kStem) + ".cfg.static"; }

std::string Settings::userFileName() { return std::string(kStem) + ".cfg"; }

std::string Settings::defaultStaticText() {
    MemoryIniFile ini;
    addMissingKeys(ini, Where::Static);
    return ini.toText();
}

Settings::Settings() {
    resetStatic();
    fillUserDefaults();
}

void Settings::resetStatic() {
    languageMask.clear();
    singleLanguage = -1;
    hq2x = 1;
    bEnableDelayedLoad = true;
}

void Settings::load() { load(getExecutableFolderPath() + staticFileName(), getUserDataFolder() + userFileName()); }

void Settings::load(const std::string& staticPath, const std::string& userFilePath) {
    loadStatic(staticPath);
    loadUser(userFilePath);
}

void Settings::loadStatic(const std::string& path) {
    resetStatic();
    bStaticMissing = false;
    if (!platform::isRegularFile(path)) {
        bStaticMissing = true;
        logLoad(formatString(u"'%s' not found; using the built-in defaults.", escapeForLog(path)));
        return;
    }
    MemoryIniFile ini;
    if (!ini.loadFromFile(path)) {
        ZUB_ERROR(u"Could not read the settings file '%s'.", escapeForLog(path));
    }
    // A key missing from the shipped file ends the program with the key's name.
    languageMask = ini.getString(kSectionLanguage, kLanguageMask);
    singleLanguage = ini.getInt(kSectionLanguage, kSingleLanguage);
    hq2x = ini.getInt(kSectionEngine, kHq2x);
    bEnableDelayedLoad = ini.getBool(kSectionEngine, kEnableDelayedLoad);
    if (hq2x != 1 && hq2x != 2) {
        logLoad(formatString(u"'%s': hq2x=%d is neither 1 nor 2; using 1.", escapeForLog(path), hq2x));
        hq2x = 1;
    }
    logLoad(formatString(u"Read '%s'.", escapeForLog(path)));
}

void Settings::loadUser(const std::string& path) {
    userPath = path;
    bUserUnreadable = false;
    bUserCreated = false;
    bool changed = false;
    diskText.clear();
    bDiskTextKnown = false;
    if (platform::isRegularFile(path)) {
        std::string bytes, reason;
        if (!platform::readWholeFile(path, bytes, kMaxUserFileBytes)) {
            // Keep the file for the user to look at; run with the defaults.
            bUserUnreadable = true;
            user = MemoryIniFile();
            logLoad(
                formatString(u"Could not read '%s'; using the defaults and leaving it as it is.", escapeForLog(path)));
        } else if (!MemoryIniFile::isWellFormed(bytes, &reason)) {
            // Not a settings file (damaged, or something else under its
            // name): keep it aside and start again from the defaults.
            user = MemoryIniFile();
            const std::string aside = FileManager::setAside(path);
            if (aside.empty()) {
                bUserUnreadable = true;
                logLoad(
                    formatString(u"'%s' is not a settings file (%s) and cannot be moved aside; using the defaults "
                                 u"and leaving it as it is.",
                                 escapeForLog(path), reason));
            } else {
                bUserCreated = true;
                changed = true;
                logLoad(formatString(u"'%s' is not a settings file (%s); kept as '%s', starting from the defaults.",
                                     escapeForLog(path), reason, escapeForLog(aside)));
            }
        } else {
            // What the file holds, in the form it would be written in: a
            // file that differs only in its layout is not rewritten either.
            user.parse(bytes);
            diskText = user.toText();
            bDiskTextKnown = true;
        }
    } else if (platform::isDirectory(path)) {
        bUserUnreadable = true;
        user = MemoryIniFile();
        logLoad(formatString(u"'%s' is a folder; using the default settings.", escapeForLog(path)));
    } else {
        user = MemoryIniFile();
        bUserCreated = true;
        changed = true;
    }
    user.setName(path);
    changed = addMissingKeys(user, Where::User) || changed;

    if (getDefaultLanguage() < -2) {
        logLoad(formatString(u"defaultLanguage=%d is out of range; using %d.", getDefaultLanguage(),
                             kDefaultDefaultLanguage));
        setDefaultLanguage(kDefaultDefaultLanguage);
        changed = true;
    }
    const int frequency = getFrequency();
    if (frequency < kMinFrequency || frequency > kMaxFrequency) {
        logLoad(formatString(u"frequency=%d is out of range; using %d.", frequency, kDefaultFrequency));
        setFrequency(kDefaultFrequency);
        changed = true;
    }

    if (changed && !bUserUnreadable) {
        if (bUserCreated) logLoad(formatString(u"Creating '%s' with the default settings.", escapeForLog(path)));
        else logLoad(formatString(u"Adding missing settings to '%s'.", escapeForLog(path)));
        save();
    } else {
        logLoad(formatString(u"Read '%s'.", escapeForLog(path)));
    }
}

void Settings::fillUserDefaults() { addMissingKeys(user, Where::User); }

bool Settings::save() {
    if (userPath.empty()) {
        Logger::get().log(u"%s(): %s", "Settings::save", u"No settings file was loaded; nothing written.");
        return false;
    }
    if (bUserUnreadable) {
        Logger::get().log(u"%s(): %s", "Settings::save",
                          formatString(u"'%s' could not be read at start; not replacing it.", escapeForLog(userPath)));
        return false;
    }
    // An unchanged file is not written again.
    std::string text = user.toText();
    if (bDiskTextKnown && text == diskText) return true;
    if (!user.saveToFile(userPath)) return false;
    diskText = std::move(text);
    bDiskTextKnown = true;
    return true;
}

int Settings::getDefaultLanguage() const { return user.getInt(kSectionLanguage, kDefaultLanguage); }

void Settings::setDefaultLanguage(int language) { user.setInt(kSectionLanguage, kDefaultLanguage, language); }

WString Settings::getDebugCode() const { return user.getString(kSectionEngine, kDebugCode); }

int Settings::getDebugLevel() const { return user.getInt(kSectionEngine, kDebugLevel); }

bool Settings::getEmulateLocalhost() const { return user.getBool(kSectionNetwork, kEmulateLocalhost); }

void Settings::setEmulateLocalhost(bool value) { user.setBool(kSectionNetwork, kEmulateLocalhost, value); }

int Settings::getFrequency() const { return user.getInt(kSectionAudio, kFrequency); }

void Settings::setFrequency(int samplesPerSecond) { user.setInt(kSectionAudio, kFrequency, samplesPerSecond); }

namespace {

// The window of the file, defaults for what is missing or out of range.
Settings::WindowChoice windowChoiceOf(const MemoryIniFile& ini) {
    using W = Settings::WindowChoice;
    W w;
    if (ini.hasKey(Settings::kSectionGraphics, Settings::kFullScreen))
        w.bFullScreen = ini.getBool(Settings::kSectionGraphics, Settings::kFullScreen);
    const bool sized = ini.hasKey(Settings::kSectionGraphics, Settings::kWidth) &&
                       ini.hasKey(Settings::kSectionGraphics, Settings::kHeight);
    const int width = sized ? ini.getInt(Settings::kSectionGraphics, Settings::kWidth) : 0;
    const int height = sized ? ini.getInt(Settings::kSectionGraphics, Settings::kHeight) : 0;
    if (width >= W::MIN_SIZE && width <= W::MAX_SIZE && height >= W::MIN_SIZE && height <= W::MAX_SIZE) {
        w.width = width;
        w.height = height;
    }
    return w;
}

}  // namespace

Settings::WindowChoice Settings::readWindowChoice(const std::string& path) {
    std::string bytes;
    if (!platform::isRegularFile(path) || !platform::readWholeFile(path, bytes, kMaxUserFileBytes) ||
        !MemoryIniFile::isWellFormed(bytes))
        return WindowChoice{};
    return windowChoiceOf(MemoryIniFile(bytes));
}

Settings::WindowChoice Settings::readWindowChoice() { return readWindowChoice(getUserDataFolder() + userFileName()); }

Settings::WindowChoice Settings::getWindowChoice() {
    const WindowChoice defaults;
    readUserBool(kSectionGraphics, kFullScreen, defaults.bFullScreen);
    readUserInt(kSectionGraphics, kWidth, defaults.width);
    readUserInt(kSectionGraphics, kHeight, defaults.height);
    return windowChoiceOf(user);
}

void Settings::setWindowChoice(const WindowChoice& window) {
    user.setBool(kSectionGraphics, kFullScreen, window.bFullScreen);
    user.setInt(kSectionGraphics, kWidth, window.width);
    user.setInt(kSectionGraphics, kHeight, window.height);
}

int Settings::readUserInt(std::u16string_view section, std::u16string_view key, int defaultValue) {
    if (!user.hasKey(section, key)) user.setInt(section, key, defaultValue);
    return user.getInt(section, key);
}

bool Settings::readUserBool(std::u16string_view section, std::u16string_view key, bool defaultValue) {
    if (!user.hasKey(section, key)) user.setBool(section, key, defaultValue);
    return user.getBool(section, key);
}

WString Settings::readUserString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue) {
    if (!user.hasKey(section, key)) user.setString(section, key, defaultValue);
    return user.getString(section, key);
}
