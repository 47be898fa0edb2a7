#pragma once
// A horizontal bar that fills from the left with a value from 0 to 1: the
// background skin drawn whole, over it the left part of the bar skin, cut
// from the skin's texture rectangle (revealed, not stretched). Both skins are
// skins of one texture; a negative background index draws no frame.
#include <cstdint>

#include "gfx/Renderable.h"

class Quad;
class Texture;

class ProgressBar : public Renderable {
    ZUB_DECLARE_CLASS(ProgressBar)
public:
    ProgressBar(Texture* texture, int32_t backgroundSkin, int32_t barSkin);
    ~ProgressBar() override;

    // Clamps the value to 0 ... 1 and shows that much of the bar.
    void setProgress(float v);

    void render() override;
    void onTransformChanged() override;

    Texture* texture;  // not owned
    int32_t barSkinIndex;
    float value = 0.0f;
    Renderable bar;  // draws the filled part; owns its quad
    Quad* barQuad = nullptr;
};
