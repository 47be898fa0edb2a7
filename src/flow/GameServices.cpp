#include "flow/GameServices.h"

#include "engine/Zub.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"

namespace {
GameServices* installedServices = nullptr;
}

GameServices::~GameServices() {
    if (installedServices == this) installedServices = nullptr;
}

GameServices& GameServices::get() {
    GameServices* s = installedServices;
    ZUB_ASSERT(s != NULL);
    return *s;
}

GameServices* GameServices::installed() { return installedServices; }

GameServices* GameServices::install(GameServices* s) {
    GameServices* old = installedServices;
    installedServices = s;
    return old;
}

int32_t GameServices::currentLevel() {
    const int32_t n = profiles().currentProfile().currentLevel;
    return n < 0 ? 0 : n >= NUMLEVELS ? NUMLEVELS - 1 : n;
}

const Language& gameLanguage() {
    if (ZUB && ZUB->language) return *ZUB->language;
    static const Language english;
    return english;
}

WString gameKeyName(int32_t code) {
    const ZubInput* in = ZubInput::active();
    if (!in || !in->valid(code)) return WString();
    return in->keyNames[code];
}
