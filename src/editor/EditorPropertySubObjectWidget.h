#pragma once
// The row of an object held inside the edited one (a hull's vertices, a
// physics point): Ctrl+F edits that object.
#include "editor/EditorPropertyWidget.h"

class EditorPropertySubObjectWidget : public EditorPropertyWidget {
public:
    EditorPropertySubObjectWidget(GUItheme* theme, Property* property);

    bool onEvent(ZubEvent& ev) override;
};
