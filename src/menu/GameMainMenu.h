#pragma once
// The game's main menu: the main menu whose start of play opens the valley
// map, the screen from which levels are chosen. Its Play button is added
// with the valley map; until then it is the main menu as it stands.
#include "menu/ContextMain.h"

class GameMainMenu : public ContextMain {
    ZUB_DECLARE_CLASS(GameMainMenu)
public:
    GameMainMenu();
    ~GameMainMenu() override;
};
