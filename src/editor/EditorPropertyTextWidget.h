#pragma once
// The row of a value that is edited as text (numbers, texts, colours,
// enumerations). Taking the focus opens the row: it doubles its height and
// shows an empty edit box below the name, which takes the focus. When the
// box commits (focus lost, Return, keypad Enter, Tab or Delete) the row
// closes and the property reads the text (Property::readText): text it
// refuses leaves the value as it was, and the row keeps what the property
// takes and refuses the edit saying so (EditorPropertyWidget::refuse); an empty box leaves the value as it was, Delete
// (the box holds U+0008) clears it (Property::fromString of the empty text). Read-only properties do not open.
#include "editor/EditorPropertyWidget.h"

class GUIeditBox;

class EditorPropertyTextWidget : public EditorPropertyWidget {
public:
    EditorPropertyTextWidget(GUItheme* theme, Property* property);

    // Focus gained opens the row.
    bool onEvent(ZubEvent& ev) override;
    // The own edit box's commit closes it (and goes no further).
    bool onBubbleEvent(ZubEvent& ev) override;
    // The row, then the box centred under the name.
    void layout(V3& cursor, float width) override;

    virtual void beginEdit();
    virtual void commitEdit();

    GUIeditBox* editBox;  // a child of the row
    uint8_t editing = 0;
    // What the property takes, when it refused the last text; else empty.
    WString refusal;
};
