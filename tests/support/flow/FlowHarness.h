#pragma once
// The program around a level, for the game flow's tests: a temporary user
// and data folder, the manifest's textures and sounds with the fonts and the
// music, its images (the map pictures, painted as the generator paints
// them), the records with one profile ("Tester"), the game services, and the
// input driven through the input layer's own poll. A level is written from
// a LevelDraft into "levels/a1.lev" and played through the level manager, a
// frame of 0.01 s at a time. The overlays and statistics rows are the game's
// own unless a test asks for plain ones. A screen stack takes the dialogs the
// level opens (the pause menu's questions): while one is up only the stack
// ticks, as the level manager below it would not.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FlowSetting.h"
#include "FramesUntil.h"
#include "engine/ContextManager.h"
#include "flow/ContextLevelManager.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "gui/GUIthemeMinimal.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceManager.h"

namespace flowtest {

class FlowHarness : public FlowSetting {
public:
    static constexpr double DT = 0.01;

    // Detail level 0 (no piglets, no weather) unless told otherwise.
    explicit FlowHarness(int detailLevel = 0);
    ~FlowHarness();

    // Where houseLevel puts the house: away from the hero's start.
    static inline const V3 HOUSE{600.0f, 0.0f, 0.0f};

    // A level file from a new draft after `edit` changed it.
    std::vector<uint8_t> writeLevel(const std::function<void(LevelDraft&)>& edit = nullptr);
    // The starter level with the house at HOUSE and one apple needed.
    std::vector<uint8_t> houseLevel(bool bonus = false, double parTime = 60.0);
    // Puts the hero at a point, at rest.
    static void putHero(GameController& gc, const V3& at);
    // Frames with the hero put at a point before each (the starter level's
    // ground does not hold her: left alone she falls and faints).
    void frameHolding(GameController& gc, const V3& at, int n = 1);
    // Frames with the hero put at a point before each until the controller
    // is in the state (false after `limit`).
    bool holdUntil(GameController& gc, const V3& at, int state, int limit) {
        return frameUntil(
            [&] {
                putHero(gc, at);
                return gc.state == state;
            },
            limit);
    }
    // Where she is safe, away from the house (high enough to fall for
    // half a second) and at it.
    static inline const V3 AWAY{0.0f, 400.0f, 0.0f};
    static inline const V3 HOME{600.0f, 20.0f, 0.0f};
    // Saves the bytes as level 0's file and plays it through a new level manager.
    GameController& play(const std::vector<uint8_t>& level);
    GameServer& server() { return *manager->gameServer; }

    // Frames: the input's poll (held keys, touches), then the level manager.
    void frame(int n = 1);
    template <class F>
    bool frameUntil(F done, int limit) {
        return leveltest::framesUntil([this] { frame(); }, done, limit);
    }
    // Frames until the controller is in the state (false after `limit`).
    bool playUntil(GameController& gc, int state, int limit = 1000) {
        return frameUntil([&] { return gc.state == state; }, limit);
    }
    // Keyboard keys and controller buttons, by input code.
    void press(int code) { keys.insert(code); }
    void release(int code) { keys.erase(code); }
    // Down for one frame.
    void tap(int code);
    // A finger at a point of the HUD (origin at the screen centre, y up).
    void touchHud(int64_t id, const V3& at);
    void lift(int64_t id);
    // The mouse at a point of the screen (origin at the centre, y up): moved
    // there (a frame), pressed (a frame), released (a frame).
    void moveMouse(const V3& at);
    void click(const V3& at);
    // Every overlay kind opens a plain overlay (until the harness goes, when
    // the overlay classes' own makers return).
    void openPlainOverlays();

    ResourceManager resources;
    // The game's minimal GUI theme (gui::environment().minimalTheme).
    std::unique_ptr<GUIthemeMinimal> minimalTheme;
    ZubInput input;
    std::unique_ptr<ContextLevelManager> manager;
    // The dialogs' stack (gui::environment().contextManager) and their language.
    ContextManager* dialogs;
    Language language;
    std::set<int> keys;
    std::vector<platform::TouchPoint> touches;
    V3 mouse;
    bool mouseMoved = false;
    bool mouseDown = false;
    double time = 0.0;

private:
    std::unique_ptr<GameConfiguration> configuration;
    Overlay::Maker savedMakers[Overlay::KIND_COUNT];
    GameController::StatsRowMaker savedRowMaker;
};

}  // namespace flowtest
