// Packed data files from arbitrary bytes: unpacking checks every field and
// touches the destination only when the whole file is valid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sys/PackedFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Take the record size from the header so that inputs reach the stream
    // and seal checks; keep it small.
    size_t recordSize = 9720;
    if (size >= 52) {
        const uint32_t claimed = static_cast<uint32_t>(data[48]) | (static_cast<uint32_t>(data[49]) << 8) |
                                 (static_cast<uint32_t>(data[50]) << 16) | (static_cast<uint32_t>(data[51]) << 24);
        if (claimed <= 65536) recordSize = claimed;
    }
    std::vector<uint8_t> dest(recordSize, 0xA5);
    std::string reason;
    const bool ok = packedfile::unpack(data, size, u"Tumbrodemo.hst", u"1.25", dest.data(), dest.size(), reason);
    if (!ok) {
        for (uint8_t b : dest)
            if (b != 0xA5) abort();
        return 0;
    }
    // An accepted file packs back to itself: the format has one encoding per
    // record only up to the compressor, so compare the unpacked record instead.
    const std::vector<uint8_t> again = packedfile::pack(dest.data(), dest.size(), u"Tumbrodemo.hst", u"1.25");
    std::vector<uint8_t> check(recordSize);
    if (!packedfile::unpack(again.data(), again.size(), u"Tumbrodemo.hst", u"1.25", check.data(), check.size(),
                            reason) ||
        check != dest)
        abort();
    return 0;
}
