#include "menu/ContextGameplay.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItemToggle.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextGameplay, ContextPage, u"ContextGameplay")

ContextGameplay::ContextGameplay() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(SID_GAMEPLAY));
    const float s = static_cast<float>(itemSpacing);
    auto toggle = [this](float y, uint8_t* value, int32_t caption, int32_t hint) {
        addItem(new MenuItemToggle(0.0f, y, 0.0f, value, gui::text(caption), gui::text(hint)));
    };
    toggle(s, &config->showHints, SID_TUTORIAL, SID_TUTORIALHINT);
    toggle(0.0f, &config->colourBlindMode, SID_COLORBLIND, SID_COLORBLINDHINT);
    toggle(-s, &config->showClock, SID_SHOWCLOCK, SID_SHOWCLOCKHINT);
    toggle(-2.0f * s, &config->allowCheats, SID_ALLOWCHEATS, SID_ALLOWCHEATSHINT);
    addBackButton();
}

ContextGameplay::~ContextGameplay() = default;
