// Byte-exact encodings of the packet stream, its bit packing, strings, class
// ids, whole-packet operations, the safe reader and in-process object copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "net_test_support.h"
#include "object/RuntimeClass.h"
#include "util/WString.h"

using namespace nettest;

namespace {

template <class T, class Do>
Bytes writeOne(T v, Do op) {
    Packet p(0, 16);
    (p.*op)(v);
    return contentOf(p);
}

template <class T, class Do>
T readOne(const Bytes& b, Do op, bool* failed = nullptr) {
    auto p = readerOf(b, 0, true);
    T v = T(12345);
    ((*p).*op)(v);
    if (failed) *failed = p->failed();
    return v;
}

constexpr void (Packet::*kInt)(int32_t&) = &Packet::doInt;
constexpr void (Packet::*kUInt)(uint32_t&) = &Packet::doUInt;
constexpr void (Packet::*kHalf)(float&) = &Packet::doFloat16;

uint16_t halfWord(float v) {
    const Bytes b = writeOne<float>(v, kHalf);
    EXPECT_EQ(b.size(), 2u);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

float readHalf(uint16_t w) { return readOne<float>(bytes({w & 0xFF, w >> 8}), kHalf); }

}  // namespace

// ---------------------------------------------------------------------------
// Values

TEST(NetPacket, IntegersHaveTheirByteFormsAndRoundTrip) {
    const std::pair<int32_t, Bytes> ints[] = {{0, bytes({0x00})},
                                              {-1, bytes({0x41})},
                                              {63, bytes({0x3F})},
                                              {-63, bytes({0x7F})},
                                              {64, bytes({0x80, 0x01})},
                                              {-64, bytes({0xC0, 0x01})},
                                              {100, bytes({0xA4, 0x01})},
                                              {INT32_MAX, bytes({0xBF, 0xFF, 0xFF, 0xFF, 0x0F})},
                                              {-INT32_MAX, bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x0F})}};
    for (const auto& [v, b] : ints) {
        EXPECT_EQ(writeOne<int32_t>(v, kInt), b) << v;
        EXPECT_EQ(readOne<int32_t>(b, kInt), v);
    }
    EXPECT_EQ(readOne<int32_t>(bytes({0x40}), kInt), 0);  // minus zero
    const std::pair<uint32_t, Bytes> uints[] = {{0, bytes({0x00})},
                                                {127, bytes({0x7F})},
                                                {128, bytes({0x80, 0x01})},
                                                {300, bytes({0xAC, 0x02})},
                                                {0x7FFFFFFFu, bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x07})}};
    for (const auto& [v, b] : uints) {
        EXPECT_EQ(writeOne<uint32_t>(v, kUInt), b) << v;
        EXPECT_EQ(readOne<uint32_t>(b, kUInt), v);
    }
    // The lengths grow at each 7-bit boundary (6 bits first when signed).
    auto groups = [](uint32_t m, int first) {
        size_t n = 1;
        for (uint32_t limit = 1u << first; m >= limit && n < 5; limit <<= 7) ++n;
        return n;
    };
    for (int s = 0; s < 31; ++s) {
        for (int32_t v : {(1 << s) - 1, 1 << s, -(1 << s)}) {
            const Bytes b = writeOne<int32_t>(v, kInt);
            EXPECT_EQ(b.size(), groups(static_cast<uint32_t>(v < 0 ? -static_cast<int64_t>(v) : v), 6)) << v;
            ASSERT_EQ(readOne<int32_t>(b, kInt), v) << hex(b);
        }
        const uint32_t u = 1u << s;
        const Bytes c = writeOne<uint32_t>(u, kUInt);
        EXPECT_EQ(c.size(), groups(u, 7)) << u;
        ASSERT_EQ(readOne<uint32_t>(c, kUInt), u);
    }
    // The signed form of doUInt takes the same bytes and stops below 2^31.
    Packet p(0, 8);
    int32_t v = 300;
    p.doUInt(v);
    EXPECT_EQ(contentOf(p), bytes({0xAC, 0x02}));
    auto r = readerOf(bytes({0x80, 0x80, 0x80, 0x80, 0x08}), 0, true);
    r->doUInt(v);
    EXPECT_TRUE(r->failed());
    EXPECT_EQ(v, 0);
    // Raw words are little-endian.
    uint32_t w = 0xFEFDFCFBu;
    Packet d(0, 4);
    d.doDWORD(w);
    EXPECT_EQ(contentOf(d), bytes({0xFB, 0xFC, 0xFD, 0xFE}));
}

TEST(NetPacket, HalfFloatsAndSingles) {
    const std::pair<float, uint16_t> forms[] = {{1.0f, 0x3C00},      {-2.5f, 0xC100},     {0.1f, 0x2E66},
                                                {0.00001f, 0x0010},  {200000.0f, 0x7FEF}, {-200000.0f, 0xFFEF},
                                                {-0.00001f, 0x8010}, {0.0f, 0x0000},      {-0.0f, 0x0000},
                                                {1e-30f, 0x0010},    {1e30f, 0x7FEF},     {130000.0f, 0x7FEF}};
    for (const auto& [f, w] : forms) EXPECT_EQ(halfWord(f), w) << f;
    EXPECT_EQ(writeOne<float>(1.0f, kHalf), bytes({0x00, 0x3C}));
    EXPECT_EQ(readHalf(0x2E66), 0.0999755859375f);
    EXPECT_NEAR(readHalf(0x0010), 3.0994e-5f, 1e-9f);
    EXPECT_EQ(readHalf(0x7FEF), 129984.0f);
    EXPECT_EQ(readHalf(0x0000), 0.0f);
    EXPECT_EQ(readHalf(halfWord(4001.0f)), 4000.0f);  // truncated, not rounded
    // Every word reads as a normal number; inside the writable magnitudes
    // writing it again gives the word back.
    for (uint32_t w = 1; w < 0x10000; ++w) {
        const float f = readHalf(static_cast<uint16_t>(w));
        ASSERT_TRUE(std::isnormal(f)) << w;
        const uint32_t magnitude = w & 0x7FFF;
        if (magnitude >= 0x0010 && magnitude <= 0x7FEF) {
            ASSERT_EQ(halfWord(f), w) << w;
        }
    }
    EXPECT_EQ(readHalf(0x8000), -std::ldexp(1.0f, -15));
    // doDouble carries a 4-byte single.
    Packet p(0, 8);
    double a = 1.5, b = 0.1;
    p.doDouble(a);
    p.doDouble(b);
    EXPECT_EQ(contentOf(p), bytes({0x00, 0x00, 0xC0, 0x3F, 0xCD, 0xCC, 0xCC, 0x3D}));
    auto r = readerOf(p);
    r->doDouble(a);
    r->doDouble(b);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, static_cast<double>(0.1f));
}

TEST(NetPacket, BitsShareBitBytesOpenedAtTheCursor) {
    {
        Packet p(0, 8);
        uint8_t five = 5;
        int32_t i = 5;
        bool t = true;
        p.doBits(five, 3);
        p.doInt(i);
        p.doBool(t);
        EXPECT_EQ(contentOf(p), bytes({0x0D, 0x05}));
        auto r = readerOf(p);
        uint8_t b = 0xF0;
        r->doBits(b, 3);
        EXPECT_EQ(b, 0xF5);  // the other bits of the value are kept
    }
    // The ninth bit opens a second bit byte where the cursor is then.
    const bool values[9] = {true, false, true, true, false, false, true, true, true};
    Packet p(0, 16);
    int32_t a = 100, b = 5, c = 7;
    bool v0 = values[0];
    p.doBool(v0);
    p.doInt(a);
    for (int k = 1; k < 8; ++k) {
        bool v = values[k];
        p.doBool(v);
    }
    p.doInt(b);
    bool v8 = values[8];
    p.doBool(v8);
    p.doInt(c);
    EXPECT_EQ(contentOf(p), bytes({0xCD, 0xA4, 0x01, 0x05, 0x01, 0x07})) << hex(contentOf(p));
    // doBit takes one bit of a byte; zero or negative counts write nothing.
    Packet q(0, 8);
    uint8_t hi = 0x80, none = 0xFF, w = 0x02;
    q.doBit(hi, 7);
    q.doBits(none, 0);
    q.doBits(none, -3);
    q.doBit(w, 0);
    q.doBit(w, 1);
    EXPECT_EQ(contentOf(q), bytes({0x05}));
    // After reset the next bit opens a new bit byte.
    q.reset();
    int32_t three = 3;
    bool t = true;
    q.doInt(three);
    q.doBool(t);
    EXPECT_EQ(contentOf(q), bytes({0x03, 0x01}));
}

TEST(NetPacket, StringsAreXoredUtf8ByUnit) {
    Packet p(0, 64);
    WString name = u"Tumbrodemo", empty, mixed = u"A\u00E9\u20AC", astral = u"x\U0001F600y", zero(u"ab\0cd", 5);
    p.doUString(name);
    EXPECT_EQ(contentOf(p), bytes({0x0A, 0x69, 0x48, 0x50, 0x5F, 0x4F, 0x52, 0x59, 0x58, 0x50, 0x52}));
    p.reset();
    p.doUString(empty);
    p.doUString(mixed);
    EXPECT_EQ(contentOf(p),
              bytes({0x00, 0x06, 0x41 ^ 0x3D, 0xC3 ^ 0x3D, 0xA9 ^ 0x3D, 0xE2 ^ 0x3D, 0x82 ^ 0x3D, 0xAC ^ 0x3D}));
    p.reset();
    p.doUString(astral);  // each surrogate as its own 3-byte sequence
    EXPECT_EQ(p.data()[0], 8);
    p.doUString(zero);
    int32_t after = 42;
    p.doInt(after);
    auto r = readerOf(p);
    WString a, b;
    r->doUString(a);
    r->doUString(b);
    r->doInt(after);
    EXPECT_EQ(a, astral);
    EXPECT_EQ(b, u"ab");  // an embedded zero cuts the text, not the stream
    EXPECT_EQ(after, 42);
}

TEST(NetPacket, StringLimits) {
    // 1,023 bytes are the most a text may take, in any script.
    Packet p(0, 4096);
    WString ascii(1023, u'k'), euros(341, u'\u20AC');
    p.doUString(ascii);
    p.doUString(euros);
    ASSERT_FALSE(p.failed());
    EXPECT_EQ(p.length(), 2 + 1023 + 2 + 1023);
    auto r = readerOf(p, true);
    WString ra, rb;
    r->doUString(ra);
    r->doUString(rb);
    EXPECT_EQ(ra, ascii);
    EXPECT_EQ(rb, euros);
    // A peer's count of 1,024, or beyond its bytes, fails and yields nothing.
    for (Bytes b : {bytes({0x80, 0x08}), bytes({0x05, 0x41, 0x42})}) {
        if (b.size() == 2) b.resize(2 + 1024, 'k' ^ 0x3D);
        auto q = readerOf(b, 0, true);
        WString s = u"old";
        q->doUString(s);
        EXPECT_TRUE(q->failed());
        EXPECT_TRUE(s.empty());
        EXPECT_LE(q->position(), static_cast<int>(b.size()));
    }
    // The character limit counts characters; a writer does not write what
    // every reader refuses.
    Packet m(0, 64);
    m.setFromPeer();
    WString hello = u"hello", twoEuros = u"\u20AC\u20AC";
    m.doUString(hello, 4);
    EXPECT_TRUE(m.failed());
    EXPECT_EQ(m.length(), 0);
    m.clearError();
    m.doUString(hello, 5);
    m.doUString(hello);
    m.doUString(twoEuros);
    auto mr = readerOf(m, true);
    WString x, y, z;
    mr->doUString(x, 5);
    mr->doUString(z, 4);
    EXPECT_EQ(x, u"hello");
    EXPECT_TRUE(mr->failed());
    EXPECT_TRUE(z.empty());
    auto er = readerOf(m, true);
    er->doUString(x);
    er->doUString(x);
    er->doUString(y, 2);
    EXPECT_FALSE(er->failed());
    EXPECT_EQ(y, twoEuros);
}

TEST(NetPacketDeathTest, StringLimitsAreFatalWhenTrusted) {
    EXPECT_EXIT(
        {
            Packet p(0, 4096);
            WString s = WString(341, u'\u20AC') + u"x";
            p.doUString(s);
        },
        ::testing::ExitedWithCode(255), "length < BUFFERSIZE");
    Bytes big = bytes({0x80, 0x08});
    big.resize(2 + 1024, 'k' ^ 0x3D);
    EXPECT_EXIT(
        {
            WString s;
            readerOf(big)->doUString(s);
        },
        ::testing::ExitedWithCode(255), "length < BUFFERSIZE");
    EXPECT_EXIT(
        {
            WString s;
            readerOf(bytes({0x05, 0x55, 0x58, 0x51, 0x51, 0x52}))->doUString(s, 4);
        },
        ::testing::ExitedWithCode(255), "data->length\\(\\) <= maxLength");
}

TEST(NetPacket, ClassIdsRawWithFlag4AndAsIndicesWithout) {
    const RuntimeClass* c = &RPCNetDelete::classRecord;
    Packet raw(Packet::FLAG_RAW_CLASSES, 16);
    raw.doClassID(c);
    EXPECT_EQ(contentOf(raw), bytes({0x3A, 0xEF, 0x72, 0x44}));
    const auto& array = RuntimeClassManager::getInstance().classArray;
    for (size_t i = 0; i < array.size(); ++i) {
        Packet p(Packet::FLAG_NETWORK, 16);
        const RuntimeClass* k = array[i];
        p.doClassID(k);
        ASSERT_EQ(contentOf(p), writeOne<uint32_t>(static_cast<uint32_t>(i), kUInt)) << i;
        const RuntimeClass* back = nullptr;
        readerOf(p)->doClassID(back);
        ASSERT_EQ(back, array[i]);
        // The array is sorted by id, so indices agree between processes of a build.
        if (i) {
            EXPECT_LT(array[i - 1]->classId, array[i]->classId);
        }
    }
    // An unknown id or index from a peer fails.
    const Bytes unknownIndex = writeOne<uint32_t>(static_cast<uint32_t>(array.size()), kUInt);
    for (const auto& [b, flags] : {std::pair{bytes({0x01, 0x00, 0x00, 0x00}), 4u}, std::pair{unknownIndex, 1u}}) {
        auto r = readerOf(b, flags, true);
        const RuntimeClass* k = &ZubBase::classRecord;
        r->doClassID(k);
        EXPECT_TRUE(r->failed());
        EXPECT_EQ(k, nullptr);
    }
}

TEST(NetPacket, SpawnThenCallIsFourBytesFromTheRolesWriters) {
    // A spawn of a class and a call without arguments aimed at UID 12.
    RoleGuard role;
    role->outgoing->reset();
    NetProbe* o = new NetProbe;
    role->queueSpawn(o);
    ZubBase target;
    target.objectUID = 12;
    RPCPostReplicate rpc;
    rpc.target = &target;
    role->sendRPC(&rpc);
    const int spawnIndex = NetProbe::classRecord.index;
    const int rpcIndex = RPCPostReplicate::classRecord.index;
    ASSERT_LT(spawnIndex, 128);
    ASSERT_LT(rpcIndex, 128);
    EXPECT_EQ(contentOf(*role->outgoing), bytes({0x0C, spawnIndex, rpcIndex, 0x0C}));
    target.objectUID = -1;
    delete o;
}

// ---------------------------------------------------------------------------
// Whole packets

TEST(NetPacket, Crc32) {
    Packet p(0, 16);
    p.writeBytes("123456789", 9);
    EXPECT_EQ(p.crc32(0, 9), 0xCBF43926u);
    EXPECT_EQ(p.crc32(0, -1), 0xCBF43926u);
    EXPECT_EQ(p.crc32(3, 0), 0u);
    Packet q(0, 16);
    q.writeBytes("456789", 6);
    EXPECT_EQ(p.crc32(3, 6), q.crc32(0, 6));
    EXPECT_EQ(readerOf(p)->crc32(0, -1), 0xCBF43926u);
}

TEST(NetPacket, ExtractAndConcat) {
    Packet p(0, 16);
    for (int i = 0; i < 10; ++i) {
        uint8_t b = static_cast<uint8_t>(0x10 + i);
        p.writeBytes(&b, 1);
    }
    p.sequence = 5;
    p.rewindToRead();
    int32_t skip = 0;
    p.doUInt(skip);
    p.doUInt(skip);
    auto e = p.extract(5);
    EXPECT_FALSE(e->bWriting);
    EXPECT_EQ(e->position(), 0);
    EXPECT_EQ(e->sequence, 5);
    EXPECT_EQ(contentOf(*e), bytes({0x12, 0x13, 0x14, 0x15, 0x16}));
    EXPECT_EQ(p.position(), 7);
    // Past the end of a peer's packet: an empty packet and the error.
    p.setFromPeer();
    EXPECT_EQ(p.extract(4)->length(), 0);
    EXPECT_TRUE(p.failed());

    Packet header(Packet::FLAG_NETWORK, 8);
    header.writeBytes("\x01\x02\x03", 3);
    header.time = 3.0;
    auto c = header.concat(*e, 2, 3);
    EXPECT_TRUE(c->bWriting);
    EXPECT_EQ(c->time, 3.0);
    EXPECT_EQ(contentOf(*c), bytes({0x01, 0x02, 0x03, 0x14, 0x15, 0x16}));
    c->setFromPeer();
    c->writeBytes("x", 1);  // sized exactly: nothing more fits
    EXPECT_TRUE(c->failed());
}

// ---------------------------------------------------------------------------
// The safe reader

namespace {

// A packet of every kind of value; the reader below mirrors it.
void sample(Packet& p) {
    int32_t a = -5000, b = 70000;
    uint32_t u = 0x12345, dw = 0xDEADBEEFu;
    float f = 2.5f;
    double d = 0.25;
    bool t = true;
    uint8_t bits = 6;
    WString s = u"hello \u20AC";
    const RuntimeClass* c = &RPCSetRandomSeed::classRecord;
    if (!p.bWriting) {
        a = b = 1;
        u = dw = 1;
        f = 1;
        d = 1;
        t = false;
        bits = 0;
        s.clear();
        c = nullptr;
    }
    p.doInt(a);
    p.doBool(t);
    p.doUInt(u);
    p.doFloat16(f);
    p.doBits(bits, 3);
    p.doUString(s);
    p.doDouble(d);
    p.doClassID(c);
    p.doDWORD(dw);
    p.doInt(b);
    if (p.bWriting) return;
    if (!p.failed()) {
        EXPECT_EQ(a, -5000);
        EXPECT_EQ(b, 70000);
        EXPECT_EQ(u, 0x12345u);
        EXPECT_EQ(f, 2.5f);
        EXPECT_EQ(d, 0.25);
        EXPECT_TRUE(t);
        EXPECT_EQ(bits, 6);
        EXPECT_EQ(dw, 0xDEADBEEFu);
        EXPECT_EQ(s, u"hello \u20AC");
        EXPECT_EQ(c, &RPCSetRandomSeed::classRecord);
    } else {
        EXPECT_EQ(b, 0);  // whatever failed yields zeros from then on
    }
}

}  // namespace

TEST(NetPacketSafeReader, EveryTruncationFailsWithoutTouchingOutsideMemory) {
    for (uint32_t flags : {0u, static_cast<uint32_t>(Packet::FLAG_RAW_CLASSES)}) {
        Packet p(flags, 256);
        sample(p);
        const Bytes full = contentOf(p);
        auto whole = readerOf(full, flags, true);
        sample(*whole);
        EXPECT_FALSE(whole->failed());
        EXPECT_TRUE(whole->atEnd());
        for (size_t n = 0; n < full.size(); ++n) {
            // Exactly n bytes on the heap, so that any over-read is caught.
            auto r = readerOf(Bytes(full.begin(), full.begin() + n), flags, true);
            sample(*r);
            EXPECT_TRUE(r->failed()) << "length " << n;
            EXPECT_LE(r->position(), static_cast<int>(n));
        }
    }
}

TEST(NetPacketSafeReader, OverlongOrOutOfRangeVarintsFail) {
    const Bytes unsignedCases[] = {bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x01}),
                                   bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x00}),  // six bytes for zero
                                   bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x7F})};       // past 32 bits
    for (const Bytes& b : unsignedCases) {
        bool failed = false;
        EXPECT_EQ(readOne<uint32_t>(b, kUInt, &failed), 0u) << hex(b);
        EXPECT_TRUE(failed) << hex(b);
    }
    const Bytes signedCases[] = {bytes({0xC0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}),
                                 bytes({0xC1, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}),
                                 bytes({0xC0, 0x80, 0x80, 0x80, 0x10})};  // a magnitude of 2^31
    for (const Bytes& b : signedCases) {
        bool failed = false;
        EXPECT_EQ(readOne<int32_t>(b, kInt, &failed), 0) << hex(b);
        EXPECT_TRUE(failed) << hex(b);
    }
}

TEST(NetPacketSafeReader, ReadsAfterFailureYieldZeroAndStayPut) {
    auto r = readerOf(bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05}), 0, true);
    uint32_t u = 1;
    r->doUInt(u);
    ASSERT_TRUE(r->failed());
    const int pos = r->position();
    int32_t i = 1;
    float f = 1;
    bool b = true;
    uint8_t bits = 0xFF;
    WString s = u"x";
    const RuntimeClass* c = &ZubBase::classRecord;
    r->doInt(i);
    r->doFloat16(f);
    r->doBool(b);
    r->doBits(bits, 8);
    r->doUString(s);
    r->doClassID(c);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f, 0.0f);
    EXPECT_FALSE(b);
    EXPECT_EQ(bits, 0);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(r->position(), pos);
    // A bit byte needed at the very end fails too.
    auto e = readerOf(bytes({0x05}), 0, true);
    e->doInt(i);
    e->doBool(b);
    EXPECT_TRUE(e->failed());
}

TEST(NetPacketSafeReader, WritePastCapacityFailsFromAPeer) {
    Packet p(0, 3);
    p.setFromPeer();
    int32_t v = 1 << 20;  // 4 bytes
    p.doInt(v);
    EXPECT_TRUE(p.failed());
    EXPECT_LE(p.length(), 3);
    // A nine-bit run needs a second bit byte that does not fit either.
    Packet q(0, 1);
    q.setFromPeer();
    for (int k = 0; k < 9; ++k) {
        bool t = true;
        q.doBool(t);
    }
    EXPECT_TRUE(q.failed());
    EXPECT_EQ(q.length(), 1);
}

TEST(NetPacketSafeReader, PointerToAnUnknownUidFailsFromAPeer) {
    RoleGuard role;
    auto r = readerOf(bytes({0x2A}), Packet::FLAG_NETWORK, true);
    ZubBase* o = &*role;
    EXPECT_FALSE(r->doPointer2(o));
    EXPECT_EQ(o, nullptr);
    EXPECT_TRUE(r->failed());
}

TEST(NetPacketSafeReaderDeathTest, TrustedPacketsEndTheProgramWithTheReason) {
    EXPECT_EXIT(
        {
            Packet p(0, 3);
            int32_t v = 1 << 20;
            p.doInt(v);
        },
        ::testing::ExitedWithCode(255), "cursor \\+ n <= buffer \\+ capacity");
    EXPECT_EXIT(
        {
            const RuntimeClass* c = nullptr;
            readerOf(bytes({0x01, 0x00, 0x00, 0x00}), Packet::FLAG_RAW_CLASSES)->doClassID(c);
        },
        ::testing::ExitedWithCode(255), "\\*_class != NULL");
    EXPECT_EXIT(
        {
            RoleGuard role;
            ZubBase* o = nullptr;
            readerOf(bytes({0x2A}), Packet::FLAG_NETWORK)->doPointer2(o);
        },
        ::testing::ExitedWithCode(255), "Could not find object ID 42");
    EXPECT_EXIT(
        {
            Packet p(Packet::FLAG_NETWORK, 16);
            ZubBase o;
            ZubBase* ref = &o;
            p.doPointer2(ref);
        },
        ::testing::ExitedWithCode(255), "objectUID >= 0");
    EXPECT_EXIT(
        {
            Packet p(0, 16);
            p.rewindToRead();
            p.rewindToRead();
        },
        ::testing::ExitedWithCode(255), "bWriting");
}

// ---------------------------------------------------------------------------
// ObjectPacket: in-process copies

TEST(NetObjectPacket, SharedChildIsCopiedOnceAndRawPointersStay) {
    RoleGuard role;
    ZubBase outsideObject;
    NetProbe* parent = new NetProbe;
    NetProbe* child = new NetProbe;
    parent->addChild(child);
    parent->partner = child;
    parent->other = child;
    parent->outside = &outsideObject;
    parent->count = -17;
    child->count = 99;

    ObjectPacket op;
    EXPECT_EQ(op.flags, 6u);
    const int probesBefore = NetProbe::liveProbes;
    ZubBase* ref = parent;
    EXPECT_TRUE(op.doObject(ref));
    ZubBase* none = nullptr;
    EXPECT_FALSE(op.doObject(none));  // number 0
    op.rewindToRead();
    ZubBase* made = nullptr;
    ASSERT_TRUE(op.doObject(made));
    EXPECT_FALSE(op.doObject(none));
    EXPECT_TRUE(op.atEnd());
    ASSERT_EQ(made->getClass(), &NetProbe::classRecord);
    EXPECT_EQ(NetProbe::liveProbes, probesBefore + 2);
    NetProbe* copy = static_cast<NetProbe*>(made);
    EXPECT_EQ(copy->count, -17);
    ASSERT_NE(copy->partner, child);
    EXPECT_EQ(copy->partner, copy->other);
    EXPECT_EQ(copy->outside, &outsideObject);
    EXPECT_EQ(copy->firstChild, copy->partner);
    EXPECT_EQ(copy->countChildren(), 1);
    EXPECT_EQ(static_cast<NetProbe*>(copy->partner)->count, 99);
    // Unregistered originals give unregistered copies; the original is untouched.
    EXPECT_EQ(copy->objectUID, -1);
    EXPECT_EQ(parent->firstChild, child);
    deleteObject(copy);
    deleteObject(parent);
}

TEST(NetObjectPacket, RegisteredOriginalGivesACopyUnderANewUid) {
    RoleGuard role;
    NetProbe* o = new NetProbe;
    role->registerObject(o, 40);
    ObjectPacket op;
    ZubBase* ref = o;
    op.doObject(ref);
    op.rewindToRead();
    const int32_t next = role->nextObjectUID;
    ZubBase* made = nullptr;
    ASSERT_TRUE(op.doObject(made));
    EXPECT_EQ(made->objectUID, next);
    EXPECT_EQ(role->findObjectOrNull(next), made);
    EXPECT_EQ(static_cast<NetProbe*>(made)->postReplicateCount, 1);
    EXPECT_EQ(static_cast<NetProbe*>(made)->postReplicateGlobalCount, 1);
}

TEST(NetObjectPacket, TruncatedCopyLeavesNothingBehind) {
    RoleGuard role;
    NetProbe* parent = new NetProbe;
    NetProbe* child = new NetProbe;
    NetProbe* grandchild = new NetProbe;
    parent->addChild(child);
    child->addChild(grandchild);
    parent->partner = child;
    child->partner = grandchild;
    ObjectPacket op;
    ZubBase* ref = parent;
    op.doObject(ref);
    const Bytes full = contentOf(op);
    deleteObject(parent);
    for (size_t n = 1; n < full.size(); ++n) {
        const int before = NetProbe::liveProbes;
        ObjectPacket r(Packet::FLAG_RAW_POINTERS | Packet::FLAG_RAW_CLASSES, static_cast<int>(n));
        r.writeBytes(full.data(), static_cast<int>(n));
        r.rewindToRead();
        r.setFromPeer();
        ZubBase* made = nullptr;
        r.doObject(made);
        EXPECT_TRUE(r.failed()) << n;
        if (made && !made->parent) deleteObject(made);
        ASSERT_EQ(NetProbe::liveProbes, before) << "a copy cut after " << n << " bytes lost objects";
    }
}

TEST(NetPacket, APacketOverTheCallersBytesReadsThemWithoutWritingThere) {
    Packet w(Packet::FLAG_NETWORK, 64);
    int32_t a = -300, b = 7;
    uint32_t d = 0xA1B2C3D4u;
    WString s = u"skinName";
    w.doInt(a);
    w.doUInt(b);
    w.doDWORD(d);
    w.doUString(s);
    std::vector<uint8_t> bytes(w.data(), w.data() + w.length());
    const std::vector<uint8_t> kept = bytes;

    Packet r(Packet::FLAG_NETWORK, bytes.data(), static_cast<int>(bytes.size()));
    r.setErrorMode(Packet::ErrorMode::Report);
    EXPECT_EQ(r.data(), bytes.data());  // the caller's bytes, not a copy
    EXPECT_EQ(r.length(), static_cast<int>(bytes.size()));
    EXPECT_EQ(r.crc32(0, -1), w.crc32(0, -1));
    int32_t a2 = 0, b2 = 0;
    uint32_t d2 = 0;
    WString s2;
    r.doInt(a2);
    r.doUInt(b2);
    r.doDWORD(d2);
    r.doUString(s2);
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(s2, s);
    // Past the end it fails like any reader.
    int32_t more = 5;
    r.doInt(more);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(more, 0);

    // Made a writer again, it has no room: nothing reaches the bytes.
    r.reset();
    r.setErrorMode(Packet::ErrorMode::Report);
    int32_t x = 99;
    r.doInt(x);
    EXPECT_TRUE(r.failedForRoom());
    EXPECT_FALSE(r.writeBytes("zz", 2));
    EXPECT_EQ(bytes, kept);
}
