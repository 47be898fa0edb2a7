#pragma once
// What a renderable looks like: a shape of width x height design units
// centred on its local origin, with an origin offset that the renderable
// subtracts when it places the skin (so the offset point of the shape lands
// on the renderable's position and is the pivot of its rotation and scale).
//
// Local space: the skin's centred frame, y up. A renderable's world matrix
// maps it into the world; the point test works in it.
//
// Deformation hooks map between the plain rectangle and the drawn shape of a
// deformed skin; plain skins keep points as they are.
#include <cstdint>

#include "gfx/VertexBuffer.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class Renderable;
class Texture;

class Skin : public ZubBase {
    ZUB_DECLARE_CLASS(Skin)
public:
    Skin();
    ~Skin() override;

    // Draws the skin with the carrier's world matrix and colour (none:
    // identity and white).
    virtual void draw(Renderable* carrier);

    // Whether a point of the local space lies in the width x height
    // rectangle centred on the origin (left and bottom edges inside, right
    // and top edges outside).
    virtual bool isPointInside(float x, float y, float z) const;
    bool isPointInside(const V3& p) const { return isPointInside(p.x, p.y, p.z); }

    // Stores an anchor of the skin rectangle, plus originAdjust, as the
    // origin. The index follows the numeric keypad: 1 bottom left, 2 bottom
    // middle, 3 bottom right, 4 middle left, 5 centre, 6 middle right, 7 top
    // left, 8 top middle, 9 top right; 0 counts as 5. Other values are fatal.
    void getAnchorPoint(int index);
    // The anchor point of a width x height rectangle.
    static V3 anchorOffset(int index, float width, float height);

    // Deformation hooks: a point (or direction) of the plain rectangle into
    // the drawn shape, and back.
    virtual V3 deformPoint(const V3& p) const { return p; }
    virtual V3 undeformPoint(const V3& p) const { return p; }
    virtual V3 deformVector(const V3& v) const { return v; }
    virtual V3 undeformVector(const V3& v) const { return v; }

    // The sheet (texture) the skin belongs to and its place there; -1 for a
    // skin that is not a frame of a sheet.
    Texture* getSheet() const { return sheetIndex >= 0 ? texture : nullptr; }
    // The number of frames of its sheet (1 for a skin outside a sheet).
    int getFrameCount() const;
    // Frame n of its sheet; null when out of range or without a sheet.
    Skin* getFrame(int n) const;

    // Sets the device's world matrix and modulation colour for a carrier.
    static void applyCarrier(Renderable* carrier);

    float width = 0.0f;
    float height = 0.0f;
    V3 origin;        // subtracted from the carrier's position when placed
    V3 originAdjust;  // added to every anchor point (from the skin description)
    // Texture-coordinate rectangle: left u, top v, right u, bottom v.
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
    Texture* texture = nullptr;  // not owned
    int sheetIndex = -1;
    VertexBuffer vb;
    int primitiveType = VertexBuffer::TRIANGLE_STRIP;
};
