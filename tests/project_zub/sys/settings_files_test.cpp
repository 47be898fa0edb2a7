#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"

namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        std::string pattern = (fs::temp_directory_path() / "zub-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        staticPath = folder + "/Tumbrodemo.cfg.static";
        userPath = folder + "/user/Tumbrodemo.cfg";
        fs::create_directory(folder + "/user");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    static void write(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string folder, staticPath, userPath;
};

const char* const kDefaultUserText =
    "[Language]\r\n"
    "defaultLanguage=-2\r\n"
    "\r\n"
    "[Engine]\r\n"
    "debugCode=\r\n"
    "debugLevel=0\r\n"
    "\r\n"
    "[Network]\r\n"
    "bEmulateLocalhost=Yes\r\n"
    "\r\n"
    "[Audio]\r\n"
    "frequency=22050\r\n";

}  // namespace

TEST_F(SettingsTest, NamesAfterTheProgram) {
    EXPECT_EQ(Settings::staticFileName(), "Tumbrodemo.cfg.static");
    EXPECT_EQ(Settings::userFileName(), "Tumbrodemo.cfg");
}

TEST_F(SettingsTest, FirstStartCreatesTheUserFileWithDefaults) {
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_TRUE(s.usedBuiltInStaticDefaults());
    EXPECT_TRUE(s.createdUserFile());
    EXPECT_EQ(s.languageMask, u"");
    EXPECT_EQ(s.singleLanguage, -1);
    EXPECT_EQ(s.hq2x, 1);
    EXPECT_TRUE(s.bEnableDelayedLoad);
    EXPECT_EQ(s.getDefaultLanguage(), -2);
    EXPECT_EQ(s.getDebugCode(), u"");
    EXPECT_EQ(s.getDebugLevel(), 0);
    EXPECT_TRUE(s.getEmulateLocalhost());
    EXPECT_EQ(s.getFrequency(), 22050);
    ASSERT_TRUE(fs::exists(userPath));
    EXPECT_EQ(read(userPath), kDefaultUserText);
    EXPECT_FALSE(fs::exists(staticPath));  // the shipped file is never written

    Settings second;
    second.load(staticPath, userPath);
    EXPECT_FALSE(second.createdUserFile());
}

TEST_F(SettingsTest, StaticFileValuesAreCopied) {
    write(staticPath,
          "; shipped with the program\n"
          "[Language]\nlanguageMask=101\nsingleLanguage=1\n"
          "[Engine]\nhq2x=2\nbEnableDelayedLoad=No\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_FALSE(s.usedBuiltInStaticDefaults());
    EXPECT_EQ(s.languageMask, u"101");
    EXPECT_EQ(s.singleLanguage, 1);
    EXPECT_EQ(s.hq2x, 2);
    EXPECT_FALSE(s.bEnableDelayedLoad);
    // Static keys do not leak into the user file.
    EXPECT_FALSE(s.userFile().hasKey(u"Engine", u"hq2x"));
}

TEST_F(SettingsTest, DefaultStaticTextHoldsEveryStaticKey) {
    write(staticPath, Settings::defaultStaticText());
    EXPECT_EQ(Settings::defaultStaticText(),
              "[Language]\r\nlanguageMask=\r\nsingleLanguage=-1\r\n\r\n"
              "[Engine]\r\nhq2x=1\r\nbEnableDelayedLoad=Yes\r\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_FALSE(s.usedBuiltInStaticDefaults());
    EXPECT_EQ(s.hq2x, 1);
    EXPECT_TRUE(s.bEnableDelayedLoad);
}

TEST_F(SettingsTest, InvalidHq2xFallsBackToOne) {
    write(staticPath, "[Language]\nlanguageMask=\nsingleLanguage=-1\n[Engine]\nhq2x=7\nbEnableDelayedLoad=Yes\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(s.hq2x, 1);
}

TEST_F(SettingsTest, MissingStaticKeyIsFatal) {
    write(staticPath, "[Language]\nlanguageMask=1\n[Engine]\nhq2x=1\nbEnableDelayedLoad=Yes\n");
    EXPECT_EXIT(
        {
            Settings s;
            s.load(staticPath, userPath);
        },
        ::testing::ExitedWithCode(255), "Missing key 'singleLanguage' in section 'Language'");
}

TEST_F(SettingsTest, MissingUserKeysAreFilledAndWritten) {
    write(userPath,
          "; my settings\r\n"
          "[Language]\r\n"
          "defaultLanguage=1\r\n"
          "[Custom]\r\n"
          "mine=kept\r\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_FALSE(s.createdUserFile());
    EXPECT_EQ(s.getDefaultLanguage(), 1);
    EXPECT_TRUE(s.getEmulateLocalhost());
    EXPECT_EQ(s.getFrequency(), 22050);
    EXPECT_EQ(read(userPath),
              "; my settings\r\n"
              "[Language]\r\n"
              "defaultLanguage=1\r\n"
              "[Custom]\r\n"
              "mine=kept\r\n"
              "\r\n"
              "[Engine]\r\n"
              "debugCode=\r\n"
              "debugLevel=0\r\n"
              "\r\n"
              "[Network]\r\n"
              "bEmulateLocalhost=Yes\r\n"
              "\r\n"
              "[Audio]\r\n"
              "frequency=22050\r\n");
}

TEST_F(SettingsTest, CompleteUserFileIsNotRewrittenAtLoad) {
    write(userPath, std::string("# hand made\n") + kDefaultUserText);
    const auto before = fs::last_write_time(userPath);
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(fs::last_write_time(userPath), before);
    EXPECT_EQ(read(userPath), std::string("# hand made\n") + kDefaultUserText);
}

TEST_F(SettingsTest, ValuesAreKeptAcrossSaveAndLoad) {
    {
        Settings s;
        s.load(staticPath, userPath);
        s.setDefaultLanguage(1);
        s.setFrequency(44100);
        s.setEmulateLocalhost(false);
        s.userFile().setString(Settings::kSectionEngine, Settings::kDebugCode, u"abc");
        ASSERT_TRUE(s.save());
    }
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(s.getDefaultLanguage(), 1);
    EXPECT_EQ(s.getFrequency(), 44100);
    EXPECT_FALSE(s.getEmulateLocalhost());
    EXPECT_EQ(s.getDebugCode(), u"abc");
}

TEST_F(SettingsTest, EmulateLocalhostZeroIsFalse) {
    write(userPath, "[Network]\nbEmulateLocalhost=0\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_FALSE(s.getEmulateLocalhost());
}

TEST_F(SettingsTest, OutOfRangeUserValuesAreReplaced) {
    write(userPath, "[Language]\ndefaultLanguage=-9\n[Audio]\nfrequency=12\n");
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(s.getDefaultLanguage(), -2);
    EXPECT_EQ(s.getFrequency(), 22050);
    Settings again;
    again.load(staticPath, userPath);
    EXPECT_EQ(again.getFrequency(), 22050);
}

TEST_F(SettingsTest, OtherServicesKeysGetTheirDefaults) {
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(s.readUserInt(u"Graphics", u"windowWidth", 1024), 1024);
    EXPECT_FALSE(s.readUserBool(u"Graphics", u"bFullScreen", false));
    EXPECT_EQ(s.readUserString(u"Net", u"webHost", u"127.0.0.1"), u"127.0.0.1");
    s.userFile().setInt(u"Graphics", u"windowWidth", 800);
    EXPECT_EQ(s.readUserInt(u"Graphics", u"windowWidth", 1024), 800);
    ASSERT_TRUE(s.save());
    Settings t;
    t.load(staticPath, userPath);
    EXPECT_EQ(t.readUserInt(u"Graphics", u"windowWidth", 1024), 800);
    EXPECT_EQ(t.readUserString(u"net", u"WEBHOST", u"x"), u"127.0.0.1");
}

TEST_F(SettingsTest, UserPathThatIsAFolderIsLeftAlone) {
    fs::create_directory(userPath);
    Settings s;
    s.load(staticPath, userPath);
    EXPECT_EQ(s.getFrequency(), 22050);
    EXPECT_FALSE(s.save());
    EXPECT_TRUE(fs::is_directory(userPath));
}

TEST_F(SettingsTest, DefaultsBeforeLoadAndSaveWithoutLoad) {
    Settings s;
    EXPECT_EQ(s.getDefaultLanguage(), -2);
    EXPECT_EQ(s.getFrequency(), 22050);
    EXPECT_FALSE(s.save());
}

TEST_F(SettingsTest, KeyTableListsEveryEngineKey) {
    int user = 0, fixed = 0;
    for (const Settings::KeyInfo& k : Settings::keys()) {
        (k.where == Settings::Where::User ? user : fixed)++;
        EXPECT_TRUE(MemoryIniFile::isValidKeyName(k.key));
    }
    EXPECT_EQ(fixed, 4);
    EXPECT_EQ(user, 5);
}
