#pragma once
// The game's root object (UID 1 of the game's server): it owns the player
// information list and the game controller, and holds at most one in-game
// overlay. While an overlay is open only the player list and the overlay
// tick and only the overlay draws, so the level stands still behind it; the
// overlay goes in the root's next tick after it asks to close. A new overlay
// closes the one that is open.
//
// Each tick the root also watches for the player's pause request (Escape,
// Pause, or a touch on the HUD's shown pause button) and opens the pause
// menu when no overlay is open and the level has not been won yet (before
// the controller's scoring state).
#include <cstdint>

#include "net/NetRole.h"
#include "object/RPC.h"
#include "util/WString.h"

class GameController;
class Overlay;

class MyRootObject : public RootObject {
    ZUB_DECLARE_CLASS(MyRootObject)
public:
    // A touch nearer than this to the shown pause button pauses.
    static constexpr float PAUSE_RADIUS = 35.0f;

    MyRootObject();
    ~MyRootObject() override;

    // The root of the active role as a MyRootObject, or null.
    static MyRootObject* current();

    // A server started without a level: the player list, then the game
    // controller (constructed, post-replicated, a child of the root).
    void start() override;
    // Without an overlay the whole tree; with one the player list and the
    // overlay (which goes once it asked to close). Then the pause check.
    void tick(double time, double dt) override;
    // Without an overlay every child; with one only the overlay.
    void render() override;
    // RootObject's, then "gameController", "playerInfoList", "contextOverlay".
    void addPropertiesTo(PropertyContainer* container) override;

    // Opens an overlay (registered by the caller) on every peer.
    void setContextOverlay(Overlay* overlay);
    void local_setContextOverlay(Overlay* overlay);
    void local_closeContextOverlay();
    // Not supported: fatal.
    void local_addSystemMessage(const WString& text, bool flag);

    ZubBase* playerInfoList = nullptr;
    GameController* gameController = nullptr;
    Overlay* contextOverlay = nullptr;

private:
    void closeOverlay();
    bool isPauseRequested() const;
};

class RPCSetContextOverlay : public RPC {
    ZUB_DECLARE_CLASS(RPCSetContextOverlay)
public:
    RPCSetContextOverlay() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    Overlay* overlay = nullptr;
};

class RPCCloseContextOverlay : public RPC {
    ZUB_DECLARE_CLASS(RPCCloseContextOverlay)
public:
    RPCCloseContextOverlay() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCAddSystemMessage : public RPC {
    ZUB_DECLARE_CLASS(RPCAddSystemMessage)
public:
    RPCAddSystemMessage() : RPC(RPC_CLIENTS_ONLY) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    WString text;
    bool flag = false;
};
