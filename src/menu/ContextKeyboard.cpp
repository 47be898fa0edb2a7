#include "menu/ContextKeyboard.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItem.h"
#include "lang/StringIds.h"
#include "menu/MenuItemKeyBinding.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextKeyboard, ContextPage, u"ContextKeyboard")

ContextKeyboard::ContextKeyboard() {
    setTitle(gui::text(SID_DEVICE_KEYBOARD));

    // A child without a navigation entry.
    inGameMenuItem = new MenuItem(0.0f, 0.0f, 0.0f, gui::text(SID_CONTROLSINGAMEMENU), u"");
    inGameMenuItem->captionLocation = defaultCaptionLocation;
    inGameMenuItem->setWidth(192);
    inGameMenuItem->bDisabled = 1;
    inGameMenuItem->disabledHint = gui::text(SID_CONTROLSINGAMEMENUHINT);
    addChild(inGameMenuItem);

    keyText = new FadingText(0.0f, 0.0f, 0.0f, MenuItemKeyBinding::keyName(input_codes::KEY_ESCAPE),
                             gui::font(u"fontMedium"), 0x80000000u);
    keyText->flags = 0x14;
    keyText->bShadow = 0;
    addChild(keyText);

    addBackButton();
}

ContextKeyboard::~ContextKeyboard() = default;
