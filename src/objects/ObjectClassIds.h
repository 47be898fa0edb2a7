#pragma once
// Class ids of the level objects' registered classes and their calls. They
// are fixed numbers that level files and peers carry, so they are listed
// here once rather than derived from the class names.
#include <cstdint>

namespace object_ids {
// The pig and her family.
constexpr uint32_t PigBody = 0xf2354267u;
constexpr uint32_t RPCSetPigletCount = 0x9ac0b18fu;
constexpr uint32_t Pig = 0x00016240u;
constexpr uint32_t Piglet = 0xc2431325u;
// Cargo.
constexpr uint32_t Cargo = 0x04f38d2cu;
constexpr uint32_t Umbrella = 0x25493ff4u;
constexpr uint32_t WingedHat = 0x886feb5bu;
// Trigger areas and the house.
constexpr uint32_t TriggerArea = 0x5123138du;
constexpr uint32_t House = 0x0555c344u;
constexpr uint32_t RPCHouseConstruct = 0xa6b61c2cu;
constexpr uint32_t HousePart = 0x7573a015u;
constexpr uint32_t RPCHousePartConstruct = 0x17dc443du;
// Apples and baskets.
constexpr uint32_t Apple = 0x04d78df2u;
// Devices: springboards, switches and shy decorations.
constexpr uint32_t Springboard = 0xd30e441bu;
constexpr uint32_t Switch = 0xca411e92u;
constexpr uint32_t Decoration = 0xd5992bbau;
// Scenery: skinned paths, fences, plants, waterfalls and terrain decorations.
constexpr uint32_t SkinnedPath = 0x13c96f1eu;
constexpr uint32_t RPCSkinnedPathConstruct = 0x6f069806u;
constexpr uint32_t ScrollingSkinnedPath = 0x550fdd6du;
constexpr uint32_t Fence = 0x052bf6a1u;
constexpr uint32_t RPCFenceConstruct = 0xd4d5e7c9u;
constexpr uint32_t Vegetation = 0xd38f1056u;
constexpr uint32_t RPCVegetationConstruct = 0x7e0bf63eu;
constexpr uint32_t Waterfall = 0xf08122a2u;
constexpr uint32_t TerrainDeco = 0x96fe1530u;
constexpr uint32_t RPCTerrainDecoConstruct = 0x6a482018u;
}  // namespace object_ids

