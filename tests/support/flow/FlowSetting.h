#pragma once
// What the game flow's harnesses (FlowHarness.h, ValleyHarness.h) set up
// alike: the game services with one player profile ("Tester"), a temporary
// folder for the level files, silent streams for the manifest's music and
// the shared random generator seeded with 7. Each harness calls the steps in
// the order its own set-up needs; what was done is undone when it goes.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flow/GameServices.h"
#include "object/ZubBase.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/FileManager.h"

class ResourceManager;

namespace flowtest {

// The services the flow takes from the program: the harness's configuration
// and the profiles, saving that counts its calls and writes the files, the
// screen transitions recorded, the options menu's openings counted.
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
    bool openOptionsMenu() override {
        ++optionsOpened;
        return bOptionsMenu;
    }

    GameConfiguration* config = nullptr;
    std::unique_ptr<ProfileManager> profileManager;
    std::vector<std::pair<float, float>> transitions;
    bool bEditLevels = false;
    // Whether the program has an options menu to open.
    bool bOptionsMenu = true;
    int optionsOpened = 0;
    int saves = 0;
};

class FlowSetting {
public:
    // A new folder "/tmp/<prefix>-XXXXXX/", which `files` reads from.
    explicit FlowSetting(const char* folderPrefix);
    // Uninstalls the services (when still installed), lets the music go,
    // removes the folder and puts the random generator back (when seeded).
    ~FlowSetting();
    FlowSetting(const FlowSetting&) = delete;
    FlowSetting& operator=(const FlowSetting&) = delete;

    // The shared random generator at 7 until this goes.
    void seedRandom();
    // The profiles (made now, in the user folder in use, with "Tester"
    // added) and the configuration, installed as the game services.
    void installServices(GameConfiguration& config);
    // The services from before back; the profiles saved and dropped (while
    // the user folder they were made in is still in use).
    void uninstallServices();
    // Silent streams registered under the names of the manifest's music.
    void addMusic(ResourceManager& resources);
    // Writes a file below the folder, making its folders.
    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const;

    // The folder, with a trailing '/'.
    std::string folder;
    FileManager files;
    TestServices services;
    // What the harness made and keeps while it lives.
    std::vector<std::unique_ptr<ZubBase>> owned;

private:
    GameServices* savedServices = nullptr;
    bool bInstalled = false;
    uint32_t savedRandom = 0;
    bool bSeeded = false;
};

}  // namespace flowtest
