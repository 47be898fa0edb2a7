// Runs the real program headless (offscreen video, dummy audio) and reads
// what it leaves in its user folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string folder;  // the user data folder
    std::string log;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

ProgramRun runProgram(int frames, const std::vector<std::string>& extraArgs = {}) {
    char tmpl[] = "/tmp/zub-program-XXXXXX";
    const std::string home = mkdtemp(tmpl);
    ProgramRun r;
    r.folder = home + "/Velmora studios/Tumbrodemo/1.25/";
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("ZUB_ASSUME_FOCUSED", "1", 1);
        setenv("ZUB_MAX_FRAMES", std::to_string(frames).c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(TUMBRODEMO_PROGRAM));
        for (const std::string& a : extraArgs) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TUMBRODEMO_PROGRAM, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.log = readFile(r.folder + "Tumbrodemo.log");
    return r;
}

// The position of a line containing `text`, or npos.
size_t lineAt(const std::string& log, const std::string& text) { return log.find(text); }

TEST(Program, StartsHeadlessRunsFramesAndShutsDownInOrder) {
    ProgramRun r = runProgram(200);
    ASSERT_EQ(r.exitCode, 0) << r.log;
    const char* services[] = {"Logger::Logger", "ErrorManager::ErrorManager", "TimeKeeper::TimeKeeper",
                              "FileManager::FileManager", "Settings::load", "ResourceManager::ResourceManager",
                              "FocusManager::FocusManager", "ZubInput::ZubInput", "ZubGraphics::ZubGraphics", "ZubAudio::ZubAudio",
                              "SystemFont::SystemFont", "Console::Console", "ZubNetwork::ZubNetwork", "Language::Language", "ZubTimer::ZubTimer"};
    size_t last = 0;
    for (const char* s : services) {
        const size_t start = lineAt(r.log, std::string(s) + "(): Starting...");
        const size_t done = lineAt(r.log, std::string(s) + "(): Started.");
        ASSERT_NE(start, std::string::npos) << s;
        ASSERT_NE(done, std::string::npos) << s;
        EXPECT_LT(last, start) << s << " starts out of order";
        EXPECT_LT(start, done);
        last = done;
    }
    // Teardown in reverse order, then nothing left alive.
    const char* down[] = {"Language::~Language", "ZubNetwork::~ZubNetwork", "Console::~Console", "SystemFont::~SystemFont", "ZubAudio::~ZubAudio", "ZubGraphics::~ZubGraphics", "ZubInput::~ZubInput", "FocusManager::~FocusManager",
                          "ResourceManager::~ResourceManager", "Settings::~Settings", "FileManager::~FileManager",
                          "TimeKeeper::~TimeKeeper", "Logger::~Logger"};
    last = lineAt(r.log, "Zub::~Zub(): Shutting down.");
    ASSERT_NE(last, std::string::npos);
    for (const char* s : down) {
        const size_t at = lineAt(r.log, std::string(s) + "(): Stopping...");
        ASSERT_NE(at, std::string::npos) << s;
        EXPECT_LT(last, at) << s << " stops out of order";
        last = at;
    }
    EXPECT_NE(lineAt(r.log, "Zub::~Zub(): 0 objects still alive"), std::string::npos) << r.log;
    // Every line ends in CRLF.
    EXPECT_EQ(r.log.find("\n"), r.log.find("\r\n") + 1);
    // The first start wrote the user settings with their defaults.
    const std::string cfg = readFile(r.folder + "Tumbrodemo.cfg");
    EXPECT_NE(cfg.find("defaultLanguage"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("bEmulateLocalhost"), std::string::npos) << cfg;
}

TEST(Program, SafeModeStartsToo) {
    ProgramRun r = runProgram(20, {"-safe"});
    EXPECT_EQ(r.exitCode, 0) << r.log;
    EXPECT_NE(r.log.find("Zub::~Zub(): Shutting down."), std::string::npos);
}

}  // namespace
