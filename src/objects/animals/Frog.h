#pragma once
// A frog that sits where it is placed and watches for loose apples in front
// of it (within 45 degrees of its facing, 400 units away at most). It turns
// its head to the nearest one, and from 200 units shoots its tongue out at it
// (half a second), catches the apple in sight when the tongue is fully out,
// eats it at once (a spoiled apple, taken out of any basket place) and pulls
// it in (a quarter of a second). Then it digests for the rest of the level
// and the eaten apple is no longer drawn. A tongue that comes back empty
// returns it to watching. It never touches the pig.
#include "objects/apples/Apple.h"
#include "world/A99Object.h"

class Frog : public A99Object {
    ZUB_DECLARE_CLASS(Frog)
public:
    enum State : int { WATCHING = 1, ALERT = 2, ATTACK = 3, PULLING = 4, DIGESTING = 5 };
    // Skins of the sheet "frog".
    enum Frame : int {
        FRAME_BODY = 0,
        FRAME_HEAD_ATTACK = 1,
        FRAME_HEAD_IDLE_A = 2,
        FRAME_HEAD_DIGESTING = 3,
        FRAME_HEAD_IDLE_B = 4,
        FRAME_HEAD_IDLE_C = 5,
        FRAME_HEAD_IDLE = 6,
        FRAME_HEAD_ALERT = 7,
        FRAME_TONGUE = 8,
    };
    // Squared distances: an apple is seen within 400 units and attacked
    // within 200.
    static constexpr float SIGHT_RANGE_SQ = 160000.0f;
    static constexpr float ATTACK_RANGE_SQ = 40000.0f;
    static constexpr float ATTACK_RANGE = 200.0f;
    // Per second: the tongue goes out in half a second, back in a quarter.
    static constexpr float TONGUE_OUT_SPEED = 2.0f;
    static constexpr float TONGUE_IN_SPEED = 4.0f;
    static constexpr uint32_t EDITOR_CIRCLE_COLOR = 0xffffffffu;

    Frog();
    ~Frog() override;

    void tick(double time, double dt) override;
    // The head, tongue and sound of each state as it is entered.
    void onStateChange() override;
    // Outside the editor it starts watching.
    void netPostReplicate() override;
    // Head and tongue follow the body.
    void onTransformChanged() override;
    // Body, head, tongue; in the editor its attack range.
    void renderObject() override;

    Renderable head;
    // Stretched in x from its left end (at the head's pivot) to the apple.
    Renderable tongue;
    // The apple the tongue caught.
    ZubBaseReference pApple{this};
    V3 tongueTarget;
    // 0 in, 1 fully out.
    float tongueAmount = 0.0f;
    double nextIdleAnim = 0.0;
    double nextIdleSound = 0.0;

private:
    struct Sighting {
        Apple* apple = nullptr;
        float distanceSq = 0.0f;
        float angle = 0.0f;  // of the apple from the frog, world radians
    };
    // The nearest loose apple, when it lies in sight.
    Sighting sight();
    // The head's turn (in the frog's frame) towards a world angle.
    float headAngle(float angle) const;
    Skin* frame(int index) const;
    // Stretches the tongue to a length.
    void stretchTongue(float length);
    void play(const char16_t* sound);

    Skin* sheet = nullptr;  // frame 0 of "frog"
};
