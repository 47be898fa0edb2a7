#pragma once
// What the world's objects use of the level editor's property panel: the
// edited object, the position remembered when an object gained the focus,
// the display switches, and the skin chooser. The editor's panel derives
// from this class.
#include "object/ZubBase.h"
#include "util/Math.h"

class EditorObject;
class RuntimeClass;
class Skin;

class WorldEditorPanel {
public:
    WorldEditorPanel() = default;
    virtual ~WorldEditorPanel() = default;
    WorldEditorPanel(const WorldEditorPanel&) = delete;
    WorldEditorPanel& operator=(const WorldEditorPanel&) = delete;

    ZubBase* getEditedObject() const { return editedObject.get(); }
    // Makes the object the one being edited (null: none).
    virtual void setEditedObject(ZubBase* o) { editedObject.set(o); }
    // Ctrl+B: lets the user choose a skin for the field of the object (the
    // skin chooser's context is pushed). Nothing without a chooser.
    virtual void chooseSkin(EditorObject* object, Skin** field, const RuntimeClass* skinType) {
        (void)object;
        (void)field;
        (void)skinType;
    }

    // Written when an object gains the focus, read by Ctrl+Z.
    V3 selectionPosition;
    bool bShowHulls = false;
    bool bShowTriggerAreas = true;
    bool bShowBezierPaths = false;
    // Hides the editor views (editor skins, arrows, circles, outlines).
    bool bHideEditorViews = false;

protected:
    ZubBaseReference editedObject;
};
