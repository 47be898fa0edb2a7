#include "gui/ScreenOverlays.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/IrisTransition.h"
#include "gui/MousePointer.h"

namespace gui {

namespace {

template <class T>
T* overlay(const Context* holder) {
    if (!holder) return nullptr;
    for (T* o : childrenOf<T>(holder))
        if (!o->bToBeDestroyed) return o;
    return nullptr;
}

const ContextManager* stackOr(const ContextManager* stack) {
    return stack ? stack : environment().contextManager;
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
