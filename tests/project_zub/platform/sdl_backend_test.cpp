// The SDL back-end, headless: an off-screen window with a real OpenGL context,
// and input injected into SDL's event queue.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/GLContext.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"

using namespace platform;

namespace {

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        backend = createSdlBackend();
        WindowSettings s;
        s.title = "Backend test";
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
        e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        push(e);
    }

    static void pushFinger(Uint32 type, SDL_FingerID finger, float x, float y) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 1;
        e.tfinger.fingerId = finger;
        e.tfinger.x = x;
        e.tfinger.y = y;
        e.tfinger.pressure = 1;
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

template <typename F>
F glFunction(const char* name) {
    return reinterpret_cast<F>(glProcAddress(name));
}

TEST_F(SdlBackendTest, ClearsTheFrameAndReadsItBack) {
    GLContextInfo info = glContextInfo();
    if (info.core)
        EXPECT_TRUE(info.major > 3 || (info.major == 3 && info.minor >= 3)) << info.major << "." << info.minor;
    else
        EXPECT_TRUE(info.major > 2 || (info.major == 2 && info.minor >= 1)) << info.major << "." << info.minor;

    auto clearColor = glFunction<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>("glClearColor");
    auto clear = glFunction<void (*)(GLbitfield)>("glClear");
    auto readPixels =
        glFunction<void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*)>("glReadPixels");
    auto getError = glFunction<GLenum (*)()>("glGetError");
    ASSERT_TRUE(clearColor && clear && readPixels && getError);

    for (int frame = 0; frame < 2; ++frame) {
        // A different colour each frame, so the second check sees a new frame.
        float red = frame == 0 ? 1.0f : 0.0f;
        clearColor(red, 0.5f, 0.25f, 1.0f);
        clear(GL_COLOR_BUFFER_BIT);
        unsigned char pixel[4] = {};
        readPixels(160, 120, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(getError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(pixel[0], frame == 0 ? 255 : 0);
        EXPECT_NEAR(pixel[1], 128, 1);
        EXPECT_NEAR(pixel[2], 64, 1);
        backend->present();
        poll();
        EXPECT_EQ(window.width, 320);
        EXPECT_EQ(window.height, 240);
    }
    EXPECT_TRUE(window.focused);
    EXPECT_FALSE(window.minimized);
    EXPECT_FALSE(window.closeRequested);
}

TEST_F(SdlBackendTest, GLFunctionsLinkedDirectlyDrawIntoTheSameContext) {
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 0);
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

TEST_F(SdlBackendTest, KeysFollowTheirEvents) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER);
    poll();
    EXPECT_EQ(input.keys[KEY_LEFT], 0x80);
    EXPECT_EQ(input.keys[KEY_NUMPADENTER], 0x80);
    EXPECT_EQ(input.keys[KEY_RIGHT], 0);
    EXPECT_EQ(input.typed, u"\r");

    // Held keys stay held while no events come.
    poll();
    EXPECT_EQ(input.keys[KEY_LEFT], 0x80);
    EXPECT_TRUE(input.typed.empty());

    pushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
    poll();
    EXPECT_EQ(input.keys[KEY_LEFT], 0);
    EXPECT_EQ(input.keys[KEY_NUMPADENTER], 0x80);

    // Losing the focus releases everything.
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    poll();
    EXPECT_EQ(input.keys[KEY_NUMPADENTER], 0);
    EXPECT_TRUE(window.focused);  // assumed focused

    // Keys without a code are ignored.
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_F20);
    poll();
    for (int k = 0; k < KEY_COUNT; ++k) EXPECT_EQ(input.keys[k], 0) << k;
}

TEST_F(SdlBackendTest, AKeyTappedBetweenTwoPollsIsHeldForOnePoll) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    pushKey(SDL_KEYUP, SDL_SCANCODE_SPACE);
    poll();
    EXPECT_EQ(input.keys[KEY_SPACE], 0x80);
    poll();
    EXPECT_EQ(input.keys[KEY_SPACE], 0);

    // Down, up and down again: held, and still held afterwards.
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_X);
    pushKey(SDL_KEYUP, SDL_SCANCODE_X);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_X);
    poll();
    EXPECT_EQ(input.keys[KEY_X], 0x80);
    poll();
    EXPECT_EQ(input.keys[KEY_X], 0x80);
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
    EXPECT_EQ(input.keys[KEY_BACK], 0x80);
    EXPECT_EQ(input.keys[KEY_RETURN], 0);  // a repeat alone does not press a key
    poll();
    EXPECT_TRUE(input.typed.empty());
}

TEST_F(SdlBackendTest, MouseMotionButtonsAndWheel) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.which = 0;
    e.motion.x = 10;
    e.motion.y = 20;
    push(e);
    poll();
    EXPECT_TRUE(input.mouseMoved);
    EXPECT_EQ(input.mouseX, 10);
    EXPECT_EQ(input.mouseY, 20);
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_EQ(input.mouseX, 10);

    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.state = SDL_PRESSED;
    e.button.x = 11;
    e.button.y = 21;
    push(e);
    e.button.button = SDL_BUTTON_X1;
    push(e);
    poll();
    EXPECT_FALSE(input.mouseButtons[0]);
    EXPECT_TRUE(input.mouseButtons[1]);
    EXPECT_FALSE(input.mouseButtons[2]);
    EXPECT_TRUE(input.mouseButtons[3]);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.state = SDL_RELEASED;
    e.button.button = SDL_BUTTON_RIGHT;
    push(e);
    poll();
    EXPECT_FALSE(input.mouseButtons[1]);
    EXPECT_TRUE(input.mouseButtons[3]);

    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 1;
    push(e);
    push(e);
    e.wheel.y = -3;
    push(e);
    poll();
    EXPECT_EQ(input.wheel, -1);
    poll();
    EXPECT_EQ(input.wheel, 0);
}

TEST_F(SdlBackendTest, MouseEventsMadeFromTouchesAreIgnored) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.which = SDL_TOUCH_MOUSEID;
    e.motion.x = 100;
    e.motion.y = 100;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.which = SDL_TOUCH_MOUSEID;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    push(e);
    poll();
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_FALSE(input.mouseButtons[0]);
    EXPECT_NE(input.mouseX, 100);
}

TEST_F(SdlBackendTest, TouchContactsInWindowPixels) {
    pushFinger(SDL_FINGERDOWN, 7, 0.5f, 0.25f);
    poll();
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 7);
    EXPECT_FLOAT_EQ(input.touches[0].x, 160);
    EXPECT_FLOAT_EQ(input.touches[0].y, 60);

    pushFinger(SDL_FINGERDOWN, 9, 0.0f, 1.0f);
    pushFinger(SDL_FINGERMOTION, 7, 0.75f, 0.5f);
    poll();
    ASSERT_EQ(input.touches.size(), 2u);
    EXPECT_EQ(input.touches[0].id, 7);
    EXPECT_FLOAT_EQ(input.touches[0].x, 240);
    EXPECT_FLOAT_EQ(input.touches[0].y, 120);
    EXPECT_EQ(input.touches[1].id, 9);
    EXPECT_FLOAT_EQ(input.touches[1].x, 0);
    EXPECT_FLOAT_EQ(input.touches[1].y, 240);

    pushFinger(SDL_FINGERUP, 7, 0.75f, 0.5f);
    poll();
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 9);
    pushFinger(SDL_FINGERUP, 9, 0.0f, 1.0f);
    poll();
    EXPECT_TRUE(input.touches.empty());

    // A tap between two polls shows for one poll.
    pushFinger(SDL_FINGERDOWN, 3, 0.1f, 0.1f);
    pushFinger(SDL_FINGERUP, 3, 0.1f, 0.1f);
    poll();
    ASSERT_EQ(input.touches.size(), 1u);
    EXPECT_EQ(input.touches[0].id, 3);
    EXPECT_FLOAT_EQ(input.touches[0].x, 32);
    poll();
    EXPECT_TRUE(input.touches.empty());
    EXPECT_FALSE(input.mouseMoved);
    EXPECT_FALSE(input.mouseButtons[0]);
}

TEST_F(SdlBackendTest, NoControllersWhenNoneIsConnected) {
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a joystick is connected";
    poll();
    for (const JoystickState& js : input.joysticks) {
        EXPECT_FALSE(js.present);
        EXPECT_EQ(js.buttons, 0u);
    }
}

TEST_F(SdlBackendTest, MessageBoxGoesToStderrWithoutADisplay) {
    ::testing::internal::CaptureStderr();
    backend->showMessageBox(u"Error", u"Something went wrong: \u00e4");
    std::string text = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("Error: Something went wrong: \xC3\xA4"), std::string::npos) << text;
}

TEST_F(SdlBackendTest, DisplayModesWindowSizeAndCursor) {
    for (const Backend::DisplayMode& m : backend->displayModes()) {
        EXPECT_GT(m.width, 0);
        EXPECT_GT(m.height, 0);
    }
    EXPECT_TRUE(backend->setFullScreen(false, 400, 300));
    poll();
    EXPECT_EQ(window.width, 400);
    EXPECT_EQ(window.height, 300);

    backend->showCursor(false);
    backend->showCursor(true);
    backend->warpMouse(50, 60);
    poll();
    EXPECT_EQ(input.mouseX, 50);
    EXPECT_EQ(input.mouseY, 60);
}

TEST_F(SdlBackendTest, ClosedWindowReportsNoSize) {
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
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    poll();
    EXPECT_TRUE(window.focused);
    EXPECT_FALSE(window.minimized);
}

}  // namespace
