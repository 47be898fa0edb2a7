#include "world/GameWorld.h"

#include <cmath>

#include "gfx/Camera.h"
#include "gfx/Renderable.h"
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

void GameWorld::drawLabel(const WString& text, const V3& at, uint32_t color, int flags, const V3& screenOffset) {
    FontQuad* font = getLabelFont();
    if (!font) return;
    // World units per unit of the reference screen at the point's depth.
    float k = 1.0f;
    if (const Camera* camera = getGameCamera())
        k = (at.z - camera->eye.z) / (static_cast<float>(REFERENCE_WIDTH) * 0.5f);
    if (!(k > 0.0f) || !std::isfinite(k)) return;
    Renderable carrier;
    carrier.position = at + screenOffset * k;
    carrier.scale = V3(k, k, 1.0f);
    carrier.color = color;
    carrier.onTransformChanged();
    font->renderText(&carrier, flags, text);
}

bool isEditorMode() { return activeEditorPanel() != nullptr; }

WorldEditorPanel* activeEditorPanel() {
    if (!THEROLE || !THEROLE->bEditing) return nullptr;
    GameWorld* w = GameWorld::current();
    return w ? w->getEditor() : nullptr;
}
