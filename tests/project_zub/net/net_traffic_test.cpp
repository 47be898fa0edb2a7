// The recording of the recent traffic that the crash files take: every
// datagram a connection sends or receives, whole records in a ring that
// keeps the newest, and a crash with the real handler writing it out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "net_test_support.h"
#include "platform/CrashHandler.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/CrashFiles.h"
#include "traffic_file.h"

using namespace nettest;

namespace {

// A datagram whose bytes tell its number (and are `size` long).
Bytes numbered(uint32_t n, size_t size) {
    Bytes b(size, static_cast<uint8_t>(n));
    for (size_t i = 0; i < 4 && i < size; ++i) b[i] = static_cast<uint8_t>(n >> (8 * i));
    return b;
}

uint32_t numberOf(const std::string& bytes) {
    uint32_t n = 0;
    for (size_t i = 0; i < 4 && i < bytes.size(); ++i)
        n |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
    return n;
}

}  // namespace

TEST(TrafficRecording, EachDatagramSentAndReceivedIsRecordedWithItsEnds) {
    ManualClock clock(12.5);
    ZubNetwork network(nullptr);
    NetConnection a(NetAddress::of(NetAddress::LOOPBACK, 0)), b(NetAddress::of(NetAddress::LOOPBACK, 0));
    ASSERT_TRUE(a.bEmulated && b.bEmulated);
    const Bytes hello = {'h', 'e', 'l', 'l', 'o'};
    a.sendRaw(*readerOf(hello), b.address);
    clock.advance(0.25);
    ASSERT_NE(b.receive(), nullptr);

    std::vector<traffictest::Record> records;
    std::string why;
    ASSERT_TRUE(traffictest::parseRecords(network.traffic()->records(), records, why)) << why;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].direction, 'O');
    EXPECT_EQ(records[0].time, 12.5);
    EXPECT_EQ(records[0].ownPort, a.address.port);
    EXPECT_EQ(records[0].otherIp, NetAddress::LOOPBACK);
    EXPECT_EQ(records[0].otherPort, b.address.port);
    EXPECT_EQ(records[0].length, 5u);
    EXPECT_EQ(records[0].bytes, "hello");
    EXPECT_EQ(records[1].direction, 'I');
    EXPECT_EQ(records[1].time, 12.75);
    EXPECT_EQ(records[1].ownPort, b.address.port);
    EXPECT_EQ(records[1].otherPort, a.address.port);
    EXPECT_EQ(records[1].bytes, "hello");
}

// Ten times the ring's size goes through it: what stays is a run of whole
// records up to the newest, filling the ring but for less than a record; a
// datagram longer than a record keeps its start and tells its length.
TEST(TrafficRecording, TheRingKeepsTheNewestWholeRecords) {
    TrafficRecording recording;
    const NetAddress own = NetAddress::of(NetAddress::LOOPBACK, 7), other = NetAddress::of(0x0A000002, 23006);
    size_t total = 0;
    uint32_t n = 0;
    for (; total < 10 * TrafficRecording::CAPACITY; ++n) {
        const size_t size = n % 97 == 0 ? 5000 : 4 + (n * 131) % 700;
        const Bytes b = numbered(n, size);
        recording.record(n % 2 ? TrafficRecording::RECEIVED : TrafficRecording::SENT, own, other, b.data(),
                         static_cast<int>(b.size()), n * 0.01);
        total += size;
    }
    const std::string held = recording.records();
    EXPECT_LE(held.size(), TrafficRecording::CAPACITY);
    EXPECT_GT(held.size(), TrafficRecording::CAPACITY - TrafficRecording::HEADER_SIZE - TrafficRecording::MAX_KEPT);
    std::vector<traffictest::Record> records;
    std::string why;
    ASSERT_TRUE(traffictest::parseRecords(held, records, why)) << why;
    ASSERT_GT(records.size(), 300u);
    for (size_t i = 0; i < records.size(); ++i) {
        const uint32_t expected = n - static_cast<uint32_t>(records.size() - i);
        ASSERT_EQ(numberOf(records[i].bytes), expected) << i;
        EXPECT_EQ(records[i].direction, expected % 2 ? 'I' : 'O');
        EXPECT_EQ(records[i].time, expected * 0.01);
        EXPECT_EQ(records[i].otherIp, 0x0A000002u);
        if (expected % 97 == 0) {
            EXPECT_EQ(records[i].length, 5000u);
            EXPECT_EQ(records[i].bytes.size(), TrafficRecording::MAX_KEPT);
        } else {
            EXPECT_EQ(records[i].bytes.size(), records[i].length);
        }
    }
}

// A crash with the real handler installed writes the ring as it stands,
// around its end: the preamble, then the records up to the last datagram.
TEST(TrafficRecording, ACrashLeavesTheRecentTrafficInItsFile) {
    filestest::TempFolder folder;
    const std::string dir = folder.path();
    const CrashHandler::Targets targets = CrashFiles::handlerTargets(dir);
    const filestest::ChildRun run = filestest::runInChild([&] {
        CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
        ZubNetwork network(nullptr);
        NetConnection a(NetAddress::of(NetAddress::LOOPBACK, 0)), b(NetAddress::of(NetAddress::LOOPBACK, 0));
        // More than the ring holds, so that it has gone round.
        uint32_t sent = 0;
        for (size_t total = 0; total < 3 * TrafficRecording::CAPACITY; total += 300, ++sent) {
            a.sendRaw(*readerOf(numbered(sent, 300)), b.address);
            b.receive();
        }
        __builtin_trap();
        return 0;
    });
    ASSERT_TRUE(run.finished);
    const std::string file = filestest::readBytes(targets.netTraffic);
    EXPECT_LE(file.size(), std::strlen(TrafficRecording::PREAMBLE) + TrafficRecording::CAPACITY);
    std::vector<traffictest::Record> records;
    std::string why;
    ASSERT_TRUE(traffictest::parseFile(file, records, why)) << why;
    ASSERT_GT(records.size(), 400u);
    // Each datagram twice, sent by one connection and received by the other,
    // in order up to the last one before the crash.
    const uint32_t last = numberOf(records.back().bytes);
    EXPECT_EQ(last, static_cast<uint32_t>(3 * TrafficRecording::CAPACITY / 300));
    EXPECT_EQ(records.back().direction, 'I');
    for (size_t i = records.size() % 2; i < records.size(); i += 2) {
        const uint32_t expected = last - static_cast<uint32_t>((records.size() - 1 - i) / 2);
        ASSERT_EQ(records[i].direction, 'O') << i;
        ASSERT_EQ(numberOf(records[i].bytes), expected) << i;
        ASSERT_EQ(records[i + 1].direction, 'I') << i;
        ASSERT_EQ(numberOf(records[i + 1].bytes), expected) << i;
        ASSERT_EQ(records[i].otherPort, records[i + 1].ownPort);
    }
}

namespace {

// What one datagram left in the ring, as the file must give it back.
traffictest::Record expectedRecord(uint32_t n, const Bytes& datagram) {
    traffictest::Record r;
    r.time = 1000.0 + n * 0.125;
    r.direction = n % 3 ? 'I' : 'O';
    r.ownPort = static_cast<uint16_t>(40000 + n % 1000);
    r.otherIp = 0xC0A80000u | (n & 0xFFFF);
    r.otherPort = static_cast<uint16_t>(23006 + n % 7);
    r.length = static_cast<uint32_t>(datagram.size());
    r.bytes.assign(datagram.begin(), datagram.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(datagram.size(), TrafficRecording::MAX_KEPT)));
    return r;
}

// Bytes that differ from datagram to datagram and along each one, so that a
// byte from anywhere else cannot pass for the right one.
Bytes scrambled(uint32_t n, size_t size) {
    Bytes b(size);
    uint32_t x = n * 2654435761u + 12345u;
    for (uint8_t& c : b) {
        x = x * 1103515245u + 12345u;
        c = static_cast<uint8_t>(x >> 23);
    }
    return b;
}

// Feeds a recording datagrams whose records lap the ring, each lap crossing
// its end where the test asks: inside a record's header or inside its bytes.
class RingLaps {
public:
    enum class Cross { header, bytes };

    explicit RingLaps(TrafficRecording& recording) : recording(recording) {}

    // Records datagrams until one record runs across the ring's end at the
    // place asked for, and two more after it.
    void lap(Cross cross) {
        constexpr size_t H = TrafficRecording::HEADER_SIZE, C = TrafficRecording::CAPACITY;
        const uint64_t boundary = (end / C + 1) * C;
        while (end < boundary) {
            const size_t remaining = static_cast<size_t>(boundary - end);
            size_t size = 0;
            if (remaining > 2 * (H + TrafficRecording::MAX_KEPT)) {
                // Ordinary traffic, now and then a datagram longer than what is kept of it.
                size = sent.size() % 53 == 0 ? 3000 : 1 + (sent.size() * 131) % 900;
            } else if (cross == Cross::bytes && remaining - H + 100 <= TrafficRecording::MAX_KEPT) {
                size = remaining - H + 100;  // its header before the end, its bytes across it
            } else if (cross == Cross::header && remaining >= H + 13 && remaining - H - 13 <= 900) {
                size = remaining - H - 13;  // the next header starts 13 bytes before the end
            } else {
                size = 700;
            }
            put(size);
        }
        const uint64_t crossing = records.back();
        if (cross == Cross::header) {
            // The last record began 13 bytes before the ring's end.
            EXPECT_EQ(boundary - crossing, 13u);
        } else {
            // The last record's header ends before the ring's end, its bytes after it.
            EXPECT_LT(crossing + H, boundary);
            EXPECT_GT(end, boundary);
        }
        put(500);
        put(40);
    }

    // The records the ring holds must be the newest ones sent, every byte.
    void expectTheNewestHeldWhole(const std::string& held) const {
        std::vector<traffictest::Record> got;
        std::string why;
        ASSERT_TRUE(traffictest::parseRecords(held, got, why)) << why;
        ASSERT_GT(got.size(), 100u);
        ASSERT_LE(got.size(), sent.size());
        const size_t first = sent.size() - got.size();
        for (size_t i = 0; i < got.size(); ++i) {
            const traffictest::Record want = expectedRecord(static_cast<uint32_t>(first + i), sent[first + i]);
            ASSERT_EQ(got[i].time, want.time) << "record " << first + i;
            ASSERT_EQ(got[i].direction, want.direction) << "record " << first + i;
            ASSERT_EQ(got[i].ownPort, want.ownPort) << "record " << first + i;
            ASSERT_EQ(got[i].otherIp, want.otherIp) << "record " << first + i;
            ASSERT_EQ(got[i].otherPort, want.otherPort) << "record " << first + i;
            ASSERT_EQ(got[i].length, want.length) << "record " << first + i;
            ASSERT_EQ(got[i].bytes, want.bytes) << "record " << first + i;
        }
        // Nothing older would have fitted as well.
        EXPECT_GT(
            held.size() + TrafficRecording::HEADER_SIZE + std::min(sent[first - 1].size(), TrafficRecording::MAX_KEPT),
            TrafficRecording::CAPACITY);
    }

private:
    void put(size_t size) {
        const uint32_t n = static_cast<uint32_t>(sent.size());
        sent.push_back(scrambled(n, size));
        const traffictest::Record r = expectedRecord(n, sent.back());
        recording.record(r.direction == 'I' ? TrafficRecording::RECEIVED : TrafficRecording::SENT,
                         NetAddress::of(NetAddress::LOOPBACK, r.ownPort), NetAddress::of(r.otherIp, r.otherPort),
                         sent.back().data(), static_cast<int>(size), r.time);
        records.push_back(end);
        end += TrafficRecording::HEADER_SIZE + std::min(size, TrafficRecording::MAX_KEPT);
    }

    TrafficRecording& recording;
    std::vector<Bytes> sent;
    std::vector<uint64_t> records;  // where each record began, counted from the first
    uint64_t end = 0;
};

}  // namespace

// Every kept byte and every header field of every record held comes back as
// it was recorded, after the ring has gone round several times and with a
// record's bytes, then a record's header, running across the ring's end.
TEST(TrafficRecording, EveryByteOfEveryRecordSurvivesTheRingsEnd) {
    TrafficRecording recording;
    RingLaps laps(recording);
    laps.lap(RingLaps::Cross::header);
    laps.lap(RingLaps::Cross::bytes);
    laps.lap(RingLaps::Cross::bytes);
    laps.expectTheNewestHeldWhole(recording.records());
    laps.lap(RingLaps::Cross::header);
    laps.expectTheNewestHeldWhole(recording.records());
}

// The crash handler writes the ring out from its signal handler, going
// round its end by itself: the file holds the same records, every byte.
TEST(TrafficRecording, ACrashWritesTheRecordsAcrossTheRingsEndWhole) {
    for (const RingLaps::Cross last : {RingLaps::Cross::header, RingLaps::Cross::bytes}) {
        SCOPED_TRACE(last == RingLaps::Cross::header ? "a header across the end" : "bytes across the end");
        filestest::TempFolder folder;
        const std::string dir = folder.path();
        const CrashHandler::Targets targets = CrashFiles::handlerTargets(dir);
        TrafficRecording recording;
        RingLaps laps(recording);
        laps.lap(RingLaps::Cross::bytes);
        laps.lap(RingLaps::Cross::header);
        laps.lap(last);
        const filestest::ChildRun run = filestest::runInChild([&] {
            CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
            CrashHandler::setNetRecording(&recording.crashView());
            __builtin_trap();
            return 0;
        });
        ASSERT_TRUE(run.finished);
        const std::string file = filestest::readBytes(targets.netTraffic);
        const std::string_view preamble = TrafficRecording::PREAMBLE;
        ASSERT_TRUE(std::string_view(file).starts_with(preamble));
        EXPECT_EQ(file.substr(preamble.size()), recording.records());
        laps.expectTheNewestHeldWhole(file.substr(preamble.size()));
    }
}
