#pragma once
// The minimal GUI theme of the level editor: items 10 high without border,
// 3-pixel frame insets, captions 1 unit from the frame in the game's tiny
// font (which also carries the editor's row symbols).
//
// Styles: 0 no frame, 1 "gui-invisible", 2-11 all "gui-minimal-generic".
#include "gui/GUIitem.h"

class GUIthemeMinimal : public GUItheme {
public:
    // The font is the resource "fontTiny" (fatal when missing).
    GUIthemeMinimal();
    explicit GUIthemeMinimal(FontQuad* font);

    void setStyle(GUIitem* item, int style) override;

    // The sheet of a style: empty for style 0, null for an unknown style.
    static const char16_t* sheetOf(int style);
    static constexpr int STYLE_COUNT = 12;  // styles 0 ... 11
};
