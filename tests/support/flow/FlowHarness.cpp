#include "FlowHarness.h"

#include <algorithm>
#include <iterator>

#include "Manifest.h"
#include "Painter.h"
#include "TestLevel.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gui/GuiEnvironment.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "text/FontQuad.h"
#include "util/KeyCodes.h"

namespace flowtest {

namespace {

// The manifest's images (the levels' map pictures) as the generator paints
// them, made once per test program.
const std::vector<std::pair<WString, std::unique_ptr<MemoryImageFile>>>& paintedImages() {
    static const auto images = [] {
        std::vector<std::pair<WString, std::unique_ptr<MemoryImageFile>>> out;
        for (const content::Entry& e : content::manifest()) {
            if (e.kind != content::Kind::Image) continue;
            const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
            out.emplace_back(narrowToWide(e.name),
                             std::make_unique<MemoryImageFile>(DecodedImage{
                                 layout.width, layout.height, contentgen::paintSheet(e, layout).pixels(), true}));
        }
        return out;
    }();
    return images;
}

}  // namespace

FlowHarness::FlowHarness(int detailLevel) : FlowSetting("zub-flow") {
    ErrorManager::bTestMode = true;
    seedRandom();
    setUserDataFolderOverride(folder);
    configuration = std::make_unique<GameConfiguration>();
    configuration->detailLevel = detailLevel;
    configuration->inGameMusic = 1;
    installServices(*configuration);
    std::copy(std::begin(Overlay::makers), std::end(Overlay::makers), savedMakers);
    savedRowMaker = GameController::statsRowMaker;
    language.setLanguage(Language::ENGLISH);
    language.setKeyNameTable(input.keyNames);
    language.refreshKeyNames();
    dialogs = new ContextManager;
    gui::environment() = gui::Environment{};
    gui::environment().contextManager = dialogs;
    gui::environment().language = &language;
    gui::environment().configuration = configuration.get();

    leveltest::registerPlaceholders(resources);
    for (const auto& [name, image] : paintedImages()) resources.addResource(name, image.get());
    FontQuad* font = leveltest::smallTestFont();
    if (!font) font = static_cast<FontQuad*>(owned.emplace_back(std::make_unique<FontQuad>()).get());
    for (const char16_t* name :
         {u"fontTiny", u"fontSmall", u"fontSmallOutline", u"fontMedium", u"fontMediumOutline", u"fontLarge"})
        resources.addResource(name, font);
    // The minimal GUI theme in its font, as the game's global object makes
    // it after loading (the editor's rows wear it).
    minimalTheme = std::make_unique<GUIthemeMinimal>(font);
    gui::environment().minimalTheme = minimalTheme.get();
    addMusic(resources);
}

FlowHarness::~FlowHarness() {
    manager.reset();
    deleteObject(dialogs);
    gui::environment() = gui::Environment{};
    std::copy(std::begin(savedMakers), std::end(savedMakers), Overlay::makers);
    GameController::statsRowMaker = savedRowMaker;
    uninstallServices();
    configuration.reset();
    resources.clear();
    owned.clear();
    setUserDataFolderOverride("");
}

std::vector<uint8_t> FlowHarness::writeLevel(const std::function<void(LevelDraft&)>& edit) {
    LevelDraft draft;
    if (edit) edit(draft);
    return draft.write();
}

std::vector<uint8_t> FlowHarness::houseLevel(bool bonus, double parTime) {
    return writeLevel([&](LevelDraft& d) {
        d.controller().findHouse()->setPosition(HOUSE);
        d.controller().applesNeeded = 1;
        d.controller().bBonusLevel = bonus;
        d.controller().parTime = parTime;
    });
}

void FlowHarness::putHero(GameController& gc, const V3& at) {
    Pig* pig = gc.getHero();
    pig->setGround(nullptr);
    pig->velocity = V3();
    pig->setPosition(at + pig->bodyOffset);
    pig->physPoint.setPositionAndStop(at.x, at.y, at.z);
}

void FlowHarness::frameHolding(GameController& gc, const V3& at, int n) {
    for (int i = 0; i < n; ++i) {
        putHero(gc, at);
        frame();
    }
}

GameController& FlowHarness::play(const std::vector<uint8_t>& level) {
    manager.reset();
    writeFile("levels/a1.lev", level);
    manager = std::make_unique<ContextLevelManager>(0);
    return *server().controller();
}

void FlowHarness::frame(int n) {
    for (int i = 0; i < n; ++i) {
        platform::InputSnapshot s;
        for (int code : keys) {
            if (code > 0 && code < platform::KEY_COUNT) s.keys[code] = 0x80;
            // A controller's button: that controller is plugged in.
            const int pad = (code - input_codes::JOY_FIRST) / input_codes::JOY_STRIDE;
            const int button = (code - input_codes::JOY_FIRST) % input_codes::JOY_STRIDE - input_codes::JOY_BUTTON0;
            if (code >= input_codes::JOY_FIRST && pad < input_codes::JOY_COUNT && button >= 0) {
                s.joysticks[pad].present = true;
                s.joysticks[pad].buttons |= 1u << button;
            }
        }
        s.touches = touches;
        s.mouseX = mouse.x + 512.0f;
        s.mouseY = 384.0f - mouse.y;
        s.mouseMoved = mouseMoved;
        mouseMoved = false;
        s.mouseButtons[0] = mouseDown;
        input.update(s);
        ++renderCounters.frameNumber;
        if (dialogs->getTop()) dialogs->tick(time, DT);
        else manager->tick(time, DT);
        time += DT;
    }
}

void FlowHarness::tap(int code) {
    press(code);
    frame();
    release(code);
}

void FlowHarness::touchHud(int64_t id, const V3& at) {
    lift(id);
    touches.push_back({id, at.x + 512.0f, 384.0f - at.y});
}

void FlowHarness::moveMouse(const V3& at) {
    mouse = at;
    mouseMoved = true;
    frame();
}

void FlowHarness::click(const V3& at) {
    moveMouse(at);
    mouseDown = true;
    frame();
    mouseDown = false;
    frame();
}

void FlowHarness::lift(int64_t id) {
    std::erase_if(touches, [id](const platform::TouchPoint& t) { return t.id == id; });
}

void FlowHarness::openPlainOverlays() {
    for (Overlay::Maker& m : Overlay::makers) m = [] { return new Overlay; };
}
}  // namespace flowtest
