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
};
