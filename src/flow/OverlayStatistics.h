#pragma once
// The statistics panel of the attempt in play, opened by the show-statistics
// binding or the HUD's statistics button: for each category its figures and
// the share of the score earned so far, then the total, and how to go on.
// The figures are those of the moment it opened (it is built once, by its
// construct call on every peer). It closes on the same binding, on Escape,
// on any click or tap, or on the jump binding after the guard time, and
// draws the frozen level behind itself.
#include "flow/Overlay.h"
#include "object/RPC.h"

class OverlayStatistics : public Overlay {
    ZUB_DECLARE_CLASS(OverlayStatistics)
public:
    // Columns and places of the panel.
    static constexpr float LABEL_X = -300.0f;
    static constexpr float FIGURES_X = 150.0f;
    static constexpr float POINTS_X = 300.0f;
    static constexpr float TITLE_Y = 150.0f;
    static constexpr float FOOTER_Y = -190.0f;
    static constexpr uint32_t PERFECT_COLOUR = 0xFF00FF00u;
    static constexpr uint32_t PLAIN_COLOUR = 0xFFFFFFFFu;
    static constexpr uint32_t FOOTER_COLOUR = 0x80000000u;

    // Dismissed by the show-statistics binding (both codes) and any pointer.
    OverlayStatistics();
    ~OverlayStatistics() override;

    // Sends the construct call (when the role allows) and runs it here.
    void construct() override;
    // Scores the running result and lays the panel out from it.
    void local_construct();
    // The frozen level, then the panel.
    void renderContents() override;
};

class RPCOverlayStatisticsConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCOverlayStatisticsConstruct)
public:
    RPCOverlayStatisticsConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
