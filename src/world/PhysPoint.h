#pragma once
// The moving point of a physics body: its position now and one step
// earlier (the velocity is implied by the difference).
#include "object/ZubBase.h"
#include "util/Math.h"

class PhysPoint : public ZubBase {
    ZUB_DECLARE_CLASS(PhysPoint)
public:
    PhysPoint() = default;
    void addPropertiesTo(PropertyContainer* c) override;

    // Both positions at the point: no implied velocity.
    void setPositionAndStop(float x, float y, float z) {
        position = V3(x, y, z);
        oldPosition = position;
    }

    V3 position;
    V3 oldPosition;
};
