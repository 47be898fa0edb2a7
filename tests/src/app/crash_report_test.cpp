// The crash report against the tests' web server: the files it finds, the
// way through the network set-up when the network is not configured, the
// form it posts, and the files it deletes when it is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "NetworkRig.h"
#include "app/CrashReport.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/ContextNetworkWizard1.h"
#include "platform/CrashHandler.h"
#include "platform/PlatformSystem.h"
#include "project_zub/sys/files_test_support.h"
#include "records/GameConfiguration.h"
#include "sys/CrashFiles.h"
#include "sys/Logger.h"
#include "sys/Paths.h"
#include "sys/SystemInfo.h"

using httptest::httpResponse;
using httptest::LoopbackHttpServer;
using nettest::NetworkRig;

namespace {

namespace fs = std::filesystem;

struct CrashRig : NetworkRig {
    ContextMenu* below = h.push(new ContextMenu);
    std::map<std::string, std::string> posted;  // form field -> bytes of the last report
    std::vector<std::string> fieldOrder;
    std::string formProblem = "no report";

    CrashRig() {
        server.handle("/tumbro/crashreport.php", [this](const LoopbackHttpServer::Request& r) {
            std::vector<LoopbackHttpServer::FormPart> parts;
            formProblem.clear();
            if (r.method != "POST" || !LoopbackHttpServer::parseForm(r, parts, &formProblem))
                return httpResponse(400, "Bad Request", "");
            const char* standard[] = {"platform", "gameName", "gameVersion", "gamePatch"};
            for (size_t i = 0; i < parts.size(); ++i) {
                if (i < 4 && parts[i].name != standard[i]) formProblem = "standard field " + parts[i].name;
                if (i >= 4) {
                    if (parts[i].hasFileName) formProblem = "a file name on " + parts[i].name;
                    if (parts[i].contentType != "application/octet-stream")
                        formProblem = "type " + parts[i].contentType;
                    posted[parts[i].name] = parts[i].data;
                    fieldOrder.push_back(parts[i].name);
                }
            }
            return httpResponse(200, "OK", "Thanks for the report\nTicket 42");
        });
        server.reply("/tumbro/nettest.php", httpResponse(200, "OK", "OK"));
    }

    static void write(const WString& path, const std::string& bytes) {
        std::ofstream(wideToNarrow(path), std::ios::binary) << bytes;
    }
    // The four crash files with the given sizes (0: not written).
    void writeFiles(size_t log, size_t dump, size_t screenshot, size_t traffic) {
        if (log) write(CrashReport::logPath(), std::string(log, 'L'));
        if (dump) write(CrashReport::miniDumpPath(), std::string(dump, 'D'));
        if (screenshot) write(CrashReport::screenshotPath(), std::string(screenshot, '\xFF'));
        if (traffic) write(CrashReport::netTrafficPath(), std::string(traffic, '\0'));
    }
    static int filesLeft() {
        int n = 0;
        for (const WString& p : {CrashReport::logPath(), CrashReport::miniDumpPath(), CrashReport::screenshotPath(),
                                 CrashReport::netTrafficPath()})
            n += fs::exists(wideToNarrow(p)) ? 1 : 0;
        return n;
    }
    CrashReport* open() {
        auto* screen = h.push(new CrashReport);
        h.step(2);
        return screen;
    }
    // NEXT, then frames until the server's answer is shown.
    bool send(CrashReport* screen) {
        h.click(screen->sendItem);
        return stepUntilMessage(u"Ticket 42");
    }
    void leave(CrashReport* screen) {
        h.click(screen->backButton);
        h.step();
        EXPECT_EQ(h.top(), below);
    }
};

TEST(CrashReport, FilesAreNamedAfterTheProgramInTheUserFolder) {
    menutest::MenuHarness h;
    EXPECT_EQ(CrashReport::logName(), u"crash.Tumbrodemo.log");
    EXPECT_EQ(CrashReport::miniDumpName(), u"crash.Tumbrodemo.mdmp");
    EXPECT_EQ(CrashReport::screenshotName(), u"crash.Tumbrodemo.jpg");
    EXPECT_EQ(CrashReport::netTrafficName(), u"crash.Tumbrodemo.net");
    const WString folder = narrowToWide(getUserDataFolder());
    EXPECT_EQ(CrashReport::logPath(), folder + CrashReport::logName());
    EXPECT_EQ(CrashReport::miniDumpPath(), folder + CrashReport::miniDumpName());
    EXPECT_EQ(CrashReport::screenshotPath(), folder + CrashReport::screenshotName());
    EXPECT_EQ(CrashReport::netTrafficPath(), folder + CrashReport::netTrafficName());

    // Only the log or the dump makes a report.
    EXPECT_FALSE(CrashReport::filesExist());
    CrashRig::write(CrashReport::screenshotPath(), "jpg");
    CrashRig::write(CrashReport::netTrafficPath(), "net");
    EXPECT_FALSE(CrashReport::filesExist());
    CrashRig::write(CrashReport::miniDumpPath(), "dump");
    EXPECT_TRUE(CrashReport::filesExist());
    CrashReport::deleteFiles();
    EXPECT_EQ(CrashRig::filesLeft(), 0);
    CrashRig::write(CrashReport::logPath(), "log");
    EXPECT_TRUE(CrashReport::filesExist());
}

TEST(CrashReport, WithoutANetworkTheSetUpComesFirstThenTheReportGoesUpAndTheFilesAreDeleted) {
    CrashRig r;
    r.writeFiles(1000, 234, 3000, 4);
    ASSERT_TRUE(CrashReport::filesExist());
    auto* screen = r.open();
    EXPECT_EQ(NetworkRig::messages(),
              (std::vector<WString>{r.text(SID_ERRORREPORTINTRO1), r.text(SID_ERRORREPORTINTRO2),
                                    r.text(SID_ERRORREPORTINTRO3), u"", r.text(SID_ERRORREPORTWIZARD1),
                                    r.text(SID_ERRORREPORTWIZARD2)}));
    // On the screen a blank line stands between the intro and the set-up.
    const std::vector<WString>& lines = screen->messages->lines;
    const auto setUp = std::find(lines.begin(), lines.end(), WString(r.text(SID_ERRORREPORTWIZARD1)));
    ASSERT_NE(setUp, lines.end());
    ASSERT_NE(setUp, lines.begin());
    EXPECT_EQ(setUp[-1], u"");
    EXPECT_EQ(lines.end() - setUp, 2);
    EXPECT_TRUE(screen->sendItem->bDisabled);
    ASSERT_NE(screen->wizardItem, nullptr);
    EXPECT_FALSE(screen->wizardItem->bDisabled);
    r.h.click(screen->sendItem);
    EXPECT_TRUE(r.requestsFor("/tumbro/crashreport.php").empty());

    // The network test, then the configuration, through their own pages.
    r.h.click(screen->wizardItem);
    auto* test = r.h.topAs<ContextNetworkWizard1>();
    ASSERT_NE(test, nullptr);
    r.h.configuration->fullScreen = 0;
    r.h.step();
    r.h.click(test->nextButton);
    ASSERT_TRUE(r.stepUntilMessage(r.text(SID_DONEDOT)));
    r.h.click(test->nextButton);
    auto* configuration = r.h.topAs<ContextNetworkConfiguration>();
    ASSERT_NE(configuration, nullptr);
    r.h.step();
    r.h.click(configuration->nextButton);
    r.h.step(2);
    ASSERT_EQ(r.h.top(), screen);
    EXPECT_EQ(r.h.configuration->networkConfigured, 1);
    EXPECT_FALSE(screen->sendItem->bDisabled);
    EXPECT_TRUE(screen->wizardItem->bDisabled);

    ASSERT_TRUE(r.send(screen));
    EXPECT_EQ(r.formProblem, "");
    EXPECT_EQ(r.fieldOrder,
              (std::vector<std::string>{"crashLog", "crashMiniDump", "crashScreenshot", "crashNetTraffic"}));
    EXPECT_EQ(r.posted["crashLog"], std::string(1000, 'L'));
    EXPECT_EQ(r.posted["crashMiniDump"], std::string(234, 'D'));
    EXPECT_EQ(r.posted["crashScreenshot"], std::string(3000, '\xFF'));
    EXPECT_EQ(r.posted["crashNetTraffic"], std::string(4, '\0'));
    EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_DONEDOT)),
              (std::vector<WString>{u"Uploading error data (4,238 bytes).", r.text(SID_ERRORREPORTPLEASEWAIT),
                                    r.text(SID_CONNECTED), u"Thanks for the report", u"Ticket 42"}));
    EXPECT_TRUE(screen->sendItem->bDisabled);
    r.h.click(screen->sendItem);
    EXPECT_EQ(r.requestsFor("/tumbro/crashreport.php").size(), 1u);  // one report per screen

    EXPECT_EQ(CrashRig::filesLeft(), 4);  // until the screen is left
    r.leave(screen);
    EXPECT_EQ(CrashRig::filesLeft(), 0);
}

TEST(CrashReport, OnlyTheFilesThatExistAreSent) {
    for (const bool logOnly : {true, false}) {
        SCOPED_TRACE(logOnly ? "only the log" : "only the dump");
        CrashRig r;
        r.h.configuration->networkConfigured = 1;
        if (logOnly) r.writeFiles(1234567, 0, 0, 0);
        else r.writeFiles(0, 777, 0, 0);
        ASSERT_TRUE(CrashReport::filesExist());
        auto* screen = r.open();
        EXPECT_EQ(screen->wizardItem, nullptr);
        EXPECT_FALSE(screen->sendItem->bDisabled);
        ASSERT_TRUE(r.send(screen));
        EXPECT_EQ(r.formProblem, "");
        EXPECT_EQ(r.fieldOrder, std::vector<std::string>{logOnly ? "crashLog" : "crashMiniDump"});
        EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_ERRORREPORTINTRO3)).front(),
                  logOnly ? u"Uploading error data (1,234,567 bytes)." : u"Uploading error data (777 bytes).");
        r.leave(screen);
        EXPECT_EQ(CrashRig::filesLeft(), 0);
    }
}

TEST(CrashReport, AFailedUploadKeepsNextDisabledAndTheFilesStayWithoutANetwork) {
    {
        CrashRig r;
        const httptest::RefusingPort refusing;
        HttpRequest::webHost = refusing.host();
        r.h.configuration->networkConfigured = 1;
        r.writeFiles(10, 10, 0, 0);
        auto* screen = r.open();
        r.h.click(screen->sendItem);
        ASSERT_TRUE(r.stepUntilMessage(r.text(SID_FAILED)));
        EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_ERRORREPORTPLEASEWAIT)),
                  (std::vector<WString>{u"Could not connect (error 00000007)", r.text(SID_CHECKCONNECTION),
                                        r.text(SID_FAILED)}));
        r.h.step(2);
        EXPECT_TRUE(screen->sendItem->bDisabled);
        EXPECT_EQ(CrashRig::filesLeft(), 2);
        r.leave(screen);  // the network is configured: deleted, sent or not
        EXPECT_EQ(CrashRig::filesLeft(), 0);
    }
    {
        CrashRig r;
        r.writeFiles(10, 10, 10, 10);
        auto* screen = r.open();
        r.leave(screen);  // without a network they wait for the next start
        EXPECT_EQ(CrashRig::filesLeft(), 4);
        CrashReport::deleteFiles();
    }
}

TEST(CrashReport, AScreenLeftWhileItsReportGoesUpLeavesTheRequestToTheHttpLayer) {
    CrashRig r;
    r.server.hold("/tumbro/crashreport.php");
    r.h.configuration->networkConfigured = 1;
    r.writeFiles(10, 0, 0, 0);
    auto* screen = r.open();
    r.h.click(screen->sendItem);
    ASSERT_TRUE(r.server.waitForRequests(1));
    r.leave(screen);
    EXPECT_EQ(CrashRig::filesLeft(), 0);
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 1u);
    EXPECT_EQ(HttpRequest::shutdownAll(2000), 0u);
    EXPECT_EQ(HttpRequest::liveWorkerCount(), 0u);
}

// Only the program's own crash files are sent: a link under a crash file's
// name (to another file of the user's), a named pipe (which must not stop
// the upload) and a file over its size limit count as missing. The dump is
// sent up to its limit, and a 2 GB one is not read at all.
TEST(CrashReport, OnlyItsOwnRegularFilesWithinTheirLimitsAreSent) {
    CrashRig r;
    r.h.configuration->networkConfigured = 1;
    const std::string folder = getUserDataFolder();
    const std::string log = wideToNarrow(CrashReport::logPath()), dump = wideToNarrow(CrashReport::miniDumpPath()),
                      screenshot = wideToNarrow(CrashReport::screenshotPath()),
                      traffic = wideToNarrow(CrashReport::netTrafficPath());
    filestest::writeBytes(folder + "letter.txt", "a file of the user's");
    fs::create_symlink(folder + "letter.txt", log);
    EXPECT_FALSE(CrashReport::filesExist());  // a link makes no report
    ASSERT_TRUE(filestest::makePipe(dump));
    EXPECT_FALSE(CrashReport::filesExist());  // nor does a pipe
    ASSERT_TRUE(filestest::makeSparseFile(screenshot, CrashFiles::kMaxScreenshotBytes + 1));
    CrashRig::write(CrashReport::netTrafficPath(), "net");
    {
        const filestest::PipeWatch watch({dump});
        auto* screen = r.open();
        ASSERT_TRUE(r.send(screen));
        EXPECT_EQ(watch.released(), 0) << "the upload waited on the pipe";
        EXPECT_EQ(r.formProblem, "");
        ASSERT_EQ(r.fieldOrder, std::vector<std::string>{"crashNetTraffic"});
        EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_ERRORREPORTINTRO3)).front(), u"Uploading error data (3 bytes).");
        for (const char* why :
             {"it is a symbolic link", "it is not a regular file", "it is larger than 33554432 bytes"})
            EXPECT_TRUE(std::any_of(Logger::get().history().begin(), Logger::get().history().end(),
                                    [&](const WString& line) {
                                        return line.starts_with(u"CrashFiles::read(): Not sending '") &&
                                               line.find(narrowToWide(why)) != WString::npos;
                                    }))
                << why;
        r.leave(screen);
    }
    // Leaving deletes the links and the pipe themselves, not what they lead to.
    EXPECT_EQ(CrashRig::filesLeft(), 0);
    EXPECT_EQ(filestest::readBytes(folder + "letter.txt"), "a file of the user's");

    // A dump at its limit goes up whole; a log of 2 GB is left unread.
    CrashRig again;
    again.h.configuration->networkConfigured = 1;
    CrashRig::write(CrashReport::miniDumpPath(), std::string(CrashFiles::kMaxMiniDumpBytes, 'D'));
    ASSERT_TRUE(filestest::makeSparseFile(log, uint64_t(2) << 30));
    EXPECT_TRUE(CrashReport::filesExist());
    auto* screen = again.open();
    const filestest::PeakMemory peak;
    ASSERT_TRUE(again.send(screen));
    EXPECT_LT(peak.growthKb(), 64 * 1024) << "kB more at the peak of the upload";
    EXPECT_EQ(again.fieldOrder, std::vector<std::string>{"crashMiniDump"});
    EXPECT_EQ(again.posted["crashMiniDump"].size(), CrashFiles::kMaxMiniDumpBytes);
    again.leave(screen);
    EXPECT_EQ(CrashRig::filesLeft(), 0);
}

// A crash file that has another name as well (a hard link to another file
// of the user's) is not the program's own: it makes no report and is not
// sent, and leaving deletes the name, not the file.
TEST(CrashReport, ACrashFileWithAnotherNameIsNotSent) {
    CrashRig r;
    r.h.configuration->networkConfigured = 1;
    const std::string folder = getUserDataFolder();
    const std::string log = wideToNarrow(CrashReport::logPath());
    filestest::writeBytes(folder + "letter.txt", "a file of the user's");
    fs::create_hard_link(folder + "letter.txt", log);
    EXPECT_FALSE(CrashReport::filesExist());
    CrashRig::write(CrashReport::miniDumpPath(), "dump");
    ASSERT_TRUE(CrashReport::filesExist());
    auto* screen = r.open();
    ASSERT_TRUE(r.send(screen));
    EXPECT_EQ(r.formProblem, "");
    EXPECT_EQ(r.fieldOrder, std::vector<std::string>{"crashMiniDump"});
    EXPECT_EQ(r.posted.count("crashLog"), 0u);
    EXPECT_TRUE(std::any_of(Logger::get().history().begin(), Logger::get().history().end(), [](const WString& line) {
        return line.starts_with(u"CrashFiles::read(): Not sending '") && line.find(u"hard link") != WString::npos;
    }));
    r.leave(screen);
    EXPECT_EQ(CrashRig::filesLeft(), 0);
    EXPECT_EQ(filestest::readBytes(folder + "letter.txt"), "a file of the user's");
}

// What the report says it holds is what it sends: the log of the run that
// crashed, which starts with the user's and the computer's names and the
// game's folders, the crash's details, a screenshot and the traffic.
TEST(CrashReport, TheIntroductionSaysWhatTheReportHolds) {
    CrashRig r;
    r.h.configuration->networkConfigured = 1;
    const std::string folder = getUserDataFolder();
    // The start of a run's log, then a crash of that run.
    ASSERT_TRUE(Logger::get().openFile(folder + "Tumbrodemo.log"));
    logSystemInformation();
    Logger::get().closeFile();
    CrashHandler::install(kProductFolderName, folder + "Tumbrodemo.log",
                          {CrashFiles::path(CrashFiles::kLog), CrashFiles::path(CrashFiles::kMiniDump),
                           CrashFiles::path(CrashFiles::kNetTraffic), CrashFiles::kMaxLogBytes,
                           CrashFiles::kMaxMiniDumpBytes, CrashFiles::kMaxNetTrafficBytes});
    CrashHandler::writeCrashFiles("a test of the report");
    CrashHandler::uninstall();
    ASSERT_TRUE(CrashReport::filesExist());

    auto* screen = r.open();
    ASSERT_TRUE(r.send(screen));
    EXPECT_EQ(r.fieldOrder, (std::vector<std::string>{"crashLog", "crashMiniDump", "crashNetTraffic"}));
    const platform::SystemFacts facts = platform::getSystemFacts();
    const std::string& sentLog = r.posted["crashLog"];
    EXPECT_NE(sentLog.find("User: " + facts.userName + ", computer: " + facts.hostName), std::string::npos) << sentLog;
    EXPECT_NE(sentLog.find("Executable: " + facts.executablePath), std::string::npos);
    EXPECT_NE(sentLog.find("User folder: " + folder), std::string::npos);
    EXPECT_NE(r.posted["crashMiniDump"].find("reason: a test of the report"), std::string::npos);
    r.leave(screen);

    // Both languages say so, and neither says that there is nothing personal in it.
    const Language language;
    const std::u16string_view english = language.texts[Language::ENGLISH][SID_ERRORREPORTINTRO3];
    const std::u16string_view german = language.texts[Language::GERMAN][SID_ERRORREPORTINTRO3];
    EXPECT_EQ(NetworkRig::messages().at(2), english);
    for (const char16_t* part : {u"log", u"user name", u"computer's name", u"players' names", u"folders", u"crash",
                                 u"screenshot", u"network traffic"})
        EXPECT_NE(english.find(part), std::u16string_view::npos) << wideToNarrow(part);
    for (const char16_t* part : {u"Protokoll", u"Benutzernamen", u"Namen deines Computers", u"Namen der Spieler",
                                 u"Ordnern", u"Absturz", u"Bildschirmfoto", u"Netzwerkverkehr"})
        EXPECT_NE(german.find(part), std::u16string_view::npos) << wideToNarrow(part);
    EXPECT_EQ(english.find(u"no personal data"), std::u16string_view::npos);
    EXPECT_EQ(german.find(u"keine pers"), std::u16string_view::npos);
}

}  // namespace
