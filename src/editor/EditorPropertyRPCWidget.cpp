#include "editor/EditorPropertyRPCWidget.h"

#include "object/Property.h"
#include "object/RPC.h"
#include "util/Format.h"
#include "util/KeyCodes.h"

EditorPropertyRPCWidget::EditorPropertyRPCWidget(GUItheme* theme, Property* p) : EditorPropertyGroupWidget(theme, p) {
    label = WString(1, SYMBOL_ACTION);
    color = COLOUR;
}

bool EditorPropertyRPCWidget::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isCtrlChord(input_codes::KEY_X) && !isDying()) {
        if (RPC* rpc = property->getRPC(); rpc && !rpc->argumentFault().empty()) {
            // Arguments the call would assert against: it is not made.
            refuse(formatString(u"The call '%s' is refused: %s.", property->getName(), rpc->argumentFault()));
        } else if (rpc) {
            rpc->executeLocally();
            // The call changed the object (unless it replaced what the
            // panel shows, which flags this row).
            if (!isDying()) sendChangeNotice();
        }
        if (!(property->flags & PROP_EDITOR_HIDDEN)) return true;
    }
    return EditorPropertyGroupWidget::onEvent(ev);
}
