#pragma once
// The main menu: the bottom screen of the stack for the whole run, over the
// sharp title picture. It shows the game's logo, greets the current player
// (the greeting leads to the players page, and to the name entry while the
// current player has no name), and offers its four buttons, a link to the
// maker's home page (lower right; the address is opened once the program
// has shut down) and Quit (lower left; it closes the menu, which empties the
// stack and so ends the program). Escape asks first (CONFIRM, YES / NO).
//
// Below the greeting stand Start game (the game's menu opens the valley
// map), High scores, Options and Credits.
//
// Whenever the menu becomes the top screen (the first showing, and each
// return from a page or a game) it saves the user data and lets the title
// picture sharpen; when a screen covers it the picture blurs again.
//
// Ctrl+Alt+X (Shift not held) ends the program through the fatal-error path
// with "Crash requested." (a way to test the crash reporting).
#include "gui/ContextMenu.h"
#include "util/WString.h"

class MenuButton;

class ContextMain : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextMain)
public:
    ContextMain();
    ~ContextMain() override;

    void onActivate(bool firstTime) override;
    void onDeactivate(bool removed) override;
    void tickContents(double time, double dt) override;
    // Play was chosen: the game's menu opens the valley map.
    virtual void startGame() {}

    // The web link's address: the maker's web server (the engine's web host,
    // or the maker's name when none is set), path "/", with the query
    // "?src=Tumbrodemov1.25".
    static WString websiteAddress();

    MenuButton* startItem = nullptr;
    MenuButton* highScoresItem = nullptr;
    MenuButton* optionsItem = nullptr;
    MenuButton* creditsItem = nullptr;
};
