#pragma once
// What the pig does to the small things she meets on her way: she nudges
// the apples in the level's apple list (kicks them as she runs into them,
// tosses them up while UP is held) and eats the sweets in its sweet list
// that she touches. Apples and sweets derive from their level-object base
// and from this interface; the pig reaches them only through it.
#include "util/Math.h"

class A99Object;
class Pig;

class PigPickup {
public:
    virtual ~PigPickup() = default;

    // Whether the pig may touch it now: an apple lying in no basket and not
    // spoiled (a hanging one counts), a sweet not eaten yet.
    virtual bool isFree() const = 0;
    // Pushed at `impulse` (the pig's nudge; areas and springboards push
    // apples too). Sweets ignore it.
    virtual void push(A99Object* by, const V3& impulse) {
        (void)by;
        (void)impulse;
    }
    // Touched by the pig: a sweet is eaten (its points, effects and sound;
    // it then removes itself). Apples ignore it.
    virtual void pickUp(Pig* collector) { (void)collector; }
};
