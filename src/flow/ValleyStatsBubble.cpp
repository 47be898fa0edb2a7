#include "flow/ValleyStatsBubble.h"

#include <cmath>

#include "flow/GameServices.h"
#include "flow/ValleyIcon.h"
#include "gfx/Context.h"
#include "gfx/StretchSkin.h"
#include "gui/GuiEnvironment.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/LevelResult.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

namespace {

// Room inside the bubble's edge above the first row and below the last.
constexpr float ROW_MARGIN = 25.0f;

struct Row {
    int32_t label;
    WString value;
    uint32_t colour;
    bool perfect;
    bool record;
};

WString pair(int32_t got, int32_t total) { return formatString(u"%d/%d", got, total); }

uint32_t countedColour(int32_t total) {
    return total > 0 ? ValleyStatsBubble::ROW_COLOUR : ValleyStatsBubble::FADED_COLOUR;
}

}  // namespace

ValleyStatsBubble::ValleyStatsBubble() : bubbleSkin(new StretchSkin(findResource<Skin>(u"gui-game-speechBubble:2"))) {
    bubbleSkin->setBorders(35, 20, 35, 20);
    pSkin = bubbleSkin;
    bOwnsSkin = 1;
    bHidden = 1;
    onTransformChanged();
}

ValleyStatsBubble::~ValleyStatsBubble() = default;

void ValleyStatsBubble::showFor(ValleyIcon* icon) {
    pIcon = icon;
    destroyChildren();
    if (!icon) return;

    FontQuad* font = findResource<FontQuad>(u"fontSmall");
    const float l = static_cast<float>(font->height);
    const float h = static_cast<float>(ROWS) * l + 2.0f * ROW_MARGIN;
    bubbleSkin->setSize(WIDTH, h);
    bubbleSkin->getAnchorPoint(1);

    // Open toward the middle of the view.
    const Context* c = Context::environment.current;
    const V3 middle = c && c->camera ? c->camera->eye : V3();
    const float sx = icon->position.x > middle.x ? -1.0f : 1.0f;
    const float sy = icon->position.y > middle.y ? -1.0f : 1.0f;
    position =
        V3(std::trunc(icon->position.x - 18.0f * sx), std::trunc(icon->position.y + 10.0f * sy), icon->position.z);
    scale = V3(sx, sy, 1.0f);
    onTransformChanged();

    // The rows, top down in the bubble whichever way it opens.
    const float left = sx > 0.0f ? position.x : position.x - WIDTH;
    const float bottom = sy > 0.0f ? position.y : position.y - h;
    const float cx = left + WIDTH / 2.0f;
    const float top = bottom + h - ROW_MARGIN;

    const LevelResult& r = icon->record();
    const Row rows[ROWS] = {
        {SID_STATSSCORE, formatNumberGrouped(r.points), ROW_COLOUR, r.perfect[LevelResult::PERFECT_SCORE] != 0,
         r.newRecord[LevelResult::RECORD_POINTS] != 0},
        {SID_STATSAPPLESREQUIRED, pair(r.applesGathered, r.apples), countedColour(r.apples),
         r.perfect[LevelResult::PERFECT_APPLES] != 0, r.newRecord[LevelResult::RECORD_APPLES] != 0},
        {SID_STATSAPPLESBONUS, pair(r.bonusApplesGathered, r.bonusApples), countedColour(r.bonusApples),
         r.perfect[LevelResult::PERFECT_BONUS_APPLES] != 0, r.newRecord[LevelResult::RECORD_BONUS_APPLES] != 0},
        {SID_STATSSWEETS, pair(r.sweetsGathered, r.sweets), countedColour(r.sweets),
         r.perfect[LevelResult::PERFECT_SWEETS] != 0, r.newRecord[LevelResult::RECORD_SWEETS] != 0},
        {SID_STATSSECRETS, pair(r.secretsFound, r.secrets), countedColour(r.secrets),
         r.perfect[LevelResult::PERFECT_SECRETS] != 0, r.newRecord[LevelResult::RECORD_SECRETS] != 0},
        {SID_STATSDEATHS, formatString(u"%d", r.livesLost), r.bonusLevel ? FADED_COLOUR : ROW_COLOUR,
         r.perfect[LevelResult::PERFECT_LIVES] != 0, r.newRecord[LevelResult::RECORD_LIVES_LOST] != 0},
        {SID_STATSTIME, formatString(u"%s/%s", formatMinutesSeconds(r.time), formatMinutesSeconds(r.parTime)),
         ROW_COLOUR, r.perfect[LevelResult::PERFECT_TIME] != 0, r.newRecord[LevelResult::RECORD_TIME] != 0},
    };
    const Language& language = gameLanguage();
    for (int k = 0; k < ROWS; ++k) {
        const Row& row = rows[k];
        const float y = std::trunc(top - (static_cast<float>(k) + 0.5f) * l);
        auto* label = new FadingText(V3(cx - 100.0f, y, position.z), language.getText(row.label), font, row.colour);
        label->flags = FontQuad::TEXT_HALF_LINE_UP | FontQuad::TEXT_AT_X;
        label->bShadow = 0;
        addChild(label);
        auto* value = new FadingText(V3(cx + 100.0f - 2.0f * l, y, position.z), row.value, font, row.colour);
        value->flags = FontQuad::TEXT_HALF_LINE_UP | FontQuad::TEXT_RIGHT;
        value->bShadow = 0;
        addChild(value);
        if (row.perfect)
            addChild(new Renderable(findResource<Skin>(u"valleyIcons:2"), V3(cx + 100.0f - 1.5f * l, y, position.z)));
        if (row.record)
            addChild(new Renderable(findResource<Skin>(u"valleyIcons:3"), V3(cx + 100.0f - 0.5f * l, y, position.z)));
    }
}

void ValleyStatsBubble::render() {
    if (bHidden) return;
    renderSelf();
    ZubBase::render();
    if (gui::isDebugLocked() || !pIcon) return;
    const LevelResult& r = pIcon->record();
    FontQuad* font = findResource<FontQuad>(u"fontTiny");
    const WString lines[4] = {
        formatString(u"sum_timesPlayed=%d", r.attempts),
        formatString(u"sum_totalPlayingTime=%s", formatMinutesSeconds(r.totalTime)),
        formatString(u"sum_totalDeaths=%d", r.totalLivesLost),
        formatString(u"sum_totalSpoils=%d", r.totalApplesLost),
    };
    for (int i = 0; i < 4; ++i)
        font->drawText(position.x, position.y - 10.0f * static_cast<float>(i + 1), position.z, 0xFFFFFFFFu,
                       FontQuad::TEXT_PLAIN | FontQuad::TEXT_AT_X, lines[i]);
}
