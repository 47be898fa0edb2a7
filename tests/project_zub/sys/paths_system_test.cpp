// The program's facts and its dealings with other processes: version text,
// user language, the system-information log, single instance, opening
// addresses after exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

std::string makeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zub-system-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    return pattern;
}

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

TEST(SystemVersion, VersionStringHasEveryPart) {
    EXPECT_EQ(getVersionString(), sizeof(void*) == 8 ? u"Tumbrodemo v1.25 t 64bit" : u"Tumbrodemo v1.25 t 32bit");
}

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
    const std::string folder = makeTempFolder();
    setUserDataFolderOverride(folder);
    Logger::get().clearHistory();
    logSystemInformation();
    setUserDataFolderOverride("");
    const auto& lines = Logger::get().history();
    auto has = [&](std::u16string_view part) {
        for (const WString& l : lines) {
            if (l.find(part) != WString::npos) return true;
        }
        return false;
    };
    EXPECT_TRUE(has(u"SystemInfo::logSystemInformation(): Program: Tumbrodemo v1.25 t"));
    EXPECT_TRUE(has(u"Operating system: Linux"));
    EXPECT_TRUE(has(u"Processor: "));
    EXPECT_TRUE(has(u"Memory: "));
    EXPECT_TRUE(has(u"User: "));
    EXPECT_TRUE(has(u"Locale: "));
    EXPECT_TRUE(has(u"Executable: /"));
    EXPECT_TRUE(has(u"Current folder: /"));
    EXPECT_TRUE(has(narrowToWide("User folder: " + folder + "/ (writable)")));
    fs::remove_all(folder);
}

TEST(SingleInstance, TestModeTakesNoLock) {
    const std::string folder = makeTempFolder();
    setUserDataFolderOverride(folder);
    const bool before = ErrorManager::bTestMode;
    ErrorManager::bTestMode = true;
    EXPECT_TRUE(acquireSingleInstance());
    EXPECT_FALSE(fs::exists(folder + "/Tumbrodemo.lock"));
    ErrorManager::bTestMode = before;
    setUserDataFolderOverride("");
    fs::remove_all(folder);
}

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstHoldsTheLock) {
    const std::string folder = makeTempFolder() + "/";
    ASSERT_TRUE(acquireSingleInstanceIn(folder));
    EXPECT_TRUE(fs::exists(folder + "Tumbrodemo.lock"));
    EXPECT_FALSE(childAcquires(folder));
    releaseSingleInstance();
    EXPECT_TRUE(childAcquires(folder));
    // The child's lock ended with the child.
    EXPECT_TRUE(acquireSingleInstanceIn(folder));
    releaseSingleInstance();
    fs::remove_all(folder);
}

TEST(SingleInstance, UnusableFolderDoesNotStopTheProgram) {
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
    for (const char16_t* bad : {u"", u"file;rm -rf /", u"javascript:alert(1)", u"JavaScript:void(0)",
                                u"http://", u"https://", u"http:///etc/passwd", u"ftp://host/",
                                u"file:///etc/passwd", u" http://host", u"-http://host",
                                u"http://host/a b", u"http://host/;rm -rf /", u"http://host/$(id)",
                                u"http://host/`id`", u"http://host/'x'", u"http://host/\nrm",
                                u"http://host/\u00e9", u"http://host/|cat", u"http://host/>x",
                                u"--help", u"/nonexistent/zub/file.htm", u"mailto:a@b"}) {
        EXPECT_FALSE(isOpenableAddress(bad)) << wideToUtf8(bad);
    }
}

TEST(OpenUrlAddress, ExistingLocalFilesAreAccepted) {
    const std::string folder = makeTempFolder();
    const std::string page = folder + "/readme.htm";
    FILE* f = std::fopen(page.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(isOpenableAddress(narrowToWide(page)));
    EXPECT_FALSE(isOpenableAddress(narrowToWide(folder)));  // a folder
    EXPECT_FALSE(isOpenableAddress(narrowToWide(page + "\n")));
    fs::remove_all(folder);
}

TEST_F(OpenUrlTest, StartsXdgOpenWithTheAddressAsOneArgument) {
    EXPECT_TRUE(openUrlAfterExit(u"https://example.com/tumbro/recipe.php?id=3&x=y"));
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0], (std::vector<std::string>{"xdg-open", "https://example.com/tumbro/recipe.php?id=3&x=y"}));
}

TEST_F(OpenUrlTest, RefusedAddressesStartNothing) {
    EXPECT_FALSE(openUrlAfterExit(u"file;rm -rf /"));
    EXPECT_FALSE(openUrlAfterExit(u"javascript:alert(document.cookie)"));
    EXPECT_FALSE(openUrlAfterExit(u"http://x/;reboot"));
    EXPECT_TRUE(spawned.empty());
}

TEST_F(OpenUrlTest, FailureToStartIsReported) {
    setOpenUrlSpawner(&failSpawn);
    EXPECT_FALSE(openUrlAfterExit(u"http://example.com/"));
    EXPECT_EQ(spawned.size(), 1u);
}

TEST_F(OpenUrlTest, RelativeFileBecomesAbsolute) {
    const std::string folder = makeTempFolder();
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    FILE* f = std::fopen("readme.htm", "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(openUrlAfterExit(u"readme.htm"));
    fs::current_path(previous);
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0][1], fs::canonical(folder).string() + "/readme.htm");
    fs::remove_all(folder);
}
