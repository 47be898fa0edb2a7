#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/MemoryIniFile.h"

namespace {

const char* const kSample =
    "; settings written by hand\r\n"
    "top=1\r\n"
    "\r\n"
    "[Language]\r\n"
    "  languageMask = 1101 \r\n"
    "# a comment with = sign\r\n"
    "\r\n"
    "[ Engine ]\r\n"
    "url=http://host/page?a=b&c=d\r\n"
    "empty=\r\n"
    "Audio\r\n"
    "frequency=22050\r\n";

}  // namespace

TEST(IniParse, SectionsKeysCommentsAndBlankLines) {
    MemoryIniFile ini(kSample);
    EXPECT_EQ(ini.getString(u"", u"top"), u"1");
    EXPECT_EQ(ini.getString(u"Language", u"languageMask"), u"1101");
    EXPECT_EQ(ini.getString(u"Engine", u"url"), u"http://host/page?a=b&c=d");  // split at the first '='
    EXPECT_EQ(ini.getString(u"Engine", u"empty"), u"");
    EXPECT_EQ(ini.getString(u"Audio", u"frequency"), u"22050");  // a line without '=' names a section
    EXPECT_FALSE(ini.hasKey(u"Language", u"# a comment with"));
    EXPECT_EQ(ini.getSectionNames(), (std::vector<WString>{u"", u"Language", u"Engine", u"Audio"}));
    EXPECT_EQ(ini.getKeys(u"Engine"), (std::vector<WString>{u"url", u"empty"}));
}

TEST(IniParse, NamesBracketsCaseAndEncoding) {
    MemoryIniFile ini(
        "\xEF\xBB\xBF[ A ]\nx=1\n[[B]]\ny=2\n[C\nz=3\n[]\nw=4\n[a]\nX=5\n"
        "[Sprache]\nname=M\xC3\xBCller \xE2\x82\xAC\nbad=\xFF\n");
    EXPECT_EQ(ini.getString(u"a", u"x"), u"5");  // one section, the later value, names matched without case
    EXPECT_EQ(ini.getKeys(u"A"), std::vector<WString>{u"x"});
    EXPECT_EQ(ini.getString(u"[B]", u"y"), u"2");
    EXPECT_EQ(ini.getString(u"[C", u"z"), u"3");
    EXPECT_EQ(ini.getString(u"", u"w"), u"4");
    EXPECT_EQ(ini.getString(u"Sprache", u"name"), u"M\u00FCller \u20AC");
    EXPECT_EQ(ini.getString(u"Sprache", u"bad"), u"\uFFFD");
    const std::string withNul("k=a\0b\n", 6);
    EXPECT_EQ(MemoryIniFile(withNul.data(), withNul.size()).getString(u"", u"k"), WString(u"a\0b", 3));
    EXPECT_EQ(MemoryIniFile(nullptr, 0).toText(), "");
}

// Only ASCII letters match without case; other letters, and names that
// differ in length, are names of their own.
TEST(IniParse, NamesMatchWithoutCaseOnlyForAsciiLetters) {
    MemoryIniFile ini("[Gr\xC3\x9C\xC3\x9F]\nKey=1\n\xC3\x9C=2\n\xC3\xBC=3\nkey2=4\n[gr\xC3\xBC\xC3\x9F]\nkEY=5\n");
    EXPECT_EQ(ini.getSectionNames(), (std::vector<WString>{u"", u"Gr\u00DC\u00DF", u"gr\u00FC\u00DF"}));
    EXPECT_EQ(ini.getString(u"GR\u00DC\u00DF", u"KEY"), u"1");
    EXPECT_EQ(ini.getString(u"gr\u00DC\u00DF", u"\u00DC"), u"2");
    EXPECT_EQ(ini.getString(u"Gr\u00DC\u00DF", u"\u00FC"), u"3");
    EXPECT_EQ(ini.getString(u"gR\u00DC\u00DF", u"Key2"), u"4");
    EXPECT_EQ(ini.getString(u"GR\u00FC\u00DF", u"key"), u"5");
    EXPECT_FALSE(ini.hasKey(u"Gr\u00DC\u00DF", u"Ke"));
    EXPECT_FALSE(ini.hasKey(u"Gr\u00DC\u00DF", u"Key22"));
    EXPECT_FALSE(ini.hasSection(u"Gr\u00DC"));
}

TEST(IniParse, OnlyTextTheProgramWouldWriteIsWellFormed) {
    EXPECT_TRUE(MemoryIniFile::isWellFormed("\xEF\xBB\xBF; c\r\n\r\n[Sprache]\r\n\tname = M\xC3\xBCller=x\r\nk=\n"));
    EXPECT_FALSE(MemoryIniFile::isWellFormed(kSample));          // "Audio" alone on a line
    EXPECT_FALSE(MemoryIniFile::isWellFormed("[S]\n=value\n"));  // no key
    EXPECT_TRUE(MemoryIniFile::isWellFormed(""));
    std::string reason;
    for (const char* bad : {"[Eng", "[A]]\n", "k=\xFF\n", "k=\xC0\x80\n", "k=\xED\xA0\x80\n", "k=\x01\n"}) {
        EXPECT_FALSE(MemoryIniFile::isWellFormed(bad, &reason)) << bad;
        EXPECT_FALSE(reason.empty());
    }
}

TEST(IniValues, BoolsAndIntegers) {
    MemoryIniFile ini(
        "a=Yes\nb=Y\nc=No\nd=yes\ne=1\n"
        "i=42\nj=-7\nk=+3\nl=12abc\nm=abc\nn=99999999999\no=-99999999999\np=\n");
    EXPECT_TRUE(ini.getBool(u"", u"a"));
    EXPECT_TRUE(ini.getBool(u"", u"b"));
    for (const char16_t* key : {u"c", u"d", u"e", u"p"}) EXPECT_FALSE(ini.getBool(u"", key));
    EXPECT_EQ(ini.getInt(u"", u"i"), 42);
    EXPECT_EQ(ini.getInt(u"", u"j"), -7);
    EXPECT_EQ(ini.getInt(u"", u"k"), 3);
    EXPECT_EQ(ini.getInt(u"", u"l"), 12);
    EXPECT_EQ(ini.getInt(u"", u"m"), 0);
    EXPECT_EQ(ini.getInt(u"", u"n"), INT_MAX);
    EXPECT_EQ(ini.getInt(u"", u"o"), INT_MIN);
}

TEST(IniDeathTest, MissingKeysAndUnwritableNamesAreFatal) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        {
            MemoryIniFile ini("[Sec]\nkey=1\n");
            ini.setName("test.cfg");
            ini.getString(u"Sec", u"nokey");
        },
        ::testing::ExitedWithCode(255), "Missing key 'nokey' in section 'Sec' of the ini file 'test.cfg'");
    EXPECT_EXIT(MemoryIniFile().getInt(u"Other", u"x"), ::testing::ExitedWithCode(255),
                "Missing key 'x' in section 'Other'");
    EXPECT_EXIT(MemoryIniFile().setString(u"S", u"a=b", u"v"), ::testing::ExitedWithCode(255),
                "Invalid ini section 'S' or key 'a=b'");
    EXPECT_EXIT(MemoryIniFile().setInt(u"S\n[T]", u"k", 1), ::testing::ExitedWithCode(255), "Invalid ini section");
}

TEST(IniWrite, SettersKeepLayoutSpellingAndReadBack) {
    MemoryIniFile ini("[A]\nx=1\n\n\n[B]\ny=2\n");
    ini.setInt(u"A", u"z", 3);  // before the trailing blank lines
    ini.setInt(u"a", u"X", 5);  // replaces, keeps the spelling
    ini.setBool(u"Engine", u"bOn", true);
    ini.setString(u"Engine", u"text", u"  two\r\nlines  ");
    ini.setInt(u"", u"first", 7);
    EXPECT_EQ(ini.toText(),
              "first=7\r\n[A]\r\nx=5\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n\r\n[Engine]\r\nbOn=Yes\r\ntext=two  lines\r\n");
    EXPECT_EQ(MemoryIniFile(ini.toText()).toText(), ini.toText());
}

TEST(IniRoundTrip, TextKeepsCommentsOrderAndValues) {
    MemoryIniFile ini(kSample);
    const std::string text = ini.toText();
    EXPECT_EQ(text,
              "; settings written by hand\r\ntop=1\r\n\r\n[Language]\r\nlanguageMask=1101\r\n"
              "# a comment with = sign\r\n\r\n[Engine]\r\nurl=http://host/page?a=b&c=d\r\nempty=\r\n"
              "[Audio]\r\nfrequency=22050\r\n");
    EXPECT_EQ(MemoryIniFile(text).toText(), text);
    EXPECT_EQ(MemoryIniFile("[A]\na=1\n[]\nb=2\n").toText(), "b=2\r\n[A]\r\na=1\r\n");  // unnamed section first
    MemoryIniFile bom("\xEF\xBB\xBF\xEF\xBB\xBFk=1\n");
    EXPECT_TRUE(MemoryIniFile(bom.toText()).hasKey(u"", u"\uFEFFk"));
}

TEST(IniFile, SaveLoadAndFailures) {
    filestest::TempFolder folder;
    const std::string path = folder / "round.cfg";
    MemoryIniFile ini(kSample);
    ini.setInt(u"Audio", u"frequency", 44100);
    ASSERT_TRUE(ini.saveToFile(path));
    EXPECT_TRUE(filestest::temporariesIn(folder.path()).empty());
    MemoryIniFile loaded;
    ASSERT_TRUE(loaded.loadFromFile(path));
    EXPECT_EQ(loaded.getName(), path);
    EXPECT_EQ(loaded.toText(), ini.toText());

    EXPECT_FALSE(loaded.loadFromFile(folder / "missing.cfg"));
    EXPECT_FALSE(loaded.hasKey(u"Audio", u"frequency"));
    EXPECT_FALSE(loaded.loadFromFile(folder.path()));  // a folder
    EXPECT_FALSE(ini.saveToFile(folder / "no/such/folder/x.cfg"));
}
