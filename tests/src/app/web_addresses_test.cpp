// Every web address of the game, against the tests' web server: the three
// requests (the network test, the crash report, the high-score upload) and
// the four pages opened in the browser (home page, world-wide scores,
// on-line help, recipe) go to the host the settings name, else to the
// maker's, never to an empty host; a connection that fails shows the
// request's error text.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "NetworkRig.h"
#include "app/CrashReport.h"
#include "flow/ContextValley.h"
#include "flow/GameServices.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "lang/StringIds.h"
#include "menu/ContextHelp.h"
#include "menu/ContextHighscoreOptions.h"
#include "menu/ContextHighscoreUpload.h"
#include "menu/ContextMain.h"
#include "menu/ContextNetworkWizard1.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"

using httptest::httpResponse;
using httptest::LoopbackHttpServer;
using nettest::NetworkRig;

namespace {

// The valley's recipe address needs the player's profiles.
class Services final : public GameServices {
public:
    explicit Services(GameConfiguration& c) : config(c), previous(GameServices::install(this)) {}
    ~Services() override { GameServices::install(previous); }
    GameConfiguration& configuration() override { return config; }
    ProfileManager& profiles() override { return players; }
    void saveUserData() override {}

    GameConfiguration& config;
    ProfileManager players;
    GameServices* previous;
};

const char* const kPaths[] = {"/tumbro/nettest.php", "/tumbro/crashreport.php", "/tumbro/highscoreupload.php"};

struct AddressRig : NetworkRig {
    ContextMenu* below = h.push(new ContextMenu);
    Services services{*h.configuration};

    AddressRig() {
        for (const char* path : kPaths) server.reply(path, httpResponse(200, "OK", "OK"));
        h.configuration->fullScreen = 0;  // the network test starts at the first NEXT
        h.configuration->networkConfigured = 1;
        std::ofstream(wideToNarrow(CrashReport::logPath()), std::ios::binary) << "log";
    }
    ~AddressRig() {
        HttpRequest::testConnectTo.clear();
        CrashReport::deleteFiles();
    }

    // Each of the three pages sends its request and shows the outcome; the
    // last lines each showed.
    std::vector<std::vector<WString>> sendAll() {
        std::vector<std::vector<WString>> shown;
        // `done`: the last line of a success, `failed`: of a failure.
        auto run = [&](Context* page, MenuButton* next, const WString& done, const WString& failed) {
            h.step(2);
            const size_t before = messages().size();
            h.click(next);
            EXPECT_TRUE(stepUntil([&] {
                const std::vector<WString> all = messages();
                return all.size() > before && (all.back() == done || all.back() == failed);
            }));
            const std::vector<WString> all = messages();
            shown.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end());
            page->done = 1;
            h.step(2);
        };
        auto* test = h.push(new ContextNetworkWizard1);
        run(test, test->nextButton, text(SID_DONEDOT), text(SID_NETTESTFAIL1));
        auto* crash = h.push(new CrashReport);
        run(crash, crash->sendItem, u"OK", text(SID_FAILED));
        auto* upload = h.push(new ContextHighscoreUpload);
        run(upload, upload->nextButton, text(SID_DONEDOT), text(SID_FAILED));
        return shown;
    }

    // The four pages' addresses.
    std::vector<WString> pages() {
        std::vector<WString> out = {ContextMain::websiteAddress(), ContextHelp::onlineHelpAddress(),
                                    ContextValley::buildRecipeUrl()};
        auto* scores = h.push(new ContextHighscoreOptions);
        h.step();
        out.push_back(scores->worldWideLink->url);
        scores->done = 1;
        h.step(2);
        return out;
    }

    // Asks for each page as a browser would: the host of its address, its
    // path and query.
    void visit(const std::vector<WString>& addresses) {
        for (const WString& address : addresses) {
            ASSERT_TRUE(address.starts_with(u"http://")) << wideToNarrow(address);
            const size_t slash = address.find(u'/', 7);
            ASSERT_NE(slash, WString::npos);
            HttpRequest get(address.substr(7, slash - 7), address.substr(slash));
            ASSERT_TRUE(get.start());
            ASSERT_TRUE(stepUntil([&] { return !get.isBusy(); }));
        }
    }
};

TEST(WebAddresses, WithAHostSetEveryRequestAndPageGoesThere) {
    AddressRig r;
    const std::string host = wideToNarrow(r.server.host());
    r.server.reply("/", httpResponse(200, "OK", "home"));
    for (const char* page : {"/tumbro/onlinehelp.php", "/tumbro/recipe.php", "/tumbro/highscoretable.php"})
        r.server.reply(page, httpResponse(200, "OK", "page"));

    for (const std::vector<WString>& shown : r.sendAll()) ASSERT_FALSE(shown.empty());
    const std::vector<WString> pages = r.pages();
    for (const WString& page : pages)
        EXPECT_TRUE(page.starts_with(u"http://" + r.server.host() + u"/")) << wideToNarrow(page);
    r.visit(pages);

    std::vector<std::string> paths;
    for (const auto& request : r.server.requests()) {
        EXPECT_EQ(request.headers.at("host"), host) << request.target;
        paths.push_back(request.path());
    }
    EXPECT_EQ(paths, (std::vector<std::string>{kPaths[0], kPaths[1], kPaths[2], "/", "/tumbro/onlinehelp.php",
                                               "/tumbro/recipe.php", "/tumbro/highscoretable.php"}));
}

TEST(WebAddresses, WithoutAHostEverythingGoesToTheMakersServer) {
    AddressRig r;
    HttpRequest::webHost.clear();
    EXPECT_EQ(HttpRequest::webServerHost(), HttpRequest::makerHost);
    ASSERT_FALSE(HttpRequest::webServerHost().empty());
    // The maker's server is the tests' one here: the requests still name the
    // maker's host.
    HttpRequest::testConnectTo = r.server.host();
    r.server.reply("/", httpResponse(200, "OK", "home"));
    for (const char* page : {"/tumbro/onlinehelp.php", "/tumbro/recipe.php", "/tumbro/highscoretable.php"})
        r.server.reply(page, httpResponse(200, "OK", "page"));

    const std::vector<std::vector<WString>> shown = r.sendAll();
    const std::vector<WString> pages = r.pages();
    const WString maker = u"http://" + WString(HttpRequest::makerHost) + u"/";
    for (const WString& page : pages) EXPECT_TRUE(page.starts_with(maker)) << wideToNarrow(page);
    r.visit(pages);
    HttpRequest::testConnectTo.clear();

    // Each page heard the server's answer.
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].at(1), r.text(SID_NETTESTSUCCESS));
    EXPECT_EQ(shown[1].back(), u"OK");
    EXPECT_EQ(shown[2].back(), r.text(SID_DONEDOT));
    std::vector<std::string> paths;
    for (const auto& request : r.server.requests()) {
        EXPECT_EQ(request.headers.at("host"), wideToNarrow(HttpRequest::makerHost)) << request.target;
        paths.push_back(request.path());
    }
    EXPECT_EQ(paths, (std::vector<std::string>{kPaths[0], kPaths[1], kPaths[2], "/", "/tumbro/onlinehelp.php",
                                               "/tumbro/recipe.php", "/tumbro/highscoretable.php"}));
}

TEST(WebAddresses, AMakersServerThatCannotBeReachedShowsTheConnectionFailure) {
    AddressRig r;
    HttpRequest::webHost.clear();
    const httptest::RefusingPort refusing;
    HttpRequest::testConnectTo = refusing.host();
    const std::vector<std::vector<WString>> shown = r.sendAll();
    HttpRequest::testConnectTo.clear();
    const WString failure = u"Could not connect (error 00000007)";
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], (std::vector<WString>{r.text(SID_STARTINGDOTS), failure, r.text(SID_CHECKCONNECTION),
                                              r.text(SID_NETTESTFAIL1)}));
    for (size_t i = 1; i < 3; ++i) {
        ASSERT_GE(shown[i].size(), 3u);
        EXPECT_EQ(std::vector<WString>(shown[i].end() - 3, shown[i].end()),
                  (std::vector<WString>{failure, r.text(SID_CHECKCONNECTION), r.text(SID_FAILED)}));
    }
    EXPECT_TRUE(r.server.requests().empty());
}

}  // namespace
