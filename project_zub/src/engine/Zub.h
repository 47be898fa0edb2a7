#pragma once
// The engine object: one per run, reached through ZUB. It owns every engine
// service, builds them in a fixed order (each logs "Starting..." and
// "Started."), runs the frame (modes, input, ticking, focus, drawing,
// pacing) and takes the services down in reverse order.
#include <cstdint>
#include <memory>

#include "engine-platform/Platform.h"
#include "engine/Application.h"
#include "net/EngineFrame.h"
#include "sys/TimeKeeper.h"

class Console;
class ConsoleView;
class Context;
class FileManager;
class FocusManager;
class Language;
class ResourceManager;
class Settings;
class SystemFont;
class ZubAudio;
class ZubGraphics;
class ZubInput;
class ZubNetwork;

class Zub final : public EngineFrame {
public:
    // Display modes. A change moves one level per frame and is announced to
    // every live object.
    enum Mode : int { MODE_FROZEN = 1, MODE_PAUSED = 2, MODE_RUNNING = 3 };

    Zub(platform::Backend& backend, const ApplicationHooks& hooks);
    ~Zub();
    Zub(const Zub&) = delete;
    Zub& operator=(const Zub&) = delete;

    // One frame from one poll of the window and the devices, then the wait
    // for the next frame's time (left out when no frame follows).
    void frame(const platform::InputSnapshot& input, const platform::WindowState& window, bool waitForNext = true);
    // Writes the user settings file.
    void saveSettings();

    // The root of what is ticked and drawn (the game's screen stack).
    Context* rootContext = nullptr;

    // Services, in the order they are built.
    std::unique_ptr<TimeKeeper> timeKeeper;
    std::unique_ptr<FileManager> fileManager;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<FocusManager> focusManager;
    std::unique_ptr<ZubInput> input;
    std::unique_ptr<ZubGraphics> graphics;
    std::unique_ptr<ZubAudio> audio;
    std::unique_ptr<SystemFont> systemFont;  // "Arial", for system-font text
    std::unique_ptr<Console> console;
    std::unique_ptr<ConsoleView> consoleView;  // draws the console
    std::unique_ptr<ZubNetwork> network;
    Language* language = nullptr;
    ZubTimer timer;

    platform::Backend& backend;

    int mode = MODE_RUNNING;
    int32_t frameCounter = 0;
    double currentTime = 0.0;        // game time of this frame (seconds)
    double previousFrameTime = 0.0;  // game time of the previous frame
    uint8_t bDebugLocked = 1;
    int debugLevel = 0;
    uint8_t bWindowFocused = 0;
    uint32_t displayClass = 1;
    uint32_t displayScale = 0;

    // The developer code that unlocks the debug features ("debugCode").
    static const char16_t* const DEBUG_ACCESS_CODE;

    // The frame as the network roles see it.
    double frameInterval() const override { return currentTime - previousFrameTime; }
    bool debugKeysLocked() const override { return bDebugLocked != 0; }
    uint32_t debugBits() const override { return static_cast<uint32_t>(debugLevel); }

private:
    void updateMode(bool focused);
    void showSystemCursor(bool visible);
    int lastWindowWidth = 0, lastWindowHeight = 0;
    int systemCursorShown = -1;  // as last told to the window: 1 shown, 0 hidden, -1 not told yet
    bool bOwnsLog = false;       // the engine opened the log (no session had)
    ApplicationHooks hooks;
};

extern Zub* ZUB;
