#include "gui/MenuButton.h"

#include "engine/ContextManager.h"
#include "gui/ContextMessageBox.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuButton, MenuItem, gui_ids::MenuButton)

MenuButton::MenuButton(float x, float y, float z, std::u16string_view captionText, std::u16string_view hintText)
    : MenuItem(x, y, z, captionText, hintText) {
    setSkins(u"gui-game-button", 36, 0, 0, 36);
    setWidth(256);
    captionLocation = 5;
}

MenuButton::~MenuButton() = default;

void MenuButton::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    ZubInput* in = ZubInput::active();
    if (in && !bDisabled && !bHidden) {
        if (bHovered && in->wasPointerPressed(0) && !in->getPointerOwner(0)) in->setPointerOwner(this);
        const InputPointer* p = in->getPointer(0);
        if (p && p->bWentUp && in->getPointerOwner(0) == this && !(p->bDragged && !bHovered)) {
            if (title.empty() && question.empty()) {
                onMouseClick();
            } else if (ContextManager* stack = gui::screenStack(this)) {
                auto* box = new ContextMessageBox;
                box->title = title;
                box->text = question;
                box->button1Caption = gui::text(SID_YES);
                box->button2Caption = gui::text(SID_NO);
                box->result = &confirmResult;
                box->build();
                stack->pushContext(box);
            }
        }
    }
    if (confirmResult == 0) {
        onMouseClick();
        confirmResult = -1;
    }
}
