#pragma once
// Lets key and pad navigation stop on each row of the players page: one
// anchor per listed player, at the left end of the row's centre line. It
// draws nothing.
#include "gfx/Renderable.h"
#include "gui/CursorTarget.h"

class PlayerRowAnchors : public Renderable, public CursorTarget {
    ZUB_DECLARE_CLASS(PlayerRowAnchors)
public:
    PlayerRowAnchors();
    ~PlayerRowAnchors() override;

    V3 cursorAnchor(int index) override;
};
