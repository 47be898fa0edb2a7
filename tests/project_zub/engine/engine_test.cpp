#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ContextManager.h"
#include "engine/FocusManager.h"
#include "gfx/Context.h"
#include "input/ZubInput.h"
#include "platform/Platform.h"
#include "sys/ErrorManager.h"

namespace {

std::vector<std::string> journal;

// An object with a square hit area around (x, y) in reference space.
class Target : public ZubBase {
public:
    Target(std::string n, float x, float y) : name(std::move(n)), x(x), y(y) {}
    bool isMouseInside() override {
        ZubInput* in = ZubInput::active();
        return in && std::abs(in->mouseX - x) < 10 && std::abs(in->mouseY - y) < 10;
    }
    bool onEvent(ZubEvent& ev) override {
        journal.push_back(name + " " + std::to_string(ev.code) +
                          (ev.code == EVENT_KEY ? ":" + std::to_string(ev.key) : ""));
        return true;
    }
    bool onPreviewEvent(ZubEvent& ev) override {
        journal.push_back("preview " + name + " " + std::to_string(ev.code));
        return false;
    }
    std::string name;
    float x, y;
};

class Screen : public Context {
public:
    explicit Screen(std::string n) : name(std::move(n)) {}
    ~Screen() override { journal.push_back("~" + name); }
    void onActivate(bool first) override { journal.push_back(name + " activate " + (first ? "first" : "again")); }
    void onDeactivate(bool removed) override {
        journal.push_back(name + " deactivate " + (removed ? "removed" : "covered"));
    }
    void tickContents(double t, double dt) override {
        journal.push_back(name + " tick");
        Context::tickContents(t, dt);
    }
    std::string name;
};

struct Rig {
    platform::NullBackend backend;
    ZubInput input;
    FocusManager focus;
    platform::WindowState window;
    // A screen over the others that takes every press in its tick.
    ZubBase* taker = nullptr;
    Rig() {
        std::string err;
        backend.openWindow(platform::WindowSettings{}, err);
        journal.clear();
    }
    void frame(ZubBase* root) {
        platform::InputSnapshot s;
        backend.poll(s, window);
        input.update(s);
        if (taker && input.wasPointerPressed(0)) input.setPointerOwner(taker);
        focus.update(root, input);
    }
    void mouseTo(float x, float y) {  // reference space = window pixels here
        backend.next.mouseX = x;
        backend.next.mouseY = 768 - y;
        backend.next.mouseMoved = true;
    }
    // The button went down, or up, at (x, y) in the coming poll.
    void pressAt(float x, float y) {
        backend.next.mouseButtons[0] = true;
        backend.next.mousePressed[0] = true;
        backend.next.mousePressX[0] = x;
        backend.next.mousePressY[0] = 768 - y;
    }
    void releaseAt(float x, float y) {
        backend.next.mouseButtons[0] = false;
        backend.next.mouseReleased[0] = true;
        backend.next.mouseReleaseX[0] = x;
        backend.next.mouseReleaseY[0] = 768 - y;
    }
    // To a point, the button down (a frame) and up (a frame); the journal
    // starts afresh.
    void clickAt(ZubBase* root, float x, float y) {
        mouseTo(x, y);
        backend.next.mouseButtons[0] = true;
        frame(root);
        backend.next.mouseButtons[0] = false;
        frame(root);
        journal.clear();
    }
};

TEST(Focus, PressMovesTheFocusAndClicks) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    auto* b = new Target("b", 300, 100);
    root.addChild(a);
    root.addChild(b);
    r.mouseTo(100, 100);
    r.frame(&root);
    EXPECT_EQ(r.focus.getHover(), a);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    EXPECT_EQ(r.focus.getFocus(), a);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 3", "a 4"}));
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    journal.clear();
    r.mouseTo(300, 100);
    r.frame(&root);  // a move goes to the focus
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 7", "a 2", "b 3", "b 4"}));

    // A press that a screen above took in its tick is the screen's: the
    // focus stays, and what lies beneath is neither clicked nor dragged.
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    journal.clear();
    ZubBase screen;
    r.taker = &screen;
    r.mouseTo(100, 100);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    EXPECT_EQ(r.focus.getHover(), a);
    EXPECT_EQ(r.focus.getFocus(), b);
    r.mouseTo(130, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 7", "b 7"}));
}

TEST(Focus, DragKeysAndTypedCharactersGoToTheFocus) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    root.addChild(a);
    r.mouseTo(100, 100);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    journal.clear();
    r.mouseTo(130, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    journal.clear();
    r.backend.next.keys[30] = 0x80;
    r.frame(&root);
    r.backend.next.typed.assign(1, u'x');
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 6:30", "a 6:0"}));
}

TEST(Focus, APressThatComesWithMovementDragsFromTheNextFrameOn) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    auto* b = new Target("b", 300, 100);
    root.addChild(a);
    root.addChild(b);
    r.clickAt(&root, 100, 100);
    // The pointer jumps onto b and goes down in the same frame: the focus
    // moves and b is clicked, but neither dragged nor told of the movement
    // that came before the press.
    r.mouseTo(300, 100);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 2", "b 3", "b 4"}));
    journal.clear();
    r.mouseTo(305, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 5", "b 7"}));
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    journal.clear();
    // A press with a jump onto the focus it has: a click and the move, no drag.
    r.mouseTo(295, 105);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 4", "b 7"}));
}

// The press carries its own position: in the poll it comes in, the pointer
// may have jumped to it and then moved on. The press lands on what stands
// where it came (not where the pointer ended up), and what the pointer moved
// after it drags what the press took hold of, in the next frame.
TEST(Focus, APressLandsWhereItCameAndTheMovementAfterItDragsNext) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    auto* b = new Target("b", 300, 100);
    root.addChild(a);
    root.addChild(b);
    r.clickAt(&root, 100, 100);
    // From a, the pointer jumps onto b, goes down there and moves 30 on, off
    // b, all in one poll: b is pressed, and dragged the 30 in the next frame.
    r.pressAt(300, 100);
    r.mouseTo(330, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 2", "b 3", "b 4"}));
    EXPECT_EQ(r.input.mouseX, 300.0f);
    EXPECT_EQ(r.input.getPointer(0)->downX, 300.0f);
    journal.clear();
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 5", "b 7"}));
    EXPECT_EQ(r.input.mouseX, 330.0f);
    EXPECT_EQ(r.input.mouseDeltaX, 30.0f);
    EXPECT_TRUE(r.input.isPointerDragged(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    journal.clear();

    // Movement polled meanwhile is newer than what came after the press.
    r.pressAt(100, 100);
    r.mouseTo(104, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 2", "a 3", "a 4"}));
    journal.clear();
    r.mouseTo(108, 103);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    EXPECT_EQ(r.input.mouseX, 108.0f);
    EXPECT_EQ(r.input.mouseDeltaX, 8.0f);
    EXPECT_EQ(r.input.mouseDeltaY, 3.0f);
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    journal.clear();

    // Down, on and up again within one poll (a flick): the window system
    // shows the button held for that poll; the movement still drags, held,
    // in the next frame, and the button is up in the one after.
    r.pressAt(108, 103);
    r.mouseTo(128, 103);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 4"}));
    journal.clear();
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    EXPECT_TRUE(r.input.isPointerHeld(0));
    EXPECT_EQ(r.input.mouseDeltaX, 20.0f);
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    journal.clear();

    // The program puts the pointer somewhere after the press: it stays there.
    r.pressAt(108, 103);
    r.mouseTo(120, 103);
    r.frame(&root);
    r.input.setMousePosition(300, 100, 0);
    journal.clear();
    r.frame(&root);
    EXPECT_EQ(journal, std::vector<std::string>{});
    EXPECT_EQ(r.input.mouseX, 300.0f);
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);

    // Straight up after the press, in its poll: that movement drags too.
    r.pressAt(300, 100);
    r.mouseTo(300, 130);
    r.frame(&root);
    EXPECT_EQ(r.input.mouseY, 100.0f);
    journal.clear();
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 5", "b 7"}));
    EXPECT_EQ(r.input.mouseY, 130.0f);
    EXPECT_EQ(r.input.mouseDeltaY, 30.0f);
}

// The release carries its own place too. The movement before it in its
// poll drags what the press took hold of, with the button held; the release
// comes in the next frame, where the button went up; the movement after it
// comes after that, with the button up. A press that came after the release
// in the same poll comes after it, where it came.
TEST(Focus, AReleaseComesWhereItWasMadeAfterTheMovementBeforeItDragged) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    auto* b = new Target("b", 300, 100);
    root.addChild(a);
    root.addChild(b);
    r.clickAt(&root, 100, 100);
    auto holdOnA = [&] {
        r.mouseTo(100, 100);
        r.backend.next.mouseButtons[0] = true;
        r.frame(&root);
        journal.clear();
    };

    // Held on a, 30 on and up there, in one poll: a is dragged the 30.
    holdOnA();
    r.mouseTo(130, 100);
    r.releaseAt(130, 100);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    EXPECT_TRUE(r.input.isPointerHeld(0));
    EXPECT_EQ(r.input.mouseDeltaX, 30.0f);
    journal.clear();
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_EQ(journal, std::vector<std::string>{});
    EXPECT_EQ(r.input.mouseX, 130.0f);

    // Held on a, 20 on, up there and 40 up with the button up, in one poll.
    holdOnA();
    r.releaseAt(120, 100);
    r.mouseTo(120, 140);
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    EXPECT_EQ(r.input.mouseX, 120.0f);
    EXPECT_EQ(r.input.mouseY, 100.0f);
    journal.clear();
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_EQ(r.input.mouseY, 100.0f);
    EXPECT_EQ(journal, std::vector<std::string>{});
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 7"}));
    EXPECT_EQ(r.input.mouseY, 140.0f);
    EXPECT_EQ(r.input.mouseDeltaY, 40.0f);
    EXPECT_FALSE(r.input.isPointerHeld(0));

    // Down on a, on, up and on again within one poll (a flick; the window
    // system shows the button held for that poll), S held in it: the press,
    // the drag to where the button went up, the release, then the movement
    // after it. S let go in the next poll is still held for the flick's
    // steps, and Escape tapped in the poll after that still goes down,
    // both after them.
    journal.clear();
    r.pressAt(100, 100);
    r.releaseAt(110, 100);
    r.backend.next.mouseButtons[0] = true;
    r.backend.next.keys[31] = 0x80;
    r.mouseTo(110, 125);
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_EQ(r.input.mouseX, 100.0f);
    EXPECT_EQ(r.input.mouseY, 100.0f);
    journal.clear();
    r.backend.next.mouseButtons[0] = false;
    r.backend.next.keys[31] = 0;
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 5", "a 7"}));
    EXPECT_EQ(r.input.mouseX, 110.0f);
    EXPECT_EQ(r.input.mouseY, 100.0f);
    EXPECT_TRUE(r.input.isKeyDown(31));
    r.backend.next.keys[1] = 0x80;
    r.frame(&root);
    r.backend.next.keys[1] = 0;
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_EQ(r.input.mouseX, 110.0f);
    EXPECT_TRUE(r.input.isKeyDown(31));
    journal.clear();
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"a 7"}));
    EXPECT_EQ(r.input.mouseY, 125.0f);
    EXPECT_TRUE(r.input.isKeyDown(31));
    r.frame(&root);
    EXPECT_FALSE(r.input.isPointerHeld(0));
    EXPECT_FALSE(r.input.wasPointerPressed(0));
    EXPECT_FALSE(r.input.isKeyDown(31));
    r.frame(&root);
    EXPECT_TRUE(r.input.wasKeyPressed(1));
    r.frame(&root);
    EXPECT_FALSE(r.input.isKeyDown(1));

    // Held on a; up and down again on b, 10 on, within one poll: the
    // release, then the press on b (the jump to it drags nothing), then
    // the drag of b.
    holdOnA();
    r.releaseAt(100, 100);
    r.pressAt(300, 100);
    r.mouseTo(310, 100);
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_EQ(r.input.mouseX, 100.0f);
    EXPECT_EQ(journal, std::vector<std::string>{});
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_EQ(journal, (std::vector<std::string>{"a 2", "b 3", "b 4"}));
    EXPECT_EQ(r.input.mouseX, 300.0f);
    journal.clear();
    r.frame(&root);
    EXPECT_EQ(journal, (std::vector<std::string>{"b 5", "b 7"}));
    EXPECT_EQ(r.input.mouseDeltaX, 10.0f);

    // Held on b, the window loses the focus: the back-end lets the button
    // go without a release. The window system's release comes later all
    // the same: no button of this layer's went up, and no press comes of it.
    r.backend.next.mouseButtons[0] = false;
    r.frame(&root);
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    journal.clear();
    r.releaseAt(320, 100);
    r.frame(&root);
    EXPECT_FALSE(r.input.wasPointerPressed(0));
    r.frame(&root);
    r.frame(&root);
    EXPECT_FALSE(r.input.isPointerHeld(0));
    EXPECT_EQ(journal, std::vector<std::string>{});
}

TEST(Focus, DisabledAncestorsAndHiddenObjectsAreNotHit) {
    Rig r;
    ZubBase root;
    auto* panel = new ZubBase;
    auto* under = new Target("under", 100, 100);
    auto* a = new Target("a", 100, 100);
    root.addChild(under);
    root.addChild(panel);
    panel->addChild(a);  // drawn last: on top
    r.mouseTo(100, 100);
    r.frame(&root);
    EXPECT_EQ(r.focus.getHover(), a);
    int skip = 1;
    EXPECT_EQ(root.findObjectUnderMouse(skip), under);  // the skip count steps past the top one
    r.focus.setFocus(a);
    journal.clear();
    panel->bDisabled = 1;
    r.backend.next.keys[57] = 0x80;
    r.frame(&root);
    EXPECT_TRUE(journal.empty());  // no key event through a disabled ancestor
    EXPECT_EQ(r.focus.getHover(), under);
    panel->bDisabled = 0;
    a->bHidden = 1;
    skip = 0;
    EXPECT_EQ(root.findObjectUnderMouse(skip), under);
}

TEST(Focus, AnObjectDestroyedWithTheFocusLeavesNothingDangling) {
    Rig r;
    ZubBase root;
    auto* a = new Target("a", 100, 100);
    root.addChild(a);
    r.mouseTo(100, 100);
    r.backend.next.mouseButtons[0] = true;
    r.frame(&root);
    ASSERT_EQ(r.focus.getFocus(), a);
    ASSERT_EQ(r.focus.getHover(), a);
    a->destroy();
    EXPECT_EQ(r.focus.getFocus(), nullptr);
    EXPECT_EQ(r.focus.getHover(), nullptr);
    r.backend.next.keys[57] = 0x80;
    r.frame(&root);  // no event to a freed object (ASan)
}

TEST(Contexts, StepIsCappedScaledAndChangedByTheDebugKeysOnlyWhenUnlocked) {
    Rig r;
    Context c;
    EXPECT_DOUBLE_EQ(c.computeStep(0.5), 1.0 / 30.0);
    c.timeScale = 0.5;
    c.tick(0, 0.02);
    EXPECT_DOUBLE_EQ(c.time, 0.01);
    c.timeScale = 1.0;
    r.backend.next.keys[87] = 0x80;  // F11
    r.frame(nullptr);
    EXPECT_DOUBLE_EQ(c.computeStep(0.01), 0.01);
    Context::environment.bDebugKeys = true;
    EXPECT_DOUBLE_EQ(c.computeStep(0.01), 0.05);
    r.backend.next.keys[87] = 0;
    r.backend.next.keys[68] = 0x80;  // F10
    r.frame(nullptr);
    EXPECT_DOUBLE_EQ(c.computeStep(0.01), 0.001);
    Context::environment.bDebugKeys = false;
}

TEST(Contexts, TimeLimitEscapeAndCloseOnFire) {
    Rig r;
    Context c;
    c.timeLimit = 0.05;
    for (int i = 0; i < 5; ++i) c.tick(0, 0.01);
    EXPECT_FALSE(c.done);
    c.tick(0, 0.01);
    EXPECT_TRUE(c.done);

    Context e;
    r.backend.next.keys[1] = 0x80;
    r.frame(nullptr);
    e.tick(0, 0.01);
    EXPECT_TRUE(e.done);

    Context asks;
    asks.bConfirmEscape = 1;
    static Context* asked = nullptr;
    Context::environment.confirmClose = [](Context* c) { asked = c; };
    r.backend.next.keys[1] = 0;
    r.frame(nullptr);
    r.backend.next.keys[1] = 0x80;
    r.frame(nullptr);
    asks.tick(0, 0.01);
    EXPECT_FALSE(asks.done);
    EXPECT_EQ(asked, &asks);
    Context::environment.confirmClose = nullptr;

    Context fire;
    fire.bCloseOnFire = 1;
    r.backend.next.keys[1] = 0;
    r.frame(nullptr);
    fire.tick(0, 0.01);
    EXPECT_FALSE(fire.done);
    r.backend.next.mouseButtons[0] = true;
    r.frame(nullptr);
    fire.tick(0, 0.01);
    EXPECT_TRUE(fire.done);
}

TEST(Contexts, MousePositionFollowsTheCamera) {
    Rig r;
    Context c;
    c.camera->resetAt(0, 384, -512);
    r.mouseTo(512, 384);  // centre of the reference screen
    r.frame(nullptr);
    c.updateMousePosition();
    EXPECT_FLOAT_EQ(c.mousePosition.x, 0);
    EXPECT_FLOAT_EQ(c.mousePosition.y, 384);
    r.mouseTo(0, 0);
    r.frame(nullptr);
    c.updateMousePosition();
    EXPECT_FLOAT_EQ(c.mousePosition.x, -512);
    EXPECT_FLOAT_EQ(c.mousePosition.y, 0);
    EXPECT_FLOAT_EQ(c.mouseMovement.x, -512);
    // A point seen through another camera.
    Context other;
    other.camera->resetAt(1000, 1000, -1024);  // twice as far: half the scale
    const V3 p = other.convertPointFrom(&c, V3(-512, 0, 0));
    EXPECT_FLOAT_EQ(p.x, 1000 - 1024);
    EXPECT_FLOAT_EQ(p.y, 1000 - 768);
}

TEST(ScreenStack, ActivationOrderAndFirstActivation) {
    ContextManager m;
    auto* a = new Screen("a");
    auto* b = new Screen("b");
    m.pushContext(a);
    journal.clear();
    m.tick(0, 0.01);
    m.pushContext(b);
    m.tick(0, 0.01);
    b->done = 1;
    m.tick(0, 0.01);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"a activate first", "a tick", "a deactivate covered", "b activate first",
                                        "b tick", "b deactivate removed", "a activate again", "a tick"}));
    delete b;  // only unlinked: not delete-when-done
}

TEST(ScreenStack, ADoneContextBelowTheTopGoesWhenItBecomesTheTop) {
    ContextManager m;
    auto* a = new Screen("a");
    auto* b = new Screen("b");
    auto* c = new Screen("c");
    for (Screen* s : {a, b, c}) {
        s->bDeleteWhenDone = 1;
        m.pushContext(s);
    }
    m.tick(0, 0.01);
    b->done = 1;  // below the top: stays for now
    m.tick(0, 0.01);
    EXPECT_EQ(m.getTop(), c);
    journal.clear();
    c->done = 1;
    m.tick(0, 0.01);
    EXPECT_EQ(journal, (std::vector<std::string>{"c deactivate removed", "~c", "b deactivate removed", "~b",
                                                 "a activate first", "a tick"}));
    EXPECT_EQ(m.getTop(), a);
    EXPECT_FALSE(m.bQuit);
    a->done = 1;
    m.tick(0, 0.01);
    EXPECT_TRUE(m.bQuit);
    EXPECT_EQ(m.getTop(), nullptr);
}

// A screen that goes takes the input focus with it when the focus is on it
// or inside it; a focus on the screen beneath stays. (The pages are not
// deleted when done, so that a focus left on them would show.)
TEST(ScreenStack, APoppedScreenTakesOnlyItsOwnFocusWithIt) {
    FocusManager focus;
    ContextManager m;
    auto* level = new Screen("level");
    auto* picked = new ZubBase;
    level->addChild(picked);
    m.pushContext(level);
    focus.setFocus(picked);
    for (const int on : {0, 1, 2}) {  // beneath, inside the page, the page
        Screen page("page");
        auto* box = new ZubBase;
        page.addChild(box);
        m.pushContext(&page);
        m.tick(0, 0.01);
        if (on == 1) focus.setFocus(box);
        if (on == 2) focus.setFocus(&page);
        page.done = 1;
        m.tick(0, 0.01);
        EXPECT_EQ(m.getTop(), level);
        EXPECT_EQ(focus.getFocus(), on == 0 ? picked : nullptr) << on;
    }
}

TEST(ScreenStack, TheFrameRateIsMeasuredAndItsFigureDrawnWhenAskedUnlessTheTopHidesIt) {
    ContextManager m;
    auto* a = new Screen("a");
    m.pushContext(a);
    uint8_t show = 0;
    m.showFrameRate = &show;
    std::vector<Context*> drawnOver;
    m.drawFrameRate = [&](Context* top) { drawnOver.push_back(top); };

    // 50 ticks a second, then 25: the figure follows each whole second.
    double t = 0.0;
    m.tick(t, 0.0);
    EXPECT_EQ(m.frameRate, 0.0);
    for (int i = 0; i < 10; ++i) m.tick(t += 0.02, 0.02);
    EXPECT_NEAR(m.frameRate, 50.0, 0.01);  // before a whole second: the time so far
    for (int i = 0; i < 90; ++i) m.tick(t += 0.02, 0.02);
    EXPECT_NEAR(m.frameRate, 50.0, 0.01);
    for (int i = 0; i < 25; ++i) m.tick(t += 0.04, 0.04);
    EXPECT_NEAR(m.frameRate, 25.0, 0.01);

    m.renderContext();
    EXPECT_TRUE(drawnOver.empty());
    show = 1;
    m.renderContext();
    EXPECT_EQ(drawnOver, std::vector<Context*>{a});
    a->bHideFrameRate = 1;
    m.renderContext();
    EXPECT_EQ(drawnOver.size(), 1u);
}

TEST(ScreenStack, OnlyContextsGoOnTheStack) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        {
            ContextManager m;
            m.addChild(new ZubBase);
        },
        ::testing::ExitedWithCode(255), "isDerivedFrom");
}

}  // namespace
