#pragma once
// What the engine needs of the program built on it. The game installs its
// factories before the engine starts; the engine never calls up into the
// game any other way.
#include <functional>

#include "util/WString.h"

class ContextManager;
class Language;
class Zub;

// The program's global object: made after the engine stands, deleted before it.
class ZubApplication {
public:
    virtual ~ZubApplication() = default;
    // The first step after the engine stands (builds the screen stack and
    // pushes the first screen).
    virtual void initPreLoader() {}
    // The screen stack the engine ticks and draws.
    ContextManager* contextManager = nullptr;
    // A web address to open once the program has shut down.
    WString pendingUrl;
};

struct ApplicationHooks {
    // The game's global object, made once the engine stands.
    std::function<ZubApplication*(Zub&)> createApplication;
    // The language object, made by the engine after its network service.
    std::function<Language*(Zub&)> createLanguage;
    std::function<void(Language*)> destroyLanguage;
    // Called once the global object and the engine of a run are gone (before
    // a restart builds both anew, and at the end): what the program keeps
    // from run to run and that names the gone run (its frame numbers, times
    // or objects) is reset here, in one place.
    std::function<void()> afterRun;
};
