#pragma once
// A nine-slice skin made from a source skin (a frame of a sheet): the four
// corners keep their size, the edges stretch along one axis and the middle
// along both, so the skin can take any size. Borders are insets of the
// source's pixel rectangle in texture pixels (design units are pixels divided
// by the texture's hq2x factor). When the size is smaller than two borders,
// those borders shrink in proportion so that they meet.
#include "gfx/Skin.h"

class StretchSkin : public Skin {
    ZUB_DECLARE_CLASS(StretchSkin)
public:
    StretchSkin();
    // Takes the source's texture, texture rectangle and size.
    explicit StretchSkin(Skin* source);

    void setSource(Skin* source);
    // Insets in texture pixels: left, top, right, bottom.
    void setBorders(int left, int top, int right, int bottom);
    // A width or height <= 0 keeps the current one.
    void setSize(float w, float h);
    // Rebuilds the 9 cells (a triangle list of 54 vertices) and uploads them.
    void refresh();

    Skin* source = nullptr;  // not owned
    int borderLeft = 0, borderTop = 0, borderRight = 0, borderBottom = 0;
};
