#include "menu/GameMainMenu.h"

#include "engine/ContextManager.h"
#include "flow/ContextValley.h"
#include "gui/GuiEnvironment.h"
#include "menu/MenuClassIds.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(GameMainMenu, ContextMain, menu_ids::GameMainMenu)

GameMainMenu::GameMainMenu() = default;

GameMainMenu::~GameMainMenu() = default;

void GameMainMenu::startGame() {
    auto* valley = new ContextValley;
    valley->done = 0;
    if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(valley);
    else deleteObject(valley);
}
