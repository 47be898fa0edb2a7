// Runs the real program headless (offscreen video, dummy audio) and reads
// what it leaves in its user folder and prints on stderr.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A home of its own per test, removed afterwards.
class Home {
public:
    Home() {
        std::string pattern = (fs::temp_directory_path() / "zub-program-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : "";
        EXPECT_FALSE(root.empty());
    }
    ~Home() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string userFolder() const { return root + "/Velmora studios/Tumbrodemo/1.25/"; }
    std::string log() const { return readFile(userFolder() + "Tumbrodemo.log"); }

    // Starts the program; its stderr goes to a file of its own.
    pid_t start(int frames, std::map<std::string, std::string> env = {}, std::vector<std::string> args = {}) {
        const std::string errPath = root + "/stderr." + std::to_string(++runs);
        const pid_t pid = fork();
        if (pid == 0) {
            if (closeStandardError) close(STDERR_FILENO);
            else if (FILE* f = std::freopen(errPath.c_str(), "w", stderr)) (void)f;
            setenv("XDG_DATA_HOME", root.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("ZUB_ASSUME_FOCUSED", "1", 1);
            setenv("ZUB_MAX_FRAMES", std::to_string(frames).c_str(), 1);
            if (fileLimit > 0) {
                const rlimit limit{fileLimit, fileLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            for (const auto& [name, value] : env) {
                if (value.empty()) unsetenv(name.c_str());
                else setenv(name.c_str(), value.c_str(), 1);
            }
            std::vector<char*> argv{const_cast<char*>(TUMBRODEMO_PROGRAM)};
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(TUMBRODEMO_PROGRAM, argv.data());
            _exit(127);
        }
        lastStderr = errPath;
        return pid;
    }
    // The exit code, or -1 when it had to be killed after `seconds`.
    static int wait(pid_t pid, int seconds = 60) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int run(int frames, std::map<std::string, std::string> env = {}, std::vector<std::string> args = {}) {
        return wait(start(frames, std::move(env), std::move(args)));
    }
    std::string stderrText() const { return readFile(lastStderr); }

    // The largest file a run may write (bytes; 0: no limit), as a file size
    // limit sets it (ulimit -f).
    rlim_t fileLimit = 0;
    // Start the program with standard error closed ("2>&-").
    bool closeStandardError = false;

private:
    std::string root, lastStderr;
    int runs = 0;
};

TEST(Program, StartsHeadlessRunsFramesAndShutsDownInOrder) {
    Home home;
    ASSERT_EQ(home.run(200), 0) << home.stderrText();
    const std::string log = home.log();
    const char* services[] = {"Logger::Logger",
                              "ErrorManager::ErrorManager",
                              "TimeKeeper::TimeKeeper",
                              "FileManager::FileManager",
                              "Settings::load",
                              "ResourceManager::ResourceManager",
                              "FocusManager::FocusManager",
                              "ZubInput::ZubInput",
                              "ZubGraphics::ZubGraphics",
                              "ZubAudio::ZubAudio",
                              "SystemFont::SystemFont",
                              "Console::Console",
                              "ZubNetwork::ZubNetwork",
                              "Language::Language",
                              "ZubTimer::ZubTimer"};
    size_t last = 0;
    for (const char* s : services) {
        const size_t start = log.find(std::string(s) + "(): Starting...");
        const size_t done = log.find(std::string(s) + "(): Started.");
        ASSERT_NE(start, std::string::npos) << s;
        EXPECT_LT(last, start) << s << " starts out of order";
        EXPECT_LT(start, done);
        last = done;
    }
    // Teardown in reverse order, then nothing left alive.
    const char* down[] = {"Language::~Language",     "ZubNetwork::~ZubNetwork",     "Console::~Console",
                          "SystemFont::~SystemFont", "ZubAudio::~ZubAudio",         "ZubGraphics::~ZubGraphics",
                          "ZubInput::~ZubInput",     "FocusManager::~FocusManager", "ResourceManager::~ResourceManager",
                          "Settings::~Settings",     "FileManager::~FileManager",   "TimeKeeper::~TimeKeeper",
                          "Logger::~Logger"};
    last = log.find("Zub::~Zub(): Shutting down.");
    ASSERT_NE(last, std::string::npos);
    for (const char* s : down) {
        const size_t at = log.find(std::string(s) + "(): Stopping...");
        EXPECT_LT(last, at) << s << " stops out of order";
        last = at;
    }
    EXPECT_NE(log.find("Zub::~Zub(): 0 objects still alive"), std::string::npos) << log;
    // The game loaded its content and handed over to its start screens.
    EXPECT_LT(log.find("Loader::Loader(): Loading resources..."),
              log.find("Global::initPostLoader(): Global initialization complete at t="));
    EXPECT_NE(log.find("Global::initPostLoader(): Global initialization complete at t="), std::string::npos);
    EXPECT_EQ(log.find("\n"), log.find("\r\n") + 1);  // CRLF line ends
    // The first start wrote the user settings with their defaults.
    const std::string cfg = readFile(home.userFolder() + "Tumbrodemo.cfg");
    EXPECT_NE(cfg.find("defaultLanguage"), std::string::npos) << cfg;
}

TEST(Program, EachRunStartsAFreshLogAndKeepsThePreviousOne) {
    Home home;
    ASSERT_EQ(home.run(1), 0);
    ASSERT_EQ(home.run(1, {}, {"-safe"}), 0) << home.stderrText();
    EXPECT_EQ(count(home.log(), "Logger::Logger(): Starting..."), 1u);
    EXPECT_EQ(count(readFile(home.userFolder() + "Tumbrodemo.log.old"), "Logger::Logger(): Starting..."), 1u);
}

TEST(Program, WithoutADisplayItEndsAtOnceAndSaysWhy) {
    Home home;
    // The offscreen driver shows nothing: the window never gets the focus.
    const int code = home.run(1, {{"ZUB_ASSUME_FOCUSED", ""}}, {});
    EXPECT_EQ(code, 1) << "the program kept waiting for the focus";
    const std::string err = home.stderrText();
    EXPECT_EQ(count(err, "no display"), 1u) << err;
    EXPECT_NE(home.log().find("no display"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.userFolder() + "crash.Tumbrodemo.mdmp"));  // not a crash

    // A window that cannot open at all is a fatal error, reported once.
    EXPECT_EQ(home.run(1, {{"SDL_VIDEODRIVER", "dummy"}}), 255);
    EXPECT_EQ(count(home.stderrText(), "Could not open the window"), 1u) << home.stderrText();
}

TEST(Program, ASecondStartEndsAndSaysWhy) {
    Home home;
    const pid_t first = home.start(300, {{"ZUB_ALLOW_SEVERAL_INSTANCES", "0"}});
    // Wait until the first holds the lock (it has started its log by then).
    for (int i = 0; i < 500 && home.log().find("Logger::Logger") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(home.run(1, {{"ZUB_ALLOW_SEVERAL_INSTANCES", "0"}}), 0);
    EXPECT_NE(home.stderrText().find("already running"), std::string::npos) << home.stderrText();
    EXPECT_EQ(Home::wait(first), 0);
    const std::string log = home.log();
    EXPECT_NE(log.find("already running"), std::string::npos) << log;
    EXPECT_NE(log.find("Zub::~Zub(): Shutting down."), std::string::npos);  // the first's log went on around it
}

// Started with standard error closed, the program prints there as to
// /dev/null: the lock file, which it opens before anything else it keeps,
// does not take the stream's descriptor, and what it says on leaving
// ("no display") stays out of it.
TEST(Program, StartedWithStandardErrorClosedItsLockFileKeepsItsContent) {
    Home home;
    home.closeStandardError = true;
    const pid_t pid = home.start(1, {{"ZUB_ASSUME_FOCUSED", ""}, {"ZUB_ALLOW_SEVERAL_INSTANCES", "0"}});
    EXPECT_EQ(Home::wait(pid), 1);
    EXPECT_NE(home.log().find("no display"), std::string::npos) << home.log();
    EXPECT_EQ(readFile(home.userFolder() + "Tumbrodemo.lock"), std::to_string(pid) + "\n");
}

// Saves cut short leave nothing behind: the temporary files a killed run
// left in the user folder go at the next start (only the writer's own), and
// a file size limit makes the saves fail, as on a full disk, without ending
// the program.
TEST(Program, SavesCutShortLeaveNothingBehind) {
    Home home;
    ASSERT_EQ(home.run(1), 0) << home.stderrText();
    const std::string folder = home.userFolder();
    for (const char* name : {".zub-0123456789ab.tmp", ".zub-zyxwvutsrqpo.tmp", "Tumbrodemo.cfg.tmp", "notes"})
        std::ofstream(folder + name) << "left";
    fs::create_symlink(folder + "notes", folder + ".zub-linklinklink.tmp");
    ASSERT_EQ(home.run(1), 0) << home.stderrText();
    EXPECT_FALSE(fs::exists(folder + ".zub-0123456789ab.tmp"));
    EXPECT_FALSE(fs::exists(folder + ".zub-zyxwvutsrqpo.tmp"));
    EXPECT_TRUE(fs::is_symlink(folder + ".zub-linklinklink.tmp"));
    EXPECT_EQ(readFile(folder + "Tumbrodemo.cfg.tmp"), "left");
    EXPECT_EQ(readFile(folder + "notes"), "left");
    const std::string log = home.log();
    EXPECT_EQ(count(log, "left by a save that was cut short."), 2u) << log;
    EXPECT_NE(log.find(".zub-0123456789ab.tmp', left by a save"), std::string::npos) << log;

    // Every file stops at 100 bytes: the settings cannot be saved.
    fs::remove(folder + ".zub-linklinklink.tmp");
    const std::string settings = readFile(folder + "Tumbrodemo.cfg");
    ASSERT_GT(settings.size(), 100u);
    home.fileLimit = 100;
    EXPECT_EQ(home.run(30), 0) << home.stderrText();
    EXPECT_EQ(readFile(folder + "Tumbrodemo.cfg"), settings);
    for (const auto& e : fs::directory_iterator(folder))
        EXPECT_FALSE(e.path().filename().string().starts_with(".zub-")) << e.path();
}

}  // namespace

// On a machine without a sound card (as CI's), with no driver named, the
// program starts without sound, says so once in its log, and no sound
// library complains on stderr. Where a card or a sound server answers there
// is nothing to see.
TEST(Program, WithoutASoundCardItStartsSilentAndSaysSoOnce) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/dev/snd", ec))
        if (e.path().filename().string().rfind("controlC", 0) == 0) GTEST_SKIP() << "this machine has a sound card";
    Home home;
    ASSERT_EQ(home.run(5, {{"SDL_AUDIODRIVER", ""}}), 0) << home.stderrText();
    const std::string log = home.log();
    if (count(log, "Audio output at") > 0) GTEST_SKIP() << "a sound server answered";
    EXPECT_EQ(count(log, "No audio output ("), 1u) << log;
    EXPECT_EQ(count(log, "the game runs without sound"), 1u) << log;
    EXPECT_EQ(home.stderrText().find("ALSA"), std::string::npos) << home.stderrText();
}
