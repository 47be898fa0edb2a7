#pragma once
// One bucket of a connection's traffic counts over a window of time (one
// second); a connection keeps a short history of them and the sum of the
// finished ones.
#include <cstdint>

#include "object/ZubBase.h"

class NetStatistics : public ZubBase {
public:
    NetStatistics() = default;

    // The counters, in the order the graphs and overlays name them.
    enum Counter : int {
        PACKETS_OUT,
        PACKETS_IN,
        BYTES_OUT,
        BYTES_IN,
        PAYLOAD_OUT,
        PAYLOAD_IN,
        RESEND_REQUESTS,
        RESENDS,
        LOST,
        OUT_OF_ORDER,
        COUNTER_COUNT
    };

    uint32_t packetsOut = 0;
    uint32_t packetsIn = 0;
    uint32_t bytesOut = 0;  // length + 28 (IPv4 and UDP headers) per datagram
    uint32_t bytesIn = 0;
    uint32_t payloadOut = 0;
    uint32_t payloadIn = 0;
    uint32_t resendRequests = 0;
    uint32_t resends = 0;
    uint32_t lost = 0;  // nothing counts into it
    uint32_t outOfOrder = 0;

    double startTime = 0.0;
    double endTime = 0.0;
    double length = 1.0;

    // Commands written for sending, per command code; the three further
    // groups are kept for the record layout and summed like the rest.
    uint32_t commands[4] = {};
    uint32_t reserved[3][4] = {};

    uint32_t get(int counter) const;
    // Adds every counter of the other bucket into this one.
    void add(const NetStatistics& other);
};
