#pragma once
// The "How To Play" panel that the HUD's help button opens on a touch
// screen: five pages, each a picture of the tutorial sheet in the sheet's
// frame with a line of explanation under it, over the frozen level. Every
// tap turns to the next page; the tap on the fifth closes the panel, as
// Escape (or the jump binding after the guard time) does on any page.
//
// With the steering controls on the right (touchControls 1) the first two
// pictures change places, since they show where the controls are; the
// texts keep their order.
#include <cstdint>

#include "flow/Overlay.h"
#include "object/RPC.h"
#include "util/Math.h"

class Texture;

class OverlayTutorial : public Overlay {
    ZUB_DECLARE_CLASS(OverlayTutorial)
public:
    static constexpr int32_t PAGES = 5;
    static constexpr float BACKGROUND_SCALE = 2.0f;
    static constexpr float TITLE_DROP = 100.0f;
    static constexpr float TEXT_Y = -100.0f;
    static constexpr float FOOTER_Y = -210.0f;
    static constexpr uint32_t TEXT_COLOUR = 0xFFFFFFFFu;
    static constexpr uint32_t FOOTER_COLOUR = 0x80000000u;

    OverlayTutorial();

    // The tutorial sheet of the display (frame 0, then the pictures):
    // "tutorial-iPad" on display class 1, else "tutorial-iPhone". Fatal
    // when missing.
    static Texture* sheetOfDisplay();

    // Sends the fill call to the peers (when the role allows) and runs it here.
    void construct() override;
    // The background, the frame, the page holder, the title and the
    // footer, then page 0.
    void local_construct();
    // Makes the holder show the current page: its picture and its text.
    void showPage();

    // A tap turns the page (the fifth closes the panel); then the overlay's
    // dismiss rules.
    void tickContents(double time, double dt) override;
    void renderContents() override;

    Texture* pSheet = nullptr;
    ZubBase* pPage = nullptr;
    int32_t page = 0;
    V3 picturePosition{0.0f, 50.0f, 0.0f};
};

class RPCTutorialConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCTutorialConstruct)
public:
    RPCTutorialConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
