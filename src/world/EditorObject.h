#pragma once
// The base of every object placed and edited in a level: a renderable with an
// editor view (an editor skin, gizmos and a label drawn while the level
// editor is on), picking, the editor's keys and drags, copying through a
// packet, its stand-in in the proxy list (the drawing order) and the flags
// that forbid deleting or copying it.
//
// A level object draws only through its proxy: its own render does nothing,
// the proxy calls renderObject.
#include <cstdint>
#include <vector>

#include "gfx/Renderable.h"
#include "object/RPC.h"

class EditorProxy;

class EditorObject : public Renderable {
    ZUB_DECLARE_CLASS(EditorObject)
public:
    EditorObject();
    ~EditorObject() override;

    // What a level places: a class of placed object that can be made and
    // whose objects have a look of their own, a skin or an editor skin (the
    // bare base has neither: placed, it could be neither drawn nor picked).
    // The editor's class list, a description's 'new' line and the level
    // builder's tools all go by it. An object of the class is made to see
    // its look, so the skins must be loaded.
    static bool isPlaceableClass(const RuntimeClass* cls);
    // Every placeable class, in the registry's order.
    static std::vector<const RuntimeClass*> placeableClasses();

    // Drawn through the proxy only: nothing in the tree, for every class of
    // level object.
    void render() final {}
    bool drawsInTree() const final { return false; }
    bool isMouseInside() override;
    bool onEvent(ZubEvent& ev) override;
    // Both take the list the object names (namedOwnerList) as pOwnerList
    // and sort the object into it (joinOwnerList). The second pass is for a
    // level file: a list's body read after the object's own may have named
    // it as a child again.
    void netPostReplicate() override;
    void netPostReplicateGlobal() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // --- the editable object's operations ----------------------------------------
    // The object's look and, in the editor, its editor skin and gizmos.
    virtual void renderObject();
    // Event 9 about this object along the event route (the parent's preview,
    // its own handler, the parent's bubble), then its referrers are told.
    virtual void requestEvent9();
    // After any editor change of the transform; rebuilds what derives from it.
    virtual void onEdited();
    // A deep copy through an in-process packet; the caller places it.
    virtual EditorObject* duplicate();
    // Store the field, refresh the transform, then onEdited.
    virtual void setPosition(float x, float y, float z);
    virtual void setRotation(float x, float y, float z);
    virtual void setScale(float x, float y, float z);
    void setPosition(const V3& p) { setPosition(p.x, p.y, p.z); }
    using Renderable::setScale;
    // The skin field the editor's skin chooser edits (with the skin class the
    // field takes), or null when the object makes its skin itself.
    virtual Skin** getSkinProperty(const RuntimeClass** skinType);

    // The game controller's list this object belongs in, which also takes
    // the objects it spawns: the current world's object list unless the
    // class names another. Null without a world.
    virtual ZubBase* namedOwnerList() const;
    // Membership follows from the object, not from whoever spawns it: an
    // object in no list, or in the object list where it does not belong,
    // moves (locally, as every peer does the same) to the end of pOwnerList.
    // An object its maker hung anywhere else stays there.
    void joinOwnerList();

    // Builds what a newly placed object needs (its proxy) on every peer.
    void construct();
    virtual void local_construct();
    // Whether the object has been constructed: every construct call makes
    // the proxy first (local_construct of this class, which the classes'
    // own construct calls run before anything else), and an object read
    // from a level file or copied brings its proxy along.
    bool isConstructed() const { return getProxy() != nullptr; }

    // Drawing order: the proxy goes right after (before) the other object's
    // proxy; with null to the end (the front) of the proxy list.
    void placeAfter(EditorObject* other);
    void placeBefore(EditorObject* other);

    EditorProxy* getProxy() const;
    EditorObject* nextSelected() const { return pNextSelected.as<EditorObject>(); }
    // Selection group headed by this object.
    bool isInGroup(const EditorObject* o) const;
    void addToGroup(EditorObject* o);
    void removeFromGroup(EditorObject* o);

    // Drawn in the editor when the object has no skin of its own.
    Skin* editorSkin = nullptr;
    // The game-controller list the object belongs in and that receives the
    // objects it spawns (namedOwnerList, taken on post-replication).
    ZubBase* pOwnerList = nullptr;
    ZubBaseReference proxy{this};
    ZubBaseReference pNextSelected{this};
    bool bUndeletable = false;
    bool bUnduplicatable = false;

protected:
    // Draws with the given skin in place of the own one (editor skin,
    // picking) without stamping the transform as a move.
    void renderWithSkin(Skin* skin);
    // The drag, key and pointer-move parts of the editor handler.
    void onEditorDrag();
    // Each answers whether it used the event.
    bool onEditorPointerMove();
    bool onEditorKey();
    void copySelection();
    void stepSkin(int delta);
};

// The construct call of EditorObject (runs local_construct on every peer).
class RPCEditorObjectConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCEditorObjectConstruct)
public:
    RPCEditorObjectConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
