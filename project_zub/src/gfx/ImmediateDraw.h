#pragma once
// Immediate outline drawing in the current world (the camera applied by the
// context being drawn): untextured lines through one shared vertex buffer,
// uploaded for each call.
#include <cstdint>

#include "util/Math.h"

// A line from p0 in colour c0 to p1 in colour c1 (ARGB).
void drawLine(const V3& p0, const V3& p1, uint32_t c0, uint32_t c1);
// The outline of the rectangle from (left, top) to (right, bottom) at depth z.
void drawRectOutline(float left, float top, float right, float bottom, uint32_t color, float z = 0.0f);
