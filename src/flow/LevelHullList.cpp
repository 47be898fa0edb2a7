#include "flow/LevelHullList.h"

#include "flow/FlowClassIds.h"

ZUB_IMPLEMENT_CLASS(LevelHullList, HullList, flow_ids::LevelHullList)
