#pragma once
// The endpoint of a host: one non-blocking UDP socket bound to a local
// address, or for 127.0.0.1 (while the network service emulates loopback) an
// endpoint inside the process that never opens a socket. It sends a packet's
// bytes to an address, hands out received datagrams one at a time in a packet
// of its own, stamps both with the network time and counts them.
//
// Setting up a socket can fail (the port is taken, say): the connection then
// stays invalid, says why in errorText() and the log, sends nothing and
// receives nothing. It never ends the program.
#include <cstdint>
#include <memory>

#include "net/NetStatistics.h"
#include "object/Packet.h"
#include "object/ZubBase.h"
#include "sys/Logger.h"
#include "sys/NetAddress.h"

namespace platform {
class UdpSocket;
}

class NetConnection : public ZubBase {
public:
    static constexpr int RECEIVE_BUFFER_SIZE = 262144;
    static constexpr int HEADER_OVERHEAD = 28;  // IPv4 and UDP headers, counted per datagram
    static constexpr double HISTORY_LENGTH = 10.0;

    explicit NetConnection(const NetAddress& address);
    ~NetConnection() override;

    bool isValid() const { return bValid; }
    const WString& errorText() const { return error; }

    // Sends the packet's written bytes (its whole length when it is reading)
    // as one datagram; stamps the packet's time. Failures are logged.
    void sendRaw(Packet& p, const NetAddress& to);
    // The next waiting datagram in the connection's receive packet (reused:
    // valid until the next call), or null. Its address is the sender, its
    // time the moment of receipt; it reads as a peer's packet.
    Packet* receiveRaw();
    Packet* receive() { return receiveRaw(); }

    // The statistics bucket of the current second (a new one when the
    // newest has ended; history older than HISTORY_LENGTH is dropped).
    NetStatistics& currentStats();
    // The counter over the history, oldest first, as heights within the
    // rectangle; `fullHeight` is 1.25 times the largest value (at least 0.001).
    void statisticsGraph(int counter, float left, float top, float right, float bottom, std::vector<float>& x,
                         std::vector<float>& y, double& fullHeight) const;
    // Draws that graph as a line strip in the colour (ARGB).
    void renderStatistics(int counter, float left, float top, float right, float bottom, uint32_t colour);

    NetAddress address;
    ZubBase statisticsHistory;
    NetStatistics statisticsTotal;
    double historyLength = HISTORY_LENGTH;
    bool bEmulated = false;
    std::unique_ptr<Packet> receivePacket;

private:
    bool bValid = false;
    WString error;
    std::unique_ptr<platform::UdpSocket> socket;
    // A failed send or receive can come with every datagram (the answers to
    // forged senders bounce): a few lines a window, then a count.
    LogRateLimit socketLog{16, 10.0,
                           u"NetConnection::receiveRaw(): %d more lines about failed sends and receives left out"};
};
