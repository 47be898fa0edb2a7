#include "gui/GUIeditBox.h"

#include <algorithm>
#include <cmath>

#include "text/FontQuad.h"
#include "util/KeyCodes.h"

GUIeditBox::GUIeditBox(GUItheme* theme) : GUIitem(theme, STYLE) {
    captionLocation = CAPTION_INSIDE_LEFT;
    setSize(DEFAULT_WIDTH, theme->defaultHeight);
}

GUIeditBox::~GUIeditBox() = default;

void GUIeditBox::setText(const WString& t) {
    text = t;
    clampCaret();
}

void GUIeditBox::clampCaret() { caret = std::clamp<int32_t>(caret, 0, static_cast<int32_t>(text.size())); }

void GUIeditBox::tick(double time, double dt) {
    GUIitem::tick(time, dt);
    if (!bEditing && target) text = *target;
    // Anyone may have changed the text since the caret was placed.
    clampCaret();
    if (!hasFocus()) {
        caption = text;
        return;
    }
    const size_t at = static_cast<size_t>(caret);
    const bool on = std::fmod(std::floor(time * 8.0), 2.0) == 0.0;
    WString shown = text.substr(0, at);
    shown += on ? CARET_ON : CARET_OFF;
    shown.append(text, at);
    // How much of the text before the caret fits the inner width; when not
    // all of it, show the part from half that much before the caret.
    int32_t fit = caret;
    if (font) {
        const float inner = static_cast<float>(width - 2 * theme->captionPadding);
        fit = font->measureText(std::u16string_view(text).substr(0, at), inner, 0).fit;
    }
    if (fit != caret) caption = u"..." + shown.substr(static_cast<size_t>(std::max(caret - fit / 2, 0)));
    else caption = shown;
}

bool GUIeditBox::onEvent(ZubEvent& ev) {
    switch (ev.code) {
        case EVENT_FOCUS_GAINED:
            bEditing = 1;
            caret = static_cast<int32_t>(text.size());
            break;
        case EVENT_FOCUS_LOST:
            if (!commit()) return true;
            break;
        case EVENT_KEY:
            onKey(ev.key, ev.character);
            return true;
        default:
            break;
    }
    return GUIitem::onEvent(ev);
}

void GUIeditBox::onKey(int key, char16_t c) {
    clampCaret();
    if (key == input_codes::KEY_DELETE) {
        text.assign(1, CLEARED);
        commit();
    } else if (key == input_codes::KEY_LEFT) {
        if (caret > 0) --caret;
    } else if (key == input_codes::KEY_RIGHT) {
        if (caret < static_cast<int32_t>(text.size())) ++caret;
    } else if (key == input_codes::KEY_ESCAPE) {
        if (target) setText(*target);
    } else if (c == u'\r' || key == input_codes::KEY_NUMPADENTER || key == input_codes::KEY_TAB) {
        commit();
    } else if (c == u'\b') {
        if (!text.empty() && caret > 0) text.erase(static_cast<size_t>(--caret), 1);
    } else if (c != 0) {
        text.insert(static_cast<size_t>(caret++), 1, c);
    }
}

bool GUIeditBox::commit() {
    bEditing = 0;
    if (target) *target = text;
    // The owner may delete the box while it handles the event.
    ZubBaseReference self;
    self.set(this);
    sendEvent(EVENT_CHANGED, this, this);
    return self.get() != nullptr;
}
