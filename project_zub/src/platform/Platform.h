#pragma once
// The stand-in for the operating system's window, message loop, input
// devices and message boxes. The engine talks only to this interface; the
// SDL back-end (sdl/) drives a real window with an OpenGL context, the null
// back-end (null/) replays scripted input for tests.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/WString.h"

namespace platform {

class RenderDevice;

// Key codes are the DirectInput scan codes (1 Escape ... 211 Delete); the
// back-ends translate their own key identifiers into them.
constexpr int KEY_COUNT = 256;
constexpr int JOYSTICK_COUNT = 4;
constexpr int JOYSTICK_BUTTONS = 32;
constexpr int MOUSE_BUTTONS = 4;

struct JoystickState {
    bool present = false;
    // Axes in [-1, 1] (x right, y down), the hat as bits 1 up, 2 right, 4 down, 8 left.
    float axisX = 0, axisY = 0;
    uint8_t hat = 0;
    uint32_t buttons = 0;  // bit n = button n held
};

struct TouchPoint {
    int64_t id = 0;
    float x = 0, y = 0;  // window pixels, y down
};

// What the devices report at one poll. Held states are levels; typed text and
// wheel movement accumulate since the previous poll.
struct InputSnapshot {
    // 0x80 = held. In a poll in which a mouse button went down or up, the
    // keys the mouse's steps of the poll were made with: a key let go in
    // the poll still shows held (the window system may deliver a release
    // made just after a press ahead of it), and what the keys did after the
    // last button went down or up comes with the next poll.
    uint8_t keys[KEY_COUNT] = {};
    JoystickState joysticks[JOYSTICK_COUNT];
    float mouseX = 0, mouseY = 0;  // window pixels, y down
    bool mouseMoved = false;       // the mouse moved since the previous poll
    // The window moved or changed its size under the mouse since the
    // previous poll: the mouse stands elsewhere in the window, moved or not.
    bool mouseRelocated = false;
    int wheel = 0;  // wheel notches since the previous poll
    bool mouseButtons[MOUSE_BUTTONS] = {};
    // Where each button went down since the previous poll (window pixels, y
    // down; the latest press where it went down more than once), set where
    // `mousePressed` is: the press comes in its turn among the mouse's moves,
    // so a poll that moved the mouse and pressed a button tells the movement
    // that came before the press from the movement that came after it.
    bool mousePressed[MOUSE_BUTTONS] = {};
    float mousePressX[MOUSE_BUTTONS] = {}, mousePressY[MOUSE_BUTTONS] = {};
    // Where each button went up since the previous poll (window pixels, y
    // down; the latest release where it went up more than once), set where
    // `mouseReleased` is. The release too comes in its turn among the moves:
    // the movement before it is movement with the button held (it drags),
    // the movement after it is movement with the button up. A button that
    // went down and up within the poll shows held in `mouseButtons` for
    // this poll all the same.
    bool mouseReleased[MOUSE_BUTTONS] = {};
    float mouseReleaseX[MOUSE_BUTTONS] = {}, mouseReleaseY[MOUSE_BUTTONS] = {};
    // The back-end knows where the mouse stands in the window (mouseX,
    // mouseY), moved or not: the window system has told it (in an event of
    // the mouse's, or asked after the window moved). False while it only has
    // a guess, as before the mouse has come over a new window.
    bool mouseKnown = false;
    // The mouse stands inside the window (the window system has the mouse in
    // it, or holds it there while a button is held).
    bool mouseInWindow = true;
    std::vector<TouchPoint> touches;  // contacts held now
    std::u16string typed;             // characters typed since the previous poll
};

struct WindowState {
    bool focused = false;  // the window has the input focus
    bool minimized = false;
    bool closeRequested = false;  // the user asked to close the window
    int width = 0, height = 0;    // drawable size in pixels, as the window has it (see Backend::windowSize)
};

struct WindowSettings {
    std::string title = "Tumbrodemo";
    std::string className = "Tumbro.WindowClass";
    int width = 1024, height = 768;
    bool fullScreen = false;
    bool vsync = true;
    // Treat the window as focused whatever the window system says (headless
    // runs have no window manager to give the focus).
    bool assumeFocused = false;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Opens the window and its drawing context. False with a reason on failure.
    virtual bool openWindow(const WindowSettings& s, std::string& error) = 0;
    virtual void closeWindow() = 0;
    // Asks for full screen in the display mode nearest width x height, or a
    // window of that size. The window system may give another size, or none
    // of the change (without a window manager a window cannot be made full
    // screen): windowSize tells what it gave.
    virtual bool setFullScreen(bool on, int width, int height) = 0;
    // The drawable size the window has now, in pixels, as the window system
    // has it rather than as it was asked for; 0 x 0 without a window.
    virtual void windowSize(int& width, int& height) = 0;
    // Waits for the display's vertical retrace when showing a frame, or not.
    virtual bool setVSync(bool on) = 0;
    // False when the window can never get the input focus (a video driver
    // that shows nothing): a program waiting for the focus would wait forever.
    virtual bool canGetFocus() const = 0;

    // Handles pending window messages and reads the devices.
    virtual void poll(InputSnapshot& input, WindowState& window) = 0;
    // Shows the drawn frame.
    virtual void present() = 0;

    virtual void showCursor(bool visible) = 0;
    // Moves the system cursor (window pixels, y down).
    virtual void warpMouse(float x, float y) = 0;
    // A blocking message box; false (nothing shown) when there is no display
    // for it.
    virtual bool showMessageBox(const WString& title, const WString& text) = 0;

    // Display modes the screen offers (width, height, refresh rate).
    struct DisplayMode {
        int width, height, refreshRate;
    };
    virtual std::vector<DisplayMode> displayModes() = 0;

    // The drawing device for the open window (OpenGL for a real window, a
    // recording device for the scripted one).
    virtual std::unique_ptr<RenderDevice> createRenderDevice() = 0;
};

// The SDL back-end with an OpenGL context.
std::unique_ptr<Backend> createSdlBackend();

// Frees what the window and sound layer keeps for the calling thread. For a
// thread other than the main one that ran the program (tests do that), just
// before it ends.
void releaseThreadState();

// The back-end for tests: no window; input comes from a script.
class NullBackend : public Backend {
public:
    bool openWindow(const WindowSettings& s, std::string& error) override;
    void closeWindow() override { open = false; }
    bool setFullScreen(bool on, int w, int h) override {
        fullScreen = on;
        window.width = w;
        window.height = h;
        return true;
    }
    void windowSize(int& w, int& h) override {
        w = open ? window.width : 0;
        h = open ? window.height : 0;
    }
    bool setVSync(bool on) override {
        vsync = on;
        return true;
    }
    bool canGetFocus() const override { return true; }
    void poll(InputSnapshot& input, WindowState& w) override;
    void present() override { ++presented; }
    void showCursor(bool visible) override { cursorVisible = visible; }
    void warpMouse(float x, float y) override {
        next.mouseX = x;
        next.mouseY = y;
    }
    bool showMessageBox(const WString& title, const WString& text) override {
        messageBoxes.push_back(title + u": " + text);
        return true;
    }
    std::vector<DisplayMode> displayModes() override { return {{1024, 768, 60}, {1920, 1080, 60}}; }
    std::unique_ptr<RenderDevice> createRenderDevice() override;

    // The script: what the next poll reports. Tests change it between frames.
    InputSnapshot next;
    WindowState window;
    bool open = false;
    bool fullScreen = false;
    bool vsync = true;
    bool cursorVisible = true;
    int presented = 0;
    std::vector<WString> messageBoxes;
};

}  // namespace platform
