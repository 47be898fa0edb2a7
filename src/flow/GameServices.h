#pragma once
// What the game flow takes from the game's global object, which sits above
// it: the configuration and the player profiles, saving them, the screen
// transition of the screen stack, the options menu and the level-editing
// switch. The application installs its implementation when it has made
// these; tests install one of their own. The level in play reaches them only
// through here.
#include <cstdint>
#include <string_view>

#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "util/WString.h"

class GameConfiguration;
class Language;
class ProfileManager;

class GameServices {
public:
    virtual ~GameServices();

    // The services in use; fatal when none is installed.
    static GameServices& get();
    static GameServices* installed();
    // Installs `s` (null: none); returns the one installed before.
    static GameServices* install(GameServices* s);

    virtual GameConfiguration& configuration() = 0;
    virtual ProfileManager& profiles() = 0;
    // Writes the user data to disk now: the profiles, the configuration with
    // the high scores, and the engine's own settings (the global object's
    // saveUserData). The valley map calls it after every return from a level
    // but a restart, and after every unlock.
    virtual void saveUserData() = 0;

    // The screen stack's transition: its level (negative: left as it is)
    // and the target it moves to at 1 per second (0 open, 1 covered).
    virtual void setTransition(float level, float target) {
        (void)level;
        (void)target;
    }
    // Levels are opened for editing: the level manager leaves the level it
    // loads in edit mode (its set-up and rules do not run).
    virtual bool editLevels() const { return false; }
    // Puts the options menu on the screen stack over the paused level (its
    // done flag cleared); false when the program has no options menu.
    virtual bool openOptionsMenu() { return false; }

    // The current profile's current level, brought into 0..31.
    int32_t currentLevel();
};

// The engine's language, or the built-in English texts when no engine runs.
const Language& gameLanguage();

// The name the input layer gives an input code (localised by the language);
// empty for a code outside its table or without an input layer.
WString gameKeyName(int32_t code);
