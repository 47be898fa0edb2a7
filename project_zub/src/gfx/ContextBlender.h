#pragma once
// A context whose camera is a BlendingCamera: cameras added as children of
// that camera blend in over their durations, and the camera can shake. The
// camera ticks after the context's contents, with the context's step.
#include "gfx/BlendingCamera.h"
#include "gfx/Context.h"

class ContextBlender : public Context {
    ZUB_DECLARE_CLASS(ContextBlender)
public:
    ContextBlender();

    void tickContents(double time, double dt) override;

    BlendingCamera* blendingCamera() const { return static_cast<BlendingCamera*>(camera); }
    // Appends a camera to blend in (the blending camera owns it).
    void addCamera(Camera* c) { camera->addChild(c); }
};
