#pragma once
// The program around a level, for the game flow's tests: a temporary user
// and data folder, the manifest's textures and sounds with the fonts and the
// music, the records with one profile ("Tester"), the game services, and the
// input driven through the input layer's own poll. A level is written from
// a LevelDraft into "levels/a1.lev" and played through the level manager, a
// frame of 0.01 s at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "flow/ContextLevelManager.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/LevelDraft.h"
#include "input/ZubInput.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/FileManager.h"
#include "sys/ResourceManager.h"

namespace flowtest {

class TestServices : public GameServices {
public:
    GameConfiguration& configuration() override { return *config; }
    ProfileManager& profiles() override { return *profileManager; }
    void saveUserData() override {
        ++saves;
        profileManager->save();
        config->save();
    }
    void setTransition(float level, float target) override { transitions.push_back({level, target}); }
    bool editLevels() const override { return bEditLevels; }

    std::unique_ptr<GameConfiguration> config;
    std::unique_ptr<ProfileManager> profileManager;
    std::vector<std::pair<float, float>> transitions;
    bool bEditLevels = false;
    int saves = 0;
};

class FlowHarness {
public:
    static constexpr double DT = 0.01;

    // Detail level 0 (no piglets, no weather) unless told otherwise.
    explicit FlowHarness(int detailLevel = 0);
    ~FlowHarness();

    // A level file from a new draft after `edit` changed it.
    std::vector<uint8_t> writeLevel(const std::function<void(LevelDraft&)>& edit = nullptr);
    // Saves the bytes as level 0's file and plays it through a new level manager.
    GameController& play(const std::vector<uint8_t>& level);
    GameServer& server() { return *manager->gameServer; }

    // Frames: the input's poll (held keys, touches), then the level manager.
    void frame(int n = 1);
    template <class F>
    bool frameUntil(F done, int limit) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            frame();
        }
        return done();
    }
    void press(int code) { keys.insert(code); }
    void release(int code) { keys.erase(code); }
    // Down for one frame.
    void tap(int code);
    // A finger at a point of the HUD (origin at the screen centre, y up).
    void touchHud(int64_t id, const V3& at);
    void lift(int64_t id);
    // Every overlay kind opens a plain overlay (until the harness goes).
    void openPlainOverlays();

    std::string folder;
    FileManager files;
    ResourceManager resources;
    ZubInput input;
    TestServices services;
    std::unique_ptr<ContextLevelManager> manager;
    std::set<int> keys;
    std::vector<platform::TouchPoint> touches;
    double time = 0.0;

private:
    std::vector<std::unique_ptr<ZubBase>> owned;
    uint32_t savedRandom;
    GameServices* savedServices;
};

}  // namespace flowtest
