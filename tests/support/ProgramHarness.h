#pragma once
// The real program run in-process, frame by frame, for tests that play it
// from its start: runGame with the scripted back-end over a folder that
// stands for the program's own (links to the generated content, as archives
// or as loose files, and the static settings), in a user folder of its own.
//
// The program runs on a thread of its own and stops before each of its
// frames until the test lets it run the next ones, so that a test reads the
// screen stack, the resources and the records between frames and scripts
// the input of the next frame, in plain sequence:
//
//   programtest::ProgramHarness h;
//   h.start();
//   ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 200));
//   h.pressKey(input_codes::KEY_ESCAPE);
//
// The program's frames keep their own pace (100 a second) and its clock is
// the real one, unless Options::fixedFrameStep asks for a clock of fixed
// steps. The back-end is the null one (draws recorded, not drawn) or,
// with Options::realDisplay, SDL's off-screen window with the OpenGL device,
// whose pixels capture() reads; the scripted input replaces the devices'
// either way. Whatever happens, the harness ends the program and removes its
// folders when it goes.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/ContextManager.h"
#include "gfx/Context.h"
#include "platform/Platform.h"

class Loader;

namespace programtest {

// A folder with links to the generated content (build/content).
class ContentFolder {
public:
    enum class Layout {
        Archives,  // the data archives only: everything must come from them
        Loose,     // the loose gfx/ and sfx/ trees only
    };
    // `leaveOut`: content files (paths below the content folder, loose
    // layout) that the folder does not get.
    explicit ContentFolder(Layout layout, const std::vector<std::string>& leaveOut = {});
    ~ContentFolder();
    ContentFolder(const ContentFolder&) = delete;
    ContentFolder& operator=(const ContentFolder&) = delete;

    // Writes a file below the folder (its folders made).
    void write(const std::string& name, const std::string& bytes) const;

    std::string path;  // ends with '/'; empty when it could not be made
};

class ProgramHarness {
public:
    struct Options {
        ContentFolder::Layout layout = ContentFolder::Layout::Archives;
        std::vector<std::string> leaveOut;
        // Command-line arguments after the program's name.
        std::vector<std::string> arguments;
        // "Tumbrodemo.cfg.static" beside the program (none when empty: the
        // built-in defaults) and lines added to the user's "Tumbrodemo.cfg"
        // (ini text; the settings fill in the rest).
        std::string staticSettings;
        std::string userSettings;
        // The developer features unlocked (debugCode in the user settings).
        bool developer = false;
        // A saved profile of this name, current (none: the first start of
        // a new player).
        std::string playerName = "Tester";
        // The user folder of an earlier run whose files this run starts
        // with (its settings, records and profiles), as a second start of
        // the program finds them; no profile is added then.
        std::string userFilesFrom;
        // SDL's off-screen window and the OpenGL device instead of the null
        // back-end.
        bool realDisplay = false;
        // The window keeps the size it opened with whatever the program asks
        // (as a window system without a window manager does).
        bool windowKeepsItsSize = false;
        // The game clock advances this much each frame, whatever the real
        // clock says (0: the real clock), so that a scripted play is the
        // same however busy the machine is.
        double fixedFrameStep = 0.0;
    };

    ProgramHarness();
    explicit ProgramHarness(Options options);
    ~ProgramHarness();
    ProgramHarness(const ProgramHarness&) = delete;
    ProgramHarness& operator=(const ProgramHarness&) = delete;

    // --- running -------------------------------------------------------------------------
    // Starts the program; returns once it waits before its first frame.
    void start();
    // Runs frames; false once the program has ended.
    bool step(int frames = 1);
    // Runs frames until `done` holds (tested before each frame); false when
    // it does not within `limit` frames or the program ended first.
    bool stepUntil(const std::function<bool()>& done, int limit);
    // Runs until the program ends by itself; false when it still runs after
    // `limit` frames.
    bool runToEnd(int limit = 500);
    // Closes the window, as the user would, and waits until the program has
    // shut down.
    void close();
    bool ended() const;
    int exitCode() const { return code; }
    // Frames the program has run.
    int frames() const { return frameCount; }
    // What the program asked of its window: the settings it opened it with,
    // then each change of full screen and size.
    platform::WindowSettings askedWindow() const;
    // Whether the program has the system's cursor shown over its window (as
    // the window starts, until told otherwise).
    bool systemCursorVisible() const;
    // Runs `task` on the program's thread (before its next frame): for
    // what must happen where the program runs (drawing through OpenGL).
    void onProgramThread(const std::function<void()>& task);

    // --- what the program shows --------------------------------------------------------
    ContextManager* stack() const;
    Context* top() const;
    template <class T>
    T* topAs() const {
        return dynamic_cast<T*>(top());
    }
    template <class T>
    bool topIs() const {
        return topAs<T>() != nullptr;
    }
    // The class names of the stacked screens, bottom to top.
    std::vector<std::string> stackClasses() const;
    // The loader while it is on the stack, else null.
    Loader* loader() const;
    // The log file of the run so far.
    std::string log() const;
    // The frame drawn now (the stack, without the console), top-down ARGB
    // rows of the back buffer; empty on the null back-end.
    std::vector<uint32_t> capture(int& width, int& height);
    // The same with `draw` in place of drawing the stack (it runs on the
    // program's thread between the frame's start and the read-back), for a
    // frame drawn with something left out or changed for the moment.
    std::vector<uint32_t> capture(int& width, int& height, const std::function<void()>& draw);

    // --- scripted input (what the next frames' polls report) -----------------------------
    void keyDown(int code);
    void keyUp(int code);
    // Down for one frame, then up for one frame; the modifiers are held
    // over both.
    void pressKey(int code, std::initializer_list<int> modifiers = {});
    // A reference-screen point (x from the left, y from the bottom).
    void moveMouse(float x, float y);
    // A window pixel (x from the left, y from the top).
    void moveMouseToPixel(float x, float y);
    // The mouse stands at a window pixel without having moved, and the
    // window system tells where (as where the window appeared under it).
    void mouseStandsAtPixel(float x, float y);
    void mouseButton(bool down);
    // Moves there (a frame), presses (a frame), releases (a frame).
    void click(float x, float y);
    // Characters handed out one a frame.
    void type(std::u16string_view text);

    // --- the window -----------------------------------------------------------------------
    // Whether the window has the input focus from the next frame on (it
    // has until told otherwise).
    void setFocused(bool focused);
    // The mouse leaves the window (onto its title bar, another window) or
    // comes back into it.
    void setMouseInWindow(bool inside);

    Options options;
    std::string userFolder;  // ends with '/'
    std::unique_ptr<ContentFolder> program;

private:
    class Backend;
    void runProgram();
    void beforeFrame(int frame);

    Backend* backend = nullptr;  // owned by the running program
    std::thread thread;
    mutable std::mutex mutex;
    std::condition_variable changed;
    int granted = 0;
    bool waiting = false;
    bool finished = false;
    bool quit = false;
    bool started = false;
    std::function<void()> task;
    int code = -1;
    int frameCount = 0;
};

}  // namespace programtest
