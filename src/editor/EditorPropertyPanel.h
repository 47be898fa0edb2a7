#pragma once
// The level editor's property panel: one per level, made by the game
// controller on the server side and kept in its "editor" property, so that
// every level file carries one. It holds the editor's settings (which editor
// views the level objects draw, the camera place the editor left, the
// level's name) and, while a level is edited, the property trees and widget
// trees of the object being edited.
//
// Its properties are part of the level-file format: they are written in the
// order addPropertiesTo declares them, and that order must never change.
//
// The editor is active only in edit mode (a role whose editing flag is set,
// and a game controller with a panel). Outside it the panel only ticks its
// children; when the engine's debug features are locked, a panel read from
// a level clears its show flags, so that no build for players draws hulls,
// paths or trigger radii.
#include "engine/Context.h"
#include "net/RPC.h"
#include "util/Math.h"
#include "util/WString.h"
#include "world/WorldEditorPanel.h"

class EditorPropertyPanel : public Context, public WorldEditorPanel {
    ZUB_DECLARE_CLASS(EditorPropertyPanel)
public:
    // The width the widget trees are laid out in.
    static constexpr float LAYOUT_WIDTH = 150.0f;

    EditorPropertyPanel();
    ~EditorPropertyPanel() override;

    // The panel itself is never under the pointer.
    bool isMouseInside() override { return false; }
    // In edit mode the camera goes back where the editor left it; with the
    // debug features locked outside edit mode, the show flags are cleared.
    void netPostReplicate() override;
    // ZubBase's, then bShowHulls, bShowBezierPaths, bShowTriggerAreas,
    // "editorCamera" {x, y, z}, levelName and the action
    // "showClassConstructors" (which writes nothing).
    void addPropertiesTo(PropertyContainer* container) override;

    // Stores the camera place and puts the game camera there at once (its
    // running motions end).
    void setEditorCamera(float x, float y, float z);

    // The level's name (the editor does not read it).
    WString levelName = u"none";
    // List holders, the panel's first two children: the property trees and
    // the widget trees on display.
    ZubBase* propertyTrees;
    ZubBase* widgets;
    // Where the widget tree starts after a new selection, and where its
    // first widget is laid out now (moved by dragging).
    V3 homePosition;
    V3 layoutOrigin;
    // The last camera place the editor set.
    V3 editorCamera;
};

// The panel's action: shows the class list of placeable objects (on the
// editing screen).
class RPCListClasses : public RPC {
    ZUB_DECLARE_CLASS(RPCListClasses)
public:
    RPCListClasses() : RPC(true, true, false) {}
};
