#pragma once
// A Bezier path drawn as a row of stakes spaced evenly along it from one end
// to the other, optionally joined by crossbeams. It has no hull.
#include <cstdint>

#include "object/RPC.h"
#include "world/BezierPath.h"

class Texture;

class Fence : public BezierPath {
    ZUB_DECLARE_CLASS(Fence)
public:
    static constexpr int32_t TYPE_COUNT = 4;
    // The most stakes drawn (a loaded count is bounded by it).
    static constexpr int32_t MAX_STAKES = 4096;
    // Margin of the culling radius beyond the farthest stake.
    static constexpr float CULL_MARGIN = 128.0f;
    // How far beams reach past the stakes, by type (half on each end).
    static constexpr float BEAM_OVERHANG[TYPE_COUNT] = {32.0f, 0.0f, 16.0f, 48.0f};

    Fence();
    ~Fence() override;

    // Sends the construct call and runs it here.
    void construct();
    // The proxy, then the points (-128, 0) and (128, 0): 256 long. A path
    // that has points already keeps them.
    void local_construct() override;

    // The path, then (with segments) the culling radius from the stakes.
    void onEdited() override;
    // Beams, then stakes (when the culling square meets the game camera's
    // view), then the editor drawing.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Stake i of the current count: its local point and the path's direction
    // there; false for a path without segments.
    bool stakeAt(int i, V3* point, float* angle) const;
    int stakesToDraw() const;

    float cullRadius = 0.0f;  // the property "boundingRadius"
    int32_t fenceType = 0;
    int32_t stakeCount = 2;
    bool bCrossbeams = true;
    Texture* sheet;  // "fence": stakes 0-3, beams 4-7 by type

private:
    std::vector<V3> points;
    std::vector<float> angles;
};

class RPCFenceConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCFenceConstruct)
public:
    RPCFenceConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
