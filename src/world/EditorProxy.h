#pragma once
// The stand-in of a level object in the game controller's proxy list. Level
// objects do not draw where they hang in the object tree; drawing the proxy
// list draws each proxy's owner (its renderObject) in list order, so the
// order of the list is the drawing order, and searching the list for the
// object under the pointer asks each owner.
#include "object/RPC.h"
#include "object/ZubBase.h"

class EditorObject;

class EditorProxy : public ZubBase {
    ZUB_DECLARE_CLASS(EditorProxy)
public:
    EditorProxy() = default;
    ~EditorProxy() override;

    // A new proxy with no owner.
    static EditorProxy* create();

    // Sets the owner on every peer (RPCSetProxyOwner).
    void setOwner(EditorObject* owner);
    void local_setOwner(EditorObject* owner);
    EditorObject* getOwner() const { return pOwner.as<EditorObject>(); }

    // The owner's renderObject; nothing of the proxy itself, no children.
    void render() override;
    // Step 0 the owner reference, step 1 the owner's first line and its
    // drawing fields.
    void readAheadForDraw(int step) const override;
    // The owner's answer, or none.
    ZubBase* findObjectUnderMouse(int& skip) override;
    bool isMouseInside() override { return false; }
    void addPropertiesTo(PropertyContainer* c) override;

    // Not owned; empties itself when the owner goes away (any number of
    // proxies may name one owner, and only its own proxy goes with it).
    ZubBaseReference pOwner{this};
};

class RPCSetProxyOwner : public RPC {
    ZUB_DECLARE_CLASS(RPCSetProxyOwner)
public:
    RPCSetProxyOwner() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    EditorObject* owner = nullptr;
};
