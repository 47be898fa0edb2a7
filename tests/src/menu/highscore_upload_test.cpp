// The high-score options page and the upload it leads to, against the
// tests' web server: the sealed record in the form, the server's answer in
// the viewer, failures, and the way to the network test while the network
// is not configured.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "NetworkRig.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "menu/ContextHighscoreOptions.h"
#include "menu/ContextHighscoreUpload.h"
#include "menu/ContextNetworkWizard1.h"
#include "records/GameConfiguration.h"
#include "sys/Paths.h"
#include "util/Md5.h"

using httptest::httpResponse;
using httptest::LoopbackHttpServer;
using nettest::NetworkRig;

namespace {

// What the server checks of an upload; "" when all is well.
std::string checkUpload(const LoopbackHttpServer::Request& r, const std::vector<uint8_t>& configuration) {
    std::vector<LoopbackHttpServer::FormPart> parts;
    std::string why;
    if (r.method != "POST") return "method " + r.method;
    if (!LoopbackHttpServer::parseForm(r, parts, &why)) return why;
    const char* names[] = {"platform", "gameName", "gameVersion", "gamePatch", "HSTfile"};
    if (parts.size() != 5) return "parts: " + std::to_string(parts.size());
    for (size_t i = 0; i < 5; ++i)
        if (parts[i].name != names[i]) return "part " + parts[i].name;
    if (parts[1].data != "Tumbrodemo" || parts[2].data != "1.25" || parts[3].data != "t") return "standard values";
    const auto& file = parts[4];
    if (!file.hasFileName || file.fileName != "Tumbrodemo.hst") return "file name " + file.fileName;
    if (file.contentType != "application/octet-stream") return "content type " + file.contentType;
    if (file.data.size() != 9584) return "record size " + std::to_string(file.data.size());
    const auto* record = reinterpret_cast<const uint8_t*>(file.data.data());
    if (std::memcmp(record + 16, configuration.data(), 9560) != 0) return "record body";
    for (size_t i = 9576; i < 9584; ++i)
        if (record[i] != 0) return "time field";
    // The seal: MD5 of the salt's bytes, then the record with a zero digest.
    std::vector<uint8_t> unsealed(record, record + 9584);
    std::fill(unsealed.begin(), unsealed.begin() + 16, 0);
    Md5 md5;
    const uint8_t salt[4] = {0x17, 0x9E, 0x5A, 0x3C};
    md5.update(salt, 4);
    md5.update(unsealed.data(), unsealed.size());
    uint8_t digest[16];
    md5.finish(digest);
    if (std::memcmp(digest, record, 16) != 0) return "seal";
    return "";
}

struct UploadRig : NetworkRig {
    ContextMenu* below = h.push(new ContextMenu);

    UploadRig() {
        h.configuration->submitHighScore(1234, 5, 90, 800, true, u"Rosa");
        h.configuration->submitHighScore(99, 31, 300, 1000, false, u"Ann");
        h.configuration->countryCode[0] = 'D';
        h.configuration->countryCode[1] = 'E';
    }
    ContextHighscoreUpload* open() {
        auto* page = h.push(new ContextHighscoreUpload);
        h.step(2);
        return page;
    }
};

TEST(HighscoreUpload, TheSealedRecordGoesUpAndTheServersAnswerIsShown) {
    UploadRig r;
    std::string problem = "no request";
    const std::vector<uint8_t> configuration = r.h.configuration->serialize();
    r.server.handle("/tumbro/highscoreupload.php", [&](const LoopbackHttpServer::Request& req) {
        problem = checkUpload(req, configuration);
        return httpResponse(200, "OK", problem.empty() ? "Thank you!\nRosa: rank 7" : "rejected: " + problem);
    });
    auto* page = r.open();
    // Debug features are locked: the three intro lines only.
    EXPECT_EQ(NetworkRig::messages(),
              (std::vector<WString>{r.text(SID_UPLOADTEXT1), r.text(SID_UPLOADTEXT2), r.text(SID_UPLOADTEXT3)}));
    r.h.click(page->nextButton);
    EXPECT_TRUE(page->nextButton->bDisabled);
    ASSERT_TRUE(r.stepUntilMessage(r.text(SID_DONEDOT)));
    EXPECT_EQ(problem, "");
    EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_STARTINGDOTS)),
              (std::vector<WString>{r.text(SID_CONNECTED), u"Thank you!", u"Rosa: rank 7", r.text(SID_DONEDOT)}));
    EXPECT_EQ(page->messageViewer->lines.end()[-2], u"Rosa: rank 7");
    EXPECT_EQ(page->nextButton->caption, r.text(SID_FINISH));
    EXPECT_FALSE(page->nextButton->bDisabled);
    EXPECT_EQ(r.h.configuration->serialize(), configuration);  // only read

    r.h.click(page->nextButton);  // FINISH
    r.h.step();
    EXPECT_EQ(r.h.top(), r.below);
    EXPECT_EQ(r.requestsFor("/tumbro/highscoreupload.php").size(), 1u);
}

TEST(HighscoreUpload, AFailureOffersNoRetryAndAnEmptyAnswerShowsNoLines) {
    {
        UploadRig r;
        r.server.reply("/tumbro/highscoreupload.php", httpResponse(500, "Internal Server Error", "boom"));
        auto* page = r.open();
        r.h.click(page->nextButton);
        ASSERT_TRUE(r.stepUntilMessage(r.text(SID_FAILED)));
        EXPECT_EQ(NetworkRig::messagesAfter(r.text(SID_STARTINGDOTS)),
                  (std::vector<WString>{u"Failed with HTTP status code 500", r.text(SID_CHECKCONNECTION),
                                        r.text(SID_FAILED)}));
        r.h.step(3);
        EXPECT_TRUE(page->nextButton->bDisabled);
        EXPECT_EQ(page->nextButton->caption, r.text(SID_NEXT));
        r.h.click(page->nextButton);
        EXPECT_EQ(r.requestsFor("/tumbro/highscoreupload.php").size(), 1u);
        r.h.click(page->backButton);
        r.h.step();
        EXPECT_EQ(r.h.top(), r.below);
    }
    {
        UploadRig r;
        r.server.reply("/tumbro/highscoreupload.php", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
        auto* page = r.open();
        r.h.click(page->nextButton);
        ASSERT_TRUE(r.stepUntilMessage(r.text(SID_DONEDOT)));
        // The empty body's one empty line shows nothing.
        const auto& lines = page->messageViewer->lines;
        EXPECT_EQ(std::vector<WString>(lines.end() - 3, lines.end()),
                  (std::vector<WString>{r.text(SID_STARTINGDOTS), r.text(SID_CONNECTED), r.text(SID_DONEDOT)}));
    }
}

// The largest answer the HTTP layer takes, through the real web server into
// a real log file: its last lines on the screen, at most 64 KB in the log.
TEST(HighscoreUpload, AnAnswerOfSixteenMegabytesShowsItsLastLinesAndAddsAtMost64KBToTheLog) {
    UploadRig r;
    std::string answer;
    for (int i = 0; answer.size() < (size_t{16} << 20) - 64; ++i) answer += "Rosa: rank " + std::to_string(i) + "\n";
    answer += "the end";
    r.server.reply("/tumbro/highscoreupload.php", httpResponse(200, "OK", answer));
    const std::string logFile = getUserDataFolder() + "Tumbrodemo.log";
    ASSERT_TRUE(Logger::get().startSession(logFile));
    auto* page = r.open();
    r.h.click(page->nextButton);
    const uintmax_t before = std::filesystem::file_size(logFile);
    ASSERT_TRUE(r.stepUntilMessage(r.text(SID_DONEDOT)));
    const uintmax_t added = std::filesystem::file_size(logFile) - before;
    Logger::get().closeFile();
    EXPECT_LE(added, 64u * 1024u);
    const auto& lines = page->messageViewer->lines;
    ASSERT_EQ(lines.size(), page->messageViewer->maxLines);
    EXPECT_EQ(lines.end()[-2], u"the end");
    const size_t last = answer.rfind("Rosa: rank ");
    EXPECT_EQ(lines.end()[-3], narrowToWide(answer.substr(last, answer.size() - last - 8)));
    EXPECT_EQ(page->nextButton->caption, r.text(SID_FINISH));
}

struct OptionsRig : UploadRig {
    ContextHighscoreOptions* open() {
        auto* page = h.push(new ContextHighscoreOptions);
        h.step(2);
        return page;
    }
    void answer(ContextHighscoreOptions* page, bool yes) {
        h.click(page->resetButton);
        auto* box = h.topAs<ContextMessageBox>();
        ASSERT_NE(box, nullptr);
        h.step();
        h.click(yes ? box->button1 : box->button2);
        h.step(2);
        EXPECT_EQ(h.top(), page);
    }
};

TEST(HighscoreOptions, UploadNeedsTheNetworkSetUpFirstAndResetAsksBeforeClearing) {
    OptionsRig r;
    auto* page = r.open();
    r.h.click(page->uploadButton);
    EXPECT_NE(r.h.topAs<ContextNetworkWizard1>(), nullptr);  // not configured yet
    r.h.pressKey(1);
    r.h.step();
    ASSERT_EQ(r.h.top(), page);
    r.h.configuration->networkConfigured = 1;
    r.h.click(page->uploadButton);
    EXPECT_NE(r.h.topAs<ContextHighscoreUpload>(), nullptr);
    r.h.pressKey(1);
    r.h.step();
    ASSERT_EQ(r.h.top(), page);

    const std::vector<uint8_t> before = r.h.configuration->serialize();
    r.answer(page, false);
    EXPECT_EQ(r.h.configuration->serialize(), before);
    r.answer(page, true);
    for (const HIGHSCOREENTRY& e : r.h.configuration->highScores) {
        EXPECT_EQ(e.name[0], '\0');
        EXPECT_EQ(e.score, 0);
        EXPECT_EQ(e.seconds, 0);
    }
    EXPECT_EQ(r.h.top(), page);  // stays open

    r.h.click(page->backButton);  // OK
    r.h.step();
    EXPECT_EQ(r.h.top(), r.below);
}

TEST(HighscoreOptions, TheWorldWideScoresLinkClosesTheGameForTheBrowser) {
    OptionsRig r;
    auto* page = r.open();
    EXPECT_EQ(page->worldWideLink->url, u"http://" + HttpRequest::webHost + u"/tumbro/highscoretable.php");
    r.h.click(page->worldWideLink);
    EXPECT_EQ(r.h.pendingUrl, page->worldWideLink->url);
    EXPECT_TRUE(r.h.stack->bQuit);
}

}  // namespace
