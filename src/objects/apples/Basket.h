#pragma once
// Baskets: cargo with a fixed number of places for apples. Free apples that
// touch a basket, carried or lying, drop into its first free place (one the
// pig nudges while she carries it is offered to it as well); apples settle
// towards the first places, one place per tick; the basket draws its apples
// between its back and its front picture; and near the house every apple in
// it is collected at once and the basket goes away.
//
// Four shapes with one, two, three and six places. A shape builds its places
// in local_construct (the level file sends the construct call): each place
// is a registered BasketSlot whose basket and location reach every peer
// through the slot call (the location as 16-bit floats).
#include "object/RPC.h"
#include "objects/cargo/Cargo.h"

class Apple;
class Basket;

class BasketSlot : public ZubBase {
    ZUB_DECLARE_CLASS(BasketSlot)
public:
    BasketSlot() = default;
    // An apple still lying in the place loses it.
    ~BasketSlot() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Sets the basket and the location on every peer (RPCBasketSlotSetup).
    void setBasket(Basket* basket, V3 location);
    // The place in the world: the basket's transform of the location.
    V3 worldPoint() const;

    Basket* pBasket = nullptr;
    // The apple lying here (not a property: the baskets fill their places
    // again in play).
    Apple* occupant = nullptr;
    // In the basket's local frame; z is always 0.
    V3 location;
};

class Basket : public Cargo {
    ZUB_DECLARE_CLASS(Basket)
public:
    // Within this much (plus its effective radius) of the house a basket
    // delivers its apples.
    static constexpr float DELIVERY_REACH = 30.0f;

    Basket();
    ~Basket() override;

    // Cargo's motion; then (not in the editor) the apples settle forward,
    // touching apples drop in, and near the house it delivers.
    void tick(double time, double dt) override;
    // The body, the apples from the last place to the first, the front.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Takes a free or hanging apple into the first free place; false for an
    // apple in a slot, a spoiled one, or when every place is taken.
    bool tryAddApple(A99Object* apple) override;
    // The first place without an apple, or null.
    BasketSlot* findFreeSlot() const;
    int slotCount() const;

    // Drawn in front of the apples.
    Renderable front;
    // The places (BasketSlot), in order.
    ZubBase slots;

protected:
    struct Shape {
        const char16_t* body;
        const char16_t* front;
        V3 physPointOffset;
        V3 carriedOffset;
    };
    // Each shape's constructor: its pictures and offsets.
    void setShape(const Shape& shape);
    // Each shape's local_construct: the proxy, then one registered place per
    // location (once: a basket that has places keeps them).
    void buildSlots(const float (*places)[2], int count);

private:
    void settle();
    void gather();
    void deliver();
};

class BasketA : public Basket {
    ZUB_DECLARE_CLASS(BasketA)
public:
    BasketA();
    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    void local_construct() override;
};

class BasketB : public Basket {
    ZUB_DECLARE_CLASS(BasketB)
public:
    BasketB();
    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    void local_construct() override;
};

class BasketC : public Basket {
    ZUB_DECLARE_CLASS(BasketC)
public:
    BasketC();
    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    void local_construct() override;
};

class BasketD : public Basket {
    ZUB_DECLARE_CLASS(BasketD)
public:
    BasketD();
    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    void local_construct() override;
};

// The slot call: the slot (target), its basket, and the location's x and y
// as 16-bit floats.
class RPCBasketSlotSetup : public RPC {
    ZUB_DECLARE_CLASS(RPCBasketSlotSetup)
public:
    RPCBasketSlotSetup() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void serialize(Packet& p) override;
    void execute() override;
    Basket* basket = nullptr;
    float x = 0.0f;
    float y = 0.0f;
};

// The shapes' construct calls: local_construct on the target.
class RPCBasketAConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCBasketAConstruct)
public:
    RPCBasketAConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCBasketBConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCBasketBConstruct)
public:
    RPCBasketBConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCBasketCConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCBasketCConstruct)
public:
    RPCBasketCConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCBasketDConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCBasketDConstruct)
public:
    RPCBasketDConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
