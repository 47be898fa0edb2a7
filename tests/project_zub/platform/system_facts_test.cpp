#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/PlatformSystem.h"

namespace {

namespace fs = std::filesystem;

class PlatformFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zub-platform-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string folder;
};

}  // namespace

TEST(PlatformEnvironment, UnsetIsEmpty) {
    unsetenv("ZUB_SURELY_UNSET_VARIABLE");
    EXPECT_EQ(platform::getEnvironment("ZUB_SURELY_UNSET_VARIABLE"), "");
    setenv("ZUB_SURELY_UNSET_VARIABLE", "v a l", 1);
    EXPECT_EQ(platform::getEnvironment("ZUB_SURELY_UNSET_VARIABLE"), "v a l");
    unsetenv("ZUB_SURELY_UNSET_VARIABLE");
}

TEST(PlatformEnvironment, LocaleNamePriority) {
    std::optional<std::string> saved[3];
    const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i) {
        if (const char* v = std::getenv(names[i])) saved[i] = v;
        unsetenv(names[i]);
    }
    EXPECT_EQ(platform::getMessagesLocaleName(), "");
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(platform::getMessagesLocaleName(), "de_DE.UTF-8");
    setenv("LC_MESSAGES", "fr_FR", 1);
    EXPECT_EQ(platform::getMessagesLocaleName(), "fr_FR");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(platform::getMessagesLocaleName(), "C");
    for (int i = 0; i < 3; ++i) {
        if (saved[i]) setenv(names[i], saved[i]->c_str(), 1);
        else unsetenv(names[i]);
    }
}

TEST(PlatformFacts, DescribeThisMachine) {
    const platform::SystemFacts f = platform::getSystemFacts();
    EXPECT_EQ(f.osName, "Linux");
    EXPECT_FALSE(f.osRelease.empty());
    EXPECT_FALSE(f.machine.empty());
    EXPECT_GE(f.cpuCount, 1u);
    EXPECT_GT(f.memoryTotal, 0u);
    EXPECT_GT(f.memoryAvailable, 0u);
    EXPECT_LE(f.memoryAvailable, f.memoryTotal);
    EXPECT_FALSE(f.hostName.empty());
    EXPECT_FALSE(f.userName.empty());
    EXPECT_EQ(fs::path(f.executablePath).filename(), "zub_platform_tests");
    EXPECT_EQ(f.executablePath, platform::getExecutablePath());
    EXPECT_EQ(f.currentFolder, fs::current_path().string());
}

TEST_F(PlatformFolder, MakeDirectoriesCreatesEveryLevel) {
    const std::string deep = folder + "/a b/c//d/";
    EXPECT_TRUE(platform::makeDirectories(deep));
    EXPECT_TRUE(platform::isDirectory(folder + "/a b/c/d"));
    EXPECT_TRUE(platform::makeDirectories(deep));  // already there
    EXPECT_EQ(fs::status(folder + "/a b").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(platform::makeDirectories(""));

    std::ofstream(folder + "/file") << "x";
    EXPECT_FALSE(platform::makeDirectories(folder + "/file/sub"));
    EXPECT_TRUE(platform::isRegularFile(folder + "/file"));
    EXPECT_FALSE(platform::isDirectory(folder + "/file"));
    EXPECT_TRUE(platform::isWritable(folder));
}

TEST_F(PlatformFolder, ReadWholeFile) {
    const std::string path = folder + "/data.bin";
    const std::string bytes("a\0b\r\nc", 6);
    std::ofstream(path, std::ios::binary) << bytes;
    std::string out = "old";
    EXPECT_TRUE(platform::readWholeFile(path, out, 100));
    EXPECT_EQ(out, bytes);
    EXPECT_FALSE(platform::readWholeFile(path, out, 5));  // too large
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(platform::readWholeFile(folder + "/missing", out, 100));
    EXPECT_FALSE(platform::readWholeFile(folder, out, 100));  // a folder
    // Files of /proc report size 0 and are still read to their end.
    EXPECT_TRUE(platform::readWholeFile("/proc/self/status", out, 1 << 20));
    EXPECT_NE(out.find("Name:"), std::string::npos);
}

TEST_F(PlatformFolder, WriteFileAtomically) {
    const std::string path = folder + "/out.cfg";
    EXPECT_TRUE(platform::writeFileAtomically(path, "first"));
    EXPECT_EQ(read(path), "first");
    EXPECT_TRUE(platform::writeFileAtomically(path, std::string("second\0", 7)));
    EXPECT_EQ(read(path), std::string("second\0", 7));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    EXPECT_TRUE(platform::writeFileAtomically(path, ""));
    EXPECT_EQ(read(path), "");

    std::string error;
    EXPECT_FALSE(platform::writeFileAtomically(folder + "/missing/out.cfg", "x", &error));
    EXPECT_NE(error.find("Creating"), std::string::npos) << error;

    fs::create_directory(folder + "/dir");
    EXPECT_FALSE(platform::writeFileAtomically(folder + "/dir", "x", &error));
    EXPECT_NE(error.find("Renaming"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder + "/dir.tmp"));
    EXPECT_TRUE(fs::is_directory(folder + "/dir"));
}

TEST(PlatformFolders, HomeAndCurrentFolder) {
    EXPECT_FALSE(platform::getHomeFolder().empty());
    EXPECT_EQ(platform::getCurrentFolder(), fs::current_path().string());
}
