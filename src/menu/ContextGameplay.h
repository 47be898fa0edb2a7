#pragma once
// The gameplay options: four check boxes bound to bytes of the game
// configuration - the in-game help, the colour-blind mode, the in-game clock
// and the cheats. They change only the stored bytes, which the game reads
// while it plays; they reach the disk with the user data.
#include "gui/ContextPage.h"

class ContextGameplay : public ContextPage {
    ZUB_DECLARE_CLASS(ContextGameplay)
public:
    ContextGameplay();
    ~ContextGameplay() override;
};
