#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sys/ByteBuffer.h"
#include "sys/ErrorManager.h"
#include "sys/MemoryIniFile.h"

namespace {

namespace fs = std::filesystem;

class IniTempFolder {
public:
    IniTempFolder() {
        std::string pattern = (fs::temp_directory_path() / "zub-ini-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path = pattern;
    }
    ~IniTempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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
    EXPECT_TRUE(ini.hasKey(u"", u"top"));
    EXPECT_EQ(ini.getString(u"", u"top"), u"1");
    EXPECT_EQ(ini.getString(u"Language", u"languageMask"), u"1101");
    EXPECT_EQ(ini.getString(u"Engine", u"url"), u"http://host/page?a=b&c=d");
    EXPECT_EQ(ini.getString(u"Engine", u"empty"), u"");
    EXPECT_EQ(ini.getString(u"Audio", u"frequency"), u"22050");
    // Comments and blank lines neither start sections nor hold keys.
    EXPECT_FALSE(ini.hasSection(u"# a comment with = sign"));
    EXPECT_FALSE(ini.hasKey(u"Language", u"# a comment with"));
    EXPECT_EQ(ini.getSectionNames(), (std::vector<WString>{u"", u"Language", u"Engine", u"Audio"}));
    EXPECT_EQ(ini.getKeys(u"Engine"), (std::vector<WString>{u"url", u"empty"}));
    EXPECT_TRUE(ini.getKeys(u"Nowhere").empty());
}

TEST(IniParse, LinesWithoutSectionBelongToTheUnnamedSection) {
    MemoryIniFile ini("a=1\nb = two words \n[S]\na=3\n");
    EXPECT_EQ(ini.getString(u"", u"a"), u"1");
    EXPECT_EQ(ini.getString(u"", u"b"), u"two words");
    EXPECT_EQ(ini.getString(u"S", u"a"), u"3");
    EXPECT_FALSE(ini.hasKey(u"S", u"b"));
}

TEST(IniParse, SplitsAtTheFirstEqualsSign) {
    MemoryIniFile ini("k==v=w\n=x\n");
    EXPECT_EQ(ini.getString(u"", u"k"), u"=v=w");
    EXPECT_EQ(ini.getString(u"", u""), u"x");
}

TEST(IniParse, CrLfLfAndTabsAreTrimmed) {
    MemoryIniFile crlf("[S]\r\n\tk\t=\tv\t\r\n");
    MemoryIniFile lf("[S]\nk=v");
    EXPECT_EQ(crlf.getString(u"S", u"k"), u"v");
    EXPECT_EQ(lf.getString(u"S", u"k"), u"v");
}

TEST(IniParse, BracketsAreStrippedAndInnerNameTrimmed) {
    MemoryIniFile ini("[ A ]\nx=1\n[[B]]\ny=2\n[C\nz=3\n[]\nw=4\n");
    EXPECT_EQ(ini.getString(u"A", u"x"), u"1");
    EXPECT_EQ(ini.getString(u"[B]", u"y"), u"2");
    EXPECT_EQ(ini.getString(u"[C", u"z"), u"3");
    EXPECT_EQ(ini.getString(u"", u"w"), u"4");
}

TEST(IniParse, NamesMatchWithoutCaseAndKeepTheirSpelling) {
    MemoryIniFile ini("[Language]\nlanguageMask=1\n[language]\nExtra=2\nLANGUAGEMASK=3\n");
    EXPECT_EQ(ini.getString(u"LANGUAGE", u"languagemask"), u"3");
    EXPECT_EQ(ini.getString(u"language", u"extra"), u"2");
    EXPECT_EQ(ini.getSectionNames(), (std::vector<WString>{u"", u"Language"}));
    EXPECT_EQ(ini.getKeys(u"Language"), (std::vector<WString>{u"languageMask", u"Extra"}));
}

TEST(IniParse, Utf8AndByteOrderMark) {
    MemoryIniFile ini("\xEF\xBB\xBF[Sprache]\nname=M\xC3\xBCller \xE2\x82\xAC\nbad=\xFF\n");
    EXPECT_EQ(ini.getString(u"Sprache", u"name"), u"M\u00FCller \u20AC");
    EXPECT_EQ(ini.getString(u"Sprache", u"bad"), u"\uFFFD");
}

TEST(IniParse, EmptyAndNullInput) {
    MemoryIniFile a("");
    MemoryIniFile b(nullptr, 0);
    EXPECT_EQ(a.getSectionNames(), std::vector<WString>{u""});
    EXPECT_EQ(b.toText(), "");
    const std::string withNul("k=a\0b\n", 6);
    MemoryIniFile c(withNul.data(), withNul.size());
    EXPECT_EQ(c.getString(u"", u"k"), WString(u"a\0b", 3));
}

TEST(IniParse, FromAByteBuffer) {
    const std::string text = "[S]\nk=v\n";
    ByteBuffer buffer(text.data(), text.size());
    MemoryIniFile ini(buffer);
    EXPECT_EQ(ini.getString(u"S", u"k"), u"v");
    ByteBuffer empty;
    EXPECT_EQ(MemoryIniFile(empty).toText(), "");
}

TEST(IniValues, GetBoolIsTrueWhenTheValueBeginsWithCapitalY) {
    MemoryIniFile ini("a=Yes\nb=Y\nc=No\nd=0\ne=\nf=yes\ng=1\n");
    EXPECT_TRUE(ini.getBool(u"", u"a"));
    EXPECT_TRUE(ini.getBool(u"", u"b"));
    EXPECT_FALSE(ini.getBool(u"", u"c"));
    EXPECT_FALSE(ini.getBool(u"", u"d"));
    EXPECT_FALSE(ini.getBool(u"", u"e"));
    EXPECT_FALSE(ini.getBool(u"", u"f"));
    EXPECT_FALSE(ini.getBool(u"", u"g"));
}

TEST(IniValues, GetIntReadsLeadingDecimalAndSaturates) {
    MemoryIniFile ini("a=42\nb=-7\nc=+3\nd=12abc\ne=abc\nf=99999999999\ng=-99999999999\nh=\ni=-2147483648\n");
    EXPECT_EQ(ini.getInt(u"", u"a"), 42);
    EXPECT_EQ(ini.getInt(u"", u"b"), -7);
    EXPECT_EQ(ini.getInt(u"", u"c"), 3);
    EXPECT_EQ(ini.getInt(u"", u"d"), 12);
    EXPECT_EQ(ini.getInt(u"", u"e"), 0);
    EXPECT_EQ(ini.getInt(u"", u"f"), INT_MAX);
    EXPECT_EQ(ini.getInt(u"", u"g"), INT_MIN);
    EXPECT_EQ(ini.getInt(u"", u"h"), 0);
    EXPECT_EQ(ini.getInt(u"", u"i"), INT_MIN);
}

TEST(IniDeathTest, MissingKeyIsFatalAndNamesSectionAndKey) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini("[Sec]\nkey=1\n");
            ini.setName("test.cfg");
            ini.getString(u"Sec", u"nokey");
        },
        ::testing::ExitedWithCode(255), "Missing key 'nokey' in section 'Sec' of the ini file 'test.cfg'");
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini("[Sec]\nkey=1\n");
            ini.getBool(u"Other", u"key");
        },
        ::testing::ExitedWithCode(255), "Missing key 'key' in section 'Other'");
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini;
            ini.getInt(u"", u"x");
        },
        ::testing::ExitedWithCode(255), "Missing key 'x' in section ''");
}

TEST(IniDeathTest, UnwritableNamesFromTheProgramAreFatal) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini;
            ini.setString(u"S", u"a=b", u"v");
        },
        ::testing::ExitedWithCode(255), "Invalid ini section 'S' or key 'a=b'");
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini;
            ini.setInt(u"S\n[T]", u"k", 1);
        },
        ::testing::ExitedWithCode(255), "Invalid ini section");
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            MemoryIniFile ini;
            ini.setBool(u"S", u";k", true);
        },
        ::testing::ExitedWithCode(255), "Invalid ini section");
}

TEST(IniNames, Validity) {
    EXPECT_TRUE(MemoryIniFile::isValidSectionName(u""));
    EXPECT_TRUE(MemoryIniFile::isValidSectionName(u"Language"));
    EXPECT_TRUE(MemoryIniFile::isValidSectionName(u";odd but fine"));
    EXPECT_FALSE(MemoryIniFile::isValidSectionName(u" x"));
    EXPECT_FALSE(MemoryIniFile::isValidSectionName(u"a=b"));
    EXPECT_TRUE(MemoryIniFile::isValidKeyName(u"frequency"));
    EXPECT_FALSE(MemoryIniFile::isValidKeyName(u"#k"));
    EXPECT_FALSE(MemoryIniFile::isValidKeyName(u"k\r"));
}

TEST(IniWrite, SettersCreateSectionsAndKeys) {
    MemoryIniFile ini;
    ini.setString(u"Language", u"languageMask", u"11");
    ini.setInt(u"Language", u"singleLanguage", -1);
    ini.setBool(u"Engine", u"bEnableDelayedLoad", true);
    ini.setBool(u"Engine", u"bOther", false);
    ini.setInt(u"", u"first", 7);
    EXPECT_EQ(ini.toText(),
              "first=7\r\n"
              "[Language]\r\n"
              "languageMask=11\r\n"
              "singleLanguage=-1\r\n"
              "\r\n"
              "[Engine]\r\n"
              "bEnableDelayedLoad=Yes\r\n"
              "bOther=No\r\n");
    EXPECT_TRUE(ini.getBool(u"Engine", u"bEnableDelayedLoad"));
    EXPECT_FALSE(ini.getBool(u"Engine", u"bOther"));
    ini.setInt(u"language", u"SINGLELANGUAGE", 2);  // replaces, keeps the spelling
    EXPECT_EQ(ini.getKeys(u"Language"), (std::vector<WString>{u"languageMask", u"singleLanguage"}));
    EXPECT_EQ(ini.getInt(u"Language", u"singleLanguage"), 2);
}

TEST(IniWrite, ValuesAreStoredAsTheyReadBack) {
    MemoryIniFile ini;
    ini.setString(u"S", u"k", u"  two\r\nlines  ");
    EXPECT_EQ(ini.getString(u"S", u"k"), u"two  lines");
    MemoryIniFile back(ini.toText());
    EXPECT_EQ(back.getString(u"S", u"k"), u"two  lines");
}

TEST(IniWrite, NewKeysGoBeforeTrailingBlankLines) {
    MemoryIniFile ini("[A]\nx=1\n\n\n[B]\ny=2\n");
    ini.setInt(u"A", u"z", 3);
    ini.setInt(u"A", u"x", 5);
    EXPECT_EQ(ini.toText(), "[A]\r\nx=5\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(IniRoundTrip, TextKeepsCommentsOrderAndValues) {
    MemoryIniFile ini(kSample);
    const std::string text = ini.toText();
    EXPECT_EQ(text,
              "; settings written by hand\r\n"
              "top=1\r\n"
              "\r\n"
              "[Language]\r\n"
              "languageMask=1101\r\n"
              "# a comment with = sign\r\n"
              "\r\n"
              "[Engine]\r\n"
              "url=http://host/page?a=b&c=d\r\n"
              "empty=\r\n"
              "[Audio]\r\n"
              "frequency=22050\r\n");
    MemoryIniFile again(text);
    EXPECT_EQ(again.toText(), text);
}

TEST(IniRoundTrip, UnnamedSectionIsWrittenFirst) {
    MemoryIniFile ini("[A]\na=1\n[]\nb=2\n");
    EXPECT_EQ(ini.toText(), "b=2\r\n[A]\r\na=1\r\n");
}

TEST(IniRoundTrip, KeyStartingWithByteOrderMarkSurvives) {
    MemoryIniFile ini("\xEF\xBB\xBF\xEF\xBB\xBFk=1\n");
    EXPECT_TRUE(ini.hasKey(u"", u"\uFEFFk"));
    MemoryIniFile back(ini.toText());
    EXPECT_TRUE(back.hasKey(u"", u"\uFEFFk"));
    EXPECT_EQ(back.toText(), ini.toText());
}

TEST(IniFile, SaveAndLoad) {
    IniTempFolder folder;
    const std::string path = folder.file("round.cfg");
    MemoryIniFile ini(kSample);
    ini.setInt(u"Audio", u"frequency", 44100);
    ASSERT_TRUE(ini.saveToFile(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(readAll(path), ini.toText());

    MemoryIniFile loaded;
    ASSERT_TRUE(loaded.loadFromFile(path));
    EXPECT_EQ(loaded.getName(), path);
    EXPECT_EQ(loaded.getInt(u"Audio", u"frequency"), 44100);
    EXPECT_EQ(loaded.toText(), ini.toText());

    // Saving again replaces the file.
    loaded.setBool(u"Audio", u"bMusic", true);
    ASSERT_TRUE(loaded.saveToFile(path));
    MemoryIniFile third;
    ASSERT_TRUE(third.loadFromFile(path));
    EXPECT_TRUE(third.getBool(u"Audio", u"bMusic"));
}

TEST(IniFile, LoadAndSaveFailuresAreReported) {
    IniTempFolder folder;
    MemoryIniFile ini("a=1\n");
    EXPECT_FALSE(ini.loadFromFile(folder.file("missing.cfg")));
    EXPECT_FALSE(ini.hasKey(u"", u"a"));
    EXPECT_FALSE(ini.loadFromFile(folder.path));  // a folder
    EXPECT_FALSE(ini.saveToFile(folder.file("no/such/folder/x.cfg")));
}
