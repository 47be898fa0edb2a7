#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <string>

#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"

namespace {

namespace fs = std::filesystem;
using filestest::readBytes;
using filestest::writeBytes;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        fs::create_directory(folder / "user");
    }
    Settings loaded() {
        Settings s;
        s.load(staticPath, userPath);
        return s;
    }
    static ino_t inode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    filestest::TempFolder folder;
    std::string staticPath = folder / "Tumbrodemo.cfg.static";
    std::string userPath = folder / "user/Tumbrodemo.cfg";
};

const char* const kDefaultUserText =
    "[Language]\r\ndefaultLanguage=-2\r\n\r\n"
    "[Engine]\r\ndebugCode=\r\ndebugLevel=0\r\n\r\n"
    "[Network]\r\nbEmulateLocalhost=Yes\r\n\r\n"
    "[Audio]\r\nfrequency=22050\r\n";

}  // namespace

TEST_F(SettingsTest, FirstStartCreatesTheUserFileWithDefaults) {
    Settings s = loaded();
    EXPECT_TRUE(s.usedBuiltInStaticDefaults());
    EXPECT_TRUE(s.createdUserFile());
    EXPECT_EQ(s.hq2x, 1);
    EXPECT_TRUE(s.bEnableDelayedLoad);
    EXPECT_EQ(s.getDefaultLanguage(), -2);
    EXPECT_TRUE(s.getEmulateLocalhost());
    EXPECT_EQ(readBytes(userPath), kDefaultUserText);
    EXPECT_FALSE(fs::exists(staticPath));  // the shipped file is never written
    EXPECT_FALSE(loaded().createdUserFile());
}

TEST_F(SettingsTest, StaticFileValuesAreCopiedAndChecked) {
    EXPECT_EQ(Settings::defaultStaticText(),
              "[Language]\r\nlanguageMask=\r\nsingleLanguage=-1\r\n\r\n"
              "[Engine]\r\nhq2x=1\r\nbEnableDelayedLoad=Yes\r\n");
    writeBytes(staticPath,
               "; shipped with the program\n[Language]\nlanguageMask=101\nsingleLanguage=1\n"
               "[Engine]\nhq2x=7\nbEnableDelayedLoad=No\n");
    Settings s = loaded();
    EXPECT_FALSE(s.usedBuiltInStaticDefaults());
    EXPECT_EQ(s.languageMask, u"101");
    EXPECT_EQ(s.singleLanguage, 1);
    EXPECT_EQ(s.hq2x, 1);  // neither 1 nor 2
    EXPECT_FALSE(s.bEnableDelayedLoad);
    EXPECT_FALSE(s.userFile().hasKey(u"Engine", u"hq2x"));  // static keys stay out of the user file
}

TEST_F(SettingsTest, MissingStaticKeyIsFatal) {
    writeBytes(staticPath, "[Language]\nlanguageMask=1\n[Engine]\nhq2x=1\nbEnableDelayedLoad=Yes\n");
    EXPECT_EXIT(loaded(), ::testing::ExitedWithCode(255), "Missing key 'singleLanguage' in section 'Language'");
}

TEST_F(SettingsTest, MissingUserKeysAreFilledAndWritten) {
    writeBytes(userPath, "; my settings\r\n[Language]\r\ndefaultLanguage=1\r\n[Custom]\r\nmine=kept\r\n");
    Settings s = loaded();
    EXPECT_FALSE(s.createdUserFile());
    EXPECT_EQ(s.getDefaultLanguage(), 1);
    EXPECT_EQ(readBytes(userPath),
              "; my settings\r\n[Language]\r\ndefaultLanguage=1\r\n[Custom]\r\nmine=kept\r\n\r\n"
              "[Engine]\r\ndebugCode=\r\ndebugLevel=0\r\n\r\n[Network]\r\nbEmulateLocalhost=Yes\r\n\r\n"
              "[Audio]\r\nfrequency=22050\r\n");
}

TEST_F(SettingsTest, AnUnchangedFileIsNeverWrittenAgain) {
    const std::string handMade =
        "# hand made\n[Language]\ndefaultLanguage = -2\n[Engine]\ndebugCode=\ndebugLevel=0\n"
        "[Network]\nbEmulateLocalhost=Yes\n[Audio]\nfrequency=22050";
    writeBytes(userPath, handMade);
    const ino_t before = inode(userPath);  // a write replaces the file by renaming a new one over it
    Settings s = loaded();
    EXPECT_TRUE(s.save());
    EXPECT_EQ(inode(userPath), before);
    EXPECT_EQ(readBytes(userPath), handMade);  // nor rewritten in another layout
    s.setFrequency(44100);
    EXPECT_TRUE(s.save());
    EXPECT_NE(inode(userPath), before);
}

TEST_F(SettingsTest, ValuesAreKeptAcrossSaveAndLoad) {
    {
        Settings s = loaded();
        s.setDefaultLanguage(1);
        s.setFrequency(44100);
        s.setEmulateLocalhost(false);
        s.userFile().setString(Settings::kSectionEngine, Settings::kDebugCode, u"abc");
        EXPECT_EQ(s.readUserInt(u"Graphics", u"windowWidth", 1024), 1024);
        s.userFile().setInt(u"Graphics", u"windowWidth", 800);
        ASSERT_TRUE(s.save());
    }
    Settings s = loaded();
    EXPECT_EQ(s.getDefaultLanguage(), 1);
    EXPECT_EQ(s.getFrequency(), 44100);
    EXPECT_FALSE(s.getEmulateLocalhost());
    EXPECT_EQ(s.getDebugCode(), u"abc");
    EXPECT_EQ(s.readUserInt(u"graphics", u"WINDOWWIDTH", 1024), 800);
}

TEST_F(SettingsTest, OutOfRangeUserValuesAreReplaced) {
    writeBytes(userPath, "[Language]\ndefaultLanguage=-9\n[Audio]\nfrequency=12\n[Network]\nbEmulateLocalhost=0\n");
    Settings s = loaded();
    EXPECT_EQ(s.getDefaultLanguage(), -2);
    EXPECT_EQ(s.getFrequency(), 22050);
    EXPECT_FALSE(s.getEmulateLocalhost());
    EXPECT_EQ(loaded().getFrequency(), 22050);
}

TEST_F(SettingsTest, AFileThatIsNotASettingsFileIsKeptAsideAndReplaced) {
    const std::string damaged[] = {
        filestest::noiseContent(3000, 7),                   // random bytes
        "[Eng",                                             // cut off in a section name
        "[Language]\ndefaultLanguage=1\nPK\x03\x04zip",     // another kind of file under the name
        std::string("[Audio]\nfrequency=44100\0\0\0", 27),  // zeros from a crash while writing
    };
    int n = 0;
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(n);
        writeBytes(userPath, bytes);
        Settings s = loaded();
        EXPECT_TRUE(s.createdUserFile());
        EXPECT_EQ(s.getFrequency(), 22050);
        EXPECT_EQ(readBytes(userPath), kDefaultUserText);
        const std::string aside = userPath + (n == 0 ? ".bad" : ".bad" + std::to_string(n));
        EXPECT_EQ(readBytes(aside), bytes);  // earlier ones are never replaced
        ++n;
    }
}

TEST_F(SettingsTest, UserPathThatIsAFolderIsLeftAlone) {
    fs::create_directory(userPath);
    Settings s = loaded();
    EXPECT_EQ(s.getFrequency(), 22050);
    EXPECT_FALSE(s.save());
    EXPECT_TRUE(fs::is_directory(userPath));
    EXPECT_FALSE(Settings().save());  // nothing loaded: nothing written
}

// A folder's name is the disk's, not the program's: the log (a real file)
// names it on the line of each message, its control characters escaped.
TEST_F(SettingsTest, AFolderNameWithLineBreaksStaysOnTheLinesThatNameIt) {
    const std::string odd = folder / "user\r\nUser: admin\x1b[2J";
    fs::create_directory(odd);
    const std::string logPath = folder / "Tumbrodemo.log";
    ASSERT_TRUE(Logger::get().startSession(logPath));
    Settings s;
    s.load(odd + "/Tumbrodemo.cfg.static", odd + "/Tumbrodemo.cfg");
    Logger::get().closeFile();
    EXPECT_TRUE(s.createdUserFile());

    const std::string log = readBytes(logPath);
    int naming = 0;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n\x1b"), std::string::npos) << line;
        EXPECT_FALSE(line.starts_with("User: ")) << line;
        if (line.find("user\\r\\nUser: admin\\x1b[2J/Tumbrodemo.cfg") != std::string::npos) ++naming;
        start = end + 2;
    }
    EXPECT_EQ(naming, 2) << log;  // the shipped file that is missing, the user file that is made
}

TEST_F(SettingsTest, TheWindowIsReadFromTheFileAloneAndKeptByTheLoadedSettings) {
    auto same = [](const Settings::WindowChoice& w, bool fullScreen, int width, int height) {
        return w.bFullScreen == fullScreen && w.width == width && w.height == height;
    };
    // No file yet: full screen at 1024 x 768, and nothing is written.
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), true, 1024, 768));
    EXPECT_FALSE(fs::exists(userPath));
    writeBytes(userPath, "[Graphics]\nbFullScreen=No\nwidth=1280\nheight=800\n");
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), false, 1280, 800));
    // A size out of range, or half of one, gives the default size.
    writeBytes(userPath, "[Graphics]\nbFullScreen=No\nwidth=99999\nheight=800\n");
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), false, 1024, 768));
    writeBytes(userPath, "[Graphics]\nwidth=800\n");
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), true, 1024, 768));
    writeBytes(userPath, std::string("\0\xff\0", 3));  // not a settings file
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), true, 1024, 768));

    // The loaded settings keep the window that is put into them.
    fs::remove(userPath);
    {
        Settings s = loaded();
        EXPECT_TRUE(same(s.getWindowChoice(), true, 1024, 768));
        s.setWindowChoice(Settings::WindowChoice{false, 800, 600});
        ASSERT_TRUE(s.save());
    }
    EXPECT_TRUE(same(Settings::readWindowChoice(userPath), false, 800, 600));
    EXPECT_TRUE(same(loaded().getWindowChoice(), false, 800, 600));
}
