#include "sys/MemoryIniFile.h"

#include <climits>
#include <cstdint>

#include "platform/PlatformSystem.h"
#include "sys/ByteBuffer.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {

// Files larger than this are not ini files the program should read.
constexpr size_t kMaxFileBytes = 16u << 20;

constexpr char16_t kByteOrderMark = 0xFEFF;

char16_t foldedUnit(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The text without blanks at either end (as trimString leaves it).
std::u16string_view trimmed(std::u16string_view text) {
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && isBlank(text[begin])) ++begin;
    return text.substr(begin, end - begin);
}

bool hasLineBreakOrEquals(std::u16string_view name) {
    for (char16_t c : name) {
        if (c == u'\r' || c == u'\n' || c == u'=') return true;
    }
    return false;
}

bool isTrimmed(std::u16string_view name) { return name.empty() || (!isBlank(name.front()) && !isBlank(name.back())); }

WString storableValue(std::u16string_view value) {
    WString out(value);
    for (char16_t& c : out) {
        if (c == u'\r' || c == u'\n') c = u' ';
    }
    trimString(out);
    return out;
}

// The length of the valid UTF-8 sequence at the start of `s` (overlong forms,
// surrogates and code points above U+10FFFF are invalid), or 0.
size_t utf8SequenceLength(std::string_view s) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(0);
    if (b < 0x80) return 1;
    size_t n = 0;
    uint32_t cp = 0, min = 0;
    if ((b & 0xE0) == 0xC0) n = 2, cp = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0) n = 3, cp = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0) n = 4, cp = b & 0x07, min = 0x10000;
    else return 0;
    if (s.size() < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

size_t MemoryIniFile::FoldedHash::operator()(std::u16string_view name) const noexcept {
    uint64_t h = 1469598103934665603ull;
    for (char16_t c : name) h = (h ^ foldedUnit(c)) * 1099511628211ull;
    return static_cast<size_t>(h);
}

bool MemoryIniFile::FoldedEqual::operator()(std::u16string_view a, std::u16string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldedUnit(a[i]) != foldedUnit(b[i])) return false;
    return true;
}

bool MemoryIniFile::isWellFormed(std::string_view bytes, std::string* reason) {
    auto fail = [&](const std::string& why) {
        if (reason) *reason = why;
        return false;
    };
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    size_t lineNumber = 1;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n') ++lineNumber;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return fail("a control character on line " + std::to_string(lineNumber));
        const size_t n = utf8SequenceLength(bytes.substr(i));
        if (n == 0) return fail("bytes that are not UTF-8 text on line " + std::to_string(lineNumber));
        i += n;
    }
    lineNumber = 0;
    for (size_t start = 0; start <= bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t' || line.front() == '\r'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.size() >= 2 && line.back() == ']' && line.find_first_of("[]=", 1) == line.size() - 1) continue;
            return fail("a broken section name on line " + std::to_string(lineNumber));
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return fail("no '=' on line " + std::to_string(lineNumber));
        if (equals == 0) return fail("no key on line " + std::to_string(lineNumber));
    }
    return true;
}

MemoryIniFile::MemoryIniFile() { clear(); }

MemoryIniFile::MemoryIniFile(std::string_view bytes) { parse(bytes); }

MemoryIniFile::MemoryIniFile(const void* data, size_t size) {
    parse(size == 0 || data == nullptr ? std::string_view() : std::string_view(static_cast<const char*>(data), size));
}

MemoryIniFile::MemoryIniFile(const ByteBuffer& buffer) : MemoryIniFile(buffer.data, buffer.size) {}

void MemoryIniFile::clear() {
    sections.clear();
    sectionIndex.clear();
    sections.push_back(Section{});
    sectionIndex.emplace(WString(), 0);
}

void MemoryIniFile::parse(std::string_view bytes) {
    clear();
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        bytes.remove_prefix(3);
    }
    const WString text = narrowToWide(bytes);
    // Lines as splitLines cuts them (at LF, a CR before it dropped), trimmed.
    std::vector<std::u16string_view> lines;
    const std::u16string_view all(text);
    for (size_t start = 0;;) {
        const size_t nl = all.find(u'\n', start);
        if (nl == std::u16string_view::npos) {
            lines.push_back(trimmed(all.substr(start)));
            break;
        }
        lines.push_back(trimmed(all.substr(start, nl - start)));
        start = nl + 1;
    }
    // The line break that ends the last line does not start another one.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();

    size_t current = 0;
    for (const std::u16string_view line : lines) {
        if (line.empty() || line.front() == u';' || line.front() == u'#') {
            Line blankOrComment;
            blankOrComment.value = WString(line);
            sections[current].lines.push_back(std::move(blankOrComment));
            continue;
        }
        const size_t equals = line.find(u'=');
        if (equals != std::u16string_view::npos) {
            putValue(sections[current], trimmed(line.substr(0, equals)), WString(trimmed(line.substr(equals + 1))),
                     false);
            continue;
        }
        std::u16string_view name = line;
        if (name.size() >= 2 && name.front() == u'[' && name.back() == u']') {
            name = name.substr(1, name.size() - 2);
        }
        name = trimmed(name);
        sectionFor(name, false);
        current = sectionIndex.find(name)->second;
    }
}

bool MemoryIniFile::loadFromFile(const std::string& path) {
    std::string bytes;
    const bool ok = platform::readWholeFile(path, bytes, kMaxFileBytes);
    parse(bytes);
    fileName = path;
    if (!ok) {
        Logger::get().log(u"%s(): %s", "MemoryIniFile::loadFromFile",
                          formatString(u"Could not read '%s'.", escapeForLog(path)));
    }
    return ok;
}

bool MemoryIniFile::saveToFile(const std::string& path) const {
    std::string error;
    if (!platform::writeFileAtomically(path, toText(), &error)) {
        Logger::get().log(u"%s(): %s", "MemoryIniFile::saveToFile",
                          formatString(u"Could not write '%s' (%s).", escapeForLog(path), escapeForLog(error)));
        return false;
    }
    return true;
}

std::string MemoryIniFile::toText() const {
    WString out;
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        if (i > 0) {
            out += u'[';
            out += section.name;
            out += u"]\r\n";
        }
        for (const Line& line : section.lines) {
            if (line.isKey) {
                out += line.key;
                out += u'=';
            }
            out += line.value;
            out += u"\r\n";
        }
    }
    std::string text;
    // A first key that itself starts with U+FEFF would lose it to the reader,
    // which skips one leading byte-order mark; give it a mark to skip.
    if (!out.empty() && out.front() == kByteOrderMark) text = "\xEF\xBB\xBF";
    text += wideToUtf8(out);
    return text;
}

MemoryIniFile::Section& MemoryIniFile::sectionFor(std::u16string_view name, bool fromApi) {
    auto found = sectionIndex.find(name);
    if (found != sectionIndex.end()) return sections[found->second];
    if (fromApi) {
        // Keep a blank line between sections that the program adds.
        Section& last = sections.back();
        if (!last.lines.empty() && !(last.lines.back().value.empty() && !last.lines.back().isKey)) {
            last.lines.push_back(Line{});
        }
    }
    sections.push_back(Section{WString(name), {}, {}});
    sectionIndex.emplace(WString(name), sections.size() - 1);
    return sections.back();
}

const MemoryIniFile::Section* MemoryIniFile::findSection(std::u16string_view name) const {
    auto found = sectionIndex.find(name);
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}

const MemoryIniFile::Line* MemoryIniFile::findLine(std::u16string_view section, std::u16string_view key) const {
    const Section* s = findSection(section);
    if (!s) return nullptr;
    auto found = s->keyIndex.find(key);
    return found == s->keyIndex.end() ? nullptr : &s->lines[found->second];
}

void MemoryIniFile::putValue(Section& section, std::u16string_view key, WString value, bool fromApi) {
    auto found = section.keyIndex.find(key);
    if (found != section.keyIndex.end()) {
        section.lines[found->second].value = std::move(value);
        return;
    }
    Line line;
    line.isKey = true;
    line.key = WString(key);
    line.value = std::move(value);
    size_t position = section.lines.size();
    if (fromApi) {
        // After the last line with content, before trailing blank lines.
        while (position > 0 && !section.lines[position - 1].isKey && section.lines[position - 1].value.empty()) {
            --position;
        }
        for (auto& entry : section.keyIndex) {
            if (entry.second >= position) entry.second++;
        }
    }
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
    section.keyIndex.emplace(WString(key), position);
}

bool MemoryIniFile::hasSection(std::u16string_view section) const { return findSection(section) != nullptr; }

bool MemoryIniFile::hasKey(std::u16string_view section, std::u16string_view key) const {
    return findLine(section, key) != nullptr;
}

const WString& MemoryIniFile::getString(std::u16string_view section, std::u16string_view key) const {
    const Line* line = findLine(section, key);
    if (!line) {
        ZUB_ERROR(u"Missing key '%s' in section '%s' of the ini file '%s'.", escapeForLog(key), escapeForLog(section),
                  escapeForLog(fileName));
    }
    return line->value;
}

bool MemoryIniFile::getBool(std::u16string_view section, std::u16string_view key) const {
    const WString& value = getString(section, key);
    return !value.empty() && value.front() == u'Y';
}

int MemoryIniFile::getInt(std::u16string_view section, std::u16string_view key) const {
    return parseInt(getString(section, key));
}

void MemoryIniFile::setString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (!isValidSectionName(section) || !isValidKeyName(key)) {
        ZUB_ERROR(u"Invalid ini section '%s' or key '%s' for '%s'.", escapeForLog(section), escapeForLog(key),
                  escapeForLog(fileName));
    }
    putValue(sectionFor(section, true), key, storableValue(value), true);
}

void MemoryIniFile::setBool(std::u16string_view section, std::u16string_view key, bool value) {
    setString(section, key, value ? u"Yes" : u"No");
}

void MemoryIniFile::setInt(std::u16string_view section, std::u16string_view key, int value) {
    setString(section, key, formatString(u"%d", value));
}

std::vector<WString> MemoryIniFile::getSectionNames() const {
    std::vector<WString> names;
    names.reserve(sections.size());
    for (const Section& s : sections) names.push_back(s.name);
    return names;
}

std::vector<WString> MemoryIniFile::getKeys(std::u16string_view section) const {
    std::vector<WString> keys;
    if (const Section* s = findSection(section)) {
        for (const Line& line : s->lines) {
            if (line.isKey) keys.push_back(line.key);
        }
    }
    return keys;
}

bool MemoryIniFile::isValidSectionName(std::u16string_view name) {
    return !hasLineBreakOrEquals(name) && isTrimmed(name);
}

bool MemoryIniFile::isValidKeyName(std::u16string_view name) {
    return !hasLineBreakOrEquals(name) && isTrimmed(name) &&
           !(!name.empty() && (name.front() == u';' || name.front() == u'#'));
}

int MemoryIniFile::parseInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) i++;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        i++;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
