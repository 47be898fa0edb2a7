#pragma once
// A row that opens and closes: a group of properties (a container such as a
// vector's "x", "y" and "z"), shown with its child rows below it, indented.
// A click toggles it; a closed group hides every row below it, at every
// depth, and takes only its own line.
#include "editor/EditorPropertyWidget.h"

class EditorPropertyGroupWidget : public EditorPropertyWidget {
public:
    static constexpr uint32_t COLOUR = 0xFFC0FFFFu;
    // Child rows start this far in and are this much narrower.
    static constexpr float INDENT = 5.0f;
    static constexpr float NARROWING = 10.0f;

    EditorPropertyGroupWidget(GUItheme* theme, Property* property);

    // A click toggles the group.
    bool onEvent(ZubEvent& ev) override;
    // The row, then (open) the child rows below it in its own space.
    void layout(V3& cursor, float width) override;

    uint8_t expanded = 1;
};
