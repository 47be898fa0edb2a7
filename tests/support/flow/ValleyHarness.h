#pragma once
// The program around the valley map, for its tests: the menus' screen stack
// with its scripted input, the manifest's textures and sounds and the
// game's fonts (menutest::MenuHarness), the music streams, a temporary
// folder holding the level files, one player profile ("Tester") and the
// configuration in the harness's user folder, and the game services that
// the flow takes from the global object (saving counts its calls and
// writes the files); a silent audio service that keeps the current music.
//
// Levels are written by LevelDraft into "levels/<file>.lev" and played
// through the real level manager that the valley pushes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FlowSetting.h"
#include "FramesUntil.h"
#include "MenuHarness.h"
#include "audio/ZubAudio.h"
#include "flow/ContextValley.h"
#include "flow/LevelDraft.h"
#include "gui/MenuButton.h"

namespace valleytest {

// A level whose goal is met by a short walk: the house stands a few steps
// to the right of the hero, and there is nothing to gather.
void quickLevel(LevelDraft& draft);

class ValleyHarness : public flowtest::FlowSetting {
public:
    ValleyHarness();
    ~ValleyHarness();
    ValleyHarness(const ValleyHarness&) = delete;
    ValleyHarness& operator=(const ValleyHarness&) = delete;

    // Writes level n's file from a draft that `edit` changed (the quick
    // level unless told otherwise).
    void writeLevel(int32_t level, const std::function<void(LevelDraft&)>& edit = quickLevel);

    // What the main menu's play does: a new valley map on the stack.
    ContextValley* openValley();
    // The valley map on the stack (null when none).
    ContextValley* valley() const;
    int countValleys() const;

    ProfileData& profile() { return services.profileManager->currentProfile(); }

    void step(int frames = 1) { menus.step(frames); }
    template <class F>
    bool stepUntil(F done, int limit) {
        return leveltest::framesUntil([this] { step(); }, done, limit);
    }
    // Clicks at a point of the map (through its camera as it stands).
    void clickMap(const V3& world);

    menutest::MenuHarness menus;
    ZubAudio audio;  // silent: it keeps the current music
};

// A stand-in for the main menu (not on this branch): a menu whose first
// item, play, makes it do in that frame what GameMainMenu::startGame does.
class MainMenuStandIn : public ContextMenu {
public:
    MainMenuStandIn();
    void tickContents(double time, double dt) override;
    void startGame();

    MenuButton* play;
    int started = 0;
};

}  // namespace valleytest
