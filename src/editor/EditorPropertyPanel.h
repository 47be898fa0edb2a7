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
//
// In edit mode the panel shows the edited object's properties as a tree of
// rows (EditorPropertyWidget) in the top right corner, joined to the object
// by a leader line: a level object selects itself when it takes the focus,
// F2 selects the level, F3 the editor's own settings, F1 lists the classes
// of level objects, each with a prototype to place. The wheel zooms the game
// camera about the pointer, the middle button pans it, and a grid of
// screen-sized cells is drawn over the level (with a circle at the pointer
// while left Shift is held).
//
// What the rows may edit is guarded: the UID of a shown object, references
// to what it holds in its own tree and a skin it made itself are shown
// read-only (changing them would break the role's registry or the object's
// ownership). Rows are removed through the deletion flag, since selections
// change from inside the rows' own handlers.
#include <cstdint>

#include "gfx/Context.h"
#include "object/RPC.h"
#include "util/Math.h"
#include "util/WString.h"
#include "world/WorldEditorPanel.h"

class EditorGizmo;
class EditorPropertyWidget;
class GUItheme;
class Property;

class EditorPropertyPanel : public Context, public WorldEditorPanel {
    ZUB_DECLARE_CLASS(EditorPropertyPanel)
public:
    // The width the widget trees are laid out in.
    static constexpr float LAYOUT_WIDTH = 150.0f;
    // The leader from the widget tree to the edited object starts this far
    // left of the layout origin (the top row's left edge).
    static constexpr float LEADER_OFFSET = 75.0f;
    static constexpr uint32_t LEADER_START_COLOUR = 0xFF408080u;
    static constexpr uint32_t LEADER_END_COLOUR = 0xFF80FFFFu;
    static constexpr uint32_t GRID_COLOUR = 0x20FFFFFFu;
    // Left Shift shows a circle of this radius around the pointer.
    static constexpr float SHIFT_RADIUS = 150.0f;
    static constexpr uint32_t SHIFT_COLOUR = 0xFF0080FFu;

    EditorPropertyPanel();
    ~EditorPropertyPanel() override;

    // The panel itself is never under the pointer.
    bool isMouseInside() override { return false; }
    // The edited object's death empties the panel.
    bool onEvent(ZubEvent& ev) override;
    // Dragging over the rows moves the tree; a row's change (event 8) tells
    // the edited object (event 9) and lays the rows out again.
    bool onBubbleEvent(ZubEvent& ev) override;
    // The children, then (in edit mode) the camera's zoom and pan and the
    // keys F1 (class list), F2 (the level) and F3 (the editor's settings).
    void tickContents(double time, double dt) override;
    // The rows and the leader to the edited object; in edit mode the grid
    // and, while left Shift is held, a circle at the pointer, in the world.
    void renderContents() override;
    // In edit mode the camera goes back where the editor left it; with the
    // debug features locked outside edit mode, the show flags are cleared.
    void netPostReplicate() override;
    // ZubBase's, then bShowHulls, bShowBezierPaths, bShowTriggerAreas,
    // "editorCamera" {x, y, z}, levelName and the action
    // "showClassConstructors" (which writes nothing).
    void addPropertiesTo(PropertyContainer* container) override;

    // Shows the rows of the object's properties (null: nothing). The object
    // already shown keeps its rows (and any edit in progress).
    void setEditedObject(ZubBase* object) override;
    // Opens the resource picker for a level object's skin.
    void chooseSkin(EditorObject* object, Skin** field, const RuntimeClass* skinType) override;
    // The row tree of a property tree.
    EditorPropertyWidget* makeWidget(Property* property);
    // Shows the placeable classes (EditorObject::isPlaceableClass), by name,
    // each with a prototype to place.
    void listClasses();
    // Lays the row tree out from the layout origin.
    void relayout();

    // Stores the camera place and puts the game camera there at once (its
    // running motions end). The distance is kept between 25 and 6400.
    void setEditorCamera(float x, float y, float z);

    // The panel is the editor in use: edit mode, and this is the level's panel.
    bool isActive() const;
    // The game world's context (the one holding the level's objects) and
    // the pointer in its world; null and the origin without a level.
    Context* gameContext() const;
    V3 gameMousePosition() const;
    // The look of the rows: the game's minimal GUI theme (the GUI
    // environment's; fatal when the game has made none).
    GUItheme* theme();

    // The level's name (the editor does not read it).
    WString levelName = u"none";
    // Why the last refused edit or call was not applied (empty until one is).
    WString lastRefusal;
    // List holders, the panel's first two children: the property trees and
    // the widget trees on display.
    ZubBase* propertyTrees;
    ZubBase* widgets;
    // The resource picker (owned).
    EditorGizmo* gizmo;
    // Where the widget tree starts after a new selection, and where its
    // first widget is laid out now (moved by dragging).
    V3 homePosition;
    V3 layoutOrigin;
    // The last camera place the editor set.
    V3 editorCamera;

private:
    // What the rows may not change of the object shown: its UID (the
    // role's registry holds it) and the references to what it owns.
    void protectStructure(Property* container, ZubBase* object);
};

// The panel's action: shows the class list of placeable objects.
class RPCListClasses : public RPC {
    ZUB_DECLARE_CLASS(RPCListClasses)
public:
    RPCListClasses() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
