#pragma once
// The base of the simple pages: a menu that the stack deletes when it
// closes, drawn over the intro backdrop, with a title at the top, its items,
// and a Back button in the lower left corner. A page's constructor builds
// it in that order:
//
//   MyPage::MyPage() {            // ContextPage(): deleted when done, backdrop
//       setTitle(gui::text(SID_OPTIONS));
//       addItem(new MenuItemToggle(...));
//       addBackButton();          // BACK, 160 wide, at (80 - layoutX, -layoutY)
//   }
//
// Texts are copied when the page is built: a page built before a change of
// language keeps the old texts.
#include "gui/ContextMenu.h"

class FadingText;
class MenuBackButton;

class ContextPage : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextPage)
public:
    ContextPage();
    ~ContextPage() override;

    // The title: fontLarge, white, centred at (0, layoutY), half a line up.
    FadingText* setTitle(std::u16string_view title);
    // The Back button (caption BACK unless given), added last.
    MenuBackButton* addBackButton();
    MenuBackButton* addBackButton(std::u16string_view caption);
    // The place of a forward button in the lower right corner.
    V3 forwardButtonPosition() const;
    // The NEXT button of a wizard step, 160 wide, in the lower right corner
    // opposite the Back button, at (layoutX - 80, -layoutY).
    MenuButton* addNextButton();

    FadingText* titleText = nullptr;
    MenuBackButton* backButton = nullptr;
};
