#pragma once
// What the animals share in their motion and their touch.
class Renderable;

namespace animal_motion {

// Into [0, 1): fmod keeps the sign of its first operand (and a tiny
// negative remainder plus 1 rounds to 1).
float wrapPhase(float v);

// The frame (n - 1) x t of a sheet of n, truncated; NaN counts as 0.
int frameAt(int n, float t);

// Knocks the hero away from the animal when they touch and she can be hurt:
// her velocity points from the animal to her at the knock-back speed (none
// when they stand on one point), and she faints at once.
void knockBackHero(Renderable* animal);

}  // namespace animal_motion
