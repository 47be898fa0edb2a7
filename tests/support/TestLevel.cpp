#include "TestLevel.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "Placeholders.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "object/Packet.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "platform/FontRasterizer.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"
#include "util/Random.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/Hull.h"

namespace leveltest {

bool InputScript::isDown(int code, int frame) const {
    for (const Hold& h : holds)
        if (h.code == code && frame >= h.from && frame < h.to) return true;
    return false;
}

TestLevel::TestLevel() {
    ErrorManager::bTestMode = true;
    // The role draws its first UID from the shared generator: seeded first,
    // levels made the same way number their objects the same way.
    previousRandom = randomState;
    randomState = 1;
    role = new NetRole();
    root = new RootObject();
    game = new ContextBlender();
    previousWorld = GameWorld::setCurrent(this);
    previousContext = Context::environment.current;
    Context::environment.current = game;
    previousFrame = renderCounters.frameNumber;
    renderCounters.frameNumber = 1;
    input = std::make_unique<ZubInput>();
    char pattern[] = "/tmp/zub-level-XXXXXX";
    if (mkdtemp(pattern)) userFolder = std::string(pattern) + "/";
    setUserDataFolderOverride(userFolder);
    configuration = std::make_unique<GameConfiguration>();
    configuration->detailLevel = 1;
    // After the configuration, which may draw a new identity.
    randomState = 1;

    registerPlaceholders(resources);

    // The playing area of a new level: ten screens wide, ten high.
    playingArea = {-5.0f * REFERENCE_WIDTH, 10.0f * REFERENCE_HEIGHT, 5.0f * REFERENCE_WIDTH, 0.0f};
    currentResult.apples = applesNeeded;
    promptTarget.owner = nullptr;

    role->registerObject(root, 1);
    root->addChild(game);
    game->camera->resetAt(0.0f, 0.0f, -REFERENCE_WIDTH / 2);
    // The lists, in the order in which they tick and draw.
    ZubBase** lists[] = {&bgList,        &bgEffectsList, &secretList,      &dangerAreaList, &objectList,
                         &pigList,       &pigletList,    &houseList,       &explodableList, &cargoList,
                         &appleList,     &sweetList,     &proxyList,       &appleGhostList, nullptr,
                         &fgEffectsList, &weatherList,   &speechBubbleList};
    for (ZubBase** field : lists) {
        ZubBase* list;
        if (field) {
            list = *field = new ZubBase();
        } else {
            list = hullList = new HullList();
        }
        role->registerObject(list, 0);
        game->addChild(list);
    }
    drain();
}

TestLevel::~TestLevel() {
    // Registered objects outside the tree go after the role's tree.
    std::vector<std::unique_ptr<ZubBaseReference>> loose;
    for (int32_t uid : role->objectMap.ascending()) {
        ZubBase* o = role->findObjectOrNull(uid);
        if (o && !o->parent && o != root) {
            loose.push_back(std::make_unique<ZubBaseReference>());
            loose.back()->set(o);
        }
    }
    promptTarget.set(nullptr);
    checkpoint.set(nullptr);
    delete role;
    for (auto& r : loose)
        if (ZubBase* o = r->get(); o && !o->parent) deleteObject(o);
    loose.clear();
    resources.clear();
    configuration.reset();
    setUserDataFolderOverride("");
    std::error_code ec;
    if (!userFolder.empty()) std::filesystem::remove_all(userFolder, ec);
    GameWorld::setCurrent(previousWorld);
    Context::environment.current = previousContext;
    renderCounters.frameNumber = previousFrame;
    randomState = previousRandom;
}

void TestLevel::local_setMessage(int32_t messenger, int32_t textId, double duration, const WString& text) {
    messages.push_back({messenger, textId, duration, text});
}

BezierPath* TestLevel::straightPath(const V3& at, const V3& d) {
    auto* p = spawn<BezierPath>(at, objectList);
    p->addPoint(0.0f, 0.0f, 0.0f);
    p->addPoint(d.x, d.y, d.z);
    for (BezierVertex* v : childrenOf<BezierVertex>(p->vertices)) {
        v->tangent = d * (1.0f / 3.0f);
        v->notifyReferrers();
    }
    p->onEdited();
    return p;
}

Pig* TestLevel::spawnHero(const V3& at) {
    Pig* pig = new Pig();
    role->registerObject(pig, 0);
    placeHero(pig, at);
    pig->setPigletCount(1);
    pig->netPostReplicate();
    if (!pig->parent) pigList->addChild(pig);
    drain();
    return pig;
}

void TestLevel::placeHero(Pig* pig, const V3& at) {
    pig->setGround(nullptr);
    pig->velocity = V3();
    pig->setPosition(at.x, at.y + pig->bodyOffset.y, at.z);
    pig->physPoint.setPositionAndStop(at.x, at.y, at.z);
}

House* TestLevel::spawnHouse(const V3& at) {
    House* house = new House();
    role->registerObject(house, 0);
    house->setPosition(at.x, at.y, at.z);
    houseList->addChild(house);
    house->construct();
    house->netPostReplicate();
    drain();
    return house;
}

Hull* TestLevel::staticHull(const std::vector<V3>& points, bool close) {
    A99Object* o = spawn<A99Object>(V3(), objectList);
    o->createHull();
    Hull* h = o->getHull();
    for (const V3& p : points) h->addHullPoint(p.x, p.y, p.z, true);
    if (close) h->closeLoop();
    o->netPostReplicate();
    drain();
    return h;
}

TestArea* TestLevel::area(int type, const V3& at, float radius) {
    auto* a = new TestArea(type, radius);
    a->setPosition(at);
    dangerAreaList->addChild(a);
    return a;
}

void TestLevel::holdControl(int control, int from, int to) {
    script.hold(configuration->controls[control].key, from, to);
}

void TestLevel::tapControl(int control, int at) { script.tap(configuration->controls[control].key, at); }

void TestLevel::chooseActionTarget() {
    clearPrompt();
    const ControlBinding& use = configuration->controls[GameConfiguration::CONTROL_USE];
    if (!input->wasKeyPressed(use.key) && !input->wasKeyPressed(use.alternative)) return;
    Pig* hero = heroOrNull();
    if (!hero) return;
    const V3 centre = hero->boundingCentre;
    for (ZubBase* list : {objectList, cargoList, pigList}) findNearestObject(list, centre);
}

void TestLevel::step(int frames) {
    for (int i = 0; i < frames; ++i) {
        for (int code = 1; code < ZubInput::INPUT_CODES; ++code) {
            input->prevKeys[code] = input->keys[code];
            input->keys[code] = script.isDown(code, frame) ? 0x80 : 0;
        }
        ++renderCounters.frameNumber;
        Context::environment.current = game;
        chooseActionTarget();
        game->tickContents(time, DT);
        drain();
        ++frame;
        time += DT;
    }
}

uint32_t TestLevel::stateHash() {
    Packet p(Packet::FLAG_NETWORK, 1 << 24);
    role->writeFullState(&p);
    uint32_t random = randomState;
    p.doDWORD(random);
    return p.crc32(0, p.length());
}

void TestLevel::setEditing(bool on) {
    bEditor = on;
    role->bEditing = on;
}

platform::NullRenderDevice* TestLevel::enableGraphics() {
    if (device) return device;
    graphics = std::make_unique<ZubGraphics>();
    auto d = std::make_unique<platform::NullRenderDevice>();
    device = d.get();
    std::string error;
    if (!graphics->setDevice(std::move(d), error)) ADD_FAILURE() << error;
    game->camera->apply();
    return device;
}

namespace {

struct SmallFont {
    std::vector<std::unique_ptr<Texture>> pages;
    std::unique_ptr<FontQuad> font;

    SmallFont() {
        std::string error;
        const std::string file = platform::defaultGlyphFontFile();
        std::unique_ptr<platform::FontRasterizer> face =
            file.empty() ? nullptr : platform::openFontRasterizer(file, 15, error);
        if (!face) return;
        glyph_pages::Style style;
        style.pixelSize = 15;
        std::vector<glyph_pages::Page> rendered;
        const CodePointTable table = CodePointTable::builtIn(u"1252");
        if (!glyph_pages::renderPages(*face, glyph_pages::codePageSlots(table, u"1252"), style, rendered, error))
            return;
        FontQuad::setCodePage(u"1252");
        font = std::make_unique<FontQuad>();
        for (const glyph_pages::Page& p : rendered) {
            MemoryImageFile image(p.width, p.height);
            std::copy(p.pixels.begin(), p.pixels.end(), image.pixels());
            auto t = std::make_unique<Texture>(&image);
            t->applySkinDescription(p.description, u"font-small");
            font->addSourceTexture(t.get(), pages.empty() ? FontQuad::FIRST_PAGE_CODE : FontQuad::CONTINUE);
            pages.push_back(std::move(t));
        }
    }
};

}  // namespace

FontQuad* TestLevel::getBubbleFont() { return smallTestFont(); }

}  // namespace leveltest

namespace leveltest {

FontQuad* smallTestFont() {
    static SmallFont small;
    return small.font.get();
}

}  // namespace leveltest
