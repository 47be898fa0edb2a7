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
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "net/NetAddress.h"
#include "object/ZubBase.h"
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
    ~Packet() override;

    // --- values -------------------------------------------------------------
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
    void doClassID(const RuntimeClass*& c);
    void doPointer(ZubBase*& o);
    // An object reference that is not a raw pointer; true when not null.
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
    bool atEnd() const { return cursor >= buffer + size; }
    const uint8_t* data() const { return buffer; }

    // --- errors ----------------------------------------------------------------
    enum class ErrorMode { Fatal, Report };
    // Packets from peers: errors are recorded, never fatal.
    void setFromPeer() { errorMode = ErrorMode::Report; }
    void setErrorMode(ErrorMode m) { errorMode = m; }
    ErrorMode getErrorMode() const { return errorMode; }
    bool failed() const { return bFailed; }
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
    uint8_t* takeBitByte();    // the current bit byte, starting a new one when needed

    uint8_t* bitByte = nullptr;
    uint8_t bitMask = 0;
    int bitIndex = 0;
    int capacity;
    int size;
    uint8_t* buffer = nullptr;
    uint8_t* cursor = nullptr;

private:
    bool readRaw(void* out, int n);
    void writeRaw(const void* in, int n);
    bool bFailed = false;
    ErrorMode errorMode = ErrorMode::Fatal;
    WString error;
};

// A packet whose object references are numbered within the packet, so that an
// object and everything hanging from it are written in one piece and read back
// as a new set of objects (the editor's duplicate).
class ObjectPacket : public Packet {
public:
    static constexpr int COPY_CAPACITY = 0x100000;
    explicit ObjectPacket(uint32_t flags = FLAG_RAW_POINTERS | FLAG_RAW_CLASSES, int capacity = COPY_CAPACITY)
        : Packet(flags, capacity) {}
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
