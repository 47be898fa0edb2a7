#pragma once
// A level being written (the level builder's and the tests' way to make
// level files): a game server started without a level, so that its root
// makes the game controller with the starter content of every level, with
// the editing flag on, so that the level's set-up does not run (the
// boundary, the piglets and the weather are made each time the level is
// played). While the draft lives its server is the active role: objects
// made meanwhile register with it. write() gives the level file.
#include <cstdint>
#include <memory>
#include <vector>

#include "net/CurrentRole.h"
#include "util/Math.h"

class GameController;
class GameServer;
class NetRole;
class ZubBase;

class LevelDraft {
public:
    LevelDraft();
    ~LevelDraft();
    LevelDraft(const LevelDraft&) = delete;
    LevelDraft& operator=(const LevelDraft&) = delete;

    GameServer& server() { return *gameServer; }
    GameController& controller();

    // A new object of the level at a place: registered, appended to the
    // list (none: where its own set-up puts it) and constructed, as the
    // editor places objects.
    template <class T>
    T* place(const V3& at, ZubBase* list) {
        T* o = new T();
        adopt(o, list);
        o->setPosition(at.x, at.y, at.z);
        o->construct();
        o->netCallPostReplicate();
        return o;
    }

    // The level file.
    std::vector<uint8_t> write();

private:
    void adopt(ZubBase* o, ZubBase* list);

    // Puts back the role that was current before the draft, after the
    // draft's server has gone (members go in reverse order).
    CurrentRole previousRole;
    std::unique_ptr<GameServer> gameServer;
};
