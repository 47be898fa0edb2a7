#pragma once
// The two-way stream every byte that leaves an object goes through: network
// commands and datagrams, remote calls, level files and the editor's copies.
//
// For every value type there is one do-operation taking a reference: while
// the packet is writing it appends the value at the cursor, while reading it
// reads the value at the cursor into the reference. A serialisation routine is
// therefore written once and runs both ways.
//
// The packet is also a safe reader: no operation reads or writes outside the
// buffer. A bad read or an overflowing write sets a sticky error; after it,
// reads yield zeros and consume nothing. A trusted packet (shipped data, the
// program's own writes) ends the program through the error manager with the
// reason; a packet marked as coming from a peer only records the error so
// that its caller can drop it.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "object/ZubBase.h"
#include "sys/NetAddress.h"
#include "util/WString.h"

class Node;
class RuntimeClass;

class Packet : public ZubBase {
public:
    enum : uint32_t {
        FLAG_NETWORK = 1,       // network packet: registered children and network properties only
        FLAG_RAW_POINTERS = 2,  // in-process copy: doPointer writes raw addresses
        FLAG_RAW_CLASSES = 4,   // raw class ids, and a check word in every object body
    };
    static constexpr int DEFAULT_CAPACITY = 0x40000;
    static constexpr int BUFFERSIZE = 1024;  // strings take fewer bytes than this
    static constexpr uint8_t STRING_KEY = 0x3D;

    // A negative capacity means DEFAULT_CAPACITY.
    explicit Packet(uint32_t flags, int capacity = -1);
    // A packet that reads `size` bytes the caller keeps alive and unchanged
    // for as long as the packet lives (a file's bytes), without a copy. It
    // has no room to write: after a reset every write fails as full.
    Packet(uint32_t flags, const uint8_t* bytes, int size);
    ~Packet() override;

    // --- values -------------------------------------------------------------
    // The common cases run inline: while no error is set and the largest
    // encoding of the value fits, the value is stored or taken straight away.
    // Everything else (the last bytes of a packet, bad data, errors) goes to
    // the checked paths in Packet.cpp, which behave byte for byte the same.
    void doInt(int32_t& v);
    void doUInt(int32_t& v);
    void doUInt(uint32_t& v);
    void doFloat16(float& v);
    void doDouble(double& v);
    void doDWORD(uint32_t& v);
    void doBit(uint8_t& byte, int bit);
    void doBits(uint8_t& byte, int count);
    void doBool(bool& v);
    void doBool(uint8_t& v);
    void doUString(WString& s, int maxLength = -1);
    // The bytes a text takes in a packet (after its count), and how many of
    // its units at most a packet carries under the limit (a pair of
    // surrogates is not split).
    static size_t textBytes(std::u16string_view s);
    static size_t sendableUnits(std::u16string_view s, int maxLength = -1);
    void doClassID(const RuntimeClass*& c);
    void doPointer(ZubBase*& o);
    // An object reference that is not a raw pointer; true when not null. A
    // packet class that overrides it sets bOwnObjectReferences, so that the
    // serialisation plans' fast paths leave object references to it.
    virtual bool doPointer2(ZubBase*& o);
    void doResourcePointer2(ZubBase*& resource);

    template <class T>
    bool doPointer2As(T*& o) {
        ZubBase* b = o;
        bool r = doPointer2(b);
        if (!bWriting) o = static_cast<T*>(b);
        return r;
    }

    // --- whole packets ---------------------------------------------------------
    void rewindToRead();
    // Empties a writing packet for reuse (the role's outgoing packet).
    void reset();
    std::unique_ptr<Packet> extract(int n);
    std::unique_ptr<Packet> concat(const Packet& other, int offset, int n) const;
    void append(Packet& destination) const;
    void copyMeta(Packet& destination) const;
    uint32_t crc32(int offset, int n) const;

    // Appends raw bytes at the cursor (loading a file into a packet).
    bool writeBytes(const void* data, int n);

    // Receiving straight into the buffer: the buffer to fill (capacity bytes),
    // then the number of bytes that arrived. The packet then reads those bytes
    // from the start as a peer's packet, with its transport fields cleared.
    uint8_t* receiveBuffer() { return buffer; }
    int getCapacity() const { return capacity; }
    void received(int n);

    int length() const { return bWriting ? static_cast<int>(cursor - buffer) : size; }
    int position() const { return static_cast<int>(cursor - buffer); }
    int remaining() const { return static_cast<int>((buffer + size) - cursor); }
    // Whether n more bytes can be written (or read) without a fault.
    bool hasRoom(int n) const { return room(n); }
    bool atEnd() const { return cursor >= buffer + size; }
    const uint8_t* data() const { return buffer; }

    // --- errors ----------------------------------------------------------------
    enum class ErrorMode { Fatal, Report };
    // Packets from peers: errors are recorded, never fatal.
    void setFromPeer() { errorMode = ErrorMode::Report; }
    void setErrorMode(ErrorMode m) { errorMode = m; }
    ErrorMode getErrorMode() const { return errorMode; }
    bool failed() const { return bFailed; }
    // The error is a write that did not fit the capacity (the value itself
    // could be written into a larger packet).
    bool failedForRoom() const { return bFailed && bOutOfRoom; }
    const WString& errorText() const { return error; }
    // Records an error (the first one sticks). In fatal mode it ends the program
    // as an assertion naming the statement.
    void fail(std::u16string_view reason, const char* statement, const char* function = nullptr);
    void clearError();

    // A position to roll a writing packet back to when a write must be undone.
    struct Mark {
        int cursor = 0;
        int bitByte = -1;
        uint8_t bitByteValue = 0;
        uint8_t bitMask = 0;
        int bitIndex = 0;
    };
    Mark mark() const;
    void restore(const Mark& m);

    // Nesting of object bodies being read; deep nesting is refused.
    int depth = 0;
    static constexpr int MAX_DEPTH = 256;

    const uint32_t flags;
    bool bWriting = true;
    Node* sender = nullptr;
    NetAddress address;
    double time = 0.0;
    int32_t sequence = -1;
    bool bMore = false;

protected:
    // True when n more bytes can be read or written; records the error otherwise.
    bool need(int n) {
        if (!bFailed && n >= 0 && (buffer + (bWriting ? capacity : size)) - cursor >= n) return true;
        return needFailed(n);
    }
    bool needFailed(int n);
    // The current bit byte, starting a new one when needed; null when none can be had.
    uint8_t* takeBitByte() {
        bitMask = static_cast<uint8_t>(bitMask << 1);
        ++bitIndex;
        if (bitMask == 0) {
            if (!need(1)) return nullptr;
            if (bWriting) *cursor = 0;
            bitByte = cursor++;
            bitMask = 1;
            bitIndex = 0;
        }
        return bitByte;
    }
    // Whether the fast paths may move n bytes: no error, and room for them.
    bool room(int n) const { return !bFailed && (buffer + (bWriting ? capacity : size)) - cursor >= n; }

    uint8_t* bitByte = nullptr;
    uint8_t bitMask = 0;
    int bitIndex = 0;
    int capacity;
    int size;
    uint8_t* buffer = nullptr;
    uint8_t* cursor = nullptr;
    bool bOwnObjectReferences = false;
    bool bBorrowedBuffer = false;  // the buffer is the caller's, read only

private:
    friend class SerialPlan;  // runs the fast paths on a cursor of its own
    bool readRaw(void* out, int n);
    void writeRaw(const void* in, int n);
    // The checked paths of the values.
    void checkedInt(int32_t& v);
    void checkedUInt(int32_t& v);
    void checkedUInt(uint32_t& v);
    void checkedFloat16(float& v);
    void checkedDouble(double& v);
    void checkedDWORD(uint32_t& v);
    void checkedUString(WString& s, int maxLength);
    void checkedClassID(const RuntimeClass*& c);
    // The failing ends of doPointer2, kept out of its way.
    [[gnu::cold, gnu::noinline]] bool writeUnregistered(ZubBase* o);
    [[gnu::cold, gnu::noinline]] ZubBase* unknownObject(int32_t uid);
    bool bFailed = false;
    bool bOutOfRoom = false;
    ErrorMode errorMode = ErrorMode::Fatal;
    WString error;
};

// ---------------------------------------------------------------------------
// The values' fast paths

namespace packet_detail {
// The encodings on a bare cursor, for the fast paths: the caller has made
// sure the largest encoding fits. The take functions read nothing and return
// false for what only the checked paths may judge (bad or out-of-range data).

inline uint8_t* putVarint(uint8_t* o, uint32_t x) {
    while (x >= 0x80) {
        *o++ = static_cast<uint8_t>(x | 0x80);
        x >>= 7;
    }
    *o++ = static_cast<uint8_t>(x);
    return o;
}

// Up to 5 bytes.
inline bool takeVarint(const uint8_t*& in, uint32_t& x) {
    uint32_t r = in[0];
    if (in[0] < 0x80) {
        in += 1;
    } else if (r = (r & 0x7F) | (static_cast<uint32_t>(in[1]) << 7); in[1] < 0x80) {
        in += 2;
    } else if (r = (r & 0x3FFF) | (static_cast<uint32_t>(in[2]) << 14); in[2] < 0x80) {
        in += 3;
    } else if (r = (r & 0x1FFFFF) | (static_cast<uint32_t>(in[3]) << 21); in[3] < 0x80) {
        in += 4;
    } else if (in[4] < 0x10) {  // more would pass 32 bits or 5 bytes
        r = (r & 0xFFFFFFF) | (static_cast<uint32_t>(in[4]) << 28);
        in += 5;
    } else {
        return false;
    }
    x = r;
    return true;
}

// Signed: one byte of sign and six low bits (bit 7: more follow), then the
// rest as a variable-length number. Up to 5 bytes written, 6 read.
inline uint8_t* putInt(uint8_t* o, int32_t v) {
    const int32_t c = v == INT32_MIN ? -INT32_MAX : v;  // -2^31 has no encoding
    const uint32_t m = static_cast<uint32_t>(c < 0 ? -c : c);
    const uint32_t rest = m >> 6;
    *o++ = static_cast<uint8_t>((m & 0x3F) | (c < 0 ? 0x40 : 0) | (rest ? 0x80 : 0));
    return rest ? putVarint(o, rest) : o;
}

inline bool takeInt(const uint8_t*& in, int32_t& v) {
    const uint8_t* at = in;
    const uint8_t b0 = *at++;
    uint32_t m = b0 & 0x3Fu;
    if (b0 & 0x80) {
        uint32_t rest;
        if (!takeVarint(at, rest) || rest > (0x7FFFFFFFu >> 6)) return false;
        m |= rest << 6;
    }
    const uint32_t negative = 0u - ((b0 >> 6) & 1u);  // all ones when negative
    v = static_cast<int32_t>((m ^ negative) - negative);
    in = at;
    return true;
}

// Floats travel as 16 bits: sign, a 5-bit exponent biased by 15 (clamped to
// the range it can hold) and the top 10 bits of the mantissa; NaN and zero
// are 0.
inline uint16_t floatToHalf(float v) {
    // Without branches on the value: the magnitude clamped into [3.1e-5,
    // 130000] has a float exponent of 112 to 143, which less 112 is the
    // 5-bit one; the sign comes from the sign bit; NaN and zero give 0.
    uint32_t in;
    std::memcpy(&in, &v, 4);
    const float a = std::fabs(v);
    const float m = std::min(std::max(a, 3.1e-5f), 130000.0f);
    uint32_t bits;
    std::memcpy(&bits, &m, 4);
    const uint32_t h = ((in >> 16) & 0x8000u) | ((bits >> 13) - (112u << 10));
    return static_cast<uint16_t>(a > 0.0f ? h : 0u);  // false for NaN
}

inline float halfToFloat(uint16_t w) {
    // The exponent and mantissa move up into place and the exponent gains
    // 112 (it stays below 256, so nothing carries into the sign).
    const uint32_t bits =
        (static_cast<uint32_t>(w & 0x8000u) << 16) | ((static_cast<uint32_t>(w & 0x7FFFu) << 13) + (112u << 23));
    float f;
    std::memcpy(&f, &bits, 4);
    return w != 0 ? f : 0.0f;
}

inline uint8_t* putHalf(uint8_t* o, float v) {
    const uint16_t w = floatToHalf(v);
    o[0] = static_cast<uint8_t>(w);
    o[1] = static_cast<uint8_t>(w >> 8);
    return o + 2;
}

inline float takeHalf(const uint8_t*& in) {
    const float f = halfToFloat(static_cast<uint16_t>(in[0] | (in[1] << 8)));
    in += 2;
    return f;
}

inline uint8_t* put32(uint8_t* o, uint32_t v) {
    o[0] = static_cast<uint8_t>(v);
    o[1] = static_cast<uint8_t>(v >> 8);
    o[2] = static_cast<uint8_t>(v >> 16);
    o[3] = static_cast<uint8_t>(v >> 24);
    return o + 4;
}

inline uint32_t take32(const uint8_t*& in) {
    const uint32_t v = in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
    in += 4;
    return v;
}

// Doubles travel as 32-bit floats. Timers and positions are used as numbers
// and indices downstream: a non-finite value read never reaches them.
inline uint8_t* putDouble(uint8_t* o, double v) {
    const float f = static_cast<float>(v);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return put32(o, bits);
}

inline double takeDouble(const uint8_t*& in) {
    const uint32_t bits = take32(in);
    float f;
    std::memcpy(&f, &bits, 4);
    return (bits & 0x7F800000u) != 0x7F800000u ? f : 0.0;  // not infinite, not NaN
}
}  // namespace packet_detail

inline void Packet::doUInt(uint32_t& v) {
    const uint8_t* in = cursor;
    if (!room(5)) checkedUInt(v);
    else if (bWriting) cursor = packet_detail::putVarint(cursor, v);
    else if (packet_detail::takeVarint(in, v)) cursor += in - cursor;
    else checkedUInt(v);
}

inline void Packet::doUInt(int32_t& v) {
    const uint8_t* in = cursor;
    uint32_t u;
    if (!room(5)) {
        checkedUInt(v);
    } else if (bWriting) {
        if (v >= 0) cursor = packet_detail::putVarint(cursor, static_cast<uint32_t>(v));
        else checkedUInt(v);
    } else if (packet_detail::takeVarint(in, u) && u <= 0x7FFFFFFFu) {
        v = static_cast<int32_t>(u);
        cursor += in - cursor;
    } else {
        checkedUInt(v);
    }
}

inline void Packet::doInt(int32_t& v) {
    const uint8_t* in = cursor;
    if (!room(6)) checkedInt(v);
    else if (bWriting) cursor = packet_detail::putInt(cursor, v);
    else if (packet_detail::takeInt(in, v)) cursor += in - cursor;
    else checkedInt(v);
}

inline void Packet::doDWORD(uint32_t& v) {
    const uint8_t* in = cursor;
    if (!room(4)) {
        checkedDWORD(v);
    } else if (bWriting) {
        cursor = packet_detail::put32(cursor, v);
    } else {
        v = packet_detail::take32(in);
        cursor += 4;
    }
}

inline void Packet::doFloat16(float& v) {
    const uint8_t* in = cursor;
    if (!room(2)) {
        checkedFloat16(v);
    } else if (bWriting) {
        cursor = packet_detail::putHalf(cursor, v);
    } else {
        v = packet_detail::takeHalf(in);
        cursor += 2;
    }
}

inline void Packet::doDouble(double& v) {
    const uint8_t* in = cursor;
    if (!room(4)) {
        checkedDouble(v);
    } else if (bWriting) {
        cursor = packet_detail::putDouble(cursor, v);
    } else {
        v = packet_detail::takeDouble(in);
        cursor += 4;
    }
}

inline void Packet::doUString(WString& s, int maxLength) {
    // Text: the number of bytes, then each UTF-16 unit as UTF-8 on its own
    // (1 to 3 bytes), every byte XORed with STRING_KEY. Inline: ASCII text
    // of fewer than 128 units, within the limit.
    if (bWriting) {
        const size_t units = s.size();
        if (units < 0x80 && room(static_cast<int>(units) + 1) &&
            (maxLength < 0 || units <= static_cast<size_t>(maxLength))) {
            const char16_t* in = s.data();
            uint8_t* out = cursor + 1;
            char16_t all = 0;
            for (size_t i = 0; i < units; ++i) {
                all |= in[i];
                out[i] = static_cast<uint8_t>(in[i]) ^ STRING_KEY;
            }
            if (all < 0x80) {
                *cursor = static_cast<uint8_t>(units);
                cursor = out + units;
                return;
            }
        }
    } else if (room(1) && *cursor < 0x80) {
        const int n = *cursor;
        if (room(n + 1) && (maxLength < 0 || n <= maxLength)) {
            const uint8_t* in = cursor + 1;
            bool ascii = true;
            for (int i = 0; i < n; ++i) ascii &= static_cast<uint8_t>((in[i] ^ STRING_KEY) - 1) < 0x7F;  // 1..127
            if (ascii) {
                if (s.size() != static_cast<size_t>(n)) s.resize(n);
                char16_t* out = s.data();
                for (int i = 0; i < n; ++i) out[i] = static_cast<char16_t>(in[i] ^ STRING_KEY);
                cursor += n + 1;
                return;
            }
        }
    }
    checkedUString(s, maxLength);
}

inline void Packet::doClassID(const RuntimeClass*& c) {
    // The usual case inline: a class of the built class array into a packet
    // that numbers classes by their index.
    if (bWriting && c && c->index >= 0 && !(flags & FLAG_RAW_CLASSES) && RuntimeClassManager::getInstance().bBuilt) {
        uint32_t index = static_cast<uint32_t>(c->index);
        doUInt(index);
        return;
    }
    checkedClassID(c);
}

inline void Packet::doBit(uint8_t& byte, int bit) {
    if (bit < 0 || bit > 7) return;
    uint8_t* bb = takeBitByte();
    if (!bb) {
        if (!bWriting) byte = static_cast<uint8_t>(byte & ~(1u << bit));
        return;
    }
    if (bWriting) {
        if (byte & (1u << bit)) *bb |= bitMask;
    } else {
        if (*bb & bitMask) byte = static_cast<uint8_t>(byte | (1u << bit));
        else byte = static_cast<uint8_t>(byte & ~(1u << bit));
    }
}

inline void Packet::doBits(uint8_t& byte, int count) {
    if (count > 8) count = 8;
    // Bits that fit in the current bit byte go in or out together.
    if (count > 0 && bitByte && bitMask != 0 && (bitMask << count) <= 0x80 && !bFailed) {
        const uint8_t mask = static_cast<uint8_t>((1u << count) - 1u);
        const int shift = std::countr_zero(static_cast<unsigned>(bitMask)) + 1;
        if (bWriting) *bitByte |= static_cast<uint8_t>((byte & mask) << shift);
        else byte = static_cast<uint8_t>((byte & ~mask) | ((*bitByte >> shift) & mask));
        bitMask = static_cast<uint8_t>(bitMask << count);
        bitIndex += count;
        return;
    }
    for (int i = 0; i < count; ++i) doBit(byte, i);
}

inline void Packet::doBool(bool& v) {
    uint8_t b = v ? 1 : 0;
    doBit(b, 0);
    if (!bWriting) v = (b & 1) != 0;
}

inline void Packet::doBool(uint8_t& v) {
    uint8_t b = v ? 1 : 0;
    doBit(b, 0);
    if (!bWriting) v = b & 1;
}

// A packet whose object references are numbered within the packet, so that an
// object and everything hanging from it are written in one piece and read back
// as a new set of objects (the editor's duplicate).
class ObjectPacket : public Packet {
public:
    static constexpr int COPY_CAPACITY = 0x100000;
    explicit ObjectPacket(uint32_t flags = FLAG_RAW_POINTERS | FLAG_RAW_CLASSES, int capacity = COPY_CAPACITY)
        : Packet(flags, capacity) {
        bOwnObjectReferences = true;
    }
    bool doPointer2(ZubBase*& o) override { return doObject(o); }
    // Writes or reads one object. When reading fails part way, every object
    // made by the failed call is freed and the result is null.
    bool doObject(ZubBase*& o);

    uint32_t nextIndex = 1;

private:
    bool readObject(ZubBase*& o);
    std::vector<ZubBase*> made;  // objects made by the outermost read in progress
    std::unordered_map<const ZubBase*, uint32_t> objectNumbers;
    std::unordered_map<uint32_t, ZubBase*> objectsByNumber;
};
