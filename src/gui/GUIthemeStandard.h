#pragma once
// The standard GUI theme: items 20 high with a 1-unit border, 5-pixel frame
// insets, captions 3 units from the frame in the game's small font.
//
// Styles: 0 no frame, 1 "gui-invisible", 2-11 the "gui-standard-*" sheets
// (generic, thick frame, thin frame, groove, bevelled panel, edit box, button,
// button without groove, tab, selected tab). Tabs (10, 11) take the insets
// 10, 5, 5, 10. Styling an item with the thick frame (3) makes the theme's
// border 2 for every item made from it afterwards.
#include "gui/GUIitem.h"

class GUIthemeStandard : public GUItheme {
public:
    // The font is the resource "fontSmall" (fatal when missing): the theme
    // is made after the fonts are loaded.
    GUIthemeStandard();
    explicit GUIthemeStandard(FontQuad* font);

    void setStyle(GUIitem* item, int style) override;

    // The sheet of a style: empty for style 0, null for an unknown style.
    static const char16_t* sheetOf(int style);
    static constexpr int STYLE_COUNT = 12;  // styles 0 ... 11
};
