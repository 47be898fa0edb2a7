#pragma once
// The network configuration, the second page of the network set-up (opened
// by the network test over itself): the country list, bound to the
// configuration's country index, CANCEL and NEXT. NEXT marks the network as
// configured, which lets the high-score upload start without the test, and
// closes the page; the stack then also removes the test page below it.
#include "gui/ContextPage.h"

class MenuButton;
class MenuItemCountry;

class ContextNetworkConfiguration : public ContextPage {
    ZUB_DECLARE_CLASS(ContextNetworkConfiguration)
public:
    ContextNetworkConfiguration();
    ~ContextNetworkConfiguration() override;

    void tickContents(double time, double dt) override;

    MenuItemCountry* countryItem = nullptr;
    MenuButton* nextButton = nullptr;
};
