#pragma once
// A screen stack for tests of menus, run headless the way the engine runs
// the game: every frame the input layer takes one poll of a scripted device
// state (keys, pads, mouse, touch, typed text), the stack ticks its top
// screen, the focus manager dispatches, and the frame counter and the clock
// advance by a fixed step. Everything reaches the menus through the real
// input tables and pointer records.
//
// It provides what the GUI takes from the program (gui::Environment): the
// stack, the pending address, the English language, a configuration in a
// temporary user folder, and a counter of configuration pushes; every
// texture and sound of the resource manifest (placeholder pixels with the
// real frames) and the game's six fonts, loaded from the generated glyph
// pages; a graphics object on the recording device.
//
// Positions are reference-screen points (x from the left, y from the bottom),
// where items offer their anchors (CursorTarget::cursorAnchor).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ContextManager.h"
#include "engine/FocusManager.h"
#include "gfx/ZubGraphics.h"
#include "gui/CursorTarget.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceManager.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "records/GameConfiguration.h"

class FontQuad;

namespace menutest {

class MenuHarness {
public:
    static constexpr double DT = 0.01;

    MenuHarness();
    ~MenuHarness();
    MenuHarness(const MenuHarness&) = delete;
    MenuHarness& operator=(const MenuHarness&) = delete;

    // --- the stack ---------------------------------------------------------------------------
    template <class T>
    T* push(T* screen) {
        stack->pushContext(screen);
        return screen;
    }
    Context* top() const { return stack->getTop(); }
    template <class T>
    T* topAs() const {
        return dynamic_cast<T*>(top());
    }
    int depth() const { return stack->countChildren(); }

    // --- frames --------------------------------------------------------------------------------
    // Runs frames: poll, tick, focus, and drawing (unless turned off).
    void step(int frames = 1);
    // Draws the stack into the recording device (its records cleared first).
    void draw();
    bool drawEveryFrame = true;

    // --- scripted input (what the next poll reports) -----------------------------------------
    void keyDown(int code);
    void keyUp(int code);
    // Down for one frame, then up for one frame.
    void pressKey(int code);
    // Controller c (0-3): a button (held or not), the hat (bits 1 up, 2 right, 4 down, 8 left).
    void padButton(int c, int button, bool down);
    void padHat(int c, uint8_t bits);
    void moveMouse(float x, float y);
    void mouseButton(bool down);
    // Moves there (a frame), presses (a frame), releases (a frame).
    void click(float x, float y);
    void click(const V3& at) { click(at.x, at.y); }
    // click() on an item's anchor.
    void click(CursorTarget* item, int anchor = 0) { click(item->cursorAnchor(anchor)); }
    // A finger held at a point, and lifted.
    void touchDown(int64_t id, float x, float y);
    void touchUp(int64_t id);
    // Characters handed out one a frame by the input layer.
    void type(std::u16string_view text);

    V3 mouse() const { return V3(input->mouseX, input->mouseY, input->mouseZ); }

    // A font of the game by resource name ("fontMedium").
    FontQuad* font(std::u16string_view name) const;

    // --- what the program sees ----------------------------------------------------------------
    std::unique_ptr<ZubInput> input;
    FocusManager focus;
    ResourceManager resources;
    std::unique_ptr<ZubGraphics> graphics;
    platform::NullRenderDevice* device = nullptr;
    Language language;
    std::unique_ptr<GameConfiguration> configuration;
    ContextManager* stack = nullptr;
    WString pendingUrl;
    int configurationPushes = 0;

    int frame = 0;
    double time = 0.0;

private:
    platform::InputSnapshot next;
    std::string userFolder;
    int32_t previousFrameNumber;
    Context* previousCurrent;
};

// The game's six fonts and their glyph pages, loaded once per test program
// from the generated content, registered under their names; false (with a
// failure added) when the content has not been built.
bool registerGameFonts(ResourceManager& resources);

}  // namespace menutest
