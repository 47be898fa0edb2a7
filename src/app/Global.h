#pragma once
// The game's top object: one per run, made by the engine's start-up once the
// engine stands and reached through GLOBAL. It owns what the player keeps
// (the configuration with the high scores, the profiles), the screen stack,
// the GUI themes, the intro screen, the plain context the menus draw in
// front of themselves, and the holder of every loaded resource; the six
// fonts are resources it points to.
//
// Start-up runs in two halves around the resource loader: initPreLoader
// mounts the data archive, registers the two textures the loader screen
// needs, makes the screen stack and pushes the loader; the loader's last
// step calls initPostLoader, which makes the themes, the intro screen and
// the start screens. Since only the top screen runs, the screens appended
// last are seen first: the company logo, the intro story, then the main
// menu.
//
// The user data is written by saveUserData (the main menu does so whenever
// it becomes the top screen) and again when the object is destroyed.
//
// The global object fills the GUI's environment (gui::Environment) and
// installs the game flow's services (GameServices) for as long as it lives.
//
// Command line (besides the engine's "-safe"):
//   "-edit"           levels are opened for editing;
//   "-level <name>"   with the developer features unlocked, the level file
//                     "./levels/<name>.lev" is played right after loading,
//                     over the main menu (without the logo and the story).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Application.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "util/WString.h"

class Context;
class FontQuad;
class GUIthemeMinimal;
class GUIthemeStandard;
class GameServices;
class IntroScreen;
class ZubBase;

class Global : public ZubApplication {
public:
    // `arguments`: the command line, the program's name first.
    explicit Global(std::vector<std::string> arguments = {});
    ~Global() override;
    Global(const Global&) = delete;
    Global& operator=(const Global&) = delete;

    void initPreLoader() override;
    void initPostLoader();
    virtual void createStartContexts() = 0;

    // Writes the profiles, the configuration and the engine's settings.
    void saveUserData();

    // "Tumbrodemo": the stem of the game's file names.
    static WString appFolderName();
    // "Tumbrodemo.dat".
    static WString userDataFileName();
    // The program's folder followed by userDataFileName: the data archive.
    static WString userDataFilePath();

    // The crash files of an earlier run ("crash.Tumbrodemo.log" or
    // ".mdmp" in the user folder).
    static bool crashFilesExist();

    // The value after a command-line switch ("-level a1" gives "a1"), or
    // empty; whether the switch is given at all.
    std::string switchValue(std::string_view name) const;
    bool hasSwitch(std::string_view name) const;
    // The level file the developer switch "-level" asks for, or empty.
    WString developerLevelFile() const;

    GameConfiguration config;
    ProfileManager profiles;
    FontQuad* fontTiny = nullptr;  // the six fonts (resources, not owned)
    FontQuad* fontSmall = nullptr;
    FontQuad* fontSmallOutline = nullptr;
    FontQuad* fontMedium = nullptr;
    FontQuad* fontMediumOutline = nullptr;
    FontQuad* fontLarge = nullptr;
    // contextManager (ZubApplication): the screen stack, owned.
    IntroScreen* introScreen = nullptr;            // owned
    Context* emptyContext = nullptr;               // owned; the menus' foreground context
    GUIthemeStandard* guiThemeStandard = nullptr;  // owned
    GUIthemeMinimal* guiThemeMinimal = nullptr;    // owned
    ZubBase* resources = nullptr;                  // owned; every loaded resource is its child
    // pendingUrl (ZubApplication): opened after the program has shut down.

    std::vector<std::string> arguments;

private:
    std::unique_ptr<GameServices> services;
    GameServices* previousServices = nullptr;
};

// The game: the main menu at the bottom of the stack.
class GameGlobal : public Global {
public:
    explicit GameGlobal(std::vector<std::string> arguments = {});
    ~GameGlobal() override;
    void createStartContexts() override;
};

// The global object of the running program, or null.
extern Global* GLOBAL;
