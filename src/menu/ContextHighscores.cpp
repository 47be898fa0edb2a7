#include "menu/ContextHighscores.h"

#include <cstring>

#include "engine/ContextManager.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemChoice.h"
#include "lang/StringIds.h"
#include "menu/ContextHighscoreOptions.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextHighscores, ContextMenu, u"ContextHighscores")

ContextHighscores::ContextHighscores() {
    ZUB_ASSERT(gui::environment().configuration != nullptr);
    bDeleteWhenDone = 1;
    backgroundContext = gui::environment().introScreen;

    titleText = new FadingText(0.0f, static_cast<float>(layoutY), 0.0f, gui::text(SID_HIGHSCORES),
                               gui::font(u"fontMediumOutline"), 0xffffffffu);
    titleText->flags |= 0x10;
    addChild(titleText);

    const ZubGraphics* g = ZubGraphics::active();
    const int32_t h = g ? g->referenceHeight : REFERENCE_HEIGHT;
    addItem(new MenuItemChoice(0.0f, static_cast<float>(h / 2 - 125), 0.0f, &season, 0, 3, SID_SEASON0, u"", u""));

    auto* ok = new MenuBackButton(static_cast<float>(80 - layoutX), static_cast<float>(-layoutY), 0.0f,
                                  gui::text(SID_OK), u"");
    ok->setWidth(160);
    addItem(ok);
    moreOptionsButton = addButton(gui::text(SID_HIGHSCOREOPTIONSDOTS), u"",
                                  V3(static_cast<float>(layoutX - 128), static_cast<float>(-layoutY), 0.0f));
}

ContextHighscores::~ContextHighscores() = default;

void ContextHighscores::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (moreOptionsButton->takeClick()) {
        if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextHighscoreOptions);
    }
}

ContextHighscores::Row ContextHighscores::row(int32_t i) const {
    const GameConfiguration& config = *gui::environment().configuration;
    // The choice keeps the season in range; the row index is the caller's.
    const int32_t s = season < 0 ? 0 : season > 3 ? 3 : season;
    const int32_t r = i < 0 ? 0 : i > 7 ? 7 : i;
    const HIGHSCOREENTRY& e = config.highScores[8 * s + r];

    Row out;
    out.colour = lerpColor(kSeasonColours[s], kSeasonColours[s + 1], static_cast<float>(r) / 8.0f);
    out.y = static_cast<float>(90 - 30 * r);
    out.level = formatString(u"%d", 8 * s + r + 1);
    out.name = narrowToWide(std::string_view(e.name, strnlen(e.name, sizeof e.name)));
    if (out.name.empty()) out.name = u"...";
    out.points = formatNumberGrouped(e.points, gui::text(SID_THOUSANDSEPARATOR));
    out.time = formatMinutesSeconds(static_cast<double>(e.seconds));
    out.score = formatPercentTenths(e.score, gui::text(SID_DECIMALSEPARATOR));
    return out;
}

void ContextHighscores::renderContents() {
    ContextMenu::renderContents();
    FontQuad* font = gui::font(u"fontMedium");
    for (int32_t i = 0; i < 8; ++i) {
        const Row r = row(i);
        font->drawText(-300.0f, r.y, 0.0f, r.colour, 8, r.level);
        font->drawText(-290.0f, r.y, 0.0f, r.colour, 0x202, r.name);
        font->drawText(100.0f, r.y, 0.0f, r.colour, 8, r.points);
        font->drawText(200.0f, r.y, 0.0f, r.colour, 8, r.time);
        font->drawText(300.0f, r.y, 0.0f, r.colour, 8, r.score);
    }
}
