#pragma once
// An item bound to a whole-number setting that the caller owns, with a
// minimum, a maximum and a step. A press near one of the two arrows at its
// ends (within 50 units of points 24 units in from the ends) steps the value
// down (left) or up (right) - the other way round for a right-to-left
// language - and clamps it; every press over the item clicks. The value is
// drawn as a number between the arrows, which show while a step that way is
// possible and fade in with the highlight (always shown under touch input).
//
// The bound value is clamped into [minimum, maximum] when the item is built:
// it may come from a saved file, and the choice items index with it.
#include <cstdint>

#include "gui/MenuItem.h"

class MenuItemValue : public MenuItem {
    ZUB_DECLARE_CLASS(MenuItemValue)
public:
    MenuItemValue(float x, float y, float z, int32_t* value, int32_t minimum, int32_t maximum, int32_t step,
                  std::u16string_view caption, std::u16string_view hint);
    ~MenuItemValue() override;

    void tick(double time, double dt) override;
    void render() override;
    // Anchor 0 at the left arrow, 1 at the right arrow (not mirrored).
    V3 cursorAnchor(int index) override;
    void renderValue(float x, float y, float z) override;

    // The arrows' centres in the item's local space: +-(skin width / 2 - 24).
    float arrowOffset() const;

    int32_t* value;  // the caller's, outlives the item
    int32_t minimum;
    int32_t maximum;
    int32_t step;
    // Set when a press changed the value; the owner reads and clears it.
    uint8_t bChanged = 0;
};
