#pragma once
// The game's main menu: the main menu whose start of play opens the valley
// map, the screen from which levels are chosen. Each choice of play makes a
// new valley map; the menu stays below it and is the top screen again when
// the map closes.
#include "menu/ContextMain.h"

class GameMainMenu : public ContextMain {
    ZUB_DECLARE_CLASS(GameMainMenu)
public:
    GameMainMenu();
    ~GameMainMenu() override;

    void startGame() override;
};
