#include "object/Packet.h"

#include <cmath>
#include <cstring>

#include "object/Replication.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {

RuntimeClassManager& classes() {
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    if (!m.bBuilt) m.buildClassArray();
    return m;
}

struct Crc32Table {
    uint32_t t[256];
    constexpr Crc32Table() : t{} {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
    }
};
constexpr Crc32Table kCrc;

}  // namespace

Packet::Packet(uint32_t f, int cap) : flags(f) {
    capacity = cap < 0 ? DEFAULT_CAPACITY : cap;
    size = capacity;
    if (capacity > 0) buffer = new uint8_t[capacity];
    cursor = buffer;
}

Packet::Packet(uint32_t f, const uint8_t* bytes, int n) : flags(f) {
    capacity = 0;
    size = bytes && n > 0 ? n : 0;
    // Never written through: reading only looks, and without capacity
    // every write stops before the buffer.
    buffer = const_cast<uint8_t*>(bytes);
    cursor = buffer;
    bWriting = false;
    bBorrowedBuffer = true;
}

Packet::~Packet() {
    if (!bBorrowedBuffer) delete[] buffer;
}

// ---------------------------------------------------------------------------
// Errors

void Packet::fail(std::u16string_view reason, const char* statement, const char* function) {
    if (bFailed) return;
    bFailed = true;
    error = WString(reason);
    if (errorMode == ErrorMode::Fatal) {
        Logger::get().log(u"%s(): %s", function ? function : "Packet", reason);
        ErrorManager::assertionFailed(statement, function ? function : "Packet::read", __FILE__, 0);
    }
}

void Packet::clearError() {
    bFailed = false;
    bOutOfRoom = false;
    error.clear();
}

bool Packet::needFailed(int n) {
    if (bFailed) return false;
    bOutOfRoom = bWriting;
    if (bWriting)
        fail(formatString(u"packet full: %d more bytes at %d of %d", n, position(), capacity),
             "cursor + n <= buffer + capacity", "Packet::write");
    else
        fail(formatString(u"packet ends: %d more bytes at %d of %d", n, position(), size),
             "cursor + n <= buffer + size", "Packet::read");
    return false;
}

bool Packet::readRaw(void* out, int n) {
    if (n == 0) return !bFailed;
    if (!need(n)) {
        std::memset(out, 0, n);
        return false;
    }
    std::memcpy(out, cursor, static_cast<size_t>(n));
    cursor += n;
    return true;
}

void Packet::writeRaw(const void* in, int n) {
    if (n == 0 || !need(n)) return;
    std::memcpy(cursor, in, static_cast<size_t>(n));
    cursor += n;
}

bool Packet::writeBytes(const void* d, int n) {
    if (!bWriting) return false;
    writeRaw(d, n);
    return !bFailed;
}

// ---------------------------------------------------------------------------
// Integers

void Packet::checkedUInt(uint32_t& v) {
    if (bWriting) {
        uint32_t x = v;
        const int n = x < (1u << 7) ? 1 : x < (1u << 14) ? 2 : x < (1u << 21) ? 3 : x < (1u << 28) ? 4 : 5;
        if (!need(n)) return;
        for (int i = 0; i < n; ++i) {
            cursor[i] = static_cast<uint8_t>((x & 0x7F) | (i + 1 < n ? 0x80 : 0));
            x >>= 7;
        }
        cursor += n;
        return;
    }
    uint64_t value = 0;
    for (int i = 0;; ++i) {
        if (i == 5) {
            fail(u"variable-length number runs past 5 bytes", "bytes <= 5", "Packet::doUInt");
            v = 0;
            return;
        }
        if (!need(1)) {
            v = 0;
            return;
        }
        const uint8_t b = *cursor++;
        value |= static_cast<uint64_t>(b & 0x7F) << (7 * i);
        if (!(b & 0x80)) break;
    }
    if (value > 0xFFFFFFFFull) {
        fail(u"variable-length number out of range", "value < 2^32", "Packet::doUInt");
        value = 0;
    }
    v = static_cast<uint32_t>(value);
}

void Packet::checkedUInt(int32_t& v) {
    if (bWriting) {
        if (v < 0) {
            fail(formatString(u"negative value %d written as unsigned", v), "value >= 0", "Packet::doUInt");
            return;
        }
        uint32_t u = static_cast<uint32_t>(v);
        doUInt(u);
        return;
    }
    uint32_t u = 0;
    doUInt(u);
    if (u > 0x7FFFFFFFu) {
        fail(u"unsigned number out of range", "value < 2^31", "Packet::doUInt");
        u = 0;
    }
    v = static_cast<int32_t>(u);
}

void Packet::checkedInt(int32_t& v) {
    if (bWriting) {
        // -2^31 has no encoding; the nearest value is written instead.
        const int32_t clamped = v == INT32_MIN ? -INT32_MAX : v;
        uint32_t m = static_cast<uint32_t>(clamped < 0 ? -clamped : clamped);
        uint8_t b0 = static_cast<uint8_t>(m & 0x3F);
        if (clamped < 0) b0 |= 0x40;
        uint32_t rest = m >> 6;
        if (rest) b0 |= 0x80;
        writeRaw(&b0, 1);
        if (rest) doUInt(rest);
        return;
    }
    uint8_t b0 = 0;
    if (!readRaw(&b0, 1)) {
        v = 0;
        return;
    }
    uint32_t m = b0 & 0x3F;
    if (b0 & 0x80) {
        uint32_t rest = 0;
        doUInt(rest);
        if (rest > (0x7FFFFFFFu >> 6)) {
            fail(u"signed number out of range", "|value| < 2^31", "Packet::doInt");
            v = 0;
            return;
        }
        m |= rest << 6;
    }
    if (bFailed) {
        v = 0;
        return;
    }
    v = (b0 & 0x40) ? -static_cast<int32_t>(m) : static_cast<int32_t>(m);
}

void Packet::checkedDWORD(uint32_t& v) {
    uint8_t b[4];
    if (bWriting) {
        b[0] = v & 0xFF;
        b[1] = (v >> 8) & 0xFF;
        b[2] = (v >> 16) & 0xFF;
        b[3] = (v >> 24) & 0xFF;
        writeRaw(b, 4);
        return;
    }
    readRaw(b, 4);
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// ---------------------------------------------------------------------------
// Floats

void Packet::checkedFloat16(float& v) {
    uint8_t b[2];
    if (bWriting) {
        uint16_t w = packet_detail::floatToHalf(v);
        b[0] = w & 0xFF;
        b[1] = w >> 8;
        writeRaw(b, 2);
        return;
    }
    readRaw(b, 2);
    v = packet_detail::halfToFloat(static_cast<uint16_t>(b[0] | (b[1] << 8)));
}

void Packet::checkedDouble(double& v) {
    if (bWriting) {
        float f = static_cast<float>(v);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        doDWORD(bits);
        return;
    }
    uint32_t bits = 0;
    doDWORD(bits);
    float f;
    std::memcpy(&f, &bits, 4);
    // Timers and positions are used as numbers and indices downstream; a
    // non-finite value from a file or peer never reaches them.
    v = std::isfinite(f) ? f : 0.0;
}

// ---------------------------------------------------------------------------
// Strings

namespace {
// The bytes one UTF-16 unit takes in a packet's text.
size_t unitBytes(char16_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }
}  // namespace

size_t Packet::textBytes(std::u16string_view s) {
    size_t bytes = 0;
    for (char16_t c : s) bytes += unitBytes(c);
    return bytes;
}

size_t Packet::sendableUnits(std::u16string_view s, int maxLength) {
    size_t units = maxLength >= 0 ? std::min(s.size(), static_cast<size_t>(maxLength)) : s.size();
    size_t bytes = textBytes(s.substr(0, units));
    while (units > 0 && bytes >= static_cast<size_t>(BUFFERSIZE)) bytes -= unitBytes(s[--units]);
    if (units > 0 && units < s.size() && s[units - 1] >= 0xD800 && s[units - 1] < 0xDC00) --units;
    return units;
}

void Packet::checkedUString(WString& s, int maxLength) {
    if (bWriting) {
        // Each UTF-16 unit by itself as 1, 2 or 3 bytes, straight into the
        // buffer. What a reader would refuse is not written.
        if (maxLength >= 0 && s.size() > static_cast<size_t>(maxLength)) {
            fail(formatString(u"text longer than %d characters", maxLength), "data->length() <= maxLength",
                 "Packet::doUString");
            return;
        }
        const size_t bytes = textBytes(s);
        if (bytes >= static_cast<size_t>(BUFFERSIZE)) {
            fail(formatString(u"text of %d bytes is too long", static_cast<int>(bytes)), "length < BUFFERSIZE",
                 "Packet::doUString");
            return;
        }
        uint32_t n = static_cast<uint32_t>(bytes);
        doUInt(n);
        if (!need(static_cast<int>(n))) return;
        uint8_t* out = cursor;
        for (char16_t c : s) {
            if (c < 0x80) {
                *out++ = static_cast<uint8_t>(c) ^ STRING_KEY;
            } else if (c < 0x800) {
                *out++ = static_cast<uint8_t>(0xC0 | (c >> 6)) ^ STRING_KEY;
                *out++ = static_cast<uint8_t>(0x80 | (c & 0x3F)) ^ STRING_KEY;
            } else {
                *out++ = static_cast<uint8_t>(0xE0 | (c >> 12)) ^ STRING_KEY;
                *out++ = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)) ^ STRING_KEY;
                *out++ = static_cast<uint8_t>(0x80 | (c & 0x3F)) ^ STRING_KEY;
            }
        }
        cursor = out;
        return;
    }
    uint32_t n = 0;
    doUInt(n);
    if (!bFailed && n >= static_cast<uint32_t>(BUFFERSIZE))
        fail(formatString(u"text of %u bytes is too long", n), "length < BUFFERSIZE", "Packet::doUString");
    if (bFailed || !need(static_cast<int>(n))) {
        s.clear();
        return;
    }
    // Read as UTF-8 up to the first zero.
    char scratch[BUFFERSIZE];
    size_t len = 0;
    for (uint32_t i = 0; i < n; ++i) {
        char c = static_cast<char>(cursor[i] ^ STRING_KEY);
        if (c == 0) break;
        scratch[len++] = c;
    }
    cursor += n;
    s = narrowToWide(std::string_view(scratch, len));
    if (maxLength >= 0 && s.size() > static_cast<size_t>(maxLength)) {
        s.clear();
        fail(formatString(u"text longer than %d characters", maxLength), "data->length() <= maxLength",
             "Packet::doUString");
    }
}

// ---------------------------------------------------------------------------
// Classes, objects, resources

void Packet::checkedClassID(const RuntimeClass*& c) {
    RuntimeClassManager& m = classes();
    if (bWriting) {
        if (!c) {
            fail(u"writing no class", "_class != NULL", "Packet::doClassID");
            return;
        }
        if (flags & FLAG_RAW_CLASSES) {
            uint32_t id = c->classId;
            doDWORD(id);
        } else {
            uint32_t index = c->index < 0 ? 0 : static_cast<uint32_t>(c->index);
            if (c->index < 0) fail(u"class is not in the class array", "_class->index >= 0", "Packet::doClassID");
            else doUInt(index);
        }
        return;
    }
    c = nullptr;
    uint32_t v = 0;
    if (flags & FLAG_RAW_CLASSES) {
        doDWORD(v);
        if (bFailed) return;
        c = m.findById(v);
        if (!c) fail(formatString(u"unknown class id %08x", v), "*_class != NULL", "Packet::doClassID");
    } else {
        doUInt(v);
        if (bFailed) return;
        c = m.findByIndex(v);
        if (!c) fail(formatString(u"unknown class index %u", v), "*_class != NULL", "Packet::doClassID");
    }
}

void Packet::doPointer(ZubBase*& o) {
    if (!(flags & FLAG_RAW_POINTERS)) {
        doPointer2(o);
        return;
    }
    // In-process copies only: the full pointer width.
    uint8_t raw[sizeof(uintptr_t)];
    if (bWriting) {
        uintptr_t p = reinterpret_cast<uintptr_t>(o);
        for (size_t i = 0; i < sizeof p; ++i) raw[i] = static_cast<uint8_t>(p >> (8 * i));
        writeRaw(raw, sizeof raw);
        return;
    }
    if (!readRaw(raw, sizeof raw)) {
        o = nullptr;
        return;
    }
    uintptr_t p = 0;
    for (size_t i = 0; i < sizeof p; ++i) p |= static_cast<uintptr_t>(raw[i]) << (8 * i);
    o = reinterpret_cast<ZubBase*>(p);
}

bool Packet::doPointer2(ZubBase*& o) {
    if (bWriting) {
        if (o && o->objectUID < 0) return writeUnregistered(o);
        int32_t uid = o ? o->objectUID : 0;
        doUInt(uid);
        return o != nullptr;
    }
    int32_t uid = 0;
    doUInt(uid);
    o = nullptr;
    if (bFailed || uid == 0) return false;
    if (Replication* role = Replication::current()) o = role->findObjectOrNull(uid);
    if (!o) o = unknownObject(uid);
    return o != nullptr;
}

bool Packet::writeUnregistered(ZubBase* o) {
    fail(formatString(u"writing an unregistered %s", o->getClass()->getName()), "objectUID >= 0", "Packet::doPointer2");
    return true;
}

ZubBase* Packet::unknownObject(int32_t uid) {
    Replication* role = Replication::current();
    if (!role) {
        fail(formatString(u"Could not find object ID %d", uid), "THEROLE != NULL", "Packet::doPointer2");
        return nullptr;
    }
    if (getErrorMode() == ErrorMode::Fatal) return role->findObject(uid);  // fatal
    fail(formatString(u"Could not find object ID %d", uid), "object != NULL", "NetRole::findObject");
    return nullptr;
}

void Packet::doResourcePointer2(ZubBase*& resource) {
    ResourceManager* rm = ResourceManager::active();
    if (bWriting) {
        WString name;
        if (resource) {
            name = rm ? rm->getResourceName(resource) : WString();
            if (name.empty()) {
                fail(u"writing a resource without a name", "s != TT(\"\")", "Packet::doResourcePointer2");
                return;
            }
        }
        doUString(name, -1);
        return;
    }
    // Read into a string kept from call to call: a level names a skin in
    // most of its objects' bodies.
    thread_local WString name;
    doUString(name, -1);
    resource = nullptr;
    if (bFailed || name.empty()) return;
    if (!rm) {
        fail(formatString(u"Could not find resource '%s'.", escapeForLog(name)), "resourceManager != NULL",
             "Packet::doResourcePointer2");
        return;
    }
    resource = rm->find(name, getErrorMode() == ErrorMode::Fatal);
    if (!resource)
        fail(formatString(u"Could not find resource '%s'.", escapeForLog(name)), "resource != NULL",
             "Packet::doResourcePointer2");
}

// ---------------------------------------------------------------------------
// Whole packets

void Packet::rewindToRead() {
    if (!bWriting) {
        fail(u"packet is already reading", "bWriting", "Packet::rewindToRead");
        return;
    }
    size = static_cast<int>(cursor - buffer);
    cursor = buffer;
    bitByte = nullptr;
    bitMask = 0;
    bitIndex = 0;
    bWriting = false;
}

void Packet::reset() {
    cursor = buffer;
    bitByte = nullptr;
    bitMask = 0;
    bitIndex = 0;
    size = capacity;
    bWriting = true;
    clearError();
}

std::unique_ptr<Packet> Packet::extract(int n) {
    if (n < 0 || !need(n)) n = 0;
    auto p = std::make_unique<Packet>(flags, n);
    if (n > 0) std::memcpy(p->buffer, cursor, n);
    cursor += n;
    p->cursor = p->buffer;
    p->size = n;
    copyMeta(*p);
    p->errorMode = errorMode;
    return p;
}

std::unique_ptr<Packet> Packet::concat(const Packet& other, int offset, int n) const {
    const int otherLen = other.bWriting ? static_cast<int>(other.cursor - other.buffer) : other.size;
    if (offset < 0 || n < 0 || offset > otherLen || n > otherLen - offset) n = 0, offset = 0;
    const int mine = length();
    auto p = std::make_unique<Packet>(flags, mine + n);
    if (mine > 0) std::memcpy(p->buffer, buffer, mine);
    if (n > 0) std::memcpy(p->buffer + mine, other.buffer + offset, n);
    p->cursor = p->buffer + mine + n;
    copyMeta(*p);
    if (!p->bWriting) {
        // A reading copy reads what was put together, from the start.
        p->size = mine + n;
        p->cursor = p->buffer;
    }
    p->errorMode = errorMode;
    return p;
}

void Packet::append(Packet& d) const {
    if (d.length() == 0) {
        copyMeta(d);
        d.bWriting = true;
        d.size = d.capacity;
    }
    const int n = length();
    if (!d.need(n)) return;
    if (n > 0) std::memcpy(d.cursor, buffer, n);
    d.cursor += n;
}

void Packet::received(int n) {
    if (n < 0) n = 0;
    if (n > capacity) n = capacity;
    cursor = buffer;
    bitByte = nullptr;
    bitMask = 0;
    bitIndex = 0;
    size = n;
    bWriting = false;
    clearError();
    errorMode = ErrorMode::Report;
    sender = nullptr;
    sequence = -1;
    bMore = false;
    depth = 0;
}

void Packet::copyMeta(Packet& d) const {
    d.bWriting = bWriting;
    d.sender = sender;
    d.address = address;
    d.time = time;
    d.sequence = sequence;
    d.bMore = bMore;
}

uint32_t Packet::crc32(int offset, int n) const {
    const int len = length();
    if (n < 0) n = len - offset;
    const int extent = bBorrowedBuffer ? size : capacity;
    if (n < 1 || offset < 0 || offset > extent || n > extent - offset) return 0;
    uint32_t c = 0xFFFFFFFFu;
    for (const uint8_t* p = buffer + offset; p < buffer + offset + n; ++p) c = kCrc.t[(c ^ *p) & 0xFF] ^ (c >> 8);
    return ~c;
}

Packet::Mark Packet::mark() const {
    Mark m;
    m.cursor = position();
    m.bitByte = bitByte ? static_cast<int>(bitByte - buffer) : -1;
    m.bitByteValue = bitByte ? *bitByte : 0;
    m.bitMask = bitMask;
    m.bitIndex = bitIndex;
    return m;
}

void Packet::restore(const Mark& m) {
    cursor = buffer + m.cursor;
    bitByte = m.bitByte >= 0 ? buffer + m.bitByte : nullptr;
    if (bitByte && bWriting) *bitByte = m.bitByteValue;
    bitMask = m.bitMask;
    bitIndex = m.bitIndex;
}

// ---------------------------------------------------------------------------
// ObjectPacket

bool ObjectPacket::doObject(ZubBase*& o) {
    if (bWriting) {
        uint32_t number = 0;
        if (!o) {
            doUInt(number);
            return false;
        }
        bool first = false;
        auto it = objectNumbers.find(o);
        if (it == objectNumbers.end()) {
            number = nextIndex++;
            objectNumbers.emplace(o, number);
            first = true;
        } else {
            number = it->second;
        }
        doUInt(number);
        if (first) {
            const RuntimeClass* c = o->getClass();
            doClassID(c);
            if (++depth > MAX_DEPTH) fail(u"objects nested too deeply", "depth <= MAX_DEPTH", "ObjectPacket::doObject");
            else o->netSerialize(*this);
            --depth;
            bool registered = o->objectUID > 0;
            doBool(registered);
        }
        return true;
    }

    // Reading: the outermost call owns what the failed read made.
    const bool outermost = depth == 0;
    if (outermost) made.clear();
    const bool result = readObject(o);
    if (outermost && failed()) {
        // Everything made hangs from a made object without a parent: free
        // those trees whole.
        std::vector<ZubBase*> tops;
        for (ZubBase* m : made)
            if (!m->parent) tops.push_back(m);
        for (ZubBase* t : tops) deleteObject(t);
        made.clear();
        objectsByNumber.clear();
        o = nullptr;
        return false;
    }
    return result;
}

bool ObjectPacket::readObject(ZubBase*& o) {
    o = nullptr;
    uint32_t number = 0;
    doUInt(number);
    if (failed() || number == 0) return false;
    auto it = objectsByNumber.find(number);
    if (it != objectsByNumber.end()) {
        o = it->second;
        return true;
    }
    const RuntimeClass* c = nullptr;
    doClassID(c);
    if (failed()) return false;
    if (!c->isDerivedFrom(&ZubBase::classRecord) || !c->createFn) {
        fail(formatString(u"class %s cannot be copied", c->getName()), "class creates objects",
             "ObjectPacket::doObject");
        return false;
    }
    ZubBase* obj = static_cast<ZubBase*>(c->create());
    made.push_back(obj);
    objectsByNumber.emplace(number, obj);
    if (++depth > MAX_DEPTH) fail(u"objects nested too deeply", "depth <= MAX_DEPTH", "ObjectPacket::doObject");
    else obj->netSerialize(*this);
    --depth;
    bool registered = false;
    doBool(registered);
    o = obj;
    if (failed()) return true;
    if (registered) {
        obj->netPostReplicate();
        obj->netPostReplicateGlobal();
        if (Replication* role = Replication::current()) role->registerObject(obj, 0);
    }
    return true;
}
