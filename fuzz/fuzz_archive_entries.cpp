// Archive entries from arbitrary bytes: every entry of a directory the parser
// accepts is unpacked and checked as the reader does it, which must refuse
// damaged streams without writing past the entry's buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sys/Archive.h"
#include "sys/ByteBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    archive::Directory dir;
    std::string reason;
    if (!archive::parseDirectory(data, size, dir, reason)) return 0;
    for (const archive::Entry& e : dir.entries) {
        ByteBuffer raw;
        if (!e.compressed) continue;
        if (archive::unpack(e, data + e.offset, raw, reason)) {
            if (raw.size != e.rawSize) abort();
            archive::checkCrc(e, raw, reason);
        }
    }
    return 0;
}
