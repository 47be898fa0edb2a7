#pragma once
// The speech bubble of the valley map that lists a finished level's best
// results while the pointer rests on its marker: seven rows (score, apples,
// bonus apples, sweets, secrets, lives lost, time against par), each a label
// and a value, with a badge for a perfect category and one for a new
// record. The valley hides it at the start of every frame and calls
// showFor in the frames in which it is wanted, which rebuilds the rows.
//
// The bubble opens from beside the marker toward the middle of the screen:
// its picture is mirrored so, but the rows always read left to right and
// top down inside it.
#include <cstdint>

#include "gfx/Renderable.h"

class StretchSkin;
class ValleyIcon;

class ValleyStatsBubble : public Renderable {
public:
    static constexpr float WIDTH = 250.0f;
    static constexpr int ROWS = 7;
    static constexpr uint32_t ROW_COLOUR = 0x80000000u;
    static constexpr uint32_t FADED_COLOUR = 0x40000000u;

    // Its own skin, a stretched "gui-game-speechBubble:2" (borders 35, 20,
    // 35, 20); hidden.
    ValleyStatsBubble();
    ~ValleyStatsBubble() override;

    // Faces the bubble from the icon toward the middle of the view of the
    // context being ticked and rebuilds the rows from the icon's record.
    void showFor(ValleyIcon* icon);
    // The bubble, its rows, and (debug features unlocked) the level's
    // bookkeeping below it.
    void render() override;

    ValleyIcon* pIcon = nullptr;
    StretchSkin* bubbleSkin;  // == pSkin, owned
};
