// Byte-exact encodings of the packet stream, its bit packing, strings, class
// ids, whole-packet operations, the safe reader and in-process object copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "net_test_support.h"
#include "object/RuntimeClass.h"
#include "util/WString.h"

using namespace nettest;

namespace {

Bytes writeInt(int32_t v) {
    Packet p(0, 16);
    p.doInt(v);
    return contentOf(p);
}

Bytes writeUInt(uint32_t v) {
    Packet p(0, 16);
    p.doUInt(v);
    return contentOf(p);
}

int32_t readInt(const Bytes& b, bool* failed = nullptr) {
    auto p = readerOf(b, 0, true);
    int32_t v = 12345;
    p->doInt(v);
    if (failed) *failed = p->failed();
    return v;
}

uint32_t readUInt(const Bytes& b, bool* failed = nullptr) {
    auto p = readerOf(b, 0, true);
    uint32_t v = 12345;
    p->doUInt(v);
    if (failed) *failed = p->failed();
    return v;
}

uint16_t halfWord(float v) {
    Packet p(0, 4);
    p.doFloat16(v);
    EXPECT_EQ(p.length(), 2);
    return static_cast<uint16_t>(p.data()[0] | (p.data()[1] << 8));
}

float readHalf(uint16_t w) {
    auto p = readerOf(bytes({w & 0xFF, w >> 8}));
    float f = -1.0f;
    p->doFloat16(f);
    EXPECT_FALSE(p->failed());
    return f;
}

const RuntimeClass* classAt(size_t index) {
    const auto& a = RuntimeClassManager::getInstance().classArray;
    return index < a.size() ? a[index] : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Integers

TEST(NetPacketInt, KnownByteForms) {
    EXPECT_EQ(writeInt(0), bytes({0x00}));
    EXPECT_EQ(writeInt(-1), bytes({0x41}));
    EXPECT_EQ(writeInt(63), bytes({0x3F}));
    EXPECT_EQ(writeInt(-63), bytes({0x7F}));
    EXPECT_EQ(writeInt(64), bytes({0x80, 0x01}));
    EXPECT_EQ(writeInt(-64), bytes({0xC0, 0x01}));
    EXPECT_EQ(writeInt(100), bytes({0xA4, 0x01}));
    EXPECT_EQ(readInt(bytes({0x40})), 0);
    EXPECT_EQ(readInt(bytes({0xC0, 0x01})), -64);
    EXPECT_EQ(readInt(bytes({0xA4, 0x01})), 100);
}

TEST(NetPacketInt, LengthGrowsAtEachBoundary) {
    struct Case {
        int32_t v;
        size_t len;
    } cases[] = {{63, 1},          {64, 2},         {(1 << 13) - 1, 2}, {1 << 13, 3},
                 {(1 << 20) - 1, 3}, {1 << 20, 4},   {(1 << 27) - 1, 4}, {1 << 27, 5},
                 {INT32_MAX, 5},   {-INT32_MAX, 5}, {-(1 << 13), 3}};
    for (const Case& c : cases) {
        const Bytes b = writeInt(c.v);
        EXPECT_EQ(b.size(), c.len) << c.v;
        bool failed = true;
        EXPECT_EQ(readInt(b, &failed), c.v) << hex(b);
        EXPECT_FALSE(failed);
    }
    EXPECT_EQ(writeInt(INT32_MAX), bytes({0xBF, 0xFF, 0xFF, 0xFF, 0x0F}));
    EXPECT_EQ(writeInt(-INT32_MAX), bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
}

TEST(NetPacketInt, RoundTripsAcrossTheRange) {
    Packet p(0, 1 << 16);
    std::vector<int32_t> values;
    for (int64_t v = -INT32_MAX; v <= INT32_MAX; v += 9876543) values.push_back(static_cast<int32_t>(v));
    for (int s = 0; s < 31; ++s) {
        values.push_back(1 << s);
        values.push_back(-(1 << s));
        values.push_back((1 << s) - 1);
    }
    for (int32_t v : values) p.doInt(v);
    auto r = readerOf(p);
    for (int32_t expected : values) {
        int32_t v = 0;
        r->doInt(v);
        ASSERT_EQ(v, expected);
    }
    EXPECT_TRUE(r->atEnd());
    EXPECT_FALSE(r->failed());
}

TEST(NetPacketUInt, KnownByteForms) {
    EXPECT_EQ(writeUInt(0), bytes({0x00}));
    EXPECT_EQ(writeUInt(127), bytes({0x7F}));
    EXPECT_EQ(writeUInt(128), bytes({0x80, 0x01}));
    EXPECT_EQ(writeUInt(300), bytes({0xAC, 0x02}));
    EXPECT_EQ(writeUInt(0x7FFFFFFFu), bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x07}));
    EXPECT_EQ(readUInt(bytes({0xAC, 0x02})), 300u);
    EXPECT_EQ(readUInt(bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x07})), 0x7FFFFFFFu);
    // The signed form takes the same bytes.
    Packet p(0, 8);
    int32_t v = 300;
    p.doUInt(v);
    EXPECT_EQ(contentOf(p), bytes({0xAC, 0x02}));
}

TEST(NetPacketUInt, LengthGrowsAtEachBoundary) {
    const uint32_t limits[] = {127, 128, (1u << 14) - 1, 1u << 14, (1u << 21) - 1, 1u << 21, (1u << 28) - 1, 1u << 28};
    const size_t lens[] = {1, 2, 2, 3, 3, 4, 4, 5};
    for (size_t i = 0; i < std::size(limits); ++i) {
        const Bytes b = writeUInt(limits[i]);
        EXPECT_EQ(b.size(), lens[i]) << limits[i];
        EXPECT_EQ(readUInt(b), limits[i]);
    }
}

TEST(NetPacketUInt, SignedFormRejectsValuesFromTwoToThe31) {
    auto p = readerOf(bytes({0x80, 0x80, 0x80, 0x80, 0x08}), 0, true);
    int32_t v = 7;
    p->doUInt(v);
    EXPECT_TRUE(p->failed());
    EXPECT_EQ(v, 0);
}

TEST(NetPacketDWORD, FourRawLittleEndianBytes) {
    Packet p(0, 8);
    uint32_t v = 0xFEFDFCFBu;
    p.doDWORD(v);
    EXPECT_EQ(contentOf(p), bytes({0xFB, 0xFC, 0xFD, 0xFE}));
    auto r = readerOf(p);
    uint32_t back = 0;
    r->doDWORD(back);
    EXPECT_EQ(back, 0xFEFDFCFBu);
}

// ---------------------------------------------------------------------------
// Floats

TEST(NetPacketFloat16, KnownByteForms) {
    EXPECT_EQ(halfWord(1.0f), 0x3C00);
    EXPECT_EQ(halfWord(-2.5f), 0xC100);
    EXPECT_EQ(halfWord(0.1f), 0x2E66);
    EXPECT_EQ(halfWord(0.00001f), 0x0010);
    EXPECT_EQ(halfWord(200000.0f), 0x7FEF);
    EXPECT_EQ(halfWord(-200000.0f), 0xFFEF);
    EXPECT_EQ(halfWord(-0.00001f), 0x8010);
    EXPECT_EQ(halfWord(0.0f), 0x0000);
    EXPECT_EQ(halfWord(-0.0f), 0x0000);

    EXPECT_EQ(readHalf(0x3C00), 1.0f);
    EXPECT_EQ(readHalf(0xC100), -2.5f);
    EXPECT_EQ(readHalf(0x2E66), 0.0999755859375f);
    EXPECT_NEAR(readHalf(0x0010), 3.0994e-5f, 1e-9f);
    EXPECT_EQ(readHalf(0x7FEF), 129984.0f);
    EXPECT_EQ(readHalf(0x0000), 0.0f);
}

TEST(NetPacketFloat16, ByteOrderIsLittleEndian) {
    Packet p(0, 4);
    float v = 1.0f;
    p.doFloat16(v);
    EXPECT_EQ(contentOf(p), bytes({0x00, 0x3C}));
}

TEST(NetPacketFloat16, ClampsIntoTheCodedRangeAndTruncates) {
    EXPECT_EQ(halfWord(1e-30f), 0x0010);
    EXPECT_EQ(halfWord(1e30f), 0x7FEF);
    EXPECT_EQ(halfWord(130000.0f), 0x7FEF);
    // The lower mantissa bits are dropped, not rounded.
    EXPECT_EQ(readHalf(halfWord(4001.0f)), 4000.0f);
    // Every written nonzero value reads back within the coded magnitudes.
    for (float v : {1e-20f, 3e-5f, 0.5f, 77.7f, 65504.0f, 1e9f}) {
        const float back = readHalf(halfWord(v));
        EXPECT_GE(back, 3.0994e-5f);
        EXPECT_LE(back, 129984.0f);
        const float neg = readHalf(halfWord(-v));
        EXPECT_EQ(neg, -back);
    }
}

TEST(NetPacketFloat16, EveryWordReadsAsANormalNumber) {
    for (uint32_t w = 1; w < 0x10000; ++w) {
        const float f = readHalf(static_cast<uint16_t>(w));
        ASSERT_TRUE(std::isnormal(f)) << w;
        // Inside the writable magnitudes, writing what was read gives the word back.
        const uint32_t magnitude = w & 0x7FFF;
        if (magnitude >= 0x0010 && magnitude <= 0x7FEF) {
            ASSERT_EQ(halfWord(f), w) << w;
        }
    }
    // The sign bit alone is not zero: the smallest negative magnitude.
    EXPECT_EQ(readHalf(0x8000), -std::ldexp(1.0f, -15));
}

TEST(NetPacketDouble, FourByteSingle) {
    Packet p(0, 8);
    double v = 1.5;
    p.doDouble(v);
    EXPECT_EQ(contentOf(p), bytes({0x00, 0x00, 0xC0, 0x3F}));
    double w = 0.1;
    p.doDouble(w);
    EXPECT_EQ(p.length(), 8);
    auto r = readerOf(p);
    double a = 0, b = 0;
    r->doDouble(a);
    r->doDouble(b);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, static_cast<double>(0.1f));
}

// ---------------------------------------------------------------------------
// Bits

TEST(NetPacketBits, BitsIntAndBoolShareOneBitByte) {
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
    int32_t j = 0;
    bool u = false;
    r->doBits(b, 3);
    r->doInt(j);
    r->doBool(u);
    EXPECT_EQ(b, 0xF5);  // the other bits of the value are kept
    EXPECT_EQ(j, 5);
    EXPECT_TRUE(u);
    EXPECT_TRUE(r->atEnd());
}

TEST(NetPacketBits, NineBoolsInARowTakeTwoBitBytes) {
    Packet p(0, 8);
    for (int k = 0; k < 9; ++k) {
        bool v = (k % 3) != 1;
        p.doBool(v);
    }
    // k = 0..7: 1,0,1,1,0,1,1,0 -> 0b01101101; k = 8: 1.
    EXPECT_EQ(contentOf(p), bytes({0x6D, 0x01}));
}

TEST(NetPacketBits, NinthBitOpensABitByteAtTheCursor) {
    const bool values[9] = {true, false, true, true, false, false, true, true, true};
    Packet p(0, 16);
    int32_t a = 100, b = 5, c = 7;
    bool v0 = values[0];
    p.doBool(v0);  // opens bit byte 1 at offset 0
    p.doInt(a);    // A4 01 at offsets 1-2
    for (int k = 1; k < 8; ++k) {
        bool v = values[k];
        p.doBool(v);  // into bit byte 1
    }
    p.doInt(b);  // 05 at offset 3
    bool v8 = values[8];
    p.doBool(v8);  // opens bit byte 2 at offset 4
    p.doInt(c);    // 07 at offset 5
    EXPECT_EQ(contentOf(p), bytes({0xCD, 0xA4, 0x01, 0x05, 0x01, 0x07})) << hex(contentOf(p));

    auto r = readerOf(p);
    bool got[9] = {};
    int32_t ra = 0, rb = 0, rc = 0;
    r->doBool(got[0]);
    r->doInt(ra);
    for (int k = 1; k < 8; ++k) r->doBool(got[k]);
    r->doInt(rb);
    r->doBool(got[8]);
    r->doInt(rc);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(got[k], values[k]) << k;
    EXPECT_EQ(ra, 100);
    EXPECT_EQ(rb, 5);
    EXPECT_EQ(rc, 7);
    EXPECT_TRUE(r->atEnd());
    EXPECT_FALSE(r->failed());
}

TEST(NetPacketBits, DoBitAndCounts) {
    Packet p(0, 8);
    uint8_t v = 0x80;
    p.doBit(v, 7);   // bit 0 of the bit byte = 1
    uint8_t z = 0xFF;
    p.doBits(z, 0);  // nothing
    p.doBits(z, -3); // nothing
    uint8_t w = 0x02;
    p.doBit(w, 0);   // bit 1 = 0
    p.doBit(w, 1);   // bit 2 = 1
    EXPECT_EQ(contentOf(p), bytes({0x05}));
    auto r = readerOf(p);
    uint8_t a = 0, b = 0xFF;
    r->doBit(a, 7);
    r->doBits(b, 2);  // bits 0 and 1 of b from bits 1 and 2
    EXPECT_EQ(a, 0x80);
    EXPECT_EQ(b, 0xFE);
}

TEST(NetPacketBits, MixedStreamMirrorsExactly) {
    // A long interleaving of every kind; the reader performs the same calls.
    Packet p(0, 4096);
    uint32_t seed = 1;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    std::vector<int32_t> ints;
    std::vector<bool> bools;
    std::vector<uint8_t> bitsv;
    std::vector<int> kinds;
    for (int k = 0; k < 500; ++k) {
        const int kind = static_cast<int>(next() % 3);
        kinds.push_back(kind);
        if (kind == 0) {
            int32_t v = static_cast<int32_t>(next()) - (1 << 23);
            ints.push_back(v);
            p.doInt(v);
        } else if (kind == 1) {
            bool v = next() & 1;
            bools.push_back(v);
            p.doBool(v);
        } else {
            uint8_t v = static_cast<uint8_t>(next() & 0x1F);
            bitsv.push_back(v);
            p.doBits(v, 5);
        }
    }
    auto r = readerOf(p);
    size_t ii = 0, bi = 0, ti = 0;
    for (int kind : kinds) {
        if (kind == 0) {
            int32_t v = 0;
            r->doInt(v);
            ASSERT_EQ(v, ints[ii++]);
        } else if (kind == 1) {
            bool v = false;
            r->doBool(v);
            ASSERT_EQ(v, bools[bi++]);
        } else {
            uint8_t v = 0;
            r->doBits(v, 5);
            ASSERT_EQ(v, bitsv[ti++]);
        }
    }
    EXPECT_TRUE(r->atEnd());
    EXPECT_FALSE(r->failed());
}

// ---------------------------------------------------------------------------
// Strings

TEST(NetPacketString, NameEncodesAsXoredBytes) {
    Packet p(0, 32);
    WString s = u"Tumbrodemo";
    p.doUString(s);
    EXPECT_EQ(contentOf(p), bytes({0x0A, 0x69, 0x48, 0x50, 0x5F, 0x4F, 0x52, 0x59, 0x58, 0x50, 0x52}));
    auto r = readerOf(p);
    WString back;
    r->doUString(back);
    EXPECT_EQ(back, u"Tumbrodemo");
    EXPECT_TRUE(r->atEnd());
}

TEST(NetPacketString, EmptyAndMultiByteTexts) {
    Packet p(0, 64);
    WString empty, mixed = u"A\u00E9\u20AC";
    p.doUString(empty);
    p.doUString(mixed);
    // A (1 byte) + e-acute (2) + euro (3) = 6 bytes.
    EXPECT_EQ(contentOf(p), bytes({0x00, 0x06, 0x41 ^ 0x3D, 0xC3 ^ 0x3D, 0xA9 ^ 0x3D, 0xE2 ^ 0x3D, 0x82 ^ 0x3D,
                                   0xAC ^ 0x3D}));
    auto r = readerOf(p);
    WString a = u"x", b;
    r->doUString(a);
    r->doUString(b);
    EXPECT_EQ(a, u"");
    EXPECT_EQ(b, mixed);
}

TEST(NetPacketString, Text1023BytesIsAccepted) {
    const WString ascii(1023, u'k');
    const WString euros(341, u'\u20AC');  // 3 bytes each: 1023
    Packet p(0, 4096);
    WString a = ascii, b = euros;
    p.doUString(a);
    p.doUString(b);
    ASSERT_FALSE(p.failed());
    EXPECT_EQ(p.length(), 2 + 1023 + 2 + 1023);
    EXPECT_EQ(p.data()[0], 0xFF);
    EXPECT_EQ(p.data()[1], 0x07);
    auto r = readerOf(p, true);
    WString ra, rb;
    r->doUString(ra);
    r->doUString(rb);
    EXPECT_FALSE(r->failed());
    EXPECT_EQ(ra, ascii);
    EXPECT_EQ(rb, euros);
}

TEST(NetPacketStringDeathTest, Writing1024BytesIsFatal) {
    EXPECT_EXIT(
        {
            Packet p(0, 4096);
            WString s(1024, u'k');
            p.doUString(s);
        },
        ::testing::ExitedWithCode(255), "length < BUFFERSIZE");
    EXPECT_EXIT(
        {
            Packet p(0, 4096);
            WString s = WString(341, u'\u20AC') + u"x";
            p.doUString(s);
        },
        ::testing::ExitedWithCode(255), "length < BUFFERSIZE");
}

TEST(NetPacketString, ReadingA1024ByteCountFromAPeerFails) {
    Bytes b = bytes({0x80, 0x08});  // 1024
    b.resize(2 + 1024, 'k' ^ 0x3D);
    b.push_back(0x05);
    auto r = readerOf(b, 0, true);
    WString s = u"old";
    r->doUString(s);
    EXPECT_TRUE(r->failed());
    EXPECT_TRUE(s.empty());
    int32_t after = 9;
    r->doInt(after);
    EXPECT_EQ(after, 0);
}

TEST(NetPacketStringDeathTest, Reading1024BytesIsFatalWhenTrusted) {
    Bytes b = bytes({0x80, 0x08});
    b.resize(2 + 1024, 'k' ^ 0x3D);
    EXPECT_EXIT(
        {
            auto r = readerOf(b);
            WString s;
            r->doUString(s);
        },
        ::testing::ExitedWithCode(255), "length < BUFFERSIZE");
}

TEST(NetPacketString, EmbeddedZeroCutsTheTextButNotTheStream) {
    Packet p(0, 32);
    WString s(u"ab\0cd", 5);
    int32_t after = 42;
    p.doUString(s);
    p.doInt(after);
    EXPECT_EQ(p.length(), 1 + 5 + 1);
    auto r = readerOf(p);
    WString back;
    int32_t a = 0;
    r->doUString(back);
    r->doInt(a);
    EXPECT_EQ(back, u"ab");
    EXPECT_EQ(a, 42);
}

TEST(NetPacketString, CharacterOutsideTheBmpRoundTrips) {
    Packet p(0, 32);
    WString s = u"x\U0001F600y";
    ASSERT_EQ(s.size(), 4u);
    p.doUString(s);
    // Each surrogate as its own 3-byte sequence: 1 + 6 + 1 bytes.
    EXPECT_EQ(p.data()[0], 8);
    auto r = readerOf(p);
    WString back;
    r->doUString(back);
    EXPECT_EQ(back, s);
}

TEST(NetPacketString, MaxLengthIsEnforcedOnReadOnly) {
    Packet p(0, 64);
    WString s = u"hello";
    p.doUString(s, 2);  // writing ignores the limit
    p.doUString(s);
    EXPECT_EQ(p.length(), 12);
    {
        auto r = readerOf(p, true);
        WString a, b;
        r->doUString(a, 5);
        EXPECT_FALSE(r->failed());
        EXPECT_EQ(a, u"hello");
        r->doUString(b, 4);
        EXPECT_TRUE(r->failed());
        EXPECT_TRUE(b.empty());
    }
    {
        // The limit counts characters, not bytes.
        Packet q(0, 64);
        WString e = u"\u20AC\u20AC";
        q.doUString(e);
        auto r = readerOf(q, true);
        WString back;
        r->doUString(back, 2);
        EXPECT_FALSE(r->failed());
        EXPECT_EQ(back, e);
    }
}

TEST(NetPacketStringDeathTest, MaxLengthIsFatalWhenTrusted) {
    Packet p(0, 64);
    WString s = u"hello";
    p.doUString(s);
    const Bytes b = contentOf(p);
    EXPECT_EXIT(
        {
            auto r = readerOf(b);
            WString back;
            r->doUString(back, 4);
        },
        ::testing::ExitedWithCode(255), "data->length\\(\\) <= maxLength");
}

TEST(NetPacketString, CountOverRemainingBytesFails) {
    auto r = readerOf(bytes({0x05, 0x41, 0x42}), 0, true);
    WString s = u"keep?";
    r->doUString(s);
    EXPECT_TRUE(r->failed());
    EXPECT_TRUE(s.empty());
    EXPECT_LE(r->position(), 3);
}

// ---------------------------------------------------------------------------
// Class ids

TEST(NetPacketClassID, RawIdsWithFlag4) {
    const RuntimeClass* c = &RPCNetDelete::classRecord;
    Packet p(Packet::FLAG_RAW_CLASSES, 16);
    p.doClassID(c);
    EXPECT_EQ(contentOf(p), bytes({0x3A, 0xEF, 0x72, 0x44}));
    auto r = readerOf(p);
    const RuntimeClass* back = nullptr;
    r->doClassID(back);
    EXPECT_EQ(back, &RPCNetDelete::classRecord);
}

TEST(NetPacketClassID, IndexVarintWithoutFlag4) {
    const auto& array = RuntimeClassManager::getInstance().classArray;
    ASSERT_GT(array.size(), 10u);
    for (size_t i = 0; i < array.size(); ++i) {
        Packet p(Packet::FLAG_NETWORK, 16);
        const RuntimeClass* c = array[i];
        p.doClassID(c);
        ASSERT_EQ(contentOf(p), writeUInt(static_cast<uint32_t>(i))) << i;
        auto r = readerOf(p);
        const RuntimeClass* back = nullptr;
        r->doClassID(back);
        ASSERT_EQ(back, array[i]);
    }
    // The array is sorted by id, so indices agree between processes of a build.
    for (size_t i = 1; i < array.size(); ++i) EXPECT_LT(array[i - 1]->classId, array[i]->classId);
}

TEST(NetPacketClassID, UnknownIdOrIndexFailsFromAPeer) {
    const uint32_t bogus = 0x00000001u;
    ASSERT_EQ(RuntimeClassManager::getInstance().findById(bogus), nullptr);
    {
        auto r = readerOf(bytes({0x01, 0x00, 0x00, 0x00}), Packet::FLAG_RAW_CLASSES, true);
        const RuntimeClass* c = &ZubBase::classRecord;
        r->doClassID(c);
        EXPECT_TRUE(r->failed());
        EXPECT_EQ(c, nullptr);
    }
    {
        const uint32_t n = static_cast<uint32_t>(RuntimeClassManager::getInstance().classArray.size());
        auto r = readerOf(writeUInt(n), Packet::FLAG_NETWORK, true);
        const RuntimeClass* c = &ZubBase::classRecord;
        r->doClassID(c);
        EXPECT_TRUE(r->failed());
        EXPECT_EQ(c, nullptr);
    }
}

TEST(NetPacketClassIDDeathTest, UnknownIdOrIndexIsFatalWhenTrusted) {
    EXPECT_EXIT(
        {
            auto r = readerOf(bytes({0x01, 0x00, 0x00, 0x00}), Packet::FLAG_RAW_CLASSES);
            const RuntimeClass* c = nullptr;
            r->doClassID(c);
        },
        ::testing::ExitedWithCode(255), "\\*_class != NULL");
    const uint32_t n = static_cast<uint32_t>(RuntimeClassManager::getInstance().classArray.size());
    EXPECT_EXIT(
        {
            auto r = readerOf(writeUInt(n), Packet::FLAG_NETWORK);
            const RuntimeClass* c = nullptr;
            r->doClassID(c);
        },
        ::testing::ExitedWithCode(255), "\\*_class != NULL");
}

// ---------------------------------------------------------------------------
// Commands as bytes

TEST(NetPacketCommands, SpawnThenCallIsFourBytes) {
    const RuntimeClass* spawned = classAt(5);
    const RuntimeClass* call = classAt(9);
    ASSERT_NE(spawned, nullptr);
    ASSERT_NE(call, nullptr);
    Packet p(Packet::FLAG_NETWORK, 16);
    uint8_t code = NetRole::SPAWNOBJ;
    p.doBits(code, 2);
    p.doClassID(spawned);
    code = NetRole::CMD_RPC;
    p.doBits(code, 2);
    p.doClassID(call);
    int32_t target = 12;
    p.doUInt(target);
    EXPECT_EQ(contentOf(p), bytes({0x0C, 0x05, 0x09, 0x0C}));
}

TEST(NetPacketCommands, RoleWritesSpawnThenCallTheSameWay) {
    // The same shape through the role's own writers: a spawn of a probe and a
    // call without arguments aimed at UID 12.
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

TEST(NetPacketWhole, ConstructionAndRewind) {
    Packet d(0);
    EXPECT_TRUE(d.bWriting);
    EXPECT_EQ(d.length(), 0);
    EXPECT_EQ(d.sequence, -1);
    EXPECT_EQ(d.time, 0.0);
    EXPECT_FALSE(d.bMore);
    EXPECT_EQ(d.sender, nullptr);
    EXPECT_EQ(d.remaining(), Packet::DEFAULT_CAPACITY);
    Packet z(0, 0);
    EXPECT_EQ(z.remaining(), 0);
    z.rewindToRead();
    EXPECT_TRUE(z.atEnd());

    Packet p(0, 16);
    int32_t v = 300;
    p.doInt(v);
    p.rewindToRead();
    EXPECT_FALSE(p.bWriting);
    EXPECT_EQ(p.length(), 2);
    EXPECT_EQ(p.position(), 0);
}

TEST(NetPacketWholeDeathTest, RewindingAReadingPacketIsFatal) {
    EXPECT_EXIT(
        {
            Packet p(0, 16);
            p.rewindToRead();
            p.rewindToRead();
        },
        ::testing::ExitedWithCode(255), "bWriting");
}

TEST(NetPacketWhole, Crc32) {
    Packet p(0, 16);
    const char* text = "123456789";
    p.writeBytes(text, 9);
    EXPECT_EQ(p.crc32(0, 9), 0xCBF43926u);
    EXPECT_EQ(p.crc32(0, -1), 0xCBF43926u);
    EXPECT_EQ(p.crc32(0, 0), 0u);
    EXPECT_EQ(p.crc32(3, 0), 0u);
    // From an offset: the checksum of "456789".
    Packet q(0, 16);
    q.writeBytes("456789", 6);
    EXPECT_EQ(p.crc32(3, 6), q.crc32(0, 6));
    auto r = readerOf(p);
    EXPECT_EQ(r->crc32(0, -1), 0xCBF43926u);
}

TEST(NetPacketWhole, CopyMetaCopiesModeAndTransportFields) {
    Packet src(0, 8);
    src.time = 12.5;
    src.sequence = 77;
    src.bMore = true;
    src.sender = reinterpret_cast<Node*>(&src);
    src.rewindToRead();
    Packet dst(0, 8);
    src.copyMeta(dst);
    EXPECT_FALSE(dst.bWriting);
    EXPECT_EQ(dst.time, 12.5);
    EXPECT_EQ(dst.sequence, 77);
    EXPECT_TRUE(dst.bMore);
    EXPECT_EQ(dst.sender, src.sender);
}

TEST(NetPacketWhole, ExtractFromAReadingPacket) {
    Packet p(0, 16);
    for (int i = 0; i < 10; ++i) {
        uint8_t b = static_cast<uint8_t>(0x10 + i);
        p.writeBytes(&b, 1);
    }
    p.sequence = 5;
    p.rewindToRead();
    int32_t skip = 0;
    p.doUInt(skip);  // 0x10
    p.doUInt(skip);  // 0x11
    auto e = p.extract(5);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->bWriting);
    EXPECT_EQ(e->length(), 5);
    EXPECT_EQ(e->position(), 0);
    EXPECT_EQ(e->sequence, 5);
    EXPECT_EQ(e->flags, p.flags);
    EXPECT_EQ(contentOf(*e), bytes({0x12, 0x13, 0x14, 0x15, 0x16}));
    EXPECT_EQ(p.position(), 7);
    int32_t first = 0;
    e->doUInt(first);
    EXPECT_EQ(first, 0x12);
    int32_t next = 0;
    p.doUInt(next);
    EXPECT_EQ(next, 0x17);
}

TEST(NetPacketWhole, ExtractPastTheEndFromAPeerFails) {
    auto r = readerOf(bytes({1, 2, 3}), 0, true);
    auto e = r->extract(4);
    EXPECT_TRUE(r->failed());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->length(), 0);
}

TEST(NetPacketWhole, ConcatHeaderAndSlice) {
    Packet header(Packet::FLAG_NETWORK, 8);
    header.writeBytes("\x01\x02\x03", 3);
    header.time = 3.0;
    Packet big(Packet::FLAG_NETWORK, 32);
    for (int i = 0; i < 10; ++i) {
        uint8_t b = static_cast<uint8_t>(0xA0 + i);
        big.writeBytes(&b, 1);
    }
    auto c = header.concat(big, 4, 3);
    EXPECT_TRUE(c->bWriting);
    EXPECT_EQ(c->length(), 6);
    EXPECT_EQ(c->time, 3.0);
    EXPECT_EQ(contentOf(*c), bytes({0x01, 0x02, 0x03, 0xA4, 0xA5, 0xA6}));
    // It was sized exactly: nothing more fits.
    c->setFromPeer();
    uint8_t more = 0;
    c->writeBytes(&more, 1);
    EXPECT_TRUE(c->failed());
}

TEST(NetPacketWhole, FirstAppendIntoAnEmptyPacketCopiesMeta) {
    auto src = readerOf(bytes({0xAA, 0xBB}));
    src->time = 9.0;
    src->sequence = 3;
    src->bMore = true;
    Packet dst(0, 16);
    src->append(dst);
    EXPECT_TRUE(dst.bWriting);
    EXPECT_EQ(dst.time, 9.0);
    EXPECT_EQ(dst.sequence, 3);
    EXPECT_TRUE(dst.bMore);
    EXPECT_EQ(contentOf(dst), bytes({0xAA, 0xBB}));

    Packet other(0, 4);
    other.writeBytes("\xCC", 1);
    other.time = 1.0;
    other.sequence = 8;
    other.append(dst);  // not empty: keeps its meta
    EXPECT_EQ(dst.time, 9.0);
    EXPECT_EQ(dst.sequence, 3);
    EXPECT_EQ(contentOf(dst), bytes({0xAA, 0xBB, 0xCC}));
}

TEST(NetPacketWhole, ResetEmptiesForReuse) {
    Packet p(0, 8);
    bool t = true;
    int32_t v = 9;
    p.doBool(t);
    p.doInt(v);
    p.reset();
    EXPECT_TRUE(p.bWriting);
    EXPECT_EQ(p.length(), 0);
    // The bit state was cleared: the next bit opens a new bit byte.
    int32_t w = 3;
    p.doInt(w);
    bool f = true;
    p.doBool(f);
    EXPECT_EQ(contentOf(p), bytes({0x03, 0x01}));
}

// ---------------------------------------------------------------------------
// The safe reader

namespace {

// A packet of every kind of value; the reader below mirrors it.
Packet* writeSample(Packet& p) {
    int32_t a = -5000, b = 70000;
    uint32_t u = 0x12345;
    float f = 2.5f;
    double d = 0.25;
    bool t = true;
    uint8_t bits = 6;
    uint32_t dw = 0xDEADBEEFu;
    WString s = u"hello \u20AC";
    const RuntimeClass* c = &RPCSetRandomSeed::classRecord;
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
    return &p;
}

void readSample(Packet& p) {
    int32_t a = 1, b = 1;
    uint32_t u = 1, dw = 1;
    float f = 1;
    double d = 1;
    bool t = false;
    uint8_t bits = 0;
    WString s;
    const RuntimeClass* c = nullptr;
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
        // Whatever failed yields zeros from then on; the last value always fails.
        EXPECT_EQ(b, 0);
    }
}

}  // namespace

TEST(NetPacketSafeReader, EveryTruncationFailsWithoutTouchingOutsideMemory) {
    for (uint32_t flags : {0u, static_cast<uint32_t>(Packet::FLAG_RAW_CLASSES)}) {
        Packet p(flags, 256);
        writeSample(p);
        const Bytes full = contentOf(p);
        {
            auto r = readerOf(full, flags, true);
            readSample(*r);
            EXPECT_FALSE(r->failed());
            EXPECT_TRUE(r->atEnd());
        }
        for (size_t n = 0; n < full.size(); ++n) {
            // Exactly n bytes on the heap, so that any over-read is caught.
            auto r = readerOf(Bytes(full.begin(), full.begin() + n), flags, true);
            readSample(*r);
            EXPECT_TRUE(r->failed()) << "length " << n;
            EXPECT_FALSE(r->errorText().empty());
            EXPECT_LE(r->position(), static_cast<int>(n));
        }
    }
}

TEST(NetPacketSafeReader, VarintLongerThanFiveBytesFails) {
    {
        bool failed = false;
        EXPECT_EQ(readUInt(bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x01}), &failed), 0u);
        EXPECT_TRUE(failed);
    }
    {
        // Six bytes even though the value (zero) is in range.
        bool failed = false;
        EXPECT_EQ(readUInt(bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x00}), &failed), 0u);
        EXPECT_TRUE(failed);
    }
    {
        bool failed = false;
        EXPECT_EQ(readInt(bytes({0xC0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}), &failed), 0);
        EXPECT_TRUE(failed);
        failed = false;
        EXPECT_EQ(readInt(bytes({0xC1, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}), &failed), 0);
        EXPECT_TRUE(failed);
    }
    {
        // Five bytes whose value passes 32 bits.
        bool failed = false;
        readUInt(bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), &failed);
        EXPECT_TRUE(failed);
    }
    {
        // A signed magnitude of 2^31 or more.
        bool failed = false;
        EXPECT_EQ(readInt(bytes({0x80, 0x80, 0x80, 0x80, 0x10}), &failed), 0);
        failed = false;
        EXPECT_EQ(readInt(bytes({0xC0, 0x80, 0x80, 0x80, 0x10}), &failed), 0);
        EXPECT_TRUE(failed);
    }
}

TEST(NetPacketSafeReader, ReadsAfterFailureYieldZeroAndStayPut) {
    auto r = readerOf(bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05}), 0, true);
    uint32_t u = 1;
    r->doUInt(u);
    ASSERT_TRUE(r->failed());
    const int pos = r->position();
    int32_t i = 1;
    uint32_t dw = 1;
    float f = 1;
    double d = 1;
    bool b = true;
    uint8_t bits = 0xFF;
    WString s = u"x";
    const RuntimeClass* c = &ZubBase::classRecord;
    r->doInt(i);
    r->doDWORD(dw);
    r->doFloat16(f);
    r->doDouble(d);
    r->doBool(b);
    r->doBits(bits, 8);
    r->doUString(s);
    r->doClassID(c);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(dw, 0u);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(d, 0.0);
    EXPECT_FALSE(b);
    EXPECT_EQ(bits, 0);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(r->position(), pos);
}

TEST(NetPacketSafeReader, BitByteAtTheEndFails) {
    auto r = readerOf(bytes({0x05}), 0, true);
    int32_t v = 0;
    r->doInt(v);
    bool b = true;
    r->doBool(b);
    EXPECT_TRUE(r->failed());
    EXPECT_FALSE(b);
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
    Packet s(0, 4);
    s.setFromPeer();
    WString text = u"toolong";
    s.doUString(text);
    EXPECT_TRUE(s.failed());
    EXPECT_LE(s.length(), 4);
}

TEST(NetPacketSafeReaderDeathTest, WritePastCapacityIsFatalByDefault) {
    EXPECT_EXIT(
        {
            Packet p(0, 3);
            int32_t v = 1 << 20;
            p.doInt(v);
        },
        ::testing::ExitedWithCode(255), "cursor \\+ n <= buffer \\+ capacity");
    EXPECT_EXIT(
        {
            auto r = readerOf(bytes({0x80}));
            int32_t v = 0;
            r->doUInt(v);
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

TEST(NetPacketSafeReader, PointerToAnUnknownUidFailsFromAPeer) {
    RoleGuard role;
    auto r = readerOf(bytes({0x2A}), Packet::FLAG_NETWORK, true);
    ZubBase* o = &*role;
    EXPECT_FALSE(r->doPointer2(o));
    EXPECT_EQ(o, nullptr);
    EXPECT_TRUE(r->failed());
}

TEST(NetPacketSafeReaderDeathTest, PointerToAnUnknownUidIsFatalWhenTrusted) {
    EXPECT_EXIT(
        {
            RoleGuard role;
            auto r = readerOf(bytes({0x2A}), Packet::FLAG_NETWORK);
            ZubBase* o = nullptr;
            r->doPointer2(o);
        },
        ::testing::ExitedWithCode(255), "Could not find object ID 42");
}

TEST(NetPacketSafeReaderDeathTest, WritingAnUnregisteredObjectIsFatal) {
    EXPECT_EXIT(
        {
            Packet p(Packet::FLAG_NETWORK, 16);
            ZubBase o;
            ZubBase* ref = &o;
            p.doPointer2(ref);
        },
        ::testing::ExitedWithCode(255), "objectUID >= 0");
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
    parent->label = u"copy me";
    child->count = 99;
    child->speed = 1.5f;

    ObjectPacket op;
    EXPECT_EQ(op.flags, 6u);
    const int before = ZubBase::liveCount();
    const int probesBefore = NetProbe::liveProbes;
    ZubBase* ref = parent;
    EXPECT_TRUE(op.doObject(ref));
    EXPECT_EQ(op.nextIndex, 3u);  // two objects numbered
    op.rewindToRead();
    ZubBase* made = nullptr;
    ASSERT_TRUE(op.doObject(made));
    EXPECT_FALSE(op.failed());
    EXPECT_TRUE(op.atEnd());

    ASSERT_NE(made, nullptr);
    ASSERT_NE(made, parent);
    ASSERT_EQ(made->getClass(), &NetProbe::classRecord);
    EXPECT_EQ(NetProbe::liveProbes, probesBefore + 2);
    EXPECT_EQ(ZubBase::liveCount(), before + 2);
    NetProbe* copy = static_cast<NetProbe*>(made);
    EXPECT_EQ(copy->count, -17);
    EXPECT_EQ(copy->label, u"copy me");
    ASSERT_NE(copy->partner, nullptr);
    EXPECT_NE(copy->partner, child);
    EXPECT_EQ(copy->partner, copy->other);
    EXPECT_EQ(copy->outside, &outsideObject);
    EXPECT_EQ(copy->countChildren(), 1);
    EXPECT_EQ(copy->firstChild, copy->partner);
    EXPECT_EQ(copy->partner->parent, copy);
    NetProbe* childCopy = static_cast<NetProbe*>(copy->partner);
    EXPECT_EQ(childCopy->count, 99);
    EXPECT_EQ(childCopy->speed, 1.5f);
    // Unregistered originals give unregistered copies.
    EXPECT_EQ(copy->objectUID, -1);
    EXPECT_EQ(childCopy->objectUID, -1);
    // The original is untouched.
    EXPECT_EQ(parent->firstChild, child);
    EXPECT_EQ(parent->countChildren(), 1);

    deleteObject(copy);
    deleteObject(parent);
}

TEST(NetObjectPacket, RegisteredOriginalGivesACopyUnderANewUid) {
    RoleGuard role;
    NetProbe* o = new NetProbe;
    role->registerObject(o, 40);
    o->count = 5;
    ObjectPacket op;
    ZubBase* ref = o;
    op.doObject(ref);
    op.rewindToRead();
    const int32_t next = role->nextObjectUID;
    ZubBase* made = nullptr;
    ASSERT_TRUE(op.doObject(made));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->objectUID, next);
    EXPECT_EQ(role->findObjectOrNull(next), made);
    EXPECT_EQ(static_cast<NetProbe*>(made)->count, 5);
    EXPECT_EQ(static_cast<NetProbe*>(made)->postReplicateCount, 1);
    EXPECT_EQ(static_cast<NetProbe*>(made)->postReplicateGlobalCount, 1);
}

TEST(NetObjectPacket, NullObjectIsNumberZero) {
    ObjectPacket op;
    ZubBase* none = nullptr;
    EXPECT_FALSE(op.doObject(none));
    EXPECT_EQ(contentOf(op), bytes({0x00}));
    op.rewindToRead();
    ZubBase* back = &op;
    EXPECT_FALSE(op.doObject(back));
    EXPECT_EQ(back, nullptr);
}

TEST(NetObjectPacket, TruncatedCopyLeavesNothingBehind) {
    // A copy whose reading fails part way: whatever it made is either handed
    // out (the returned object and what hangs from it) or freed.
    RoleGuard role;
    NetProbe* parent = new NetProbe;
    NetProbe* child = new NetProbe;
    NetProbe* grandchild = new NetProbe;
    parent->addChild(child);
    child->addChild(grandchild);
    parent->partner = child;
    child->partner = grandchild;
    parent->label = u"parent";
    ObjectPacket op;
    ZubBase* ref = parent;
    op.doObject(ref);
    const Bytes full = contentOf(op);
    deleteObject(parent);

    int leaks = 0;
    for (size_t n = 1; n < full.size(); ++n) {
        const int before = NetProbe::liveProbes;
        {
            ObjectPacket r(Packet::FLAG_RAW_POINTERS | Packet::FLAG_RAW_CLASSES, static_cast<int>(n));
            r.writeBytes(full.data(), static_cast<int>(n));
            r.rewindToRead();
            r.setFromPeer();
            ZubBase* made = nullptr;
            r.doObject(made);
            EXPECT_TRUE(r.failed()) << n;
            if (made && !made->parent) deleteObject(made);
        }
        if (NetProbe::liveProbes != before) {
            ++leaks;
            // Free the lost objects so that the next length starts clean.
            std::vector<ZubBase*> lost;
            ZubBase::forEachLive([&](ZubBase* o) {
                if (o->getClass() == &NetProbe::classRecord && !o->parent) lost.push_back(o);
            });
            for (ZubBase* o : lost) deleteObject(o);
        }
    }
    EXPECT_EQ(leaks, 0) << "of " << full.size() - 1 << " truncated copies, " << leaks << " lost objects";
}
