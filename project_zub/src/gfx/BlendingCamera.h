#pragma once
// The camera of a ContextBlender: its children are cameras that it blends in.
//
// Each tick: a child whose delay is above 0 counts it down and waits; the
// others tick (advancing their blend). Then, from the pose the camera had
// before its current children (eye, look-at point, target depth), each
// started child in order moves the pose towards its own by its eased blend
// (the child's blendCurve at its blend). When a child has fully blended in,
// every older child is deleted and that child's pose becomes the base. With
// no started child the camera keeps its pose (which may be set directly).
// Finally the camera's own shake runs.
#include "gfx/Camera.h"

class BlendingCamera : public Camera {
    ZUB_DECLARE_CLASS(BlendingCamera)
public:
    BlendingCamera();

    void tick(double time, double dt) override;

    // The pose under the children.
    V3 baseEye;
    V3 baseLookAt;
    float baseDepth = 0.0f;
    // Whether started cameras steered the pose at the last tick.
    bool bBlending = false;
};
