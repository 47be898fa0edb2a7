// The network test page against the tests' web server: the sealed reply and
// its master server, replies that are not sealed, failures, the switch to a
// window, the way on to the configuration page, and a page closed while its
// request runs.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "NetworkRig.h"
#include "gui/ContextPage.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemToggle.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "menu/ContextHelp.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/ContextNetworkWizard1.h"
#include "project_zub/sys/files_test_support.h"
#include "records/GameConfiguration.h"
#include "sys/Paths.h"

using httptest::httpResponse;
using httptest::LoopbackHttpServer;
using nettest::NetworkRig;
using nettest::sealedReply;

namespace {

const char16_t* const kUndecodable = u"ContextNetworkWizard1::tickContents(): Could not decode reply!";
const char16_t* const kUnprintable = u"ContextNetworkWizard1::tickContents(): Received unprintable reply!";

// The standard fields and nothing else, posted to the test's path.
std::string checkTestForm(const LoopbackHttpServer::Request& r) {
    std::vector<LoopbackHttpServer::FormPart> parts;
    std::string why;
    if (r.method != "POST") return "method " + r.method;
    if (!LoopbackHttpServer::parseForm(r, parts, &why)) return why;
    const char* names[] = {"platform", "gameName", "gameVersion", "gamePatch"};
    if (parts.size() != 4) return "parts: " + std::to_string(parts.size());
    for (size_t i = 0; i < 4; ++i)
        if (parts[i].name != names[i] || parts[i].hasFileName) return "part " + parts[i].name;
    if (parts[1].data != "Tumbrodemo" || parts[2].data != "1.25" || parts[3].data != "t") return "standard values";
    return "";
}

// The 16 bytes the configuration file keeps for the master server.
std::vector<uint8_t> masterServerBytes(const GameConfiguration& c) {
    const std::vector<uint8_t> record = c.serialize();
    return std::vector<uint8_t>(record.begin() + 0x257C, record.begin() + 0x258C);
}

struct WizardRig : NetworkRig {
    ContextMenu* below = nullptr;

    WizardRig() {
        h.configuration->fullScreen = 0;  // in a window: NEXT starts the test at once
        below = h.push(new ContextMenu);
    }
    ContextNetworkWizard1* open() {
        auto* page = h.push(new ContextNetworkWizard1);
        h.step(2);
        return page;
    }
    // NEXT, then frames until the outcome's last line.
    bool runTest(ContextNetworkWizard1* page, int32_t lastLine) {
        h.click(page->nextButton);
        return stepUntilMessage(text(lastLine));
    }
    // The messages after STARTINGDOTS.
    std::vector<WString> outcome() const { return messagesAfter(text(SID_STARTINGDOTS)); }
    void close(ContextNetworkWizard1* page) {
        page->done = 1;
        h.step(2);
    }
};

TEST(NetworkTestPage, ASealedReplyNamesTheMasterServerAndLeadsOnToTheConfiguration) {
    WizardRig r;
    std::string formProblem = "no request";
    r.server.handle("/tumbro/nettest.php", [&](const LoopbackHttpServer::Request& req) {
        formProblem = checkTestForm(req);
        return httpResponse(200, "OK", sealedReply("masterServer=1.2.3.4:5\r\nmessage=Hi there\r\n"));
    });
    r.h.configuration->masterServer = NetAddress::of(0x0A000001, 99);

    auto* page = r.open();
    EXPECT_TRUE(page->desktopToggle->bHidden);  // already in a window
    EXPECT_EQ(NetworkRig::messages(), (std::vector<WString>{r.text(SID_NETTESTINTRO1), u"", r.text(SID_NETTESTINTRO2),
                                                            r.text(SID_NETTESTINTRO3), r.text(SID_NETTESTINTRO4)}));
    // On the screen a blank line follows the first.
    EXPECT_EQ(page->messageViewer->lines,
              (std::vector<WString>{r.text(SID_NETTESTINTRO1), u"", r.text(SID_NETTESTINTRO2),
                                    r.text(SID_NETTESTINTRO3), r.text(SID_NETTESTINTRO4)}));
    r.h.click(page->nextButton);
    EXPECT_TRUE(page->nextButton->bDisabled);  // while it runs
    EXPECT_EQ(page->messageViewer->lines.back(), r.text(SID_STARTINGDOTS));
    ASSERT_TRUE(r.stepUntilMessage(r.text(SID_DONEDOT)));
    EXPECT_EQ(page->messageViewer->lines.end()[-2], u"Hi there");
    EXPECT_EQ(formProblem, "");
    EXPECT_EQ(r.outcome(), (std::vector<WString>{r.text(SID_NETTESTSUCCESS), u"Hi there", r.text(SID_DONEDOT)}));
    EXPECT_FALSE(page->nextButton->bDisabled);
    EXPECT_EQ(masterServerBytes(*r.h.configuration),
              (std::vector<uint8_t>{2, 0, 0, 5, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.requestsFor("/tumbro/nettest.php").size(), 1u);

    // NEXT closes the test and opens the configuration over it; NEXT there
    // marks the network configured and both pages go.
    r.h.click(page->nextButton);
    auto* config = r.h.topAs<ContextNetworkConfiguration>();
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(page->done);
    EXPECT_EQ(r.h.depth(), 3);
    r.h.step();
    EXPECT_EQ(r.h.configuration->networkConfigured, 0);
    r.h.click(config->nextButton);
    r.h.step(2);
    EXPECT_EQ(r.h.configuration->networkConfigured, 1);
    EXPECT_EQ(r.h.top(), r.below);
    EXPECT_EQ(r.h.depth(), 1);
    EXPECT_EQ(r.requestsFor("/tumbro/nettest.php").size(), 1u);  // one test per page
}

// What the web server says goes into the log (a real file) as one line
// each, with its control characters escaped: a reply cannot add lines of
// its own to the log that a crash report sends.
TEST(NetworkTestPage, AReplysTextsTakeOneLineOfTheLogEach) {
    WizardRig r;
    const std::string logFile = getUserDataFolder() + "Tumbrodemo.log";
    ASSERT_TRUE(Logger::get().startSession(logFile));
    r.server.reply("/tumbro/nettest.php", httpResponse(200, "OK",
                                                       sealedReply("masterServer=nowhere\rUser: admin\r\n"
                                                                   "message=Hi there\rUser: root\x1b[2J\r\n")));
    auto* page = r.open();
    ASSERT_TRUE(r.runTest(page, SID_DONEDOT));
    EXPECT_EQ(r.outcome(), (std::vector<WString>{r.text(SID_NETTESTSUCCESS), u"Hi there\\rUser: root\\x1b[2J",
                                                 r.text(SID_DONEDOT)}));
    Logger::get().closeFile();

    const std::string log = filestest::readBytes(logFile);
    std::vector<std::string> said, ignored;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n\x1b"), std::string::npos) << line;
        if (line.find("Hi there") != std::string::npos) said.push_back(line);
        if (line.find("nowhere") != std::string::npos) ignored.push_back(line);
        EXPECT_FALSE(line.starts_with("User: ")) << line;
        start = end + 2;
    }
    ASSERT_EQ(said.size(), 1u) << log;
    EXPECT_TRUE(said[0].ends_with("MessageViewer::addMessage(): > Hi there\\rUser: root\\x1b[2J")) << said[0];
    ASSERT_EQ(ignored.size(), 1u) << log;
    EXPECT_TRUE(ignored[0].ends_with(
        "ContextNetworkWizard1::tickContents(): Ignoring the master server 'nowhere\\rUser: admin': not an address "
        "and port."))
        << ignored[0];
}

TEST(NetworkTestPage, RepliesThatFailTheirChecksAreLoggedAndTheTestStillSucceeds) {
    struct Case {
        const char* name;
        std::string body;
        std::vector<WString> between;  // lines between NETTESTSUCCESS and DONEDOT
        const char16_t* log;
    };
    const Case cases[] = {
        {"empty seal", sealedReply(""), {}, nullptr},
        {"length one too long", sealedReply("message=Hi", 1), {}, kUndecodable},
        {"length one too short", sealedReply("message=Hi", -1), {}, kUndecodable},
        {"wrong digest", sealedReply("masterServer=1.2.3.4:5\nmessage=Hi", 0, true), {}, kUndecodable},
        {"header cut short", sealedReply("").substr(0, 23), {}, kUndecodable},
        {"octet above 255", sealedReply("masterServer=1.2.3.256:5\nmessage=m"), {u"m"}, nullptr},
        {"port above 65535", sealedReply("masterServer=1.2.3.4:65536"), {}, nullptr},
        {"trailing text", sealedReply("masterServer=1.2.3.4:5x"), {}, nullptr},
        {"host name", sealedReply("masterServer=example.org:5"), {}, nullptr},
        {"plain text", "OK", {u"OK"}, nullptr},
        {"lines", "Hello\r\nsecond line\n", {u"Hello", u"second line", u""}, nullptr},
        // Only the first four bytes are looked at.
        {"line break early", "OK\r\nsecond line", {}, kUnprintable},
        {"control byte",
         "\x01"
         "abc",
         {},
         kUnprintable},
        {"high byte", "ab\x80", {}, kUnprintable},
        {"empty body", "", {}, kUnprintable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WizardRig r;
        r.server.reply("/tumbro/nettest.php", httpResponse(200, "OK", c.body));
        r.h.configuration->masterServer = NetAddress::of(0x0A000001, 99);
        auto* page = r.open();
        ASSERT_TRUE(r.runTest(page, SID_DONEDOT));
        std::vector<WString> expected = {r.text(SID_NETTESTSUCCESS)};
        expected.insert(expected.end(), c.between.begin(), c.between.end());
        expected.push_back(r.text(SID_DONEDOT));
        EXPECT_EQ(r.outcome(), expected);
        // Cleared when the test started, and nothing well-formed came.
        EXPECT_EQ(r.h.configuration->masterServer.ip, 0u);
        EXPECT_EQ(r.h.configuration->masterServer.port, 0u);
        EXPECT_EQ(NetworkRig::logged(kUndecodable), c.log == kUndecodable);
        EXPECT_EQ(NetworkRig::logged(kUnprintable), c.log == kUnprintable);
        EXPECT_FALSE(page->nextButton->bDisabled);
        r.close(page);
    }
}

// The master server's address is read for its values: three-digit octets
// and a five-digit port up to 255 and 65535 are taken, 256 and 65536 (as
// many digits) are not.
TEST(NetworkTestPage, AMasterServerAddressIsTakenUpTo255And65535) {
    struct Case {
        const char* value;
        std::vector<uint8_t> stored;  // family, port (big-endian), address
    };
    auto bytesOf = [](std::initializer_list<uint8_t> head) {
        std::vector<uint8_t> b(head);
        b.resize(16, 0);
        return b;
    };
    const std::vector<uint8_t> none = bytesOf({2});  // cleared when the test started
    const Case cases[] = {
        {"192.168.1.10:27015", bytesOf({2, 0, 0x69, 0x87, 192, 168, 1, 10})},
        {"255.255.255.255:65535", bytesOf({2, 0, 0xFF, 0xFF, 255, 255, 255, 255})},
        {"10.0.0.200:9", bytesOf({2, 0, 0, 9, 10, 0, 0, 200})},
        {"192.168.1.256:27015", none},
        {"256.168.1.10:27015", none},
        {"192.168.1.10:65536", none},
        {"192.168.1.10:99999", none},
        {"192.168.1.1000:27015", none},
        {"192.168.1.10:270150", none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        WizardRig r;
        r.server.reply("/tumbro/nettest.php",
                       httpResponse(200, "OK", sealedReply(std::string("masterServer=") + c.value + "\r\n")));
        r.h.configuration->masterServer = NetAddress::of(0x0A000001, 99);
        auto* page = r.open();
        ASSERT_TRUE(r.runTest(page, SID_DONEDOT));
        EXPECT_EQ(masterServerBytes(*r.h.configuration), c.stored);
        r.close(page);
    }
}

TEST(NetworkTestPage, ARefusedPortAndATimeOutEachShowTheirFailure) {
    {
        WizardRig r;
        const httptest::RefusingPort refusing;
        HttpRequest::webHost = refusing.host();
        auto* page = r.open();
        ASSERT_TRUE(r.runTest(page, SID_NETTESTFAIL1));
        EXPECT_EQ(r.outcome(), (std::vector<WString>{u"Could not connect (error 00000007)", r.text(SID_CHECKCONNECTION),
                                                     r.text(SID_NETTESTFAIL1)}));
        EXPECT_FALSE(page->nextButton->bDisabled);  // one may go on anyway
        r.h.click(page->nextButton);
        EXPECT_NE(r.h.topAs<ContextNetworkConfiguration>(), nullptr);
    }
    {
        WizardRig r;
        r.server.hold("/tumbro/nettest.php");
        HttpRequest::defaultTotalTimeoutMs = 300;
        auto* page = r.open();
        ASSERT_TRUE(r.runTest(page, SID_NETTESTFAIL1));
        EXPECT_EQ(r.outcome(), (std::vector<WString>{u"Could not send request (error 0000001c)",
                                                     r.text(SID_CHECKCONNECTION), r.text(SID_NETTESTFAIL1)}));
    }
}

TEST(NetworkTestPage, InFullScreenTheFirstNextOnlySwitchesToAWindowAndLeavingRestoresIt) {
    WizardRig r;
    r.server.reply("/tumbro/nettest.php", httpResponse(200, "OK", "OK"));
    r.h.configuration->fullScreen = 1;
    auto* page = r.open();
    EXPECT_FALSE(page->desktopToggle->bHidden);
    EXPECT_EQ(page->bRunOnDesktop, 1);  // never configured: recommended
    const int pushes = r.h.configurationPushes;
    r.h.click(page->nextButton);
    EXPECT_EQ(r.h.configuration->fullScreen, 0);
    EXPECT_EQ(r.h.configurationPushes, pushes + 1);
    EXPECT_TRUE(page->desktopToggle->bHidden);
    EXPECT_EQ(page->request, nullptr);
    r.h.step(2);
    ASSERT_TRUE(r.runTest(page, SID_DONEDOT));
    EXPECT_EQ(r.h.configuration->fullScreen, 0);  // the test ran in the window
    r.close(page);
    EXPECT_EQ(r.h.configuration->fullScreen, 1);
    EXPECT_GT(r.h.configurationPushes, pushes + 1);

    // With the toggle off, the first press tests in full screen.
    auto* again = r.open();
    r.h.click(again->desktopToggle);
    EXPECT_EQ(again->bRunOnDesktop, 0);
    ASSERT_TRUE(r.runTest(again, SID_DONEDOT));
    EXPECT_EQ(r.h.configuration->fullScreen, 1);
    r.close(again);

    // Configured before: the toggle starts off; CANCEL after the switch restores full screen.
    r.h.configuration->networkConfigured = 1;
    auto* third = r.open();
    EXPECT_EQ(third->bRunOnDesktop, 0);
    r.h.click(third->desktopToggle);
    r.h.click(third->nextButton);
    EXPECT_EQ(r.h.configuration->fullScreen, 0);
    r.h.click(third->backButton);
    r.h.step();
    EXPECT_EQ(r.h.top(), r.below);
    EXPECT_EQ(r.h.configuration->fullScreen, 1);
}

TEST(NetworkTestPage, AResultThatArrivesUnderTheHelpPageIsShownOnReturn) {
    WizardRig r;
    r.server.reply("/tumbro/nettest.php", httpResponse(200, "OK", "OK"), 100);
    auto* page = r.open();
    EXPECT_FALSE(page->helpButton->bDisabled);
    r.h.click(page->nextButton);
    r.h.click(page->helpButton);
    ASSERT_NE(r.h.topAs<ContextHelp>(), nullptr);
    ASSERT_TRUE(r.stepUntil([&] { return page->request->getState() == HttpRequest::StateFinished; }));
    r.h.step(3);
    EXPECT_EQ(NetworkRig::messages().back(), r.text(SID_STARTINGDOTS));  // not ticked meanwhile
    EXPECT_TRUE(page->nextButton->bDisabled);
    r.h.pressKey(1);  // Escape closes the help page
    r.h.step();
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(r.outcome(), (std::vector<WString>{r.text(SID_NETTESTSUCCESS), u"OK", r.text(SID_DONEDOT)}));
    EXPECT_FALSE(page->nextButton->bDisabled);
}

TEST(NetworkTestPage, APageClosedWhileItsTestRunsLeavesTheRequestToTheHttpLayer) {
    WizardRig r;
    r.server.hold("/tumbro/nettest.php");
    auto* page = r.open();
    r.h.click(page->nextButton);
    ASSERT_TRUE(r.server.waitForRequests(1));
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 1u);
    r.h.pressKey(1);  // Escape
    r.h.step();
    EXPECT_EQ(r.h.top(), r.below);  // the page is gone; its exchange still runs
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 1u);
    EXPECT_EQ(HttpRequest::shutdownAll(2000), 0u);  // aborted and joined
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
}

// The largest replies the HTTP layer takes (16 MB), through the real web
// server on 127.0.0.1 into a real log file: each adds at most 64 KB to the
// log, which says where it left the rest out; the screen shows the reply's
// last lines.
TEST(NetworkTestPage, AReplyOfSixteenMegabytesAddsAtMost64KBToTheLog) {
    constexpr size_t kLargest = size_t{16} << 20;
    auto fill = [](std::string_view head, std::string_view piece, std::string_view tail) {
        std::string out(head);
        while (out.size() + piece.size() + tail.size() <= kLargest) out += piece;
        out += tail;
        return out;
    };
    std::string hugeValue(kLargest - 1024, 'x');
    struct Case {
        const char* name;
        std::string body;
        std::vector<WString> last;       // the reply's last lines on the screen, before DONEDOT
        const char16_t* lastEnds = u"";  // else how the last line ends
    };
    const Case cases[] = {
        // Wrapped into some 170,000 lines: the last piece ends the reply.
        {"one line", fill("", "abcdefghij", "THE END"), {}, u"END"},
        // (A reply is shown when its first four bytes can be.)
        {"short lines", fill("Scores\n", "ab\n", "last line"), {u"ab", u"ab", u"last line"}},
        {"empty lines", fill("OKAY\r\n", "\r\n", "bye"), {u"OKAY", u"bye"}},
        {"bars", fill("OK", "|", "bye"), {u"OK", u"bye"}},
        {"sealed",
         sealedReply("masterServer=" + hugeValue.substr(0, kLargest / 2) +
                     "\r\nmessage=" + hugeValue.substr(0, kLargest / 2 - 2048) + "\r\n"),
         {},
         u"xxxxxxxxxx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LE(c.body.size(), kLargest);
        WizardRig r;
        const std::string logFile = getUserDataFolder() + "Tumbrodemo.log";
        ASSERT_TRUE(Logger::get().startSession(logFile));
        r.server.reply("/tumbro/nettest.php", httpResponse(200, "OK", c.body));
        auto* page = r.open();
        const uintmax_t before = std::filesystem::file_size(logFile);
        ASSERT_TRUE(r.runTest(page, SID_DONEDOT));
        const uintmax_t added = std::filesystem::file_size(logFile) - before;
        Logger::get().closeFile();
        EXPECT_LE(added, 64u * 1024u);
        EXPECT_GT(added, 32u * 1024u);  // logged as far as the limit goes
        const auto& history = Logger::get().history();
        EXPECT_TRUE(std::any_of(history.begin(), history.end(), [](const WString& l) {
            return l.starts_with(u"MessageViewer::addMessage(): the log leaves out the rest of this text");
        }));
        const std::vector<WString>& shown = page->messageViewer->lines;
        ASSERT_EQ(shown.size(), page->messageViewer->maxLines);
        ASSERT_EQ(shown.back(), r.text(SID_DONEDOT));
        if (!c.last.empty()) {
            EXPECT_EQ(std::vector<WString>(shown.end() - 1 - static_cast<ptrdiff_t>(c.last.size()), shown.end() - 1),
                      c.last);
        } else {
            EXPECT_TRUE(shown.end()[-2].ends_with(c.lastEnds)) << wideToNarrow(shown.end()[-2]);
        }
        EXPECT_EQ(r.h.configuration->masterServer.ip, 0u);
        r.close(page);
    }
}

}  // namespace
