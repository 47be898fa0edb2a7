#pragma once
// The level map the player calls up during play with the map control: the
// level's map picture (256 x 192, "minimap%02d" by the level number) with
// the parts the pig has not explored yet left transparent, in its frame,
// marked with the house, the pig, free baskets, winged hats and umbrellas
// and free apples, each only where the map is already revealed (the pig
// always), over the frozen level. It is built once, when it is filled
// through its call, and closes on Escape, the map key or pad button again,
// or any pointer press.
//
// A world point maps into the playing area's cells (0..255 x 0..191, the
// top of the area in row 0) and onto the picture: -128..128 across and
// 96..-96 down, scaled with the display (1 on display class 1, else 2) and
// raised by the picture's 22 units.
#include <cstdint>

#include "flow/Overlay.h"
#include "object/RPC.h"

class GameController;
class Texture;

class OverlayMiniMap : public Overlay {
    ZUB_DECLARE_CLASS(OverlayMiniMap)
public:
    // The picture stands this far above the overlay's centre.
    static constexpr float MAP_RAISE = 22.0f;
    static constexpr float FOOTER_Y = -110.0f;
    static constexpr uint32_t MAP_COLOUR = 0x80808080u;
    static constexpr uint32_t FOOTER_COLOUR = 0x80000000u;
    // The icons of "minimapIcons".
    enum Icon : int { ICON_PIG = 0, ICON_APPLE, ICON_BASKET, ICON_HAT, ICON_UMBRELLA, ICON_HOUSE };

    // Dismissed by the map binding's key and pad button and by any pointer.
    OverlayMiniMap();
    // The map texture goes with it.
    ~OverlayMiniMap() override;

    // Sends the fill call to the peers (when the role allows) and runs it here.
    void construct() override;
    // The masked picture, the frame, the icons and the footer.
    void local_construct();

    void renderContents() override;

    // The map cell of a world point in the playing area (clamped), and the
    // point's place on the unscaled picture (y up).
    static void cellOf(const GameController& gc, const V3& at, int& column, int& row);
    static V3 iconPlace(const GameController& gc, const V3& at);

    // The texture made from the masked picture (owned); null until filled.
    Texture* pMapTexture = nullptr;

private:
    void addIcon(const GameController& gc, Icon icon, const V3& at, float scale);
};

class RPCMiniMapConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCMiniMapConstruct)
public:
    RPCMiniMapConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
