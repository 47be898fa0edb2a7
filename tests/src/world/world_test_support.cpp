#include "world_test_support.h"

#include <algorithm>

#include "gfx/MemoryImageFile.h"
#include "object/Packet.h"
#include "sys/ErrorManager.h"

namespace worldtest {

namespace {

std::unique_ptr<Texture> makeTexture(int w, int h) {
    MemoryImageFile image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, 0xFFFFFFFFu);
    return std::make_unique<Texture>(&image);
}

}  // namespace

TestWorld::TestWorld(bool registerLists)
    : role(new NetRole()),
      root(new RootObject()),
      objectList(new ZubBase()),
      hullList(new HullList()),
      proxyList(new ZubBase()),
      speechBubbleList(new ZubBase()),
      dangerAreaList(new ZubBase()) {
    ErrorManager::bTestMode = true;
    previousWorld = GameWorld::setCurrent(this);
    previousContext = Context::environment.current;
    Context::environment.current = &context;
    previousFrame = renderCounters.frameNumber;
    input = std::make_unique<ZubInput>();
    renderCounters.frameNumber = 1;

    // Placeholder art under the names the world's objects look up.
    struct Sheet {
        const char16_t* name;
        int w, h;
        const char* description;
    };
    const Sheet sheets[] = {
        {u"editor_icons", 32, 32, nullptr},  {u"editor_arrow", 64, 8, nullptr},
        {u"editor_circle", 64, 64, nullptr}, {u"editor_symbols", 64, 8, "[sheet]\ngrid=8,1,8,8\n"},
        {u"deco-grass", 64, 32, nullptr},
    };
    for (const Sheet& s : sheets) {
        auto t = makeTexture(s.w, s.h);
        if (s.description) t->applySkinDescription(s.description, s.name);
        t->registerSkins(resources, s.name);
        textures.push_back(std::move(t));
    }
    const char16_t* soundNames[] = {u"footstepDirt", u"footstepStone", u"footstepWood", u"footstepLeaves",
                                    u"footstepSnow", u"pop",           u"ambientBrook"};
    for (const char16_t* n : soundNames) {
        auto s = std::make_unique<Sound>(0, 4, std::vector<float>(64, 0.0f), 1, 22050);
        resources.addResource(n, s.get());
        sounds.push_back(std::move(s));
    }

    role->registerObject(root, 1);
    for (ZubBase* list : {objectList, static_cast<ZubBase*>(hullList), proxyList, speechBubbleList, dangerAreaList}) {
        if (registerLists) role->registerObject(list, 0);
        root->addChild(list);
    }
    drain();
}

TestWorld::~TestWorld() {
    // Registered objects outside the tree go after the role's tree.
    std::vector<std::unique_ptr<ZubBaseReference>> loose;
    for (const auto& e : role->objectMap) {
        if (e.second && !e.second->parent && e.second != root) {
            loose.push_back(std::make_unique<ZubBaseReference>());
            loose.back()->set(e.second);
        }
    }
    hero = nullptr;
    delete role;
    for (auto& r : loose)
        if (ZubBase* o = r->get(); o && !o->parent) deleteObject(o);
    loose.clear();
    resources.clear();
    GameWorld::setCurrent(previousWorld);
    Context::environment.current = previousContext;
    renderCounters.frameNumber = previousFrame;
}

void TestWorld::setEditing(bool on) {
    bEditor = on;
    role->bEditing = on;
}

void TestWorld::drain() { role->outgoing->reset(); }

platform::NullRenderDevice* TestWorld::enableGraphics() {
    if (device) return device;
    graphics = std::make_unique<ZubGraphics>();
    auto d = std::make_unique<platform::NullRenderDevice>();
    device = d.get();
    std::string error;
    if (!graphics->setDevice(std::move(d), error)) ADD_FAILURE() << error;
    context.camera->apply();
    return device;
}

void TestWorld::pressKey(int code, int modifiers) {
    input->keys[code] = 0x80;
    input->prevKeys[code] = 0;
    input->modifierState = modifiers;
}

void TestWorld::releaseKeys() {
    for (int i = 0; i < ZubInput::INPUT_CODES; ++i) input->keys[i] = input->prevKeys[i] = 0;
    input->modifierState = 0;
}

Hull* TestWorld::makeHull(A99Object* owner, std::initializer_list<V3> points, bool close) {
    return makeHull(owner, std::vector<V3>(points), close);
}

Hull* TestWorld::makeHull(A99Object* owner, const std::vector<V3>& points, bool close) {
    owner->createHull();
    Hull* h = owner->getHull();
    for (const V3& p : points) h->addHullPoint(p.x, p.y, p.z, true);
    if (close) h->closeLoop();
    drain();
    return h;
}

Hull* TestWorld::staticHull(std::initializer_list<V3> points, bool close) {
    A99Object* o = place<A99Object>();
    return makeHull(o, points, close);
}

void writeLevelPacket(NetRole& role, Packet& out, const std::vector<ZubBase*>& skip) {
    std::vector<int32_t> uids;
    for (const auto& e : role.objectMap)
        if (std::find(skip.begin(), skip.end(), e.second) == skip.end()) uids.push_back(e.first);
    std::sort(uids.begin(), uids.end());
    for (int32_t uid : uids) {
        uint8_t code = NetRole::SPAWNNAMED;
        out.doBits(code, 2);
        const RuntimeClass* c = role.objectMap[uid]->getClass();
        out.doClassID(c);
        out.doUInt(uid);
    }
    for (int32_t uid : uids) {
        uint8_t code = NetRole::COPYOBJ;
        out.doBits(code, 2);
        out.doUInt(uid);
        role.objectMap[uid]->netSerialize(out);
    }
}

}  // namespace worldtest
