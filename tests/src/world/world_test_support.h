#pragma once
// The test world: a network role that allows registrations with a root
// object and the game controller's lists, placeholder skins and sounds under
// the names the world's objects look up, a game camera and context, an
// editor panel that can be switched on, and a settable frame number. It is
// the current GameWorld while it lives.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

#include "audio/Sound.h"
#include "engine/FocusManager.h"
#include "gfx/Context.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "platform/RenderDevice.h"
#include "world/A99Object.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/WorldEditorPanel.h"

namespace worldtest {

class TestWorld : public GameWorld {
public:
    // `registerLists`: the lists are registered objects under the root (so
    // that replicated calls naming them are sent); a world that replays a
    // level packet keeps them local.
    explicit TestWorld(bool registerLists = true);
    ~TestWorld() override;

    ZubBase* getObjectList() override { return objectList; }
    HullList* getHullList() override { return hullList; }
    ZubBase* getProxyList() override { return proxyList; }
    ZubBase* getSpeechBubbleList() override { return speechBubbleList; }
    ZubBase* getDangerAreaList() override { return dangerAreaList; }
    WorldEditorPanel* getEditor() override { return bEditor ? &panel : nullptr; }
    A99Object* findHero() override { return hero; }
    Camera* getGameCamera() override { return context.camera; }

    // The editor panel and the role's editing flag together.
    void setEditing(bool on);
    void setFrame(int32_t frame) { renderCounters.frameNumber = frame; }
    // Empties the role's outgoing packet (big scenes send many calls).
    void drain();
    // A graphics object on the recording device.
    platform::NullRenderDevice* enableGraphics();
    // Key state for editor tests: the key is down this frame (and was up).
    void pressKey(int code, int modifiers = 0);
    void releaseKeys();

    // A placed object at a position, registered and constructed (proxy),
    // in the object list.
    template <class T = A99Object>
    T* place(const V3& at = V3()) {
        T* o = new T();
        role->registerObject(o, 0);
        o->setPosition(at.x, at.y, at.z);
        objectList->addChild(o);
        o->construct();
        return o;
    }
    // A hull for the owner through the given local points.
    Hull* makeHull(A99Object* owner, std::initializer_list<V3> points, bool close = false);
    Hull* makeHull(A99Object* owner, const std::vector<V3>& points, bool close = false);
    // A static object at the origin with an open hull through the points.
    Hull* staticHull(std::initializer_list<V3> points, bool close = false);

    NetRole* role;
    RootObject* root;
    ZubBase* objectList;
    HullList* hullList;
    ZubBase* proxyList;
    ZubBase* speechBubbleList;
    ZubBase* dangerAreaList;
    std::unique_ptr<ZubGraphics> graphics;
    platform::NullRenderDevice* device = nullptr;
    std::unique_ptr<ZubInput> input;
    FocusManager focus;
    ResourceManager resources;
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<std::unique_ptr<Sound>> sounds;
    Context context;
    WorldEditorPanel panel;
    bool bEditor = false;
    A99Object* hero = nullptr;

private:
    GameWorld* previousWorld;
    Context* previousContext;
    int32_t previousFrame;
};

// Reads a packet written by one role into a fresh one and post-replicates
// everything (a level file's replay): the objects keep their UIDs.
// `skip` objects (the source's root and lists) are left out.
void writeLevelPacket(NetRole& role, Packet& out, const std::vector<ZubBase*>& skip);

// Float fields that travel as 16-bit floats come back truncated to 10
// mantissa bits: equal within that.
inline bool nearFloat16(float a, float b) {
    const float scale = std::fabs(a) > 1.0f ? std::fabs(a) : 1.0f;
    return std::fabs(a - b) <= scale * (1.0f / 512.0f) + 1e-4f;
}

}  // namespace worldtest
