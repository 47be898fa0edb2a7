#pragma once
// The menu harness with the tests' web server standing in for the maker's:
// the web host points at it, the game's UDP port is left to the system, and
// when the rig ends every request still running is stopped and joined.
#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "LoopbackHttpServer.h"
#include "MenuHarness.h"
#include "menu/ContextNetworkWizard1.h"
#include "sys/HttpRequest.h"
#include "sys/Logger.h"
#include "util/Md5.h"

namespace nettest {

struct NetworkRig {
    httptest::LoopbackHttpServer server;
    menutest::MenuHarness h;

    NetworkRig() {
        HttpRequest::webHost = server.host();
        ContextNetworkWizard1::firewallProbePort = 0;
        Logger::get().clearHistory();
    }
    ~NetworkRig() {
        EXPECT_EQ(HttpRequest::shutdownAll(5000), 0u);
        EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
        HttpRequest::webHost.clear();
        HttpRequest::defaultTotalTimeoutMs = 60000;
        ContextNetworkWizard1::firewallProbePort = NetAddress::DEFAULT_PORT;
    }

    // Runs frames until the condition holds; false after 10 s of waiting
    // for the worker and the server.
    template <class Condition>
    bool stepUntil(Condition condition) {
        const auto start = httptest::Clock::now();
        while (!condition()) {
            if (httptest::msSince(start) > 10000) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            h.step();
        }
        return true;
    }

    // Every message added to a message viewer since the rig began, whole
    // (the viewers wrap them and keep only their newest lines).
    static std::vector<WString> messages() {
        static const std::u16string_view prefix = u"MessageViewer::addMessage(): > ";
        std::vector<WString> out;
        for (const WString& line : Logger::get().history())
            if (line.starts_with(prefix)) out.push_back(line.substr(prefix.size()));
        return out;
    }
    // The messages after the last one equal to `from` (all when there is none).
    static std::vector<WString> messagesAfter(std::u16string_view from) {
        const std::vector<WString> all = messages();
        auto at = std::find(all.rbegin(), all.rend(), from);
        return std::vector<WString>(at.base(), all.end());
    }

    // Runs frames until the newest message is `message`.
    bool stepUntilMessage(std::u16string_view message) {
        return stepUntil([&] {
            const std::vector<WString> all = messages();
            return !all.empty() && all.back() == message;
        });
    }

    const char16_t* text(int32_t id) const { return h.language.getText(id); }

    // Whether the log got the line since the rig began.
    static bool logged(std::u16string_view line) {
        const auto& lines = Logger::get().history();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // The requests the server received for a path.
    std::vector<httptest::LoopbackHttpServer::Request> requestsFor(const std::string& path) {
        std::vector<httptest::LoopbackHttpServer::Request> out;
        for (auto& r : server.requests())
            if (r.path() == path) out.push_back(r);
        return out;
    }
};

// A sealed test reply: magic, payload length (plus lengthDelta), MD5 of the
// payload (its first byte flipped when badDigest), payload.
inline std::string sealedReply(std::string_view payload, int lengthDelta = 0, bool badDigest = false) {
    std::string out = {'\x04', '\x03', '\x02', '\x01'};
    const auto n = static_cast<uint32_t>(static_cast<int64_t>(payload.size()) + lengthDelta);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
    uint8_t digest[16];
    md5Digest(payload.data(), payload.size(), digest);
    if (badDigest) digest[0] ^= 0xFF;
    out.append(reinterpret_cast<const char*>(digest), 16);
    out += payload;
    return out;
}

}  // namespace nettest
