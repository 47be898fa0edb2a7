#include "gui/ContextCredits.h"

#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "gui/TextPanel.h"
#include "sys/Settings.h"
#include "sys/SystemInfo.h"
#include "text/FadingText.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ContextCredits, ContextPage, gui_ids::ContextCredits)

ContextCredits::ContextCredits() {
    timeLimit = 124.0;
    bCloseOnFire = 1;

    const ZubGraphics* g = ZubGraphics::active();
    const int32_t w = g ? g->referenceWidth : REFERENCE_WIDTH;
    const int32_t h = g ? g->referenceHeight : REFERENCE_HEIGHT;
    const int hq2x = ZUB && ZUB->settings ? ZUB->settings->hq2x : 1;
    versionText =
        new FadingText(static_cast<float>(w / 2 - 4), static_cast<float>(2 - h / 2), 0.0f,
                       formatString(u"%s %dx", getVersionString(), hq2x), gui::font(u"fontSmall"), 0xFFFFFFFFu);
    versionText->flags = 0x28;
    versionText->bShadow = 0;
    addChild(versionText);

    panel = new TextPanel;
    panel->buildText();
    addChild(panel);
}

ContextCredits::~ContextCredits() = default;
