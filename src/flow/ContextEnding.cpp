#include "flow/ContextEnding.h"

#include "flow/GameServices.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/TextPanel.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "object/ResourceLookup.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

namespace {

// The story: at `time`, the text `id` at y for `lifetime` seconds after
// `delay`.
struct StoryLine {
    double time;
    int32_t id;
    float y;
    double lifetime, delay;
    bool large;
};
constexpr StoryLine STORY[] = {
    {5, SID_WIN11, 0, 4, 0, true},      {10, SID_WIN21, 0, 4, 0, false},    {15, SID_WIN31, 30, 12, 0, false},
    {15, SID_WIN32, 0, 8, 4, false},    {15, SID_WIN33, -30, 4, 8, false},  {28, SID_WIN41, 0, 4, 0, false},
    {33, SID_WIN51, 60, 20, 0, false},  {33, SID_WIN52, 30, 16, 4, false},  {33, SID_WIN53, 0, 12, 8, false},
    {33, SID_WIN54, -30, 8, 12, false}, {33, SID_WIN55, -60, 4, 16, false}, {54, SID_WIN61, 15, 8, 0, false},
    {54, SID_WIN62, -15, 4, 4, false},  {63, SID_WIN71, 30, 12, 0, false},  {63, SID_WIN72, 0, 8, 4, false},
    {63, SID_WIN73, -30, 4, 8, false},
};
constexpr double CLEAR_BACKDROP_TIME = 3.0;
constexpr int32_t CLOSING_JOKES[] = {SID_WIN81, SID_WIN82, SID_WIN83, SID_WIN84, SID_WIN85};

}  // namespace

ContextEnding::ContextEnding() {
    bDeleteWhenDone = 1;
    bCloseOnFire = 1;
    bShowPointer = 0;
    backgroundContext = gui::environment().introScreen;
    foregroundContext = gui::environment().overlayContext;
}

ContextEnding::~ContextEnding() = default;

void ContextEnding::onActivate(bool) {
    GameServices::get().setTransition(1.0f, 1.0f);
    if (auto* intro = zub_cast<IntroScreen>(backgroundContext)) {
        intro->bBlurred = 1;
        intro->blend = 1.0f;
    }
}

void ContextEnding::addText(const WString& text, float y, double lifetime, double delay, bool large) {
    auto* t = new FadingText(V3(0.0f, y, 0.0f), text,
                             findResource<FontQuad>(large ? u"fontLarge" : u"fontMediumOutline"), LINE_COLOUR);
    t->flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP;
    t->bShadow = 0;
    t->delay = delay;
    t->lifetime = lifetime;
    t->fadeIn = FADE_TIME;
    t->fadeOut = FADE_TIME;
    addChild(t);
}

void ContextEnding::addClosingPanel() {
    auto* panel = new TextPanel;
    panel->buildText();
    for (int i = 0; i < 5; ++i) panel->addParagraph(u"", u"");
    const Language& language = gameLanguage();
    panel->addTextBlock(language.getText(SID_THEEND));
    for (int32_t joke : CLOSING_JOKES) {
        for (int i = 0; i < 10; ++i) panel->addParagraph(u"", u"");
        panel->addParagraph(language.getText(joke), u"");
    }
    addChild(panel);
}

void ContextEnding::tickContents(double t, double dt) {
    // An entry at T fires in the frame that brings the time from below T to
    // T or past it: from the time the schedule ran to last, so that no
    // rounding of the steps can fire it twice or never.
    const double from = scheduleTime;
    auto reached = [from, t](double T) { return from < T && t >= T; };
    scheduleTime = t;
    if (reached(CLEAR_BACKDROP_TIME))
        if (auto* intro = zub_cast<IntroScreen>(backgroundContext)) intro->bBlurred = 0;
    const Language& language = gameLanguage();
    for (const StoryLine& line : STORY)
        if (reached(line.time)) addText(language.getText(line.id), line.y, line.lifetime, line.delay, line.large);
    if (reached(PANEL_TIME)) addClosingPanel();
    ZubBase::tick(t, dt);
}
