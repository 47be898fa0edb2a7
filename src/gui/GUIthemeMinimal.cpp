#include "gui/GUIthemeMinimal.h"

#include "sys/ErrorManager.h"

GUIthemeMinimal::GUIthemeMinimal() : GUIthemeMinimal(findFont(u"fontTiny")) {}

GUIthemeMinimal::GUIthemeMinimal(FontQuad* font) : GUItheme(10, 1, 0, 3, font) {}

const char16_t* GUIthemeMinimal::sheetOf(int style) {
    if (style == 0) return u"";
    if (style == 1) return u"gui-invisible";
    return style > 1 && style < STYLE_COUNT ? u"gui-minimal-generic" : nullptr;
}

void GUIthemeMinimal::setStyle(GUIitem* item, int style) {
    const char16_t* sheet = sheetOf(style);
    if (!sheet) ZUB_ERROR(u"Unhandled style");
    if (style != 0) applySheet(item, sheet);
}
