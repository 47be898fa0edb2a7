#pragma once
// The compass: cargo the pig can carry, whose needle points at what the
// player looks for, by `compassType`: an apple, a basket or the house. The
// needle turns towards its target every tick while the compass is in view
// (out of view it keeps its last direction) and is hidden when there is
// nothing to point at.
//
// Apples: of the apples in no basket and not spoiled (hanging ones count),
// the nearest one farther than APPLE_NEAR, so that the needle does not point
// at the apple the pig stands beside; when all are that close, the farthest.
// Baskets: the nearest basket that nobody carries.
#include <memory>

#include "objects/cargo/Cargo.h"

class Compass : public Cargo {
    ZUB_DECLARE_CLASS(Compass)
public:
    enum Type : int32_t { TYPE_APPLES = 0, TYPE_BASKETS = 1, TYPE_HOUSE = 2, TYPE_COUNT };
    static constexpr float APPLE_NEAR = 300.0f;
    // Baskets this far away (or farther) are not looked for.
    static constexpr float BASKET_FAR_SQ = 9.998e7f;

    Compass();
    ~Compass() override;

    void tick(double time, double dt) override;
    // Cargo's set-up, then the body and needle pictures of the type.
    void netPostReplicate() override;
    // The needle turns in the compass's frame.
    void onTransformChanged() override;
    // The body, then the needle.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // What the needle points at now (by type), or null.
    A99Object* findTarget();

    std::unique_ptr<Renderable> needle;
    int32_t compassType = TYPE_APPLES;
};
