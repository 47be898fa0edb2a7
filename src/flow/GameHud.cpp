#include "flow/GameHud.h"

#include <cmath>

#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "flow/GameServices.h"
#include "flow/TouchHudControl.h"
#include "gfx/Camera.h"
#include "gfx/Renderable.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS(GameHud, Context, flow_ids::GameHud)

namespace {

constexpr int HALF_W = REFERENCE_WIDTH / 2;
constexpr int HALF_H = REFERENCE_HEIGHT / 2;

// Seconds as a whole number for the clock and the countdown: not a number
// counts as 0, and the value stays within what the texts can show.
int32_t wholeSeconds(double s) { return s > 0.0 ? static_cast<int32_t>(s < 1.0e8 ? s : 1.0e8) : 0; }

}  // namespace

GameHud::GameHud()
    : message1(findResource<FontQuad>(u"fontLarge"), V3(0.0f, MESSAGE1_Y, 0.0f)),
      message2(findResource<FontQuad>(u"fontMediumOutline"), V3(0.0f, MESSAGE2_Y, 0.0f)),
      pointsCounter(0.0f, POINTS_RATE, 1, InterpolatedValue::CLAMP) {
    bEscapeCloses = 0;
    message1.bRemoveWhenEmpty = 0;
    message2.bRemoveWhenEmpty = 0;
    pMoveLeft = new TouchHudControl(findResource<Skin>(u"hud-touchscreen:5"), false);
    pMoveRight = new TouchHudControl(findResource<Skin>(u"hud-touchscreen:7"), false);
    pJump = new TouchHudControl(findResource<Skin>(u"hud-touchscreen:6"), true);
    auto button = [](const char16_t* skin, int slot) {
        auto* r = new Renderable(findResource<Skin>(skin), V3());
        r->scaleMode = Renderable::SCALE_ASPECT;
        r->setPosition(static_cast<float>(HALF_W) - BUTTON_INSET - BUTTON_SPACING * static_cast<float>(slot),
                       static_cast<float>(HALF_H) - BUTTON_INSET, 0.0f);
        return r;
    };
    pPauseButton = button(u"hud-touchscreen:1", 0);
    pHelpButton = button(u"hud-touchscreen:2", 1);
    pStatsButton = button(u"hud-touchscreen:3", 2);
    pMapButton = button(u"hud-touchscreen:4", 3);
    for (Renderable* r : {static_cast<Renderable*>(pMoveLeft), static_cast<Renderable*>(pMoveRight),
                          static_cast<Renderable*>(pJump), pPauseButton, pHelpButton, pStatsButton, pMapButton}) {
        // Shown by the game controller while they are in use.
        r->bHidden = 1;
        addChild(r);
    }

    // The steering pair on one side, the jump on the other.
    const float r = pMoveLeft->touchRadius;
    const float d = r + 5.0f;
    const float low = static_cast<float>(-HALF_H) + d;
    if (GameServices::get().configuration().touchControls != 0) {
        pMoveRight->setPosition(static_cast<float>(HALF_W) - d, low, 0.0f);
        pMoveLeft->setPosition(static_cast<float>(HALF_W) - d - 2.0f * r, low, 0.0f);
        pJump->setPosition(static_cast<float>(-HALF_W) + d, low, 0.0f);
    } else {
        pMoveLeft->setPosition(static_cast<float>(-HALF_W) + d, low, 0.0f);
        pMoveRight->setPosition(static_cast<float>(-HALF_W) + d + 2.0f * r, low, 0.0f);
        pJump->setPosition(static_cast<float>(HALF_W) - d, low, 0.0f);
    }
}

GameHud::~GameHud() = default;

GameController* GameHud::controller() const { return zub_cast<GameController>(parent); }

void GameHud::tickContents(double time, double dt) {
    const GameController* gc = controller();
    if (gc && gc->isEditing()) return;
    Context::tickContents(time, dt);
    if (gc) {
        const float target = static_cast<float>(static_cast<int64_t>(gc->currentResult.points) + POINTS_LEAD);
        if (target != pointsCounter.target) pointsCounter.moveTo(target);
    }
    pointsCounter.tick(time, dt);
    message1.tick(time, dt);
    message2.tick(time, dt);
}

int32_t GameHud::shownPoints() const {
    const GameController* gc = controller();
    const int32_t points = gc ? gc->currentResult.points : 0;
    const float counted = std::trunc(pointsCounter.get());
    if (!(counted < static_cast<float>(points))) return points;
    return counted > -2.0e9f ? static_cast<int32_t>(counted) : points;
}

void GameHud::renderContents() {
    GameController* gc = controller();
    if (gc && gc->isEditing()) return;
    Context::renderContents();
    if (gc) drawApples(*gc);
    findResource<FontQuad>(u"fontMedium")
        ->drawText(static_cast<float>(-HALF_W + 5), static_cast<float>(HALF_H - 2), 0.0f, DIM_COLOUR,
                   FontQuad::TEXT_PLAIN | FontQuad::TEXT_AT_X, formatNumberGrouped(shownPoints()));
    if (gc) drawClock(*gc);
    message1.render();
    message2.render();
    if (gc && gc->bBonusLevel) drawCountdown(*gc);
}

void GameHud::drawApples(const GameController& gc) {
    const int32_t n = gc.currentResult.apples > 0 ? gc.currentResult.apples : 0;
    const int32_t gathered = gc.currentResult.applesGathered;
    const float step = n > 10 ? 16.0f : 25.0f;
    Renderable scratch(
        findResource<Skin>(u"gui-game-hud:0"),
        V3(static_cast<float>(-HALF_W - 70) + static_cast<float>(n) * step, static_cast<float>(HALF_H), 0.0f));
    scratch.renderSelf();
    scratch.setSkin(findResource<Skin>(n > 10 ? u"gui-game-hud:2" : u"gui-game-hud:1"));
    for (int32_t i = 0; i < n; ++i) {
        scratch.color = i < gathered ? 0xFFFFFFFFu : DIM_COLOUR;
        scratch.setPosition(static_cast<float>(-HALF_W + 128) + static_cast<float>(i) * step,
                            static_cast<float>(HALF_H - 20), 0.0f);
        scratch.renderSelf();
    }
}

void GameHud::drawClock(const GameController& gc) {
    if (!GameServices::get().configuration().showClock) return;
    const int32_t t = wholeSeconds(gc.currentResult.time);
    const float x = static_cast<float>((REFERENCE_WIDTH - 50) - HALF_W);
    const bool touch = isTouchInput();
    const float y = static_cast<float>(touch ? HALF_H - 72 : HALF_H - 12);
    FontQuad* font = findResource<FontQuad>(u"fontMediumOutline");
    font->drawText(x - 3.0f, y, 0.0f, CLOCK_COLOUR, FontQuad::TEXT_PLAIN | FontQuad::TEXT_RIGHT,
                   formatString(u"%02d", t / 60));
    font->drawText(x, y, 0.0f, CLOCK_COLOUR, FontQuad::TEXT_PLAIN | FontQuad::TEXT_CENTRE, u":");
    font->drawText(x + 3.0f, y, 0.0f, CLOCK_COLOUR, FontQuad::TEXT_PLAIN | FontQuad::TEXT_AT_X,
                   formatString(u"%02d", t % 60));
}

void GameHud::drawCountdown(const GameController& gc) {
    const double s = gc.bonusTimeLeft > 0.0f && gc.bonusTimeLeft < 1.0e8f ? gc.bonusTimeLeft : 0.0;
    const int32_t whole = wholeSeconds(s);
    const int32_t hundredths = wholeSeconds((s - whole) * 100.0);
    const uint32_t colour = lerpColor(0xFFFFFFFFu, 0xFFFF0000u, static_cast<float>((s - 5.0) / (0.0 - 5.0)));
    const float y = static_cast<float>(HALF_H - 25);
    FontQuad* font = findResource<FontQuad>(u"fontLarge");
    font->drawText(-16.0f, y, 0.0f, colour, FontQuad::TEXT_RIGHT, formatString(u"%02d", whole));
    font->drawText(0.0f, y, 0.0f, colour, FontQuad::TEXT_CENTRE,
                   formatString(u"%s", WString(gameLanguage().getText(SID_DECIMALSEPARATOR))));
    font->drawText(16.0f, y, 0.0f, colour, FontQuad::TEXT_AT_X, formatString(u"%02d", hundredths));
}
