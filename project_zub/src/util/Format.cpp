#include "util/Format.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kMaxWidth = 4096;
constexpr int kMaxPrecision = 512;

struct Spec {
    bool minus = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool hash = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char conv = 0;
};

// An integer argument reduced to its bits and how printf would have seen it.
struct IntegerValue {
    uint64_t bits = 0;
    bool isSigned = true;
    bool is64 = false;
};

class ArgReader {
public:
    ArgReader(const FormatArg* a, size_t n) : args(a), count(n) {}
    // The next argument, or null when the list is used up.
    const FormatArg* next() { return index < count ? &args[index++] : nullptr; }

private:
    const FormatArg* args;
    size_t count;
    size_t index = 0;
};

IntegerValue doubleToInteger(double d) {
    IntegerValue v;
    if (std::isnan(d)) return v;
    if (d >= 0) {
        if (d >= 18446744073709551616.0) {
            v.bits = UINT64_MAX;
            v.isSigned = false;
        } else if (d >= 9223372036854775808.0) {
            v.bits = static_cast<uint64_t>(d);
            v.isSigned = false;
        } else {
            v.bits = static_cast<uint64_t>(static_cast<int64_t>(d));
        }
    } else {
        v.bits = d <= -9223372036854775808.0 ? static_cast<uint64_t>(INT64_MIN)
                                             : static_cast<uint64_t>(static_cast<int64_t>(d));
    }
    if (v.isSigned) {
        const int64_t s = static_cast<int64_t>(v.bits);
        v.is64 = s < INT32_MIN || s > INT32_MAX;
    } else {
        v.is64 = v.bits > UINT32_MAX;
    }
    return v;
}

IntegerValue toInteger(const FormatArg* a) {
    IntegerValue v;
    if (!a) return v;
    switch (a->getKind()) {
        case FormatArg::Kind::Signed:
            v.bits = a->getBits();
            v.is64 = a->is64();
            break;
        case FormatArg::Kind::Unsigned:
            v.bits = a->getBits();
            v.isSigned = false;
            v.is64 = a->is64();
            break;
        case FormatArg::Kind::Double:
            v = doubleToInteger(a->getDouble());
            break;
        case FormatArg::Kind::Char:
            v.bits = a->getBits();
            v.isSigned = false;
            break;
        case FormatArg::Kind::Pointer:
            v.bits = reinterpret_cast<uintptr_t>(a->getPointer());
            v.isSigned = false;
            v.is64 = sizeof(uintptr_t) > 4;
            break;
        case FormatArg::Kind::Wide:
        case FormatArg::Kind::Narrow:
            break;
    }
    return v;
}

double toDouble(const FormatArg* a) {
    if (!a) return 0.0;
    switch (a->getKind()) {
        case FormatArg::Kind::Signed:
            return static_cast<double>(static_cast<int64_t>(a->getBits()));
        case FormatArg::Kind::Unsigned:
        case FormatArg::Kind::Char:
            return static_cast<double>(a->getBits());
        case FormatArg::Kind::Double:
            return a->getDouble();
        case FormatArg::Kind::Pointer:
            return static_cast<double>(reinterpret_cast<uintptr_t>(a->getPointer()));
        case FormatArg::Kind::Wide:
        case FormatArg::Kind::Narrow:
            break;
    }
    return 0.0;
}

// An int for '*' width and precision, saturated.
int64_t toStarValue(const FormatArg* a) {
    const IntegerValue v = toInteger(a);
    if (!v.isSigned) return v.bits > INT32_MAX ? INT32_MAX : static_cast<int64_t>(v.bits);
    const int64_t s = static_cast<int64_t>(v.bits);
    return s < INT32_MIN ? INT32_MIN : s > INT32_MAX ? INT32_MAX : s;
}

void appendAscii(WString& out, const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(text[i]));
}

// Runs snprintf with a format rebuilt from the parsed conversion. `length` is the C length
// modifier for the value's type and `value` the value itself.
template <class T>
void appendPrintf(WString& out, const Spec& spec, const char* flags, const char* length, T value) {
    char fmt[48];
    char* f = fmt;
    *f++ = '%';
    for (const char* p = flags; *p; ++p) *f++ = *p;
    // A width of 0 is left out: the '0' would read as a flag.
    if (spec.width > 0) f += std::snprintf(f, sizeof fmt - size_t(f - fmt), "%d", spec.width);
    if (spec.precision >= 0) f += std::snprintf(f, sizeof fmt - size_t(f - fmt), ".%d", spec.precision);
    for (const char* p = length; *p; ++p) *f++ = *p;
    *f++ = spec.conv;
    *f = 0;
    // Large enough for any width, precision and double this formatter allows.
    char buffer[kMaxWidth + kMaxPrecision + 400];
    const int n = std::snprintf(buffer, sizeof buffer, fmt, value);
    if (n <= 0) return;
    appendAscii(out, buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

void appendPadded(WString& out, std::u16string_view body, const Spec& spec) {
    const size_t width = static_cast<size_t>(spec.width);
    const size_t pad = body.size() < width ? width - body.size() : 0;
    if (!spec.minus) out.append(pad, u' ');
    out.append(body);
    if (spec.minus) out.append(pad, u' ');
}

void appendCodePoint(WString& out, uint64_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else if (cp <= 0x10FFFF) {
        const uint32_t v = static_cast<uint32_t>(cp - 0x10000);
        out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
        out.push_back(u'\uFFFD');
    }
}

void formatInteger(WString& out, const Spec& specIn, const FormatArg* arg) {
    Spec spec = specIn;
    IntegerValue v = toInteger(arg);
    // '#' is only defined for o, x and X; keep the C call well-defined.
    char flags[8];
    char* f = flags;
    if (spec.minus) *f++ = '-';
    if (spec.plus) *f++ = '+';
    if (spec.space) *f++ = ' ';
    if (spec.hash && (spec.conv == 'o' || spec.conv == 'x' || spec.conv == 'X')) *f++ = '#';
    if (spec.zero) *f++ = '0';
    *f = 0;
    if (spec.conv == 'd' || spec.conv == 'i') {
        if (v.isSigned || v.bits <= uint64_t(INT64_MAX)) {
            spec.conv = 'd';
            appendPrintf(out, spec, flags, "ll", static_cast<long long>(v.bits));
        } else {
            spec.conv = 'u';
            appendPrintf(out, spec, flags, "ll", static_cast<unsigned long long>(v.bits));
        }
        return;
    }
    uint64_t bits = v.bits;
    if (v.isSigned && !v.is64) bits &= 0xFFFFFFFFu;
    appendPrintf(out, spec, flags, "ll", static_cast<unsigned long long>(bits));
}

void formatFloat(WString& out, const Spec& spec, const FormatArg* arg) {
    char flags[8];
    char* f = flags;
    if (spec.minus) *f++ = '-';
    if (spec.plus) *f++ = '+';
    if (spec.space) *f++ = ' ';
    if (spec.hash) *f++ = '#';
    if (spec.zero) *f++ = '0';
    *f = 0;
    appendPrintf(out, spec, flags, "", toDouble(arg));
}

const void* toPointer(const FormatArg* a) {
    if (!a) return nullptr;
    switch (a->getKind()) {
        case FormatArg::Kind::Pointer:
            return a->getPointer();
        case FormatArg::Kind::Signed:
        case FormatArg::Kind::Unsigned:
            return reinterpret_cast<const void*>(static_cast<uintptr_t>(a->getBits()));
        case FormatArg::Kind::Wide:
            return a->getWide().data();
        case FormatArg::Kind::Narrow:
            return a->getNarrow().data();
        default:
            return nullptr;
    }
}

void formatPointer(WString& out, const Spec& specIn, const FormatArg* arg) {
    Spec spec = specIn;
    spec.precision = -1;
    spec.conv = 'p';
    appendPrintf(out, spec, spec.minus ? "-" : "", "", toPointer(arg));
}

void formatChar(WString& out, const Spec& spec, const FormatArg* arg) {
    uint64_t cp = 0;
    if (arg) {
        switch (arg->getKind()) {
            case FormatArg::Kind::Wide:
                cp = arg->getWide().empty() ? 0 : arg->getWide()[0];
                break;
            case FormatArg::Kind::Narrow: {
                const WString w = narrowToWide(arg->getNarrow().substr(0, 4));
                cp = w.empty() ? 0 : w[0];
                break;
            }
            default: {
                const IntegerValue v = toInteger(arg);
                cp = v.isSigned && static_cast<int64_t>(v.bits) < 0 ? 0xFFFFFFFFu : v.bits;
                break;
            }
        }
    }
    WString body;
    if (cp != 0) appendCodePoint(body, cp);
    appendPadded(out, body, spec);
}

void formatText(WString& out, const Spec& spec, const FormatArg* arg) {
    static constexpr std::u16string_view kNull = u"(null)";
    WString owned;
    std::u16string_view body;
    if (!arg || arg->isNullText()) {
        body = kNull;
    } else {
        switch (arg->getKind()) {
            case FormatArg::Kind::Wide:
                body = arg->getWide();
                break;
            case FormatArg::Kind::Narrow:
                owned = narrowToWide(arg->getNarrow());
                body = owned;
                break;
            case FormatArg::Kind::Char:
                if (arg->getBits() != 0) owned.push_back(static_cast<char16_t>(arg->getBits()));
                body = owned;
                break;
            case FormatArg::Kind::Signed:
            case FormatArg::Kind::Unsigned: {
                Spec number;
                number.conv = 'd';
                formatInteger(owned, number, arg);
                body = owned;
                break;
            }
            case FormatArg::Kind::Double: {
                Spec number;
                number.conv = 'g';
                formatFloat(owned, number, arg);
                body = owned;
                break;
            }
            case FormatArg::Kind::Pointer: {
                Spec pointer;
                formatPointer(owned, pointer, arg);
                body = owned;
                break;
            }
        }
    }
    if (spec.precision >= 0 && body.size() > static_cast<size_t>(spec.precision)) {
        body = body.substr(0, static_cast<size_t>(spec.precision));
    }
    appendPadded(out, body, spec);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads decimal digits, saturating at `limit`.
int readNumber(std::u16string_view fmt, size_t& i, int limit) {
    int64_t value = 0;
    while (i < fmt.size() && isDigit(fmt[i])) {
        value = value * 10 + (fmt[i] - u'0');
        if (value > limit) value = limit;
        ++i;
    }
    return static_cast<int>(value);
}

void skipLengthModifiers(std::u16string_view fmt, size_t& i) {
    while (i < fmt.size()) {
        const char16_t c = fmt[i];
        if (c == u'h' || c == u'l' || c == u'L' || c == u'z' || c == u'j' || c == u't' || c == u'q' || c == u'w') {
            ++i;
        } else if (c == u'I') {
            ++i;
            if (i + 1 < fmt.size() &&
                ((fmt[i] == u'6' && fmt[i + 1] == u'4') || (fmt[i] == u'3' && fmt[i + 1] == u'2'))) {
                i += 2;
            }
        } else {
            break;
        }
    }
}

}  // namespace

WString formatStringV(std::u16string_view fmt, const FormatArg* args, size_t count) {
    WString out;
    out.reserve(fmt.size() + 16 * count);
    ArgReader reader(args, args ? count : 0);
    size_t i = 0;
    const size_t n = fmt.size();
    while (i < n) {
        if (fmt[i] != u'%') {
            size_t next = fmt.find(u'%', i);
            if (next == std::u16string_view::npos) next = n;
            out.append(fmt.substr(i, next - i));
            i = next;
            continue;
        }
        const size_t start = i++;
        Spec spec;
        for (; i < n; ++i) {
            const char16_t c = fmt[i];
            if (c == u'-') spec.minus = true;
            else if (c == u'0') spec.zero = true;
            else if (c == u'+') spec.plus = true;
            else if (c == u' ') spec.space = true;
            else if (c == u'#') spec.hash = true;
            else break;
        }
        if (i < n && fmt[i] == u'*') {
            ++i;
            int64_t w = toStarValue(reader.next());
            if (w < 0) {
                spec.minus = true;
                w = -w;
            }
            spec.width = static_cast<int>(w > kMaxWidth ? kMaxWidth : w);
        } else {
            spec.width = readNumber(fmt, i, kMaxWidth);
        }
        if (i < n && fmt[i] == u'.') {
            ++i;
            if (i < n && fmt[i] == u'*') {
                ++i;
                const int64_t p = toStarValue(reader.next());
                spec.precision = p < 0 ? -1 : static_cast<int>(p > kMaxPrecision ? kMaxPrecision : p);
            } else {
                spec.precision = readNumber(fmt, i, kMaxPrecision);
            }
        }
        skipLengthModifiers(fmt, i);
        if (i >= n) {
            out.append(fmt.substr(start));
            break;
        }
        const char16_t conv = fmt[i++];
        // As in printf, '-' overrides '0' and '+' overrides ' '.
        if (spec.minus) spec.zero = false;
        if (spec.plus) spec.space = false;
        switch (conv) {
            case u'%':
                out.push_back(u'%');
                break;
            case u'd':
            case u'i':
            case u'u':
            case u'x':
            case u'X':
            case u'o':
                spec.conv = static_cast<char>(conv);
                formatInteger(out, spec, reader.next());
                break;
            case u'f':
            case u'F':
            case u'e':
            case u'E':
            case u'g':
            case u'G':
            case u'a':
            case u'A':
                spec.conv = static_cast<char>(conv);
                formatFloat(out, spec, reader.next());
                break;
            case u'c':
                formatChar(out, spec, reader.next());
                break;
            case u's':
            case u'S':
                formatText(out, spec, reader.next());
                break;
            case u'p':
                formatPointer(out, spec, reader.next());
                break;
            default:
                out.append(fmt.substr(start, i - start));
                break;
        }
    }
    return out;
}

std::string formatNarrowV(std::string_view fmt, const FormatArg* args, size_t count) {
    return wideToUtf8(formatStringV(narrowToWide(fmt), args, count));
}
