#include "ValleyHarness.h"

#include <filesystem>

#include "engine/ContextManager.h"
#include "flow/GameController.h"
#include "gui/GuiEnvironment.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/ProfileData.h"

namespace valleytest {

void quickLevel(LevelDraft& draft) {
    GameController& gc = draft.controller();
    // On the starter terrain (its surface 256 high), the house a short walk
    // to the right of the hero.
    gc.getHero()->setPosition(V3(300.0f, 300.0f, 0.0f));
    const V3 home(600.0f, 170.0f, 0.0f);
    gc.findHouse()->setPosition(home);
    // Nothing to gather: home is enough, and a run home in time is perfect.
    for (Apple* a : childrenOf<Apple>(gc.appleList)) a->destroy();
    gc.applesNeeded = 0;
    gc.parTime = 60.0;
}

// The menus (with the configuration, which may draw from the random
// generator) come first, then the generator is seeded.
ValleyHarness::ValleyHarness() : FlowSetting("zub-valley") {
    seedRandom();
    std::filesystem::create_directories(folder + "levels");
    addMusic(menus.resources);

    GameConfiguration& config = *menus.configuration;
    config.detailLevel = 0;
    config.inGameMusic = 1;
    config.showHints = 0;
    // The program around the map has no options menu.
    services.bOptionsMenu = false;
    installServices(config);
    gui::environment().profiles = services.profileManager.get();
}

ValleyHarness::~ValleyHarness() {
    // The stack (and with it the valley and its level) before the services,
    // and those while the menus' user folder holds the profiles.
    while (ZubBase* c = menus.stack->firstChild) deleteObject(c);
    uninstallServices();
    gui::environment().profiles = nullptr;
    owned.clear();
}

void ValleyHarness::writeLevel(int32_t level, const std::function<void(LevelDraft&)>& edit) {
    std::vector<uint8_t> bytes;
    {
        LevelDraft draft;
        if (edit) edit(draft);
        bytes = draft.write();
    }
    writeFile(wideToNarrow(ProfileData::levelNumberToFile(level)), bytes);
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
