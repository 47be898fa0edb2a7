#pragma once
// The row of an action (a remote call held by the property, such as a
// level object's "createHull" or the panel's "showClassConstructors"): a
// group of the call's arguments. Ctrl+X runs the call here (it is not sent
// to the peers). The key then goes no further, unless the property carries
// flag 0x10, when the group's handling follows.
#include "editor/EditorPropertyGroupWidget.h"

class EditorPropertyRPCWidget : public EditorPropertyGroupWidget {
public:
    static constexpr uint32_t COLOUR = 0xFFFFC0C0u;

    EditorPropertyRPCWidget(GUItheme* theme, Property* property);

    bool onEvent(ZubEvent& ev) override;
};
