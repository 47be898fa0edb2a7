#include "ProgramHarness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/GameApplication.h"
#include "app/Loader.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "util/KeyCodes.h"

namespace programtest {

namespace fs = std::filesystem;

namespace {

std::string makeTempFolder(const char* stem) {
    std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    return mkdtemp(pattern.data()) ? pattern + "/" : std::string();
}

// Links every file below `from` into `to` (folders made), but those listed.
void linkTree(const fs::path& from, const fs::path& to, const fs::path& content,
              const std::vector<std::string>& leaveOut) {
    std::error_code ec;
    fs::create_directories(to, ec);
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(e.path(), from);
        if (e.is_directory()) {
            fs::create_directories(target, ec);
            continue;
        }
        const fs::path relative = fs::relative(e.path(), content);
        bool skip = false;
        for (const std::string& s : leaveOut) skip = skip || relative == fs::path(s);
        if (!skip) fs::create_symlink(e.path(), target, ec);
        if (ec) ADD_FAILURE() << "cannot link " << target << ": " << ec.message();
    }
}

}  // namespace

// ---- The folder of the program ---------------------------------------------------------

ContentFolder::ContentFolder(Layout layout, const std::vector<std::string>& leaveOut) {
    path = makeTempFolder("zub-program");
    if (path.empty()) {
        ADD_FAILURE() << "no temporary folder";
        return;
    }
    const fs::path content = ZUB_CONTENT_DIR;
    if (!fs::exists(content / "Tumbrodemo.dat")) ADD_FAILURE() << content << " holds no content: build it first";
    std::error_code ec;
    if (layout == Layout::Archives) {
        for (const char* name : {"Tumbrodemo.dat", "Tumbrodemo.dat.levels", "Tumbrodemo.dat.language.v2",
                                 "Tumbrodemo.dat.1252", "Tumbrodemo.dat.1250"})
            fs::create_symlink(content / name, fs::path(path) / name, ec);
    } else {
        for (const char* tree : {"gfx", "sfx"}) linkTree(content / tree, fs::path(path) / tree, content, leaveOut);
    }
    fs::create_directories(fs::path(path) / "levels", ec);
}

ContentFolder::~ContentFolder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
}

void ContentFolder::write(const std::string& name, const std::string& bytes) const {
    filestest::writeBytes(path + name, bytes);
}

// ---- The back-end: the inner one's window and drawing, the script's input ------------

class ProgramHarness::Backend final : public platform::Backend {
public:
    explicit Backend(std::unique_ptr<platform::Backend> b) : inner(std::move(b)) {}
    bool openWindow(const platform::WindowSettings& s, std::string& error) override {
        asked = s;
        return inner->openWindow(s, error);
    }
    void closeWindow() override { inner->closeWindow(); }
    bool setFullScreen(bool on, int width, int height) override {
        asked.fullScreen = on;
        asked.width = width;
        asked.height = height;
        // A window system that keeps the window's size whatever is asked.
        if (bKeepSize) inner->windowSize(width, height);
        return inner->setFullScreen(on, width, height);
    }
    void windowSize(int& width, int& height) override { inner->windowSize(width, height); }
    bool setVSync(bool on) override { return inner->setVSync(on); }
    bool canGetFocus() const override { return true; }
    void poll(platform::InputSnapshot& input, platform::WindowState& window) override {
        platform::InputSnapshot ignored;
        inner->poll(ignored, window);
        window.focused = bFocused;
        window.closeRequested = bClose;
        input = next;
        next.typed.clear();
        next.wheel = 0;
        next.mouseMoved = false;
        for (bool& pressed : next.mousePressed) pressed = false;
        for (bool& released : next.mouseReleased) released = false;
        windowWidth = window.width;
        windowHeight = window.height;
    }
    void present() override { inner->present(); }
    void showCursor(bool visible) override {
        cursorVisible = visible;
        inner->showCursor(visible);
    }
    void warpMouse(float x, float y) override {
        next.mouseX = x;
        next.mouseY = y;
    }
    bool showMessageBox(const WString&, const WString&) override { return false; }
    std::vector<DisplayMode> displayModes() override { return inner->displayModes(); }
    std::unique_ptr<platform::RenderDevice> createRenderDevice() override { return inner->createRenderDevice(); }

    std::unique_ptr<platform::Backend> inner;
    platform::InputSnapshot next;
    bool bClose = false;
    bool bFocused = true;
    bool bKeepSize = false;
    platform::WindowSettings asked;
    int windowWidth = 1024, windowHeight = 768;
    bool cursorVisible = true;
};

// ---- The harness -----------------------------------------------------------------------

ProgramHarness::ProgramHarness() : ProgramHarness(Options{}) {}

ProgramHarness::ProgramHarness(Options o) : options(std::move(o)) {
    ErrorManager::bTestMode = true;
    // No sound device: the program runs silent (its sounds still draw their pitches).
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    userFolder = makeTempFolder("zub-user");
    program = std::make_unique<ContentFolder>(options.layout, options.leaveOut);
    if (!options.staticSettings.empty()) program->write("Tumbrodemo.cfg.static", options.staticSettings);
    std::string user = options.userSettings;
    if (options.developer) user += "\n[Engine]\ndebugCode=zub-developer\n";
    if (!user.empty()) std::ofstream(userFolder + "Tumbrodemo.cfg") << user;
    setUserDataFolderOverride(userFolder);
    if (!options.userFilesFrom.empty()) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(options.userFilesFrom, ec))
            if (entry.is_regular_file() && entry.path().filename() != "Tumbrodemo.log")
                fs::copy_file(entry.path(), fs::path(userFolder) / entry.path().filename(),
                              fs::copy_options::overwrite_existing, ec);
    } else if (!options.playerName.empty()) {
        ProfileManager players;  // saved when it goes
        players.addProfile(narrowToWide(options.playerName));
    }
}

ProgramHarness::~ProgramHarness() {
    close();
    setExecutableFolderOverride("");
    setUserDataFolderOverride("");
    program.reset();
    std::error_code ec;
    if (!userFolder.empty()) fs::remove_all(userFolder, ec);
}

void ProgramHarness::start() {
    ASSERT_FALSE(started) << "the program runs once per harness";
    started = true;
    setUserDataFolderOverride(userFolder);
    setExecutableFolderOverride(program->path);
    thread = std::thread([this] { runProgram(); });
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return waiting || finished; });
}

void ProgramHarness::runProgram() {
    RunOptions run;
    run.arguments.push_back("Tumbrodemo");
    for (const std::string& a : options.arguments) {
        run.arguments.push_back(a);
        if (a == "-safe") run.bSafeMode = true;  // as the command line's parser does
    }
    run.bAssumeFocused = true;
    run.fixedFrameStep = options.fixedFrameStep;
    run.bAllowSeveralInstances = true;
    const bool real = options.realDisplay;
    run.makeBackend = [this, real]() -> std::unique_ptr<platform::Backend> {
        if (real) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        auto b =
            std::make_unique<Backend>(real ? platform::createSdlBackend() : std::make_unique<platform::NullBackend>());
        b->bKeepSize = options.windowKeepsItsSize;
        backend = b.get();
        return b;
    };
    run.beforeFrame = [this](platform::Backend&, int frame) { beforeFrame(frame); };
    const int result = runGame(run);
    platform::releaseThreadState();
    std::lock_guard lock(mutex);
    backend = nullptr;
    code = result;
    finished = true;
    waiting = false;
    changed.notify_all();
}

void ProgramHarness::beforeFrame(int frame) {
    std::unique_lock lock(mutex);
    frameCount = frame;
    waiting = true;
    changed.notify_all();
    for (;;) {
        changed.wait(lock, [this] { return granted > 0 || quit || task; });
        if (task) {
            const std::function<void()> t = std::move(task);
            task = nullptr;
            t();
            changed.notify_all();
            continue;
        }
        break;
    }
    waiting = false;
    if (quit) {
        backend->bClose = true;
        return;
    }
    --granted;
    // The null device would keep every draw of the run.
    if (ZUB && ZUB->graphics)
        if (auto* device = dynamic_cast<platform::NullRenderDevice*>(ZUB->graphics->device())) device->resetRecords();
}

bool ProgramHarness::step(int n) {
    for (int i = 0; i < n; ++i) {
        std::unique_lock lock(mutex);
        if (finished || !started) return false;
        granted = 1;
        changed.notify_all();
        changed.wait(lock, [this] { return finished || (waiting && granted == 0); });
    }
    return !ended();
}

bool ProgramHarness::stepUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (ended()) return false;
        if (done()) return true;
        step();
    }
    return !ended() && done();
}

bool ProgramHarness::runToEnd(int limit) {
    for (int i = 0; i < limit && !ended(); ++i) step();
    if (ended() && thread.joinable()) thread.join();
    return ended();
}

void ProgramHarness::close() {
    if (!thread.joinable()) return;
    {
        std::lock_guard lock(mutex);
        quit = true;
    }
    changed.notify_all();
    thread.join();
}

bool ProgramHarness::ended() const {
    std::lock_guard lock(mutex);
    return finished;
}

void ProgramHarness::onProgramThread(const std::function<void()>& t) {
    std::unique_lock lock(mutex);
    if (finished || !waiting) {
        ADD_FAILURE() << "the program does not wait for a task";
        return;
    }
    task = t;
    changed.notify_all();
    changed.wait(lock, [this] { return finished || !task; });
}

ContextManager* ProgramHarness::stack() const {
    return ZUB && ZUB->rootContext ? dynamic_cast<ContextManager*>(ZUB->rootContext) : nullptr;
}

Context* ProgramHarness::top() const {
    ContextManager* s = stack();
    return s ? s->getTop() : nullptr;
}

std::vector<std::string> ProgramHarness::stackClasses() const {
    std::vector<std::string> names;
    if (ContextManager* s = stack())
        for (Context* c : childrenOf<Context>(s)) names.push_back(c->getClass()->getTypeName());
    return names;
}

Loader* ProgramHarness::loader() const {
    if (ContextManager* s = stack())
        for (Context* c : childrenOf<Context>(s))
            if (auto* l = dynamic_cast<Loader*>(c)) return l;
    return nullptr;
}

std::string ProgramHarness::log() const { return filestest::readBytes(userFolder + "Tumbrodemo.log"); }

std::vector<uint32_t> ProgramHarness::capture(int& width, int& height) {
    return capture(width, height, [] { ZUB->rootContext->renderContext(); });
}

std::vector<uint32_t> ProgramHarness::capture(int& width, int& height, const std::function<void()>& draw) {
    std::vector<uint32_t> pixels;
    width = height = 0;
    onProgramThread([&] {
        if (!ZUB || !ZUB->graphics || !ZUB->rootContext) return;
        ZubGraphics& g = *ZUB->graphics;
        g.beginFrame();
        draw();
        if (g.device()->readPixels(0, 0, g.backBufferWidth, g.backBufferHeight, pixels)) {
            width = g.backBufferWidth;
            height = g.backBufferHeight;
        }
    });
    return pixels;
}

void ProgramHarness::setFocused(bool focused) {
    if (backend) backend->bFocused = focused;
}

void ProgramHarness::setMouseInWindow(bool inside) {
    if (backend) backend->next.mouseInWindow = inside;
}

void ProgramHarness::keyDown(int code) {
    if (backend && code > 0 && code < platform::KEY_COUNT) backend->next.keys[code] = 0x80;
}

void ProgramHarness::keyUp(int code) {
    if (backend && code > 0 && code < platform::KEY_COUNT) backend->next.keys[code] = 0;
}

void ProgramHarness::pressKey(int code, std::initializer_list<int> modifiers) {
    for (int m : modifiers) keyDown(m);
    keyDown(code);
    step();
    keyUp(code);
    step();
    for (int m : modifiers) keyUp(m);
}

void ProgramHarness::moveMouse(float x, float y) {
    if (!backend) return;
    // Reference units to window pixels (the whole window: no letterbox bars
    // at the window's own 4:3 size).
    const float sx = static_cast<float>(backend->windowWidth) / static_cast<float>(REFERENCE_WIDTH);
    const float sy = static_cast<float>(backend->windowHeight) / static_cast<float>(REFERENCE_HEIGHT);
    backend->next.mouseX = x * sx;
    backend->next.mouseY = (static_cast<float>(REFERENCE_HEIGHT) - y) * sy;
    backend->next.mouseMoved = true;
}

void ProgramHarness::moveMouseToPixel(float x, float y) {
    if (!backend) return;
    backend->next.mouseX = x;
    backend->next.mouseY = y;
    backend->next.mouseMoved = true;
}

void ProgramHarness::mouseStandsAtPixel(float x, float y) {
    if (!backend) return;
    backend->next.mouseX = x;
    backend->next.mouseY = y;
    backend->next.mouseKnown = true;
}

platform::WindowSettings ProgramHarness::askedWindow() const {
    std::lock_guard lock(mutex);
    return backend ? backend->asked : platform::WindowSettings{};
}

bool ProgramHarness::systemCursorVisible() const {
    std::lock_guard lock(mutex);
    return !backend || backend->cursorVisible;
}

void ProgramHarness::mouseButton(bool down) {
    if (backend) backend->next.mouseButtons[0] = down;
}

void ProgramHarness::click(float x, float y) {
    moveMouse(x, y);
    step();
    mouseButton(true);
    step();
    mouseButton(false);
    step();
}

void ProgramHarness::type(std::u16string_view text) {
    if (backend) backend->next.typed += text;
}

}  // namespace programtest
