#pragma once
// A screen or scene with its own clock and camera. The screen stack
// (ContextManager) ticks and draws the top one.
#include "object/ZubBase.h"

class Context : public ZubBase {
    ZUB_DECLARE_CLASS(Context)
public:
    Context() = default;
};
