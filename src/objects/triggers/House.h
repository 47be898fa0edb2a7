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

#include "net/RPC.h"
#include "objects/triggers/TriggerArea.h"

class House : public TriggerArea {
    ZUB_DECLARE_CLASS(House)
public:
    // Distances around the house that the house, apples and piglets use.
    static constexpr float PIGLET_HOME_RADIUS = 70.0f;
    static constexpr float APPLE_COLLECT_RADIUS = 80.0f;

    House();
    ~House() override;

    void tick(double time, double dt) override;
    void renderObject() override;
    void netPostReplicate() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Sends the construct call (when the role allows) and runs it here.
    void construct();
    // Builds the house's hull.
    void local_construct() override;

    // The hero is inside and every piglet within PIGLET_HOME_RADIUS.
    uint8_t atHome = 0;
    // The door state last applied (the door is drawn while closed).
    uint8_t bDoorClosed = 0;
    double smokeTime = 0.0;
    double smokeInterval = 1.25;
    std::unique_ptr<Renderable> door;

private:
    void applyDoorState(bool closed);
};

class HousePart : public A99Object {
    ZUB_DECLARE_CLASS(HousePart)
public:
    HousePart();
    ~HousePart() override;

    void addPropertiesTo(PropertyContainer* container) override;
    void construct();
    // Builds the hero-only hull of the house's front.
    void local_construct() override;
};

class RPCHouseConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCHouseConstruct)
public:
    RPCHouseConstruct() : RPC(true, true, false) {}
    void execute() override;
};

class RPCHousePartConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCHousePartConstruct)
public:
    RPCHousePartConstruct() : RPC(true, true, false) {}
    void execute() override;
};
