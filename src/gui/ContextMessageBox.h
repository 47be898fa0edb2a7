#pragma once
// The menus' modal dialog: a framed panel with an optional title, a wrapped
// text and up to two buttons, pushed over the screen that asks (which stays
// visible behind it). The asker fills the fields, lays the box out with
// build() and pushes it, then reads the answer through the int it handed
// in: -1 no answer (also after Escape), 0 the first button, 1 the second.
//
//   auto* box = new ContextMessageBox;
//   box->title = ...; box->text = ...;
//   box->button1Caption = gui::text(SID_YES); box->button2Caption = gui::text(SID_NO);
//   box->result = &answer;  // must outlive the box
//   box->build();
//   stack->pushContext(box);
//
// A box with at most one button also closes on the fire binding or any
// pointer press (without an answer). It plays "pop" when it first comes up.
#include <cstdint>

#include "gui/ContextMenu.h"
#include "util/WString.h"

class MenuButton;

class ContextMessageBox : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextMessageBox)
public:
    // Caption of the first button OK; deleted by the stack when closed.
    ContextMessageBox();
    ~ContextMessageBox() override;

    // Lays the box out from the fields; once, before the push.
    void build();

    void tickContents(double time, double dt) override;
    void renderContents() override;
    void onActivate(bool firstTime) override;

    V3 position;  // the box's centre
    WString title;
    WString text;
    WString button1Caption;
    WString button2Caption;
    int32_t* result = nullptr;
    MenuButton* button1 = nullptr;
    MenuButton* button2 = nullptr;
    // The panel's size (made by build).
    float panelWidth = 0, panelHeight = 0;
};
