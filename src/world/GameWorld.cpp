#include "world/GameWorld.h"

#include "net/NetRole.h"
#include "text/FontQuad.h"
#include "world/WorldEditorPanel.h"

namespace {
GameWorld* currentWorld = nullptr;
uint64_t currentWorldSerial = 0;
}  // namespace

GameWorld::~GameWorld() {
    if (currentWorld == this) {
        currentWorld = nullptr;
        ++currentWorldSerial;
    }
}

GameWorld* GameWorld::current() { return currentWorld; }

uint64_t GameWorld::currentSerial() { return currentWorldSerial; }

GameWorld* GameWorld::setCurrent(GameWorld* w) {
    GameWorld* old = currentWorld;
    currentWorld = w;
    ++currentWorldSerial;
    return old;
}

ZubBase* GameWorld::findObjectUnderMouse(int skip) {
    ZubBase* proxies = getProxyList();
    return proxies ? proxies->findObjectUnderMouse(skip) : nullptr;
}

void GameWorld::drawLabel(const WString& text, const V3& at, uint32_t color, int flags) {
    if (FontQuad* font = getLabelFont()) font->drawText(at, color, flags, text);
}

bool isEditorMode() { return activeEditorPanel() != nullptr; }

WorldEditorPanel* activeEditorPanel() {
    if (!THEROLE || !THEROLE->bEditing) return nullptr;
    GameWorld* w = GameWorld::current();
    return w ? w->getEditor() : nullptr;
}
