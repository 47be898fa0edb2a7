// The SDL back-end on a real X display with a window manager (Xvfb and
// openbox, started by the test), where the window system places the window
// and the cursor: what the off-screen driver cannot show. Skipped where
// Xvfb or openbox is not found on PATH.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "util/KeyCodes.h"
#include "x11_window_manager.h"
#include "x11_window_moves.h"

extern char** environ;

// SDL's X11 driver opens the session's message bus (for the screen saver and
// input methods), whose library keeps a buffer until the process ends: the
// leak checker is not to count that against these tests.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

using namespace platform;

namespace {

// Where a program is started from: the first folder on PATH (the system's
// default folders when PATH is not set, as execvp does) that holds an
// executable file of that name; empty where none does. Both the check for
// the programs and their start go by it.
std::string locate(const char* program) {
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/bin:/usr/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string file = folder + "/" + program;
        struct stat st;
        if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0) return file;
        start = end + 1;
    }
    return {};
}

bool installed(const char* program) { return !locate(program).empty(); }

// Forks a child that goes with the thread that forked it: the kernel sends it
// SIGTERM when that thread ends, a test killed outright included, so that
// nothing the test started outlives it. In the child, which returns 0 as
// fork does, only async-signal-safe calls may follow (the test process may
// have threads).
pid_t forkTied() {
    sigset_t none;
    sigemptyset(&none);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // When the parent went before the death signal was set, nothing
        // would send it: end at once.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) _exit(127);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGTERM, SIG_DFL);
    }
    return pid;
}

// Starts a program (found by locate), its output discarded; with `fd` >= 0,
// that descriptor is the program's descriptor 3. -1 when it cannot be
// started. The program goes with the thread that started it (forkTied), so
// that no server outlives its test.
pid_t spawn(const std::vector<std::string>& args, int fd = -1) {
    const std::string file = locate(args[0].c_str());
    if (file.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The child tells why exec failed through this pipe; a successful exec
    // closes it.
    int failed[2];
    if (pipe2(failed, O_CLOEXEC) != 0) return -1;
    const pid_t pid = forkTied();
    if (pid == 0) {
        if (fd >= 0 && dup2(fd, 3) < 0) _exit(127);
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) _exit(127);
        if (null > 3) close(null);
        execve(file.c_str(), argv.data(), environ);
        const int error = errno;
        if (write(failed[1], &error, sizeof error) < 0) _exit(127);
        _exit(127);
    }
    close(failed[1]);
    if (pid < 0) {
        close(failed[0]);
        return -1;
    }
    int error = 0;
    ssize_t n = 0;
    do n = read(failed[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    close(failed[0]);
    if (n > 0) {
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

// A 1280 x 800 screen of its own with a window manager on it, gone with the
// object. `present` is false where Xvfb or openbox is missing; `error`
// says what went wrong where they are there but did not start.
class XDisplay {
public:
    XDisplay() {
        if (const char* d = std::getenv("DISPLAY")) previous = d;
        present = installed("Xvfb") && installed("openbox");
        if (!present) return;
        // The server picks a display number nobody uses and writes it down.
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            error = "no pipe";
            return;
        }
        server = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, pipeFds[1]);
        close(pipeFds[1]);
        std::string number;
        char c = 0;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        if (server <= 0 || number.empty()) {
            error = "Xvfb did not start";
            return;
        }
        name = ":" + number;
        setenv("DISPLAY", name.c_str(), 1);
        // The server names its display before it has made its screen ready
        // (on a busy machine, seconds before): a window manager that starts
        // too early finds no display and ends, and is started again.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!ready && std::chrono::steady_clock::now() < until) {
            if (manager > 0 && waitpid(manager, nullptr, WNOHANG) == manager) manager = -1;
            if (manager <= 0 && x11test::serverAnswers(name.c_str())) manager = spawn({"openbox", "--sm-disable"});
            ready = manager > 0 && x11test::windowManagerRuns(name.c_str());
            if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!ready) error = "openbox did not take charge of " + name;
    }
    ~XDisplay() {
        stop(manager);
        stop(server);
        if (previous.empty()) unsetenv("DISPLAY");
        else setenv("DISPLAY", previous.c_str(), 1);
    }

    bool present = false;
    bool ready = false;
    std::string error;
    std::string name;
    pid_t server = -1, manager = -1;
    std::string previous;
};

// The process's state in /proc: its one-letter state, its parent and its
// name; false when it is gone.
bool processState(pid_t pid, char& state, pid_t& parent, std::string& name) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    // pid (name) state ppid ...; the name may hold spaces and brackets.
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return false;
    name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    rest >> state >> parent;
    return static_cast<bool>(rest);
}

// Ended (a zombie nobody reaps counts) or not there at all.
bool processGone(pid_t pid) {
    char state = 0;
    pid_t parent = 0;
    std::string name;
    return !processState(pid, state, parent, name) || state == 'Z' || state == 'X';
}

// The display is looked for where it is started from, and it does not
// outlive a test that is killed outright.
TEST(XDisplayStart, IsLookedForOnThePathAndGoesWithAKilledTest) {
    // With PATH naming a folder without the programs there is no display,
    // wherever else they are installed: skipped, not failed.
    {
        char empty[] = "/tmp/xdisplay-path-XXXXXX";
        ASSERT_NE(mkdtemp(empty), nullptr);
        const char* saved = std::getenv("PATH");
        const std::string path = saved ? saved : "";
        setenv("PATH", empty, 1);
        {
            XDisplay none;
            EXPECT_FALSE(none.present);
            EXPECT_EQ(none.error, "");
            EXPECT_EQ(none.server, -1);
            EXPECT_EQ(none.manager, -1);
        }
        if (saved) setenv("PATH", path.c_str(), 1);
        else unsetenv("PATH");
        rmdir(empty);
    }

    if (!installed("Xvfb") || !installed("openbox")) GTEST_SKIP() << "no Xvfb or no openbox here";
    // A child process starts a display, says which processes serve it and
    // the signal it gets when this test is killed, and waits; then it is
    // killed outright.
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = forkTied();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        XDisplay display;
        int deathSignal = 0;
        prctl(PR_GET_PDEATHSIG, &deathSignal);
        const pid_t pids[3] = {display.ready ? display.server : -1, display.ready ? display.manager : -1, deathSignal};
        if (write(report[1], pids, sizeof pids) != static_cast<ssize_t>(sizeof pids)) _exit(1);
        for (;;) pause();
    }
    close(report[1]);
    // The server, the window manager and the child's signal.
    pid_t pids[3] = {-1, -1, 0};
    size_t got = 0;
    while (got < sizeof pids) {
        const ssize_t n = read(report[0], reinterpret_cast<char*>(pids) + got, sizeof pids - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(report[0]);
    // The child itself goes with this test, as its server and window manager
    // go with it.
    EXPECT_EQ(pids[2], SIGTERM) << "the child's signal when the test is killed";
    // Its server and window manager, as it started them.
    const char* names[2] = {"Xvfb", "openbox"};
    for (int i = 0; i < 2; ++i) {
        char state = 0;
        pid_t parent = 0;
        std::string name;
        if (pids[i] <= 0) continue;
        EXPECT_TRUE(processState(pids[i], state, parent, name)) << names[i];
        EXPECT_EQ(name, names[i]);
        EXPECT_EQ(parent, child) << names[i];
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_GT(pids[0], 0) << "the child's display did not start";
    ASSERT_GT(pids[1], 0) << "the child's display did not start";

    // Both go with it (within a generous bound), instead of living on
    // under another parent.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(processGone(pids[0]) && processGone(pids[1])) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(processGone(pids[i])) << names[i] << " " << pids[i] << " outlived the killed test";
        // Nothing is left behind by this test either way.
        if (!processGone(pids[i])) kill(pids[i], SIGKILL);
    }
}

class SdlX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        display = std::make_unique<XDisplay>();
        if (!display->present) GTEST_SKIP() << "no Xvfb or no openbox here";
        ASSERT_TRUE(display->ready) << display->error;
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        backend = createSdlBackend();
    }

    void TearDown() override {
        backend.reset();
        display.reset();
    }

    // Opens the window and waits until the window manager has framed it
    // (a window that is not full screen) and it shows.
    void open(bool fullScreen, int width, int height) {
        WindowSettings s;
        s.width = width;
        s.height = height;
        s.fullScreen = fullScreen;
        s.vsync = false;
        s.assumeFocused = true;
        std::string error;
        // The window manager takes a moment to start.
        for (int i = 0; i < 50 && !backend->openWindow(s, error); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_TRUE(window()) << error;
        pollFor(500);
    }

    SDL_Window* window() const { return SDL_GL_GetCurrentWindow(); }

    void poll() { backend->poll(input, state); }

    // Polls for a while, as frames do, checking each time.
    void pollFor(int milliseconds, const std::function<void()>& check = {}) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < until) {
            poll();
            if (check) check();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static void cursor(int& x, int& y) { SDL_GetGlobalMouseState(&x, &y); }

    // Takes in what the X server has sent until SDL has an event of the
    // type waiting (for at most a few seconds); the next poll gets it.
    static bool waitForEvent(Uint32 type) {
        for (int i = 0; i < 300; ++i) {
            SDL_PumpEvents();
            if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type) > 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::unique_ptr<XDisplay> display;
    std::unique_ptr<Backend> backend;
    InputSnapshot input;
    WindowState state;
};

// Leaving full screen (and entering it again), the window changes its size
// and its place on the screen; the cursor stays where it was on the screen,
// and the window tells where it stands in it now.
TEST_F(SdlX11Test, TheCursorStaysWhereItIsOnTheScreenWhenTheWindowLeavesOrEntersFullScreen) {
    open(true, 1024, 768);
    // Where the user left the mouse, over the page's Back button.
    SDL_WarpMouseGlobal(204, 758);
    pollFor(200);
    int x = 0, y = 0;
    cursor(x, y);
    ASSERT_EQ(x, 204);
    ASSERT_EQ(y, 758);

    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "into full screen" : "out of full screen");
        ASSERT_TRUE(backend->setFullScreen(fullScreen, 1278, 775));
        pollFor(1000, [&] {
            cursor(x, y);
            EXPECT_EQ(x, 204);
            EXPECT_EQ(y, 758);
            // Putting the cursor back is no movement of the mouse.
            EXPECT_FALSE(input.mouseMoved);
        });
        // Where the mouse stands in the window, as the polls tell it.
        int left = 0, top = 0;
        SDL_GetWindowPosition(window(), &left, &top);
        EXPECT_EQ(input.mouseX, static_cast<float>(204 - left));
        EXPECT_EQ(input.mouseY, static_cast<float>(758 - top));
        if (!fullScreen) {
            EXPECT_GT(top, 0);  // a window with a title bar
        }
    }
}

// The mouse going off the window onto its title bar, below it, and back.
TEST_F(SdlX11Test, TheMouseLeavingTheWindowForItsTitleBarIsReported) {
    open(false, 800, 600);
    int left = 0, top = 0;
    SDL_GetWindowPosition(window(), &left, &top);
    ASSERT_GT(top, 0) << "the window manager frames the window";
    SDL_WarpMouseGlobal(left + 400, top + 300);
    pollFor(300);
    EXPECT_TRUE(input.mouseInWindow);
    // Up through the window's top row onto the title bar.
    SDL_WarpMouseGlobal(left + 400, top + 2);
    pollFor(100);
    EXPECT_TRUE(input.mouseInWindow);
    SDL_WarpMouseGlobal(left + 400, top / 2);
    pollFor(300);
    EXPECT_FALSE(input.mouseInWindow);
    // Below the window.
    SDL_WarpMouseGlobal(left + 400, top + 300);
    pollFor(300);
    EXPECT_TRUE(input.mouseInWindow);
    SDL_WarpMouseGlobal(left + 400, top + 620);
    pollFor(300);
    EXPECT_FALSE(input.mouseInWindow);
}

// The window appears under a mouse that stays where it is, the program
// places it anew when the window manager changes its frame, and the window
// manager moves it: each time the polls tell where the mouse stands in the
// window, without its having moved.
TEST_F(SdlX11Test, ThePollsTellWhereTheMouseStandsInTheWindowWhereverTheWindowGoes) {
    open(false, 800, 600);
    backend->closeWindow();
    // Where the new window will stand (800 x 600 in the middle of the screen).
    SDL_WarpMouseGlobal(340, 300);
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_MOUSEMOTION);
    WindowSettings s;
    s.width = 800;
    s.height = 600;
    s.vsync = false;
    s.assumeFocused = true;
    std::string error;
    ASSERT_TRUE(backend->openWindow(s, error)) << error;
    auto mouseStandsWhereItIs = [&](const char* when) {
        SCOPED_TRACE(when);
        int left = 0, top = 0, x = 0, y = 0;
        SDL_GetWindowPosition(window(), &left, &top);
        cursor(x, y);
        EXPECT_EQ(x, 340);
        EXPECT_EQ(y, 300);
        EXPECT_TRUE(input.mouseKnown);
        EXPECT_EQ(input.mouseX, static_cast<float>(340 - left));
        EXPECT_EQ(input.mouseY, static_cast<float>(300 - top));
    };
    poll();
    mouseStandsWhereItIs("at the first poll");
    pollFor(500);
    mouseStandsWhereItIs("once the window stands");

    // The window manager frames the window anew, with a taller title bar:
    // the poll puts the window in the middle again.
    int left = 0, top = 0;
    SDL_GetWindowPosition(window(), &left, &top);
    ASSERT_TRUE(x11test::announceFrame(display->name.c_str(), "Tumbro.WindowClass", 1, 1, 60, 5));
    pollFor(500);
    int newLeft = 0, newTop = 0;
    SDL_GetWindowPosition(window(), &newLeft, &newTop);
    ASSERT_TRUE(newLeft != left || newTop != top) << "the window stayed where it was";
    mouseStandsWhereItIs("placed anew");

    // The window manager moves the window, as the user dragging its title
    // bar would have it.
    bool relocated = false;
    ASSERT_TRUE(x11test::moveWindowBy(display->name.c_str(), "Tumbro.WindowClass", -25, 40));
    pollFor(500, [&] {
        relocated = relocated || input.mouseRelocated;
        EXPECT_FALSE(input.mouseMoved);
    });
    EXPECT_TRUE(relocated);
    SDL_GetWindowPosition(window(), &left, &top);
    ASSERT_TRUE(newLeft != left || newTop != top) << "the window stayed where it was";
    mouseStandsWhereItIs("moved by the window manager");

    // A window that appears full screen, where nobody places it.
    backend->closeWindow();
    s.fullScreen = true;
    s.width = 1280;
    s.height = 800;
    ASSERT_TRUE(backend->openWindow(s, error)) << error;
    poll();
    mouseStandsWhereItIs("at the first poll in full screen");
}

// The X server's own times: a key let go after a click by the server's
// clock, but delivered in the poll before the click (as when a window manager
// holding the pointer while it looks at the press lets the key through
// first), shows held in the click's poll.
TEST_F(SdlX11Test, AKeyLetGoAfterAClickByTheServersClockIsHeldForTheClick) {
    open(false, 800, 600);
    SDL_WarpMouseInWindow(window(), 400, 300);
    pollFor(300);
    const char* name = display->name.c_str();
    const char* windowClass = "Tumbro.WindowClass";
    ASSERT_TRUE(x11test::sendKey(name, windowClass, "s", true, 1000));
    ASSERT_TRUE(waitForEvent(SDL_KEYDOWN));
    poll();
    EXPECT_EQ(input.keys[input_codes::KEY_S], 0x80);
    ASSERT_TRUE(x11test::sendKey(name, windowClass, "s", false, 1040));
    ASSERT_TRUE(waitForEvent(SDL_KEYUP));
    poll();
    EXPECT_EQ(input.keys[input_codes::KEY_S], 0);
    ASSERT_TRUE(x11test::sendButton(name, windowClass, 1, true, 1020));
    ASSERT_TRUE(x11test::sendButton(name, windowClass, 1, false, 1030));
    ASSERT_TRUE(waitForEvent(SDL_MOUSEBUTTONUP));
    poll();
    EXPECT_TRUE(input.mousePressed[0]);
    EXPECT_EQ(input.keys[input_codes::KEY_S], 0x80);
    poll();
    EXPECT_EQ(input.keys[input_codes::KEY_S], 0);
}

}  // namespace
