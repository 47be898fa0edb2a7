#include "editor/EditorPropertyWidget.h"

#include <algorithm>

#include "editor/EditorPropertyPanel.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "sys/Console.h"
#include "sys/Logger.h"
#include "text/FontQuad.h"
#include "util/Format.h"

EditorPropertyWidget::EditorPropertyWidget(GUItheme* theme, Property* p) : GUIitem(theme, STYLE), property(p) {}

EditorPropertyWidget::~EditorPropertyWidget() = default;

void EditorPropertyWidget::layout(V3& cursor, float width) {
    setSize(static_cast<int>(width), rowHeight);
    position = V3(cursor.x, cursor.y - static_cast<float>(rowHeight / 2), cursor.z);
    onTransformChanged();
    cursor.y -= static_cast<float>(rowHeight);
}

void EditorPropertyWidget::render() {
    if (bHidden) return;
    GUIitem::render();
    if (!font || !property || isDying()) return;
    const float y = static_cast<float>(rowHeight / 2 - theme->defaultHeight / 2);
    V3 at;
    const ShownTexts texts = shownTexts();
    localToWorld(at, V3(static_cast<float>(2 - width / 2), y, 0.0f));
    font->drawText(at, TEXT_COLOUR, NAME_FLAGS, texts.name);
    localToWorld(at, V3(static_cast<float>(width / 2 - 2), y, 0.0f));
    font->drawText(at, TEXT_COLOUR, VALUE_FLAGS, texts.value);
}

namespace {
// The text, or its start with "..." when it is wider than the room; nothing
// when not even "..." fits.
WString fitted(const FontQuad& font, const WString& text, float room, int flags) {
    if (font.measureLine(text, flags) <= room) return text;
    if (font.measureLine(u"...", flags) > room) return {};
    return font.ellipsize(text, room, flags);
}
}  // namespace

EditorPropertyWidget::ShownTexts EditorPropertyWidget::shownTexts() const {
    ShownTexts texts;
    if (!property) return texts;
    texts.name = label;
    texts.name += property->getName();
    texts.value = property->toString();
    if (!font) return texts;
    const float room = static_cast<float>(width - 4);
    const float nameWidth = font->measureLine(texts.name, NAME_FLAGS);
    if (texts.value.empty()) {
        texts.name = fitted(*font, texts.name, room, NAME_FLAGS);
        return texts;
    }
    const float gap = font->measureLine(u" ", NAME_FLAGS);
    const float valueWidth = font->measureLine(texts.value, VALUE_FLAGS);
    if (nameWidth + gap + valueWidth <= room) return texts;
    const float nameRoom = std::max(room - gap - valueWidth, (room - gap) * 0.5f);
    texts.name = fitted(*font, texts.name, nameRoom, NAME_FLAGS);
    const float valueRoom = room - gap - (texts.name.empty() ? 0.0f : font->measureLine(texts.name, NAME_FLAGS));
    texts.value = fitted(*font, texts.value, valueRoom, VALUE_FLAGS);
    return texts;
}

void EditorPropertyWidget::sendChangeNotice() { sendEvent(EVENT_CHANGED, this, this); }

ZubBase* EditorPropertyWidget::owningObject() const {
    for (const ZubBase* p = property; p; p = p->parent)
        if (const auto* entry = zub_cast<PropertyClass>(p)) return entry->getPrototype();
    const EditorPropertyPanel* panel = ownerPanel();
    return panel ? panel->getEditedObject() : nullptr;
}

bool EditorPropertyWidget::writeValue(const std::function<void()>& write) {
    const WString before = property->toString();
    write();
    const ZubBase* object = owningObject();
    const WString fault = object ? object->valueFault() : WString();
    if (fault.empty()) return true;
    // Back to the value it had (the object's values were fine with it).
    property->fromString(before);
    refuse(formatString(u"The edit of '%s' is refused: %s.", property->getName(), fault));
    return false;
}

void EditorPropertyWidget::refuse(const WString& why) {
    Logger::get().logLine(why);
    Console::printActive(u"%s", why);
    if (EditorPropertyPanel* panel = ownerPanel()) panel->lastRefusal = why;
}

bool EditorPropertyWidget::isDying(const ZubBase* o) {
    for (; o; o = o->parent)
        if (o->bToBeDestroyed) return true;
    return false;
}

bool EditorPropertyWidget::isReadOnly() const { return !property || (property->flags & PROP_READONLY) != 0; }

EditorPropertyPanel* EditorPropertyWidget::ownerPanel() const {
    for (ZubBase* o = parent; o; o = o->parent)
        if (auto* panel = zub_cast<EditorPropertyPanel>(o)) return panel;
    return nullptr;
}

bool EditorPropertyWidget::isCtrlChord(int key) {
    const ZubInput* in = ZubInput::active();
    return in && in->modifierState == 2 && in->isKeyDown(key) && !in->wasKeyDown(key);
}
