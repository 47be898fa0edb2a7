#pragma once
// A plain sprite that offers its position to the menu's navigation cursor
// once its owner sets bCursorAnchor.
#include <cstdint>

#include "gfx/Renderable.h"
#include "gui/CursorTarget.h"

class CursorTargetSprite : public Renderable, public CursorTarget {
    ZUB_DECLARE_CLASS(CursorTargetSprite)
public:
    CursorTargetSprite();
    CursorTargetSprite(Skin* skin, const V3& position);
    ~CursorTargetSprite() override;

    // Its position on the reference screen while bCursorAnchor is set.
    V3 cursorAnchor(int index) override;

    uint8_t bCursorAnchor = 0;
};

// The name the game flow uses for it.
using MenuImage = CursorTargetSprite;
