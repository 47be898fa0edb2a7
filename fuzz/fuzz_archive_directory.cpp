// Archive directories from arbitrary bytes: the parser must refuse anything
// inconsistent without reading outside the buffer, and whatever it accepts
// must describe entries that lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sys/Archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    archive::Directory dir;
    std::string reason;
    if (!archive::parseDirectory(data, size, dir, reason)) return 0;
    for (const archive::Entry& e : dir.entries) {
        if (!archive::isValidName(e.name)) abort();
        if (e.offset + e.storedSize > size) abort();
        if (e.storedSize > 0 && e.offset < dir.dataStart) abort();
    }
    // Parsing from a prefix must agree with parsing the whole file.
    for (size_t cut : {size / 2, size > 12 ? size_t(12) : size}) {
        archive::Directory part;
        const archive::ParseResult r = archive::parseDirectory(data, cut, size, part, reason);
        if (r == archive::ParseResult::Corrupt) abort();
        if (r == archive::ParseResult::Ok && part.entries.size() != dir.entries.size()) abort();
    }
    return 0;
}
