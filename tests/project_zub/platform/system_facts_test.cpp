#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/PlatformSystem.h"
#include "project_zub/sys/files_test_support.h"

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

TEST(PlatformFacts, DescribeThisMachine) {
    const platform::SystemFacts f = platform::getSystemFacts();
    EXPECT_EQ(f.osName, "Linux");
    EXPECT_GE(f.cpuCount, 1u);
    EXPECT_LE(f.memoryAvailable, f.memoryTotal);
    EXPECT_GT(f.memoryAvailable, 0u);
    EXPECT_EQ(fs::path(f.executablePath).filename(), "zub_platform_tests");
    EXPECT_EQ(f.currentFolder, fs::current_path().string());
}

TEST_F(PlatformFolder, ReadableFileReadsAtOffsetsAndReportsShortFiles) {
    const std::string path = folder + "/Data.BIN";
    std::ofstream(path, std::ios::binary) << "0123456789";
    platform::ReadableFile file;
    int err = 0;
    ASSERT_TRUE(file.open(path, &err));
    EXPECT_EQ(file.size(), 10u);
    char part[4] = {};
    ASSERT_TRUE(file.readAt(6, part, 4));
    EXPECT_EQ(std::string(part, 4), "6789");
    EXPECT_FALSE(file.readAt(8, part, 4, &err));  // runs past the end
    EXPECT_EQ(err, EIO);
    EXPECT_FALSE(platform::ReadableFile().open(folder, &err));
    EXPECT_EQ(err, EISDIR);
    std::string found;
    EXPECT_TRUE(platform::findInFolderIgnoringCase(folder, "data.bin", found));
    EXPECT_EQ(found, "Data.BIN");
    EXPECT_EQ(platform::pathKind(folder + "/missing", &err), platform::PathKind::Missing);
    EXPECT_EQ(err, ENOENT);
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

// Opening never waits: a named pipe without a writer is refused at once
// (EINVAL), by the file opened for reading at offsets and by the whole-file
// read alike; a link is followed unless links are refused (ELOOP).
TEST_F(PlatformFolder, OpeningAFileToReadNeverWaitsAndFollowsLinksOnlyWhenAllowed) {
    const std::string pipe = folder + "/pipe";
    ASSERT_TRUE(filestest::makePipe(pipe));
    {
        const filestest::PipeWatch watch({pipe});
        int err = 0;
        EXPECT_FALSE(platform::ReadableFile().open(pipe, &err));
        EXPECT_EQ(err, EINVAL);
        std::string out;
        err = 0;
        EXPECT_FALSE(platform::readWholeFile(pipe, out, 100, &err));
        EXPECT_EQ(err, EINVAL);
        EXPECT_EQ(watch.released(), 0) << "opening the pipe waited for a writer";
    }
    EXPECT_EQ(platform::pathKind(pipe), platform::PathKind::Other);

    const std::string target = folder + "/target", link = folder + "/link";
    std::ofstream(target, std::ios::binary) << "the target";
    fs::create_symlink(target, link);
    platform::ReadableFile file;
    int err = 0;
    EXPECT_TRUE(file.open(link, &err));
    EXPECT_EQ(file.size(), 10u);
    EXPECT_FALSE(file.open(link, &err, platform::Links::Refuse));
    EXPECT_EQ(err, ELOOP);
    EXPECT_TRUE(file.open(target, &err, platform::Links::Refuse));
    std::string out;
    EXPECT_TRUE(platform::readWholeFile(link, out, 100));
    EXPECT_EQ(out, "the target");
    EXPECT_FALSE(platform::readWholeFile(link, out, 100, &err, platform::Links::Refuse));
    EXPECT_EQ(err, ELOOP);
    EXPECT_FALSE(platform::readWholeFile(target, out, 9, &err));
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(platform::pathKind(link), platform::PathKind::File);
    EXPECT_EQ(platform::pathKind(link, nullptr, platform::Links::Refuse), platform::PathKind::Other);
    EXPECT_EQ(platform::pathKind(target, nullptr, platform::Links::Refuse), platform::PathKind::File);
}

// A socket cannot even be opened (ENXIO); to the readers it is one more
// thing that is no regular file (EINVAL), as a named pipe is.
TEST_F(PlatformFolder, ASocketIsNoRegularFileToRead) {
    const std::string path = folder + "/socket";
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    int err = 0;
    EXPECT_FALSE(platform::ReadableFile().open(path, &err));
    EXPECT_EQ(err, EINVAL);
    std::string out;
    err = 0;
    EXPECT_FALSE(platform::readWholeFile(path, out, 100, &err));
    EXPECT_EQ(err, EINVAL);
    ::close(s);
}

// A file with another name (a hard link) may be another file of the user's
// as well: where links are refused it is refused too, by the reader, the
// whole-file read and the look at the path alike (EMLINK), and it is never
// appended to. With one name again it is the program's own file.
TEST_F(PlatformFolder, AFileWithAnotherNameIsRefusedWhereLinksAreAndNeverAppendedTo) {
    const std::string other = folder + "/other-file-of-the-user", named = folder + "/crash.log";
    std::ofstream(other, std::ios::binary) << "precious";
    fs::create_hard_link(other, named);
    platform::ReadableFile file;
    int err = 0;
    EXPECT_FALSE(file.open(named, &err, platform::Links::Refuse));
    EXPECT_EQ(err, EMLINK);
    std::string out;
    err = 0;
    EXPECT_FALSE(platform::readWholeFile(named, out, 100, &err, platform::Links::Refuse));
    EXPECT_EQ(err, EMLINK);
    EXPECT_EQ(out, "");
    EXPECT_EQ(platform::pathKind(named, nullptr, platform::Links::Refuse), platform::PathKind::Other);
    EXPECT_EQ(platform::pathKind(named), platform::PathKind::File);
    EXPECT_TRUE(platform::readWholeFile(named, out, 100));  // the game's own data may be linked

    errno = 0;
    EXPECT_EQ(platform::openForAppending(named), nullptr);
    EXPECT_EQ(errno, EMLINK);
    EXPECT_EQ(read(other), "precious");

    fs::remove(other);
    EXPECT_TRUE(file.open(named, &err, platform::Links::Refuse));
    EXPECT_EQ(platform::pathKind(named, nullptr, platform::Links::Refuse), platform::PathKind::File);
    std::FILE* appended = platform::openForAppending(named);
    ASSERT_NE(appended, nullptr);
    std::fclose(appended);
}

// A link planted where the atomic write puts its temporary file, or at the
// file itself, is replaced by the new file: the file it leads to keeps its
// bytes, and the file written is a regular file of its own.
TEST_F(PlatformFolder, AtomicWritesReplaceLinksInsteadOfWritingThroughThem) {
    const std::string path = folder + "/Tumbrodemo.hst";
    const std::string other = folder + "/other-file-of-the-user";
    std::ofstream(other, std::ios::binary) << "precious";
    fs::create_symlink(other, path + ".tmp");
    std::string why;
    ASSERT_TRUE(AtomicFile::writeAll(path, "new", 3, &why)) << why;
    EXPECT_EQ(read(other), "precious");
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(read(path), "new");
    EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".tmp")));

    fs::remove(path);
    fs::create_symlink(other, path);
    ASSERT_TRUE(AtomicFile::writeAll(path, "newer", 5, &why)) << why;
    EXPECT_EQ(read(other), "precious");
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(read(path), "newer");

    // A named pipe under the temporary name is replaced too, without waiting
    // for a reader (in a child, which is ended should it wait all the same).
    ASSERT_TRUE(filestest::makePipe(path + ".tmp"));
    const filestest::ChildRun run =
        filestest::runInChild([&] { return AtomicFile::writeAll(path, "newest", 6, nullptr) ? 0 : 1; }, 5000);
    EXPECT_TRUE(run.finished) << "writing waited on the pipe";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(read(path), "newest");
}
