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
    void setTransition(float level, float target) override { transitions.push_back({level, target}); }
    void showHintPanel(const WString& title, const WString&, Skin*) override { hints.push_back(title); }
    bool editLevels() const override { return bEditLevels; }

    std::unique_ptr<GameConfiguration> config;
    std::unique_ptr<ProfileManager> profileManager;
    std::vector<std::pair<float, float>> transitions;
    std::vector<WString> hints;
    bool bEditLevels = false;
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
    GameController& gc() { return *server().controller(); }

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
    // A finger at a reference-screen point (x from the left, y up).
    void touch(int64_t id, float x, float y);
    void lift(int64_t id);
    // The HUD point (origin at the centre) as a reference-screen point.
    void touchHud(int64_t id, const V3& hudPoint) { touch(id, hudPoint.x + 512.0f, hudPoint.y + 384.0f); }

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
