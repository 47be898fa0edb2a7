#include "editor/EditorPropertyClassWidget.h"

#include <cmath>

#include "editor/EditorPropertyPanel.h"
#include "engine/FocusManager.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"
#include "world/GameWorld.h"

EditorPropertyClassWidget::EditorPropertyClassWidget(GUItheme* theme, Property* p)
    : EditorPropertyGroupWidget(theme, p) {
    expanded = 0;
}

bool EditorPropertyClassWidget::onBubbleEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isCtrlChord(input_codes::KEY_X) && !isDying()) {
        placePrototype();
        return true;
    }
    return EditorPropertyGroupWidget::onBubbleEvent(ev);
}

bool EditorPropertyClassWidget::placePrototype() {
    auto* classProperty = zub_cast<PropertyClass>(property);
    GameWorld* world = GameWorld::current();
    NetRole* role = THEROLE;
    if (!classProperty || !classProperty->getPrototype() || !world || !world->getObjectList() || !role ||
        !role->bAllowNewObjectRegistations)
        return false;
    // The class property lets go of the prototype and of the properties that
    // showed it: the rows that showed them go too.
    ZubBase* object = classProperty->takePrototype();
    for (ZubBase* c : childrenOf(this))
        if (dynamic_cast<EditorPropertyWidget*>(c)) c->bToBeDestroyed = 1;

    role->registerObject(object, 0);
    // A level object is drawn and picked through its proxy, which its
    // construct call makes. A prototype already built with its own
    // construct row is not built a second time (a second call adds to what
    // the first made: a fence's points, for one).
    auto* placed = zub_cast<EditorObject>(object);
    if (placed && !placed->isConstructed()) placed->construct();
    object->netPostReplicate();
    object->netPostReplicateGlobal();
    ZubBase* list = placed && placed->pOwnerList ? placed->pOwnerList : world->getObjectList();
    if (!object->parent) list->netAddChild(object);
    EditorPropertyPanel* panel = ownerPanel();
    const V3 at = panel ? panel->gameMousePosition() : V3();
    if (placed) placed->setPosition(std::trunc(at.x), std::trunc(at.y), 0.0f);
    sendEvent(EVENT_EDITED, this, object);
    // The new object is the one edited now, with the focus: its rows come up
    // (an object that still needs its construct action shows nothing to
    // pick until then) and the editor's keys act on it.
    if (panel) panel->setEditedObject(object);
    if (FocusManager* fm = FocusManager::active()) fm->setFocus(object);
    return true;
}
