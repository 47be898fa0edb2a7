#pragma once
// An IPv4 address and port in the 16-byte layout that records store
// (family, port, address, padding), independent of the host's socket structs.
#include <cstdint>

struct NetAddress {
    uint16_t family = 2;  // AF_INET
    uint16_t port = 0;    // host byte order
    uint32_t ip = 0;      // host byte order, 127.0.0.1 = 0x7F000001
    uint8_t zero[8] = {};

    bool operator==(const NetAddress& o) const { return ip == o.ip && port == o.port; }
};
static_assert(sizeof(NetAddress) == 16);
