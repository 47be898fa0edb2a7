#pragma once
// Editor gizmos: skins drawn through a temporary renderable that leaves no
// object behind.
#include <cstdint>

#include "util/Math.h"

class Skin;

// The skin "editor_arrow:0" from `from` to `to`: at their midpoint, turned
// to their direction, stretched to their distance.
void drawEditorArrow(const V3& from, const V3& to, uint32_t color);
// The skin "editor_circle:0" as a circle of the radius about the point.
void drawEditorCircle(float x, float y, float z, float radius, uint32_t color);
// A skin drawn unscaled at a world point in a colour (vertex symbols).
void drawEditorSymbol(Skin* skin, const V3& at, uint32_t color);
// Each channel of an ARGB colour times the factor, truncated; alpha kept.
uint32_t scaleColor(uint32_t argb, float factor);
