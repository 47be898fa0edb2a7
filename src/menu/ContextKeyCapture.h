#pragma once
// The box that waits for the input to bind: a title (the action) and a line
// of text, no buttons and no pointer. It records the lowest input code that
// went down in a frame through `result` and closes in the first frame after
// that without a new press, so a code pressed in the very next frame
// replaces the first. Escape is recorded as code 1, which the binding item
// takes as a cancel. The keys do not navigate the box: they are all
// answers.
//
// The mouse's movement entries count only in a frame of deliberate movement
// (at least kMouseMoveThreshold units along the axis): the hand that clicked
// the item is usually still on the mouse, and a nudge must not bind a mouse
// direction. The box stays open while such movement goes on.
#include <cstdint>

#include "gui/ContextMessageBox.h"

class ContextKeyCapture : public ContextMessageBox {
    ZUB_DECLARE_CLASS(ContextKeyCapture)
public:
    static constexpr float kMouseMoveThreshold = 8.0f;

    // Lays the box out and stores 0 through `result`, which must outlive
    // the box (the capturing item stands below it on the stack).
    ContextKeyCapture(int32_t* result, std::u16string_view title, std::u16string_view text);
    ~ContextKeyCapture() override;

    void tickContents(double time, double dt) override;

    // The lowest input code that went down in this frame and counts as a
    // choice, 0 when none.
    static int32_t firstNewCode();

    // The capturing item's code (the message box's own answer is unused).
    int32_t* result;
};
