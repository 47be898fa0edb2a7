// What a stopped levelbuild run does in the moment between the removal of
// what it leaves and its end by the signal, while the run's own code goes on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "OutputFile.h"
#include "ScratchFolder.h"
#include "platform/AtomicFile.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"

namespace fs = std::filesystem;

// After the stop has removed the scratch folder and the unfinished file,
// the run still writes, makes its folders, prints a failure and what it
// wrote, gets to its end and meets a fatal error: none of it shows, on
// standard error or output, nothing comes back, and the run ends by the
// signal with the one stop message.
TEST(ScratchFolder, AStoppedRunSaysOneThingLeavesNothingAndEndsByItsSignal) {
    filestest::TempFolder temp, elsewhere;
    const std::string out = temp / "out";
    const std::string standardOutput = elsewhere / "stdout";
    fs::create_directory(out);
    EXPECT_EXIT(
        {
            // The run's standard output goes to a file of the test's.
            std::fflush(stdout);
            const int printed = ::open(standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (printed < 0 || ::dup2(printed, STDOUT_FILENO) < 0) std::_Exit(6);
            setenv("TMPDIR", (temp / "").c_str(), 1);
            ErrorManager::bTestMode = true;
            levelbuild::endCleanlyOnSignals();
            const std::string scratch = levelbuild::makeScratchFolder();
            setUserDataFolderOverride(scratch);
            AtomicFile level;
            if (!level.open(out + "/a1.lev") || !level.write("half", 4)) std::_Exit(2);

            // What the test says goes where the stop message goes.
            const int said = ::dup(STDERR_FILENO);
            if (!levelbuild::beginStop()) std::_Exit(3);
            // The run's code, not yet ended.
            level.commit();
            getUserDataFolder();
            std::string error;
            if (levelbuild::writeOutputFile(scratch + "levels/a2.lev", "lev", 3, error) ||
                levelbuild::writeOutputFile(out + "/a2.lev", "lev", 3, error))
                std::_Exit(4);
            std::fprintf(stderr, "levelbuild: %s\n", error.c_str());
            std::printf("levelbuild: %s, 3 bytes\n", (out + "/a2.lev").c_str());
            std::fflush(stdout);
            std::thread([said] {
                const int code = levelbuild::finishRun(1);
                const char ended[] = "the run got to its end\n";
                if (::write(said, ended, sizeof ended - 1) < 0) std::_Exit(5);
                std::_Exit(code);
            }).detach();
            std::thread([] { ErrorManager::error(u"levelbuild: the level cannot be read"); }).detach();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            levelbuild::endStop(SIGTERM);
        },
        ::testing::KilledBySignal(SIGTERM),
        "^levelbuild: stopped by SIGTERM; its scratch folder and unfinished files are removed\n$");
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(temp / ""))
        if (e.path() != out) left.push_back(e.path().string());
    EXPECT_EQ(left, std::vector<std::string>{});
    EXPECT_EQ(filestest::readBytes(standardOutput), "");
}
