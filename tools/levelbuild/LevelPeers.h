#pragma once
// A level played with peers: the level's game server listens on a real UDP
// socket on 127.0.0.1 and client roles, each on a socket of its own in this
// process, connect to it, take its whole state and follow it. The network
// clock is the level's (frames of 0.01 s), so that play may run faster than
// real time while the sockets carry every datagram: a peer times out after
// the network's seconds of silence, not the machine's.
//
// The clients are the engine's client roles: each frame they receive, put
// together and execute what the server sent (their copies of the level's
// objects are made and changed by it) and answer with their
// acknowledgements; their copies are not played. While they work, the
// level's own objects stay the current level and the server the active
// role outside its frame.
#include <memory>
#include <set>
#include <string>
#include <vector>

class GameController;
class NetRole;
class Settings;
class ZubNetwork;

namespace levelbuild {

class LevelEnvironment;
struct BuiltLevel;

class LevelPeers {
public:
    // Localhost goes over real sockets from now on, on the level's clock.
    explicit LevelPeers(LevelEnvironment& environment);
    ~LevelPeers();
    LevelPeers(const LevelPeers&) = delete;
    LevelPeers& operator=(const LevelPeers&) = delete;

    // Plays the level in the environment with room for `clients` peers on
    // its server, and sends each client's connect request. False with the
    // reason when a socket cannot be opened.
    bool play(const BuiltLevel& level, int clients, std::string& error);

    // One frame: the level's (environment.frame, the server's network step
    // when it is due), then every client's network step.
    void frame(const std::set<int>& keys);
    // Every client's network step alone.
    void serviceClients();

    // The clients that hold an object under every UID of the level as it
    // was loaded that the server still has: the state it sent them.
    int clientsWithFullState() const;
    // The clients that are a node of the server and still have the server
    // as their node.
    int connectedClients() const;

    std::vector<NetRole*> clients;

private:
    void deleteClients();

    LevelEnvironment& environment;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ZubNetwork> network;
    // The server's UIDs when the level had been loaded.
    std::vector<int32_t> loaded;
    GameController* level = nullptr;
};

}  // namespace levelbuild
