#pragma once
// The secret recipe, one of its 32 parts at a time: a part's text on a card
// when its level was finished with a perfect total, otherwise a notice that
// the part is missing (naming the level to finish, once that level is
// unlocked). A selector chooses the part; a link button leaves for the
// recipe web page (whose address carries which parts are unlocked), and OK
// or the back key closes the page. The valley map opens it; the stack
// deletes it when it closes.
#include <cstdint>

#include "gui/ContextPage.h"

class MenuItemChoice;
class MenuItemLink;

class ContextRecipe : public ContextPage {
public:
    // The text of an open part, where no colour of its own is set.
    static constexpr uint32_t TEXT_COLOUR = 0xFF000000u;
    static constexpr uint32_t NOTICE_COLOUR = 0xFFFFFFFFu;

    ContextRecipe();
    ~ContextRecipe() override;

    // Empties the page and fills it for `part`.
    void buildPage();
    // The menu, then a new page when the selector changed the part.
    void tickContents(double time, double dt) override;

    int32_t part = 0;
    MenuItemChoice* pChoice = nullptr;
    ZubBase* pPage = nullptr;
    MenuItemLink* pLink = nullptr;
};
