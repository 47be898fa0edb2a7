#pragma once
// The pause menu of a level: the root object opens it on Escape, Pause or
// the HUD's pause button while the level is played, and the level stands
// still behind it. A "Paused" panel with three buttons:
//   Resume game    closes the menu (as Escape, or the jump binding once the
//                  overlay's guard time has passed, do);
//   Restart level  after "Are you sure?": the server's outcome becomes 6;
//   End level      after "Are you sure?": the outcome becomes 1; the jump
//                  binding pressed while the pointer is on the button ends the
//                  level at once, without the question.
// The level manager ends the level on the outcome, with the menu still open.
// The options button appears once the program has an options menu to open.
#include <cstdint>

#include "flow/Overlay.h"

class MenuButton;

class OverlayMenu : public Overlay {
    ZUB_DECLARE_CLASS(OverlayMenu)
public:
    // The outcomes the menu hands the level manager.
    static constexpr int32_t OUTCOME_QUIT = 1;
    static constexpr int32_t OUTCOME_RESTART = 6;

    OverlayMenu();
    ~OverlayMenu() override;

    // The overlay's rules, then the buttons' clicks (each taken once).
    void tickContents(double time, double dt) override;
    // The frozen level, the menu, then the mouse pointer above it.
    void renderContents() override;

    MenuButton* pResume = nullptr;
    MenuButton* pRestart = nullptr;
    MenuButton* pQuit = nullptr;
    MenuButton* pOptions = nullptr;
};
