// Addresses, the network service (error names, the emulated queue, the
// clock), connection statistics and the socket layer on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/Zub.h"
#include "net_test_support.h"
#include "platform/Platform.h"
#include "platform/UdpSocket.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "sys/Settings.h"

using namespace nettest;

namespace {

bool fixedResolver(const std::string& name, uint32_t& ip) {
    if (name != "game.example") return false;
    ip = 0x0A000005u;
    return true;
}

struct ResolverGuard {
    explicit ResolverGuard(NetAddress::Resolver r) : saved(NetAddress::resolver) { NetAddress::resolver = r; }
    ~ResolverGuard() { NetAddress::resolver = saved; }
    NetAddress::Resolver saved;
};

}  // namespace

// ---------------------------------------------------------------------------
// Addresses

TEST(NetAddress, DefaultIsTheGamePortAndParseSplitsAtTheFirstColonAndLooksNamesUp) {
    ResolverGuard guard(&fixedResolver);
    NetAddress a;
    EXPECT_EQ(a.toString(), u"0.0.0.0:23006");
    EXPECT_EQ(a.family, 2);
    a.parse(u"localhost:23006");
    EXPECT_EQ(a.toString(), u"127.0.0.1:23006");
    a.parse(u"localhost");
    EXPECT_EQ(a.toString(), u"127.0.0.1:0");
    a.parse(u"game.example:80");
    EXPECT_EQ(a.toString(), u"10.0.0.5:80");
    const size_t mark = logMark();
    a.setBoth(23006, u"nowhere");
    EXPECT_EQ(a.toString(), u"127.0.0.1:0");
    EXPECT_EQ(logLinesSince(mark, u"could not resolve 'nowhere'"), 1);
    // Numeric addresses need no name service.
    NetAddress::resolver = &platform::resolveHostIPv4;
    a.parse(u"192.168.1.20:7");
    EXPECT_EQ(a.toString(), u"192.168.1.20:7");
}

// ---------------------------------------------------------------------------
// The network service

TEST(NetService, ErrorNames) {
    EXPECT_EQ(ZubNetwork::getWSAErrorString(10035), u"WSAEWOULDBLOCK");
    const size_t mark = logMark();
    EXPECT_EQ(ZubNetwork::getWSAErrorString(12345), u"");
    EXPECT_EQ(logLinesSince(mark, u"ZubNetwork::getWSAErrorString(): Unknown WSA error: 00003039"), 1);
    EXPECT_EQ(platform::socketErrorCode(EAGAIN), 10035);
    EXPECT_EQ(platform::socketErrorCode(ECONNREFUSED), 10054);
    EXPECT_EQ(platform::socketErrorCode(EADDRINUSE), 10048);
}

TEST(NetService, EngineLogsTheStartOfTheServiceOnce) {
    filestest::TempFolder folder;
    setUserDataFolderOverride(folder.path());
    ErrorManager::bTestMode = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::NullBackend backend;
    std::string error;
    backend.openWindow(platform::WindowSettings{}, error);
    ApplicationHooks hooks;
    const size_t mark = logMark();
    auto engine = std::make_unique<Zub>(backend, hooks);
    EXPECT_EQ(logLinesSince(mark, u"ZubNetwork::ZubNetwork(): Starting..."), 1);
    engine.reset();
    setUserDataFolderOverride("");
}

TEST(NetService, StartsAndStopsWithTheSetting) {
    const size_t mark = logMark();
    {
        ZubNetwork network(nullptr);
        EXPECT_TRUE(network.bEmulateLocalhost);
    }
    EXPECT_EQ(logLinesSince(mark, u"ZubNetwork::ZubNetwork(): Starting..."), 1);
    EXPECT_EQ(logLinesSince(mark, u"ZubNetwork::~ZubNetwork(): Cleaning up..."), 1);
    Settings settings;
    settings.setEmulateLocalhost(false);
    ZubNetwork network(&settings);
    EXPECT_FALSE(network.bEmulateLocalhost);
}

// ---------------------------------------------------------------------------
// Statistics

TEST(NetStatistics, BucketsOfASecondAndAHistoryOfTen) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    NetConnection c(NetAddress::of(NetAddress::LOOPBACK, 0));
    ++c.currentStats().packetsOut;
    clock.advance(0.5);
    ++c.currentStats().packetsOut;
    EXPECT_EQ(c.statisticsHistory.countChildren(), 1);
    clock.advance(30.0);
    ++c.currentStats().packetsOut;
    // The old bucket went into the total and, older than 10 s, was dropped.
    ASSERT_EQ(c.statisticsHistory.countChildren(), 1);
    EXPECT_EQ(c.statisticsTotal.packetsOut, 2u);
    EXPECT_DOUBLE_EQ(static_cast<NetStatistics*>(c.statisticsHistory.firstChild)->startTime, clock.now);
    for (int i = 0; i < 30; ++i) {
        ++c.currentStats().packetsIn;
        clock.advance(1.01);
    }
    EXPECT_LE(c.statisticsHistory.countChildren(), 11);
    EXPECT_GE(c.statisticsHistory.countChildren(), 9);
}

TEST(NetStatistics, DatagramsCountTheirHeaders) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    NetConnection a(NetAddress::of(NetAddress::LOOPBACK, 0));
    NetConnection b(NetAddress::of(NetAddress::LOOPBACK, 0));
    Packet p(Packet::FLAG_NETWORK, 512);
    Bytes payload(300, 0xAB);
    p.writeBytes(payload.data(), 300);
    a.sendRaw(p, b.address);
    EXPECT_DOUBLE_EQ(p.time, clock.now);
    EXPECT_EQ(a.currentStats().packetsOut, 1u);
    EXPECT_EQ(a.currentStats().bytesOut, 328u);
    EXPECT_EQ(a.currentStats().payloadOut, 300u);
    clock.advance(0.25);
    Packet* got = b.receive();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->length(), 300);
    EXPECT_EQ(got->address, a.address);
    EXPECT_DOUBLE_EQ(got->time, clock.now);
    EXPECT_EQ(got->getErrorMode(), Packet::ErrorMode::Report);
    EXPECT_EQ(b.currentStats().bytesIn, 328u);
    EXPECT_EQ(b.currentStats().payloadIn, 300u);
    EXPECT_EQ(b.currentStats().packetsIn, 1u);
}

// ---------------------------------------------------------------------------
// The socket layer, on 127.0.0.1 only

TEST(NetUdp, RealConnectionWhenEmulationIsOff) {
    Settings settings;
    settings.setEmulateLocalhost(false);
    ZubNetwork network(&settings);
    const size_t mark = logMark();
    NetConnection c(NetAddress::of(NetAddress::LOOPBACK, 0));
    ASSERT_TRUE(c.isValid()) << wideToNarrow(c.errorText());
    EXPECT_FALSE(c.bEmulated);
    EXPECT_EQ(c.address.ip, NetAddress::LOOPBACK);
    EXPECT_NE(c.address.port, 0);
    EXPECT_EQ(logLinesSince(mark, u"Binding to address: 127.0.0.1:0."), 1);
    EXPECT_EQ(logLinesSince(mark, u"Bound to address: " + c.address.toString() + u"."), 1);
    // Nothing waiting: none, and nothing logged.
    const size_t quiet = logMark();
    EXPECT_EQ(c.receive(), nullptr);
    EXPECT_EQ(Logger::get().history().size(), quiet);
}

TEST(NetUdp, PortInUseIsReportedNotFatal) {
    Settings settings;
    settings.setEmulateLocalhost(false);
    ZubNetwork network(&settings);
    // Someone else holds the port.
    NetConnection holder(NetAddress::of(NetAddress::LOOPBACK, 0));
    ASSERT_TRUE(holder.isValid());
    const uint16_t port = holder.address.port;
    const size_t mark = logMark();
    NetConnection c(NetAddress::of(NetAddress::LOOPBACK, port));
    EXPECT_FALSE(c.isValid());
    EXPECT_NE(c.errorText().find(u"Error: WSAEADDRINUSE\n Statement: bind(wsaSocket, address.getSockAddr(), "
                                 u"sizeofSockAddr)\n Function: NetConnection::NetConnection()"),
              WString::npos)
        << wideToNarrow(c.errorText());
    EXPECT_EQ(logLinesSince(mark, u"WSAEADDRINUSE"), 1);
    // An invalid connection sends and receives nothing.
    Packet p(Packet::FLAG_NETWORK, 16);
    uint32_t w = 1;
    p.doDWORD(w);
    c.sendRaw(p, NetAddress::of(NetAddress::LOOPBACK, port));
    EXPECT_EQ(c.receive(), nullptr);
}
