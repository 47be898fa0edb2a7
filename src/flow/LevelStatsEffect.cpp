#include "flow/LevelStatsEffect.h"

#include <algorithm>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "flow/GameController.h"
#include "flow/GameServices.h"
#include "fx/ParticleGroup.h"
#include "gfx/Renderable.h"
#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

namespace {

// The controller's statistics state makes its rows here.
ZubBase* makeRow(const StatsRowLayout& l, double* duration) {
    auto* row = new LevelStatsEffect(l.points, l.position, l.colour, l.kind, l.newRecord, l.perfect, l.last, l.label,
                                     l.value, l.delay);
    *duration = row->duration;
    return row;
}
[[maybe_unused]] const bool registered = (GameController::statsRowMaker = makeRow, true);

constexpr double FADE_IN = 0.5;
constexpr double COUNT_TIME = 0.5;
constexpr double AWARD_TIME = 1.0;
constexpr int BURST_PARTICLES = 50;
constexpr float BURST_MIN_SPEED = 100.0f;
constexpr float BURST_MAX_SPEED = 200.0f;
constexpr float BURST_LIFETIME = 1.0f;
constexpr double BANNER_LIFETIME = 2.0;
// What the awards shrink to as they settle (the total's a little larger).
constexpr float AWARD_SCALE_TOTAL = 0.35f;
constexpr float AWARD_SCALE_ROW = 0.25f;

FadingText* rowText(float x, std::u16string_view text, int flags) {
    auto* t =
        new FadingText(V3(x, LevelStatsEffect::START_Y, 0.0f), text, findResource<FontQuad>(u"fontLarge"), 0xFFFFFFFFu);
    t->flags = flags;
    t->fadeIn = FADE_IN;
    t->bShadow = 0;
    return t;
}

void freeUnattached(ZubBase* o) {
    if (o && !o->parent) deleteObject(o);
}

}  // namespace

LevelStatsEffect::LevelStatsEffect(int32_t value, const V3& place, uint32_t starColor, int32_t pitch, bool trophy,
                                   bool star, bool total, WString label, WString valueText, double startDelay)
    : duration(star || trophy ? 2.0 : 1.0),
      targetPosition(place),
      targetValue(value),
      semitones(pitch),
      bTrophy(trophy ? 1 : 0),
      bStar(star ? 1 : 0),
      bTotal(total ? 1 : 0) {
    pLabel = rowText(LABEL_X, label, FontQuad::TEXT_AT_X | FontQuad::TEXT_HALF_LINE_UP);
    pValue = rowText(VALUE_X, valueText, FontQuad::TEXT_RIGHT | FontQuad::TEXT_HALF_LINE_UP);
    pCounter = rowText(COUNTER_X, u"", FontQuad::TEXT_RIGHT | FontQuad::TEXT_HALF_LINE_UP);
    if (bStar) {
        pStar = new Renderable(findResource<Skin>(u"statsStar:0"), V3());
        pStar->color = starColor;
    }
    if (bTrophy) pTrophy = new Renderable(findResource<Skin>(u"statsTrophy:0"), V3());
    gotoState(FADING_IN, startDelay);
}

LevelStatsEffect::~LevelStatsEffect() {
    for (ZubBase* o : {static_cast<ZubBase*>(pLabel), static_cast<ZubBase*>(pValue), static_cast<ZubBase*>(pCounter),
                       static_cast<ZubBase*>(pStar), static_cast<ZubBase*>(pTrophy)})
        freeUnattached(o);
}

void LevelStatsEffect::onStateChange() {
    switch (state) {
        case FADING_IN:
            addChild(pLabel);
            addChild(pValue);
            addChild(pCounter);
            gotoState(COUNTING, FADE_IN);
            break;
        case COUNTING:
            if (targetValue > 0) findResource<Sound>(u"bellSmall")->playSemitones(static_cast<float>(semitones));
            break;
        case AWARDS:
            showAwards();
            break;
        default:
            break;
    }
}

void LevelStatsEffect::showAwards() {
    const int awards = bStar + bTrophy;
    float x = awards == 2 ? -100.0f : 0.0f;
    if (bStar) {
        showAward(pStar, x, pStar->color, SID_PERFECT);
        x += 200.0f;
    }
    if (bTrophy) showAward(pTrophy, x, TROPHY_BURST_COLOUR, SID_NEWRECORD);
    if (awards > 0) {
        findResource<Sound>(u"vibe")->playSemitones(static_cast<float>(semitones));
        findResource<Sound>(u"fireworkBang")->play();
    }
    gotoState(SETTLING, awards > 0 ? AWARD_TIME : 0.0);
}

void LevelStatsEffect::showAward(Renderable* sprite, float x, uint32_t burstColour, int32_t banner) {
    const V3 at(x, AWARD_Y, 0.0f);
    sprite->setPosition(at);
    addChild(sprite);
    if (GameServices::get().configuration().detailLevel >= 1)
        addChild(new ParticleGroup(BURST_PARTICLES, at, BURST_MIN_SPEED, BURST_MAX_SPEED, 0.0f, 2.0f * kPi, burstColour,
                                   BURST_LIFETIME));
    auto* text =
        new FadingText(at, gameLanguage().getText(banner), findResource<FontQuad>(u"fontMediumOutline"), 0xFFFFFFFFu);
    text->flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP;
    text->fadeIn = FADE_IN;
    text->fadeOut = FADE_IN;
    text->lifetime = BANNER_LIFETIME;
    text->bShadow = 0;
    addChild(text);
}

void LevelStatsEffect::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    if (state == COUNTING) {
        const double t = std::min(1.0, timeInState / COUNT_TIME);
        const double e = 1.0 - (1.0 - t) * (1.0 - t);
        if (targetValue > 0) {
            const WString percent = formatPercentTenths(static_cast<int32_t>(targetValue * e));
            pCounter->text = bTotal ? percent : formatString(u"+%s", percent);
        }
        if (t >= 1.0 && stateGoto != AWARDS) gotoState(AWARDS, 0.0);
    }
    if (state == SETTLING) settle();
}

void LevelStatsEffect::settle() {
    if (bSettled) return;
    const float s = static_cast<float>(std::min(1.0, timeInState));
    const float e = 1.0f - (1.0f - s) * (1.0f - s);
    const V3& to = targetPosition;
    if (!bTotal)
        for (FadingText* t : {pLabel, pValue, pCounter}) t->setScale(1.0f - 0.5f * e);
    auto glide = [&](Renderable* r, const V3& from, float dx) {
        r->setPosition(interpolateEased(from, V3(to.x + dx, to.y, to.z), s, easing::EASE_OUT));
    };
    glide(pLabel, V3(LABEL_X, START_Y, 0.0f), -280.0f);
    glide(pValue, V3(VALUE_X, START_Y, 0.0f), 50.0f);
    glide(pCounter, V3(COUNTER_X, START_Y, 0.0f), 200.0f);

    // The awards shrink on the way and then take the sheet's small picture.
    const float smallScale = bTotal ? AWARD_SCALE_TOTAL : AWARD_SCALE_ROW;
    auto shrink = [&](Renderable* sprite, const char16_t* sheet) {
        if (s < 1.0f) {
            sprite->setScale(1.0f + (smallScale - 1.0f) * e);
        } else {
            sprite->setSkin(findResource<Skin>(formatString(u"%s:%d", sheet, bTotal ? 1 : 2)));
            sprite->setScale(1.0f);
        }
    };
    if (pStar) {
        shrink(pStar, u"statsStar");
        glide(pStar, V3(bTrophy ? -100.0f : 0.0f, AWARD_Y, 0.0f), 250.0f);
    }
    if (pTrophy) {
        shrink(pTrophy, u"statsTrophy");
        glide(pTrophy, V3(bStar ? 100.0f : 0.0f, AWARD_Y, 0.0f), bTotal ? 293.0f : 280.0f);
    }
    // In place: nothing moves any more.
    bSettled = s >= 1.0f;
}
