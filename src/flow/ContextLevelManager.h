#pragma once
// The screen of a level in play: it makes the game's server, reads the
// level file whole and starts the server with it, then ticks and draws the
// server each frame. When something in the level sets the server's outcome
// (5 complete, 6 restart, 1 quit) it stops the music and finishes; the
// valley map, which made it, reads the outcome and deletes it (with the
// server and the whole level). Escape does not close it (the root object
// pauses on Escape), and it draws no mouse pointer over a level in play,
// only over one being edited.
#include <memory>
#include <string_view>

#include "gfx/Context.h"
#include "util/WString.h"

class GameServer;

class ContextLevelManager : public Context {
public:
    // Level n's file ("./levels/a1.lev" ...).
    explicit ContextLevelManager(int levelNumber);
    // A level file by name (the developer's "-level" switch, the editor and
    // tools): the file of one of the 32 levels plays as that level, any
    // other as none of them (GameServer::levelNumber).
    explicit ContextLevelManager(std::u16string_view levelFile);
    ~ContextLevelManager() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;
    // While the level is edited, the object under the pointer: a level
    // object or a row of the editor's panel (they are the server's, not this
    // context's children). None while the level is played.
    ZubBase* findObjectUnderMouse(int& skip) override;

    // The level's outcome: 0 while it runs.
    int32_t outcome() const;

    std::unique_ptr<GameServer> gameServer;
};
