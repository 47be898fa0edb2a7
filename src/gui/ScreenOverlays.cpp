#include "gui/ScreenOverlays.h"

#include "engine/ContextManager.h"
#include "gfx/Camera.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiEnvironment.h"
#include "gui/IrisTransition.h"
#include "gui/MousePointer.h"
#include "object/ResourceManager.h"
#include "text/FontQuad.h"
#include "util/Format.h"

namespace gui {

namespace {

constexpr float FRAME_RATE_MARGIN = 8.0f;  // reference units from the corner

template <class T>
T* overlay(const Context* holder) {
    if (!holder) return nullptr;
    for (T* o : childrenOf<T>(holder))
        if (!o->bToBeDestroyed) return o;
    return nullptr;
}

const ContextManager* stackOr(const ContextManager* stack) { return stack ? stack : environment().contextManager; }

// The frame rate in whole frames per second at the top left corner of the
// reference screen, in the overlays' world (the iris context's camera), in
// the small outlined font; nothing while that font is not loaded yet.
void drawFrameRateFigure(const ContextManager& stack) {
    ResourceManager* resources = ResourceManager::active();
    auto* font = resources ? zub_cast<FontQuad>(resources->find(u"fontSmallOutline", false)) : nullptr;
    if (!font) return;
    Camera* camera = stack.irisContext->camera;
    camera->apply();
    const ZubGraphics* g = ZubGraphics::active();
    const float top = static_cast<float>(g ? g->referenceHeight : REFERENCE_HEIGHT);
    const V3 corner = camera->screenToWorld(FRAME_RATE_MARGIN, top - FRAME_RATE_MARGIN, 0.0f);
    font->drawText(corner, 0xFFFFFFFFu, 0, formatString(u"%.0lf", stack.frameRate));
}

}  // namespace

void installScreenOverlays(ContextManager& stack) {
    while (MousePointer* p = overlay<MousePointer>(stack.pointerContext)) deleteObject(p);
    while (IrisTransition* i = overlay<IrisTransition>(stack.irisContext)) deleteObject(i);
    stack.pointerContext->addChild(new MousePointer);
    stack.irisContext->addChild(new IrisTransition);
    // The overlays are never on the stack: Escape is the screens'.
    stack.pointerContext->bEscapeCloses = 0;
    stack.irisContext->bEscapeCloses = 0;
    ContextManager* s = &stack;
    stack.onTopChanged = [s] {
        if (IrisTransition* i = iris(s)) i->targetClosure = 0.0f;
    };
    stack.drawFrameRate = [s](Context*) { drawFrameRateFigure(*s); };
}

IrisTransition* iris(const ContextManager* stack) {
    stack = stackOr(stack);
    return stack ? overlay<IrisTransition>(stack->irisContext) : nullptr;
}

MousePointer* mousePointer(const ContextManager* stack) {
    stack = stackOr(stack);
    return stack ? overlay<MousePointer>(stack->pointerContext) : nullptr;
}

}  // namespace gui
