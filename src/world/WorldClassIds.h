#pragma once
// Class ids of the world's registered classes. They are fixed numbers that
// level files and peers carry, so they are listed here once rather than
// derived from the class names.
#include <cstdint>

namespace world_ids {
constexpr uint32_t EditorObject = 0x31f2d51eu;
constexpr uint32_t RPCEditorObjectConstruct = 0x04a77e06u;
constexpr uint32_t EditorProxy = 0x159b2aa2u;
constexpr uint32_t RPCSetProxyOwner = 0x8f4c2c0au;
constexpr uint32_t A99Object = 0x1169646au;
constexpr uint32_t RPCCreateHull = 0x650f02f6u;
constexpr uint32_t RPCDeleteHull = 0x287d9c35u;
constexpr uint32_t HullVertex = 0x552fb633u;
constexpr uint32_t HullSegment = 0x136ce148u;
constexpr uint32_t Hull = 0x00297b55u;
constexpr uint32_t RPCHullSegmentSetup = 0x2956ea30u;
constexpr uint32_t RPCHullSetRef = 0xefb170fdu;
constexpr uint32_t PhysPoint = 0x2006cb36u;
constexpr uint32_t PhysObject = 0x027b827au;
constexpr uint32_t Terrain = 0x36040e15u;
constexpr uint32_t RPCTerrainConstruct = 0x1820693du;
constexpr uint32_t BezierVertex = 0x3dccf29fu;
constexpr uint32_t BezierSegment = 0x0fb1ab34u;
constexpr uint32_t BezierPath = 0x1da9d98eu;
constexpr uint32_t RPCLinkBezierSegment = 0x144c541cu;
}  // namespace world_ids
