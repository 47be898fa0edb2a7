#pragma once
// Class ids of the game flow's registered classes and their calls. They are
// fixed numbers that level files and peers carry, so they are listed here
// once rather than derived from the class names.
#include <cstdint>

#include "object/RuntimeClass.h"

namespace flow_ids {
// The game controller and its calls.
constexpr uint32_t GameController = 0xff6c9f1eu;
constexpr uint32_t RPCGameControllerConstruct = 0xaf993106u;
constexpr uint32_t RPCSetMessage = 0x500586f2u;
constexpr uint32_t RPCSetMessageForPlayer = 0x63db844du;
constexpr uint32_t RPCEnterState = 0xde571ec5u;
constexpr uint32_t RPCShakeCamera = 0x25e2f3edu;
// The root object and its calls.
constexpr uint32_t MyRootObject = 0xa0bbd901u;
constexpr uint32_t RPCSetContextOverlay = 0xc730e76fu;
constexpr uint32_t RPCCloseContextOverlay = 0x71539314u;
constexpr uint32_t RPCAddSystemMessage = 0x58a6fe57u;
// The controller's contexts and the overlays' base.
constexpr uint32_t Overlay = 0x7ecaa5e7u;
constexpr uint32_t Sky = 0x1cef93a5u;
constexpr uint32_t GameHud = 0xeabb58a6u;
// The hint panel, the level map and the tutorial, each with the call that
// fills it on every peer.
constexpr uint32_t OverlayHint = 0x937119d5u;
constexpr uint32_t RPCShowHint = 0x3a10f6fdu;
constexpr uint32_t OverlayMiniMap = 0x38d9c1cdu;
constexpr uint32_t RPCMiniMapConstruct = 0xcfb8ba75u;
constexpr uint32_t OverlayTutorial = 0x741997f6u;
constexpr uint32_t RPCTutorialConstruct = 0x1e6d245eu;
// The pause menu, and the statistics panel with its construct call.
constexpr uint32_t OverlayMenu = 0x058a88f5u;
constexpr uint32_t OverlayStatistics = 0x02613351u;
constexpr uint32_t RPCOverlayStatisticsConstruct = 0x529b77f9u;
// The level's hull list keeps its index, so it travels as a class of its
// own; no fixed id is given for it, so it takes the fold of its name.
constexpr uint32_t LevelHullList = classIdOfName(u"LevelHullList");
}  // namespace flow_ids
