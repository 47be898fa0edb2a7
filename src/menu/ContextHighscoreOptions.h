#pragma once
// The high-score options, opened from the high-score page: a link to the
// world-wide tables on the web server (following it closes the game, which
// then opens the page in the browser), the upload of the local scores, and
// resetting them after a yes/no question; OK or Escape close the page.
//
// The upload needs a configured network: until the network set-up has been
// completed once, the upload button opens the network test instead.
#include "gui/ContextPage.h"

class MenuButton;
class MenuItemLink;

class ContextHighscoreOptions : public ContextPage {
    ZUB_DECLARE_CLASS(ContextHighscoreOptions)
public:
    ContextHighscoreOptions();
    ~ContextHighscoreOptions() override;

    void tickContents(double time, double dt) override;

    MenuItemLink* worldWideLink = nullptr;
    MenuButton* resetButton = nullptr;
    MenuButton* uploadButton = nullptr;
};
