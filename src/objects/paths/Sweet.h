#pragma once
// A sweet: a bonus pick-up that bobs in the air about its resting point and
// is eaten by the pig when she touches it, for the points of its type (16
// types, dearer ones sound higher), with a floating number, a burst of
// particles and a pitched sound. Sweets live in the level's sweet list;
// they are placed one by one or laid out by a sweet path.
#include "objects/PigPickup.h"
#include "world/A99Object.h"

class Sweet : public A99Object, public PigPickup {
    ZUB_DECLARE_CLASS(Sweet)
public:
    static constexpr int TYPE_COUNT = 16;
    // The bob: amplitude, phase per unit of x, and angular speed.
    static constexpr float BOB_HEIGHT = 4.0f;
    static constexpr double BOB_PHASE_PER_X = 0.015625;
    static constexpr double BOB_SPEED = 4.0;
    // What eating one shows.
    static constexpr int BURST_PARTICLES = 5;
    static constexpr float BURST_MIN_SPEED = 15.0f;
    static constexpr float BURST_MAX_SPEED = 40.0f;
    static constexpr float BURST_LIFETIME = 2.0f;
    static constexpr float POINTS_RISE = 64.0f;
    static constexpr double POINTS_DURATION = 0.75;
    // The pickup sound's pitch in semitones is the type less this.
    static constexpr int PITCH_OFFSET = 8;

    Sweet();
    ~Sweet() override;

    // The bob (while near the view, not in the editor).
    void tick(double time, double dt) override;
    // Editor: "2" raises the type, "1" lowers it.
    bool onEvent(ZubEvent& ev) override;
    // The level's sweet list.
    ZubBase* namedOwnerList() const override;
    // Shows its type.
    void netPostReplicate() override;
    // Rests where the editor put it.
    void onEdited() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Clamps the type to the frames of "sweets", shows that frame and takes
    // the type's points and colour. A type above 15 (a sheet with more
    // frames) is fatal.
    void setType(int type);
    // Eaten: the points go to the level's score (which never overflows: a
    // sum beyond the int range leaves 0), the sweet counts, the number
    // floats up, particles burst (detail 1 and up), "sweetPickup" sounds;
    // then the sweet removes itself.
    void collect();

    // PigPickup: free until eaten; the pig's touch eats it.
    bool isFree() const override { return !bToBeDestroyed; }
    void pickUp(Pig* collector) override;

    int32_t type = 0;
    int32_t points = 0;
    uint32_t colour = 0xffffffffu;
    // The resting point the sweet bobs about.
    V3 refPosition;

private:
    Skin* sheet = nullptr;  // frame 0 of "sweets"
};
