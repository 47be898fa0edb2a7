#include "gui/ContextPage.h"

#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "text/FadingText.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ContextPage, ContextMenu, gui_ids::ContextPage)

ContextPage::ContextPage() {
    bDeleteWhenDone = 1;
    backgroundContext = gui::environment().introScreen;
}

ContextPage::~ContextPage() = default;

FadingText* ContextPage::setTitle(std::u16string_view title) {
    auto* t = new FadingText(0.0f, static_cast<float>(layoutY), 0.0f, title, gui::font(u"fontLarge"), 0xFFFFFFFFu);
    t->flags |= 0x10;
    addChild(t);
    titleText = t;
    return t;
}

MenuBackButton* ContextPage::addBackButton() { return addBackButton(gui::text(SID_BACK)); }

MenuBackButton* ContextPage::addBackButton(std::u16string_view caption) {
    auto* b = new MenuBackButton(static_cast<float>(80 - layoutX), static_cast<float>(-layoutY), 0.0f, caption, u"");
    addItem(b);
    b->setWidth(160);
    backButton = b;
    return b;
}

MenuButton* ContextPage::addNextButton() {
    MenuButton* b =
        addButton(gui::text(SID_NEXT), u"", V3(static_cast<float>(layoutX - 80), static_cast<float>(-layoutY), 0.0f));
    b->setWidth(160);
    return b;
}

V3 ContextPage::forwardButtonPosition() const {
    return V3(static_cast<float>(layoutX - 128), static_cast<float>(-layoutY), 0.0f);
}
