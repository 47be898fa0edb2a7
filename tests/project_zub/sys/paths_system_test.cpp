// The program's facts and its dealings with other processes: version text,
// user language, the system-information log, single instance, opening
// addresses after exit.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/OpenUrl.h"
#include "sys/Paths.h"
#include "sys/SingleInstance.h"
#include "sys/SystemInfo.h"

namespace {

namespace fs = std::filesystem;

class EnvGuard {
public:
    explicit EnvGuard(std::vector<const char*> names) {
        for (const char* n : names) {
            const char* v = std::getenv(n);
            saved.push_back({n, v ? std::optional<std::string>(v) : std::nullopt});
        }
    }
    ~EnvGuard() {
        for (auto& [n, v] : saved) {
            if (v) setenv(n, v->c_str(), 1);
            else unsetenv(n);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
};

// In a child process: whether acquireSingleInstanceIn succeeds there.
bool childAcquires(const std::string& folder) {
    const pid_t pid = fork();
    if (pid == 0) _exit(acquireSingleInstanceIn(folder) ? 0 : 1);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status) == 0;
}

std::vector<std::vector<std::string>> spawned;
long recordSpawn(const std::vector<std::string>& argv) {
    spawned.push_back(argv);
    return 4242;
}
long failSpawn(const std::vector<std::string>& argv) {
    spawned.push_back(argv);
    return -1;
}

class OpenUrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        spawned.clear();
        setOpenUrlSpawner(&recordSpawn);
    }
    void TearDown() override { setOpenUrlSpawner(nullptr); }
};

}  // namespace

TEST(SystemLanguage, IsoCodeFromLocaleNames) {
    EXPECT_EQ(isoLanguageFromLocaleName("de_DE.UTF-8"), u"de");
    EXPECT_EQ(isoLanguageFromLocaleName("en_US"), u"en");
    EXPECT_EQ(isoLanguageFromLocaleName("fr"), u"fr");
    EXPECT_EQ(isoLanguageFromLocaleName("sr@latin"), u"sr");
    EXPECT_EQ(isoLanguageFromLocaleName("DE-at"), u"de");
    EXPECT_EQ(isoLanguageFromLocaleName("fil_PH.UTF-8"), u"fil");
    EXPECT_EQ(isoLanguageFromLocaleName("C"), u"");
    EXPECT_EQ(isoLanguageFromLocaleName("C.UTF-8"), u"");
    EXPECT_EQ(isoLanguageFromLocaleName("POSIX"), u"");
    EXPECT_EQ(isoLanguageFromLocaleName(""), u"");
    EXPECT_EQ(isoLanguageFromLocaleName("d1_DE"), u"");
    EXPECT_EQ(isoLanguageFromLocaleName("/usr/lib/locale"), u"");
}

TEST(SystemLanguage, LcAllThenLcMessagesThenLang) {
    EnvGuard guard({"LC_ALL", "LC_MESSAGES", "LANG"});
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(getSystemLanguageIsoCode(), u"");
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(getSystemLanguageIsoCode(), u"de");
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    EXPECT_EQ(getSystemLanguageIsoCode(), u"fr");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(getSystemLanguageIsoCode(), u"");
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(getSystemLanguageIsoCode(), u"fr");
}

TEST(SystemInformation, WritesItsLinesToTheLog) {
    filestest::TempFolder folder;
    setUserDataFolderOverride(folder.path());
    Logger::get().clearHistory();
    logSystemInformation();
    setUserDataFolderOverride("");
    WString all;
    for (const WString& l : Logger::get().history()) all += l + u"\n";
    for (const std::string& part : {std::string("SystemInfo::logSystemInformation(): Program: Tumbrodemo v1.25 t"),
                                    std::string("Operating system: Linux"), std::string("Executable: /"),
                                    "User folder: " + folder.path() + " (writable)"})
        EXPECT_NE(all.find(narrowToWide(part)), WString::npos) << part;
}

TEST(SingleInstance, AHeldLockRefusesAndAnUnusableFolderDoesNotStopTheProgram) {
    filestest::TempFolder folder;
    ASSERT_TRUE(acquireSingleInstanceIn(folder.path()));
    EXPECT_FALSE(childAcquires(folder.path()));
    releaseSingleInstance();
    EXPECT_TRUE(acquireSingleInstanceIn("/nonexistent-zub-folder/"));
    releaseSingleInstance();
}

TEST(OpenUrlAddress, WebAddressesAreAccepted) {
    EXPECT_TRUE(isOpenableAddress(u"http://example.com"));
    EXPECT_TRUE(isOpenableAddress(u"https://example.com/tumbro/recipe.php?id=12&lang=de#top"));
    EXPECT_TRUE(isOpenableAddress(u"HTTPS://Example.com/a%20b"));
    EXPECT_TRUE(isOpenableAddress(u"http://127.0.0.1:8080/x"));
    EXPECT_TRUE(isOpenableAddress(u"http://[::1]/"));
}

TEST(OpenUrlAddress, EverythingElseIsRefused) {
    for (const char16_t* bad : {u"",
                                u"file;rm -rf /",
                                u"javascript:alert(1)",
                                u"JavaScript:void(0)",
                                u"http://",
                                u"https://",
                                u"http:///etc/passwd",
                                u"ftp://host/",
                                u"file:///etc/passwd",
                                u" http://host",
                                u"-http://host",
                                u"http://host/a b",
                                u"http://host/;rm -rf /",
                                u"http://host/$(id)",
                                u"http://host/`id`",
                                u"http://host/'x'",
                                u"http://host/\nrm",
                                u"http://host/\u00e9",
                                u"http://host/|cat",
                                u"http://host/>x",
                                u"--help",
                                u"/nonexistent/zub/file.htm",
                                u"mailto:a@b"}) {
        EXPECT_FALSE(isOpenableAddress(bad)) << wideToUtf8(bad);
    }
}

TEST(OpenUrlAddress, ExistingLocalFilesAreAccepted) {
    filestest::TempFolder folder;
    const std::string page = folder / "readme.htm";
    filestest::writeBytes(page, "");
    EXPECT_TRUE(isOpenableAddress(narrowToWide(page)));
    EXPECT_FALSE(isOpenableAddress(narrowToWide(folder.path())));  // a folder
    EXPECT_FALSE(isOpenableAddress(narrowToWide(page + "\n")));
}

TEST_F(OpenUrlTest, StartsXdgOpenWithTheAddressAsOneArgumentOrNothing) {
    EXPECT_FALSE(openUrlAfterExit(u"file;rm -rf /"));
    EXPECT_FALSE(openUrlAfterExit(u"http://x/;reboot"));
    EXPECT_TRUE(spawned.empty());
    EXPECT_TRUE(openUrlAfterExit(u"https://example.com/tumbro/recipe.php?id=3&x=y"));
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0], (std::vector<std::string>{"xdg-open", "https://example.com/tumbro/recipe.php?id=3&x=y"}));
    setOpenUrlSpawner(&failSpawn);
    EXPECT_FALSE(openUrlAfterExit(u"http://example.com/"));  // could not start: reported
}

TEST_F(OpenUrlTest, RelativeFileBecomesAbsolute) {
    filestest::TempFolder folder;
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    std::ofstream("readme.htm").put('x');
    EXPECT_TRUE(openUrlAfterExit(u"readme.htm"));
    fs::current_path(previous);
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0][1], fs::canonical(folder.path()).string() + "/readme.htm");
}
