#include "menu/ContextIntroStory.h"

#include "engine/ContextManager.h"
#include "gfx/ZubGraphics.h"
#include "gui/GameLogo.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/ScreenOverlays.h"
#include "lang/StringIds.h"
#include "menu/MenuClassIds.h"
#include "text/FadingText.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ContextIntroStory, Context, menu_ids::ContextIntroStory)

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFFu, PINK = 0xFFFCB7FAu, LINE_PINK = 0xFFFF80FFu;

// The story's groups: at `time`, the text `id` at y, for `lifetime` seconds
// after `delay`.
struct StoryLine {
    double time;
    int32_t id;
    float y;
    double lifetime, delay;
};
constexpr StoryLine STORY[] = {
    {19, SID_INTRO11, 30, 12, 0}, {19, SID_INTRO12, 0, 8, 4},   {19, SID_INTRO13, -30, 4, 8},
    {32, SID_INTRO21, 0, 4, 0},   {37, SID_INTRO31, 45, 12, 0}, {37, SID_INTRO32, 15, 8, 4},
    {37, SID_INTRO33, -15, 4, 8}, {50, SID_INTRO41, 0, 4, 0},   {55, SID_INTRO51, 45, 12, 0},
    {55, SID_INTRO52, 15, 8, 4},  {55, SID_INTRO53, -15, 4, 8}, {68, SID_INTRO61, 45, 12, 0},
    {68, SID_INTRO62, 15, 8, 4},  {68, SID_INTRO63, -15, 4, 8}, {81, SID_INTRO71, 0, 4, 0},
};

FadingText* caption(const V3& at, std::u16string_view text, std::u16string_view font, uint32_t colour, int flags,
                    double lifetime, double fadeIn, double fadeOut) {
    auto* t = new FadingText(at, text, gui::font(font), colour);
    t->flags = flags;
    t->bShadow = 0;
    t->lifetime = lifetime;
    t->fadeIn = fadeIn;
    t->fadeOut = fadeOut;
    return t;
}

}  // namespace

ContextIntroStory::ContextIntroStory() {
    bDeleteWhenDone = 1;
    bCloseOnFire = 1;
    bShowPointer = 0;
    backgroundContext = gui::environment().introScreen;
    foregroundContext = gui::environment().overlayContext;
}

ContextIntroStory::~ContextIntroStory() = default;

void ContextIntroStory::onActivate(bool) {
    if (IrisTransition* iris = gui::iris(gui::screenStack(this))) {
        iris->closure = 1.0f;
        iris->targetClosure = 1.0f;
    }
}

void ContextIntroStory::setBackdropBlurred(bool blurred) {
    if (auto* intro = zub_cast<IntroScreen>(backgroundContext)) intro->bBlurred = blurred ? 1 : 0;
}

void ContextIntroStory::addStoryLine(WString text, float y, double lifetime, double delay) {
    FadingText* t = caption(V3(0.0f, y, 0.0f), text, u"fontMediumOutline", LINE_PINK, 0x14, lifetime, 0.5, 0.5);
    t->delay = delay;
    addChild(t);
}

void ContextIntroStory::runScript(double from, double to) {
    // An event at T fires in the frame that takes the script from before T to
    // T or later.
    auto at = [from, to](double T) { return from < T && to >= T; };
    if (at(2.0)) {
        FadingText* name = caption(V3(), gui::text(SID_VELMORASTUDIOS), u"fontLarge", WHITE,
                                   FadingText::DEFAULT_FLAGS | 0x20, 3.0, 0.5, 0.5);
        addChild(name);
        FadingText* presents = caption(V3(0.0f, -5.0f, 0.0f), gui::text(SID_PRESENTS), u"fontLarge", PINK,
                                       FadingText::DEFAULT_FLAGS | 0x01, 3.0, 0.5, 0.5);
        presents->setScale(0.5f);
        addChild(presents);
    }
    if (at(6.0)) setBackdropBlurred(false);
    if (at(9.0)) {
        auto* logo = new GameLogo(0);
        logo->setPosition(0.0f, 40.0f, 0.0f);
        logo->lifetime = 10.0;
        logo->fadeIn = 1.0;
        logo->fadeOut = 1.0;
        addChild(logo);
        const ZubGraphics* g = ZubGraphics::active();
        const int32_t halfHeight = (g ? g->referenceHeight : REFERENCE_HEIGHT) / 2;
        addChild(caption(V3(0.0f, static_cast<float>(10 - halfHeight), 0.0f), gui::text(SID_COPYRIGHT),
                         u"fontSmallOutline", PINK, 0x24, 4.0, 1.0, 0.5));
    }
    if (at(17.0)) setBackdropBlurred(true);
    for (const StoryLine& line : STORY)
        if (at(line.time)) addStoryLine(gui::text(line.id), line.y, line.lifetime, line.delay);
}

void ContextIntroStory::tickContents(double t, double dt) {
    runScript(scriptTime, t);
    scriptTime = t;
    if (t > END_TIME) done = 1;
    ZubBase::tick(t, dt);
}
