#include "flow/OverlayStatistics.h"

#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "gfx/Renderable.h"
#include "gui/GameSquare.h"
#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS(OverlayStatistics, Overlay, flow_ids::OverlayStatistics)
ZUB_IMPLEMENT_CLASS(RPCOverlayStatisticsConstruct, RPC, flow_ids::RPCOverlayStatisticsConstruct)

namespace {

// The statistics panel is the overlay of its kind.
[[maybe_unused]] const bool registered = (
    Overlay::makers[Overlay::STATISTICS] = []() -> Overlay* { return new OverlayStatistics; }, true);

// The ruler's skin is 256 wide; this spans the panel's columns (600 units).
constexpr float RULER_SCALE = 2.34375f;

}  // namespace

OverlayStatistics::OverlayStatistics() {
    dismissOnBinding(GameConfiguration::CONTROL_STATS);
    bDismissOnPointerPress = 1;
}

OverlayStatistics::~OverlayStatistics() = default;

void OverlayStatistics::construct() {
    RPCOverlayStatisticsConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void OverlayStatistics::local_construct() {
    FontQuad* large = findResource<FontQuad>(u"fontLarge");
    FontQuad* medium = findResource<FontQuad>(u"fontMedium");
    FontQuad* small = findResource<FontQuad>(u"fontSmall");
    const int32_t lineHeight = medium->height;
    const Language& language = gameLanguage();

    MyRootObject* root = MyRootObject::current();
    GameController* gc = root ? root->gameController : nullptr;
    LevelResult r;
    if (gc) {
        gc->currentResult.computeScore();
        r = gc->currentResult;
    }

    auto text = [&](float x, float y, std::u16string_view s, FontQuad* font, uint32_t colour, int flags) {
        auto* t = new FadingText(V3(x, y, 0.0f), s, font, colour);
        t->flags = flags;
        t->bShadow = 0;
        addChild(t);
    };
    constexpr int LEFT = FontQuad::TEXT_PLAIN | FontQuad::TEXT_AT_X;
    constexpr int RIGHT = FontQuad::TEXT_PLAIN | FontQuad::TEXT_RIGHT;

    addChild(new GameSquare(0.0f, 0.0f, 0.0f, 700.0f, 400.0f, false, u""));
    text(0.0f, TITLE_Y, language.getText(SID_STATISTICS), large, PLAIN_COLOUR, FadingText::DEFAULT_FLAGS);

    auto counts = [](int32_t a, int32_t b) { return formatString(u"%d/%d", a, b); };
    struct Row {
        int32_t label;
        WString figures;
        int32_t points;
        int perfect;
    };
    const Row rows[] = {
        {SID_STATSAPPLESREQUIRED, counts(r.applesGathered, r.apples), r.applePoints, LevelResult::PERFECT_APPLES},
        {SID_STATSAPPLESBONUS, counts(r.bonusApplesGathered, r.bonusApples), r.bonusApplePoints,
         LevelResult::PERFECT_BONUS_APPLES},
        {SID_STATSSWEETS, counts(r.sweetsGathered, r.sweets), r.sweetPoints, LevelResult::PERFECT_SWEETS},
        {SID_STATSSECRETS, counts(r.secretsFound, r.secrets), r.secretPoints, LevelResult::PERFECT_SECRETS},
        {SID_STATSDEATHS, formatString(u"%d", r.livesLost), r.livesPoints, LevelResult::PERFECT_LIVES},
        {SID_STATSTIME, formatString(u"%s/%s", formatMinutesSeconds(r.time), formatMinutesSeconds(r.parTime)),
         r.timePoints, LevelResult::PERFECT_TIME},
    };
    float y = TITLE_Y - static_cast<float>(large->height);
    bool first = true;
    for (const Row& row : rows) {
        if (!first) y -= static_cast<float>(lineHeight);
        first = false;
        const uint32_t colour = r.perfect[row.perfect] ? PERFECT_COLOUR : PLAIN_COLOUR;
        text(LABEL_X, y, language.getText(row.label), medium, colour, LEFT);
        text(FIGURES_X, y, row.figures, medium, colour, RIGHT);
        text(POINTS_X, y, formatPercentTenths(row.points), medium, colour, RIGHT);
    }

    // A ruler, then the total apart from the rows.
    y -= static_cast<float>(lineHeight + lineHeight / 2);
    auto* ruler = new Renderable(findResource<Skin>(u"horizontalRuler:0"), V3(0.0f, y, 0.0f));
    ruler->setScaleV(V3(RULER_SCALE, 1.0f, 1.0f));
    addChild(ruler);
    y -= static_cast<float>(lineHeight / 2);
    const uint32_t totalColour = r.score == LevelResult::kMaxScore ? PERFECT_COLOUR : PLAIN_COLOUR;
    text(LABEL_X, y, language.getText(SID_STATSTOTAL), medium, totalColour, LEFT);
    text(POINTS_X, y, formatPercentTenths(r.score), medium, totalColour, RIGHT);

    text(0.0f, FOOTER_Y, continuePrompt(dismissCode1), small, FOOTER_COLOUR,
         FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP);
}

void OverlayStatistics::renderContents() {
    renderFrozenLevel();
    ContextMenu::renderContents();
}

void RPCOverlayStatisticsConstruct::execute() {
    if (OverlayStatistics* o = zub_cast<OverlayStatistics>(target)) o->local_construct();
}
