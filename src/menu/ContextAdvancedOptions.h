#pragma once
// The advanced graphics options: the video mode, the frame-rate limit, full
// screen and letterbox (letterbox can be changed only in full screen), vertical
// sync, bilinear filtering and the frame-rate display.
//
// The items write the configuration at once, but the engine sees the new
// values only when the page closes (the screen stack reads the frame-rate
// display every frame, so that one shows at once): closing pushes the whole
// configuration into the engine, with the shown mode's size once the player
// has changed the video mode, else with the current size - a window whose
// size is in no mode (the first is shown then) keeps it unless the player
// chooses. The graphics device restarts only when the size, full screen,
// letterbox or vertical sync changed.
//
// The modes are the graphics object's list; an empty list gives one entry
// for the current size.
#include <cstdint>
#include <vector>

#include "gfx/ZubGraphics.h"
#include "gui/ContextPage.h"

class MenuItemChoice;
class MenuItemToggle;

class ContextAdvancedOptions : public ContextPage {
    ZUB_DECLARE_CLASS(ContextAdvancedOptions)
public:
    ContextAdvancedOptions();
    ~ContextAdvancedOptions() override;

    void tickContents(double time, double dt) override;
    void onDeactivate(bool closing) override;

    // The size the page applies when it closes: the shown mode's once the
    // player has changed the video mode, else (-1, -1), the current size.
    VideoMode sizeToApply() const;

    std::vector<VideoMode> videoModes;  // as offered when the page was built
    std::vector<WString> videoModeNames;
    int32_t videoModeIndex = 0;
    bool bVideoModeChosen = false;
    MenuItemChoice* videoModeItem = nullptr;
    MenuItemToggle* fullScreenItem = nullptr;
    MenuItemToggle* letterboxItem = nullptr;
};
