#pragma once
// The hero, Mrs. Tumbro: a pig body of type 1 that the player steers. Her
// tick reads the control bindings and the HUD's touch buttons, walks, jumps
// (with a grace time after an edge, twice with the winged hat), glides
// under the umbrella, sweeps against the level's hulls, calls the objects
// she stands on and crosses, nudges apples, eats sweets, and faints on
// hazards. A faint runs through the states 2 (fainting, 3 s), 3 (the camera
// flies to her respawn point, 1 s) and 4 (she reappears), back to 1
// (playing), after which she flashes for 1.06 s and cannot be hurt.
//
// She carries one cargo at a time: UP picks up the cargo that won the action
// target, and a second UP (her own prompt, which exists while she carries
// something) puts it down. She faints with her tools (the umbrella and the
// winged hat) in hand and drops anything else; tools she left lying far
// away are brought back to her when she reappears.
#include "objects/pig/PigBody.h"

class Level;

class Cargo;

class Pig : public PigBody {
    ZUB_DECLARE_CLASS(Pig)
public:
    enum State : int { PLAYING = 1, FAINTING = 2, CAMERA_TO_RESPAWN = 3, REAPPEARING = 4 };

    // Movement by the containing area's type (the area found at the end of
    // the previous tick): acceleration, friction, the largest x speed, the
    // jump speed and gravity.
    struct Movement {
        float acceleration, friction, maxSpeed, jumpSpeed, gravity;
    };
    static constexpr float KNOCK_BACK_SPEED = 512.0f;
    static constexpr float MAX_JUMP_SPEED = 1536.0f;
    static constexpr double JUMP_GRACE_TIME = 0.25;
    static constexpr double FLASH_TIME = 1.06;
    // How long she lies fainted, and how long the camera takes to fly to
    // her respawn point.
    static constexpr double FAINT_TIME = 3.0;
    static constexpr double RESPAWN_FLIGHT_TIME = 1.0;
    // The camera's depth for the flight, in screen widths.
    static constexpr float RESPAWN_VIEW_DEPTH = -0.65f;
    // Tools lying at least this far from her respawn point come back to it.
    static constexpr float TOOL_RETURN_DISTANCE = 100.0f;
    // Her prompt: below every object's, at no distance.
    static constexpr int PROMPT_PRIORITY = 1;
    // The music's volume while she lies fainted, and the slides to it and back.
    static constexpr float MUSIC_DUCK_VOLUME = 0.01f;
    static constexpr double MUSIC_DUCK_TIME = 0.25;
    static constexpr double MUSIC_BACK_TIME = 1.0;
    // Apples within this many hero radii of her physics point are nudged;
    // faster than this (x) she kicks the ones in front of her flat.
    static constexpr float APPLE_REACH = 1.25f;
    static constexpr float RUNNING_KICK_SPEED = 192.0f;
    static constexpr float KICK_BOOST = 1.35f;
    static constexpr float MIN_KICK_SPEED = 250.0f;
    static constexpr float MAX_KICK_SPEED = 768.0f;
    // The slurp follows eating a sweet after this long.
    static constexpr double SLURP_DELAY = 0.5;
    // Rows of the movement table: no area (or a type without its own row),
    // slow ground, water and mud (AreaType), and gliding under the umbrella
    // in the open.
    static constexpr Movement MOVE_DEFAULT{3000.0f, 2500.0f, 384.0f, 768.0f, -2048.0f};
    static constexpr Movement MOVE_SLOW{375.0f, 312.5f, 384.0f, 768.0f, -2048.0f};
    static constexpr Movement MOVE_WATER{375.0f, 2500.0f, 192.0f, 384.0f, -1024.0f};
    static constexpr Movement MOVE_MUD{187.5f, 2500.0f, 96.0f, 192.0f, -512.0f};
    static constexpr Movement MOVE_GLIDE{3000.0f, 2500.0f, 384.0f, 768.0f, -256.0f};
    // Segments steeper than this (radians, either way) are walls.
    static constexpr float WALL_ANGLE = kPi / 4.0f;
    // Landing speeds (along the surface normal) that squash the body and
    // that make a footstep.
    static constexpr float SQUASH_SPEED = 500.0f;
    static constexpr float FOOTSTEP_SPEED = 100.0f;
    // Homing: she walks into the house on her own from this close.
    static constexpr float HOME_REACH = 110.0f;
    static constexpr float HOME_HEIGHT = 50.0f;

    Pig();
    ~Pig() override;

    void tick(double time, double dt) override;
    // The pig list (her first child is the hero).
    ZubBase* namedOwnerList() const override;
    // Outside the editor she starts playing, and where she starts is where
    // she reappears after a faint.
    void netPostReplicate() override;
    // The entry actions of fainting, the camera's flight and reappearing.
    void onStateChange() override;
    // After the editor moved her: the physics point follows the drawn position.
    void onEdited() override;
    // While she carries something she offers to drop it (priority 1,
    // distance 0); a touch must land within twice the carried cargo's
    // bounding radius of it.
    bool queryHeroPrompt(V3 point, int* priority, float* distance) override;
    // Nothing while the editor hides its views.
    void renderObject() override;
    // Losing the carried cargo (a basket delivered at the house) takes the
    // tools' powers with it.
    bool onEvent(ZubEvent& ev) override;

    // Controls are locked for at least `seconds` (switches).
    void lockControls(double seconds);
    // Picks up the cargo that is the level's action target; whether she took one.
    bool carry();
    // Puts down what she carries; fatal when she carries nothing.
    void dropCargo();
    // Whether hazards and animals can hurt her now: playing, not flashing,
    // controls not locked, and the level's invulnerability cheat off.
    bool isVulnerable() const;

    // Kicks (running) or tosses (UP held) the free apples near her.
    void collectNearbyApples();
    // Eats the sweets she touches; the slurp follows.
    void eatSweets();
    // In an acid or danger area while vulnerable: knocked away from the
    // area's position, she faints.
    void checkDangerArea();
    // Below the playing area she faints.
    void checkOutOfArea();

    float heroRadius = 40.0f;
    // Scale of the carried cargo's grip offsets (the house shrinks it).
    float carryScale = 1.0f;
    // The area that contains her (refreshed at the end of every tick).
    ZubBaseReference pArea{this};
    // What she carries.
    ZubBaseReference pCarried{this};
    int32_t jumpCount = 0;
    double airTime = 0.0;
    double slurpTime = -1.0;
    bool bCanAct = true;
    double lockTime = 0.0;
    bool bHasHat = false;
    bool bHasUmbrella = false;
    V3 respawnPoint;
    V3 previousVelocity;
    // The impact speed of the last hit of her sweep (footsteps).
    float impactSpeed = 0.0f;

    // The movement parameters of this tick (by the area found at the end of
    // the previous tick; gliding under the umbrella in the open while
    // falling).
    Movement movement() const;
    // The AreaType of pArea, or -1 without an area.
    int areaType() const;
    // Under the umbrella, in no area, falling (state 1).
    bool isGliding() const;
    // Whether gliding begins this tick: the glide row is chosen after more
    // than the grace time in the air, rising at the start of the last tick.
    bool glideStarts() const;

private:
    // Controls (state 1); whether a jump was granted, and whether friction
    // is skipped.
    void readControls(Level* level, const Movement& m, const V3& groundDir, bool onGround, float dt, bool& jumped,
                      bool& skipFriction);
    // Walks towards the house when she stands close to it and nothing is
    // pressed: +1 right, -1 left, 0 not.
    int homingDirection(Level* level) const;
    void somersault(Level* level);
    // The entry actions of the faint's states.
    void faint(Level* level);
    void flyToRespawn(Level* level);
    void reappear(Level* level);
    // The umbrella and the winged hat she carried before and left lying at
    // least TOOL_RETURN_DISTANCE away come to her respawn point.
    void bringToolsBack(Level* level);
    // The swept move of this tick against the level's hulls: lands, walks
    // along floors and walls, passes through pass-through hulls.
    void sweep(float dt);
};
