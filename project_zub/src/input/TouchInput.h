#pragma once
// Whether the player is using touch input: the active input service is in
// touch mode (false without one). Prompts, buttons and hints that differ
// between touch and mouse-and-keyboard ask this.
#include "input/ZubInput.h"

inline bool isTouchInput() {
    const ZubInput* in = ZubInput::active();
    return in && in->inputMode == ZubInput::MODE_TOUCH;
}
