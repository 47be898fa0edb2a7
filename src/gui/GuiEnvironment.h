#pragma once
// What the menus and items take from the program around them: the screen
// stack, the backdrop and overlay contexts, the address the shell opens after
// shutdown, the language, the configuration and the step that pushes it into
// the engine, and the player profiles. The game's global object fills the environment when it has
// made these (tests fill it themselves); the menus read it as they work.
//
// Fonts and sounds are resources found by name ("fontMedium", "mouseClick").
#include <cstdint>
#include <functional>
#include <string_view>

#include "util/WString.h"

class Context;
class ContextManager;
class FontQuad;
class GUItheme;
class GameConfiguration;
class Language;
class ProfileManager;
class ZubBase;

namespace gui {

struct Environment {
    // The screen stack; when unset, the stack an object's context stands on.
    ContextManager* contextManager = nullptr;
    // The backdrop of every page (the intro screen), and the context the
    // menus draw over themselves.
    Context* introScreen = nullptr;
    Context* overlayContext = nullptr;
    // Where a link stores its address for the shell; null: links only quit.
    WString* pendingUrl = nullptr;
    // Null: the engine's language.
    Language* language = nullptr;
    // The game's settings record, which pages edit in place; its fire
    // binding closes screens that close on fire.
    GameConfiguration* configuration = nullptr;
    // The player profiles (the players page, the greeting, the name entry).
    ProfileManager* profiles = nullptr;
    // The minimal GUI theme, which the level editor's rows wear; the game's
    // global object makes it after loading and keeps it for the whole run.
    GUItheme* minimalTheme = nullptr;
    // Pushes the configuration into the engine, keeping the video mode
    // (GameConfiguration::applyToEngine with -1, -1).
    std::function<void()> applyConfiguration;
    // Writes the user data: the profiles, the configuration and the
    // engine's settings (the main menu, whenever it becomes the top).
    std::function<void()> saveUserData;
};

Environment& environment();

// Lets the engine's screens reach the menus: an Escape on a screen that asks
// first opens a YES/NO box titled CONFIRM (YES closes the screen), and the
// fire binding of the configuration closes close-on-fire screens.
void installEngineHooks();
void removeEngineHooks();

// The language in use (null before there is one); its text of an id ("" when
// there is no language); whether it reads right to left.
Language* language();
const char16_t* text(int32_t id);
bool rightToLeft();

// A font resource by name; fatal when missing.
FontQuad* font(std::u16string_view name);
// Plays a sound resource once (fatal when missing): at its own random pitch,
// or at a frequency factor.
void playSound(std::u16string_view name);
void playSoundAtFrequency(std::u16string_view name, float factor);

// The screen stack (see Environment::contextManager), null when none; the
// context on top of it.
ContextManager* screenStack(ZubBase* from = nullptr);
Context* topContext(ZubBase* from = nullptr);

// Environment::applyConfiguration when set.
void applyConfiguration();
// Environment::saveUserData when set.
void saveUserData();

// The engine's frame counter while it runs (the render counters' frame
// number, which tests advance themselves).
int32_t frameCounter();
// Whether the engine's debug features are locked (always without an engine).
bool isDebugLocked();

}  // namespace gui
