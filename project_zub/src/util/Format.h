#pragma once
// Type-safe printf-style formatting of wide text.
//
// The format follows printf: %[flags][width][.precision][length]conversion with
// the flags - 0 + space #, a width and precision given as digits or as '*'
// (taken from the next argument as an int; a negative width means '-'), and
// the conversions d i u x X o c s S f F e E g G a A p %. Length modifiers (h hh
// l ll L z j t q w I I32 I64) are accepted and ignored: the size of a value
// comes from the type of its argument.
//
// - %s and %S take wide text (u"...", WString, u16string_view), and also print
//   narrow UTF-8 text, a single char16_t, numbers in decimal and pointers.
//   The precision limits the number of UTF-16 units.
// - %d and %i print the value of any integer argument; a floating-point
//   argument is truncated towards zero (NaN gives 0, out-of-range values
//   saturate).
// - %u %x %X %o print an argument of up to 32 bits as a 32-bit unsigned number
//   (a negative int as its two's complement, like printf with unsigned int) and
//   a 64-bit argument as a 64-bit number.
// - %f and the other floating conversions print exactly as C printf does;
//   integer arguments are converted.
// - %c prints a character from a char16_t or an integer code (code points above
//   0xFFFF become a surrogate pair, invalid ones U+FFFD; code 0 prints nothing).
// - A missing argument prints "(null)" for %s and 0 for the numeric
//   conversions; extra arguments are ignored; an unknown conversion (including
//   %n) is copied to the output as it stands.
// - Width is limited to 4096 and precision to 512.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/WString.h"

class FormatArg {
public:
    enum class Kind : uint8_t { Signed, Unsigned, Double, Char, Wide, Narrow, Pointer };

    FormatArg(bool v) : kind(Kind::Signed), bits(v ? 1 : 0) {}
    FormatArg(short v) : kind(Kind::Signed), bits(static_cast<uint64_t>(v)) {}
    FormatArg(unsigned short v) : kind(Kind::Unsigned), bits(v) {}
    FormatArg(int v) : kind(Kind::Signed), bits(static_cast<uint64_t>(v)) {}
    FormatArg(unsigned v) : kind(Kind::Unsigned), bits(v) {}
    FormatArg(long v) : kind(Kind::Signed), wide64(sizeof(long) > 4), bits(static_cast<uint64_t>(v)) {}
    FormatArg(unsigned long v) : kind(Kind::Unsigned), wide64(sizeof(long) > 4), bits(v) {}
    FormatArg(long long v) : kind(Kind::Signed), wide64(true), bits(static_cast<uint64_t>(v)) {}
    FormatArg(unsigned long long v) : kind(Kind::Unsigned), wide64(true), bits(v) {}
    FormatArg(float v) : kind(Kind::Double), real(v) {}
    FormatArg(double v) : kind(Kind::Double), real(v) {}
    FormatArg(long double v) : kind(Kind::Double), real(static_cast<double>(v)) {}
    FormatArg(char16_t v) : kind(Kind::Char), bits(v) {}
    FormatArg(const char16_t* v) : kind(Kind::Wide), isNull(v == nullptr) {
        if (v) wide = v;
    }
    FormatArg(const WString& v) : kind(Kind::Wide), wide(v) {}
    FormatArg(std::u16string_view v) : kind(Kind::Wide), wide(v) {}
    FormatArg(const char* v) : kind(Kind::Narrow), isNull(v == nullptr) {
        if (v) narrow = v;
    }
    FormatArg(const std::string& v) : kind(Kind::Narrow), narrow(v) {}
    FormatArg(std::string_view v) : kind(Kind::Narrow), narrow(v) {}
    FormatArg(const void* v) : kind(Kind::Pointer), wide64(sizeof(void*) > 4), pointer(v) {}
    FormatArg(std::nullptr_t) : kind(Kind::Pointer), wide64(sizeof(void*) > 4) {}

    Kind getKind() const { return kind; }
    // True for 64-bit integers and, on 64-bit systems, pointers.
    bool is64() const { return wide64; }
    // A null const char16_t* or const char*.
    bool isNullText() const { return isNull; }
    // Signed and Unsigned: the value's two's complement bits. Char: the unit.
    uint64_t getBits() const { return bits; }
    double getDouble() const { return real; }
    const void* getPointer() const { return pointer; }
    std::u16string_view getWide() const { return wide; }
    std::string_view getNarrow() const { return narrow; }

private:
    Kind kind;
    bool wide64 = false;
    bool isNull = false;
    uint64_t bits = 0;
    double real = 0.0;
    const void* pointer = nullptr;
    std::u16string_view wide;
    std::string_view narrow;
};

WString formatStringV(std::u16string_view fmt, const FormatArg* args, size_t count);

// The same formatting with a UTF-8 format; the result is UTF-8 (wideToUtf8).
std::string formatNarrowV(std::string_view fmt, const FormatArg* args, size_t count);

template <class... A>
WString formatString(std::u16string_view fmt, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        return formatStringV(fmt, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return formatStringV(fmt, list, sizeof...(A));
    }
}

// Replaces the content of `target` with the formatted text. The format may
// refer to `target` itself.
template <class... A>
void formatStringInto(WString& target, std::u16string_view fmt, const A&... args) {
    WString result = formatString(fmt, args...);
    target.swap(result);
}

template <class... A>
std::string formatNarrow(std::string_view fmt, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        return formatNarrowV(fmt, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return formatNarrowV(fmt, list, sizeof...(A));
    }
}
