#pragma once
// Class ids of the level objects' registered classes and their calls. They
// are fixed numbers that level files and peers carry, so they are listed
// here once rather than derived from the class names, grouped like the
// folders of src/objects/ that hold the classes.
#include <cstdint>

namespace object_ids {
// pig/: the pig and her family.
constexpr uint32_t PigBody = 0xf2354267u;
constexpr uint32_t RPCSetPigletCount = 0x9ac0b18fu;
constexpr uint32_t Pig = 0x00016240u;
constexpr uint32_t Piglet = 0xc2431325u;
// cargo/: what the pig carries, and her tools.
constexpr uint32_t Cargo = 0x04f38d2cu;
constexpr uint32_t Umbrella = 0x25493ff4u;
constexpr uint32_t WingedHat = 0x886feb5bu;
// apples/: apples, baskets and the compass.
constexpr uint32_t Apple = 0x04d78df2u;
constexpr uint32_t BasketSlot = 0x7005c13cu;
constexpr uint32_t RPCBasketSlotSetup = 0x33e97ea4u;
constexpr uint32_t Basket = 0xa110a69au;
constexpr uint32_t BasketA = 0xc3257a1bu;
constexpr uint32_t BasketB = 0xc3257a1cu;
constexpr uint32_t BasketC = 0xc3257a1du;
constexpr uint32_t BasketD = 0xc3257a1eu;
constexpr uint32_t RPCBasketAConstruct = 0x7f2514c3u;
constexpr uint32_t RPCBasketBConstruct = 0x0481ca04u;
constexpr uint32_t RPCBasketCConstruct = 0x89de7f45u;
constexpr uint32_t RPCBasketDConstruct = 0x0f3b3486u;
constexpr uint32_t Compass = 0x305e0996u;
// triggers/: trigger areas, the house, secret areas and save points.
constexpr uint32_t TriggerArea = 0x5123138du;
constexpr uint32_t House = 0x0555c344u;
constexpr uint32_t RPCHouseConstruct = 0xa6b61c2cu;
constexpr uint32_t HousePart = 0x7573a015u;
constexpr uint32_t RPCHousePartConstruct = 0x17dc443du;
constexpr uint32_t SecretArea = 0x4f47049au;
constexpr uint32_t SaveProgressTrigger = 0x5eb2c281u;
// areas/: the kinds of ground (slow, water, mud, acid, danger).
constexpr uint32_t Area = 0xa6bad06au;
// devices/: springboards, switches and geysers.
constexpr uint32_t Springboard = 0xd30e441bu;
constexpr uint32_t Switch = 0xca411e92u;
constexpr uint32_t Geyser = 0xad06400fu;
// hints/: hint triggers, telescopes and wood signs.
constexpr uint32_t TriggerHint = 0x5126c527u;
constexpr uint32_t Telescope = 0xdc51ec84u;
constexpr uint32_t WoodSign = 0xb50d302au;
// paths/: path followers, the critters that travel paths, and sweets.
constexpr uint32_t PathFollower = 0xf9d47497u;
constexpr uint32_t Worm = 0x00319c45u;
constexpr uint32_t Butterfly = 0xf9894be1u;
constexpr uint32_t Sweet = 0x0620ee08u;
constexpr uint32_t SweetPath = 0xe9a63c55u;
// animals/: the bear, the bee, the fishes, the frog, the hedgehog, the horse,
// the rabbit and the snail.
constexpr uint32_t Bear = 0x0025eb9au;
constexpr uint32_t Bee = 0x0001262cu;
constexpr uint32_t FishA = 0x052e3debu;
constexpr uint32_t FishB = 0x052e3decu;
constexpr uint32_t Frog = 0x0028562eu;
constexpr uint32_t Hedgehog = 0xc202bd9bu;
constexpr uint32_t Horse = 0x0555b681u;
constexpr uint32_t Rabbit = 0xc659b874u;
constexpr uint32_t Snail = 0x061bee17u;
// scenery/: skinned paths, fences, plants (still and bending), decorations,
// waterfalls and terrain decorations.
constexpr uint32_t SkinnedPath = 0x13c96f1eu;
constexpr uint32_t RPCSkinnedPathConstruct = 0x6f069806u;
constexpr uint32_t ScrollingSkinnedPath = 0x550fdd6du;
constexpr uint32_t Fence = 0x052bf6a1u;
constexpr uint32_t RPCFenceConstruct = 0xd4d5e7c9u;
constexpr uint32_t Vegetation = 0xd38f1056u;
constexpr uint32_t RPCVegetationConstruct = 0x7e0bf63eu;
constexpr uint32_t VegetationBend = 0x2ad1388fu;
constexpr uint32_t RPCVegetationBendConstruct = 0xae3d0bb7u;
constexpr uint32_t Decoration = 0xd5992bbau;
constexpr uint32_t Waterfall = 0xf08122a2u;
constexpr uint32_t TerrainDeco = 0x96fe1530u;
constexpr uint32_t RPCTerrainDecoConstruct = 0x6a482018u;
// machines/: blasts and what they throw, moving platforms, rotators and
// drawbridges.
constexpr uint32_t BlastableObject = 0x91c1ea60u;
constexpr uint32_t Explosion = 0x5b8bcc01u;
constexpr uint32_t PathPlatform = 0x38d57d25u;
constexpr uint32_t Rotator = 0xb37e5b0bu;
constexpr uint32_t SpringRotator = 0xc8f92f88u;
constexpr uint32_t Drawbridge = 0x2c60881bu;
constexpr uint32_t RPCDrawbridgeConstruct = 0x88b5a843u;
}  // namespace object_ids
