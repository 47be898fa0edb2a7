#pragma once
// The help panel a hint trigger of the level opens: a translucent square in
// the middle of the screen with a title, an optional picture (a skin, or a
// picture of the tutorial sheet in its frame), the hint text in coloured
// runs and a footer that says how to go on, over the frozen level.
//
// The panel's content travels as one call (RPCShowHint) so that every peer
// builds the same panel from the same four values; the texts arrive with
// the key names already in them. It closes on Escape, the fire key or pad
// button, or any pointer press, and after its guard time through the fire
// binding as every overlay does.
//
// Layout, in the overlay's plane (origin at the screen centre, y up): the
// content is at least 256 wide; the title counts 1.25 of its font's line,
// a picture its height and a line of the text font, the text its lines.
// Width and height are rounded down to even numbers, the width made at
// least the height, and the square is 100 larger each way. The content
// runs down from the top of that inner area, every line of text centred on
// its own width, runs without a colour of their own in half-transparent
// black; the footer sits 10 above the square's lower edge.
#include <cstdint>

#include "flow/Overlay.h"
#include "object/RPC.h"
#include "util/WString.h"

class Skin;

class OverlayHint : public Overlay {
    ZUB_DECLARE_CLASS(OverlayHint)
public:
    static constexpr float MIN_CONTENT_WIDTH = 256.0f;
    static constexpr float BORDER = 100.0f;
    static constexpr float FOOTER_LIFT = 10.0f;
    static constexpr float TEXT_WIDTH_SHARE = 0.75f;
    static constexpr uint32_t TITLE_COLOUR = 0xFFFFFFFFu;
    static constexpr uint32_t TEXT_COLOUR = 0x80000000u;

    // Dismissed by the fire binding's key and pad button and by any pointer.
    OverlayHint();

    // Sends the panel's content to the peers (when the role allows) and
    // builds it here. `picture` is a picture of the tutorial sheet; negative
    // for none.
    void showHint(const WString& title, const WString& text, Skin* skin, int32_t picture);
    // Builds the panel as children of the overlay.
    void local_showHint(const WString& title, const WString& text, Skin* skin, int32_t picture);

    void renderContents() override;
};

class RPCShowHint : public RPC {
    ZUB_DECLARE_CLASS(RPCShowHint)
public:
    static constexpr int MAX_TEXT = 4096;
    RPCShowHint() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    WString title;
    WString text;
    Skin* skin = nullptr;
    int32_t picture = -1;
};
