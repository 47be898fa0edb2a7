#include "editor/EditorPropertyTextWidget.h"

#include "engine/FocusManager.h"
#include "gui/GUIeditBox.h"
#include "object/Property.h"
#include "util/Format.h"

EditorPropertyTextWidget::EditorPropertyTextWidget(GUItheme* theme, Property* p)
    : EditorPropertyWidget(theme, p), editBox(new GUIeditBox(theme)) {
    appendChild(editBox);
    setDescendantsFlag(true);
}

bool EditorPropertyTextWidget::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_FOCUS_GAINED) {
        beginEdit();
        return true;
    }
    return EditorPropertyWidget::onEvent(ev);
}

bool EditorPropertyTextWidget::onBubbleEvent(ZubEvent& ev) {
    // The box's commit is the row's to answer: its own notice tells the
    // panel when the row closed (a box that loses the focus after it closed
    // changes nothing and tells nobody).
    if (ev.code == EVENT_CHANGED && ev.sender == editBox) {
        commitEdit();
        return true;
    }
    return EditorPropertyWidget::onBubbleEvent(ev);
}

void EditorPropertyTextWidget::layout(V3& cursor, float width) {
    EditorPropertyWidget::layout(cursor, width);
    editBox->position =
        V3(static_cast<float>((this->width - editBox->width) / 2), -static_cast<float>(theme->defaultHeight / 2), 0.0f);
    editBox->onTransformChanged();
    // An open group shows all that is below it: the box only while editing.
    editBox->bHidden = editing ? 0 : 1;
}

void EditorPropertyTextWidget::beginEdit() {
    if (isReadOnly() || editing || isDying()) return;
    editing = 1;
    editBox->bHidden = 0;
    editBox->setText(WString());
    rowHeight *= 2;
    if (FocusManager* fm = FocusManager::active()) fm->setFocus(editBox);
    sendChangeNotice();
}

void EditorPropertyTextWidget::commitEdit() {
    if (isReadOnly() || !editing) return;
    editing = 0;
    editBox->bHidden = 1;
    rowHeight /= 2;
    // A row on its way out writes nothing: what it shows may be gone.
    if (isDying()) return;
    const WString text = editBox->getText();
    refusal.clear();
    writeValue([&] {
        if (text.size() == 1 && text[0] == GUIeditBox::CLEARED) property->fromString(u"");
        else if (!text.empty()) property->readText(text, &refusal);
    });
    if (!refusal.empty())
        refuse(formatString(u"The edit of '%s' is refused: '%s' is no value for it (%s).", property->getName(), text,
                            refusal));
    sendChangeNotice();
}
