#include "ValleyHarness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Manifest.h"
#include "audio/SoundStream.h"
#include "engine/ContextManager.h"
#include "flow/GameController.h"
#include "gui/GuiEnvironment.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/ProfileData.h"
#include "util/Random.h"

namespace valleytest {

void quickLevel(LevelDraft& draft) {
    GameController& gc = draft.controller();
    // On the starter terrain (its surface 256 high), the house a short walk
    // to the right of the hero.
    gc.getHero()->setPosition(V3(300.0f, 300.0f, 0.0f));
    const V3 home(600.0f, 170.0f, 0.0f);
    gc.findHouse()->setPosition(home);
    // The apple hangs in her way: she nudges it home ahead of her.
    // Nothing to gather: home is enough, and a run home in time is perfect.
    for (Apple* a : childrenOf<Apple>(gc.appleList)) a->destroy();
    gc.applesNeeded = 0;
    gc.parTime = 60.0;
}

ValleyHarness::ValleyHarness() {
    savedRandom = randomState;
    randomState = 7;
    char pattern[] = "/tmp/zub-valley-XXXXXX";
    if (mkdtemp(pattern)) levelFolder = std::string(pattern) + "/";
    files.baseFolder = levelFolder;
    std::filesystem::create_directories(levelFolder + "levels");

    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Music)
            menus.resources.addResource(narrowToWide(e.name),
                                        owned.emplace_back(std::make_unique<SoundStream>()).get());

    GameConfiguration& config = *menus.configuration;
    config.detailLevel = 0;
    config.inGameMusic = 1;
    config.showHints = 0;
    services.config = &config;
    services.profileManager = std::make_unique<ProfileManager>();
    services.profileManager->addProfile(u"Tester");
    gui::environment().profiles = services.profileManager.get();
    savedServices = GameServices::install(&services);
}

ValleyHarness::~ValleyHarness() {
    // The stack (and with it the valley and its level) before the services.
    while (ZubBase* c = menus.stack->firstChild) deleteObject(c);
    GameServices::install(savedServices);
    gui::environment().profiles = nullptr;
    services.profileManager.reset();
    owned.clear();
    std::error_code ec;
    if (!levelFolder.empty()) std::filesystem::remove_all(levelFolder, ec);
    randomState = savedRandom;
}

void ValleyHarness::writeLevel(int32_t level, const std::function<void(LevelDraft&)>& edit) {
    std::vector<uint8_t> bytes;
    {
        LevelDraft draft;
        if (edit) edit(draft);
        bytes = draft.write();
    }
    const std::string file = wideToNarrow(ProfileData::levelNumberToFile(level));
    std::ofstream(levelFolder + file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

MainMenuStandIn::MainMenuStandIn() : play(addButton(u"Play", u"", V3(0.0f, 100.0f, 0.0f))) {}

void MainMenuStandIn::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (play->bClicked) {
        play->bClicked = 0;
        startGame();
    }
}

void MainMenuStandIn::startGame() {
    ++started;
    auto* valley = new ContextValley;
    valley->done = 0;
    gui::screenStack(this)->pushContext(valley);
}

ContextValley* ValleyHarness::openValley() {
    auto* menu = dynamic_cast<MainMenuStandIn*>(menus.top());
    if (!menu) {
        menu = menus.push(new MainMenuStandIn);
        step();
    }
    menus.click(menu->play);
    step();
    return valley();
}

ContextValley* ValleyHarness::valley() const {
    for (Context* c : childrenOf<Context>(menus.stack))
        if (auto* v = dynamic_cast<ContextValley*>(c)) return v;
    return nullptr;
}

int ValleyHarness::countValleys() const {
    int n = 0;
    for (Context* c : childrenOf<Context>(menus.stack)) n += dynamic_cast<ContextValley*>(c) ? 1 : 0;
    return n;
}

void ValleyHarness::clickMap(const V3& world) {
    ContextValley* v = valley();
    menus.click(v->camera->worldToScreen(world));
}

}  // namespace valleytest
