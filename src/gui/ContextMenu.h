#pragma once
// The screen base of every menu page and in-game overlay.
//
// A menu holds its items as children and keeps an entry list (one MenuEntry
// per navigable item, in the order of adding) for the keys and pads. Key
// navigation keeps no selected item: it moves the mouse cursor itself, in
// the pressed direction, onto the best anchor an item offers, and turns the
// confirm key into a pointer tap at the cursor, so that pointer, touch, keys
// and pads all reach the items through one hover-and-click path.
//
// Keys read (edges of the input tables; pad 1 and pad 2):
//   up 200 256 304, down 208 257 305, left 203 258 306, right 205 259 307,
//   confirm 28 272 320 (down latches, up taps), back 273 321.
// Key navigation runs only while bKeyNavigation is set and not in the frame
// of a navigation-mode change nor the one after it.
//
// Navigation mode (shared by all menus): 1 pointer, 2 keys. Any navigation
// or confirm key makes it 2; the mouse moving more than 2 units in a frame,
// or touch input, makes it 1.
//
// Reading order: every menu built sets readingSign and
// defaultCaptionLocation from the language's right-to-left flag; items read
// them when they are built.
#include <cstdint>

#include "gfx/Context.h"
#include "gui/CursorTarget.h"

class MenuButton;
class MenuItemLink;
class Renderable;

// One navigable item of a menu; the reference empties when the item dies and
// the next walk of the list removes the entry.
class MenuEntry : public ZubBase {
    ZUB_DECLARE_CLASS(MenuEntry)
public:
    MenuEntry();
    MenuEntry(Renderable* item, CursorTarget* anchors);
    ~MenuEntry() override;

    // The anchors of the live item, or null once it has gone.
    CursorTarget* target() const { return item.get() ? anchors : nullptr; }

    ZubBaseReference item;
    CursorTarget* anchors = nullptr;
};

class ContextMenu : public Context {
    ZUB_DECLARE_CLASS(ContextMenu)
public:
    enum NavigationMode : int32_t { NAVIGATION_POINTER = 1, NAVIGATION_KEYS = 2 };
    enum Direction : int { UP = 0, DOWN = 1, LEFT = 2, RIGHT = 3, NEAREST = 4 };

    ContextMenu();
    ~ContextMenu() override;

    // Appends the item as the last child and gives it its entry (in the
    // navigation owner's list when one is set).
    void addItem(Renderable* item);
    // Appends an entry for an item (any Renderable that is a CursorTarget;
    // others get none). For items attached to the tree by the page itself.
    void createItemHandler(Renderable* item);
    // A push button or a link button made at (x, y, z) and added.
    MenuButton* addButton(std::u16string_view caption, std::u16string_view hint, const V3& position);
    MenuItemLink* addLinkButton(std::u16string_view caption, std::u16string_view hint, const V3& position);

    // Logs and stores a new mode with the frame of the change.
    static void setMenuNavigationMode(int32_t mode);
    // The reference-screen point the cursor goes to from (x, y, z) in a
    // direction: the best-scoring anchor of a visible item on the screen,
    // or the point itself when there is none (no wrap-around).
    V3 findNavigationTarget(const V3& from, int direction);
    // 256 x cosine / distance for directions 0-3 (-1 within 4 units);
    // 256 / max(distance, 1) for direction 4; 0 for any other.
    static float scoreAnchor(const V3& from, const V3& to, int direction);

    // A world point of this menu as a reference-screen point, and back.
    V3 worldToScreen(const V3& world) const;
    V3 screenToWorld(const V3& screen) const;

    void tickContents(double time, double dt) override;
    void renderContents() override;
    void onActivate(bool firstTime) override;
    void onDeactivate(bool removed) override;
    void onInputModeChange(int mode) override;

    int32_t itemSpacing = 50;
    int32_t marginY = 40;
    int32_t marginX = 40;
    int32_t layoutX;  // reference width / 2 + itemSpacing / 2 - marginX
    int32_t layoutY;  // reference height / 2 - marginY
    uint8_t bKeyNavigation = 1;
    ContextMenu* navigationOwner = nullptr;  // receives the entries of items added here
    ZubBase entries;                         // MenuEntry children (not a child of the menu)
    V3 cursorMemory;                         // reference-screen cursor when the menu was covered
    uint8_t bConfirmLatched = 0;

    static int32_t navigationMode;
    static int32_t navigationModeFrame;     // an engine frame number: see forgetEngineRun
    static float readingSign;               // +1 left to right, -1 right to left
    static int32_t defaultCaptionLocation;  // 4 left to right, 6 right to left

    // The engine has gone (a restart): the frame of the last mode change
    // names a frame of its counter, which the next engine starts again from
    // 0, so it goes back to -1 (no change yet) lest keys wait for the new
    // counter to catch up. The mode and the reading order stay: they belong
    // to the program, not to one engine.
    static void forgetEngineRun() { navigationModeFrame = -1; }

private:
    // Calls f(target, anchor) for every anchor of every visible item on the
    // entry list, removing the entries of dead items on the way.
    template <class F>
    void forEachAnchor(F&& f);
};
