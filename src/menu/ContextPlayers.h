#pragma once
// The players page, over the screen it was opened from: the named profiles
// in rows 30 units apart under the title PLAYERS, the current one white with
// a check mark. A press on a row makes that player current. ADDPLAYER opens
// the name entry (at most 8 players), DELETEPLAYER deletes the current
// player after a yes/no question (never the last one), DONE or Escape
// closes the page, which the stack then deletes.
//
// Row i spans 120 - 30i < y <= 150 - 30i and -150 <= x < 150.
#include "gui/ContextMenu.h"

class MenuButton;

class ContextPlayers : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextPlayers)
public:
    static constexpr int32_t kMaxPlayers = 8;

    ContextPlayers();
    ~ContextPlayers() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    // The row under a point of the page, or -1.
    static int32_t rowAt(const V3& point, int32_t rows);

    MenuButton* addButton = nullptr;
    MenuButton* deleteButton = nullptr;
};
