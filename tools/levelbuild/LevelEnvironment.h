#pragma once
// What a level needs around it outside the running program, for the level
// builder, the tools that play levels and the tests: a scratch user folder
// (with the configuration and one player profile, "Player"), a file manager
// based there, every resource of the manifest by its name (textures with the
// generated skin frames, silent sounds with their pitch ranges, music
// streams, the six fonts, the level maps), the input layer and the game
// services. The
// program-wide random generator is seeded, so that everything made and
// played here is the same on every run, and restored afterwards.
//
// A level file is played as the game plays it: a level manager for level 0
// reads "./levels/a1.lev" through the file manager (loose files under
// files.baseFolder, or an archive when the caller switches to one) and each
// frame polls the input with the held keys and ticks the level manager with
// a fixed step of 0.01 s.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "flow/ContextLevelManager.h"
#include "flow/GameServices.h"
#include "input/ZubInput.h"
#include "object/ResourceManager.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/FileManager.h"

class GameController;
class GameServer;
class Packet;

namespace levelbuild {
class KeyScript;
struct BuiltLevel;
}  // namespace levelbuild

namespace levelbuild {

class LevelEnvironment : public GameServices {
public:
    static constexpr double DT = 0.01;
    // The generator's state at the start of every level built or played here.
    static constexpr uint32_t RANDOM_SEED = 7;

    enum class Art {
        Blank,    // placeholder pixels cut into the real frames (fast)
        Painted,  // the content generator's pictures (for looking at a level)
    };

    // Graphics detail 1 (weather and piglets) unless told otherwise.
    explicit LevelEnvironment(int detailLevel = 1, Art art = Art::Blank);
    ~LevelEnvironment() override;
    LevelEnvironment(const LevelEnvironment&) = delete;
    LevelEnvironment& operator=(const LevelEnvironment&) = delete;

    GameConfiguration& configuration() override { return *config; }
    ProfileManager& profiles() override { return *profileManager; }
    // Into the scratch folder, as the program saves into the user folder.
    void saveUserData() override {
        profileManager->save();
        config->save();
    }

    // The six fonts from the generated glyph pages of code page 1252 under
    // `contentFolder` in place of the empty placeholder font; false (the
    // placeholder stays) when the pages are not there.
    bool loadFonts(const std::string& contentFolder);

    // Writes the bytes as "levels/<name>.lev" under the scratch folder
    // (writeOutputFile); a failure (a full disk) is a fatal error, since the
    // level could not be played.
    void writeLevelFile(const std::string& name, const std::vector<uint8_t>& bytes);
    // A new level manager for level `number` (0: "./levels/a1.lev"), as the
    // valley map makes one once the player chose it (it is the profile's
    // current level); the generator is seeded first. The level's controller.
    GameController& play(int number = 0);
    // Writes the level's file under its name, and its own map (when it has
    // one) becomes its map resource.
    void install(const BuiltLevel& level);
    // Installs the level and plays it by its number.
    GameController& play(const BuiltLevel& level);
    GameServer& server();

    // One frame: the input's poll with `keys` held, then the level manager.
    void frame(const std::set<int>& keys);
    // Frames with the script's keys, from the script's frame 0, until the
    // script ends or the level manager has finished.
    void run(const KeyScript& script);
    // A hash of the level's whole state: every registered object's body,
    // the controller's state and running result, and the random state.
    // Two runs of one script agree on it.
    uint32_t stateHash();

    std::string folder;
    FileManager files;
    ResourceManager resources;
    ZubInput input;
    std::unique_ptr<GameConfiguration> config;
    std::unique_ptr<ProfileManager> profileManager;
    std::unique_ptr<ContextLevelManager> manager;
    double time = 0.0;
    int frames = 0;

private:
    void hashInto(Packet& p);

    std::vector<std::unique_ptr<ZubBase>> owned;
    GameServices* savedServices;
    uint32_t savedRandom;
};

}  // namespace levelbuild
