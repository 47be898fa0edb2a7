#pragma once
// The role that owns the game's state: started from a level packet or empty
// with a root object of its own making, it sends each newly connected peer
// the whole registered state and tells the root when peers come and go.
#include "net/NetRole.h"

class Server : public NetRole {
public:
    // Mode, node limit, product name, version, player name, network period.
    Server(int mode, int maxNodes, std::u16string_view productName, double version, std::u16string_view playerName,
           double netPeriod = DEFAULT_PERIOD);
    ~Server() override;

    // With a packet (a level, rewound for reading): replays its commands with
    // registrations by object code refused, then lets every object finish its
    // set-up. A packet that does not decode ends the program naming the
    // source and the reason, unless it is marked as a peer's packet: then it
    // only returns false. Without a packet: a root of this server's own
    // making becomes UID 1 and starts. The connection must be attached.
    bool start(Packet* p, std::u16string_view sourceName = u"");

    void tick(double time, double dt) override;
    // Queues the whole state for the new peer, then tells the root.
    void onConnect(Node* node) override;
    void onDisconnect(Node* node) override;

    // The root object a server without a level starts with.
    virtual ZubBase* createRootObject() = 0;
};
