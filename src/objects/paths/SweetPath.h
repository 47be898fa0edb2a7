#pragma once
// A Bezier path that lays out a row of sweets along its length when the
// level is set up: `sweetInstances` sweets evenly spaced from its start to
// its end, the first of `sweetType`, the types changing by `sweetTypeDelta`
// in all from the first sweet to the last. In the editor it shows the row
// it will lay out; in play the path itself is not drawn.
#include "gfx/Renderable.h"
#include "world/BezierPath.h"

class SweetPath : public BezierPath {
    ZUB_DECLARE_CLASS(SweetPath)
public:
    // The most sweets one path lays out.
    static constexpr int32_t MAX_SWEETS = 512;
    static constexpr int32_t TOP_TYPE = 15;

    SweetPath();
    ~SweetPath() override;

    // Editor: "2"/"1" step the first type, W/Q the count, X/Z the change.
    bool onEvent(ZubEvent& ev) override;
    // Lays out the sweets (not in the editor, not without a segment).
    void netPostReplicateGlobal() override;
    // Editor: the row of sweets it will lay out.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // How many sweets it lays out, and sweet i's place along the path (a
    // fraction of its length) and type.
    int32_t sweetCount() const;
    float fractionOf(int i) const;
    int typeAt(float fraction) const;

    int32_t sweetInstances = 3;
    int32_t sweetType = 0;
    int32_t sweetTypeDelta = 0;

private:
    // The world point at a fraction of the path's length.
    V3 worldPointAt(float fraction) const;
    // Draws the editor's row of sweets.
    Renderable preview;
};
