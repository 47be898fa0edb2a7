#pragma once
// The text store of the game: the built-in English and German tables, the
// map from identifier names to numbers, the current language and its reading
// order, and the localised names of the inputs.
//
// The engine makes one Language while it builds itself and keeps it for its
// whole life; the resource loader picks the language once with setLanguage.
// A change of language at run time goes through a restart of the engine,
// which builds a new Language.
//
// Every text is a constant, zero-terminated UTF-16 string that lives as long
// as the program, so a returned pointer may be kept. An empty text is "",
// never a null pointer.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "lang/StringIds.h"
#include "util/WString.h"

class Language {
public:
    static constexpr int32_t NUM_LANGUAGES = 2;  // 0 English, 1 German
    static constexpr int32_t ENGLISH = 0;
    static constexpr int32_t GERMAN = 1;
    static constexpr int32_t NUM_STRINGS = NUM_STRING_IDS;
    static constexpr int32_t NUM_KEY_NAMES = 456;  // entries of the input layer's name table

    using TextTable = const char16_t* [NUM_LANGUAGES][NUM_STRINGS];
    // Runs between filling the tables and checking them (tests use it to damage a table).
    using FillHook = std::function<void(TextTable& texts)>;

    // Registers the identifiers, fills both tables and checks that no entry is
    // null (a null entry is fatal). No language is selected yet.
    Language();
    explicit Language(const FillHook& afterFill);
    ~Language() = default;
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;

    // The text of identifier `id` in the current language (English until a
    // language is selected). An id outside 0..1173 gives the empty text.
    const char16_t* getText(int32_t id) const {
        if (static_cast<uint32_t>(id) >= static_cast<uint32_t>(NUM_STRINGS)) return u"";
        const int32_t row =
            static_cast<uint32_t>(currentLanguage) < static_cast<uint32_t>(NUM_LANGUAGES) ? currentLanguage : 0;
        return texts[row][id];
    }

    // The text of identifier `id` in `language` (0 or 1), whatever is current;
    // the empty text for an index out of range.
    const char16_t* getTextIn(int32_t language, int32_t id) const;

    // The text whose identifier is named `name` (exact, case-sensitive). A name
    // that is not registered ends the program with "Unknown string identifier
    // '%s'" when `fatalIfMissing` is set, and gives the empty text otherwise.
    const char16_t* getTextByString(std::u16string_view name, bool fatalIfMissing) const;

    // Whether `name` is a registered identifier name.
    bool hasString(std::u16string_view name) const;

    // The number of the identifier named `name`, or -1.
    int32_t findStringId(std::u16string_view name) const;

    // The name of identifier `id`, or null outside 0..1173.
    static const char16_t* getStringIdName(int32_t id);

    // The availability mask: character i stands for language i and only '1'
    // makes it available; an empty mask makes every language available. It
    // comes from the engine's "languageMask" setting.
    void setLanguageMask(std::u16string_view mask) { languageMask.assign(mask); }
    const WString& getLanguageMask() const { return languageMask; }
    bool isLanguageAvailable(int32_t index) const;

    // Makes `index` the current language; an index outside 0..1 or one the
    // mask refuses selects English. Sets the reading order from the
    // language's LANGUAGEREADINGORDER text ("RTL" exactly means right to left)
    // and rewrites the key names.
    void setLanguage(int32_t index);

    // The input layer's table of 456 key names that refreshKeyNames writes
    // (null: none, nothing is written).
    void setKeyNameTable(WString* table) { keyNames = table; }

    // Writes all 456 key names in the current language into the key-name table.
    void refreshKeyNames();

    // Builds the key name of input code `code` (0..455) in the current
    // language, as refreshKeyNames writes it.
    WString buildKeyName(int32_t code) const;

    // The tables: texts[l][id] is the text of identifier id in language l.
    TextTable texts;
    // The current language: -1 until setLanguage, then 0 or 1.
    int32_t currentLanguage = -1;
    // 1 when the current language reads right to left.
    int32_t bRightToLeft = 0;

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view name) const noexcept { return std::hash<std::u16string_view>{}(name); }
    };

    void build(const FillHook* afterFill);
    void registerStringIds();
    void fillEnglish();
    void fillGerman();
    void checkTables() const;

    std::unordered_map<WString, int32_t, NameHash, std::equal_to<>> stringIds;
    WString languageMask;
    WString* keyNames = nullptr;
};
