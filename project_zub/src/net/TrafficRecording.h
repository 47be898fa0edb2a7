#pragma once
// The recent network traffic, for the crash files: every datagram that the
// connections send and receive (over a UDP socket or the emulated loopback
// alike), newest last, in a ring of memory taken once. Recording a datagram
// copies it into the ring, the oldest records making room; the crash
// handler writes the ring out as it stands, from its signal handler, so
// nothing here allocates or locks once the recording exists.
//
// The crash file holds PREAMBLE, then the records, oldest first. A record is
// a header of HEADER_SIZE bytes (numbers little-endian):
//   0   f64   network time (ZubNetwork::now), seconds
//   8   u8    'O' sent, 'I' received
//   9   u8    0
//   10  u16   the connection's own port
//   12  4 u8  the other end's IPv4 address, most significant byte first
//   16  u16   the other end's port
//   18  u16   the datagram's bytes kept: its first MAX_KEPT at most
//   20  u32   the datagram's length
// followed by the bytes kept.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sys/NetAddress.h"

namespace CrashHandler {
struct NetRecording;
}

class TrafficRecording {
public:
    // A few hundred datagrams of a level's traffic (its chunks are at most
    // half a kilobyte), well within the traffic file's limit.
    static constexpr size_t CAPACITY = 256 * 1024;
    static constexpr size_t HEADER_SIZE = 24;
    // The game's datagrams are shorter; of a longer one only its start is
    // kept, so that a peer's large ones do not push out the rest.
    static constexpr size_t MAX_KEPT = 2048;
    static const char PREAMBLE[];
    enum Direction : uint8_t { SENT = 'O', RECEIVED = 'I' };

    TrafficRecording();
    ~TrafficRecording();
    TrafficRecording(const TrafficRecording&) = delete;
    TrafficRecording& operator=(const TrafficRecording&) = delete;

    void record(Direction direction, const NetAddress& own, const NetAddress& other, const uint8_t* bytes, int length,
                double time);

    // The records held, oldest first, as the crash file holds them after
    // its preamble.
    std::string records() const;

    // What the crash handler writes out.
    const CrashHandler::NetRecording& crashView() const { return *shared; }

private:
    void put(uint64_t at, const void* data, size_t n);
    void get(uint64_t at, void* data, size_t n) const;

    std::unique_ptr<uint8_t[]> ring;
    std::unique_ptr<CrashHandler::NetRecording> shared;
};
