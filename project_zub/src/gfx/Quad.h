#pragma once
// A skin that is one textured rectangle, drawn as a triangle strip of four
// vertices. Its size comes from its texture-coordinate rectangle and the
// texture's real (power-of-two) size, in design units (texture pixels divided
// by the texture's hq2x factor).
#include "gfx/Skin.h"

class Quad : public Skin {
    ZUB_DECLARE_CLASS(Quad)
public:
    Quad();
    // A frame of a texture: the pixel rectangle (x, y from the top left).
    Quad(Texture* texture, int x, int y, int w, int h);

    // Sets the texture and refreshes (the texture coordinates stay).
    void setTexture(Texture* t);
    // The pixel rectangle, given as left, top, bottom, right: stores it,
    // recomputes the texture coordinates from the texture's real size (left
    // and right by the width, top and bottom by the height) and refreshes.
    void setRect(int left, int top, int bottom, int right);
    // The texture coordinates directly, then a refresh.
    void setTexCoords(float left, float top, float right, float bottom);

    // Rebuilds the size and the vertices from the texture coordinates and
    // uploads them: width = (u1 - u0) x real width, height = |v0 - v1| x real
    // height, both divided by the hq2x factor (sizes stay when there is no
    // texture).
    virtual void refresh();

    // The pixel rectangle.
    int rectLeft = 0, rectTop = 0, rectRight = 0, rectBottom = 0;

protected:
    // Size from the texture coordinates (no vertex work); false without a
    // texture (the size stays).
    bool computeSize();
};
