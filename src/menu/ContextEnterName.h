#pragma once
// The name entry: asks for a player's name (at most 16 characters) under
// the title ENTERYOURNAME, over the screen it was opened from, and adds a
// profile with it, made current, when OK is clicked or Return typed. Leading
// and trailing blanks are never stored; a blank name cannot be confirmed. A
// new player starts with the in-game help on.
//
// Characters come from the keyboard (ZubInput::typedChar, one a frame:
// Backspace 8 deletes, Return 13 confirms) and from an on-screen keyboard of
// character keys (a to z, space, delete), which is shown in touch input and
// once a game pad has been used on the page; with a pad the arrows and
// confirm move and tap over the keys. A key clicked in a frame wins over the
// keyboard's character. Only characters the name line can show are taken: no
// control characters, nothing the display font (or the system font that
// draws names) has no glyph for, and a surrogate pair only whole.
//
// In its forced form (bAddMode false, from the main menu's greeting while
// the current player has no name) Escape does nothing; from the players
// page's Add button Escape closes it and adds nothing.
#include <cstdint>

#include "gui/ContextMenu.h"
#include "util/WString.h"

class FadingText;
class MenuButton;

class ContextEnterName : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextEnterName)
public:
    static constexpr size_t kMaxNameLength = 16;  // UTF-16 units

    explicit ContextEnterName(bool bAddMode);
    ~ContextEnterName() override;

    // Replaces every child by the layout of the input mode (with or without
    // the on-screen keyboard); the name stays.
    void buildItems();
    // Whether the on-screen keyboard is shown.
    bool showsKeys() const;

    // The layout follows the input mode (rebuilt at the next tick).
    void onInputModeChange(int mode) override;
    void tickContents(double time, double dt) override;
    void renderContents() override;

    MenuButton* okButton = nullptr;
    FadingText* nameDisplay = nullptr;
    WString name;
    char16_t keyTyped = 0;  // written by a clicked on-screen key this frame
    uint8_t bAddMode;
    uint8_t bPadKeys = 0;         // a pad was used: the keys are shown and navigated
    uint8_t bRebuildPending = 0;  // the input mode changed since the last build
    char16_t pendingHighSurrogate = 0;

private:
    // Applies one typed character (0: none).
    void edit(char16_t c);
    bool canShow(char32_t code) const;
    void placeCursorOnKeys();
};
