#pragma once
// The base of bodies that move as one point and stand on hull segments
// (cargo, apples, the pig's body). It holds the point, the body's offset
// from it, and the segment the body stands on with the contact point kept
// in the ground owner's local frame, so that the body rides along when the
// ground moves. The motion itself belongs to the derived bodies.
#include "world/A99Object.h"
#include "world/PhysPoint.h"

class HullSegment;

class PhysObject : public A99Object {
    ZUB_DECLARE_CLASS(PhysObject)
public:
    PhysObject();
    ~PhysObject() override;

    void addPropertiesTo(PropertyContainer* container) override;

    // Stores the ground segment; with a segment, also the point's position
    // in the local frame of the segment's hull owner. Null only clears the
    // ground (the contact stays).
    void setGround(HullSegment* segment);
    // The ground segment, or null. A segment whose hull is flagged for
    // deletion or has lost its owner counts as no ground.
    HullSegment* getGround() const;
    // The owner of the ground segment's hull, or null (as above).
    A99Object* groundOwner() const;
    // The contact point carried through the ground owner's current
    // transform; false without ground.
    bool groundContactWorld(V3& out) const;

    PhysPoint physPoint;
    V3 physPointOffset;
    ZubBaseReference ground{this};
    V3 groundContact;
    V3 push;
};
