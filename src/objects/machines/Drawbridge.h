#pragma once
// A drawbridge: a deck on a hinge that swings between its raised and its
// lowered angle. A device (a switch) fires it, which flips the wanted
// position and sounds; every tick the deck turns further towards it along
// an eased curve, a full swing taking one second, and a firing during a
// swing turns it back from where it is. The wanted position is stored and
// the swing is not, so a bridge stored lowered starts raised and swings
// down in the first second of play.
//
// The object itself is the swinging deck (skin "drawbridge:0") with a flat
// one-segment hull, 360 units long about the hinge, that turns with it;
// beside it stand the upright tower ("drawbridge:1", which takes only the
// bridge's position and mirroring) and a chain ("fence:5") stretched from
// the top of the tower to the tip of the deck. A mirrored bridge (negative
// x scale) swings through the negated angles with its chain on the other
// side of the tower.
#include <memory>

#include "object/RPC.h"
#include "world/A99Object.h"

class Drawbridge : public A99Object {
    ZUB_DECLARE_CLASS(Drawbridge)
public:
    static constexpr float DEFAULT_RAISED_ANGLE = 1.3744469f;
    // Half the hull's length about the hinge.
    static constexpr float HULL_HALF_LENGTH = 180.0f;
    // The chain: from the top of the tower, beside the bridge's position,
    // to the tip of the deck in the deck's frame.
    static constexpr float CHAIN_TOP_X = 22.0f;
    static constexpr float CHAIN_TOP_Y = 327.0f;
    static constexpr float CHAIN_TIP_X = 145.0f;
    static constexpr float CHAIN_TIP_Y = 18.0f;
    // The editor arrows to the two end angles.
    static constexpr float EDITOR_ARROW_LENGTH = 345.0f;
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xFFFFFFFFu;

    Drawbridge();
    ~Drawbridge() override;

    // Swings towards the wanted position (nothing while edited).
    void tick(double time, double dt) override;
    // The deck, then the tower, then the chain; in the editor arrows
    // towards the two end angles.
    void renderObject() override;
    // The tower and the chain follow the deck.
    void onTransformChanged() override;
    // Flips the wanted position and sounds it.
    void activate() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Sends the construct call (when the role allows) and runs it here.
    void construct();
    // The proxy and the hull (once: a second construct keeps the hull).
    void local_construct() override;

    // The raised and the lowered angle as this bridge turns them (negated
    // when it is mirrored).
    float raisedTurn() const { return scale.x < 0.0f ? -raisedAngle : raisedAngle; }
    float loweredTurn() const { return scale.x < 0.0f ? -loweredAngle : loweredAngle; }

    bool bLowered = false;
    float raisedAngle = DEFAULT_RAISED_ANGLE;
    float loweredAngle = 0.0f;
    // 0 raised, 1 lowered.
    float progress = 0.0f;
    // The progress last turned to; -1 turns it on the first tick.
    float lastProgress = -1.0f;
    std::unique_ptr<Renderable> tower;
    std::unique_ptr<Renderable> chain;
};

class RPCDrawbridgeConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCDrawbridgeConstruct)
public:
    RPCDrawbridgeConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
