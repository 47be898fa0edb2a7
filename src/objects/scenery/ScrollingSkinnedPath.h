#pragma once
// A skinned path whose texture moves along the band at a constant speed
// (flowing water, a moving belt): scrollSpeed texture widths a second.
#include "objects/scenery/SkinnedPath.h"

class ScrollingSkinnedPath : public SkinnedPath {
    ZUB_DECLARE_CLASS(ScrollingSkinnedPath)
public:
    ScrollingSkinnedPath();
    ~ScrollingSkinnedPath() override;

    // Moves every vertex's texture u by scrollSpeed x dt, by a whole texture
    // width back towards [-1, 1] once the first vertex's u left it, and
    // uploads the band (not while the level is edited).
    void tick(double time, double dt) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Texture widths per second.
    float scrollSpeed = 0.1f;
};
