#pragma once
// The intro story, shown after the company logo and before the main menu: a
// script of captions over the intro picture. It opens out of black, shows
// the company name, turns the backdrop sharp for the game's logo and the
// copyright line, blurs it again, tells the story in groups of lines and
// ends by itself after 88 s. Escape, the fire binding or a pointer press end
// it at once; the stack then deletes it. No pointer is drawn over it.
//
// Every scripted event fires once, in the first frame whose time reaches
// it, whatever the frame rate; events of one time fire in the script's
// order. Texts are taken from the language when they appear.
#include "gfx/Context.h"
#include "util/WString.h"

class ContextIntroStory : public Context {
    ZUB_DECLARE_CLASS(ContextIntroStory)
public:
    // Behind it the environment's intro screen, in front of it the overlay
    // context.
    ContextIntroStory();
    ~ContextIntroStory() override;

    // Closes the stack's iris at once (the stack opens it right after).
    void onActivate(bool firstTime) override;
    void tickContents(double time, double dt) override;

    static constexpr double END_TIME = 88.0;

private:
    // A story line: fontMediumOutline, light pink, centred on (0, y),
    // appearing after `delay` for `lifetime` seconds.
    void addStoryLine(WString text, float y, double lifetime, double delay);
    void runScript(double from, double to);
    void setBackdropBlurred(bool blurred);

    double scriptTime = 0.0;  // the time the script has run to
};
