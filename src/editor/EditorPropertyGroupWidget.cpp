#include "editor/EditorPropertyGroupWidget.h"

EditorPropertyGroupWidget::EditorPropertyGroupWidget(GUItheme* theme, Property* p) : EditorPropertyWidget(theme, p) {
    label = WString(1, SYMBOL_GROUP);
    color = COLOUR;
}

bool EditorPropertyGroupWidget::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_CLICK) {
        if (isDying()) return true;
        expanded = expanded ? 0 : 1;
        sendChangeNotice();
        return true;
    }
    return EditorPropertyWidget::onEvent(ev);
}

void EditorPropertyGroupWidget::layout(V3& cursor, float width) {
    EditorPropertyWidget::layout(cursor, width);
    setDescendantsFlag(!expanded);
    if (!expanded) return;
    V3 child(INDENT, -static_cast<float>(rowHeight / 2), 0.0f);
    // Rows are no registered classes: told apart from the other children
    // (a text row's edit box) by their C++ class.
    for (ZubBase* c : childrenOf(this))
        if (auto* row = dynamic_cast<EditorPropertyWidget*>(c); row && !row->bToBeDestroyed)
            row->layout(child, width - NARROWING);
    cursor.y += static_cast<float>(rowHeight / 2) + child.y;
}
