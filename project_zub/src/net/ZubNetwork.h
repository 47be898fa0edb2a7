#pragma once
// The engine's network service: names socket error codes, holds the queue of
// the emulated loopback connections (connections to 127.0.0.1 that never open
// a socket), the clock every network time stamp is taken from, and the
// recording of the recent traffic that the crash files take.
//
// The engine object builds it after the console and before the language
// object. Code that runs without an engine (tools, tests) gets a quiet
// process-wide service from get().
#include <cstdint>
#include <functional>
#include <memory>

#include "object/ZubBase.h"
#include "sys/NetAddress.h"
#include "util/WString.h"

class Settings;
class TrafficRecording;

// One datagram waiting in the emulated queue.
class EmulatedPacket : public ZubBase {
public:
    EmulatedPacket(const uint8_t* bytes, int count, const NetAddress& from, const NetAddress& to, double time);
    ~EmulatedPacket() override;

    NetAddress sender;
    NetAddress destination;
    uint8_t* data = nullptr;
    int length = 0;
    double queueTime = 0.0;  // when it arrives: the send time plus the link's delay
};

class ZubNetwork {
public:
    static constexpr double EMULATED_EXPIRY = 1.0;  // seconds a queued datagram waits at most
    // At most this many datagrams wait in the emulated queue; the oldest
    // make room for new ones.
    static constexpr int EMULATED_QUEUE_LIMIT = 65536;

    // Reads "bEmulateLocalhost" from the user settings (default true).
    // Starts the traffic recording and hands it to the crash handler.
    explicit ZubNetwork(Settings* settings);
    virtual ~ZubNetwork();
    ZubNetwork(const ZubNetwork&) = delete;
    ZubNetwork& operator=(const ZubNetwork&) = delete;

    // The engine's service, or null.
    static ZubNetwork* active();
    // The engine's service, or the process-wide one when no engine runs.
    static ZubNetwork& get();

    // The name of a Winsock error code ("WSAEWOULDBLOCK"); an unknown code
    // gives empty text and a log line.
    static WString getWSAErrorString(int code);

    // Network time: TimeKeeper::getTime of the running engine (or seconds
    // since the process started without one). Tests may replace the clock.
    static double now();
    static std::function<double()> clockOverride;

    // --- emulated loopback ---------------------------------------------------
    void queueEmulatedPacket(const uint8_t* bytes, int count, const NetAddress& from, const NetAddress& to);
    // Drops expired datagrams, then takes the oldest one addressed to `own`
    // that has arrived: its bytes go into the buffer (a datagram longer than
    // the capacity is dropped). False when none waits.
    bool receiveEmulatedPacket(NetAddress& from, uint8_t* buffer, int capacity, int& count, const NetAddress& own);
    // Removes every datagram addressed to `address` and logs the queue length.
    void flushEmulatedPackets(const NetAddress& address);
    int emulatedQueueLength() const { return queued; }
    // Counts the datagrams addressed to `address`.
    int emulatedQueuedFor(const NetAddress& address) const;
    uint16_t takeEmulatedPort() { return nextEmulatedPort++; }

    // The recent datagrams of every connection, sent and received (null in
    // the quiet process-wide service).
    TrafficRecording* traffic() const { return trafficRecording.get(); }

    // What the emulated link does to one datagram (a test harness for faulty
    // links; without a filter every datagram is delivered once).
    enum class LinkFate { Deliver, Drop, Duplicate, Reorder, Corrupt };
    std::function<LinkFate(const NetAddress& from, const NetAddress& to, int length)> linkFilter;
    // How many seconds the emulated link takes to carry a datagram (a test
    // harness for distant peers; without it every datagram arrives at once).
    // Datagrams arrive in order of arrival time; the expiry counts from it.
    std::function<double(const NetAddress& from, const NetAddress& to)> linkDelay;

    bool bEmulateLocalhost = true;
    uint16_t nextEmulatedPort = 1;
    ZubBase emulatedQueue;

private:
    struct Quiet {};
    explicit ZubNetwork(Quiet);
    // Links the datagram into the queue by arrival time, before `before` at the latest.
    void insertByArrival(EmulatedPacket* p, EmulatedPacket* before);
    ZubNetwork* previous = nullptr;
    std::unique_ptr<TrafficRecording> trafficRecording;
    int queued = 0;
    bool bQuiet = false;
};
