#include "menu/ContextNetworkConfiguration.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "menu/MenuItemCountry.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextNetworkConfiguration, ContextPage, u"ContextNetworkConfiguration")

ContextNetworkConfiguration::ContextNetworkConfiguration() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(SID_NETCONFIGTITLE));
    countryItem = new MenuItemCountry(128.0f, static_cast<float>(-itemSpacing), 0.0f, &config->countryIndex,
                                      gui::text(SID_SELECTYOURCOUNTRY), gui::text(SID_SELECTYOURCOUNTRYHINT));
    addItem(countryItem);
    addBackButton(gui::text(SID_CANCEL));
    nextButton = addNextButton();
}

ContextNetworkConfiguration::~ContextNetworkConfiguration() = default;

void ContextNetworkConfiguration::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);
    if (nextButton->takeClick()) {
        gui::environment().configuration->networkConfigured = 1;
        done = 1;
    }
}
