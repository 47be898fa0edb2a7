#pragma once
// The ending, pushed by the valley map when the last level opens: a timed
// story in short lines over the intro picture (blurred, then clearing),
// then the credits rolling up with a closing joke that one last level is
// still to be played. The jump control or a pointer press closes it at any
// moment; the stack then deletes it. No pointer is drawn over it.
//
// Every entry of the schedule fires once, in the first frame whose time
// reaches it (the context's step is capped, so no frame skips one); the
// lines of one group appear one after another and leave together.
#include <cstdint>

#include "gfx/Context.h"
#include "util/WString.h"

class ContextEnding : public Context {
public:
    static constexpr uint32_t LINE_COLOUR = 0xFFFF80FFu;
    static constexpr double FADE_TIME = 0.5;
    static constexpr double PANEL_TIME = 84.0;

    // Behind it the intro screen, in front of it the overlay context.
    ContextEnding();
    ~ContextEnding() override;

    // Covers the screen at once (the stack opens it again right after) and
    // shows the blurred intro picture at full strength.
    void onActivate(bool firstTime) override;
    // The schedule at this frame's time, then the children.
    void tickContents(double time, double dt) override;
    // A story line: fontLarge when large, else fontMediumOutline; centred on
    // (0, y); shown after `delay` for `lifetime` seconds.
    void addText(const WString& text, float y, double lifetime, double delay, bool large);

private:
    void addClosingPanel();

    double scheduleTime = 0.0;  // the time the schedule has run to
};
