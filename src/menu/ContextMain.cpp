#include "menu/ContextMain.h"

#include "engine/ContextManager.h"
#include "gfx/ZubGraphics.h"
#include "gui/ContextCredits.h"
#include "gui/GameLogo.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "menu/ContextHighscores.h"
#include "menu/ContextOptions.h"
#include "menu/MenuClassIds.h"
#include "menu/PlayerGreeting.h"
#include "records/AppInfo.h"
#include "sys/ErrorManager.h"
#include "sys/HttpRequest.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ContextMain, ContextMenu, menu_ids::ContextMain)

namespace {

// Ctrl and Alt held, Shift not (ZubInput::modifierState).
constexpr int kCtrlAlt = 4;

void setBlurred(Context* background, bool blurred) {
    if (auto* intro = zub_cast<IntroScreen>(background)) intro->bBlurred = blurred ? 1 : 0;
}

}  // namespace

ContextMain::ContextMain() {
    bDeleteWhenDone = 1;
    bConfirmEscape = 1;
    backgroundContext = gui::environment().introScreen;
    foregroundContext = gui::environment().overlayContext;

    const ZubGraphics* g = ZubGraphics::active();
    const int32_t h = g ? g->referenceHeight : REFERENCE_HEIGHT;
    auto* logo = new GameLogo(0);
    logo->setScale(0.5f);
    logo->setPosition(0.0f, static_cast<float>(h / 2 - 100), 0.0f);
    addChild(logo);

    addItem(new PlayerGreeting);

    const float s = static_cast<float>(itemSpacing);
    startItem = addButton(gui::text(SID_STARTGAME), u"", V3(0.0f, -s, 0.0f));
    highScoresItem = addButton(gui::text(SID_HIGHSCORES), u"", V3(0.0f, -2.0f * s, 0.0f));
    optionsItem = addButton(gui::text(SID_OPTIONSDOTS), u"", V3(0.0f, -3.0f * s, 0.0f));
    creditsItem = addButton(gui::text(SID_CREDITS), u"", V3(0.0f, -4.0f * s, 0.0f));

    const float x = static_cast<float>(layoutX);
    const float y = static_cast<float>(layoutY);
    auto* link = new MenuItemLink(x - 80.0f, -y, 0.0f, gui::text(SID_WEBSITE), gui::text(SID_WEBSITEHINT));
    link->url = websiteAddress();
    link->setWidth(160);
    addItem(link);

    auto* quit = new MenuBackButton(80.0f - x, -y, 0.0f, gui::text(SID_QUIT), u"");
    quit->setWidth(160);
    addItem(quit);
}

ContextMain::~ContextMain() = default;

WString ContextMain::websiteAddress() {
    return HttpRequest::pageAddress(WString(u"/?src=") + AppInfo::appFolderName + u"v" + AppInfo::versionText);
}

void ContextMain::onActivate(bool firstTime) {
    ContextMenu::onActivate(firstTime);
    gui::saveUserData();
    setBlurred(backgroundContext, false);
}

void ContextMain::onDeactivate(bool removed) {
    ContextMenu::onDeactivate(removed);
    setBlurred(backgroundContext, true);
}

void ContextMain::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);

    const ZubInput* in = ZubInput::active();
    if (in && in->wasKeyPressedWithModifiers(input_codes::KEY_X, kCtrlAlt)) ZUB_ERROR(u"Crash requested.");

    // Clicks of one frame are handled in this order: start, options, high
    // scores, credits.
    if (startItem->takeClick()) startGame();
    ContextManager* stack = gui::screenStack(this);
    if (optionsItem->takeClick() && stack) stack->pushContext(new ContextOptions);
    if (highScoresItem->takeClick() && stack) stack->pushContext(new ContextHighscores);
    if (creditsItem->takeClick() && stack) stack->pushContext(new ContextCredits);
}
