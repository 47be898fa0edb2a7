#pragma once
// What the world asks of a level area (the danger areas of the game
// controller): whether it holds an object or a point, and its kind. Areas
// derive from A99Object and this interface.
#include <cstdint>

#include "util/Math.h"

class A99Object;

// The kinds of ground an area gives what lies in it, as level files store
// them (the area's `areaType`). The pig moves more slowly in the slow,
// water and mud kinds and is knocked away in acid and danger; apples spoil
// in mud and acid; cargo resting in acid or danger is lost. Where areas
// overlap the highest kind counts.
enum AreaType : int32_t {
    AREA_NONE = 0,
    AREA_SLOW = 1,
    AREA_WATER = 2,
    AREA_MUD = 3,
    AREA_ACID = 4,
    AREA_DANGER = 5,
    AREA_TYPE_COUNT
};

class AreaQuery {
public:
    virtual ~AreaQuery() = default;
    virtual bool containsObject(A99Object* o) = 0;
    virtual bool containsPoint(const V3& p) = 0;
    // One of AreaType.
    virtual int getAreaType() const = 0;
};
