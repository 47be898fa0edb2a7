#include "BenchSupport.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Placeholders.h"
#include "gfx/RenderCounters.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "world/HullList.h"
#include "world/Terrain.h"

namespace benchsupport {

void registerPlaceholders(ResourceManager& resources) { leveltest::registerPlaceholders(resources); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

platform::NullRenderDevice* useCountingDevice(ZubGraphics& graphics, std::string& error) {
    auto device = std::make_unique<platform::NullRenderDevice>();
    device->bKeepDraws = false;
    platform::NullRenderDevice* counting = device.get();
    return graphics.setDevice(std::move(device), error) ? counting : nullptr;
}

ScratchFolder::ScratchFolder(const char* name) {
    std::string pattern = std::string("/tmp/zub-bench-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data())) path = pattern;
    setUserDataFolderOverride(path + "/");
}

ScratchFolder::~ScratchFolder() {
    setUserDataFolderOverride("");
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
}

BenchLevel::BenchLevel(const char* name, std::span<const List> lists, int detailLevel)
    : role(new NetRole()), root(new RootObject()), world(new ZubBase()), folder(name) {
    ErrorManager::bTestMode = true;
    previous = GameWorld::setCurrent(this);
    Context::environment.current = &context;
    configuration = std::make_unique<GameConfiguration>();
    if (detailLevel >= 0) configuration->detailLevel = detailLevel;
    registerPlaceholders(resources);
    // The terrain rolls around y = 0: the level's bottom lies well below it
    // (or the hero would keep fainting instead of running).
    playingArea = {-1.0e6f, 1.0e6f, 1.0e6f, -1.0e6f};
    role->registerObject(root, 1);
    root->addChild(world);
    role->registerObject(world, 0);
    for (List field : lists) {
        ZubBase* list = field ? (this->*field = new ZubBase()) : (hullList = new HullList());
        role->registerObject(list, 0);
        world->addChild(list);
    }
    role->outgoing->reset();
}

BenchLevel::~BenchLevel() {
    delete role;
    resources.clear();
    configuration.reset();
    GameWorld::setCurrent(previous);
    Context::environment.current = nullptr;
}

Terrain* BenchLevel::rollingTerrain() {
    Terrain* t = new Terrain();
    role->registerObject(t, 0);
    objectList->addChild(t);
    t->construct(512, 16);
    for (int i = 0; i < 512; ++i) t->setHeights(i, HILL * std::sin(WAVE * static_cast<float>(i)), Terrain::kKeep);
    role->outgoing->reset();
    return t;
}

Pig* BenchLevel::hero(float x) { return body<Pig>(pigList, V3(x, 60.0f, 0.0f), 1); }

void BenchLevel::driveHero(bool jumps) {
    const GameConfiguration& c = *configuration;
    const int run = (frameCount / 150) % 2 ? GameConfiguration::CONTROL_LEFT : GameConfiguration::CONTROL_RIGHT;
    for (int control : {GameConfiguration::CONTROL_LEFT, GameConfiguration::CONTROL_RIGHT,
                        GameConfiguration::CONTROL_JUMP}) {
        if (control == GameConfiguration::CONTROL_JUMP && !jumps) continue;
        const int code = c.controls[control].key;
        input.prevKeys[code] = input.keys[code];
        const bool down = control == run || (control == GameConfiguration::CONTROL_JUMP && frameCount % 70 == 0);
        input.keys[code] = down ? 0x80 : 0;
    }
}

void BenchLevel::tickWorld() {
    ++renderCounters.frameNumber;
    world->tick(time, DT);
    role->outgoing->reset();
    time += DT;
    ++frameCount;
}

namespace orchard {

bool bouncing(const Apple* a) { return std::lround((a->spawnPosition.x - apartX(0)) / 50.0f) % 2 == 1; }

void tossRestingApples(Level& level) {
    for (Apple* a : childrenOf<Apple>(level.appleList))
        if (a->isFree() && !a->bHanging && a->getGround() && bouncing(a)) a->push(nullptr, V3(0.0f, TOSS, 0.0f));
}

}  // namespace orchard

}  // namespace benchsupport
