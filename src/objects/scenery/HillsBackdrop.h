#pragma once
// The season's distant hills behind a level, three strips of repeated hill
// images, each sliding more slowly than the level in front of it. Not a level
// object: the level's backdrop holder ticks and draws it.
#include <cstdint>

#include "object/ZubBase.h"

class Skin;

class HillsBackdrop : public ZubBase {
public:
    // The strips, back to front.
    struct Strip {
        bool front;      // hillsB, else hillsA
        float depth;     // p: slides at 1/p of the level's speed
        float parallax;  // q: follows the camera's height by 1 - 1/q
        float offset;    // in half screen heights, downwards
        uint32_t color;
    };
    static constexpr Strip STRIPS[3] = {{false, 4.0f, 16.0f, -0.55f, 0xFFFFFFFFu},
                                        {true, 2.0f, 8.0f, -0.6f, 0xFFCCCCCCu},
                                        {true, 1.5f, 6.0f, -1.0f, 0xFFFFFFFFu}};
    // Copies of one strip at most (a far camera sees many).
    static constexpr int MAX_COPIES = 256;

    // The season's "hillsA" and "hillsB" skins.
    HillsBackdrop(Skin* back, Skin* front);
    ~HillsBackdrop() override;

    // The three strips around the current context's camera, when the game's
    // detail level is 1 or more and Ctrl+Alt+H is not held.
    void render() override;

    Skin* pSkinBack;
    Skin* pSkinFront;

private:
    void drawStrip(Skin* skin, float p, float q, float dx, float dy, float dz, uint32_t color);
};
