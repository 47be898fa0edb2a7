#include "editor/EditorPropertyPanel.h"

#include "editor/EditorClassIds.h"
#include "engine/Zub.h"
#include "gfx/Camera.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(EditorPropertyPanel, Context, editor_ids::EditorPropertyPanel)
ZUB_IMPLEMENT_CLASS(RPCListClasses, RPC, editor_ids::RPCListClasses)

EditorPropertyPanel::EditorPropertyPanel()
    : propertyTrees(new ZubBase),
      widgets(new ZubBase),
      homePosition(static_cast<float>(REFERENCE_WIDTH / 2 - 100), static_cast<float>(REFERENCE_HEIGHT / 2 - 10),
                   0.0f),
      editorCamera(0.0f, 0.0f, -static_cast<float>(REFERENCE_WIDTH / 2)) {
    bShowHulls = true;
    bShowBezierPaths = true;
    bShowTriggerAreas = true;
    addChild(propertyTrees);
    addChild(widgets);
}

EditorPropertyPanel::~EditorPropertyPanel() { editedObject.set(nullptr); }

void EditorPropertyPanel::netPostReplicate() {
    Context::netPostReplicate();
    const bool editing = THEROLE && THEROLE->bEditing;
    if (editing) setEditorCamera(editorCamera.x, editorCamera.y, editorCamera.z);
    if (ZUB && ZUB->bDebugLocked && !editing) {
        bShowHulls = false;
        bShowBezierPaths = false;
        bShowTriggerAreas = false;
    }
}

void EditorPropertyPanel::setEditorCamera(float x, float y, float z) {
    editorCamera = V3(x, y, z);
    GameWorld* world = GameWorld::current();
    if (Camera* camera = world && world->getEditor() == this ? world->getGameCamera() : nullptr)
        camera->resetAt(x, y, z);
}

void EditorPropertyPanel::addPropertiesTo(PropertyContainer* c) {
    Context::addPropertiesTo(c);
    c->add(new PropertyBool(u"bShowHulls", 0, &bShowHulls));
    c->add(new PropertyBool(u"bShowBezierPaths", 0, &bShowBezierPaths));
    c->add(new PropertyBool(u"bShowTriggerAreas", 0, &bShowTriggerAreas));
    addPropertyV3(c, u"editorCamera", 0, &editorCamera);
    c->add(new PropertyUString(u"levelName", 0, &levelName));
    c->add(new PropertyRPC<RPCListClasses>(u"showClassConstructors", 0, this));
}
