#include "net/TrafficRecording.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/CrashHandler.h"

const char TrafficRecording::PREAMBLE[] =
    "Tumbrodemo network traffic: the most recent datagrams, oldest first. Each is a header of 24 bytes "
    "(little-endian): f64 network time in seconds; 'O' sent or 'I' received; 0; u16 own port; the other end's "
    "IPv4 address, 4 bytes, most significant first; u16 its port; u16 bytes kept; u32 the datagram's length; "
    "then the bytes kept (the datagram's start).\n";

namespace {

void putLittle(uint8_t* p, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TrafficRecording::TrafficRecording()
    : ring(std::make_unique<uint8_t[]>(CAPACITY)), shared(std::make_unique<CrashHandler::NetRecording>()) {
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "the crash handler reads the counts in a signal");
    shared->preamble = PREAMBLE;
    shared->ring = ring.get();
    shared->capacity = CAPACITY;
}

TrafficRecording::~TrafficRecording() = default;

void TrafficRecording::put(uint64_t at, const void* data, size_t n) {
    const size_t offset = static_cast<size_t>(at % CAPACITY);
    const size_t first = std::min(n, CAPACITY - offset);
    std::memcpy(ring.get() + offset, data, first);
    if (n > first) std::memcpy(ring.get(), static_cast<const uint8_t*>(data) + first, n - first);
}

void TrafficRecording::get(uint64_t at, void* data, size_t n) const {
    const size_t offset = static_cast<size_t>(at % CAPACITY);
    const size_t first = std::min(n, CAPACITY - offset);
    std::memcpy(data, ring.get() + offset, first);
    if (n > first) std::memcpy(static_cast<uint8_t*>(data) + first, ring.get(), n - first);
}

void TrafficRecording::record(Direction direction, const NetAddress& own, const NetAddress& other, const uint8_t* bytes,
                              int length, double time) {
    const size_t total = length > 0 && bytes ? static_cast<size_t>(length) : 0;
    const size_t kept = std::min(total, MAX_KEPT);
    const size_t size = HEADER_SIZE + kept;

    uint8_t header[HEADER_SIZE] = {};
    uint64_t timeBits = 0;
    std::memcpy(&timeBits, &time, sizeof timeBits);
    putLittle(header, timeBits, 8);
    header[8] = direction;
    putLittle(header + 10, own.port, 2);
    putLittle(header + 12, other.ip >> 24, 1);
    putLittle(header + 13, other.ip >> 16, 1);
    putLittle(header + 14, other.ip >> 8, 1);
    putLittle(header + 15, other.ip, 1);
    putLittle(header + 16, other.port, 2);
    putLittle(header + 18, kept, 2);
    putLittle(header + 20, total, 4);

    // The oldest records leave before their bytes are written over, so that
    // the ring from begin to end holds whole records at every moment.
    const uint64_t end = shared->end.load(std::memory_order_relaxed);
    uint64_t begin = shared->begin.load(std::memory_order_relaxed);
    if (end + size - begin > CAPACITY) {
        while (end + size - begin > CAPACITY) {
            uint8_t keptBytes[2];
            get(begin + 18, keptBytes, 2);
            begin += HEADER_SIZE + (keptBytes[0] | keptBytes[1] << 8);
        }
        shared->begin.store(begin, std::memory_order_release);
    }
    put(end, header, HEADER_SIZE);
    if (kept > 0) put(end + HEADER_SIZE, bytes, kept);
    shared->end.store(end + size, std::memory_order_release);
}

std::string TrafficRecording::records() const {
    const uint64_t end = shared->end.load(std::memory_order_acquire);
    const uint64_t begin = shared->begin.load(std::memory_order_acquire);
    std::string out(static_cast<size_t>(end - begin), '\0');
    get(begin, out.data(), out.size());
    return out;
}
