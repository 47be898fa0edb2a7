// A level file's bytes into the level manager's load path: a new game
// server replays them (every command of the file), checks that they make a
// level (a root with a game controller that has its contexts, lists, hero
// and house), lets every object finish its set-up, and the level then plays
// a few frames with keys held. A shipped level that fails the load ends the
// program naming the file; here the same check returns its reason instead,
// which must name the file. Each run must end without a crash or a
// sanitizer report, with every object it made gone with its server.
//
// Input: the level file's bytes.
//
// Seeds: with ZUB_FUZZ_LEVEL_REPLAY_SEEDS=<folder> the program writes its
// seed files into that folder and exits: the first level built from its
// description (content/levels/a1.txt), the starter level, the starter
// level with its controller's state machine stored mid-change, and the
// starter level with a switch whose values its class asserts against
// (automatic, not once-only), which the load refuses naming the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "FuzzSupport.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "input/ZubInput.h"
#include "object/RuntimeClass.h"
#include "objects/devices/Switch.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

namespace {

levelbuild::LevelEnvironment* environment = nullptr;

void writeSeeds(const std::string& dir) {
    std::ifstream in(std::string(ZUB_LEVEL_SOURCE_DIR) + "/a1.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<uint8_t> a1;
    std::string error;
    if (!levelbuild::buildLevelFile(text.str(), "a1.txt", a1, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    fuzz::writeSeed(dir + "/a1.lev", a1);
    {
        LevelDraft draft;
        fuzz::writeSeed(dir + "/starter.lev", draft.write());
    }
    {
        LevelDraft draft;
        draft.controller().stateGoto = GameController::OPENING;
        draft.controller().stateLeft = 0.25;
        fuzz::writeSeed(dir + "/pending-opening.lev", draft.write());
    }
    {
        LevelDraft draft;
        auto* s = new Switch;
        draft.server().registerObject(s, 0);
        s->construct();
        s->bAutomatic = true;
        draft.controller().objectList->netAddChild(s);
        fuzz::writeSeed(dir + "/automatic-switch.lev", draft.write());
    }
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    environment = new levelbuild::LevelEnvironment();
    if (const char* dir = std::getenv("ZUB_FUZZ_LEVEL_REPLAY_SEEDS")) writeSeeds(dir);
    // What the first server makes once per process (the network's shared
    // queue) is made before the runs count their objects.
    GameServer warmUp(u"Fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 18)) return 0;
    Logger::get().clearHistory();
    std::unordered_set<ZubBase*> before;
    ZubBase::forEachLive([&](ZubBase* o) { before.insert(o); });
    {
        auto server = std::make_unique<GameServer>(u"Fuzz");
        WString why;
        if (server->loadLevel(data, size, u"./levels/fuzz.lev", why)) {
            FUZZ_CHECK(server->controller() != nullptr);
            FUZZ_CHECK(server->controller()->state == GameController::OPENING);
            // A few frames of play, running right and jumping.
            double time = 0.0;
            for (int frame = 0; frame < 8; ++frame) {
                platform::InputSnapshot s;
                s.keys[input_codes::KEY_RIGHT] = 0x80;
                if (frame & 2) s.keys[input_codes::KEY_SPACE] = 0x80;
                environment->input.update(s);
                server->tick(time, levelbuild::LevelEnvironment::DT);
                time += levelbuild::LevelEnvironment::DT;
            }
        } else {
            FUZZ_CHECK(why.find(u"'./levels/fuzz.lev'") != WString::npos);
        }
    }
    // What the run made and left behind, named before the check stops it.
    ZubBase::forEachLive([&](ZubBase* o) {
        if (!before.count(o))
            std::fprintf(stderr, "left alive: %s (UID %d)\n", o->getClass()->getTypeName(), o->objectUID);
    });
    FUZZ_CHECK(ZubBase::liveCount() == static_cast<int>(before.size()));
    return 0;
}
