#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <string>

#include "platform/PlatformProcess.h"
#include "project_zub/sys/files_test_support.h"

namespace {

namespace fs = std::filesystem;

using Result = platform::InstanceLock::Result;

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zub-process-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        lockPath = folder + "/Tumbrodemo.lock";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // The result of an acquire made by a forked child.
    Result childResult() {
        const pid_t pid = fork();
        if (pid == 0) {
            platform::InstanceLock lock;
            _exit(static_cast<int>(lock.acquire(lockPath)));
        }
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status));
        return static_cast<Result>(WEXITSTATUS(status));
    }

    std::string folder, lockPath;
};

}  // namespace

TEST_F(ProcessTest, LockIsExclusiveAcrossProcesses) {
    platform::InstanceLock lock;
    ASSERT_EQ(lock.acquire(lockPath), Result::Acquired);
    EXPECT_TRUE(lock.isHeld());
    EXPECT_EQ(lock.acquire(lockPath), Result::Acquired);  // already held here
    EXPECT_EQ(childResult(), Result::HeldElsewhere);

    platform::InstanceLock other;  // another open file, as another process would have
    EXPECT_EQ(other.acquire(lockPath), Result::HeldElsewhere);
    EXPECT_FALSE(other.isHeld());

    lock.release();
    EXPECT_FALSE(lock.isHeld());
    EXPECT_EQ(childResult(), Result::Acquired);
    EXPECT_EQ(other.acquire(lockPath), Result::Acquired);
}

TEST_F(ProcessTest, LockOfAKilledProcessIsGone) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        platform::InstanceLock lock;
        char c = lock.acquire(lockPath) == Result::Acquired ? 'y' : 'n';
        [[maybe_unused]] ssize_t n = write(ready[1], &c, 1);
        for (;;) pause();
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    platform::InstanceLock lock;
    EXPECT_EQ(lock.acquire(lockPath), Result::HeldElsewhere);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(lock.acquire(lockPath), Result::Acquired);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(ProcessTest, StartedProgramsDoNotInheritTheLock) {
    platform::InstanceLock lock;
    ASSERT_EQ(lock.acquire(lockPath), Result::Acquired);
    const long pid = platform::spawnProcess({"sleep", "30"});
    ASSERT_GT(pid, 0);
    lock.release();
    platform::InstanceLock again;
    EXPECT_EQ(again.acquire(lockPath), Result::Acquired);
    kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_EQ(platform::waitForProcess(pid), -1);  // killed, not exited

    // Nor the signal of a file size limit ignored, as the program has it.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const std::string status = folder + "/status";
    const long shell = platform::spawnProcess({"sh", "-c", "grep SigIgn /proc/self/status > \"$0\"", status});
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(platform::waitForProcess(shell), 0);
    const unsigned long ignored = std::stoul(filestest::readBytes(status).substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (1ul << (SIGXFSZ - 1)), 0u);
}

// A program started with its standard streams closed has /dev/null on them
// (input to read, output and error to write to), and so do the programs it
// starts: a browser opened from it does not start with them closed again.
TEST_F(ProcessTest, ClosedStandardStreamsAreFilledAndStartedProgramsHaveThem) {
    const std::string report = folder + "/streams";
    const pid_t pid = fork();
    if (pid == 0) {
        for (int fd = 0; fd <= 2; ++fd) close(fd);
        platform::openClosedStandardStreams();
        const long shell = platform::spawnProcess(
            {"sh", "-c",
             "read -r line; printf out && printf err >&2 && links=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 "
             "/proc/$$/fd/2) && echo \"$links\" > \"$0\"",
             report});
        _exit(platform::waitForProcess(shell));
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(filestest::readBytes(report), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST_F(ProcessTest, ArgumentsReachTheProgramWithoutAShell) {
    const std::string odd = folder + "/x;touch " + "y $(id) `id` | z";
    const long pid = platform::spawnProcess({"touch", odd});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(platform::waitForProcess(pid), 0);
    EXPECT_TRUE(fs::exists(odd));
    EXPECT_FALSE(fs::exists(folder + "/x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ProcessTest, ExitStatusMissingProgramsAndReaping) {
    EXPECT_EQ(platform::waitForProcess(platform::spawnProcess({"true"})), 0);
    EXPECT_EQ(platform::waitForProcess(platform::spawnProcess({"false"})), 1);
    std::string error;
    EXPECT_EQ(platform::spawnProcess({"zub-no-such-program-anywhere"}, &error), -1);
    EXPECT_NE(error.find("posix_spawnp"), std::string::npos);
    EXPECT_EQ(platform::spawnProcess({}, &error), -1);

    const long pid = platform::spawnProcess({"true"});
    bool reaped = false;
    for (int i = 0; i < 500 && !reaped; ++i) {
        reaped = platform::reapProcessIfFinished(pid);
        if (!reaped) usleep(10000);
    }
    EXPECT_TRUE(reaped);
    const long sleeper = platform::spawnProcess({"sleep", "30"});
    EXPECT_FALSE(platform::reapProcessIfFinished(sleeper));
    kill(static_cast<pid_t>(sleeper), SIGKILL);
    platform::waitForProcess(sleeper);
}

// The lock file is the program's own: a link planted under its name is
// replaced by a new file (the file it leads to is not emptied to take the
// holder's id), and so is a named pipe.
TEST_F(ProcessTest, ALinkOrPipeUnderTheLocksNameIsReplacedNotWrittenThrough) {
    const std::string other = folder + "/other-file-of-the-user";
    filestest::writeBytes(other, "precious");
    fs::create_symlink(other, lockPath);
    {
        platform::InstanceLock lock;
        ASSERT_EQ(lock.acquire(lockPath), Result::Acquired);
        EXPECT_EQ(filestest::readBytes(other), "precious");
        EXPECT_FALSE(fs::is_symlink(lockPath));
        EXPECT_EQ(filestest::readBytes(lockPath), std::to_string(getpid()) + "\n");
        EXPECT_EQ(childResult(), Result::HeldElsewhere);  // and it is the one lock
    }
    fs::remove(lockPath);
    ASSERT_TRUE(filestest::makePipe(lockPath));
    platform::InstanceLock lock;
    ASSERT_EQ(lock.acquire(lockPath), Result::Acquired);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lockPath)));
}

// A second name of another file under the lock's name (a hard link to the
// profile, or to a file outside the data folder) is replaced too: the file
// keeps its bytes. A holder's own lock file that was linked to from
// elsewhere stays its lock.
TEST_F(ProcessTest, AHardLinkUnderTheLocksNameIsReplacedNotWrittenThrough) {
    const std::string profile = folder + "/Tumbrodemo.pro";
    filestest::writeBytes(profile, "every player");
    fs::create_hard_link(profile, lockPath);
    {
        platform::InstanceLock lock;
        ASSERT_EQ(lock.acquire(lockPath), Result::Acquired);
        EXPECT_EQ(filestest::readBytes(profile), "every player");
        EXPECT_EQ(fs::hard_link_count(profile), 1u);
        EXPECT_EQ(fs::hard_link_count(lockPath), 1u);
        EXPECT_EQ(filestest::readBytes(lockPath), std::to_string(getpid()) + "\n");
        EXPECT_EQ(childResult(), Result::HeldElsewhere);

        fs::create_hard_link(lockPath, folder + "/a-copy-of-the-lock");
        platform::InstanceLock other;
        EXPECT_EQ(other.acquire(lockPath), Result::HeldElsewhere);
        EXPECT_EQ(childResult(), Result::HeldElsewhere);
    }
    EXPECT_EQ(childResult(), Result::Acquired);
    EXPECT_EQ(filestest::readBytes(profile), "every player");
}
