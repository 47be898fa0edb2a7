#include "objects/apples/Basket.h"

#include <cmath>
#include <cstring>

#include "gfx/Skin.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(BasketSlot, ZubBase, object_ids::BasketSlot)
ZUB_IMPLEMENT_CLASS(Basket, Cargo, object_ids::Basket)
ZUB_IMPLEMENT_CLASS(BasketA, Basket, object_ids::BasketA)
ZUB_IMPLEMENT_CLASS(BasketB, Basket, object_ids::BasketB)
ZUB_IMPLEMENT_CLASS(BasketC, Basket, object_ids::BasketC)
ZUB_IMPLEMENT_CLASS(BasketD, Basket, object_ids::BasketD)
ZUB_IMPLEMENT_CLASS(RPCBasketSlotSetup, RPC, object_ids::RPCBasketSlotSetup)
ZUB_IMPLEMENT_CLASS(RPCBasketAConstruct, RPC, object_ids::RPCBasketAConstruct)
ZUB_IMPLEMENT_CLASS(RPCBasketBConstruct, RPC, object_ids::RPCBasketBConstruct)
ZUB_IMPLEMENT_CLASS(RPCBasketCConstruct, RPC, object_ids::RPCBasketCConstruct)
ZUB_IMPLEMENT_CLASS(RPCBasketDConstruct, RPC, object_ids::RPCBasketDConstruct)

namespace {

template <class R>
void sendConstruct(ZubBase* target) {
    R rpc;
    rpc.target = target;
    rpc.call();
}

// The places of each shape, in the basket's frame, first to last.
constexpr float kPlacesA[][2] = {{0, 14}};
constexpr float kPlacesB[][2] = {{7, 17}, {-9, 28}};
constexpr float kPlacesC[][2] = {{10, -3}, {-12, 14}, {12, 24}};
constexpr float kPlacesD[][2] = {{-27, 29}, {0, 25}, {30, 27}, {-14, 53}, {16, 49}, {2, 76}};

template <size_t N>
constexpr int countOf(const float (&)[N][2]) {
    return static_cast<int>(N);
}

}  // namespace

// ---------------------------------------------------------------------------
// Places

BasketSlot::~BasketSlot() {
    // Going with its basket: an apple still in it falls from where it is drawn.
    pBasket = nullptr;
    if (occupant && occupant->pSlot == this) occupant->removeFromSlot();
    occupant = nullptr;
}

void BasketSlot::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyPointer(u"pBasket", 0, &pBasket, &Basket::classRecord));
    PropertyContainer* at = c->add(new PropertyContainer(u"location", 0));
    at->add(new PropertyFloat(u"x", 0, &location.x));
    at->add(new PropertyFloat(u"y", 0, &location.y));
}

void BasketSlot::setBasket(Basket* basket, V3 at) {
    RPCBasketSlotSetup rpc;
    rpc.target = this;
    rpc.basket = basket;
    rpc.x = at.x;
    rpc.y = at.y;
    rpc.call();
}

V3 BasketSlot::worldPoint() const {
    if (!pBasket) return location;
    V3 out;
    pBasket->localToWorld(out, location);
    return out;
}

void RPCBasketSlotSetup::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &basket, &Basket::classRecord));
}

void RPCBasketSlotSetup::serialize(Packet& p) {
    RPC::serialize(p);
    p.doFloat16(x);
    p.doFloat16(y);
}

void RPCBasketSlotSetup::execute() {
    BasketSlot* slot = zub_cast<BasketSlot>(target);
    if (!slot) return;
    slot->pBasket = basket;
    slot->location = V3(x, y, 0.0f);
}

// ---------------------------------------------------------------------------
// Basket

Basket::Basket() { collisionSensitivity = 0.75f; }

Basket::~Basket() {
    // The places go while the basket is whole.
    while (ZubBase* c = slots.firstChild) {
        slots.removeChild(c);
        deleteObject(c);
    }
}

void Basket::addPropertiesTo(PropertyContainer* c) {
    Cargo::addPropertiesTo(c);
    c->add(new PropertySubObject(u"slots", 0, &slots), "the places apples lie in, made by construct");
}

void Basket::setShape(const Shape& shape) {
    Skin* body = findResource<Skin>(shape.body);
    setSkin(body);
    front.setSkin(findResource<Skin>(shape.front));
    // The front is drawn in the basket's frame, over the body.
    front.setPosition(body->origin);
    physPointOffset = shape.physPointOffset;
    carriedOffset = shape.carriedOffset;
}

void Basket::buildSlots(const float (*places)[2], int count) {
    EditorObject::local_construct();
    // Constructed before: the places stand.
    if (slots.firstChild) return;
    for (int i = 0; i < count; ++i) {
        auto* slot = new BasketSlot();
        ZUB_ASSERT(THEROLE != NULL);
        ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
        THEROLE->registerObject(slot, 0);
        slot->setBasket(this, V3(places[i][0], places[i][1], 0.0f));
        slot->netCallPostReplicate();
        slot->netCallPostReplicateGlobal();
        slots.addChild(slot);
    }
}

BasketSlot* Basket::findFreeSlot() const {
    for (BasketSlot* s : childrenOf<BasketSlot>(&slots))
        if (!s->bToBeDestroyed && !s->occupant) return s;
    return nullptr;
}

int Basket::slotCount() const {
    int n = 0;
    for (BasketSlot* s : childrenOf<BasketSlot>(&slots)) n += s->bToBeDestroyed ? 0 : 1;
    return n;
}

bool Basket::tryAddApple(A99Object* o) {
    Apple* apple = zub_cast<Apple>(o);
    if (!apple || apple->pSlot || apple->bSpoiled) return false;
    BasketSlot* slot = findFreeSlot();
    if (!slot) return false;
    apple->putIntoSlot(slot);
    return true;
}

void Basket::tick(double time, double dt) {
    Cargo::tick(time, dt);
    // The front is the basket's picture in the basket's frame: its transform
    // follows from its own fields, which stay, and the basket's matrix. The
    // same matrix (bit for bit) gives the same transform again, so the front
    // is refreshed only when the basket moved.
    if (!front.bHasParent || std::memcmp(&front.parentMatrix, &worldMatrix, sizeof(M44)) != 0)
        front.setParentMatrix(worldMatrix);
    if (isEditorMode()) return;
    settle();
    gather();
    deliver();
}

void Basket::settle() {
    // Each apple moves at most one place forward per tick, gliding there
    // from where it is drawn.
    BasketSlot* previous = nullptr;
    for (BasketSlot* s : childrenOf<BasketSlot>(&slots)) {
        if (previous && s->occupant && !previous->occupant) {
            Apple* apple = s->occupant;
            s->occupant = nullptr;
            previous->occupant = apple;
            apple->pSlot = previous;
            apple->drawnPosition.setImmediate(apple->drawnPosition.get());
            apple->drawnPosition.progress = 0.0f;
        }
        previous = s;
    }
}

void Basket::gather() {
    Level* level = Level::current();
    if (!level) return;
    // The apples within the collision bounds, of those near in x.
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach)) {
        if (apple->bToBeDestroyed || apple->pSlot || apple->bSpoiled) continue;
        const V3& p = apple->position;
        if (!isPointInsideCollisionBounds(p.x, p.y, p.z)) continue;
        BasketSlot* slot = findFreeSlot();
        if (!slot) return;
        apple->putIntoSlot(slot);
    }
}

void Basket::deliver() {
    Level* level = Level::current();
    House* house = level ? level->houseOrNull() : nullptr;
    if (!house || !V3::isWithinDistance(house->position, position, effectiveRadius() + DELIVERY_REACH)) return;
    bool delivered = false;
    for (BasketSlot* s : childrenOf<BasketSlot>(&slots)) {
        if (Apple* apple = s->occupant) {
            apple->collect();
            delivered = true;
        }
    }
    // An empty basket stays at the house.
    if (delivered) bToBeDestroyed = 1;
}

void Basket::renderObject() {
    Cargo::renderObject();
    for (ZubBase* c = slots.lastChild; c; c = c->prevSibling) {
        BasketSlot* s = zub_cast<BasketSlot>(c);
        if (s && s->occupant) s->occupant->renderInSlot();
    }
    front.render();
}

// ---------------------------------------------------------------------------
// The shapes

BasketA::BasketA() { setShape({u"basketA:0", u"basketA:1", V3(0, 15, 0), V3(0, 28, 0)}); }
void BasketA::construct() { sendConstruct<RPCBasketAConstruct>(this); }
void BasketA::local_construct() { buildSlots(kPlacesA, countOf(kPlacesA)); }
void BasketA::addPropertiesTo(PropertyContainer* c) {
    Basket::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCBasketAConstruct>(u"construct", 0, this));
}

BasketB::BasketB() { setShape({u"basketB:0", u"basketB:1", V3(0, 17, 0), V3(0, 28, 0)}); }
void BasketB::construct() { sendConstruct<RPCBasketBConstruct>(this); }
void BasketB::local_construct() { buildSlots(kPlacesB, countOf(kPlacesB)); }
void BasketB::addPropertiesTo(PropertyContainer* c) {
    Basket::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCBasketBConstruct>(u"construct", 0, this));
}

BasketC::BasketC() { setShape({u"basketC:0", u"basketC:1", V3(0, 32, 0), V3(0, 33, 0)}); }
void BasketC::construct() { sendConstruct<RPCBasketCConstruct>(this); }
void BasketC::local_construct() { buildSlots(kPlacesC, countOf(kPlacesC)); }
void BasketC::addPropertiesTo(PropertyContainer* c) {
    Basket::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCBasketCConstruct>(u"construct", 0, this));
}

BasketD::BasketD() { setShape({u"basketD:0", u"basketD:1", V3(0, 36, 0), V3(0, 33, 0)}); }
void BasketD::construct() { sendConstruct<RPCBasketDConstruct>(this); }
void BasketD::local_construct() { buildSlots(kPlacesD, countOf(kPlacesD)); }
void BasketD::addPropertiesTo(PropertyContainer* c) {
    Basket::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCBasketDConstruct>(u"construct", 0, this));
}

void RPCBasketAConstruct::execute() {
    if (auto* b = zub_cast<BasketA>(target)) b->local_construct();
}
void RPCBasketBConstruct::execute() {
    if (auto* b = zub_cast<BasketB>(target)) b->local_construct();
}
void RPCBasketCConstruct::execute() {
    if (auto* b = zub_cast<BasketC>(target)) b->local_construct();
}
void RPCBasketDConstruct::execute() {
    if (auto* b = zub_cast<BasketD>(target)) b->local_construct();
}
