#pragma once
// The options menu, opened from the main menu and from the in-game pause
// menu: one button per page (gameplay, controls, graphics, sound, help) and,
// in multi-language mode (the engine's singleLanguage setting negative), a
// button that changes the language. Each page opens over the menu and
// returns to it when closed; Back or Escape returns to whoever opened the
// menu, and the stack deletes it.
//
// The language button opens no page: it asks for the language page at the
// next start (defaultLanguage -1) and requests the engine restart, which
// saves the settings on the way down and runs the loader again.
#include "gui/ContextPage.h"

class MenuButton;
class Settings;

class ContextOptions : public ContextPage {
    ZUB_DECLARE_CLASS(ContextOptions)
public:
    // Over the engine's settings (`settings` null: those of the running
    // engine, or none, which leaves the language button out).
    explicit ContextOptions(Settings* settings = nullptr);
    ~ContextOptions() override;

    // Pushes the page of every button clicked in this frame, in the order of
    // the fields below; the last one pushed is on top.
    void tickContents(double time, double dt) override;

    Settings* settings;
    MenuButton* gameplayItem = nullptr;
    MenuButton* controlsItem = nullptr;
    MenuButton* graphicsItem = nullptr;
    MenuButton* soundItem = nullptr;
    MenuButton* networkItem = nullptr;
    MenuButton* languageItem = nullptr;
    MenuButton* helpItem = nullptr;
};
