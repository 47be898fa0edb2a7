#include "editor/EditorPropertyBoolWidget.h"

#include "object/Property.h"

bool EditorPropertyBoolWidget::onEvent(ZubEvent& ev) {
    if (ev.code != EVENT_CLICK) return EditorPropertyWidget::onEvent(ev);
    auto* flag = zub_cast<PropertyBool>(property);
    if (flag && !isReadOnly() && !isDying()) {
        if (writeValue([&] { flag->set(!flag->get()); })) sendChangeNotice();
    }
    return true;
}
