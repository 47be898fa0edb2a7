#pragma once
// The game's server: one level is played as one run of it, on an emulated
// in-process connection. Started from a level file it replays the file's
// commands, which make the root object, the game controller and every level
// object; started without one, its root makes a new level with the starter
// content of every level.
//
// Level files are full dumps of a server's registry (every object created
// under its UID, then every object's body), in packets with the flags 5.
// writeLevel makes one; startLevel plays one back, ending the program with
// a message naming the file when the file is empty, does not decode, or
// does not make a level (a root object with its game controller under it,
// the controller's contexts and lists in place, a hero and a house).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "net/Server.h"
#include "object/Packet.h"
#include "util/WString.h"

class GameController;
class MyRootObject;

class GameServer : public Server {
public:
    static constexpr int ROLE_MODE = 2;
    static constexpr int MAX_NODES = 4;
    static constexpr double NET_PERIOD = 0.05;
    static constexpr uint32_t LEVEL_PACKET_FLAGS = Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES;
    // Where the network statistics are drawn: from the middle of the screen
    // of the context that draws the server.
    static constexpr float STATS_X = -390.0f;
    static constexpr float STATS_Y = 280.0f;

    // Makes itself the focus manager's network role.
    GameServer(int mode, int maxNodes, std::u16string_view gameString, double version, std::u16string_view playerName);
    // The game's own server for the player, with its emulated local
    // connection attached.
    explicit GameServer(std::u16string_view playerName);
    // The level goes first, with this server as the active role.
    ~GameServer() override;

    // The game's version as a number ("1.25" scanned as a double).
    static double gameVersion();

    ZubBase* createRootObject() override;
    // The level, then the network statistics (when the debug level asks).
    void render() override;
    // A level's packet is checked before its objects finish their set-up.
    bool processPacket(Packet& p) override;

    // Plays the level file's bytes back into this (new) server; `name`
    // names the file in fatal errors.
    void startLevel(const uint8_t* data, size_t size, std::u16string_view name);
    // The same without ending the program: false, with the message that
    // names the file in `why`, when the file is empty, does not decode or
    // makes no level; the level's objects have not finished their set-up
    // then, and the server is only fit to be deleted.
    bool loadLevel(const uint8_t* data, size_t size, std::u16string_view name, WString& why);
    // The level as a level file: the whole registered state.
    std::vector<uint8_t> writeLevel();

    MyRootObject* gameRoot() const;

    // The number (0 to 31) of the level this server plays, or NO_LEVEL for a
    // level that is none of the 32 (a file of another name, a new level):
    // its result is booked nowhere. The level manager sets it before the
    // level starts.
    static constexpr int32_t NO_LEVEL = -1;
    int32_t levelNumber = NO_LEVEL;
    // The root's game controller, or null.
    GameController* controller() const;

private:
    // Why the replayed level is no level to play (empty when it is one).
    WString checkLevel();

    bool bLoadingLevel = false;
    WString levelName;
    WString levelFault;
};
