#pragma once
// The row of a yes/no property: a click toggles it (not when it is read-only).
#include "editor/EditorPropertyWidget.h"

class EditorPropertyBoolWidget : public EditorPropertyWidget {
public:
    using EditorPropertyWidget::EditorPropertyWidget;

    bool onEvent(ZubEvent& ev) override;
};
