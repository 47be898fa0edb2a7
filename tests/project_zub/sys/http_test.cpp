// HttpRequest against the tests' HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackHttpServer.h"
#include "sys/HttpRequest.h"
#include "util/WString.h"

namespace {

using httptest::Clock;
using httptest::httpResponse;
using httptest::LoopbackHttpServer;
using httptest::msSince;
using httptest::RefusingPort;

// Waits while the request runs; returns the final state.
int32_t waitDone(HttpRequest& r, long timeoutMs = 10000) {
    const auto start = Clock::now();
    while (r.getState() == HttpRequest::StateRunning && msSince(start) < timeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return r.getState();
}

std::string replyString(const HttpRequest& r) { return std::string(r.getReply().view()); }

std::string boundaryOf(const std::string& contentType) {
    const std::string prefix = "multipart/form-data; boundary=";
    EXPECT_EQ(contentType.rfind(prefix, 0), 0u) << contentType;
    return contentType.substr(prefix.size());
}

bool startsWith(const WString& text, std::u16string_view prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

class HttpRequestTest : public ::testing::Test {
protected:
    void TearDown() override {
        HttpRequest::simulatedThreadError = 0;
        EXPECT_EQ(HttpRequest::shutdownAll(5000), 0u);
        EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
    }
};

TEST_F(HttpRequestTest, GetReturnsTheReplyAndStatesGoIdleRunningFinished) {
    LoopbackHttpServer server;
    server.reply("/tumbro/hello.php", httpResponse(200, "OK", "Hello, world"), 100);
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
    LoopbackHttpServer server;
    server.reply("/tumbro/highscoreupload.php", httpResponse(200, "OK", "Thanks"));

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
    const std::string expected =
        head + platform + "\r\n" + d + "gameName\"\r\n\r\nTumbrodemo\r\n" + d + "gameVersion\"\r\n\r\n1.25\r\n" + d +
        "gamePatch\"\r\n\r\nt\r\n" + d + "crashLog\"; filename=\"crash.Tumbrodemo.log\"" + file + binary + "\r\n" + d +
        "HSTfile\"; filename=\"Tumbrodemo.hst\"" + file + big + "\r\n" + d + "empty\"" + file + "\r\n" + d +
        "message\"\r\n\r\nGr\xc3\xbc\xc3\x9f"
        "e \xe2\x82\xac \xf0\x9f\x98\x80\r\n" +
        d + "odd%22name\"\r\n\r\nx\r\n--" + boundary + "--\r\n";
    EXPECT_EQ(req.body, expected);

    // The tests' server reads the same parts back.
    std::vector<LoopbackHttpServer::FormPart> parts;
    std::string why;
    ASSERT_TRUE(LoopbackHttpServer::parseForm(req, parts, &why)) << why;
    ASSERT_EQ(parts.size(), 9u);
    EXPECT_EQ(parts[4].name, "crashLog");
    EXPECT_EQ(parts[4].data, binary);
    EXPECT_EQ(parts[5].fileName, "Tumbrodemo.hst");
    EXPECT_EQ(parts[5].contentType, "application/octet-stream");
    EXPECT_EQ(parts[5].data, big);
    EXPECT_FALSE(parts[7].hasFileName);
    EXPECT_EQ(parts[8].name, "odd%22name");
}

TEST_F(HttpRequestTest, UnreachableUnsetOrMalformedAddressesFailWithTheirStage) {
    const RefusingPort refusing;
    EXPECT_EQ(HttpRequest::webHost, u"");
    const std::pair<WString, const char16_t*> cases[] = {
        {refusing.host(), u"Could not connect (error 00000007)"},
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
}

TEST_F(HttpRequestTest, StatusOutside2xxFails) {
    LoopbackHttpServer server;
    server.reply("/e404", httpResponse(404, "Not Found", "missing"));
    server.reply("/e500", httpResponse(500, "Internal Server Error", "boom"));
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
    LoopbackHttpServer server;
    server.route("/closed", LoopbackHttpServer::Route{LoopbackHttpServer::Action::Close, "", 0, nullptr});
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
    LoopbackHttpServer server;
    server.hold("/silent");
    HttpRequest r(server.host(), u"/silent");
    r.totalTimeoutMs = 300;
    const auto start = Clock::now();
    ASSERT_TRUE(r.start());
    EXPECT_EQ(waitDone(r), HttpRequest::StateFailed);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(r.getErrorText(), u"Could not send request (error 0000001c)");
}

TEST_F(HttpRequestTest, ReplyTextFollowsTheByteOrderMark) {
    LoopbackHttpServer server;
    // "Hé€" then a character outside the BMP.
    const std::string le = std::string(
        "\xff\xfe"
        "H\0"
        "\xe9\0"
        "\xac\x20"
        "\x3d\xd8\x00\xde",
        12);
    const std::string be = std::string(
        "\xfe\xff"
        "\0H"
        "\0\xe9"
        "\x20\xac"
        "\xd8\x3d\xde\x00",
        12);
    server.reply("/le", httpResponse(200, "OK", le));
    server.reply("/be", httpResponse(200, "OK", be));
    server.reply("/utf8", httpResponse(200, "OK", "H\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\r\nline 2"));
    server.reply("/utf8bom", httpResponse(200, "OK", "\xef\xbb\xbfH\xc3\xa9"));
    server.reply("/odd", httpResponse(200, "OK",
                                      std::string("\xff\xfe"
                                                  "A\0"
                                                  "B",
                                                  5)));

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
    LoopbackHttpServer server;
    server.hold("/silent");
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
    server.reply("/again", httpResponse(200, "OK", "again"));
    HttpRequest again(server.host(), u"/again");
    ASSERT_TRUE(again.start());
    EXPECT_EQ(waitDone(again), HttpRequest::StateFinished);
}

TEST_F(HttpRequestTest, DeletingARunningRequestIsSafe) {
    LoopbackHttpServer server;
    server.reply("/slow", httpResponse(200, "OK", std::string(100000, 'x')), 150);

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
    server.hold("/silent");
    auto* held = new HttpRequest(server.host(), u"/silent");
    held->beginForm();
    ASSERT_TRUE(held->start());
    delete held;
    EXPECT_EQ(HttpRequest::shutdownAll(2000), 0u);
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
}

TEST_F(HttpRequestTest, PagesForTheBrowserGoToTheSetHostOrTheMakers) {
    EXPECT_EQ(HttpRequest::pageAddress(u"/tumbro/highscoretable.php"),
              u"http://www.velmorastudios.example/tumbro/highscoretable.php");
    HttpRequest::webHost = u"127.0.0.1:8080";
    EXPECT_EQ(HttpRequest::pageAddress(u"/tumbro/onlinehelp.php"), u"http://127.0.0.1:8080/tumbro/onlinehelp.php");
    HttpRequest::webHost.clear();
}

TEST_F(HttpRequestTest, NewRequestsTakeTheDefaultTimeouts) {
    LoopbackHttpServer server;
    server.hold("/silent");
    HttpRequest::defaultTotalTimeoutMs = 200;
    HttpRequest r(server.host(), u"/silent");
    HttpRequest::defaultTotalTimeoutMs = 60000;
    EXPECT_EQ(r.totalTimeoutMs, 200);
    ASSERT_TRUE(r.start());
    EXPECT_EQ(waitDone(r), HttpRequest::StateFailed);
    EXPECT_EQ(r.getErrorText(), u"Could not send request (error 0000001c)");
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
