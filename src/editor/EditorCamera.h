#pragma once
// How the level editor moves a camera (the game world's in the panel, its
// own in the resource picker): a wheel step towards the user zooms in to
// half the distance and half-way towards the point under the pointer, one
// away zooms out to double the distance the same way; while the middle
// button is held the view follows the pointer (the world under it stays
// under it). The distance stays between 25 and 6400 units in every case; a
// step that the limits cut short moves the eye towards or away from the
// point under the pointer only by as much as the distance changed, so that
// the point stays under the pointer and a step at a limit moves nothing.
#include "util/Math.h"

class ZubInput;

namespace editor_camera {

constexpr float NEAREST = -25.0f;
constexpr float FARTHEST = -6400.0f;

// z within [FARTHEST, NEAREST]; a z that is not a number becomes the
// distance at which the world shows at its design size.
float clampDepth(float z);
// This frame's zoom and pan applied to the eye, with `mouse` the pointer in
// the camera's world; true when the eye moved.
bool follow(V3& eye, const V3& mouse, const ZubInput& input);

}  // namespace editor_camera
