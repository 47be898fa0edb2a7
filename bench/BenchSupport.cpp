#include "BenchSupport.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Placeholders.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "platform/FontRasterizer.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "text/CodePointTable.h"
#include "text/GlyphPageGenerator.h"
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

std::unique_ptr<Texture> glyphPageTexture(int pixelSize, std::string& error) {
    const std::string file = platform::defaultGlyphFontFile();
    if (file.empty()) {
        error = "DejaVu Sans is not installed";
        return nullptr;
    }
    auto raster = platform::openFontRasterizer(file, pixelSize, error);
    if (!raster) return nullptr;
    std::vector<glyph_pages::Page> pages;
    const auto slots = glyph_pages::codePageSlots(CodePointTable::builtIn(u"1252"), u"1252");
    if (!glyph_pages::renderPages(*raster, slots, glyph_pages::Style(), pages, error)) return nullptr;
    MemoryImageFile image(pages[0].width, pages[0].height);
    for (int y = 0; y < pages[0].height; ++y)
        for (int x = 0; x < pages[0].width; ++x)
            image.setPixel(x, y, pages[0].pixels[static_cast<size_t>(y * pages[0].width + x)]);
    auto page = std::make_unique<Texture>(&image, Texture::FLAG_ALPHA);
    page->applySkinDescription(pages[0].description, u"bench page");
    return page;
}

platform::NullRenderDevice* useCountingDevice(ZubGraphics& graphics, std::string& error) {
    auto device = std::make_unique<platform::NullRenderDevice>();
    device->bKeepDraws = false;
    device->bKeepPixels = false;
    platform::NullRenderDevice* counting = device.get();
    return graphics.setDevice(std::move(device), error) ? counting : nullptr;
}

bool useOffscreenOpenGL(ZubGraphics& graphics, std::unique_ptr<platform::Backend>& backend, const char* title,
                        std::string& error) {
    if (!backend) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        backend = platform::createSdlBackend();
        if (!backend->openWindow({.title = title, .width = 1024, .height = 768, .vsync = false, .assumeFocused = true},
                                 error)) {
            backend.reset();
            return false;
        }
    }
    if (!graphics.setDevice(platform::createGLRenderDevice(), error)) return false;
    graphics.setBackend(backend.get());
    graphics.onWindowSize(1024, 768);
    return true;
}

Screen::~Screen() {
    graphics.setBackend(nullptr);
    std::string error;
    graphics.setDevice(std::make_unique<platform::NullRenderDevice>(), error);
}

void Screen::useNullDevice() {
    if (dynamic_cast<platform::NullRenderDevice*>(graphics.device())) return;
    std::string error;
    graphics.setBackend(nullptr);
    useCountingDevice(graphics, error);
}

namespace {
double clockSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
}  // namespace

double threadSeconds() { return clockSeconds(CLOCK_THREAD_CPUTIME_ID); }
double processSeconds() { return clockSeconds(CLOCK_PROCESS_CPUTIME_ID); }
double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double memoryMB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(line.find(':') + 1)) / 1024.0;
    return 0.0;
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
    for (int control :
         {GameConfiguration::CONTROL_LEFT, GameConfiguration::CONTROL_RIGHT, GameConfiguration::CONTROL_JUMP}) {
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
