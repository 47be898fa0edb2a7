// The real back-end: an SDL window with an OpenGL context, SDL's keyboard,
// mouse, touch and joystick events, and SDL's message box.
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/GLContext.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "platform/sdl/SdlEventTime.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SdlWindowSize.h"
#include "util/WString.h"

namespace platform {
namespace {

GLContextInfo gContextInfo;

// Held flags of keys or buttons. A press that is released again before the
// next poll still shows as held for one poll, so that no tap is lost between
// two frames.
template <size_t N>
class HeldFlags {
public:
    bool held(size_t i) const { return held_[i]; }

    // Applies the releases kept back at the previous poll.
    void beginPoll() {
        for (size_t i = 0; i < N; ++i) {
            if (releaseLater_[i]) held_[i] = false;
            releaseLater_[i] = false;
            pressedNow_[i] = false;
            releasedNow_[i] = false;
        }
        holdReleases_ = false;
    }
    void press(size_t i) {
        held_[i] = true;
        pressedNow_[i] = true;
        releaseLater_[i] = false;
        releasedNow_[i] = false;
    }
    void release(size_t i) {
        if (pressedNow_[i] || holdReleases_) {
            releaseLater_[i] = true;
        } else if (held_[i]) {
            held_[i] = false;
            releasedNow_[i] = true;
        }
    }
    // Shows held again until the next poll what was let go before it.
    void holdAgain(size_t i) {
        held_[i] = releaseLater_[i] = true;
        releasedNow_[i] = false;
    }
    // What is let go in this poll, before now or after, shows held until the
    // next poll.
    void holdReleasesUntilNextPoll() {
        holdReleases_ = true;
        for (size_t i = 0; i < N; ++i) {
            if (!releasedNow_[i]) continue;
            held_[i] = releaseLater_[i] = true;
            releasedNow_[i] = false;
        }
    }
    void clear() {
        std::fill(std::begin(held_), std::end(held_), false);
        std::fill(std::begin(pressedNow_), std::end(pressedNow_), false);
        std::fill(std::begin(releaseLater_), std::end(releaseLater_), false);
        std::fill(std::begin(releasedNow_), std::end(releasedNow_), false);
        holdReleases_ = false;
    }

private:
    bool held_[N] = {};
    bool pressedNow_[N] = {};
    bool releaseLater_[N] = {};
    bool releasedNow_[N] = {};
    bool holdReleases_ = false;
};

// A finger on a touch surface, in coordinates normalised to the window.
struct Contact {
    SDL_TouchID touch = 0;
    SDL_FingerID finger = 0;
    float x = 0, y = 0;
    bool pressedNow = false;    // came down since the previous poll
    bool releaseLater = false;  // lifted in the poll it came down in
};

struct Pad {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
};

float axisValue(SDL_Joystick* joystick, int axis) {
    if (SDL_JoystickNumAxes(joystick) <= axis) return 0;
    float v = static_cast<float>(SDL_JoystickGetAxis(joystick, axis)) / 32767.0f;
    return std::clamp(v, -1.0f, 1.0f);
}

int mouseButtonIndex(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 0;
        case SDL_BUTTON_RIGHT:
            return 1;
        case SDL_BUTTON_MIDDLE:
            return 2;
        case SDL_BUTTON_X1:
            return 3;
        default:
            return -1;
    }
}

// The character a key sends besides its text, as the window system's
// character messages do: Backspace, Tab and Enter.
char16_t controlCharacter(SDL_Scancode scancode) {
    switch (scancode) {
        case SDL_SCANCODE_BACKSPACE:
            return 8;
        case SDL_SCANCODE_TAB:
            return 9;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return 13;
        default:
            return 0;
    }
}

// Keeps every shared library loaded so far in memory until the process ends.
// SDL and the GL driver load theirs at run time and unload them on shutdown;
// the driver's caches then look like lost memory from unnamed code to a leak
// checker, and unloading gains nothing at the end of the program.
void pinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) -> int {
            if (info->dlpi_name && info->dlpi_name[0] != '\0') {
                if (void* handle = dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(handle);
            }
            return 0;
        },
        nullptr);
}

std::string sdlError(const char* step) {
    std::string text = step;
    const char* reason = SDL_GetError();
    if (reason && *reason) {
        text += ": ";
        text += reason;
    }
    return text;
}

class SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    bool openWindow(const WindowSettings& s, std::string& error) override;
    void closeWindow() override;
    bool setFullScreen(bool on, int width, int height) override;
    void windowSize(int& width, int& height) override;
    bool setVSync(bool on) override;
    bool canGetFocus() const override { return hasDisplay(); }
    void poll(InputSnapshot& input, WindowState& window) override;
    void present() override;
    void showCursor(bool visible) override;
    void warpMouse(float x, float y) override;
    bool showMessageBox(const WString& title, const WString& text) override;
    std::vector<DisplayMode> displayModes() override;
    std::unique_ptr<RenderDevice> createRenderDevice() override { return createGLRenderDevice(); }

private:
    bool startVideo(const std::string& className, std::string& error);
    void handleEvent(const SDL_Event& e);
    void openJoystick(int deviceIndex);
    void closeJoystick(SDL_JoystickID id);
    bool hasDisplay() const;
    void resetInput();
    // A key went down or up (at the window system's `time`, 0 where it is
    // not known): at once, or after the poll's last button
    // (keysAfterButton_).
    void changeKey(size_t code, bool down, uint32_t time);
    void applyKeyChange(size_t code, bool down, uint32_t time);
    void applyKeysAfterButton();
    // Lets go of every key, and forgets the changes kept back.
    void clearKeys();
    // Asks the window system for the window's size.
    void measureWindow();
    // The window manager's frame around the window; false while it is not
    // known (not framed yet, no window manager, a driver without frames).
    bool frameBorders(FrameBorders& frame) const;
    // Where the cursor stands on the screen; false where the window system
    // keeps no such place that a program may read and set (only X11 does).
    bool cursorOnScreen(int& x, int& y) const;
    // Takes the cursor's place in the window anew from its place on the
    // screen, after the window moved or changed its size under it.
    void relocateMouse();
    // Gives the window (not full screen) a drawing area of width x height,
    // cut to what fits the desktop's usable area with the frame, and puts
    // it in the middle of that area. The mouse's place in the window is
    // taken anew at the poll's end: SDL takes the place it asked for as the
    // window's own, so the window system's report of the move never comes
    // as an event.
    void placeWindow(int width, int height);

    bool videoReady_ = false;
    bool joysticksReady_ = false;

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool assumeFocused_ = false;
    bool focused_ = false;
    bool minimized_ = false;
    // The window's real drawable size, measured again after each change of
    // the window and each event that tells of one.
    int width_ = 0, height_ = 0;
    bool sizeChanged_ = false;
    // The window manager may frame a window that was just placed anew (it
    // tells the frame late, or changes it when the window becomes
    // resizable): until this time (SDL ticks) a frame other than the one it
    // was placed with places it again.
    Uint64 placeAgainUntil_ = 0;
    int placedWidth_ = 0, placedHeight_ = 0;
    FrameBorders placedFrame_;

    // Gathered since the previous poll.
    bool closeRequested_ = false;
    bool mouseMoved_ = false;
    bool mouseRelocated_ = false;
    // The window moved or changed its size since the previous poll.
    bool windowMoved_ = false;
    int wheel_ = 0;
    // The warps whose motion events have not come yet, oldest first: the
    // window position and for how many more polls the event is expected.
    // A page that opens in key navigation moves the cursor twice in one
    // frame, and the window system reports each move in its turn.
    struct PendingWarp {
        int x, y;
        int polls;
    };
    std::vector<PendingWarp> warps_;
    std::u16string typed_;

    // In a poll in which a mouse button went down or up, the keys are those
    // the mouse's steps of the poll act with: a key let go in the poll shows
    // held until the next poll, before the button or after it (a window
    // manager that holds the pointer while it looks at a press lets a key
    // released just after the press arrive ahead of it), and the key changes
    // after the poll's last button (keysAfterButton_, in their order) come
    // with the next poll.
    HeldFlags<KEY_COUNT> keys_;
    struct KeyChange {
        size_t code;
        bool down;
        uint32_t time;
    };
    std::vector<KeyChange> keysAfterButton_;
    // The window system's time of the event SDL's next events are made of
    // (inputEventTime), and the keys let go in this poll and in the previous
    // one at a known time: a button that went down or up before such a
    // release, by the window system's clock, but arrived after it (in the
    // next poll) finds the key held, as it was.
    uint32_t eventTime_ = 0;
    std::vector<KeyChange> timedReleasesNow_, timedReleasesBefore_;
    bool buttonTurned_ = false;
    HeldFlags<MOUSE_BUTTONS> mouseButtons_;
    float mouseX_ = 0, mouseY_ = 0;
    // Where each button went down, and where it went up, since the
    // previous poll.
    bool pressed_[MOUSE_BUTTONS] = {};
    float pressX_[MOUSE_BUTTONS] = {}, pressY_[MOUSE_BUTTONS] = {};
    bool released_[MOUSE_BUTTONS] = {};
    float releaseX_[MOUSE_BUTTONS] = {}, releaseY_[MOUSE_BUTTONS] = {};
    // mouseX_, mouseY_ is where the mouse stands, read from the window
    // system or seen in its events, rather than a guess.
    bool mouseKnown_ = false;
    // The window system has the mouse in the window (or holds it there
    // while a button is held and the mouse is outside).
    bool mouseInWindow_ = true;
    std::vector<Contact> contacts_;
    Pad pads_[JOYSTICK_COUNT];
};

SdlBackend::SdlBackend() {
    // Touches are reported as touches only; the mouse never as a finger.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    // Without joysticks the game still runs on the keyboard.
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
        joysticksReady_ = true;
        for (int i = 0, n = SDL_NumJoysticks(); i < n; ++i) openJoystick(i);
    }
    pinLoadedLibraries();
}

SdlBackend::~SdlBackend() {
    closeWindow();
    for (Pad& pad : pads_) {
        if (pad.joystick) SDL_JoystickClose(pad.joystick);
        pad = Pad{};
    }
    if (joysticksReady_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    // Other parts of the program (the audio device) may still use SDL.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

bool SdlBackend::startVideo(const std::string& className, std::string& error) {
    if (videoReady_) return true;
    // The window class (WM_CLASS on X11, the application id on Wayland) is
    // read when the video driver starts. A class set in the environment by
    // the user stays.
    setenv("SDL_VIDEO_X11_WMCLASS", className.c_str(), 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", className.c_str(), 0);
    SDL_SetHint(SDL_HINT_APP_NAME, className.c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = sdlError("SDL video initialisation failed");
        return false;
    }
    videoReady_ = true;
    enableWindowSystemEvents();
    return true;
}

bool SdlBackend::openWindow(const WindowSettings& s, std::string& error) {
    closeWindow();
    if (!startVideo(s.className, error)) return false;
    // A window that counts as focused must also get the controllers' input.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, s.assumeFocused ? "1" : "0");

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);

    Uint32 flags = SDL_WINDOW_OPENGL | (s.fullScreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE);
    window_ =
        SDL_CreateWindow(s.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, s.width, s.height, flags);
    if (!window_) {
        error = sdlError("cannot create the window");
        return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    bool core = context_ != nullptr;
    if (!context_) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
        context_ = SDL_GL_CreateContext(window_);
    }
    if (!context_) {
        error = sdlError("cannot create an OpenGL 3.3 or 2.1 context");
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    pinLoadedLibraries();
    gContextInfo = GLContextInfo{};
    gContextInfo.core = core;
    // The driver may give more than asked for; its version string tells.
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned kGlVersion = 0x1F02;
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* version = getString ? getString(kGlVersion) : nullptr;
    if (!version ||
        std::sscanf(reinterpret_cast<const char*>(version), "%d.%d", &gContextInfo.major, &gContextInfo.minor) != 2) {
        gContextInfo.major = core ? 3 : 2;
        gContextInfo.minor = core ? 3 : 1;
    }
    // Without vsync support the frame pacing still limits the rate.
    SDL_GL_SetSwapInterval(s.vsync ? 1 : 0);

    assumeFocused_ = s.assumeFocused;
    Uint32 state = SDL_GetWindowFlags(window_);
    focused_ = (state & SDL_WINDOW_INPUT_FOCUS) != 0;
    minimized_ = (state & SDL_WINDOW_MINIMIZED) != 0;
    resetInput();
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    mouseX_ = static_cast<float>(x);
    mouseY_ = static_cast<float>(y);
    // A window system that shows nothing has no mouse to leave the window.
    mouseInWindow_ = !hasDisplay() || (state & SDL_WINDOW_MOUSE_FOCUS) != 0;
    SDL_StartTextInput();
    if (!s.fullScreen) placeWindow(s.width, s.height);
    measureWindow();
    return true;
}

void SdlBackend::measureWindow() {
    realDrawableSize(window_, width_, height_);
    sizeChanged_ = false;
}

bool SdlBackend::frameBorders(FrameBorders& frame) const {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return false;
    frame = FrameBorders{top, left, bottom, right};
    return top > 0 || left > 0 || bottom > 0 || right > 0;
}

void SdlBackend::placeWindow(int width, int height) {
    // How long the window manager may take to frame a window that was just
    // shown or left full screen before it is placed without the frame, and
    // how long after that a changed frame still places it again.
    constexpr Uint64 kFrameWaitMs = 300;
    constexpr Uint64 kFrameChangesMs = 2000;
    placedWidth_ = width;
    placedHeight_ = height;
    placeAgainUntil_ = 0;
    sizeChanged_ = true;
    windowMoved_ = true;
    SDL_Rect usable{};
    const int display = SDL_GetWindowDisplayIndex(window_);
    if (!hasDisplay() || display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 ||
        usable.h <= 0) {
        SDL_SetWindowSize(window_, width, height);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        return;
    }
    FrameBorders frame;
    bool known = frameBorders(frame);
    for (const Uint64 until = SDL_GetTicks64() + kFrameWaitMs; !known && SDL_GetTicks64() < until;) {
        SDL_Delay(10);
        SDL_PumpEvents();  // the events stay queued for the next poll
        known = frameBorders(frame);
    }
    const ScreenArea area = fitWindowInto(ScreenArea{usable.x, usable.y, usable.w, usable.h}, frame, width, height);
    SDL_SetWindowSize(window_, area.width, area.height);
    SDL_SetWindowPosition(window_, area.x, area.y);
    placedFrame_ = frame;
    placeAgainUntil_ = SDL_GetTicks64() + kFrameChangesMs;
}

void SdlBackend::windowSize(int& width, int& height) {
    measureWindow();
    width = width_;
    height = height_;
}

void SdlBackend::closeWindow() {
    if (!window_) return;
    SDL_StopTextInput();
    if (context_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    width_ = height_ = 0;
    placeAgainUntil_ = 0;
    gContextInfo = GLContextInfo{};
    resetInput();
}

void SdlBackend::resetInput() {
    clearKeys();
    mouseButtons_.clear();
    std::fill(std::begin(pressed_), std::end(pressed_), false);
    std::fill(std::begin(released_), std::end(released_), false);
    mouseKnown_ = false;
    contacts_.clear();
    typed_.clear();
    wheel_ = 0;
    mouseMoved_ = false;
    mouseRelocated_ = false;
    windowMoved_ = false;
    warps_.clear();
    closeRequested_ = false;
}

bool SdlBackend::setFullScreen(bool on, int width, int height) {
    if (!window_) return false;
    // What the window system made of it is measured, whatever SDL says.
    sizeChanged_ = true;
    windowMoved_ = true;
    // SDL puts the cursor back at the same place of the window after the
    // change, reckoned in the window's passing size and place (leaving full
    // screen, the size the window had before it): on the screen that is
    // elsewhere, once the window has its new place, often off the picture or
    // at the window's edge. The cursor stays where it was on the screen.
    int cursorX = 0, cursorY = 0;
    const bool keepCursor = cursorOnScreen(cursorX, cursorY);
    bool changed = true;
    if (on) {
        int display = SDL_GetWindowDisplayIndex(window_);
        SDL_DisplayMode wanted{};
        wanted.w = width;
        wanted.h = height;
        SDL_DisplayMode closest{};
        if (display >= 0 && SDL_GetClosestDisplayMode(display, &wanted, &closest))
            SDL_SetWindowDisplayMode(window_, &closest);
        SDL_SetWindowSize(window_, width, height);
        changed = SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) == 0;
    } else if (SDL_SetWindowFullscreen(window_, 0) == 0) {
        SDL_SetWindowResizable(window_, SDL_TRUE);
        placeWindow(width, height);
    } else {
        changed = false;
    }
    if (keepCursor) {
        SDL_WarpMouseGlobal(cursorX, cursorY);
        // Asking where the cursor is waits for the window system's answer,
        // which comes after the motion the moves of the cursor made: those
        // are in now, and they are no movement of the mouse.
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        SDL_PumpEvents();
        SDL_FlushEvent(SDL_MOUSEMOTION);
    }
    return changed;
}

bool SdlBackend::cursorOnScreen(int& x, int& y) const {
    const char* driver = videoReady_ ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!window_ || !driver || std::strcmp(driver, "x11") != 0) return false;
    SDL_GetGlobalMouseState(&x, &y);
    return true;
}

void SdlBackend::relocateMouse() {
    int screenX = 0, screenY = 0, windowX = 0, windowY = 0;
    if (!cursorOnScreen(screenX, screenY)) return;
    SDL_GetWindowPosition(window_, &windowX, &windowY);
    const float x = static_cast<float>(screenX - windowX), y = static_cast<float>(screenY - windowY);
    mouseKnown_ = true;
    if (x == mouseX_ && y == mouseY_) return;
    mouseX_ = x;
    mouseY_ = y;
    mouseRelocated_ = true;
}

bool SdlBackend::setVSync(bool on) {
    if (!context_) return false;
    // Without vsync support the frame pacing still limits the rate.
    return SDL_GL_SetSwapInterval(on ? 1 : 0) == 0;
}

void SdlBackend::openJoystick(int deviceIndex) {
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0) return;
    Pad* free = nullptr;
    for (Pad& pad : pads_) {
        if (pad.joystick && pad.id == id) return;  // already open
        if (!pad.joystick && !free) free = &pad;
    }
    if (!free) return;  // four controllers are in use
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick) return;
    free->joystick = joystick;
    free->id = SDL_JoystickInstanceID(joystick);
}

void SdlBackend::closeJoystick(SDL_JoystickID id) {
    for (Pad& pad : pads_) {
        if (pad.joystick && pad.id == id) {
            SDL_JoystickClose(pad.joystick);
            pad = Pad{};
        }
    }
}

void SdlBackend::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_SYSWMEVENT:
            eventTime_ = inputEventTime(e);
            return;
        case SDL_QUIT:
            closeRequested_ = true;
            break;
        case SDL_WINDOWEVENT:
            // Only our window counts, not a message box SDL opened beside it.
            if (window_ && e.window.windowID != 0 && e.window.windowID != SDL_GetWindowID(window_)) break;
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    closeRequested_ = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    focused_ = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    // The key and button releases may go to another window.
                    focused_ = false;
                    clearKeys();
                    mouseButtons_.clear();
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    minimized_ = true;
                    break;
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                    minimized_ = false;
                    sizeChanged_ = true;
                    break;
                case SDL_WINDOWEVENT_ENTER:
                    mouseInWindow_ = true;
                    break;
                case SDL_WINDOWEVENT_LEAVE:
                    mouseInWindow_ = false;
                    break;
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESIZED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    sizeChanged_ = true;
                    windowMoved_ = true;
                    break;
                case SDL_WINDOWEVENT_MOVED:
                    windowMoved_ = true;
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN: {
            int code = keyCodeFromScancode(e.key.keysym.scancode);
            if (code > 0 && !e.key.repeat) changeKey(static_cast<size_t>(code), true, eventTime_);
            if (char16_t c = controlCharacter(e.key.keysym.scancode)) typed_.push_back(c);
            break;
        }
        case SDL_KEYUP: {
            int code = keyCodeFromScancode(e.key.keysym.scancode);
            if (code > 0) changeKey(static_cast<size_t>(code), false, eventTime_);
            break;
        }
        case SDL_TEXTINPUT:
            typed_ += widen(e.text.text);
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which == SDL_TOUCH_MOUSEID) break;
            // The event a warp of ours makes is where we put the cursor, not
            // movement by the user; the cursor stays where the last warp put
            // it. The events come in the order of the warps, so those of
            // earlier warps that have not come by now never will. (Some video
            // drivers report a warp themselves as well: the warp stays known
            // until it expires.)
            if (auto warp = std::find_if(warps_.begin(), warps_.end(),
                                         [&](const PendingWarp& w) { return w.x == e.motion.x && w.y == e.motion.y; });
                warp != warps_.end()) {
                warps_.erase(warps_.begin(), warp);
                break;
            }
            mouseX_ = static_cast<float>(e.motion.x);
            mouseY_ = static_cast<float>(e.motion.y);
            mouseMoved_ = true;
            mouseKnown_ = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.which == SDL_TOUCH_MOUSEID) break;
            int b = mouseButtonIndex(e.button.button);
            if (b < 0) break;
            mouseX_ = static_cast<float>(e.button.x);
            mouseY_ = static_cast<float>(e.button.y);
            mouseKnown_ = true;
            // The key changes since the last button came before this one.
            applyKeysAfterButton();
            keys_.holdReleasesUntilNextPoll();
            buttonTurned_ = true;
            // A key let go in the previous poll after this button, by the
            // window system's clock, was held when it went down or up.
            if (const uint32_t time = eventTime_) {
                std::erase_if(timedReleasesBefore_, [&](const KeyChange& k) {
                    if (!cameAfter(k.time, time)) return false;
                    if (!keys_.held(k.code)) keys_.holdAgain(k.code);
                    return true;
                });
            }
            if (e.type == SDL_MOUSEBUTTONDOWN) {
                mouseButtons_.press(static_cast<size_t>(b));
                pressed_[b] = true;
                pressX_[b] = mouseX_;
                pressY_[b] = mouseY_;
            } else {
                mouseButtons_.release(static_cast<size_t>(b));
                released_[b] = true;
                releaseX_[b] = mouseX_;
                releaseY_[b] = mouseY_;
            }
            break;
        }
        case SDL_MOUSEWHEEL:
            if (e.wheel.which == SDL_TOUCH_MOUSEID) break;
            wheel_ += e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            break;
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: {
            const SDL_TouchFingerEvent& f = e.tfinger;
            auto it = std::find_if(contacts_.begin(), contacts_.end(),
                                   [&](const Contact& c) { return c.touch == f.touchId && c.finger == f.fingerId; });
            if (e.type == SDL_FINGERUP) {
                if (it == contacts_.end()) break;
                it->x = f.x;
                it->y = f.y;
                if (it->pressedNow) it->releaseLater = true;
                else contacts_.erase(it);
                break;
            }
            if (it == contacts_.end()) {
                contacts_.push_back(Contact{f.touchId, f.fingerId, f.x, f.y, true, false});
            } else {
                it->x = f.x;
                it->y = f.y;
                if (e.type == SDL_FINGERDOWN) {
                    it->pressedNow = true;
                    it->releaseLater = false;
                }
            }
            break;
        }
        case SDL_JOYDEVICEADDED:
            openJoystick(e.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            closeJoystick(e.jdevice.which);
            break;
        default:
            break;
    }
}

void SdlBackend::clearKeys() {
    keys_.clear();
    keysAfterButton_.clear();
    timedReleasesNow_.clear();
    timedReleasesBefore_.clear();
}

void SdlBackend::changeKey(size_t code, bool down, uint32_t time) {
    if (buttonTurned_) keysAfterButton_.push_back(KeyChange{code, down, time});
    else applyKeyChange(code, down, time);
}

void SdlBackend::applyKeyChange(size_t code, bool down, uint32_t time) {
    std::erase_if(timedReleasesNow_, [&](const KeyChange& k) { return k.code == code; });
    if (down) {
        keys_.press(code);
    } else {
        keys_.release(code);
        if (time) timedReleasesNow_.push_back(KeyChange{code, false, time});
    }
}

void SdlBackend::applyKeysAfterButton() {
    for (const KeyChange& k : keysAfterButton_) applyKeyChange(k.code, k.down, k.time);
    keysAfterButton_.clear();
}

void SdlBackend::poll(InputSnapshot& input, WindowState& window) {
    for (PendingWarp& w : warps_) --w.polls;
    std::erase_if(warps_, [](const PendingWarp& w) { return w.polls < 0; });
    keys_.beginPoll();
    mouseButtons_.beginPoll();
    timedReleasesBefore_ = std::move(timedReleasesNow_);
    timedReleasesNow_.clear();
    // The key changes the previous poll kept back are this poll's first.
    applyKeysAfterButton();
    buttonTurned_ = false;
    std::erase_if(contacts_, [](const Contact& c) { return c.releaseLater; });
    for (Contact& c : contacts_) c.pressedNow = false;

    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        handleEvent(e);
        // The window system's time goes with the events made of its event.
        if (e.type != SDL_SYSWMEVENT) eventTime_ = 0;
    }

    if (window_ && placeAgainUntil_ != 0) {
        FrameBorders frame;
        if (SDL_GetTicks64() > placeAgainUntil_) {
            placeAgainUntil_ = 0;
        } else if (frameBorders(frame) && !(frame == placedFrame_)) {
            const Uint64 until = placeAgainUntil_;
            placeWindow(placedWidth_, placedHeight_);
            placeAgainUntil_ = until;
        }
    }
    if (window_ && sizeChanged_) measureWindow();
    if (window_ && windowMoved_) relocateMouse();
    windowMoved_ = false;
    // Touches come normalised to the size SDL believes the window has.
    int width = 0, height = 0;
    if (window_) SDL_GL_GetDrawableSize(window_, &width, &height);

    for (size_t k = 0; k < KEY_COUNT; ++k) input.keys[k] = keys_.held(k) ? 0x80 : 0;
    for (int j = 0; j < JOYSTICK_COUNT; ++j) {
        JoystickState& js = input.joysticks[j];
        js = JoystickState{};
        SDL_Joystick* joystick = pads_[j].joystick;
        if (!joystick) continue;
        js.present = true;
        js.axisX = axisValue(joystick, 0);
        js.axisY = axisValue(joystick, 1);
        if (SDL_JoystickNumHats(joystick) > 0) js.hat = SDL_JoystickGetHat(joystick, 0) & 0x0F;
        int buttons = std::min(SDL_JoystickNumButtons(joystick), JOYSTICK_BUTTONS);
        for (int b = 0; b < buttons; ++b)
            if (SDL_JoystickGetButton(joystick, b)) js.buttons |= 1u << b;
    }
    input.mouseX = mouseX_;
    input.mouseY = mouseY_;
    input.mouseMoved = mouseMoved_;
    input.mouseRelocated = mouseRelocated_;
    input.mouseKnown = mouseKnown_;
    input.wheel = wheel_;
    for (size_t b = 0; b < MOUSE_BUTTONS; ++b) {
        input.mouseButtons[b] = mouseButtons_.held(b);
        input.mousePressed[b] = pressed_[b];
        input.mousePressX[b] = pressX_[b];
        input.mousePressY[b] = pressY_[b];
        input.mouseReleased[b] = released_[b];
        input.mouseReleaseX[b] = releaseX_[b];
        input.mouseReleaseY[b] = releaseY_[b];
        pressed_[b] = released_[b] = false;
    }
    input.mouseInWindow = mouseInWindow_;
    input.touches.clear();
    for (const Contact& c : contacts_)
        input.touches.push_back(TouchPoint{static_cast<int64_t>(c.finger), c.x * static_cast<float>(width),
                                           c.y * static_cast<float>(height)});
    input.typed = typed_;

    window.focused = assumeFocused_ || focused_;
    window.minimized = minimized_;
    window.closeRequested = closeRequested_;
    window.width = width_;
    window.height = height_;

    typed_.clear();
    wheel_ = 0;
    mouseMoved_ = false;
    mouseRelocated_ = false;
    closeRequested_ = false;
}

void SdlBackend::present() {
    if (window_) SDL_GL_SwapWindow(window_);
}

void SdlBackend::showCursor(bool visible) {
    if (videoReady_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlBackend::warpMouse(float x, float y) {
    if (!window_) return;
    const PendingWarp warp{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), 2};
    // Its event comes in one of the next two polls; a cursor that was there
    // already makes none.
    if (warps_.size() >= 8) warps_.erase(warps_.begin());
    warps_.push_back(warp);
    SDL_WarpMouseInWindow(window_, warp.x, warp.y);
    mouseX_ = x;
    mouseY_ = y;
    mouseKnown_ = true;
}

bool SdlBackend::hasDisplay() const {
    const char* driver = videoReady_ ? SDL_GetCurrentVideoDriver() : nullptr;
    if (driver) return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool SdlBackend::showMessageBox(const WString& title, const WString& text) {
    if (!hasDisplay()) return false;
    // A full-screen window would cover the box.
    if (window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN)) SDL_SetWindowFullscreen(window_, 0);
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, wideToUtf8(title).c_str(), wideToUtf8(text).c_str(),
                                    window_) == 0;
}

std::vector<Backend::DisplayMode> SdlBackend::displayModes() {
    std::vector<DisplayMode> modes;
    if (!videoReady_) return modes;
    int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (display < 0) display = 0;
    for (int i = 0, n = SDL_GetNumDisplayModes(display); i < n; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(display, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
        DisplayMode mode{m.w, m.h, m.refresh_rate};
        bool known = std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& o) {
            return o.width == mode.width && o.height == mode.height && o.refreshRate == mode.refreshRate;
        });
        if (!known) modes.push_back(mode);
    }
    return modes;
}

}  // namespace

std::unique_ptr<Backend> createSdlBackend() { return std::make_unique<SdlBackend>(); }

void releaseThreadState() { SDL_TLSCleanup(); }

void* glProcAddress(const char* name) {
    if (!name || !SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return SDL_GL_GetProcAddress(name);
}

GLContextInfo glContextInfo() { return gContextInfo; }

}  // namespace platform
