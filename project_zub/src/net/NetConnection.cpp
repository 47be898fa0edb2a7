#include "net/NetConnection.h"

#include <algorithm>

#include "gfx/Skin.h"
#include "gfx/VertexBuffer.h"
#include "net/TrafficRecording.h"
#include "net/ZubNetwork.h"
#include "platform/UdpSocket.h"
#include "sys/Logger.h"

namespace {

void log(const char* function, std::u16string_view text) { Logger::get().log(u"%s(): %s", function, text); }

struct SetupStep {
    const char* statement;
    int line;
};

// The statement and line reported for each set-up step that fails.
SetupStep setupStep(platform::UdpSocket::Step step) {
    switch (step) {
        case platform::UdpSocket::STEP_SOCKET:
            return {"SOCKET_ERROR", 39};
        case platform::UdpSocket::STEP_NONBLOCKING:
            return {"ioctlsocket(wsaSocket, FIONBIO, &nonBlocking)", 44};
        case platform::UdpSocket::STEP_RECEIVE_BUFFER:
            return {"setsockopt(wsaSocket, SOL_SOCKET, SO_RCVBUF, (char*)&receiveBufferSize, sizeof(int))", 46};
        case platform::UdpSocket::STEP_BROADCAST:
            return {"setsockopt(wsaSocket, SOL_SOCKET, SO_BROADCAST, (char*)&allowBroadcasting, sizeof(int))", 48};
        case platform::UdpSocket::STEP_BIND:
            return {"bind(wsaSocket, address.getSockAddr(), sizeofSockAddr)", 59};
        default:
            return {"", 0};
    }
}

}  // namespace

NetConnection::NetConnection(const NetAddress& a)
    : address(a), receivePacket(std::make_unique<Packet>(Packet::FLAG_NETWORK)) {
    ZubNetwork& network = ZubNetwork::get();
    if (address.isLoopback() && network.bEmulateLocalhost) {
        bEmulated = true;
        address.port = network.takeEmulatedPort();
        bValid = true;
        log("NetConnection::NetConnection",
            formatString(u"Creating emulated localhost connection: %s.", address.toString()));
        return;
    }
    log("NetConnection::NetConnection", formatString(u"Binding to address: %s.", address.toString()));
    socket = std::make_unique<platform::UdpSocket>();
    const platform::UdpSocket::OpenResult r = socket->open(address.ip, address.port, RECEIVE_BUFFER_SIZE);
    if (!r.ok) {
        const SetupStep s = setupStep(r.failedStep);
        WString name = ZubNetwork::getWSAErrorString(r.error);
        if (name.empty()) name = formatString(u"%d", r.error);
        error = formatString(u"Error: %s\n Statement: %s\n Function: %s()\n File: %s\n Line: %d", name, s.statement,
                             "NetConnection::NetConnection", "src\\NetConnection", s.line);
        log("NetConnection::NetConnection", error);
        socket.reset();
        return;
    }
    uint32_t ip = 0;
    uint16_t port = 0;
    if (socket->localAddress(ip, port)) {
        address.ip = ip;
        address.port = port;
    }
    bValid = true;
    log("NetConnection::NetConnection", formatString(u"Bound to address: %s.", address.toString()));
}

NetConnection::~NetConnection() {
    if (bEmulated) ZubNetwork::get().flushEmulatedPackets(address);
    if (socket) socket->close();
}

void NetConnection::sendRaw(Packet& p, const NetAddress& to) {
    p.time = ZubNetwork::now();
    if (!bValid) return;
    const int n = p.length();
    if (bEmulated) {
        ZubNetwork::get().queueEmulatedPacket(p.data(), n, address, to);
    } else {
        int code = 0;
        if (!socket->sendTo(p.data(), n, to.ip, to.port, code)) {
            if (socketLog.allow(ZubNetwork::now()))
                Logger::get().log(u"%s(): WARNING: sendto() failed with error %s.", "NetConnection::sendRaw",
                                  ZubNetwork::getWSAErrorString(code));
            return;
        }
    }
    NetStatistics& s = currentStats();
    ++s.packetsOut;
    s.bytesOut += static_cast<uint32_t>(n + HEADER_OVERHEAD);
    s.payloadOut += static_cast<uint32_t>(n);
    if (TrafficRecording* t = ZubNetwork::get().traffic())
        t->record(TrafficRecording::SENT, address, to, p.data(), n, p.time);
}

Packet* NetConnection::receiveRaw() {
    if (!bValid) return nullptr;
    Packet& p = *receivePacket;
    p.received(0);
    uint8_t* buffer = p.receiveBuffer();
    const int capacity = p.getCapacity();
    NetAddress from;
    int count = 0;
    if (bEmulated) {
        if (!ZubNetwork::get().receiveEmulatedPacket(from, buffer, capacity, count, address)) return nullptr;
    } else {
        for (;;) {
            int code = 0;
            bool truncated = false;
            uint32_t ip = 0;
            uint16_t port = 0;
            const auto r = socket->receiveFrom(buffer, capacity, count, ip, port, code, truncated);
            if (r == platform::UdpSocket::Receive::None) return nullptr;
            if (r == platform::UdpSocket::Receive::Error) {
                if (socketLog.allow(ZubNetwork::now()))
                    Logger::get().log(u"%s(): WARNING: recvfrom() failed with error %s.", "NetConnection::receiveRaw",
                                      ZubNetwork::getWSAErrorString(code));
                return nullptr;
            }
            if (truncated) continue;  // no valid peer sends one this long
            from = NetAddress::of(ip, port);
            break;
        }
    }
    p.received(count);
    p.address = from;
    p.time = ZubNetwork::now();
    NetStatistics& s = currentStats();
    ++s.packetsIn;
    s.bytesIn += static_cast<uint32_t>(count + HEADER_OVERHEAD);
    s.payloadIn += static_cast<uint32_t>(count);
    if (TrafficRecording* t = ZubNetwork::get().traffic())
        t->record(TrafficRecording::RECEIVED, address, from, buffer, count, p.time);
    return &p;
}

NetStatistics& NetConnection::currentStats() {
    const double t = ZubNetwork::now();
    auto* newest = static_cast<NetStatistics*>(statisticsHistory.lastChild);
    if (newest && t <= newest->endTime) return *newest;
    if (newest) statisticsTotal.add(*newest);
    auto* bucket = new NetStatistics;
    bucket->startTime = t;
    bucket->length = 1.0;
    bucket->endTime = t + bucket->length;
    statisticsHistory.addChild(bucket);
    auto* oldest = static_cast<NetStatistics*>(statisticsHistory.firstChild);
    if (oldest != bucket && oldest->startTime < bucket->endTime - historyLength) deleteObject(oldest);
    return *bucket;
}

void NetConnection::statisticsGraph(int counter, float left, float top, float right, float bottom,
                                    std::vector<float>& x, std::vector<float>& y, double& fullHeight) const {
    x.clear();
    y.clear();
    uint32_t largest = 0;
    int n = 0;
    for (ZubBase* o = statisticsHistory.firstChild; o; o = o->nextSibling, ++n)
        largest = std::max(largest, static_cast<NetStatistics*>(o)->get(counter));
    fullHeight = std::max(1.25 * largest, 0.001 * 1.25);
    int i = 0;
    for (ZubBase* o = statisticsHistory.firstChild; o; o = o->nextSibling, ++i) {
        const double value = static_cast<NetStatistics*>(o)->get(counter);
        x.push_back(n > 1 ? left + (right - left) * static_cast<float>(i) / static_cast<float>(n - 1) : left);
        y.push_back(bottom + static_cast<float>((top - bottom) * (value / fullHeight)));
    }
}

void NetConnection::renderStatistics(int counter, float left, float top, float right, float bottom, uint32_t colour) {
    std::vector<float> x, y;
    double fullHeight = 0.0;
    statisticsGraph(counter, left, top, right, bottom, x, y, fullHeight);
    if (x.size() < 2) return;
    static VertexBuffer strip;
    strip.setSize(static_cast<int>(x.size()));
    for (size_t i = 0; i < x.size(); ++i) strip.set(static_cast<int>(i), x[i], y[i], 0.0f, colour, 0.0f, 0.0f);
    strip.upload();
    Skin::applyCarrier(nullptr);
    strip.draw(nullptr, VertexBuffer::LINE_STRIP);
}
