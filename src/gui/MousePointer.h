#pragma once
// The pointer picture, drawn where the mouse is. It lives in the screen
// stack's pointer context (installScreenOverlays), which is ticked every
// frame and drawn over the top screen while that screen shows the pointer.
//
// Skin 1 of the texture "mousePointer" while the debug features are locked
// (the normal case), skin 0 while they are open. With touch input the
// pointer is hidden; with the debug features open it stays, at a quarter
// alpha. Over the bars beside a letterboxed picture it is hidden: the
// system's cursor shows there.
#include "gfx/Renderable.h"

class Texture;

class MousePointer : public Renderable {
    ZUB_DECLARE_CLASS(MousePointer)
public:
    // Fatal when the texture "mousePointer" is missing.
    MousePointer();
    ~MousePointer() override;

    // Follows the mouse position of the context being ticked; does not tick
    // children.
    void tick(double time, double dt) override;

    Texture* texture = nullptr;  // a resource
};
