#pragma once
// The row of a placeable class in the panel's class list: a group (closed
// at first) of the properties of a prototype object of the class. Ctrl+X on
// a row inside the group places the prototype into the level under the
// pointer, once (the class then has no prototype left), and the placed
// object becomes the edited one, with the focus.
#include "editor/EditorPropertyGroupWidget.h"

class EditorPropertyClassWidget : public EditorPropertyGroupWidget {
public:
    EditorPropertyClassWidget(GUItheme* theme, Property* property);

    // Ctrl+X arriving from the rows inside the group places the prototype.
    bool onBubbleEvent(ZubEvent& ev) override;
    // Registers the prototype with the current role, constructs it (unless
    // it has been constructed already) and puts it into the level at the
    // game world's pointer (x and y whole numbers, z 0); false when there is
    // no prototype, no role that may make objects or no level.
    bool placePrototype();
};
