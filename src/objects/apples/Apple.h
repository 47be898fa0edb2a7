#pragma once
// The apple, what a level is about: the pig nudges apples out of trees,
// rolls them, carries them in baskets and brings them home, where each one
// counts. It bounces and rolls by its own rules, spoils in mud and acid or
// when animals bite it, is lost below the level, and every spoiled or lost
// apple is replaced once by a fresh one where the level first put it. Super
// apples are twice as big. A translucent ghost of each free apple is drawn
// in the level's apple-ghost list.
#include "anim/InterpolatedValue.h"
#include "objects/PigPickup.h"
#include "world/PhysObject.h"

class BasketSlot;

class Apple : public PhysObject, public PigPickup {
    ZUB_DECLARE_CLASS(Apple)
public:
    // Spoil types.
    enum Spoil : int { SPOIL_BITTEN = 1, SPOIL_WORM = 2, SPOIL_MUD = 3, SPOIL_ACID = 4, SPOIL_EATEN = 5, SPOIL_OTHER = 6 };

    Apple();
    ~Apple() override;

    void tick(double time, double dt) override;
    void netPostReplicate() override;
    void onEdited() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Spoils the apple (animals bite it, worms ruin it, mud and acid); any
    // other type is fatal.
    void spoil(int type);
    // The apple reaches the house: it counts and removes itself.
    void collect();
    void putIntoSlot(BasketSlot* slot);
    void removeFromSlot();

    // PigPickup: free when in no basket slot and not spoiled (hanging counts).
    bool isFree() const override;
    // A push frees a hanging apple; once it has landed, the velocity takes
    // the impulse where it is faster.
    void push(A99Object* by, const V3& impulse) override;
    // Free, not spoiled and not hanging: what animals and worms go for.
    bool isLoose() const { return !pSlot && !bSpoiled && !bHanging; }

    uint8_t bSpoiled = 0;
    uint8_t bHanging = 1;
    bool bSuperApple = false;
    BasketSlot* pSlot = nullptr;
    V3 velocity;
    V3 spawnPosition;
    uint8_t bReplaced = 0;
    uint8_t bHasLanded = 0;
    uint8_t bEaten = 0;
    double lastBounceTime = 0.0;
};
