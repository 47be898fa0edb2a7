#pragma once
// The program's entry and message loop.
//
// It installs the crash handler, keeps the arguments, returns at once when
// another instance runs, opens the window and loops: each turn handles the
// window's messages and, while the engine stands, runs one frame. The engine
// and the game are made on the first turn in which the window has the focus
// (until then each turn sleeps 100 ms), rebuilt after a restart request, and
// deleted when the window closes or the game quits; a pending web address is
// opened after that.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine-platform/Platform.h"
#include "engine/Application.h"

struct RunOptions {
    std::vector<std::string> arguments;
    // An 800 x 600 window whatever the settings say ("-safe").
    bool bSafeMode = false;
    // Treat the window as focused (headless runs have no window manager).
    bool bAssumeFocused = false;
    // End after this many frames (0: run until closed). For automated runs.
    int maxFrames = 0;
    // Skip the single-instance lock (tests run several programs at once).
    bool bAllowSeveralInstances = false;
    // Seconds of game time per frame, frames run back to back (0: the real
    // clock and the frame pacing). For scripted runs that must play the
    // same on every machine.
    double fixedFrameStep = 0.0;
    // The window back-end; SDL unless a test gives its own. The loop asks it
    // again after each poll, so a test can script frame by frame.
    std::function<std::unique_ptr<platform::Backend>()> makeBackend;
    // Called before every frame with the back-end and the frame number.
    std::function<void(platform::Backend&, int)> beforeFrame;
};

// Reads the command line ("-safe") and the environment (ZUB_ASSUME_FOCUSED,
// ZUB_MAX_FRAMES, ZUB_ALLOW_SEVERAL_INSTANCES, ZUB_FIXED_STEP).
RunOptions parseRunOptions(int argc, char** argv);

// Runs the program; returns its exit code.
int runZub(const RunOptions& options, const ApplicationHooks& hooks);

// Set to ask for the engine and the game to be rebuilt after this frame
// (a change of language).
extern bool restartRequested;
