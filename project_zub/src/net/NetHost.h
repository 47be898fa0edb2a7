#pragma once
// The transport half of every network role: one connection, the list of
// remote peers (nodes), the handshake of special datagrams, and the sequenced
// datagrams that carry each outgoing state to every peer in chunks and put
// the peers' states back together.
//
// Everything here is polled from the main thread: the role's network step
// calls service() once, and the frames between steps drain the socket with
// receiveDatagrams(). Nothing a peer sends can end the program: datagrams
// that fail to decode are dropped and logged (with a budget per step so
// that a flood cannot fill the log), and a peer that keeps sending them is
// disconnected.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "object/Packet.h"
#include "object/ZubBase.h"
#include "sys/Logger.h"
#include "sys/NetAddress.h"
#include "util/WString.h"

class NetConnection;
class Node;

class NetHost : public ZubBase {
public:
    static constexpr uint32_t SPECIAL = 0xFEFDFCFBu;  // first word of every special datagram
    enum SpecialCommand : uint32_t { CMD_CONNECT = 0, CMD_ACCEPT = 1, CMD_REFUSE = 2, CMD_DISCONNECT = 3 };
    static constexpr int CHUNK_SIZE = 512;
    static constexpr double NODE_TIMEOUT = 5.0;
    static constexpr int MAX_DATAGRAMS_PER_SERVICE = 512;
    // Lines about what arrives from outside (dropped datagrams, handshake
    // steps, refusals) that the log and the console get in each window of
    // network time; the rest are counted and their number logged once the
    // window is over, so that a flood of datagrams cannot fill the log.
    static constexpr int LOG_LINES_PER_WINDOW = 16;
    static constexpr double LOG_WINDOW = 10.0;
    static constexpr int PRODUCT_LENGTH = 32;
    static constexpr int NAME_LENGTH = 16;
    // Connect requests cost a forged sender nothing. The host keeps no record
    // of a request (but the player's name, in a small table that drops the
    // oldest first): the node id the accept gives is a keyed digest of the
    // sender's address and the time. The node is made, and the state sent,
    // when a sequenced datagram comes back under that id from that address,
    // which only a peer that received the accept can send.
    static constexpr double ID_PERIOD = 8.0;  // an id given out is good for one to two periods
    static constexpr int PENDING_NAMES = 256;
    // The ids of nodes that went: a peer that still sends under one is not
    // made a node again without a new connect request.
    static constexpr int GONE_IDS = 64;

    // Texts of the handshake, by language identifier.
    enum TextId : int {
        ERRORSERVERISFULL = 587,
        ERRORINCOMPATIBLEGAME = 588,
        ERRORMINVERSIONCLIENT = 589,
        ERRORMINVERSIONSERVER = 590,
    };
    // Where the texts come from: the program installs its language here;
    // without it the English texts are used.
    static std::function<WString(int id)> textSource;
    static WString text(int id);

    NetHost(int mode, bool bServer, std::u16string_view productName, double version, std::u16string_view playerName);
    ~NetHost() override;

    // Attaches the endpoint; an owned connection is deleted with the host.
    void setConnection(NetConnection* c, bool owns);

    // --- hooks ------------------------------------------------------------------
    virtual void onConnect(Node* node) { (void)node; }
    virtual void onDisconnect(Node* node) { (void)node; }
    // Executes a whole packet from a peer (or a level). False when it was malformed.
    virtual bool processPacket(Packet& p) {
        (void)p;
        return true;
    }
    // Refusal and version texts of the client side of the handshake.
    virtual void onMessage(WString message) { (void)message; }
    virtual void flushOutgoing() {}
    // Routes one received datagram by its first word.
    virtual void dispatchPacket(Packet* p);

    // --- the network step --------------------------------------------------------
    // Receives waiting datagrams (at most MAX_DATAGRAMS_PER_SERVICE), runs the
    // complete packets, drops silent peers.
    void service();
    // Only the receiving part, for the frames between network steps: the
    // socket is emptied (within the same bound) before the kernel drops what
    // does not fit, and acknowledgements let more of the pending states out.
    void receiveDatagrams();
    // Executes and frees every packet in the inbox.
    void processInbox();
    void sendToAllNodes(Packet* p);

    // --- nodes ---------------------------------------------------------------------
    Node* addNode(std::u16string_view name, Packet* from);
    void disconnectNode(Node* node, bool notify);
    void disconnectAll();
    Node* findNodeById(uint32_t id, const NetAddress* address) const;
    Node* findNodeByAddress(const NetAddress& address) const;
    bool hasNode(const Node* node) const;
    int nodeCount() const { return nodes.countChildren(); }
    bool isFull() const;

    // --- handshake -------------------------------------------------------------------
    void serviceInPacketSpecial(Packet& p);
    void sendAccept(const NetAddress& to, uint32_t nodeId);
    void sendRefusal(const NetAddress& to, std::u16string_view message);
    void sendDisconnect(Node* node);
    void sendDisconnect(const NetAddress& to);
    // The client's first step: asks the server at that address to connect.
    void sendConnectRequest(const NetAddress& server);
    // "Tumbro" in it, and "demo" in it exactly when in our own product name.
    bool productMatches(std::u16string_view product) const;
    static bool versionAccepted(double version);
    // The node id an accept gives the peer at that address in that period of
    // ID_PERIOD seconds (never SPECIAL).
    uint32_t issuedId(const NetAddress& a, int64_t period) const;
    // Whether an accept of this or the previous period gave that id to that address.
    bool wasIssued(uint32_t id, const NetAddress& a) const;
    // Whether a refusal from that address is heeded: it comes from a node,
    // from the server this client asked to connect, or from a peer whose
    // connect request this server answered.
    bool takesRefusalFrom(const NetAddress& a) const;
    // Makes the node for a peer that answers an accept under `id` (then
    // onConnect). Null when the id is not one this host gave that address,
    // or when the server filled up meanwhile: the peer is then told so.
    Node* admit(Packet& p, uint32_t id);

    // --- sequenced datagrams ------------------------------------------------------------
    // Queues a copy of the packet's content for the node and sends what the
    // node's window allows.
    void sendState(Packet* p, Node* node);
    void queueState(Node* node, std::unique_ptr<Packet> p, bool firstState);
    // Sends chunks of the node's pending states while its window allows;
    // with `probe`, one chunk beyond a full window (see Node).
    void sendPending(Node* node, bool probe = false);
    void sendStateChunk(Packet* p, Node* node, int offset, int length);
    void serviceInPacketNormal(Packet& p, uint32_t senderUID);
    // The chunk length for a state of `size` bytes: no chunk exceeds CHUNK_SIZE.
    static int chunkLength(int size) { return size / (size / CHUNK_SIZE + 1) + 1; }

    // Draws an identifier from the program's generator: never SPECIAL.
    static uint32_t drawUID();

    // Logs a dropped datagram within this step's budget.
    void logDrop(std::u16string_view what, const NetAddress& from);
    // Prints a handshake line on the console.
    void consoleLine(std::u16string_view message);

    NetConnection* connection = nullptr;
    bool bOwnsConnection = false;
    uint32_t hostUID = 0;
    int mode;
    ZubBase nodes;
    int maxNodes;
    double nodeTimeout = NODE_TIMEOUT;
    ZubBase inbox;
    bool bServer;
    Packet datagram;
    uint32_t sequenceScratch = 0;
    bool bMoreScratch = false;
    WString productName;
    double version;
    WString playerName;

    // A client accepts an accept only from the server it asked.
    bool bHaveConnectTarget = false;
    NetAddress connectTarget;

    // Datagrams dropped since the host began, for tests and the overlay.
    int droppedDatagrams = 0;

protected:
    // Disconnects the peers that asked to be dropped (after a datagram or a
    // packet has been dealt with, never in the middle of one).
    void dropRequestedNodes();
    // Logs a line about what arrived from outside, within the window's
    // allowance (see LOG_LINES_PER_WINDOW).
    void logPeerLine(std::u16string_view line);

private:
    void destroyInboxPacketsOf(Node* node);
    // A node goes: its id is not taken back without a new request.
    void noteGone(const Node* node);
    bool isGone(uint32_t id, const NetAddress& a) const;
    void rememberName(const NetAddress& a, std::u16string_view name);
    WString takeName(const NetAddress& a);

    uint8_t idKey[16] = {};
    struct PendingName {
        NetAddress address;
        WString name;
        bool bUsed = false;
    };
    std::vector<PendingName> pendingNames;
    int nextPendingName = 0;
    struct GoneId {
        uint32_t id = 0;
        NetAddress address;
        bool bUsed = false;
    };
    std::vector<GoneId> goneIds;
    int nextGoneId = 0;
    LogRateLimit peerLog{LOG_LINES_PER_WINDOW, LOG_WINDOW,
                         u"NetHost::service(): %d more lines about datagrams left out"};
};
