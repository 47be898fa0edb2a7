#include "flow/Sky.h"

#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "gfx/Renderable.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "object/ResourceManager.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS(Sky, ContextBlender, flow_ids::Sky)

namespace {
const char16_t* const kSkySkins[4] = {u"sky-spring:0", u"sky-summer:0", u"sky-autumn:0", u"sky-winter:0"};
}

Sky::Sky() : pSky(new Renderable) {
    bEscapeCloses = 0;
    addChild(pSky);
}

GameController* Sky::controller() const { return zub_cast<GameController>(parent); }

void Sky::renderContents() {
    const ZubInput* in = ZubInput::active();
    if (in && in->isKeyDown(input_codes::KEY_RSHIFT) && in->wasKeyPressed(input_codes::KEY_F9)) {
        if (ZubGraphics* g = ZubGraphics::active()) g->clear(BLACK);
        return;
    }
    const GameController* gc = controller();
    if (gc && gc->isEditing()) {
        if (ZubGraphics* g = ZubGraphics::active()) g->clear(EDITOR_BLUE);
        return;
    }
    if (gc && gc->season >= 0 && gc->season < 4) {
        ResourceManager* resources = ResourceManager::active();
        Skin* skin = resources ? resources->findAs<Skin>(kSkySkins[gc->season]) : nullptr;
        if (skin && skin != pSky->pSkin) pSky->setSkin(skin);
    }
    ContextBlender::renderContents();
}
