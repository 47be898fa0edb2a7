#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "util/WString.h"

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

// U+1F600 as a surrogate pair.
const WString kGrin = u"\U0001F600";

}  // namespace

TEST(WideToNarrow, EncodesEachUnitWithOneTwoOrThreeBytes) {
    EXPECT_EQ(wideToNarrow(u""), "");
    EXPECT_EQ(wideToNarrow(u"Abc"), "Abc");
    EXPECT_EQ(wideToNarrow(u"\u007F"), bytes({0x7F}));
    EXPECT_EQ(wideToNarrow(u"\u0080"), bytes({0xC2, 0x80}));
    EXPECT_EQ(wideToNarrow(u"\u00E9"), bytes({0xC3, 0xA9}));
    EXPECT_EQ(wideToNarrow(u"\u07FF"), bytes({0xDF, 0xBF}));
    EXPECT_EQ(wideToNarrow(u"\u0800"), bytes({0xE0, 0xA0, 0x80}));
    EXPECT_EQ(wideToNarrow(u"\u20AC"), bytes({0xE2, 0x82, 0xAC}));
    EXPECT_EQ(wideToNarrow(u"\uFFFF"), bytes({0xEF, 0xBF, 0xBF}));
}

TEST(WideToNarrow, WritesSurrogatesSeparately) {
    ASSERT_EQ(kGrin.size(), 2u);
    EXPECT_EQ(wideToNarrow(kGrin), bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}));
    // A lone surrogate is written the same way.
    EXPECT_EQ(wideToNarrow(WString(1, char16_t(0xDC00))), bytes({0xED, 0xB0, 0x80}));
    // A NUL inside the text is kept.
    EXPECT_EQ(wideToNarrow(std::u16string_view(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(WideToUtf8, JoinsPairsIntoFourBytes) {
    EXPECT_EQ(wideToUtf8(kGrin), bytes({0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(wideToUtf8(u"x\u00E9\u20AC"), wideToNarrow(u"x\u00E9\u20AC"));
    // A lone high surrogate at the end, or before a non-surrogate.
    EXPECT_EQ(wideToUtf8(WString(1, char16_t(0xD83D))), bytes({0xED, 0xA0, 0xBD}));
    EXPECT_EQ(wideToUtf8(WString{char16_t(0xD83D), u'a'}), bytes({0xED, 0xA0, 0xBD, 'a'}));
    EXPECT_EQ(narrowToWide(wideToUtf8(kGrin)), kGrin);
}

TEST(NarrowToWide, DecodesValidUtf8) {
    EXPECT_EQ(narrowToWide(""), u"");
    EXPECT_EQ(narrowToWide("plain"), u"plain");
    EXPECT_EQ(narrowToWide(bytes({0xC3, 0xA9, 0xE2, 0x82, 0xAC})), u"\u00E9\u20AC");
    EXPECT_EQ(narrowToWide(bytes({0xF0, 0x9F, 0x98, 0x80})), kGrin);
    EXPECT_EQ(narrowToWide(bytes({0xF4, 0x8F, 0xBF, 0xBF})), u"\U0010FFFF");
    EXPECT_EQ(narrowToWide(bytes({0xF0, 0x90, 0x80, 0x80})), u"\U00010000");
    EXPECT_EQ(widen("abc"), u"abc");
    EXPECT_EQ(widen(nullptr), u"");
}

TEST(NarrowToWide, RoundTripsEveryUnit) {
    // Every BMP unit, surrogates included, survives wideToNarrow and back.
    WString all;
    for (uint32_t c = 0; c <= 0xFFFF; ++c) all.push_back(static_cast<char16_t>(c));
    EXPECT_EQ(narrowToWide(wideToNarrow(all)), all);

    const WString mixed = u"a\u00E9\u4E2D" + kGrin + u"\U0010FFFD" + WString(1, char16_t(0xDBFF)) + u"z";
    EXPECT_EQ(narrowToWide(wideToNarrow(mixed)), mixed);
}

TEST(NarrowToWide, ReplacesEveryBadByte) {
    const WString bad(1, u'\uFFFD');
    // Stray continuation bytes and bytes that never start a sequence.
    EXPECT_EQ(narrowToWide(bytes({0x80})), bad);
    EXPECT_EQ(narrowToWide(bytes({'a', 0xBF, 'b'})), u"a\uFFFDb");
    EXPECT_EQ(narrowToWide(bytes({0xFE, 0xFF})), bad + bad);
    EXPECT_EQ(narrowToWide(bytes({0xF5, 0x80, 0x80, 0x80})), bad + bad + bad + bad);
    // Overlong forms.
    EXPECT_EQ(narrowToWide(bytes({0xC0, 0xAF})), bad + bad);
    EXPECT_EQ(narrowToWide(bytes({0xC1, 0xBF})), bad + bad);
    EXPECT_EQ(narrowToWide(bytes({0xE0, 0x80, 0xAF})), bad + bad + bad);
    EXPECT_EQ(narrowToWide(bytes({0xF0, 0x80, 0x80, 0xAF})), bad + bad + bad + bad);
    // Beyond U+10FFFF.
    EXPECT_EQ(narrowToWide(bytes({0xF4, 0x90, 0x80, 0x80})), bad + bad + bad + bad);
    // A lead byte followed by a non-continuation: the next byte is decoded anew.
    EXPECT_EQ(narrowToWide(bytes({0xC3, 'A'})), bad + u"A");
    EXPECT_EQ(narrowToWide(bytes({0xE2, 0x82, 'A'})), bad + bad + u"A");
    EXPECT_EQ(narrowToWide(bytes({0xE2, 0xC3, 0xA9})), bad + u"\u00E9");
}

TEST(NarrowToWide, TruncatedSequencesStopAtTheEnd) {
    const WString bad(1, u'\uFFFD');
    EXPECT_EQ(narrowToWide(bytes({0xC3})), bad);
    EXPECT_EQ(narrowToWide(bytes({0xE2, 0x82})), bad + bad);
    EXPECT_EQ(narrowToWide(bytes({'x', 0xF0, 0x9F, 0x98})), u"x" + bad + bad + bad);
    // The view ends before the buffer does: the bytes behind it are not read.
    const std::string full = bytes({'a', 0xE2, 0x82, 0xAC});
    EXPECT_EQ(narrowToWide(std::string_view(full.data(), 3)), u"a" + bad + bad);
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    WString s = u"a-b-c";
    replaceAll(s, u"-", u"--");
    EXPECT_EQ(s, u"a--b--c");
    s = u"aaaa";
    replaceAll(s, u"aa", u"a");
    EXPECT_EQ(s, u"aa");
    s = u"%s and %s";
    replaceAll(s, u"%s", u"");
    EXPECT_EQ(s, u" and ");
    s = u"unchanged";
    replaceAll(s, u"", u"x");
    EXPECT_EQ(s, u"unchanged");
    replaceAll(s, u"zz", u"x");
    EXPECT_EQ(s, u"unchanged");
    // Views into the text itself.
    s = u"abcabc";
    replaceAll(s, std::u16string_view(s).substr(0, 1), std::u16string_view(s).substr(1, 2));
    EXPECT_EQ(s, u"bcbcbcbc");
}

TEST(SplitLines, SplitsAtLineFeedAndDropsCarriageReturn) {
    EXPECT_EQ(splitLines(u""), std::vector<WString>{u""});
    EXPECT_EQ(splitLines(u"one"), std::vector<WString>{u"one"});
    EXPECT_EQ(splitLines(u"a\nb"), (std::vector<WString>{u"a", u"b"}));
    EXPECT_EQ(splitLines(u"a\r\nb\r\n"), (std::vector<WString>{u"a", u"b", u""}));
    EXPECT_EQ(splitLines(u"\n"), (std::vector<WString>{u"", u""}));
    // Only a CR right before LF is dropped.
    EXPECT_EQ(splitLines(u"a\rb\r\r\nc\r"), (std::vector<WString>{u"a\rb\r", u"c\r"}));
    EXPECT_EQ(splitLines(u"\r\n\r\n"), (std::vector<WString>{u"", u"", u""}));
}

TEST(TrimString, TrimsBlanksAtBothEnds) {
    WString s = u" \t\r\n name with  inner space \n\t ";
    trimString(s);
    EXPECT_EQ(s, u"name with  inner space");
    s = u" \r\n\t";
    trimString(s);
    EXPECT_EQ(s, u"");
    s = u"";
    trimString(s);
    EXPECT_EQ(s, u"");
    s = u"\u00A0x\v";  // other white space is kept
    trimString(s);
    EXPECT_EQ(s, u"\u00A0x\v");
}

TEST(FixedString, CopiesZeroPadsAndKeepsAtMostSizeLessOneBytes) {
    char field[16];
    std::memset(field, 0x5A, sizeof field);
    copyToFixedString16(field, u"1.25");
    const char expected[16] = {'1', '.', '2', '5'};
    EXPECT_EQ(std::memcmp(field, expected, 16), 0);
    copyToFixedString16(field, u"0123456789abcdefghij");
    EXPECT_EQ(std::string(field), "0123456789abcde");

    char big[256];
    std::memset(big, 0x5A, sizeof big);
    copyToFixedString256(big, WString(300, u'x'));
    EXPECT_EQ(std::string(big), std::string(255, 'x'));
    EXPECT_EQ(big[255], 0);
}

TEST(FixedString, NeverCutsAMultiByteCharacter) {
    char field[16];
    // A 3-byte character at 13..15 does not fit; the earlier text stays.
    std::memset(field, 0x5A, sizeof field);
    copyToFixedString16(field, u"abcdefghijklm\u20ACzz");
    EXPECT_EQ(std::string(field), "abcdefghijklm");
    EXPECT_EQ(field[13], 0);
    EXPECT_EQ(field[14], 0);
    EXPECT_EQ(field[15], 0);

    // The result always decodes without a replacement character.
    for (size_t pad = 0; pad < 20; ++pad) {
        char f32[32];
        const WString text = WString(pad, u'.') + u"\u00E9\u20AC\u00E9\u20AC\u00E9\u20AC\u00E9\u20AC\u00E9";
        copyToFixedString32(f32, text);
        const WString back = narrowToWide(f32);
        EXPECT_EQ(back.find(u'\uFFFD'), WString::npos) << pad;
        EXPECT_EQ(text.compare(0, back.size(), back), 0) << pad;
        // At most the last character's bytes less one are left unused.
        const size_t full = wideToNarrow(text).size();
        const size_t kept = std::strlen(f32);
        if (full <= 31) {
            EXPECT_EQ(kept, full) << pad;
        } else {
            EXPECT_LE(kept, 31u) << pad;
            EXPECT_GE(kept, 29u) << pad;
        }
    }
}

TEST(FixedString, KeepsSurrogatePairsWhole) {
    char field[16];
    // 10 ASCII + pair (6 bytes) = 16: the pair is dropped whole, not half.
    std::memset(field, 0x5A, sizeof field);
    copyToFixedString16(field, u"0123456789" + kGrin);
    EXPECT_EQ(std::string(field), "0123456789");
    for (int i = 10; i < 16; ++i) EXPECT_EQ(field[i], 0) << i;
    // 9 ASCII + pair = 15 bytes fits.
    copyToFixedString16(field, u"012345678" + kGrin);
    EXPECT_EQ(narrowToWide(field), u"012345678" + kGrin);
}

TEST(FixedString, TinyFields) {
    char one[1] = {'x'};
    copyToFixedString(one, 1, u"abc");
    EXPECT_EQ(one[0], 0);
    copyToFixedString(nullptr, 0, u"abc");  // nothing to write, nothing happens
}
