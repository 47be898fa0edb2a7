// The recording of the recent traffic that the crash files take: every
// datagram a connection sends or receives, whole records in a ring that
// keeps the newest, and a crash with the real handler writing it out.
#include <gtest/gtest.h>

#include <cstring>

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
