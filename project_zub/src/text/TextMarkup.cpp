#include "text/TextMarkup.h"

#include "util/Format.h"

namespace text_markup {

namespace {
int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}
}  // namespace

size_t readSwitch(std::u16string_view text, size_t i, uint32_t& colour, bool& wellFormed) {
    wellFormed = false;
    if (i >= text.size() || text[i] != SWITCH) return 0;
    if (text.size() - i < SWITCH_LENGTH || text[i + 1] != u'{' || text[i + 8] != u'}') return 1;
    uint32_t rgb = 0;
    for (size_t k = 2; k < 8; ++k) {
        const int v = hexValue(text[i + k]);
        if (v < 0) return 1;
        rgb = (rgb << 4) | static_cast<uint32_t>(v);
    }
    wellFormed = true;
    colour = rgb == DEFAULT_COLOUR ? DEFAULT_COLOUR : (0xFF000000u | rgb);
    return SWITCH_LENGTH;
}

WString strip(std::u16string_view text) {
    WString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == SWITCH) {
            uint32_t c = 0;
            bool ok = false;
            i += readSwitch(text, i, c, ok);
            continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

WString switchFor(uint32_t colour) {
    WString s(1, SWITCH);
    if (colour == DEFAULT_COLOUR) s += u"{000001}";
    else s += formatString(u"{%06x}", colour & 0x00FFFFFFu);
    return s;
}

}  // namespace text_markup
