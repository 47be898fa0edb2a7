#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "project_zub/sys/files_test_support.h"
#include "sys/Paths.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous) setenv(name, previous->c_str(), 1);
        else unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder);
        setUserDataFolderOverride("");
    }
    void TearDown() override { setUserDataFolderOverride(""); }
    filestest::TempFolder temp;
    std::string folder = temp / "data";
};

}  // namespace

TEST_F(PathsTest, UserFolderUnderXdgDataHome) {
    ScopedEnv xdg("XDG_DATA_HOME", folder.c_str());
    const std::string path = getApplicationDataPath();
    EXPECT_EQ(path, folder + "/Velmora studios/Tumbrodemo/1.25/");
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(getUserDataFolder(), path);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(PathsTest, HomeIsUsedWhenXdgDataHomeIsUnsetOrRelative) {
    ScopedEnv home("HOME", folder.c_str());
    {
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(getApplicationDataPath(), folder + "/.local/share/Velmora studios/Tumbrodemo/1.25/");
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(getApplicationDataPath(), folder + "/.local/share/Velmora studios/Tumbrodemo/1.25/");
    }
    EXPECT_TRUE(fs::is_directory(folder + "/.local/share/Velmora studios/Tumbrodemo/1.25"));
    EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(PathsTest, FolderIsCreatedAgainWhenRemovedAndCanBeOverridden) {
    const std::string withSlash = folder + "//";  // trailing separators are ignored
    ScopedEnv xdg("XDG_DATA_HOME", withSlash.c_str());
    const std::string path = getApplicationDataPath();
    EXPECT_EQ(path, folder + "/Velmora studios/Tumbrodemo/1.25/");
    fs::remove_all(folder + "/Velmora studios");
    EXPECT_EQ(getUserDataFolder(), path);
    EXPECT_TRUE(fs::is_directory(path));
    setUserDataFolderOverride(folder + "/custom/deeper");
    EXPECT_EQ(getUserDataFolder(), folder + "/custom/deeper/");
    EXPECT_TRUE(fs::is_directory(folder + "/custom/deeper"));
    setUserDataFolderOverride("");
    EXPECT_EQ(getUserDataFolder(), path);
}

TEST_F(PathsTest, UncreatableFolderIsStillReturned) {
    const std::string blocker = folder + "/file";
    FILE* f = std::fopen(blocker.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ScopedEnv xdg("XDG_DATA_HOME", blocker.c_str());
    EXPECT_EQ(getApplicationDataPath(), blocker + "/Velmora studios/Tumbrodemo/1.25/");
}
