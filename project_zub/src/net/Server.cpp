#include "net/Server.h"

#include "net/CurrentRole.h"
#include "net/NetConnection.h"
#include "net/Node.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

Server::Server(int m, int limit, std::u16string_view product, double v, std::u16string_view player, double netPeriod)
    : NetRole(m, true, product, v, player, netPeriod) {
    maxNodes = limit;
    hostUID = drawUID();
}

Server::~Server() { Logger::get().log(u"%s(): %s", "Server::~Server", u"SERVER stop"); }

bool Server::start(Packet* p, std::u16string_view sourceName) {
    ZUB_ASSERT(connection != NULL);
    CurrentRole current(this);
    if (!p) {
        ZubBase* r = createRootObject();
        registerObject(r, 1);
        if (RootObject* ro = zub_cast<RootObject>(r)) ro->start();
        r->netPostReplicate();
        return true;
    }
    const bool trusted = p->getErrorMode() == Packet::ErrorMode::Fatal;
    // Read in report mode, so that a fault is told with the source's name.
    p->setErrorMode(Packet::ErrorMode::Report);
    bAllowNewObjectRegistations = false;
    const bool ok = processPacket(*p);
    bAllowNewObjectRegistations = true;
    if (trusted) p->setErrorMode(Packet::ErrorMode::Fatal);
    if (!ok) {
        if (trusted) ZUB_ERROR(u"Could not load '%s': %s", escapeForLog(sourceName), p->errorText());
        Logger::get().log(u"%s(): could not load '%s': %s", "Server::start", escapeForLog(sourceName), p->errorText());
        return false;
    }
    postReplicateAll();
    return true;
}

void Server::tick(double time, double dt) { NetRole::tick(time, dt); }

void Server::onConnect(Node* node) {
    std::vector<std::unique_ptr<Packet>> state;
    const int bytes = writeFullStatePackets(state, Packet::FLAG_NETWORK);
    // Paced: the packets wait on the node and go out as it acknowledges.
    for (auto& p : state) queueState(node, std::move(p), true);
    Logger::get().log(u"%s(): Sending initial client state: %d bytes", "Server::onConnect", bytes);
    if (RootObject* r = zub_cast<RootObject>(root)) r->onClientConnected(node);
}

void Server::onDisconnect(Node* node) {
    if (RootObject* r = zub_cast<RootObject>(root)) r->onClientDisconnected(node);
}
