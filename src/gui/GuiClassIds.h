#pragma once
// Class ids of the GUI framework's registered classes: the fold of each
// class name (classIdOfName), listed here once.
#include <cstdint>

#include "object/RuntimeClass.h"

namespace gui_ids {
constexpr uint32_t ContextMenu = 0x4229753au;
static_assert(ContextMenu == classIdOfName(u"ContextMenu"));
constexpr uint32_t MenuEntry = classIdOfName(u"MenuEntry");
constexpr uint32_t ContextPage = classIdOfName(u"ContextPage");
constexpr uint32_t ContextMessageBox = classIdOfName(u"ContextMessageBox");
constexpr uint32_t MenuItem = classIdOfName(u"MenuItem");
constexpr uint32_t MenuButton = classIdOfName(u"MenuButton");
constexpr uint32_t GameSquare = classIdOfName(u"GameSquare");
constexpr uint32_t MenuBackButton = classIdOfName(u"MenuBackButton");
constexpr uint32_t MenuItemLink = classIdOfName(u"MenuItemLink");
constexpr uint32_t MenuItemValue = classIdOfName(u"MenuItemValue");
constexpr uint32_t MenuItemChoice = classIdOfName(u"MenuItemChoice");
constexpr uint32_t CursorTargetSprite = classIdOfName(u"CursorTargetSprite");
constexpr uint32_t MenuItemToggle = classIdOfName(u"MenuItemToggle");
constexpr uint32_t MenuItemToggleApply = classIdOfName(u"MenuItemToggleApply");
constexpr uint32_t MenuItemSlider = classIdOfName(u"MenuItemSlider");
constexpr uint32_t MenuItemCharKey = classIdOfName(u"MenuItemCharKey");
constexpr uint32_t ProgressBar = classIdOfName(u"ProgressBar");
constexpr uint32_t TextPanel = classIdOfName(u"TextPanel");
constexpr uint32_t ContextCredits = classIdOfName(u"ContextCredits");
constexpr uint32_t IntroScreen = classIdOfName(u"IntroScreen");
constexpr uint32_t GameLogo = classIdOfName(u"GameLogo");
constexpr uint32_t MousePointer = classIdOfName(u"MousePointer");
constexpr uint32_t IrisTransition = classIdOfName(u"IrisTransition");
constexpr uint32_t MessageViewer = classIdOfName(u"MessageViewer");
}  // namespace gui_ids
