#pragma once
// Reads the network traffic file of the crash files (its preamble, then the
// records that net/TrafficRecording.h lays out), for the tests that check
// what a crash leaves.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "net/TrafficRecording.h"

namespace traffictest {

struct Record {
    double time = 0.0;
    char direction = 0;
    uint16_t ownPort = 0;
    uint32_t otherIp = 0;
    uint16_t otherPort = 0;
    uint32_t length = 0;
    std::string bytes;  // the bytes kept
};

inline uint64_t little(std::string_view s, size_t at, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
    return v;
}

// The records of `data` (without the preamble); false, with the reason, when
// they are not whole records one after the other.
inline bool parseRecords(std::string_view data, std::vector<Record>& out, std::string& why) {
    out.clear();
    for (size_t at = 0; at < data.size();) {
        if (data.size() - at < TrafficRecording::HEADER_SIZE) {
            why = "a header cut short at byte " + std::to_string(at);
            return false;
        }
        Record r;
        const uint64_t timeBits = little(data, at, 8);
        std::memcpy(&r.time, &timeBits, sizeof r.time);
        r.direction = data[at + 8];
        r.ownPort = static_cast<uint16_t>(little(data, at + 10, 2));
        r.otherIp = static_cast<uint32_t>(static_cast<uint8_t>(data[at + 12])) << 24 |
                    static_cast<uint32_t>(static_cast<uint8_t>(data[at + 13])) << 16 |
                    static_cast<uint32_t>(static_cast<uint8_t>(data[at + 14])) << 8 |
                    static_cast<uint8_t>(data[at + 15]);
        r.otherPort = static_cast<uint16_t>(little(data, at + 16, 2));
        const size_t kept = static_cast<size_t>(little(data, at + 18, 2));
        r.length = static_cast<uint32_t>(little(data, at + 20, 4));
        if ((r.direction != 'O' && r.direction != 'I') || data[at + 9] != 0 || kept > TrafficRecording::MAX_KEPT ||
            kept > r.length || (kept < r.length && kept != TrafficRecording::MAX_KEPT)) {
            why = "a bad header at byte " + std::to_string(at);
            return false;
        }
        at += TrafficRecording::HEADER_SIZE;
        if (data.size() - at < kept) {
            why = "bytes cut short at byte " + std::to_string(at);
            return false;
        }
        r.bytes.assign(data.substr(at, kept));
        at += kept;
        out.push_back(std::move(r));
    }
    return true;
}

// A traffic file: the preamble, then whole records.
inline bool parseFile(std::string_view file, std::vector<Record>& out, std::string& why) {
    const std::string_view preamble = TrafficRecording::PREAMBLE;
    if (!file.starts_with(preamble)) {
        why = "no preamble: " + std::string(file.substr(0, 80));
        return false;
    }
    return parseRecords(file.substr(preamble.size()), out, why);
}

}  // namespace traffictest
