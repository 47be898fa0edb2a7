#pragma once
// An IPv4 address and port in the 16-byte layout that records store
// (family, port, address, padding), independent of the host's socket structs.
// Address and port are kept in host byte order here; records that store the
// address convert them themselves.
#include <cstdint>
#include <string>
#include <string_view>

#include "util/WString.h"

struct NetAddress {
    static constexpr uint16_t DEFAULT_PORT = 23006;
    static constexpr uint32_t LOOPBACK = 0x7F000001u;

    // The default address is any local address on the game's port (records
    // that clear a stored address to port 0 use of(0, 0)).
    uint16_t family = 2;           // AF_INET
    uint16_t port = DEFAULT_PORT;  // host byte order
    uint32_t ip = 0;               // host byte order, 127.0.0.1 = 0x7F000001
    uint8_t zero[8] = {};

    // 0.0.0.0:23006.
    static NetAddress any() { return of(0, DEFAULT_PORT); }

    // Same address and port.
    bool operator==(const NetAddress& o) const { return ip == o.ip && port == o.port; }
    bool sameHost(const NetAddress& o) const { return ip == o.ip; }
    bool isLoopback() const { return ip == LOOPBACK; }

    static NetAddress of(uint32_t ip, uint16_t port) {
        NetAddress a;
        a.ip = ip;
        a.port = port;
        return a;
    }

    // Family IPv4, address and port from the host name: "localhost" is
    // 127.0.0.1; any other name is looked up. A name that cannot be resolved
    // gives 127.0.0.1 with port 0 (logged).
    void setBoth(uint16_t port, std::u16string_view hostName);
    void setBoth(std::u16string_view hostName, uint16_t port) { setBoth(port, hostName); }
    // "host:port": the part before the first ':' is the host name, the part
    // after it a decimal port; without ':' the port is 0.
    void parse(std::u16string_view text);
    // "%d.%d.%d.%d:%d".
    WString toString() const;

    // The name service the look-ups go through (replaceable for tests).
    using Resolver = bool (*)(const std::string& name, uint32_t& ip);
    static Resolver resolver;
};
static_assert(sizeof(NetAddress) == 16);
