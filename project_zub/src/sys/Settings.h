#pragma once
// The engine's two settings files, both in the MemoryIniFile format:
//
// - "Tumbrodemo.cfg.static" beside the program: shipped with it and never
//   written. It is read once, its values are copied into the fields below and
//   the file is dropped. A key missing from it is a fatal error. When the whole
//   file is missing (a developer build), the built-in defaults are used and
//   that is logged.
// - "Tumbrodemo.cfg" in the user folder: kept in memory for the whole run and
//   written by save(). A missing file is created with the defaults on the
//   first start; a key missing from it gets its default and is written back,
//   so that an older or hand-edited file never stops the program. Values out
//   of their range are replaced by the default in the same way. A file that
//   is not a settings file at all (see MemoryIniFile::isWellFormed) is kept
//   aside as "<file>.bad" and the defaults are written in its place. save()
//   writes only when the content changed.
//
// The keys, their sections, types and defaults:
//
//   file    section     key                 type    default
//   static  [Language]  languageMask        string  ""     (one '1' per available language; empty = all)
//   static  [Language]  singleLanguage      int     -1     (>= 0 forces that language)
//   static  [Engine]    hq2x                int     1      (1 or 2: 2 selects the ".hq2x" archives)
//   static  [Engine]    bEnableDelayedLoad  bool    Yes
//   user    [Language]  defaultLanguage     int     -2     (-2 detect, -1 ask, >= 0 language index)
//   user    [Engine]    debugCode           string  ""     (unlocks the debug features when it matches)
//   user    [Engine]    debugLevel          int     0      (debug bits, used only while unlocked)
//   user    [Network]   bEmulateLocalhost   bool    Yes
//   user    [Audio]     frequency           int     22050  (output sample rate, 8000 to 192000)
//
// Other services may keep keys of their own in the user file through
// readUserInt / readUserBool / readUserString, which follow the same rule for
// a missing key. The window's state is kept that way, by the engine:
//
//   user    [Graphics]  bFullScreen         bool    Yes    (full screen, else a window)
//   user    [Graphics]  width               int     1024   (the mode or window size, 320 to 16384)
//   user    [Graphics]  height              int     768
#include <string>
#include <string_view>
#include <vector>

#include "sys/MemoryIniFile.h"
#include "util/WString.h"

class Settings {
public:
    static constexpr std::u16string_view kSectionLanguage = u"Language";
    static constexpr std::u16string_view kSectionEngine = u"Engine";
    static constexpr std::u16string_view kSectionNetwork = u"Network";
    static constexpr std::u16string_view kSectionAudio = u"Audio";

    static constexpr std::u16string_view kLanguageMask = u"languageMask";
    static constexpr std::u16string_view kSingleLanguage = u"singleLanguage";
    static constexpr std::u16string_view kHq2x = u"hq2x";
    static constexpr std::u16string_view kEnableDelayedLoad = u"bEnableDelayedLoad";
    static constexpr std::u16string_view kDefaultLanguage = u"defaultLanguage";
    static constexpr std::u16string_view kDebugCode = u"debugCode";
    static constexpr std::u16string_view kDebugLevel = u"debugLevel";
    static constexpr std::u16string_view kEmulateLocalhost = u"bEmulateLocalhost";
    static constexpr std::u16string_view kFrequency = u"frequency";
    static constexpr std::u16string_view kSectionGraphics = u"Graphics";
    static constexpr std::u16string_view kFullScreen = u"bFullScreen";
    static constexpr std::u16string_view kWidth = u"width";
    static constexpr std::u16string_view kHeight = u"height";

    enum class Where { Static, User };
    enum class Type { String, Int, Bool };
    struct KeyInfo {
        Where where;
        std::u16string_view section;
        std::u16string_view key;
        Type type;
        std::u16string_view defaultValue;  // as written in the file
    };
    // Every key the engine reads, in file order.
    static const std::vector<KeyInfo>& keys();

    // "Tumbrodemo.cfg.static" and "Tumbrodemo.cfg".
    static std::string staticFileName();
    static std::string userFileName();

    // The static file as a build ships it: every static key with its default.
    static std::string defaultStaticText();

    // Defaults only; nothing is read or written.
    Settings();

    // Reads the static file from the program's folder and the user file from
    // the user folder.
    void load();
    void load(const std::string& staticPath, const std::string& userPath);

    // Writes the user file (atomically). False, logged, when it cannot be
    // written or when it exists but could not be read at load (it is then
    // left as it is rather than replaced by defaults).
    bool save();

    // Values of the static file.
    WString languageMask;
    int singleLanguage = -1;
    int hq2x = 1;
    bool bEnableDelayedLoad = true;

    // Values of the user file, read from and written to the kept file.
    int getDefaultLanguage() const;
    void setDefaultLanguage(int language);
    WString getDebugCode() const;
    int getDebugLevel() const;
    bool getEmulateLocalhost() const;
    void setEmulateLocalhost(bool value);
    int getFrequency() const;
    void setFrequency(int samplesPerSecond);

    // The window the program opens: full screen or a window, and its size.
    struct WindowChoice {
        static constexpr int MIN_SIZE = 320;
        static constexpr int MAX_SIZE = 16384;
        bool bFullScreen = true;
        int width = 1024;
        int height = 768;
    };
    // The window the user file keeps, read from disk alone: the program
    // opens its window before the engine loads its settings. A missing file
    // or key, or a size out of range, gives the default.
    static WindowChoice readWindowChoice(const std::string& userPath);
    static WindowChoice readWindowChoice();
    // The same from the loaded file (missing keys are added), and the
    // window's state put into it.
    WindowChoice getWindowChoice();
    void setWindowChoice(const WindowChoice& window);

    // A user key of another service: its value, or the default, which is then
    // put into the file and written by the next save().
    int readUserInt(std::u16string_view section, std::u16string_view key, int defaultValue);
    bool readUserBool(std::u16string_view section, std::u16string_view key, bool defaultValue);
    WString readUserString(std::u16string_view section, std::u16string_view key, std::u16string_view defaultValue);

    MemoryIniFile& userFile() { return user; }
    const MemoryIniFile& userFile() const { return user; }
    const std::string& getUserPath() const { return userPath; }

    // Whether the last load found no static file, and created the user file.
    bool usedBuiltInStaticDefaults() const { return bStaticMissing; }
    bool createdUserFile() const { return bUserCreated; }

private:
    void loadStatic(const std::string& path);
    void loadUser(const std::string& path);
    void resetStatic();
    void fillUserDefaults();

    MemoryIniFile user;
    std::string userPath;
    std::string diskText;  // the user file's content as last read or written (in written form)
    bool bDiskTextKnown = false;
    bool bUserUnreadable = false;
    bool bStaticMissing = false;
    bool bUserCreated = false;
};
