#pragma once
// The network test's answer from the web server. It may be plain text,
// shown line by line, or a sealed reply (little-endian):
//
//   offset 0   u32 magic 0x01020304
//   offset 4   u32 payload length n, which must equal the reply's size - 24
//   offset 8   16 bytes: MD5 of the payload
//   offset 24  n bytes: the payload, ini text whose unnamed section may hold
//              "masterServer" ("a.b.c.d:port") and "message" (any text)
//
// Everything here reads bytes from the network: any input is safe.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "sys/ByteBuffer.h"
#include "sys/NetAddress.h"
#include "util/WString.h"

namespace SealedReply {
inline constexpr uint32_t kMagic = 0x01020304u;
inline constexpr size_t kHeaderSize = 24;
}  // namespace SealedReply

// The first min(4, size) bytes are each in 32..127; an empty reply counts as
// printable.
bool isPrintableReply(const uint8_t* data, size_t size);

// At least 4 bytes, starting with the magic word.
bool isSealedReply(const uint8_t* data, size_t size);

// A copy of the payload when the reply is sealed, holds the whole header,
// its length field matches and the digest is the payload's; else null.
std::unique_ptr<ByteBuffer> unpackSealedReply(const uint8_t* data, size_t size);

// "a.b.c.d:port", the whole text: four decimal octets 0..255 and a decimal
// port 0..65535, digits only. False (address untouched) for anything else.
bool parseMasterServer(std::u16string_view text, NetAddress& address);

// What a payload says.
struct NetTestPayload {
    bool bMasterServer = false;  // a well-formed "masterServer" was given
    NetAddress masterServer = NetAddress::of(0, 0);
    bool bIgnoredMasterServer = false;  // "masterServer" was given in another form
    WString ignoredMasterServer;
    bool bMessage = false;
    WString message;
};

NetTestPayload readNetTestPayload(const ByteBuffer& payload);
