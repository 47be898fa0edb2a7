#include "MenuHarness.h"

#include <cstdlib>
#include <filesystem>

#include "Manifest.h"
#include "Placeholders.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "gui/ContextMenu.h"
#include "gui/GuiEnvironment.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Paths.h"
#include "text/FontQuad.h"
#include "util/Format.h"

namespace menutest {

namespace {

// Made once per test program and kept: the six fonts from the generated
// glyph pages of code page 1252 with the loader's spacings (page textures
// keep their images, so any device can take them). The manifest's textures
// and sounds are the shared placeholders (Placeholders.h).
struct Resources {
    std::vector<std::pair<WString, std::unique_ptr<Texture>>> fontPages;
    std::vector<std::pair<WString, std::unique_ptr<FontQuad>>> fonts;
    std::string error;

    Resources() { loadFonts(); }

    // As the loader does: pages "<prefix>1", "<prefix>2" ... from code 33
    // through the code page, extra pages from code 0 as they are.
    void loadFonts() {
        FileManager files;
        files.baseFolder = std::string(ZUB_CONTENT_DIR) + "/";
        ResourceManager pages;
        FontQuad::setCodePage(u"1252");
        for (const content::FontRole& role : content::kFonts) {
            const WString stem = narrowToWide(role.stem);
            const WString prefix = narrowToWide(role.prefix);
            for (const char16_t* kind : {u"", u"extra-"}) {
                const WString suffix = kind[0] ? u"Extra" : u"";
                for (int n = 1;; ++n) {
                    const WString file = formatString(u"gfx/font/1252/%s%s-%d.tga", kind, stem, n);
                    if (!files.fileExists(file)) break;
                    auto t = std::make_unique<Texture>(kind[0] ? 10 : 14, file);
                    const WString name = formatString(u"%s%s%d", prefix, suffix, n);
                    pages.addResource(name, t.get());
                    fontPages.emplace_back(name, std::move(t));
                }
            }
            if (!pages.find(prefix + u"1", false)) {
                error = "no glyph pages of " + std::string(role.stem) + " in " + files.baseFolder +
                        " (build the content first)";
                return;
            }
            auto f = std::make_unique<FontQuad>();
            // The loader's spacings, which the pages are made for.
            f->defaultCharWidth = role.spaceAdvance;
            f->letterSpacing = role.letterSpacing;
            f->addSourceTextures(prefix);
            f->finishLoading();
            fonts.emplace_back(narrowToWide(role.resource), std::move(f));
        }
    }

    // The placeholders are the test levels' (Placeholders.h).
    void registerIn(ResourceManager& r) const {
        leveltest::registerPlaceholders(r);
        registerFonts(r);
    }
    void registerFonts(ResourceManager& r) const {
        for (auto& [name, t] : fontPages) r.addResource(name, t.get());
        for (auto& [name, f] : fonts) r.addResource(name, f.get());
    }
};

const Resources& shared() {
    static Resources r;
    return r;
}

}  // namespace

bool registerGameFonts(ResourceManager& resources) {
    const Resources& r = shared();
    if (!r.error.empty()) {
        ADD_FAILURE() << r.error;
        return false;
    }
    r.registerFonts(resources);
    return true;
}

MenuHarness::MenuHarness() {
    ErrorManager::bTestMode = true;
    previousFrameNumber = renderCounters.frameNumber;
    previousCurrent = Context::environment.current;
    renderCounters.frameNumber = 100;

    char pattern[] = "/tmp/zub-menu-XXXXXX";
    if (mkdtemp(pattern)) userFolder = std::string(pattern) + "/";
    setUserDataFolderOverride(userFolder);
    configuration = std::make_unique<GameConfiguration>();

    const Resources& r = shared();
    if (!r.error.empty()) ADD_FAILURE() << r.error;
    r.registerIn(resources);

    input = std::make_unique<ZubInput>();
    graphics = std::make_unique<ZubGraphics>();
    auto d = std::make_unique<platform::NullRenderDevice>();
    device = d.get();
    std::string error;
    if (!graphics->setDevice(std::move(d), error)) ADD_FAILURE() << error;

    language.setLanguage(Language::ENGLISH);
    FontQuad::setCodePage(u"1252");

    // Every test starts in pointer navigation, reading left to right.
    ContextMenu::navigationMode = ContextMenu::NAVIGATION_POINTER;
    ContextMenu::navigationModeFrame = -1;
    ContextMenu::readingSign = 1.0f;
    ContextMenu::defaultCaptionLocation = 4;

    stack = new ContextManager;
    gui::Environment& env = gui::environment();
    env = gui::Environment{};
    env.contextManager = stack;
    env.pendingUrl = &pendingUrl;
    env.language = &language;
    env.configuration = configuration.get();
    env.applyConfiguration = [this] { ++configurationPushes; };
    gui::installEngineHooks();
}

MenuHarness::~MenuHarness() {
    deleteObject(stack);
    stack = nullptr;
    gui::removeEngineHooks();
    gui::environment() = gui::Environment{};
    resources.clear();
    graphics.reset();
    input.reset();
    configuration.reset();
    setUserDataFolderOverride("");
    std::error_code ec;
    if (!userFolder.empty()) std::filesystem::remove_all(userFolder, ec);
    renderCounters.frameNumber = previousFrameNumber;
    Context::environment.current = previousCurrent;
}

void MenuHarness::step(int frames) {
    for (int i = 0; i < frames; ++i) {
        input->update(next);
        next.typed.clear();
        next.mouseMoved = false;
        next.wheel = 0;
        ++renderCounters.frameNumber;
        stack->tick(time, DT);
        focus.update(stack, *input);
        if (drawEveryFrame) draw();
        ++frame;
        time += DT;
    }
}

void MenuHarness::draw() {
    device->resetRecords();
    stack->renderContext();
}

void MenuHarness::keyDown(int code) {
    if (code > 0 && code < platform::KEY_COUNT) next.keys[code] = 0x80;
}

void MenuHarness::keyUp(int code) {
    if (code > 0 && code < platform::KEY_COUNT) next.keys[code] = 0;
}

void MenuHarness::pressKey(int code) {
    keyDown(code);
    step();
    keyUp(code);
    step();
}

void MenuHarness::padButton(int c, int button, bool down) {
    platform::JoystickState& j = next.joysticks[c];
    j.present = true;
    if (down) j.buttons |= 1u << button;
    else j.buttons &= ~(1u << button);
}

void MenuHarness::padHat(int c, uint8_t bits) {
    next.joysticks[c].present = true;
    next.joysticks[c].hat = bits;
}

void MenuHarness::moveMouse(float x, float y) {
    next.mouseX = x;
    next.mouseY = static_cast<float>(REFERENCE_HEIGHT) - y;
    next.mouseMoved = true;
}

void MenuHarness::mouseButton(bool down) { next.mouseButtons[0] = down; }

void MenuHarness::click(float x, float y) {
    moveMouse(x, y);
    step();
    mouseButton(true);
    step();
    mouseButton(false);
    step();
}

void MenuHarness::touchDown(int64_t id, float x, float y) {
    for (platform::TouchPoint& t : next.touches)
        if (t.id == id) {
            t.x = x;
            t.y = static_cast<float>(REFERENCE_HEIGHT) - y;
            return;
        }
    next.touches.push_back({id, x, static_cast<float>(REFERENCE_HEIGHT) - y});
}

void MenuHarness::touchUp(int64_t id) {
    std::erase_if(next.touches, [id](const platform::TouchPoint& t) { return t.id == id; });
}

void MenuHarness::type(std::u16string_view text) { next.typed += text; }

FontQuad* MenuHarness::font(std::u16string_view name) const { return zub_cast<FontQuad>(resources.find(name, false)); }

}  // namespace menutest
