#include "menu/GameMainMenu.h"

#include "menu/MenuClassIds.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(GameMainMenu, ContextMain, menu_ids::GameMainMenu)

GameMainMenu::GameMainMenu() = default;

GameMainMenu::~GameMainMenu() = default;
