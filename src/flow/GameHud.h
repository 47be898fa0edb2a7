#pragma once
// The screen-fixed layer over the level, the last of the game controller's
// contexts: the two message lines, the seven touch-screen controls (move
// left, move right, jump; pause, help, statistics, map) and the status line:
// the row of required apples, the points (counted up to their value), the
// optional level clock and, on bonus levels, the countdown. Places are in
// design units from the screen centre, y up; W and H are the reference
// screen's size. While the level is edited it neither ticks nor draws.
#include <cstdint>

#include "anim/InterpolatedValue.h"
#include "flow/GameMessage.h"
#include "gfx/Context.h"

class GameController;
class Renderable;
class TouchHudControl;

class GameHud : public Context {
    ZUB_DECLARE_CLASS(GameHud)
public:
    // The centres of the two message lines.
    static constexpr float MESSAGE1_Y = 105.0f;
    static constexpr float MESSAGE2_Y = 155.0f;
    // The buttons' row from the top-right corner leftwards.
    static constexpr float BUTTON_INSET = 35.0f;
    static constexpr float BUTTON_SPACING = 70.0f;
    // The points counter aims this far above the points and shows at most
    // the points, so it climbs and stops exactly on them.
    static constexpr int32_t POINTS_LEAD = 3;
    static constexpr float POINTS_RATE = 1.25f;
    static constexpr uint32_t CLOCK_COLOUR = 0xFFFCB7FAu;
    static constexpr uint32_t DIM_COLOUR = 0x80000000u;

    GameHud();
    ~GameHud() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    GameMessage message1;
    GameMessage message2;
    TouchHudControl* pMoveLeft;
    TouchHudControl* pMoveRight;
    TouchHudControl* pJump;
    Renderable* pPauseButton;
    Renderable* pHelpButton;
    Renderable* pStatsButton;
    Renderable* pMapButton;
    InterpolatedValue pointsCounter;

    // The points the status line shows now.
    int32_t shownPoints() const;

private:
    GameController* controller() const;
    void drawApples(const GameController& gc);
    void drawClock(const GameController& gc);
    void drawCountdown(const GameController& gc);
};
