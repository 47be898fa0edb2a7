#include "flow/ContextRecipe.h"

#include <algorithm>
#include <cmath>

#include "flow/ContextValley.h"
#include "flow/GameServices.h"
#include "gfx/ZubGraphics.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemLink.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "object/ResourceLookup.h"
#include "records/ProfileManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

namespace {

FadingText* plainText(const V3& at, std::u16string_view text, FontQuad* font, uint32_t colour, int32_t flags) {
    auto* t = new FadingText(at, text, font, colour);
    t->flags = flags;
    t->bShadow = 0;
    return t;
}

}  // namespace

ContextRecipe::ContextRecipe() {
    const Language& language = gameLanguage();
    setTitle(language.getText(SID_RECIPE));

    pPage = new ZubBase;
    addChild(pPage);

    const ZubGraphics* g = ZubGraphics::active();
    const int32_t h = g ? g->referenceHeight : REFERENCE_HEIGHT;
    pChoice = new MenuItemChoice(0.0f, static_cast<float>(h / 2 - 125), 0.0f, &part, 0, NUMLEVELS - 1, SID_RECIPEPART0,
                                 u"", u"");
    addChild(pChoice);
    createItemHandler(pChoice);

    pLink = addLinkButton(language.getText(SID_RECIPEONLINE), language.getText(SID_RECIPEONLINEHINT),
                          V3(static_cast<float>(layoutX - 128), static_cast<float>(-layoutY), 0.0f));
    pLink->url = ContextValley::buildRecipeUrl();
    addBackButton(language.getText(SID_OK));

    buildPage();
}

ContextRecipe::~ContextRecipe() = default;

void ContextRecipe::buildPage() {
    pPage->destroyChildren();
    part = std::clamp(part, 0, NUMLEVELS - 1);
    const LevelResult& level = GameServices::get().profiles().currentProfile().levels[part];
    const Language& language = gameLanguage();

    if (!level.perfect[LevelResult::PERFECT_SCORE]) {
        FontQuad* font = findResource<FontQuad>(u"fontSmallOutline");
        pPage->addChild(plainText(V3(0.0f, 10.0f, 0.0f), language.getText(SID_RECIPELOCKED1), font, NOTICE_COLOUR,
                                  FontQuad::TEXT_CENTRE));
        if (level.unlocked)
            pPage->addChild(plainText(
                V3(0.0f, -10.0f, 0.0f),
                formatString(language.getText(SID_RECIPELOCKED2), ProfileData::levelNumberToTitle(part, language)),
                font, NOTICE_COLOUR, FontQuad::TEXT_CENTRE));
        return;
    }

    const V3 card(0.0f, -30.0f, 0.0f);
    auto* background = new Renderable(findResource<Skin>(u"minimapBackground:0"), card);
    background->setScaleV(V3(2.5f, 1.1f, 1.0f));
    pPage->addChild(background);

    const ZubGraphics* g = ZubGraphics::active();
    const float w = static_cast<float>(g ? g->referenceWidth : REFERENCE_WIDTH);
    FontQuad* font = findResource<FontQuad>(u"fontSmall");
    const float step = std::ceil(static_cast<float>(font->height) * 1.25f);
    TextBlock block(font, w - 200.0f, step, language.getText(SID_RECIPE0 + part));
    float y = static_cast<float>(block.lineCount()) * step / 2.0f;
    for (const TextLine* line : childrenOf<TextLine>(block)) {
        for (const TextRun* run : childrenOf<TextRun>(line)) {
            const uint32_t colour = run->color == 1 ? TEXT_COLOUR : run->color;
            const V3 at = card + V3(100.0f - w / 2.0f + run->x, y, 0.0f);
            pPage->addChild(plainText(at, run->text, font, colour, FontQuad::TEXT_AT_X));
        }
        y -= step;
    }
}

void ContextRecipe::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (pChoice->bChanged) {
        pChoice->bChanged = 0;
        buildPage();
    }
}
