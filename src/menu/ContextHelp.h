#pragma once
// The help page: links to the game's manual ("readme.htm" beside the
// program) and to the on-line help on the maker's web server. Following a
// link ends the game, which then opens the target (the hints say so).
#include "gui/ContextPage.h"

class MenuItemLink;

class ContextHelp : public ContextPage {
    ZUB_DECLARE_CLASS(ContextHelp)
public:
    ContextHelp();
    ~ContextHelp() override;

    // The manual's path: "readme.htm" in the folder the program reads its
    // files from.
    static WString manualPath();
    // The on-line help's address on the maker's web server (the "webHost"
    // setting, else the maker's own host).
    static WString onlineHelpAddress();

    MenuItemLink* documentationItem = nullptr;
    MenuItemLink* onlineHelpItem = nullptr;
};
