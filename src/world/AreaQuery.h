#pragma once
// What the world asks of a level area (the danger areas of the game
// controller): whether it holds an object or a point, and its kind. Areas
// derive from A99Object and this interface.
#include "util/Math.h"

class A99Object;

class AreaQuery {
public:
    virtual ~AreaQuery() = default;
    virtual bool containsObject(A99Object* o) = 0;
    virtual bool containsPoint(const V3& p) = 0;
    virtual int getAreaType() const = 0;
};
