#pragma once
// A level for tests of level objects, run the way the game controller runs
// one: a network role with a root object; the game context (a
// ContextBlender whose camera takes the hero cameras) holding the eighteen
// object lists in the controller's order; every texture and sound of the
// resource manifest under its name (placeholder pixels with the real skin
// frames and sizes, silent sounds with the real pitch ranges); input tables
// driven by a script; a fixed frame step of 0.01 s and a seeded random
// generator. It is the current Level while it lives.
//
// One frame (step): the input tables advance and take the script's keys,
// the action target is chosen when UP went down (objects, cargo, the pig),
// then the game context ticks: every list in order, then the cameras.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FramesUntil.h"
#include "Placeholders.h"
#include "audio/Sound.h"
#include "engine/FocusManager.h"
#include "gfx/ContextBlender.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "platform/RenderDevice.h"
#include "records/GameConfiguration.h"
#include "world/A99Object.h"
#include "world/AreaQuery.h"
#include "world/HullList.h"
#include "world/WorldEditorPanel.h"

class BezierPath;
class House;
class Pig;

namespace leveltest {

// A key script: codes held over ranges of frames.
class InputScript {
public:
    // The code is down in frames [from, to).
    void hold(int code, int from, int to) { holds.push_back({code, from, to}); }
    // Down for the one frame.
    void tap(int code, int frame) { hold(code, frame, frame + 1); }
    bool isDown(int code, int frame) const;
    void clear() { holds.clear(); }

private:
    struct Hold {
        int code, from, to;
    };
    std::vector<Hold> holds;
};

// An area of a type (1-3 slow the hero, 4 acid, 5 danger) holding the
// points within `radius` of its position.
class TestArea : public A99Object, public AreaQuery {
public:
    TestArea(int type, float radius) : type(type), radius(radius) {}
    bool containsObject(A99Object* o) override { return containsPoint(o->position); }
    bool containsPoint(const V3& p) override { return V3::isWithinDistance(p, position, radius); }
    int getAreaType() const override { return type; }
    int type;
    float radius;
};

struct Message {
    int32_t messenger;
    int32_t textId;
    double duration;
    WString text;
};

class TestLevel : public Level {
public:
    static constexpr double DT = 0.01;

    TestLevel();
    ~TestLevel() override;

    // --- Level ----------------------------------------------------------------------------
    int32_t levelState() const override { return state; }
    void local_setMessage(int32_t messenger, int32_t textId, double duration, const WString& text) override;
    BlendingCamera* getCameraNode() override { return game->blendingCamera(); }
    Camera* getGameCamera() override { return game->camera; }
    bool isTouchHeld(TouchButton b) const override { return touch[b]; }
    const GameConfiguration& getConfiguration() const override { return *configuration; }
    int32_t getCurrentLevelNumber() const override { return levelNumber; }
    WorldEditorPanel* getEditor() override { return bEditor ? &panel : nullptr; }
    bool showHintPanel(const WString& title, const WString& text, Skin* icon) override {
        hintPanels.push_back({title, text, icon});
        return true;
    }

    // --- building ----------------------------------------------------------------------------
    // An object registered with the role at a position, appended to `list`
    // (none: left where its set-up puts it), constructed and post-replicated,
    // as the game controller makes objects during play.
    template <class T>
    T* spawn(const V3& at, ZubBase* list) {
        T* o = new T();
        role->registerObject(o, 0);
        o->setPosition(at.x, at.y, at.z);
        if (list) list->addChild(o);
        o->construct();
        o->netPostReplicate();
        return o;
    }
    // The hero (typed 1) with her physics point at `at`.
    Pig* spawnHero(const V3& at);
    // Puts the hero's physics point at `at`, at rest and off the ground (her
    // ground contact would carry her back), drawn there at once.
    void placeHero(Pig* pig, const V3& at);
    // The house, constructed, in the house list.
    House* spawnHouse(const V3& at);
    // A static object at the origin with an open (or closed) hull through
    // the points, in the object list.
    Hull* staticHull(const std::vector<V3>& points, bool close = false);
    // An area in the danger-area list (where the controller keeps areas).
    TestArea* area(int type, const V3& at, float radius);
    // A flat floor from x0 to x1 at height y.
    Hull* floor(float x0, float x1, float y) { return staticHull({V3(x0, y, 0), V3(x1, y, 0)}); }
    // A straight path from `at` to `at + d` in the object list, its point
    // moving evenly along it (the tangents a third of the way each).
    BezierPath* straightPath(const V3& at, const V3& d);

    // --- running ---------------------------------------------------------------------------
    // Runs frames; each advances `frame` and `time`.
    void step(int frames = 1);
    // Runs frames until the condition holds (true) or `limit` frames passed.
    template <class F>
    bool stepUntil(F done, int limit) {
        return leveltest::framesUntil([this] { step(); }, done, limit);
    }
    // The script drives the bindings of the game configuration: the first
    // (keyboard) code of the control.
    void holdControl(int control, int from, int to);
    void tapControl(int control, int at);
    // A hash of every registered object's network body and the random state:
    // two runs of one script agree on it.
    uint32_t stateHash();

    // The editor panel and the role's editing flag together.
    void setEditing(bool on);
    // A graphics object on the recording device (for drawing tests).
    platform::NullRenderDevice* enableGraphics();
    // Empties the role's outgoing packet.
    void drain() { role->outgoing->reset(); }

    NetRole* role;
    RootObject* root;
    ContextBlender* game;
    std::unique_ptr<ZubInput> input;
    FocusManager focus;
    ResourceManager resources;
    std::unique_ptr<GameConfiguration> configuration;
    std::unique_ptr<ZubGraphics> graphics;
    platform::NullRenderDevice* device = nullptr;
    WorldEditorPanel panel;
    bool bEditor = false;

    InputScript script;
    int frame = 0;
    double time = 0.0;
    int32_t state = STATE_PLAYING;
    int32_t levelNumber = 0;
    bool touch[3] = {false, false, false};
    std::vector<Message> messages;
    struct HintPanel {
        WString title, text;
        Skin* icon;
    };
    std::vector<HintPanel> hintPanels;

private:
    void chooseActionTarget();
    // The configuration loads and saves its file here.
    std::string userFolder;
    GameWorld* previousWorld;
    Context* previousContext;
    int32_t previousFrame;
    uint32_t previousRandom;

public:
    // The speech-bubble font: the game's small font (DejaVu Sans at 15 pixels,
    // code page 1252) rendered into memory once per test program; null when
    // DejaVu Sans is not installed.
    FontQuad* getBubbleFont() override;
};

}  // namespace leveltest

class ResourceManager;

namespace leveltest {

// The game's small font (DejaVu Sans at 15 pixels, code page 1252), made
// once per test program; null when DejaVu Sans is not installed.
FontQuad* smallTestFont();

}  // namespace leveltest
