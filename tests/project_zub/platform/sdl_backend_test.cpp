// The SDL back-end, headless: an off-screen window with a real OpenGL context,
// and input injected into SDL's event queue.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "gfx/Context.h"
#include "gfx/ZubGraphics.h"
#include "platform/GLContext.h"
#include "platform/Platform.h"
#include "util/KeyCodes.h"

// After everything else: the X headers define names (None, Bool, Status).
#include <SDL_syswm.h>

using namespace platform;

// The X server's event types, under names of the test's own.
constexpr int X11_KEY_PRESS = KeyPress, X11_KEY_RELEASE = KeyRelease, X11_BUTTON_PRESS = ButtonPress,
              X11_BUTTON_RELEASE = ButtonRelease;
using namespace input_codes;

namespace {

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        backend = createSdlBackend();
        WindowSettings s;
        s.width = 320;
        s.height = 240;
        s.vsync = false;
        s.assumeFocused = assumeFocused;
        std::string error;
        if (!backend->openWindow(s, error)) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
        poll();  // whatever the window system queued on opening
    }

    void TearDown() override { backend.reset(); }

    void poll() { backend->poll(input, window); }

    static void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

    static void pushKey(Uint32 type, SDL_Scancode scancode, bool repeat = false) {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = scancode;
        push(e);
    }

    // What SDL hands on of an X server's key or button event, stamped at
    // `time`, ahead of its own events made of it.
    static void pushXInput(int type, uint32_t time) {
        SDL_Event e{};
        e.type = SDL_SYSWMEVENT;
        SDL_SysWMmsg msg{};
        SDL_VERSION(&msg.version);
        msg.subsystem = SDL_SYSWM_X11;
        msg.msg.x11.event.type = type;
        if (type == X11_KEY_PRESS || type == X11_KEY_RELEASE) msg.msg.x11.event.xkey.time = time;
        else msg.msg.x11.event.xbutton.time = time;
        e.syswm.msg = &msg;
        push(e);
    }

    static void pushFinger(Uint32 type, SDL_FingerID finger, float x, float y) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 1;
        e.tfinger.fingerId = finger;
        e.tfinger.x = x;
        e.tfinger.y = y;
        push(e);
    }

    static void pushWindowEvent(SDL_WindowEventID id) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = id;
        push(e);
    }

    bool assumeFocused = true;
    std::unique_ptr<Backend> backend;
    InputSnapshot input;
    WindowState window;
};

class SdlBackendUnfocusedTest : public SdlBackendTest {
protected:
    void SetUp() override {
        assumeFocused = false;
        SdlBackendTest::SetUp();
    }
};

TEST_F(SdlBackendTest, OpensAnOpenGLWindowUnderItsClassName) {
    const GLContextInfo info = glContextInfo();
    EXPECT_TRUE(info.major > 3 || (info.major == 3 && info.minor >= 3) || !info.core)
        << info.major << "." << info.minor;
    // Functions found through the back-end and linked directly reach one context.
    auto clearColor = reinterpret_cast<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>(glProcAddress("glClearColor"));
    ASSERT_NE(clearColor, nullptr);
    clearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[0], 0);
    backend->present();
    poll();
    EXPECT_EQ(window.width, 320);
    EXPECT_TRUE(window.focused);
    // X11 and Wayland take the class from these when the driver starts.
    EXPECT_STREQ(std::getenv("SDL_VIDEO_X11_WMCLASS"), "Tumbro.WindowClass");
    EXPECT_STREQ(std::getenv("SDL_VIDEO_WAYLAND_WMCLASS"), "Tumbro.WindowClass");
}

TEST_F(SdlBackendTest, WithoutADisplayNothingCanTakeTheFocusOrShowABox) {
    EXPECT_FALSE(backend->canGetFocus());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(backend->showMessageBox(u"Error", u"Something went wrong"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the error manager prints it once itself
}

TEST_F(SdlBackendTest, LetterboxBarsAreBlackWhateverTheScreenClearsTo) {
    WindowSettings wide;  // wider than 4:3: bars left and right
    wide.width = 400;
    wide.height = 240;
    wide.assumeFocused = true;
    std::string error;
    ASSERT_TRUE(backend->openWindow(wide, error)) << error;
    poll();
    ZubGraphics graphics;
    graphics.setBackend(backend.get());
    ASSERT_TRUE(graphics.setDevice(backend->createRenderDevice(), error)) << error;
    graphics.onWindowSize(window.width, window.height);
    ASSERT_EQ(graphics.viewport.x, 40);
    Context screen;
    screen.clearColor = 0xFF00FF00;
    for (int frame = 0; frame < 2; ++frame) {
        graphics.beginFrame();
        screen.renderContext();
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(graphics.device()->readPixels(0, 0, 400, 240, pixels));
        EXPECT_EQ(pixels[120 * 400 + 10], 0xFF000000u);   // left bar
        EXPECT_EQ(pixels[120 * 400 + 390], 0xFF000000u);  // right bar
        EXPECT_EQ(pixels[120 * 400 + 200], 0xFF00FF00u);  // the screen
        graphics.present();
    }
}

TEST_F(SdlBackendTest, VerticalSyncFollowsThePresentationSettings) {
    ZubGraphics graphics;
    graphics.setBackend(backend.get());
    graphics.bVSync = false;  // as the window was opened
    if (SDL_GL_SetSwapInterval(1) != 0) GTEST_SKIP() << "the driver has no swap interval: " << SDL_GetError();
    SDL_GL_SetSwapInterval(0);
    graphics.changePresentationParameters(-1, -1, false, true, true, true);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 1);
    graphics.changePresentationParameters(-1, -1, false, true, true, false);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
}

TEST(SdlBackendContext, FallsBackToACompatibilityContext) {
    // Mesa's version override makes the core context request fail.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    auto backend = createSdlBackend();
    WindowSettings s;
    s.width = 64;
    s.height = 64;
    std::string error;
    bool opened = backend->openWindow(s, error);
    GLContextInfo info = glContextInfo();
    backend.reset();
    unsetenv("MESA_GL_VERSION_OVERRIDE");
    if (!opened) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
    if (info.core) GTEST_SKIP() << "the driver ignored MESA_GL_VERSION_OVERRIDE (Mesa reads it once per process)";
    EXPECT_EQ(info.major, 2);
    EXPECT_EQ(info.minor, 1);
    EXPECT_EQ(glContextInfo().major, 0);  // the window is gone
}

TEST_F(SdlBackendTest, QuitRequestIsReportedOnce) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    push(e);
    poll();
    EXPECT_TRUE(window.closeRequested);
    poll();
    EXPECT_FALSE(window.closeRequested);
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    poll();
    EXPECT_TRUE(window.closeRequested);
}

TEST_F(SdlBackendTest, KeysFollowTheirEventsAndATapIsHeldForOnePoll) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER);
    poll();
    EXPECT_EQ(input.keys[KEY_LEFT], 0x80);
    EXPECT_EQ(input.keys[KEY_NUMPADENTER], 0x80);
    poll();  // held keys stay held while no events come
    EXPECT_EQ(input.keys[KEY_LEFT], 0x80);
    pushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
    poll();
    EXPECT_EQ(input.keys[KEY_LEFT], 0);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // losing the focus releases everything
    poll();
    EXPECT_EQ(input.keys[KEY_NUMPADENTER], 0);

    pushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    pushKey(SDL_KEYUP, SDL_SCANCODE_SPACE);
    poll();
    EXPECT_EQ(input.keys[KEY_SPACE], 0x80);
    poll();
    EXPECT_EQ(input.keys[KEY_SPACE], 0);

    // In a poll in which a mouse button goes down or up, a key let go shows
    // held (also when its release came ahead of the button), and what the
    // keys did after the last button comes with the next poll.
    auto button = [](Uint32 type) {
        SDL_Event e{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        push(e);
    };
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_S);
    poll();
    button(SDL_MOUSEBUTTONDOWN);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_R);
    button(SDL_MOUSEBUTTONUP);
    pushKey(SDL_KEYUP, SDL_SCANCODE_S);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    poll();
    EXPECT_TRUE(input.mouseReleased[0]);
    EXPECT_EQ(input.keys[KEY_S], 0x80);
    EXPECT_EQ(input.keys[KEY_R], 0x80);
    EXPECT_EQ(input.keys[KEY_LEFT], 0);
    poll();
    EXPECT_EQ(input.keys[KEY_S], 0);
    EXPECT_EQ(input.keys[KEY_R], 0x80);
    EXPECT_EQ(input.keys[KEY_LEFT], 0x80);
    pushKey(SDL_KEYUP, SDL_SCANCODE_R);
    button(SDL_MOUSEBUTTONDOWN);
    poll();
    EXPECT_EQ(input.keys[KEY_R], 0x80);
    poll();
    EXPECT_EQ(input.keys[KEY_R], 0);

    // The window system's clock: a key let go after a press, whose release
    // a window manager holding the pointer let through first, in the poll
    // before the press, is held for the press and its release; one let go
    // before the press is not.
    pushXInput(X11_KEY_PRESS, 1000);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_S);
    pushXInput(X11_KEY_PRESS, 1000);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_R);
    pushXInput(X11_BUTTON_RELEASE, 1005);
    button(SDL_MOUSEBUTTONUP);
    poll();
    pushXInput(X11_KEY_RELEASE, 1040);
    pushKey(SDL_KEYUP, SDL_SCANCODE_S);
    pushXInput(X11_KEY_RELEASE, 1010);
    pushKey(SDL_KEYUP, SDL_SCANCODE_R);
    poll();
    EXPECT_EQ(input.keys[KEY_S], 0);
    EXPECT_EQ(input.keys[KEY_R], 0);
    pushXInput(X11_BUTTON_PRESS, 1020);
    button(SDL_MOUSEBUTTONDOWN);
    pushXInput(X11_BUTTON_RELEASE, 1030);
    button(SDL_MOUSEBUTTONUP);
    poll();
    EXPECT_TRUE(input.mousePressed[0]);
    EXPECT_EQ(input.keys[KEY_S], 0x80);
    EXPECT_EQ(input.keys[KEY_R], 0);
    poll();
    EXPECT_EQ(input.keys[KEY_S], 0);
}

TEST_F(SdlBackendTest, TypedTextAndControlCharacters) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");  // a, a-umlaut, euro, a face
    push(e);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, true);  // key repeat types again
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_TAB);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, true);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_A);  // its character comes as text, not from the key
    poll();
    EXPECT_EQ(input.typed, u"a\u00e4\u20ac\U0001F600\b\b\t\r");
    EXPECT_EQ(input.keys[KEY_RETURN], 0);  // a repeat alone does not press a key
    poll();
    EXPECT_TRUE(input.typed.empty());
}

TEST_F(SdlBackendTest, MouseMotionButtonsAndWheel) {
    EXPECT_FALSE(input.mouseKnown);  // the off-screen window has had no mouse over it
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 10;
    e.motion.y = 20;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_X1;
    e.button.x = 10;
    e.button.y = 20;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 1;
    push(e);
    e.wheel.y = -3;
    push(e);
    poll();
    EXPECT_TRUE(input.mouseMoved);
    EXPECT_TRUE(input.mouseKnown);
    EXPECT_EQ(input.mouseX, 10);
    EXPECT_EQ(input.mouseY, 20);
    EXPECT_TRUE(input.mouseButtons[3]);
    EXPECT_FALSE(input.mouseButtons[0]);
    EXPECT_EQ(input.wheel, -2);
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_TRUE(input.mouseKnown);  // and stays so
    EXPECT_EQ(input.wheel, 0);
    EXPECT_TRUE(input.mouseButtons[3]);
}

// A press comes in its turn among the moves, and so does a release: the
// poll tells where the button went down and where it went up as well as
// where the mouse ended up. (The window system may report a button where
// the last motion it reported did not quite reach.)
TEST_F(SdlBackendTest, APressCarriesItsPositionAmongTheMoves) {
    auto motion = [](int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        push(e);
    };
    auto button = [](Uint32 type, Uint8 which, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.button = which;
        e.button.x = x;
        e.button.y = y;
        push(e);
    };
    motion(40, 50);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 43, 51);
    motion(50, 50);
    motion(60, 52);
    poll();
    EXPECT_EQ(input.mouseX, 60);
    EXPECT_EQ(input.mouseY, 52);
    EXPECT_TRUE(input.mouseButtons[0]);
    EXPECT_TRUE(input.mousePressed[0]);
    EXPECT_EQ(input.mousePressX[0], 43);
    EXPECT_EQ(input.mousePressY[0], 51);
    EXPECT_FALSE(input.mouseReleased[0]);
    EXPECT_FALSE(input.mousePressed[2]);
    // Held on, no press; the middle button down and up within a poll still
    // tells where it went down.
    motion(70, 52);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 70, 52);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 70, 52);
    poll();
    EXPECT_FALSE(input.mousePressed[0]);
    EXPECT_TRUE(input.mouseButtons[0]);
    EXPECT_TRUE(input.mousePressed[2]);
    EXPECT_EQ(input.mousePressX[2], 70);
    EXPECT_TRUE(input.mouseButtons[2]);
    EXPECT_TRUE(input.mouseReleased[2]);
    EXPECT_EQ(input.mouseReleaseX[2], 70);
    poll();
    EXPECT_FALSE(input.mousePressed[2]);
    EXPECT_FALSE(input.mouseReleased[2]);
    EXPECT_FALSE(input.mouseButtons[2]);

    // On with the left button, up, and on with it up.
    motion(80, 55);
    motion(90, 58);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 92, 59);
    motion(100, 70);
    poll();
    EXPECT_FALSE(input.mouseButtons[0]);
    EXPECT_FALSE(input.mousePressed[0]);
    EXPECT_TRUE(input.mouseReleased[0]);
    EXPECT_EQ(input.mouseReleaseX[0], 92);
    EXPECT_EQ(input.mouseReleaseY[0], 59);
    EXPECT_EQ(input.mouseX, 100);
    EXPECT_EQ(input.mouseY, 70);
    poll();
    EXPECT_FALSE(input.mouseReleased[0]);
    // Up and down again in one poll: both places, the button held.
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 70);
    poll();
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 70);
    motion(120, 75);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 121, 76);
    poll();
    EXPECT_TRUE(input.mouseButtons[0]);
    EXPECT_TRUE(input.mouseReleased[0]);
    EXPECT_EQ(input.mouseReleaseX[0], 100);
    EXPECT_TRUE(input.mousePressed[0]);
    EXPECT_EQ(input.mousePressX[0], 121);
    EXPECT_EQ(input.mousePressY[0], 76);
}

// The mouse leaving the window (onto its title bar, another window) and
// coming back, as the window system reports it.
TEST_F(SdlBackendTest, TheMouseLeavingTheWindowIsReported) {
    EXPECT_TRUE(input.mouseInWindow);
    pushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    poll();
    EXPECT_FALSE(input.mouseInWindow);
    poll();
    EXPECT_FALSE(input.mouseInWindow);
    pushWindowEvent(SDL_WINDOWEVENT_ENTER);
    poll();
    EXPECT_TRUE(input.mouseInWindow);
}

TEST_F(SdlBackendTest, AWarpOfTheCursorIsNotMovement) {
    backend->warpMouse(100.4f, 50.0f);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;  // the event the window system sends for the warp
    e.motion.x = 100;
    e.motion.y = 50;
    push(e);
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_FLOAT_EQ(input.mouseX, 100.4f);
    e.motion.x = 104;  // the user moves it
    push(e);
    poll();
    EXPECT_TRUE(input.mouseMoved);
    EXPECT_EQ(input.mouseX, 104);
}

TEST_F(SdlBackendTest, EveryWarpOfAPollIsKnownByItsEvent) {
    // A page that opens in key navigation puts the cursor on the remembered
    // place, then on the item nearest to it, in one frame; the window system
    // reports both moves, in that order, by the next poll.
    backend->warpMouse(120.0f, 0.0f);
    backend->warpMouse(120.0f, 101.0f);
    SDL_PumpEvents();
    SDL_Event queued[8];
    const int reported = SDL_PeepEvents(queued, 8, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION);
    ASSERT_GE(reported, 0) << SDL_GetError();
    if (reported == 0) {  // a driver that leaves the reports to the window system
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = 120;
        e.motion.y = 0;
        push(e);
        e.motion.y = 101;
        push(e);
    } else {
        ASSERT_EQ(reported, 2);
        EXPECT_EQ(queued[0].motion.y, 0);
        EXPECT_EQ(queued[1].motion.y, 101);
    }
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_EQ(input.mouseX, 120);
    EXPECT_EQ(input.mouseY, 101);  // where the cursor is, not where it passed
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_EQ(input.mouseY, 101);

    // One pixel of the user's own is movement, from where the cursor is.
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 121;
    e.motion.y = 101;
    push(e);
    poll();
    EXPECT_TRUE(input.mouseMoved);
    EXPECT_EQ(input.mouseX, 121);
    EXPECT_EQ(input.mouseY, 101);

    // A warp whose event never came is forgotten after two polls.
    backend->warpMouse(30.0f, 40.0f);
    SDL_FlushEvent(SDL_MOUSEMOTION);
    poll();
    poll();
    e.motion.x = 30;
    e.motion.y = 40;
    push(e);
    poll();
    EXPECT_TRUE(input.mouseMoved);
}

TEST_F(SdlBackendTest, TouchContactsInWindowPixelsAndNeverAsTheMouse) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;  // what SDL may make of a touch
    e.button.which = SDL_TOUCH_MOUSEID;
    e.button.button = SDL_BUTTON_LEFT;
    push(e);
    pushFinger(SDL_FINGERDOWN, 7, 0.5f, 0.25f);
    poll();
    EXPECT_FALSE(input.mouseButtons[0]);
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 7);
    EXPECT_FLOAT_EQ(input.touches[0].x, 160);
    EXPECT_FLOAT_EQ(input.touches[0].y, 60);

    pushFinger(SDL_FINGERDOWN, 9, 0.0f, 1.0f);
    pushFinger(SDL_FINGERUP, 7, 0.75f, 0.5f);
    poll();
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 9);
    EXPECT_FLOAT_EQ(input.touches[0].y, 240);

    // A tap between two polls shows for one poll.
    pushFinger(SDL_FINGERDOWN, 3, 0.1f, 0.1f);
    pushFinger(SDL_FINGERUP, 3, 0.1f, 0.1f);
    pushFinger(SDL_FINGERUP, 9, 0.0f, 1.0f);
    poll();
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 3);
    poll();
    EXPECT_TRUE(input.touches.empty());
}

TEST_F(SdlBackendTest, WindowSizeCursorAndClosing) {
    // The off-screen driver's drawing surface keeps the size it was made
    // with: SDL takes the new size as asked, the poll tells the size the
    // window really has.
    EXPECT_TRUE(backend->setFullScreen(false, 400, 300));
    backend->warpMouse(50, 60);
    poll();
    int sdlWidth = 0, sdlHeight = 0;
    SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &sdlWidth, &sdlHeight);
    EXPECT_EQ(sdlWidth, 400);
    EXPECT_EQ(sdlHeight, 300);
    EXPECT_EQ(window.width, 320);
    EXPECT_EQ(window.height, 240);
    int width = 0, height = 0;
    backend->windowSize(width, height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(input.mouseX, 50);
    backend->closeWindow();
    EXPECT_EQ(glContextInfo().major, 0);
    poll();
    EXPECT_EQ(window.width, 0);
    backend->present();  // nothing to show, no harm
}

TEST_F(SdlBackendUnfocusedTest, FocusAndMinimisingFollowTheWindowEvents) {
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    poll();
    EXPECT_TRUE(window.focused);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    poll();
    EXPECT_FALSE(window.focused);
    EXPECT_TRUE(window.minimized);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    poll();
    EXPECT_FALSE(window.minimized);
}

}  // namespace
