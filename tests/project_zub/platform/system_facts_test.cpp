#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// A link at the file itself is replaced by the new file: the file it leads
// to keeps its bytes, and the file written is a regular file of its own. A
// link under the name an earlier version of the writer gave its temporary
// files is neither written through nor removed.
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
    EXPECT_TRUE(fs::is_symlink(path + ".tmp"));
    fs::remove(path + ".tmp");

    fs::remove(path);
    fs::create_symlink(other, path);
    ASSERT_TRUE(AtomicFile::writeAll(path, "newer", 5, &why)) << why;
    EXPECT_EQ(read(other), "precious");
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(read(path), "newer");

    // A named pipe beside it is not waited on either (in a child, which is
    // ended should it wait all the same).
    ASSERT_TRUE(filestest::makePipe(path + ".tmp"));
    const filestest::ChildRun run =
        filestest::runInChild([&] { return AtomicFile::writeAll(path, "newest", 6, nullptr) ? 0 : 1; }, 5000);
    EXPECT_TRUE(run.finished) << "writing waited on the pipe";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(read(path), "newest");
    EXPECT_EQ(fs::symlink_status(path + ".tmp").type(), fs::file_type::fifo);
}

// Every write has a temporary file of its own, made beside the target under
// a short name nobody else uses: a user's file under any other name stays,
// two writers of one file never break each other's writes, the longest
// name and path a file may have can be written, as can a folder that may
// not be listed, and the file replaced keeps its permissions and owner.
// What writes cut short leave can be found and removed by its names (regular
// files only), and a program that ends in the middle of a write removes its
// temporary file and starts no other.
TEST_F(PlatformFolder, AtomicWritesUseATemporaryFileOfTheirOwn) {
    const auto ours = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            if (AtomicFile::isTemporaryName(e.path().filename().string())) names.push_back(e.path().filename());
        return names;
    };
    // A user's own file under the name a writer might choose.
    const std::string keys = folder + "/u.keys";
    std::ofstream(keys + ".tmp", std::ios::binary) << "the user's notes";
    std::string why;
    ASSERT_TRUE(AtomicFile::writeAll(keys, "keys", 4, &why)) << why;
    EXPECT_EQ(read(keys + ".tmp"), "the user's notes");
    EXPECT_EQ(read(keys), "keys");
    EXPECT_TRUE(ours().empty());

    // Permissions: a 600 file stays 600 and a 640 one 640 (whatever the
    // umask), a new file gets the usual 644 less the umask.
    for (const fs::perms kept : {fs::perms(0600), fs::perms(0640)}) {
        fs::permissions(keys, kept);
        const mode_t mask = ::umask(077);
        const bool written = AtomicFile::writeAll(keys, "again", 5, &why);
        ::umask(mask);
        ASSERT_TRUE(written) << why;
        EXPECT_EQ(fs::status(keys).permissions() & fs::perms::all, kept);
        EXPECT_EQ(read(keys), "again");
    }
    const mode_t mask = ::umask(027);
    const bool madeNew = AtomicFile::writeAll(folder + "/new", "n", 1, &why);
    ::umask(mask);
    ASSERT_TRUE(madeNew) << why;
    EXPECT_EQ(fs::status(folder + "/new").permissions() & fs::perms::all, fs::perms(0640));
    // A user's file that root writes stays the user's (and readable by the
    // user alone), and a file of root's in a group of its own keeps that
    // group; a user may write in a folder that it may enter but not list, as
    // creating a file there works.
    constexpr uid_t kUser = 1234;
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const uid_t owner : {kUser, uid_t{0}}) {
            ASSERT_EQ(::chown(keys.c_str(), owner, kUser), 0);
            fs::permissions(keys, fs::perms(0600));
            ASSERT_TRUE(AtomicFile::writeAll(keys, "again", 5, &why)) << why;
            struct stat st {};
            ASSERT_EQ(::stat(keys.c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, owner);
            EXPECT_EQ(st.st_gid, kUser);
            EXPECT_EQ(st.st_mode & 07777, 0600u);
        }
    }
    const std::string unlisted = folder + "/unlisted";
    ASSERT_TRUE(fs::create_directory(unlisted));
    fs::permissions(unlisted, fs::perms(root ? 0733 : 0333));
    fs::permissions(folder, fs::perms(0711));
    const filestest::ChildRun inUnlisted = filestest::runInChild([&] {
        if (root && (::setgid(kUser) != 0 || ::setuid(kUser) != 0)) return 1;
        std::string reason;
        if (!AtomicFile::writeAll(unlisted + "/notes", "notes", 5, &reason)) {
            std::fprintf(stderr, "%s\n", reason.c_str());
            return 2;
        }
        return 0;
    });
    fs::permissions(unlisted, fs::perms(0755));
    EXPECT_EQ(inUnlisted.exitCode, 0);
    EXPECT_EQ(read(unlisted + "/notes"), "notes");

    // A name of 255 bytes, and a path of 4095, the longest there may be.
    const std::string longest = folder + "/" + std::string(255, 'n');
    ASSERT_TRUE(AtomicFile::writeAll(longest, "long", 4, &why)) << why;
    EXPECT_EQ(read(longest), "long");
    std::string deep = folder;
    while (deep.size() + 201 < 4095 - 20) {
        deep += "/" + std::string(200, 'd');
        ASSERT_TRUE(fs::create_directory(deep));
    }
    const std::string deepest = deep + "/" + std::string(4095 - deep.size() - 1, 'f');
    ASSERT_EQ(deepest.size(), 4095u);
    ASSERT_TRUE(AtomicFile::writeAll(deepest, "deep", 4, &why)) << why;
    EXPECT_EQ(read(deepest), "deep");
    // As long a path whose last part is shorter than a temporary name.
    deep += "/" + std::string(4095 - deep.size() - 1 - 1 - 5, 'e');
    ASSERT_TRUE(fs::create_directory(deep));
    const std::string shortLast = deep + "/short";
    ASSERT_EQ(shortLast.size(), 4095u);
    ASSERT_TRUE(AtomicFile::writeAll(shortLast, "short", 5, &why)) << why;
    EXPECT_EQ(read(shortLast), "short");
    EXPECT_TRUE(ours().empty());

    // Two writers of one file and a reader: every write is made, and every
    // read finds one whole version of the file.
    const std::string shared = folder + "/Tumbrodemo.cfg";
    const std::string versions[2] = {std::string(40000, 'a'), std::string(30000, 'b')};
    ASSERT_TRUE(AtomicFile::writeAll(shared, versions[0].data(), versions[0].size(), &why)) << why;
    std::atomic<int> failed{0}, partial{0}, writing{2};
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < 200; ++i)
                if (!AtomicFile::writeAll(shared, versions[w].data(), versions[w].size(), nullptr)) ++failed;
            --writing;
        });
    int reads = 0;
    while (writing > 0 || reads < 100) {
        const std::string seen = read(shared);
        if (seen != versions[0] && seen != versions[1]) ++partial;
        ++reads;
    }
    for (std::thread& t : writers) t.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(partial, 0) << "of " << reads << " reads";
    EXPECT_TRUE(ours().empty());

    // What cut-short writes leave: only regular files under the writer's
    // names go, nothing else, nothing below the folder, not the file of a
    // write going on, and with a time to wait, none changed within it.
    const std::string left = folder + "/.zub-0123456789ab.tmp";
    std::ofstream(left) << "half a save";
    fs::create_symlink(keys, folder + "/.zub-linklinklink.tmp");
    fs::create_directory(folder + "/.zub-folderfolder.tmp");
    std::ofstream(folder + "/.zub-folderfolder.tmp/.zub-0123456789ab.tmp") << "below";
    std::ofstream(folder + "/.zub-Upper1234567.tmp") << "not a name of the writer's";
    ASSERT_TRUE(filestest::makePipe(folder + "/.zub-pipepipepipe.tmp"));
    const bool device = ::mknod((folder + "/.zub-nodenodenode.tmp").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    AtomicFile going;
    ASSERT_TRUE(going.open(folder + "/going")) << going.error();
    EXPECT_TRUE(AtomicFile::removeLeftovers(folder, 60).empty());
    EXPECT_EQ(AtomicFile::removeLeftovers(folder), std::vector<std::string>{".zub-0123456789ab.tmp"});
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(going.tempPath()));
    ASSERT_TRUE(going.write("on", 2) && going.commit()) << going.error();
    EXPECT_TRUE(fs::is_symlink(folder + "/.zub-linklinklink.tmp"));
    EXPECT_EQ(read(keys), "again");
    EXPECT_TRUE(fs::exists(folder + "/.zub-folderfolder.tmp/.zub-0123456789ab.tmp"));
    EXPECT_TRUE(fs::exists(folder + "/.zub-Upper1234567.tmp"));
    EXPECT_EQ(fs::symlink_status(folder + "/.zub-pipepipepipe.tmp").type(), fs::file_type::fifo);
    if (device) {
        EXPECT_EQ(fs::symlink_status(folder + "/.zub-nodenodenode.tmp").type(), fs::file_type::character);
    }

    // The program ends in the middle of a write (in a child: it stays so).
    const filestest::ChildRun ending = filestest::runInChild([&] {
        AtomicFile file;
        if (!file.open(keys) || !file.write("cut short", 9)) return 1;
        const std::string temp = file.tempPath();
        if (!fs::exists(temp) || !AtomicFile::isTemporaryName(fs::path(temp).filename().string())) return 2;
        AtomicFile::removeOpenTemporaries();
        if (fs::exists(temp)) return 3;
        if (file.commit()) return 4;
        if (AtomicFile::writeAll(folder + "/later", "x", 1, nullptr)) return 5;
        return 0;
    });
    EXPECT_TRUE(ending.finished);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_EQ(read(keys), "again");
    EXPECT_FALSE(fs::exists(folder + "/later"));
}
