#pragma once
// The apple, what a level is about: the pig nudges apples out of trees,
// rolls them, carries them in baskets and brings them home, where each one
// counts. It bounces and rolls by its own rules, spoils in mud and acid or
// when animals bite it, is lost below the level, and every spoiled or lost
// apple is replaced once by a fresh one where the level first put it (not
// one that spoils still hanging there: that place itself spoils apples). Super
// apples are twice as big. A translucent ghost of each free apple is drawn
// in the level's apple-ghost list.
//
// Motion while free: gravity, then one sweep from the point's old position
// to the new one against every hull but hero-only ones. Pass-through hulls
// are crossed (their owner is told); every solid hit slides, and the
// velocity follows the new direction at the impact speed (capped) times a
// bounce factor: loud hits (faster than LOUD_SPEED) and slow hits on gentle
// ground keep 65 %, slow hits on steep ground keep all; a hit slower than
// REST_SPEED on gentle ground puts the apple to rest and ends the step. The
// apple spins with its x speed.
//
// In a basket slot the apple hops along an arc into the slot's place and
// follows the basket from then on; the basket draws it (between its back
// and its front), the level's draw list does not.
#include "anim/InterpolatedValue.h"
#include "objects/PigPickup.h"
#include "world/PhysObject.h"

class BasketSlot;
class Sound;
class Texture;

class Apple : public PhysObject, public PigPickup {
    ZUB_DECLARE_CLASS(Apple)
public:
    // Spoil types.
    enum Spoil : int {
        SPOIL_BITTEN = 1,
        SPOIL_WORM = 2,
        SPOIL_MUD = 3,
        SPOIL_ACID = 4,
        SPOIL_EATEN = 5,
        SPOIL_OTHER = 6
    };
    // Frames of the sheet "apple".
    enum Frame : int {
        FRAME_FRESH_ALT = 0,  // fresh, while the configuration's apple-frame flag is set
        FRAME_FRESH = 1,
        FRAME_ACID = 2,
        FRAME_BITTEN = 3,  // 3 to 5
        FRAME_MUD = 6,
        FRAME_WORMY = 7,
        FRAME_COUNT = 8,
    };

    static constexpr float GRAVITY = -1024.0f;
    static constexpr float MAX_SPEED = 1024.0f;
    // Faster hits are loud (a bounce sound) and bounce back at BOUNCE.
    static constexpr float LOUD_SPEED = 250.0f;
    // Slower hits on gentle ground put the apple to rest.
    static constexpr float REST_SPEED = 70.0f;
    static constexpr float BOUNCE = 0.65f;
    static constexpr float STEEP_ANGLE = 0.7853982f;
    // At most one bounce sound in this many seconds.
    static constexpr double BOUNCE_SOUND_GAP = 0.15;
    // The bounce sound's pitch falls by half from SOUND_FAST_SPEED down to
    // SOUND_SLOW_SPEED.
    static constexpr float SOUND_SLOW_SPEED = 70.0f;
    static constexpr float SOUND_FAST_SPEED = 500.0f;
    // A super apple's hard bounce shakes the camera.
    static constexpr double SHAKE_STRENGTH = 0.07;
    static constexpr double SHAKE_DURATION = 0.35;
    // Spin (radians per second) at an x speed of -200 and below; the
    // opposite at 200 and above.
    static constexpr float SPIN = 4.0f * kPi;
    static constexpr float SPIN_SPEED = 200.0f;
    static constexpr float SUPER_SCALE = 2.0f;
    static constexpr uint32_t GHOST_COLOR = 0x40ffffffu;
    // An apple counts as home this far (plus its effective radius) from the house.
    static constexpr float HOME_REACH = 80.0f;
    static constexpr int32_t COLLECT_POINTS = 10000;
    // The hop into a basket slot rises to this above the basket.
    static constexpr float SLOT_HOP = 18.0f;
    // The burst where a replacement appears.
    static constexpr int REPLACE_PARTICLES = 10;
    static constexpr uint32_t REPLACE_COLOR = 0xffcc0000u;

    Apple();
    ~Apple() override;

    void tick(double time, double dt) override;
    // Also tells the apple index that the apple moved.
    void calcBoundingCircle() override;
    // The apple list.
    ZubBase* namedOwnerList() const override;
    // Takes its offset (and a super apple's size), makes its ghost (once)
    // and remembers where it is: where its replacement will appear.
    void netPostReplicate() override;
    // After the editor moved it: the physics point stops at the drawn
    // position less the point's offset.
    void onEdited() override;
    // Nothing while it lies in a basket slot: the basket draws it.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Spoils the apple (animals bite it, worms ruin it, mud and acid); any
    // other type is fatal.
    void spoil(int type);
    // The apple reaches the house: it counts and removes itself.
    void collect();
    void putIntoSlot(BasketSlot* slot);
    void removeFromSlot();
    // Drawn by the basket whose slot it lies in.
    void renderInSlot();

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

    // The translucent copy drawn over the level while the apple is free.
    ZubBaseReference pGhost{this};
    // While in a slot: the drawn position gliding to the slot, the angle
    // added to the entry angle, the hop's height.
    InterpolatedVector drawnPosition{V3(), 4.0f, 3};
    InterpolatedValue drawnAngle{0.0f, 4.0f, 3, InterpolatedValue::CLAMP | InterpolatedValue::ANGLE_WRAP};
    float hopHeight = 0.0f;
    float entryAngle = 0.0f;

private:
    void setFrame(int frame);
    void tickInSlot(double time, double dt);
    void tickFree(double time, double dt);
    // A loud hit's sound (at most one per BOUNCE_SOUND_GAP); a super apple's
    // also shakes the camera.
    void bounceSound(double time, float speed);
    // The drawn position follows the physics point; the ghost follows.
    void placeAtPhysPoint();
    // Counts a spoiled (or lost) apple and takes it out of its slot.
    void markSpoiled();
    void dropGhost();
    // The fresh apple that takes a spoiled or lost one's place.
    void makeReplacement();

    Texture* sheet = nullptr;
};
