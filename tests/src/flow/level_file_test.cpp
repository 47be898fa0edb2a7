// Level files: a level written from a new server's whole state (the root's
// controller with the starter content, edited in a draft) and played back
// through the level manager comes back object for object and is set up for
// play; files that make no level end the program naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/LevelHullList.h"
#include "flow/MyRootObject.h"
#include "flow/Sky.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Switch.h"
#include "objects/pig/Pig.h"
#include "objects/pig/Piglet.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Vegetation.h"
#include "objects/scenery/Weather.h"
#include "objects/triggers/House.h"
#include "sys/Logger.h"
#include "world/Hull.h"
#include "world/Terrain.h"

using flowtest::FlowHarness;

namespace {

int count(const ZubBase* list) { return list ? list->countChildren() : -1; }

// The draft gets a switch that is automatic and, unless `onceOnly`, fires
// again on every visit: values its class asserts against.
void addAutomaticSwitch(LevelDraft& d, bool onceOnly) {
    auto* s = new Switch;
    d.server().registerObject(s, 0);
    s->construct();
    s->bAutomatic = true;
    s->bOnceOnly = onceOnly;
    d.controller().objectList->netAddChild(s);
}

template <class T>
int countOf(const ZubBase* list) {
    int n = 0;
    for (T* o : childrenOf<T>(list)) n += o != nullptr;
    return n;
}

}  // namespace

TEST(LevelFile, StarterLevelComesBackObjectForObjectAndIsSetUpForPlay) {
    FlowHarness h(1);
    std::map<int32_t, WString> written;
    const std::vector<uint8_t> level = h.writeLevel([&](LevelDraft& d) {
        GameController& gc = d.controller();
        // The root made the controller, its contexts, lists and editor panel,
        // and the starter content: the grassy object, the terrain with its
        // three decorations, the hero, the house and one apple; the draft's
        // set-up did not run.
        EXPECT_TRUE(gc.contextBackground && gc.contextGame && gc.contextHUD && gc.editor);
        EXPECT_EQ(count(gc.contextGame), 18);
        EXPECT_EQ(countOf<A99Object>(gc.objectList), 5);
        EXPECT_EQ(countOf<Terrain>(gc.objectList), 1);
        EXPECT_EQ(countOf<TerrainDeco>(gc.objectList), 3);
        EXPECT_EQ(countOf<Pig>(gc.pigList), 1);
        EXPECT_EQ(countOf<House>(gc.houseList), 1);
        EXPECT_EQ(countOf<Apple>(gc.appleList), 1);
        EXPECT_EQ(gc.state, 0);
        gc.season = 2;
        gc.weatherIntensity = 0.5f;
        gc.parTime = 42.0;
        gc.playingArea = {-2000.0f, 3000.0f, 2500.0f, -100.0f};
        d.place<Apple>(V3(300.0f, 50.0f, 0.0f), gc.appleList);
        for (const auto& e : d.server().objectMap) written[e.first] = e.second->getClass()->getName();
        // A stale counter: played back, the level must number new objects
        // above its own.
        ASSERT_GT(std::next(written.begin())->first, 50);
        d.server().nextObjectUID = 2;
    });
    GameController& gc = h.play(level);
    GameServer& server = h.server();

    for (const auto& [uid, name] : written) {
        ZubBase* o = server.findObjectOrNull(uid);
        ASSERT_NE(o, nullptr) << uid;
        EXPECT_EQ(o->getClass()->getName(), name) << uid;
    }
    int32_t highest = 0;
    for (const auto& e : server.objectMap) highest = std::max(highest, e.first);
    EXPECT_GT(server.nextObjectUID, highest);
    EXPECT_NE(zub_cast<LevelHullList>(static_cast<ZubBase*>(gc.hullList)), nullptr);
    EXPECT_EQ(gc.season, 2);
    EXPECT_EQ(gc.parTime, 42.0);

    // The boundary: both walls and a floor half a screen below the bottom.
    A99Object* boundary = nullptr;
    for (A99Object* o : childrenOf<A99Object>(gc.objectList)) boundary = o;
    ASSERT_TRUE(boundary && boundary->getHull());
    Hull* hull = boundary->getHull();
    ASSERT_EQ(hull->vertexCount(), 4);
    EXPECT_EQ(hull->segmentCount(), 4);
    const V3 corners[4] = {V3(-2000, 3000, 0), V3(-2000, -484, 0), V3(2500, -484, 0), V3(2500, 3000, 0)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(hull->vertexAt(i)->vertex, corners[i]) << i;
    // The season's hills; weather and piglets at detail 1; ten apples
    // needed of two.
    ASSERT_EQ(count(gc.bgList), 1);
    EXPECT_EQ(static_cast<HillsBackdrop*>(gc.bgList->firstChild)->pSkinBack, h.resources.find(u"hillsA-autumn:0"));
    EXPECT_EQ(countOf<AutumnLeaf>(gc.weatherList), 1);
    EXPECT_EQ(countOf<Piglet>(gc.pigletList), 3);
    EXPECT_EQ(gc.applesNeeded, 2);
    EXPECT_EQ(gc.currentResult.apples, 2);
    EXPECT_EQ(gc.currentResult.bonusApples, 0);
    EXPECT_EQ(gc.bonusTimeLeft, 42.0f);
    EXPECT_EQ(gc.state, GameController::OPENING);
    ASSERT_FALSE(h.services.transitions.empty());
    EXPECT_EQ(h.services.transitions.back(), std::make_pair(1.0f, 0.0f));
    const std::vector<WString>& log = Logger::get().history();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        u"ContextLevelManager::ContextLevelManager(): Loading level: ./levels/a1.lev"),
              log.end());
}

TEST(LevelFile, SetUpFollowsDetailBonusSeasonAndWeather) {
    struct Case {
        int detail;
        bool bonus;
        int season;
        float intensity;
        int piglets;
        bool weather;
    };
    const Case cases[] = {{1, false, 0, 1.0f, 3, true},
                          {1, true, 3, 1.0f, 0, true},
                          {0, false, 2, 1.0f, 0, false},
                          {1, false, 1, 1.0f, 3, false},
                          {1, false, 0, 0.0f, 3, false}};
    FlowHarness h;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.season);
        h.services.config->detailLevel = c.detail;
        GameController& gc = h.play(h.writeLevel([&](LevelDraft& d) {
            d.controller().bBonusLevel = c.bonus;
            d.controller().season = c.season;
            d.controller().weatherIntensity = c.intensity;
            for (int i = 0; i < 11; ++i) d.place<Apple>(V3(100.0f * i, 50.0f, 0.0f), d.controller().appleList);
        }));
        EXPECT_EQ(count(gc.bgList), 1);
        EXPECT_EQ(countOf<Piglet>(gc.pigletList), c.piglets);
        EXPECT_EQ(count(gc.weatherList), c.weather ? 1 : 0);
        // Twelve apples, ten needed.
        EXPECT_EQ(gc.currentResult.apples, 10);
        EXPECT_EQ(gc.currentResult.bonusApples, 2);
    }
}

TEST(LevelFile, TheEditSwitchLeavesALoadedLevelAsItIsStored) {
    FlowHarness h;
    h.services.bEditLevels = true;
    GameController& gc = h.play(h.writeLevel());
    EXPECT_TRUE(gc.isEditing());
    EXPECT_EQ(gc.state, 0);
    EXPECT_EQ(countOf<A99Object>(gc.objectList), 5);
    h.frame(5);
    EXPECT_EQ(gc.playFrameCount, 0);
}

TEST(LevelFile, AStoredStateMachineDoesNotKeepTheLevelFromStarting) {
    FlowHarness h;
    // Saved while a change to the opening was pending: the set-up's change
    // to the opening must not count as a repeat of it.
    GameController& gc = h.play(h.writeLevel([](LevelDraft& d) {
        d.controller().state = GameController::PLAYING;
        d.controller().stateGoto = GameController::OPENING;
        d.controller().stateLeft = 0.5;
    }));
    EXPECT_EQ(gc.state, GameController::OPENING);
    EXPECT_EQ(gc.stateGoto, GameController::TITLE);
    ASSERT_FALSE(h.services.transitions.empty());
    EXPECT_EQ(h.services.transitions.back(), std::make_pair(1.0f, 0.0f));
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
    EXPECT_NEAR(h.time, 5.0, 0.015);
}

TEST(LevelFile, LoadingReportsWhatEndsTheProgramWithoutEndingIt) {
    FlowHarness h;
    const std::vector<uint8_t> noHouse = h.writeLevel([](LevelDraft& d) { d.controller().findHouse()->destroy(); });
    const std::vector<uint8_t> good = h.writeLevel();
    const int liveBefore = ZubBase::liveCount();
    struct Case {
        std::vector<uint8_t> bytes;
        const char16_t* message;
    };
    const Case cases[] = {{{}, u"The level file 'x.lev' is empty."},
                          {{0x07, 0x01, 0x02}, u"Could not load 'x.lev'"},
                          {std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
                           u"Could not load 'x.lev'"},
                          {noHouse, u"The level file 'x.lev' has no house."}};
    for (const Case& c : cases) {
        auto server = std::make_unique<GameServer>(u"");
        WString why;
        EXPECT_FALSE(server->loadLevel(c.bytes.data(), c.bytes.size(), u"x.lev", why));
        EXPECT_EQ(why.rfind(c.message, 0), 0u) << wideToNarrow(why);
        // Nothing of the failed level finished its set-up or stays behind.
        EXPECT_EQ(server->controller() ? server->controller()->state : 0, 0);
        server.reset();
        EXPECT_EQ(ZubBase::liveCount(), liveBefore);
    }
    auto server = std::make_unique<GameServer>(u"");
    WString why;
    EXPECT_TRUE(server->loadLevel(good.data(), good.size(), u"x.lev", why)) << wideToNarrow(why);
    EXPECT_EQ(server->controller()->state, GameController::OPENING);
}

TEST(LevelFile, ObjectValuesTheirClassCannotWorkWithAreRefusedNamingTheFile) {
    FlowHarness h;
    { GameServer first(u""); }
    const std::vector<uint8_t> bad = h.writeLevel([](LevelDraft& d) { addAutomaticSwitch(d, false); });
    const std::vector<uint8_t> good = h.writeLevel([](LevelDraft& d) { addAutomaticSwitch(d, true); });
    const int liveBefore = ZubBase::liveCount();
    {
        auto server = std::make_unique<GameServer>(u"");
        WString why;
        EXPECT_FALSE(server->loadLevel(bad.data(), bad.size(), u"x.lev", why));
        EXPECT_EQ(why.rfind(u"Could not load 'x.lev': object ", 0), 0u) << wideToNarrow(why);
        EXPECT_NE(why.find(u"(Switch): an automatic switch must be once-only"), WString::npos) << wideToNarrow(why);
        EXPECT_EQ(server->controller() ? server->controller()->state : 0, 0);
    }
    EXPECT_EQ(ZubBase::liveCount(), liveBefore);
    auto server = std::make_unique<GameServer>(u"");
    WString why;
    EXPECT_TRUE(server->loadLevel(good.data(), good.size(), u"x.lev", why)) << wideToNarrow(why);
}

TEST(LevelFile, LevelsWhosePartsHangWhereTheyNeverTickAreRefusedAndLeaveNothing) {
    FlowHarness h;
    // The first server of the process makes the network's shared queue.
    { GameServer first(u""); }
    const int liveBefore = ZubBase::liveCount();
    struct Case {
        std::function<void(LevelDraft&)> edit;
        const char16_t* message;
    };
    const Case cases[] = {
        {[](LevelDraft& d) { d.server().gameRoot()->playerInfoList->addChild(&d.controller()); },
         u"The level file 'x.lev' has no game controller under its root."},
        {[](LevelDraft& d) { d.controller().contextGame->addChild(d.controller().contextHUD); },
         u"The level file 'x.lev' has no context under its game controller."},
        {[](LevelDraft& d) { d.controller().contextHUD->addChild(d.controller().appleList); },
         u"The level file 'x.lev' has no object list under its game context."},
        // The hull list hung into a holder inside one of its own hulls: a
        // ring that no walk of the tree reaches.
        {[](LevelDraft& d) {
             GameController& gc = d.controller();
             gc.findHouse()->getHull()->vertices.addChild(gc.hullList);
         },
         u"The level file 'x.lev' has no object list under its game context."},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = h.writeLevel(c.edit);
        EXPECT_EQ(ZubBase::liveCount(), liveBefore);
        auto server = std::make_unique<GameServer>(u"");
        WString why;
        EXPECT_FALSE(server->loadLevel(bytes.data(), bytes.size(), u"x.lev", why));
        EXPECT_EQ(why, c.message);
        server.reset();
        EXPECT_EQ(ZubBase::liveCount(), liveBefore);
    }
}

TEST(LevelFileDeathTest, FilesThatMakeNoLevelEndTheProgramNamingTheFile) {
    FlowHarness h;
    std::vector<uint8_t> noHero = h.writeLevel([](LevelDraft& d) { d.controller().getHero()->destroy(); });
    std::vector<uint8_t> noRoot;
    {
        GameServer other(u"");
        other.registerObject(new ZubBase, 5);
        noRoot = other.writeLevel();
    }
    const std::vector<uint8_t> garbage = {0xff, 0x13, 0x37, 0x42, 0x00, 0x99};
    EXPECT_EXIT(h.play({}), ::testing::ExitedWithCode(255), "level file '\\./levels/a1\\.lev' is empty");
    EXPECT_EXIT(ContextLevelManager(5), ::testing::ExitedWithCode(255), "Could not read file '\\./levels/b2\\.lev'");
    EXPECT_EXIT(h.play(garbage), ::testing::ExitedWithCode(255), "Could not load '\\./levels/a1\\.lev'");
    EXPECT_EXIT(h.play(noRoot), ::testing::ExitedWithCode(255),
                "level file '\\./levels/a1\\.lev' holds no root object with a game controller");
    EXPECT_EXIT(h.play(noHero), ::testing::ExitedWithCode(255), "level file '\\./levels/a1\\.lev' has no hero");
    // Values an object's class asserts against: the file is named, not the
    // assertion.
    const std::vector<uint8_t> badSwitch = h.writeLevel([](LevelDraft& d) { addAutomaticSwitch(d, false); });
    EXPECT_EXIT(
        h.play(badSwitch), ::testing::ExitedWithCode(255),
        "Could not load '\\./levels/a1\\.lev': object [0-9]+ \\(Switch\\): an automatic switch must be once-only");
}
