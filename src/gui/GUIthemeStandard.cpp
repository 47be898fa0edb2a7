#include "gui/GUIthemeStandard.h"

#include <algorithm>
#include <iterator>

#include "sys/ErrorManager.h"

GUIthemeStandard::GUIthemeStandard() : GUIthemeStandard(findFont(u"fontSmall")) {}

GUIthemeStandard::GUIthemeStandard(FontQuad* font) : GUItheme(20, 3, 1, 5, font) {}

const char16_t* GUIthemeStandard::sheetOf(int style) {
    static const char16_t* const sheets[STYLE_COUNT] = {
        u"",
        u"gui-invisible",
        u"gui-standard-generic",
        u"gui-standard-thickframe",
        u"gui-standard-thinframe",
        u"gui-standard-groove",
        u"gui-standard-panel-bevelinner",
        u"gui-standard-editbox",
        u"gui-standard-button",
        u"gui-standard-button-nogroove",
        u"gui-standard-tab",
        u"gui-standard-tab-selected",
    };
    return style >= 0 && style < STYLE_COUNT ? sheets[style] : nullptr;
}

void GUIthemeStandard::setStyle(GUIitem* item, int style) {
    const char16_t* sheet = sheetOf(style);
    if (!sheet) ZUB_ERROR(u"Unhandled style");
    if (style == 0) return;
    if (style == 10 || style == 11) {
        const int32_t tab[4] = {10, 5, 5, 10};
        std::copy(std::begin(tab), std::end(tab), item->insets);
    }
    applySheet(item, sheet);
    // Later items of this theme take the thick frame's border; this one keeps its own.
    if (style == 3) border = 2;
}
