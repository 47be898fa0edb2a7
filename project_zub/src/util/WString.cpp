#include "util/WString.h"

#include <cstdint>
#include <cstring>

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Bytes that wideToNarrow writes for one unit.
size_t narrowUnitSize(char16_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

void appendUnit(std::string& out, char16_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::string wideToNarrow(std::u16string_view text) {
    size_t bytes = 0;
    for (char16_t c : text) bytes += narrowUnitSize(c);
    std::string out;
    out.reserve(bytes);
    for (char16_t c : text) appendUnit(out, c);
    return out;
}

std::string wideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            const uint32_t cp = 0x10000u + ((uint32_t(c) - 0xD800u) << 10) + (uint32_t(text[i + 1]) - 0xDC00u);
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            ++i;
        } else {
            appendUnit(out, c);
        }
    }
    return out;
}

WString narrowToWide(std::string_view text) {
    WString out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        const size_t left = n - i;
        const auto byteAt = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (left >= 2 && isContinuation(byteAt(1))) {
                out.push_back(static_cast<char16_t>(((b0 & 0x1F) << 6) | (byteAt(1) & 0x3F)));
                i += 2;
                continue;
            }
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            // E0 needs a second byte of at least A0 (shortest form). ED A0..BF
            // are the surrogates, which are accepted on purpose.
            if (left >= 3 && isContinuation(byteAt(1)) && isContinuation(byteAt(2)) &&
                (b0 != 0xE0 || byteAt(1) >= 0xA0)) {
                out.push_back(
                    static_cast<char16_t>(((b0 & 0x0F) << 12) | ((byteAt(1) & 0x3F) << 6) | (byteAt(2) & 0x3F)));
                i += 3;
                continue;
            }
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            // F0 needs at least 90 (shortest form), F4 at most 8F (<= U+10FFFF).
            if (left >= 4 && isContinuation(byteAt(1)) && isContinuation(byteAt(2)) && isContinuation(byteAt(3)) &&
                (b0 != 0xF0 || byteAt(1) >= 0x90) && (b0 != 0xF4 || byteAt(1) <= 0x8F)) {
                const uint32_t cp = (uint32_t(b0 & 0x07) << 18) | (uint32_t(byteAt(1) & 0x3F) << 12) |
                                    (uint32_t(byteAt(2) & 0x3F) << 6) | uint32_t(byteAt(3) & 0x3F);
                const uint32_t v = cp - 0x10000u;
                out.push_back(static_cast<char16_t>(0xD800u + (v >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00u + (v & 0x3FFu)));
                i += 4;
                continue;
            }
        }
        out.push_back(u'\uFFFD');
        ++i;
    }
    return out;
}

WString widen(const char* text) {
    if (!text) return WString();
    return narrowToWide(std::string_view(text));
}

void replaceAll(WString& text, std::u16string_view from, std::u16string_view to) {
    if (from.empty()) return;
    // Copy the replacement first: it may be a view into `text` itself.
    const WString replacement(to);
    const WString pattern(from);
    size_t pos = text.find(pattern);
    if (pos == WString::npos) return;
    WString out;
    out.reserve(text.size());
    size_t start = 0;
    while (pos != WString::npos) {
        out.append(text, start, pos - start);
        out.append(replacement);
        start = pos + pattern.size();
        pos = text.find(pattern, start);
    }
    out.append(text, start, WString::npos);
    text.swap(out);
}

std::vector<WString> splitLines(std::u16string_view text) {
    std::vector<WString> lines;
    size_t start = 0;
    for (;;) {
        const size_t nl = text.find(u'\n', start);
        if (nl == std::u16string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        size_t end = nl;
        if (end > start && text[end - 1] == u'\r') --end;
        lines.emplace_back(text.substr(start, end - start));
        start = nl + 1;
    }
}

void trimString(WString& text) {
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && isBlank(text[begin])) ++begin;
    text.erase(end);
    text.erase(0, begin);
}

void copyToFixedString(char* field, size_t size, std::u16string_view text) {
    if (!field || size == 0) return;
    // Removing the last unit until the narrow form fits leaves the longest
    // prefix that fits; every unit has its own bytes, so count them directly.
    const size_t limit = size - 1;
    size_t units = 0;
    size_t bytes = 0;
    while (units < text.size() && bytes + narrowUnitSize(text[units]) <= limit) {
        bytes += narrowUnitSize(text[units]);
        ++units;
    }
    // Never keep the first half of a surrogate pair without its second half.
    if (units > 0 && units < text.size() && isHighSurrogate(text[units - 1]) && isLowSurrogate(text[units])) {
        --units;
    }
    const std::string narrow = wideToNarrow(text.substr(0, units));
    std::memset(field, 0, size);
    std::memcpy(field, narrow.data(), narrow.size());
}
