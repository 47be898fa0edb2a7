// Bytes as the network test's answer from the web server: the printable and
// sealed tests, unsealing, the payload's keys and the master server's form.
// The first byte chooses whether the rest is the whole answer or a payload
// that is sealed here first, so that the payload's reading is reached too.
//
// Properties: a payload comes out exactly when the header, the length and
// the digest agree, and it is the reply's tail; a master server that is
// accepted prints as an address that reads back the same; the raw bytes
// read as a master-server text give the same answer as their digits say.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "menu/SealedReply.h"
#include "sys/ErrorManager.h"
#include "util/Md5.h"

namespace {

std::string seal(std::string_view payload) {
    std::string out = {'\x04', '\x03', '\x02', '\x01'};
    const auto n = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
    uint8_t digest[16];
    md5Digest(payload.data(), payload.size(), digest);
    out.append(reinterpret_cast<const char*>(digest), 16);
    out += payload;
    return out;
}

// The master server's form checked the slow way: four numbers 0..255 of one
// to three digits, separated by dots, a colon, a number 0..65535 of one to
// five digits, and nothing else.
bool wellFormed(std::u16string_view t) {
    size_t pos = 0;
    for (int field = 0; field < 5; ++field) {
        size_t digits = 0;
        uint32_t value = 0;
        while (pos < t.size() && t[pos] >= u'0' && t[pos] <= u'9') {
            value = value * 10 + static_cast<uint32_t>(t[pos] - u'0');
            ++pos;
            if (++digits > 5) return false;
        }
        const bool last = field == 4;
        if (digits == 0 || digits > (last ? 5u : 3u) || value > (last ? 65535u : 255u)) return false;
        if (last) return pos == t.size();
        if (pos >= t.size() || t[pos] != (field < 3 ? u'.' : u':')) return false;
        ++pos;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ErrorManager::bTestMode = true;
    fuzz::Input in(data, size);
    const bool sealHere = (in.byte() & 1) != 0;
    const std::string_view rest = in.rest();
    const std::string reply = sealHere ? seal(rest) : std::string(rest);
    const auto* bytes = reinterpret_cast<const uint8_t*>(reply.data());
    const size_t n = reply.size();

    const bool printable = isPrintableReply(bytes, n);
    bool expectPrintable = true;
    for (size_t i = 0; i < n && i < 4; ++i) expectPrintable = expectPrintable && bytes[i] >= 32 && bytes[i] <= 127;
    FUZZ_CHECK(printable == expectPrintable);

    const bool sealed = isSealedReply(bytes, n);
    const std::unique_ptr<ByteBuffer> payload = unpackSealedReply(bytes, n);
    if (sealHere) FUZZ_CHECK(sealed && payload);
    if (payload) {
        FUZZ_CHECK(sealed && n >= SealedReply::kHeaderSize);
        FUZZ_CHECK(payload->size == n - SealedReply::kHeaderSize);
        FUZZ_CHECK(payload->size == 0 ||
                   std::memcmp(payload->data, bytes + SealedReply::kHeaderSize, payload->size) == 0);
        const NetTestPayload said = readNetTestPayload(*payload);
        FUZZ_CHECK(!(said.bMasterServer && said.bIgnoredMasterServer));
        if (said.bMasterServer) {
            NetAddress again = NetAddress::of(1, 1);
            FUZZ_CHECK(parseMasterServer(said.masterServer.toString(), again));
            FUZZ_CHECK(again == said.masterServer && again.family == 2);
        }
    }

    // The bytes as a master-server text (Latin-1 units).
    std::u16string text(rest.begin(), rest.end());
    for (char16_t& c : text) c = static_cast<char16_t>(static_cast<uint8_t>(c));
    NetAddress address = NetAddress::of(7, 7);
    const bool accepted = parseMasterServer(text, address);
    FUZZ_CHECK(accepted == wellFormed(text));
    if (!accepted) FUZZ_CHECK(address.ip == 7 && address.port == 7);
    return 0;
}
