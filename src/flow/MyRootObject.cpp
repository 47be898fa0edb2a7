#include "flow/MyRootObject.h"

#include "engine/FocusManager.h"
#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "flow/GameHud.h"
#include "flow/GameServices.h"
#include "flow/Overlay.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS(MyRootObject, RootObject, flow_ids::MyRootObject)
ZUB_IMPLEMENT_CLASS(RPCSetContextOverlay, RPC, flow_ids::RPCSetContextOverlay)
ZUB_IMPLEMENT_CLASS(RPCCloseContextOverlay, RPC, flow_ids::RPCCloseContextOverlay)
ZUB_IMPLEMENT_CLASS(RPCAddSystemMessage, RPC, flow_ids::RPCAddSystemMessage)

MyRootObject::MyRootObject() = default;

MyRootObject::~MyRootObject() {
    // The role is going too: the overlay goes at once, not through it.
    if (Overlay* o = contextOverlay) {
        contextOverlay = nullptr;
        if (o->parent) o->parent->removeChild(o);
        deleteObject(o);
    }
}

MyRootObject* MyRootObject::current() { return THEROLE ? zub_cast<MyRootObject>(THEROLE->root) : nullptr; }

void MyRootObject::start() {
    playerInfoList = new ZubBase;
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(playerInfoList, 0);
    netAddChild(playerInfoList);

    gameController = new GameController;
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(gameController, 0);
    gameController->construct();
    gameController->netCallPostReplicate();
    gameController->netCallPostReplicateGlobal();
    netAddChild(gameController);
}

void MyRootObject::tick(double time, double dt) {
    if (!contextOverlay) {
        ZubBase::tick(time, dt);
    } else {
        if (playerInfoList) playerInfoList->tick(time, dt);
        if (contextOverlay->bFinished) closeOverlay();
        else contextOverlay->tick(time, dt);
    }

    ServerScope scope;
    if (scope.isClient() || contextOverlay || !isPauseRequested()) return;
    // Once the level is won its end runs to the statistics undisturbed.
    if (gameController && gameController->state >= GameController::SCORING) return;
    Overlay* menu = Overlay::make(Overlay::PAUSE_MENU);
    if (!menu) return;
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(menu, 0);
    setContextOverlay(menu);
}

bool MyRootObject::isPauseRequested() const {
    const ZubInput* in = ZubInput::active();
    if (!in) return false;
    if (in->wasKeyPressed(input_codes::KEY_ESCAPE) || in->wasKeyPressed(input_codes::KEY_PAUSE)) return true;
    const GameHud* hud = gameController ? gameController->contextHUD : nullptr;
    if (!hud || hud->pPauseButton->bHidden) return false;
    for (const InputPointer* p : in->pointers) {
        if (!p->bWentDown) continue;
        const V3 at = hud->camera->screenToWorld(p->x, p->y, p->z);
        if (V3::distance(at, hud->pPauseButton->position) < PAUSE_RADIUS) return true;
    }
    return false;
}

void MyRootObject::render() {
    if (contextOverlay) contextOverlay->renderContext();
    else ZubBase::render();
}

void MyRootObject::addPropertiesTo(PropertyContainer* c) {
    RootObject::addPropertiesTo(c);
    c->add(new PropertyPointer(u"gameController", 0, &gameController, &GameController::classRecord));
    c->add(new PropertyPointer(u"playerInfoList", 0, &playerInfoList, &ZubBase::classRecord));
    c->add(new PropertyPointer(u"contextOverlay", 0, &contextOverlay, &Overlay::classRecord));
}

void MyRootObject::setContextOverlay(Overlay* overlay) {
    RPCSetContextOverlay rpc;
    rpc.target = this;
    rpc.overlay = overlay;
    rpc.call();
}

void MyRootObject::local_setContextOverlay(Overlay* overlay) {
    if (overlay == contextOverlay) return;
    // One overlay at a time: the new one closes the old.
    if (contextOverlay) closeOverlay();
    if (GameServices* s = GameServices::installed()) s->setTransition(-1.0f, 0.0f);
    if (overlay) overlay->onActivate(true);
    contextOverlay = overlay;
    // The level beneath stands still: the object selected in a level being
    // edited takes no keys while the overlay (or a page opened from it)
    // has them. Its own items, Escape and the jump key it reads itself.
    if (FocusManager* focus = FocusManager::active(); focus && overlay) focus->coverKeys(gameController, overlay);
}

void MyRootObject::local_closeContextOverlay() {
    if (contextOverlay) closeOverlay();
}

void MyRootObject::closeOverlay() {
    Overlay* o = contextOverlay;
    contextOverlay = nullptr;
    if (FocusManager* focus = FocusManager::active()) focus->coverKeys(nullptr, nullptr);
    if (GameServices* s = GameServices::installed()) s->setTransition(-1.0f, 0.0f);
    o->onDeactivate(true);
    o->destroy();
}

void MyRootObject::local_addSystemMessage(const WString& text, bool flag) {
    (void)text;
    (void)flag;
    ZUB_ERROR(u"Unimplemented");
}

void RPCSetContextOverlay::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_ARGUMENT, &overlay, &Overlay::classRecord));
}

void RPCSetContextOverlay::execute() {
    if (MyRootObject* root = zub_cast<MyRootObject>(target)) root->local_setContextOverlay(overlay);
}

void RPCCloseContextOverlay::execute() {
    if (MyRootObject* root = zub_cast<MyRootObject>(target)) root->local_closeContextOverlay();
}

void RPCAddSystemMessage::addPropertiesTo(Property* c) {
    c->add(new PropertyUString(u"", PROP_ARGUMENT, &text, 256));
    c->add(new PropertyBool(u"", PROP_ARGUMENT, &flag));
}

void RPCAddSystemMessage::execute() {
    // System messages are not supported; a peer's call is dropped, never fatal.
    Logger::get().log(u"%s(): %s", "RPCAddSystemMessage::execute", u"Unimplemented");
}
