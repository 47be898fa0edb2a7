#include "LevelPeers.h"

#include <memory>
#include <vector>

#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "net/CurrentRole.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/ZubNetwork.h"
#include "records/AppInfo.h"
#include "sys/NetAddress.h"
#include "sys/Settings.h"
#include "util/Format.h"
#include "world/GameWorld.h"

namespace levelbuild {

LevelPeers::LevelPeers(LevelEnvironment& e) : environment(e), settings(std::make_unique<Settings>()) {
    settings->setEmulateLocalhost(false);
    network = std::make_unique<ZubNetwork>(settings.get());
    ZubNetwork::clockOverride = [this] { return environment.time; };
}

LevelPeers::~LevelPeers() {
    deleteClients();
    // The server goes with its level, while the network it uses is there.
    environment.manager.reset();
    ZubNetwork::clockOverride = nullptr;
    network.reset();
}

void LevelPeers::deleteClients() {
    for (NetRole* client : clients) {
        // The copies go without an active role (what they call as they go
        // is done here and sent nowhere), then the client; the level's own
        // objects stay the current level.
        CurrentRole none(nullptr, client);
        // Registered objects outside the tree go after it, when nothing took
        // them with it (as the game's server lets them go).
        std::vector<std::unique_ptr<ZubBaseReference>> loose;
        for (int32_t uid : client->objectMap.ascending()) {
            ZubBase* o = client->findObjectOrNull(uid);
            if (o && !o->parent && o != client->root) {
                loose.push_back(std::make_unique<ZubBaseReference>());
                loose.back()->set(o);
            }
        }
        if (ZubBase* r = client->root) {
            client->removeChild(r);
            deleteObject(r);
        }
        for (auto& ref : loose)
            if (ZubBase* o = ref->get(); o && !o->parent) deleteObject(o);
        loose.clear();
        // Whatever is still registered hangs where no tree walk reaches it
        // (a holder inside one of its own descendants): out of its place
        // first, then deleted.
        for (int32_t uid : client->objectMap.ascending()) {
            loose.push_back(std::make_unique<ZubBaseReference>());
            loose.back()->set(client->findObjectOrNull(uid));
        }
        for (auto& ref : loose) {
            ZubBase* o = ref->get();
            if (!o || o->bDying) continue;
            if (o->parent) o->parent->removeChild(o);
            deleteObject(o);
        }
        loose.clear();
        delete client;
    }
    clients.clear();
    if (level) GameWorld::setCurrent(level);
}

bool LevelPeers::play(const BuiltLevel& built, int count, std::string& error) {
    deleteClients();
    level = &environment.play(built);
    GameServer& server = environment.server();
    if (!server.connection || !server.connection->isValid() || server.connection->bEmulated) {
        error = "the level's server has no socket on 127.0.0.1";
        return false;
    }
    server.maxNodes = count;
    loaded = server.objectMap.ascending();
    for (int i = 0; i < count; ++i) {
        auto* client = new NetRole(GameServer::ROLE_MODE, false, AppInfo::appFolderName, GameServer::gameVersion(),
                                   formatString(u"Peer%d", i + 1));
        clients.push_back(client);
        auto* connection = new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0));
        client->setConnection(connection, true);
        if (!connection->isValid()) {
            error = "a client's socket could not be opened";
            return false;
        }
        client->sendConnectRequest(server.connection->address);
    }
    THEROLE = nullptr;
    GameWorld::setCurrent(level);
    return true;
}

void LevelPeers::frame(const std::set<int>& keys) {
    environment.frame(keys);
    serviceClients();
}

void LevelPeers::serviceClients() {
    for (NetRole* client : clients) {
        client->service();
        client->flushOutgoing();
    }
    // A client's copy of the level's controller made itself the current level.
    THEROLE = nullptr;
    if (level) GameWorld::setCurrent(level);
}

int LevelPeers::clientsWithFullState() const {
    if (!environment.manager) return 0;
    const GameServer& server = *environment.manager->gameServer;
    int complete = 0;
    for (const NetRole* client : clients) {
        bool all = true;
        for (int32_t uid : loaded)
            if (server.findObjectOrNull(uid) && !client->findObjectOrNull(uid)) {
                all = false;
                break;
            }
        complete += all ? 1 : 0;
    }
    return complete;
}

int LevelPeers::connectedClients() const {
    if (!environment.manager) return 0;
    const GameServer& server = *environment.manager->gameServer;
    int connected = 0;
    for (const NetRole* client : clients) {
        if (client->nodeCount() != 1) continue;
        const Node* host = static_cast<const Node*>(client->nodes.firstChild);
        if (server.findNodeByAddress(client->connection->address) && host->address == server.connection->address)
            ++connected;
    }
    return connected;
}

}  // namespace levelbuild
