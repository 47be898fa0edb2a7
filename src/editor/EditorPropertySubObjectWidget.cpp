#include "editor/EditorPropertySubObjectWidget.h"

#include "editor/EditorPropertyPanel.h"
#include "engine/FocusManager.h"
#include "object/Property.h"
#include "util/KeyCodes.h"

EditorPropertySubObjectWidget::EditorPropertySubObjectWidget(GUItheme* theme, Property* p)
    : EditorPropertyWidget(theme, p) {
    label = WString(1, SYMBOL_SUBOBJECT);
}

bool EditorPropertySubObjectWidget::onEvent(ZubEvent& ev) {
    if (ev.code != EVENT_KEY || !isCtrlChord(input_codes::KEY_F)) return EditorPropertyWidget::onEvent(ev);
    auto* sub = zub_cast<PropertySubObject>(property);
    EditorPropertyPanel* panel = ownerPanel();
    if (!sub || !sub->object || !panel || isDying()) return true;
    ZubBase* object = sub->object;
    panel->setEditedObject(object);
    if (FocusManager* fm = FocusManager::active()) fm->setFocus(object);
    return true;
}
