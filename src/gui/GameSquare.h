#pragma once
// The framed panel behind dialogs and overlays, with an optional title near
// its top edge.
#include <cstdint>

#include "gfx/Renderable.h"
#include "util/WString.h"

class GameSquare : public Renderable {
    ZUB_DECLARE_CLASS(GameSquare)
public:
    // The title: fontMedium, half-transparent black, centred on a point
    // TITLE_DROP below the top edge.
    static constexpr uint32_t TITLE_COLOUR = 0x80000000u;
    static constexpr float TITLE_DROP = 30.0f;

    // A panel of width x height centred on (x, y, z): the skin
    // "gui-game-square-opaque:0" or "gui-game-square:0", insets 36.
    GameSquare(float x, float y, float z, float width, float height, bool bOpaque, std::u16string_view title);
    ~GameSquare() override;

    void render() override;

    WString title;
};
