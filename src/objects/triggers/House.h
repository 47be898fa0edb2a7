#pragma once
// The pig's house, the goal of a level: a level is complete when the hero
// waits inside its trigger radius with all her piglets near it (`atHome`).
// It shows its door closed while everybody is home, sends chimney smoke
// while the hero is inside, scales the hero's carried cargo by her distance,
// and says how many apples are still missing when she arrives.
//
// HousePart is a plain placed object beside it that shows the house's front
// and carries a hull only the hero collides with.
#include <memory>

#include "object/RPC.h"
#include "objects/triggers/TriggerArea.h"

class Pig;

class House : public TriggerArea {
    ZUB_DECLARE_CLASS(House)
public:
    // Distances around the house that the house, apples and piglets use.
    static constexpr float PIGLET_HOME_RADIUS = 70.0f;
    static constexpr float APPLE_COLLECT_RADIUS = 80.0f;
    // The hero's carry scale falls from 1 to -1 as her (y-doubled) squared
    // distance goes from 5 r^2 to r^2, r being her radius plus this.
    static constexpr float CARRY_SCALE_MARGIN = 75.0f;
    // Chimney smoke: a puff this often while the hero is inside, from this
    // offset to the house's position.
    static constexpr double SMOKE_INTERVAL = 1.25;
    static constexpr float CHIMNEY_X = -10.0f;
    static constexpr float CHIMNEY_Y = 225.0f;
    // How long the missing-apples message stays.
    static constexpr double MESSAGE_TIME = 3.0;

    House();
    ~House() override;

    // The inside test, then the hero's carry scale, the smoke, `atHome` and
    // the door (nothing of it while the level is edited).
    void tick(double time, double dt) override;
    // The door, the house (with the editor's radius), the winter roof snow,
    // the editor's distance circles.
    void renderObject() override;
    // The house list.
    ZubBase* namedOwnerList() const override;
    // The door moves to the house.
    void netPostReplicate() override;
    // The door follows the house when the editor moves it.
    void onEdited() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Sends the construct call (when the role allows) and runs it here.
    void construct();
    // Builds the house's hull (once: a second construct keeps it).
    void local_construct() override;

    // The hero is inside and every piglet within PIGLET_HOME_RADIUS.
    uint8_t atHome = 0;
    // The door state last applied (the door is drawn while closed).
    uint8_t bDoorClosed = 0;
    double smokeTime = 0.0;
    double smokeInterval = SMOKE_INTERVAL;
    std::unique_ptr<Renderable> door;

private:
    void updateCarryScale(Pig* hero) const;
    void updateSmoke(double dt);
    bool isEverybodyHome() const;
    // Opens or closes the door; closing says how many apples are missing.
    void applyDoorState(bool closed);
    void placeDoor();

    Skin* roofSnow = nullptr;
};

class HousePart : public A99Object {
    ZUB_DECLARE_CLASS(HousePart)
public:
    HousePart();
    ~HousePart() override;

    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    // Builds the hero-only hull of the house's front (once).
    void local_construct() override;
};

class RPCHouseConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCHouseConstruct)
public:
    RPCHouseConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCHousePartConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCHousePartConstruct)
public:
    RPCHousePartConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
