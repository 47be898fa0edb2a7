#pragma once
// The engine's ini format, held in memory: settings files, skin descriptions.
//
// Reading (never fails; every byte sequence gives some content):
// - the text is UTF-8 (a leading byte-order mark is skipped; invalid bytes
//   become U+FFFD) and is split into lines at '\n';
// - each line is trimmed of spaces, tabs, carriage returns and line feeds;
// - blank lines and comment lines (first character ';' or '#') carry no data;
//   they are kept, so that a saved file keeps its layout and comments;
// - a line with '=' is "key=value", split at the first '=', key and value
//   trimmed; a value may contain further '=';
// - any other line names a section; surrounding "[...]" are removed and the
//   name trimmed ("[ Language ]" names "Language", "[]" the unnamed section);
// - keys before the first section belong to the unnamed section "".
//
// Section and key names are matched without regard to ASCII case ("language"
// finds "[Language]"): the files are edited by hand. The spelling first seen
// is kept. A key that appears twice in a section takes the later value; a
// section that appears twice is one section.
//
// Writing keeps sections, keys, comments and blank lines in their order. The
// unnamed section comes first, without a header; every other section is
// written as "[name]". Lines end with CRLF. Values given to the setters are
// stored as they will read back: line breaks become spaces and the value is
// trimmed.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/WString.h"

class ByteBuffer;

class MemoryIniFile {
public:
    // Empty content (only the unnamed section).
    MemoryIniFile();
    // Parses ini text given as bytes.
    explicit MemoryIniFile(std::string_view bytes);
    MemoryIniFile(const void* data, size_t size);
    // Parses the bytes of a loaded file (FileData, archives).
    explicit MemoryIniFile(const ByteBuffer& buffer);

    // Replaces the content with the parsed text.
    void parse(std::string_view bytes);

    // Replaces the content with the file's. False (content empty, logged) when
    // the file cannot be read; the name used in messages becomes the path.
    bool loadFromFile(const std::string& path);
    // Writes toText() to the file atomically (temporary file and rename).
    // Failures are logged and give false.
    bool saveToFile(const std::string& path) const;

    // The name used in messages (the file's path), "" by default.
    void setName(const std::string& name) { fileName = name; }
    const std::string& getName() const { return fileName; }

    // UTF-8 text in the format described above.
    std::string toText() const;

    bool hasSection(std::u16string_view section) const;
    bool hasKey(std::u16string_view section, std::u16string_view key) const;

    // The value; a missing key is a fatal error naming the section and the key.
    // The reference stays valid until the content next changes.
    const WString& getString(std::u16string_view section, std::u16string_view key) const;
    // True when the value begins with 'Y' ("Yes"); anything else is false.
    bool getBool(std::u16string_view section, std::u16string_view key) const;
    // The value as a decimal integer: optional sign, then digits up to the
    // first other character; no digits give 0; out-of-range values saturate.
    int getInt(std::u16string_view section, std::u16string_view key) const;

    // Setters create the section and the key when missing (a new key goes
    // after the last non-blank line of its section). The section and key must
    // be writable names (see isValidSectionName, isValidKeyName); anything
    // else is a fatal error, since names come from the program.
    void setString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void setBool(std::u16string_view section, std::u16string_view key, bool value);  // "Yes" / "No"
    void setInt(std::u16string_view section, std::u16string_view key, int value);

    // Names as they are spelled in the file, in file order; the unnamed
    // section is always the first.
    std::vector<WString> getSectionNames() const;
    // The keys of a section in file order; empty for a missing section.
    std::vector<WString> getKeys(std::u16string_view section) const;

    // A section name survives writing and reading when it has no line break or
    // '=' and no leading or trailing blank.
    static bool isValidSectionName(std::u16string_view name);
    // A key name survives writing and reading when it has no line break or '=',
    // no leading or trailing blank and does not start with ';' or '#'.
    static bool isValidKeyName(std::u16string_view name);

    // True when the bytes are a file in this format as the program writes
    // it: UTF-8 without control characters but tab, CR and LF, and every line
    // blank, a comment, "[section]" or "key=value" with a key. Anything else
    // (a damaged file, another kind of file) gives false and the reason.
    static bool isWellFormed(std::string_view bytes, std::string* reason = nullptr);

    // Parses a value as getInt does.
    static int parseInt(std::u16string_view text);

private:
    // Names compare without regard to ASCII case; the maps are searched by
    // a view of a name, with no folded copy made.
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view name) const noexcept;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::u16string_view a, std::u16string_view b) const noexcept;
    };
    using NameIndex = std::unordered_map<WString, size_t, FoldedHash, FoldedEqual>;

    struct Line {
        bool isKey = false;
        WString key;    // isKey: the key as spelled
        WString value;  // isKey: the value; otherwise the comment text ("" = blank)
    };
    struct Section {
        WString name;
        std::vector<Line> lines;
        NameIndex keyIndex;  // key -> line
    };

    void clear();
    Section& sectionFor(std::u16string_view name, bool fromApi);
    const Section* findSection(std::u16string_view name) const;
    const Line* findLine(std::u16string_view section, std::u16string_view key) const;
    void putValue(Section& section, std::u16string_view key, WString value, bool fromApi);

    std::vector<Section> sections;
    NameIndex sectionIndex;  // name -> section
    std::string fileName;
};
