#pragma once
// The level's hull list: the world's indexed list of collision hulls, as a
// registered class so that a level file brings it back as an indexed list
// and not as a plain object.
#include "world/HullList.h"

class LevelHullList : public HullList {
    ZUB_DECLARE_CLASS(LevelHullList)
};
