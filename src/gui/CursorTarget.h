#pragma once
// What a menu needs of a navigable item: its navigation anchors as points of
// the reference screen (x from the left, y from the bottom). Menu items and
// sprites that the key navigation can reach implement it besides their
// Renderable base.
#include "util/Math.h"

class CursorTarget {
public:
    virtual ~CursorTarget() = default;
    // Anchor number `index` (0, 1, ...); (-1, -1, -1) after the last one.
    virtual V3 cursorAnchor(int index) = 0;

    static V3 noAnchor() { return V3(-1.0f, -1.0f, -1.0f); }
    static bool isNoAnchor(const V3& p) { return p.x == -1.0f && p.y == -1.0f && p.z == -1.0f; }
};
