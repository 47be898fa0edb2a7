// HttpRequest against a small HTTP server on 127.0.0.1 run by the test itself.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sys/HttpRequest.h"
#include "util/WString.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string response(int status, const std::string& reason, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: application/octet-stream\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// One-thread HTTP/1.1 server on 127.0.0.1, one connection at a time. Each
// request is read in full (headers, then Content-Length bytes of body),
// recorded, and handled by the route of its path.
class LoopbackServer {
public:
    enum class Action { Reply, Hold, Close };
    struct Route {
        Action action = Action::Reply;
        std::string raw;  // the whole answer, for Reply
        int delayMs = 0;  // wait before answering
    };
    struct Request {
        std::string method;
        std::string target;
        std::map<std::string, std::string> headers;  // lower-case names
        std::string body;
    };

    LoopbackServer() {
        listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        bool ok = ::bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                  ::listen(listenFd, 8) == 0;
        socklen_t len = sizeof addr;
        ok = ok && ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
        EXPECT_TRUE(ok) << "loopback server could not listen";
        listenPort = ntohs(addr.sin_port);
        thread = std::thread([this] { run(); });
    }

    ~LoopbackServer() {
        stop.store(true);
        thread.join();
        ::close(listenFd);
    }

    WString host() const { return narrowToWide("127.0.0.1:" + std::to_string(listenPort)); }

    void route(const std::string& path, Route r) {
        std::lock_guard<std::mutex> lock(mutex);
        routes[path] = std::move(r);
    }
    void reply(const std::string& path, const std::string& raw, int delayMs = 0) {
        route(path, Route{Action::Reply, raw, delayMs});
    }

    std::vector<Request> requests() {
        std::lock_guard<std::mutex> lock(mutex);
        return received;
    }

    bool waitForRequests(size_t count, long timeoutMs = 5000) {
        const auto start = Clock::now();
        while (msSince(start) < timeoutMs) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (received.size() >= count) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

private:
    // Waits until fd is readable; false when stopping or after timeoutMs.
    bool waitReadable(int fd, long timeoutMs) {
        const auto start = Clock::now();
        while (!stop.load()) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) return true;
            if (timeoutMs >= 0 && msSince(start) >= timeoutMs) return false;
        }
        return false;
    }

    bool readRequest(int fd, Request& req) {
        std::string data;
        size_t headerEnd = std::string::npos;
        size_t contentLength = 0;
        char buf[4096];
        for (;;) {
            if (headerEnd == std::string::npos) {
                headerEnd = data.find("\r\n\r\n");
                if (headerEnd != std::string::npos) {
                    parseHead(data.substr(0, headerEnd), req);
                    auto it = req.headers.find("content-length");
                    if (it != req.headers.end()) contentLength = std::stoul(it->second);
                }
            }
            if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength) {
                req.body = data.substr(headerEnd + 4, contentLength);
                return true;
            }
            if (!waitReadable(fd, 5000)) return false;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return false;
            data.append(buf, static_cast<size_t>(n));
        }
    }

    static void parseHead(const std::string& head, Request& req) {
        size_t lineEnd = head.find("\r\n");
        const std::string first = head.substr(0, lineEnd);
        const size_t s1 = first.find(' ');
        const size_t s2 = first.find(' ', s1 + 1);
        req.method = first.substr(0, s1);
        req.target = first.substr(s1 + 1, s2 - s1 - 1);
        size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
            size_t end = head.find("\r\n", pos);
            if (end == std::string::npos) end = head.size();
            const std::string line = head.substr(pos, end - pos);
            const size_t colon = line.find(':');
            if (colon != std::string::npos) {
                size_t v = colon + 1;
                while (v < line.size() && line[v] == ' ') ++v;
                req.headers[lower(line.substr(0, colon))] = line.substr(v);
            }
            pos = end + 2;
        }
    }

    void sendAll(int fd, const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    void serve(int fd) {
        Request req;
        if (!readRequest(fd, req)) return;
        Route r;
        {
            std::lock_guard<std::mutex> lock(mutex);
            received.push_back(req);
            const std::string path = req.target.substr(0, req.target.find('?'));
            auto it = routes.find(path);
            r = it != routes.end() ? it->second : Route{Action::Reply, response(404, "Not Found", ""), 0};
        }
        if (r.delayMs > 0) {
            const auto start = Clock::now();
            while (!stop.load() && msSince(start) < r.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        switch (r.action) {
        case Action::Reply:
            sendAll(fd, r.raw);
            break;
        case Action::Hold:
            // Never answer; keep the connection until the client gives up.
            while (waitReadable(fd, -1)) {
                char buf[256];
                if (::recv(fd, buf, sizeof buf, 0) <= 0) break;
            }
            break;
        case Action::Close:
            break;
        }
    }

    void run() {
        while (!stop.load()) {
            if (!waitReadable(listenFd, -1)) break;
            const int fd = ::accept(listenFd, nullptr, nullptr);
            if (fd < 0) continue;
            serve(fd);
            ::shutdown(fd, SHUT_RDWR);
            ::close(fd);
        }
    }

    int listenFd = -1;
    uint16_t listenPort = 0;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::map<std::string, Route> routes;
    std::vector<Request> received;
    std::thread thread;
};

// Waits while the request runs; returns the final state.
int32_t waitDone(HttpRequest& r, long timeoutMs = 10000) {
    const auto start = Clock::now();
    while (r.getState() == HttpRequest::StateRunning && msSince(start) < timeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return r.getState();
}

std::string replyString(const HttpRequest& r) {
    return std::string(r.getReply().view());
}

std::string boundaryOf(const std::string& contentType) {
    const std::string prefix = "multipart/form-data; boundary=";
    EXPECT_EQ(contentType.rfind(prefix, 0), 0u) << contentType;
    return contentType.substr(prefix.size());
}

bool startsWith(const WString& text, std::u16string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class HttpRequestTest : public ::testing::Test {
protected:
    void TearDown() override {
        HttpRequest::simulatedThreadError = 0;
        EXPECT_EQ(HttpRequest::shutdownAll(5000), 0u);
        EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
    }
};

TEST_F(HttpRequestTest, GetReturnsTheReplyAndStatesGoIdleRunningFinished) {
    LoopbackServer server;
    server.reply("/tumbro/hello.php", response(200, "OK", "Hello, world"), 100);
    HttpRequest r(server.host(), u"/tumbro/hello.php?x=1");
    EXPECT_EQ(r.getState(), HttpRequest::StateIdle);
    EXPECT_EQ(r.getReply().data, nullptr);
    EXPECT_TRUE(r.start());
    EXPECT_EQ(r.getState(), HttpRequest::StateRunning);
    EXPECT_TRUE(r.isBusy());
    ASSERT_EQ(waitDone(r), HttpRequest::StateFinished) << wideToNarrow(r.getErrorText());
    EXPECT_EQ(replyString(r), "Hello, world");
    EXPECT_EQ(r.getReplyText(), u"Hello, world");
    EXPECT_EQ(r.getErrorText(), u"");

    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].method, "GET");
    EXPECT_EQ(reqs[0].target, "/tumbro/hello.php?x=1");
    EXPECT_EQ(reqs[0].body, "");
    EXPECT_EQ(reqs[0].headers.count("content-type"), 0u);

    // The owner turns the result back to idle and can still read it.
    r.setIdle();
    EXPECT_EQ(r.getState(), HttpRequest::StateIdle);
    EXPECT_EQ(replyString(r), "Hello, world");
    // A request runs once.
    EXPECT_FALSE(r.start());
    EXPECT_EQ(r.getState(), HttpRequest::StateIdle);
}

TEST_F(HttpRequestTest, MultipartPostCarriesStandardFieldsThenOwnParts) {
    LoopbackServer server;
    server.reply("/tumbro/highscoreupload.php", response(200, "OK", "Thanks"));

    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    binary += "\r\n------ZubFormBoundary\r\n--\r\n\r\n";
    binary += std::string(3, '\0');
    std::string big(9584, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7 + 3) & 0xFF);

    HttpRequest r(server.host(), u"/tumbro/highscoreupload.php");
    r.beginForm();
    r.addFormField(binary.data(), binary.size(), u"crashLog", u"crash.Tumbrodemo.log");
    r.addFormField(big.data(), big.size(), u"HSTfile", u"Tumbrodemo.hst");
    r.addFormField("", 0, u"empty");
    r.addFormField(u"message", u"Gr\u00fc\u00dfe \u20ac \U0001F600");
    r.addFormField(u"odd\"name", u"x");
    ASSERT_TRUE(r.start());
    // Fields added after the start are ignored.
    r.addFormField(u"late", u"ignored");
    ASSERT_EQ(waitDone(r), HttpRequest::StateFinished) << wideToNarrow(r.getErrorText());
    EXPECT_EQ(r.getReplyText(), u"Thanks");

    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 1u);
    const auto& req = reqs[0];
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.headers.count("expect"), 0u);
    const std::string boundary = boundaryOf(req.headers.at("content-type"));
    ASSERT_GE(boundary.size(), 20u);
    // Every part in order, each "--boundary", its headers, a blank line and
    // its bytes; the standard fields first, the last boundary closed.
    const std::string d = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"";
    const std::string file = "\r\nContent-Type: application/octet-stream\r\n\r\n";
    const std::string head = d + "platform\"\r\n\r\n";
    ASSERT_EQ(req.body.rfind(head, 0), 0u);
    const std::string platform = req.body.substr(head.size(), req.body.find("\r\n", head.size()) - head.size());
#if defined(__x86_64__)
    EXPECT_EQ(platform, "linux-x86_64");
#endif
    const std::string expected = head + platform + "\r\n" + d + "gameName\"\r\n\r\nTumbrodemo\r\n" + d + "gameVersion\"\r\n\r\n1.25\r\n" + d +
                "gamePatch\"\r\n\r\nt\r\n" + d + "crashLog\"; filename=\"crash.Tumbrodemo.log\"" + file + binary +
                "\r\n" + d + "HSTfile\"; filename=\"Tumbrodemo.hst\"" + file + big + "\r\n" + d + "empty\"" + file +
                "\r\n" + d + "message\"\r\n\r\nGr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xf0\x9f\x98\x80\r\n" + d +
                "odd%22name\"\r\n\r\nx\r\n--" + boundary + "--\r\n";
    EXPECT_EQ(req.body, expected);
}

TEST_F(HttpRequestTest, UnreachableUnsetOrMalformedAddressesFailWithTheirStage) {
    // A bound socket that does not listen: connections to it are refused.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    EXPECT_EQ(HttpRequest::webHost, u"");
    const std::pair<WString, const char16_t*> cases[] = {
        {narrowToWide("127.0.0.1:" + std::to_string(ntohs(addr.sin_port))), u"Could not connect (error 00000007)"},
        {HttpRequest::webHost, u"Could not connect (error 00000006)"},
        {u"127.0.0.1/evil@x", u"Could not open request (error 00000003)"},
    };
    for (const auto& [host, text] : cases) {
        HttpRequest r(host, u"/tumbro/nettest.php");
        r.beginForm();
        ASSERT_TRUE(r.start());
        EXPECT_EQ(waitDone(r), HttpRequest::StateFailed);
        EXPECT_EQ(r.getErrorText(), text);
        EXPECT_EQ(r.getReply().data, nullptr);
    }
    HttpRequest noSlash(u"127.0.0.1:1", u"a b");
    ASSERT_TRUE(noSlash.start());
    EXPECT_EQ(waitDone(noSlash), HttpRequest::StateFailed);
    EXPECT_EQ(noSlash.getErrorText(), u"Could not open request (error 00000003)");
    ::close(fd);
}

TEST_F(HttpRequestTest, StatusOutside2xxFails) {
    LoopbackServer server;
    server.reply("/e404", response(404, "Not Found", "missing"));
    server.reply("/e500", response(500, "Internal Server Error", "boom"));
    server.reply("/e302", "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\nContent-Length: 0\r\n\r\n");
    server.reply("/e204", "HTTP/1.1 204 No Content\r\n\r\n");
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"/e404", u"Failed with HTTP status code 404"},
        {u"/e500", u"Failed with HTTP status code 500"},
        {u"/e302", u"Failed with HTTP status code 302"},
    };
    for (const auto& [path, text] : cases) {
        HttpRequest r(server.host(), path);
        r.beginForm();
        ASSERT_TRUE(r.start());
        EXPECT_EQ(waitDone(r), HttpRequest::StateFailed);
        EXPECT_EQ(r.getErrorText(), text);
        EXPECT_EQ(r.getReply().size, 0u);
    }
    HttpRequest ok(server.host(), u"/e204");
    ASSERT_TRUE(ok.start());
    EXPECT_EQ(waitDone(ok), HttpRequest::StateFinished);
    EXPECT_EQ(ok.getReply().data, nullptr);
    EXPECT_EQ(ok.getReply().size, 0u);
    EXPECT_EQ(ok.getReplyText(), u"");
    EXPECT_EQ(server.requests().size(), 4u);  // the redirect was not followed
}

TEST_F(HttpRequestTest, BrokenExchangesFailWithTheirStage) {
    LoopbackServer server;
    server.route("/closed", LoopbackServer::Route{LoopbackServer::Action::Close, "", 0});
    server.reply("/garbage", "this is not HTTP at all\r\n\r\n");

    HttpRequest closed(server.host(), u"/closed");
    closed.beginForm();
    ASSERT_TRUE(closed.start());
    EXPECT_EQ(waitDone(closed), HttpRequest::StateFailed);
    EXPECT_EQ(closed.getErrorText(), u"Could not send request (error 00000034)");

    HttpRequest garbage(server.host(), u"/garbage");
    ASSERT_TRUE(garbage.start());
    EXPECT_EQ(waitDone(garbage), HttpRequest::StateFailed);
    EXPECT_TRUE(startsWith(garbage.getErrorText(), u"Could not query HTTP status code (error 0000000"))
        << wideToNarrow(garbage.getErrorText());
}

TEST_F(HttpRequestTest, TotalTimeoutEndsASilentExchange) {
    LoopbackServer server;
    server.route("/silent", LoopbackServer::Route{LoopbackServer::Action::Hold, "", 0});
    HttpRequest r(server.host(), u"/silent");
    r.totalTimeoutMs = 300;
    const auto start = Clock::now();
    ASSERT_TRUE(r.start());
    EXPECT_EQ(waitDone(r), HttpRequest::StateFailed);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(r.getErrorText(), u"Could not send request (error 0000001c)");
}

TEST_F(HttpRequestTest, ReplyTextFollowsTheByteOrderMark) {
    LoopbackServer server;
    // "Hé€" then a character outside the BMP.
    const std::string le = std::string("\xff\xfe" "H\0" "\xe9\0" "\xac\x20" "\x3d\xd8\x00\xde", 12);
    const std::string be = std::string("\xfe\xff" "\0H" "\0\xe9" "\x20\xac" "\xd8\x3d\xde\x00", 12);
    server.reply("/le", response(200, "OK", le));
    server.reply("/be", response(200, "OK", be));
    server.reply("/utf8", response(200, "OK", "H\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\r\nline 2"));
    server.reply("/utf8bom", response(200, "OK", "\xef\xbb\xbfH\xc3\xa9"));
    server.reply("/odd", response(200, "OK", std::string("\xff\xfe" "A\0" "B", 5)));

    const std::pair<const char16_t*, WString> cases[] = {
        {u"/le", u"H\u00e9\u20ac\U0001F600"},
        {u"/be", u"H\u00e9\u20ac\U0001F600"},
        {u"/utf8", u"H\u00e9\u20ac\U0001F600\r\nline 2"},
        {u"/utf8bom", u"H\u00e9"},
        {u"/odd", u"A\uFFFD"},
    };
    for (const auto& [path, text] : cases) {
        SCOPED_TRACE(wideToNarrow(path));
        HttpRequest r(server.host(), path);
        ASSERT_TRUE(r.start());
        ASSERT_EQ(waitDone(r), HttpRequest::StateFinished) << wideToNarrow(r.getErrorText());
        EXPECT_EQ(r.getReplyText(), text);
    }
    HttpRequest r(server.host(), u"/le");
    ASSERT_TRUE(r.start());
    ASSERT_EQ(waitDone(r), HttpRequest::StateFinished);
    EXPECT_EQ(replyString(r), le);  // the bytes themselves are kept as sent
}

TEST_F(HttpRequestTest, ShutdownAllAbortsRunningRequestsWithinTheBound) {
    LoopbackServer server;
    server.route("/silent", LoopbackServer::Route{LoopbackServer::Action::Hold, "", 0});
    HttpRequest r(server.host(), u"/silent");
    r.beginForm();
    ASSERT_TRUE(r.start());
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(r.getState(), HttpRequest::StateRunning);
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 1u);

    const auto start = Clock::now();
    EXPECT_EQ(HttpRequest::shutdownAll(2000), 0u);
    EXPECT_LT(msSince(start), 2000);
    EXPECT_EQ(r.getState(), HttpRequest::StateFailed);
    EXPECT_EQ(r.getErrorText(), u"Could not send request (error 0000002a)");
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);

    // Requests made after a shutdown run normally.
    server.reply("/again", response(200, "OK", "again"));
    HttpRequest again(server.host(), u"/again");
    ASSERT_TRUE(again.start());
    EXPECT_EQ(waitDone(again), HttpRequest::StateFinished);
}

TEST_F(HttpRequestTest, DeletingARunningRequestIsSafe) {
    LoopbackServer server;
    server.reply("/slow", response(200, "OK", std::string(100000, 'x')), 150);

    // Deleted while running: the worker finishes on its own.
    auto* r = new HttpRequest(server.host(), u"/slow");
    r->beginForm();
    ASSERT_TRUE(r->start());
    ASSERT_TRUE(server.waitForRequests(1));
    delete r;
    const auto start = Clock::now();
    while (HttpRequest::liveWorkerCount() != 0 && msSince(start) < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);

    // Deleted right after the start, then stopped by the shutdown.
    server.route("/silent", LoopbackServer::Route{LoopbackServer::Action::Hold, "", 0});
    auto* held = new HttpRequest(server.host(), u"/silent");
    held->beginForm();
    ASSERT_TRUE(held->start());
    delete held;
    EXPECT_EQ(HttpRequest::shutdownAll(2000), 0u);
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);

}

TEST_F(HttpRequestTest, ThreadCreationFailureGivesItsText) {
    HttpRequest::simulatedThreadError = 11;
    HttpRequest r(u"", u"/tumbro/crashreport.php");
    r.beginForm();
    EXPECT_FALSE(r.start());
    EXPECT_EQ(r.getState(), HttpRequest::StateFailed);
    EXPECT_EQ(r.getErrorText(), u"Thread creation failed (error 0000000b)");
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
    r.setIdle();
    EXPECT_EQ(r.getState(), HttpRequest::StateIdle);
}

}  // namespace
