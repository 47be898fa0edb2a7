#include "menu/ContextOptions.h"

#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "menu/ContextControls.h"
#include "menu/ContextGameplay.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextHelp.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/ContextNetworkWizard1.h"
#include "menu/ContextSound.h"
#include "sys/Settings.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextOptions, ContextPage, u"ContextOptions")

ContextOptions::ContextOptions(Settings* s) : settings(s) {
    if (!settings && ZUB) settings = ZUB->settings.get();
    setTitle(gui::text(SID_OPTIONS));

    const float s1 = static_cast<float>(itemSpacing);
    gameplayItem = addButton(gui::text(SID_GAMEPLAY), u"", V3(0.0f, 2.0f * s1, 0.0f));
    controlsItem = addButton(gui::text(SID_CONTROLS), u"", V3(0.0f, s1, 0.0f));
    graphicsItem = addButton(gui::text(SID_GRAPHICS), u"", V3(0.0f, 0.0f, 0.0f));
    soundItem = addButton(gui::text(SID_SOUND), u"", V3(0.0f, -s1, 0.0f));
    networkItem = addButton(gui::text(SID_NETWORKWIZARD), u"", V3(0.0f, -2.0f * s1, 0.0f));
    if (settings && settings->singleLanguage < 0)
        languageItem = addButton(gui::text(SID_CHANGELANGUAGE), u"", V3(0.0f, -3.0f * s1, 0.0f));
    helpItem = addButton(gui::text(SID_HELP), u"", V3(0.0f, static_cast<float>(-layoutY), 0.0f));
    helpItem->setWidth(160);
    addBackButton();
}

ContextOptions::~ContextOptions() = default;

void ContextOptions::tickContents(double time, double dt) {
    ContextPage::tickContents(time, dt);
    ContextManager* stack = gui::screenStack(this);
    auto push = [stack](Context* page) {
        if (stack) stack->pushContext(page);
        else deleteObject(page);
    };
    if (gameplayItem->takeClick()) push(new ContextGameplay);
    if (controlsItem->takeClick()) push(new ContextControls);
    if (graphicsItem->takeClick()) push(new ContextGraphics);
    if (soundItem->takeClick()) push(new ContextSound);
    if (networkItem->takeClick()) push(new ContextNetworkWizard1);
    // Only for a choice of languages.
    if (languageItem && languageItem->takeClick() && settings) ContextLanguageSelect::requestLanguageChoice(*settings);
    if (helpItem->takeClick()) push(new ContextHelp);
}
