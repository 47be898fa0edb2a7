// The game's server with seven clients over real UDP sockets on 127.0.0.1
// (tools/levelbuild/LevelPeers.h): the full state of the largest described
// level (content/levels/<name>.txt, the one whose level file is largest)
// sent to each client, then 60 s of play on the network's clock (6,000
// frames of 0.01 s, as fast as the machine runs them; the sockets carry
// every datagram). The hero walks right and left and jumps now and then.
// The same with the stress level (tools/levelbuild/StressLevel.h, 5,000
// objects): a state of about a megabyte to each client.
//
// Reported (one iteration; the figures are the counters):
//   state_frames, state_ms     the frames until every client held the whole
//                              state, and their wall time
//   server_us, server_share    the server's processor time per frame of play
//                              (the level's tick with the server's network
//                              step, on the program's thread) and its share
//                              of the 10 ms frame
//   worst_share                the most expensive frame's share
//   clients_us                 the seven clients' network steps per frame
//   connected, complete        clients connected at the end (7 when none was
//                              dropped), and those holding the whole state
//   rss_state_MB, rss_end_MB   resident memory once the state was delivered
//                              and at the end; rss_peak_MB the peak (the
//                              process's high-water mark)
//   rss_growth_MB              end less state (flat memory: about 0), and
//   rss_growth_50s_MB          over the last 50 s of play alone
//   state_KB                   the size of the state sent to each client
//   out_KBps                   what the server sent per second of play
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelPeers.h"
#include "StressLevel.h"
#include "flow/GameServer.h"
#include "net/NetConnection.h"
#include "net/NetStatistics.h"
#include "object/Packet.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::FRAME_BUDGET;
using benchsupport::memoryMB;
using benchsupport::threadSeconds;
using benchsupport::wallSeconds;

constexpr int CLIENTS = 7;
constexpr int PLAY_FRAMES = 6000;

// The largest level built from the descriptions.
bool largestLevel(levelbuild::BuiltLevel& out, std::string& error) {
    bool found = false;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(ZUB_LEVEL_SOURCE_DIR), ec)) {
        if (e.path().extension() != ".txt") continue;
        levelbuild::BuiltLevel level;
        const std::string description = benchsupport::readFile(e.path().string());
        if (!levelbuild::buildLevel(description, e.path().filename().string(), level, error)) return false;
        if (!found || level.bytes.size() > out.bytes.size()) out = std::move(level);
        found = true;
    }
    if (!found) error = "no level descriptions in " + std::string(ZUB_LEVEL_SOURCE_DIR);
    return found;
}

// Right for four seconds, then left, a jump every 1.5 s.
std::set<int> playKeys(int frame) {
    std::set<int> keys{(frame / 400) % 2 == 0 ? input_codes::KEY_RIGHT : input_codes::KEY_LEFT};
    if (frame % 150 == 0) keys.insert(input_codes::KEY_UP);
    return keys;
}

void BM_SevenClients(benchmark::State& state, bool stress) {
    ErrorManager::bTestMode = true;
    Logger::get().setEcho(false);
    levelbuild::LevelEnvironment environment;
    std::string error;
    levelbuild::BuiltLevel level;
    if (stress ? !levelbuild::buildStressLevel(5000, level, error) : !largestLevel(level, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    state.SetLabel(level.name);
    for (auto _ : state) {
        levelbuild::LevelPeers peers(environment);
        if (!peers.play(level, CLIENTS, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        // The state to every client.
        const double stateStart = wallSeconds();
        int frames = 0;
        while (peers.clientsWithFullState() < CLIENTS && frames < 3000) {
            peers.frame({});
            ++frames;
        }
        const double stateWall = wallSeconds() - stateStart;
        const int complete = peers.clientsWithFullState();
        std::vector<std::unique_ptr<Packet>> packets;
        const int stateBytes = environment.server().writeFullStatePackets(packets, Packet::FLAG_NETWORK);
        const double rssState = memoryMB("VmRSS");

        // Play.
        GameServer& server = environment.server();
        auto bytesSent = [&server]() -> uint64_t {
            NetConnection* c = server.connection;
            return c ? uint64_t(c->statisticsTotal.bytesOut) + c->currentStats().bytesOut : 0;
        };
        const uint64_t bytesOutBefore = bytesSent();
        double serverTime = 0.0, clientTime = 0.0, worst = 0.0, rss10s = 0.0;
        for (int f = 0; f < PLAY_FRAMES; ++f) {
            if (f == 1000) rss10s = memoryMB("VmRSS");
            double before = threadSeconds();
            environment.frame(playKeys(f));
            const double spent = threadSeconds() - before;
            serverTime += spent;
            worst = std::max(worst, spent);
            before = threadSeconds();
            peers.serviceClients();
            clientTime += threadSeconds() - before;
        }
        const uint64_t bytesOut = bytesSent() - bytesOutBefore;
        const double rssEnd = memoryMB("VmRSS");

        state.counters["state_frames"] = frames;
        state.counters["state_ms"] = stateWall * 1e3;
        state.counters["state_KB"] = stateBytes / 1024.0;
        state.counters["server_us"] = serverTime / PLAY_FRAMES * 1e6;
        state.counters["server_share"] = serverTime / PLAY_FRAMES / FRAME_BUDGET;
        state.counters["worst_share"] = worst / FRAME_BUDGET;
        state.counters["clients_us"] = clientTime / PLAY_FRAMES * 1e6;
        state.counters["connected"] = peers.connectedClients();
        state.counters["complete"] = complete;
        state.counters["rss_state_MB"] = rssState;
        state.counters["rss_end_MB"] = rssEnd;
        state.counters["rss_peak_MB"] = memoryMB("VmHWM");
        state.counters["rss_growth_MB"] = rssEnd - rssState;
        state.counters["rss_growth_50s_MB"] = rssEnd - rss10s;
        state.counters["out_KBps"] = static_cast<double>(bytesOut) / 1024.0 / (PLAY_FRAMES * FRAME_BUDGET);
    }
}
BENCHMARK_CAPTURE(BM_SevenClients, largest, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_SevenClients, stress, true)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
