#include "menu/ContextHelp.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItemLink.h"
#include "lang/StringIds.h"
#include "sys/FileManager.h"
#include "sys/HttpRequest.h"
#include "sys/Paths.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextHelp, ContextPage, u"ContextHelp")

ContextHelp::ContextHelp() {
    setTitle(gui::text(SID_HELPTITLE));
    documentationItem = addLinkButton(gui::text(SID_DOCUMENTATION), gui::text(SID_DOCUMENTATIONHINT),
                                      V3(0.0f, static_cast<float>(itemSpacing), 0.0f));
    documentationItem->url = manualPath();
    onlineHelpItem = addLinkButton(gui::text(SID_ONLINEHELP), gui::text(SID_ONLINEHELPHINT), V3(0.0f, 0.0f, 0.0f));
    onlineHelpItem->url = onlineHelpAddress();
    addBackButton();
}

ContextHelp::~ContextHelp() = default;

WString ContextHelp::manualPath() {
    // The shell opens the file after the game has gone, from wherever it
    // was started: the path names the program's folder.
    const FileManager* files = FileManager::active();
    std::string folder = files ? files->baseFolder : getExecutableFolderPath();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return narrowToWide(folder + "readme.htm");
}

WString ContextHelp::onlineHelpAddress() { return HttpRequest::pageAddress(u"/tumbro/onlinehelp.php"); }
