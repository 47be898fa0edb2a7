#pragma once
// One row of the end-of-level statistics, a child of the level's HUD: a
// label, the raw figure and a counter that counts up to the row's share of
// the score (tenths of a percent), a star when the category was perfect and
// a trophy when it beat the stored best, and then a slide into the row's
// place in the list. The rows come up one after another: each says how long
// it takes (`duration`), and the game controller starts the next one then.
//
// States: 0 waiting for the start delay; 1 the texts fade in (0.5 s); 2 the
// bell, and the counter counts up (0.5 s); 3 the awards come up in the
// middle of the screen with a burst, a banner and sounds (1 s, or at once
// without awards); 4 everything glides to the row's place and stays there.
// The total row keeps its text size and shows its percentage without a plus.
//
// Rows live only on the screen: they are neither registered nor sent.
#include <cstdint>

#include "object/ZubBase.h"
#include "util/Math.h"
#include "util/WString.h"

class FadingText;
class Renderable;

class LevelStatsEffect final : public ZubBase {
public:
    enum State : int { WAITING = 0, FADING_IN = 1, COUNTING = 2, AWARDS = 3, SETTLING = 4 };
    // Where a row first shows (x of each text; y of the texts and the awards).
    static constexpr float START_Y = -50.0f;
    static constexpr float AWARD_Y = -150.0f;
    static constexpr float LABEL_X = -350.0f;
    static constexpr float VALUE_X = 150.0f;
    static constexpr float COUNTER_X = 350.0f;
    static constexpr uint32_t TROPHY_BURST_COLOUR = 0xFFFFFF00u;

    // targetValue: the points counted up to (tenths of a percent);
    // targetPosition: the row's place; starColor: the star's colour;
    // semitones: the pitch of the row's sounds. Enters state 1 after
    // startDelay (at once when it is 0 or less).
    LevelStatsEffect(int32_t targetValue, const V3& targetPosition, uint32_t starColor, int32_t semitones, bool bTrophy,
                     bool bStar, bool bTotal, WString label, WString valueText, double startDelay);
    // Frees the texts and awards not attached yet.
    ~LevelStatsEffect() override;

    // The state timer and the children, then the counting and the settling.
    void tick(double time, double dt) override;
    // The entries of states 1 to 3.
    void onStateChange() override;

    double duration;
    FadingText* pLabel;
    FadingText* pValue;
    FadingText* pCounter;
    Renderable* pStar = nullptr;
    Renderable* pTrophy = nullptr;
    V3 targetPosition;
    int32_t targetValue;
    int32_t semitones;
    uint8_t bTrophy;
    uint8_t bStar;
    uint8_t bTotal;

private:
    bool bSettled = false;

    void showAwards();
    void settle();
    // A star or trophy with its burst and banner at a point of the middle.
    void showAward(Renderable* sprite, float x, uint32_t burstColour, int32_t banner);
};
