#include "world/SpringPoint.h"

#include "object/Property.h"

void SpringPoint::tick(double time, double dt) {
    force += (position - restPoint) * -k;
    const V3 dv = velocity * (damping * static_cast<float>(dt));
    if (dv.lengthSquared() > velocity.lengthSquared()) velocity = V3();
    else velocity -= dv;
    PhysicsPoint::tick(time, dt);
}

void SpringPoint::addPropertiesTo(PropertyContainer* c) {
    PhysicsPoint::addPropertiesTo(c);
    addPropertyV3(c, u"restPoint", 0, &restPoint);
    c->add(new PropertyFloat(u"k", 0, &k));
    c->add(new PropertyFloat(u"damping", 0, &damping));
}
