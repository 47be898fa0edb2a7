#pragma once
// The framed panel behind dialogs and overlays, with an optional title near
// its top edge.
#include "gfx/Renderable.h"
#include "util/WString.h"

class GameSquare : public Renderable {
    ZUB_DECLARE_CLASS(GameSquare)
public:
    // A panel of width x height centred on (x, y, z): the skin
    // "gui-game-square-opaque:0" or "gui-game-square:0", insets 36.
    GameSquare(float x, float y, float z, float width, float height, bool bOpaque, std::u16string_view title);
    ~GameSquare() override;

    void render() override;

    WString title;
};
