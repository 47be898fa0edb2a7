// How levelbuild writes to a stream (a character device, a pipe): as the
// stream stands when opened, waiting for it like any writer, and never into
// whatever else has taken its place since the target was looked at.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "OutputFile.h"
#include "project_zub/sys/files_test_support.h"

namespace {

// A terminal that nobody reads from until `delay` has passed, then everything
// is read: a writer that does not wait for it finds it full.
class SlowTerminal {
public:
    explicit SlowTerminal(std::chrono::milliseconds delay) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        const char* name = ::ptsname(master);
        if (!name) return;
        path = name;
        // Bytes pass as they are (no line editing, no echo).
        const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios mode{};
        if (slave < 0 || ::tcgetattr(slave, &mode) != 0) return;
        ::cfmakeraw(&mode);
        ::tcsetattr(slave, TCSANOW, &mode);
        keepOpen = slave;
        reader = std::thread([this, delay] {
            std::this_thread::sleep_for(delay);
            char buffer[4096];
            while (!stop) {
                pollfd p{master, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0) continue;
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n > 0) received += static_cast<size_t>(n);
            }
        });
    }
    ~SlowTerminal() {
        stop = true;
        if (reader.joinable()) reader.join();
        if (keepOpen >= 0) ::close(keepOpen);
        if (master >= 0) ::close(master);
    }
    SlowTerminal(const SlowTerminal&) = delete;
    SlowTerminal& operator=(const SlowTerminal&) = delete;

    std::string path;
    std::atomic<size_t> received{0};

private:
    int master = -1;
    int keepOpen = -1;
    std::atomic<bool> stop{false};
    std::thread reader;
};

}  // namespace

TEST(OutputFile, ADeviceIsWrittenAsAStreamAndNothingElseInItsPlace) {
    // A terminal that takes its bytes only later: the write waits for it.
    {
        SlowTerminal terminal(std::chrono::milliseconds(300));
        if (terminal.path.empty()) GTEST_SKIP() << "no terminal devices here";
        const std::string bytes(256 * 1024, 'k');
        std::string error;
        EXPECT_TRUE(levelbuild::writeToStream(terminal.path, bytes.data(), bytes.size(), error)) << error;
        for (int i = 0; i < 200 && terminal.received < bytes.size(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        EXPECT_EQ(terminal.received, bytes.size());
    }

    // A regular file that took the device's place after it was looked at is
    // refused, and not a byte of it changes; so is a pipe nothing reads from,
    // without waiting for a reader.
    filestest::TempFolder folder;
    const std::string level = folder / "a1.lev";
    const std::string old(131072, 'o');
    filestest::writeBytes(level, old);
    const std::string fresh(100000, 'n');
    std::string error;
    EXPECT_FALSE(levelbuild::writeToStream(level, fresh.data(), fresh.size(), error));
    EXPECT_EQ(error, level + ": cannot be written: it is no longer a character device or a pipe (but a regular file)");
    EXPECT_TRUE(filestest::readBytes(level) == old) << "the file in the device's place was written to";
    ASSERT_TRUE(filestest::makePipe(folder / "pipe.lev"));
    EXPECT_FALSE(levelbuild::writeToStream(folder / "pipe.lev", fresh.data(), fresh.size(), error));
    EXPECT_EQ(error, folder / "pipe.lev" + ": cannot be written: it is a pipe that nothing reads from");
}

// A link to a descriptor, as /dev/stdout and /dev/fd/N are (through
// /proc/self/fd), is written as that stream or refused, and stays a link:
// a descriptor open for writing on a file gets the bytes from where it
// stands; one open for reading only, on a folder, or closed is refused, and
// the file it is open on keeps its bytes.
TEST(OutputFile, ALinkToADescriptorIsWrittenAsThatStreamOrRefused) {
    filestest::TempFolder folder;
    filestest::writeBytes(folder / "input.txt", "the input\n");
    ASSERT_EQ(::symlink("/proc/self/fd", (folder / "fd").c_str()), 0);
    const std::string bytes = "the keys\n";
    // Writes the bytes to a link in the folder (through the folder's own
    // link to /proc/self/fd) to the descriptor; the error, or "written".
    auto writeThrough = [&](int fd) {
        const std::string link = folder / "out.keys";
        std::remove(link.c_str());
        EXPECT_EQ(::symlink(("fd/" + std::to_string(fd)).c_str(), link.c_str()), 0);
        std::string error;
        const bool written = levelbuild::writeOutputFile(link, bytes.data(), bytes.size(), error);
        struct stat st {};
        EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << "the link was replaced";
        return written ? std::string("written") : error.substr(error.find(": cannot be written: ") + 21);
    };
    const std::string descriptor = "it is a link to descriptor ";

    const int input = ::open((folder / "input.txt").c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(writeThrough(input), descriptor + std::to_string(input) + ", which is open for reading only");
    EXPECT_EQ(filestest::readBytes(folder / "input.txt"), "the input\n");
    ::close(input);
    EXPECT_EQ(writeThrough(input), descriptor + std::to_string(input) + ", which is closed");

    const int place = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(writeThrough(place), descriptor + std::to_string(place) + ", which is open on a folder");
    ::close(place);
    // A closed stream's place held where there is no /dev/null.
    const int held = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(writeThrough(held), descriptor + std::to_string(held) + ", which is closed");
    ::close(held);

    const int output = ::open((folder / "output.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::write(output, "before\n", 7), 7);
    EXPECT_EQ(writeThrough(output), "written");
    EXPECT_EQ(::write(output, "after\n", 6), 6);
    ::close(output);
    EXPECT_EQ(filestest::readBytes(folder / "output.txt"), "before\nthe keys\nafter\n");
}
