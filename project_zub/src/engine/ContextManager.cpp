#include "engine/ContextManager.h"

#include "engine/FocusManager.h"
#include "engine/Zub.h"
#include "input/ZubInput.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS(ContextManager, Context, u"ContextManager")

ContextManager::ContextManager() : pointerContext(new Context), irisContext(new Context) { bEscapeCloses = 0; }

ContextManager::~ContextManager() {
    // The stack goes first (its contexts may still look at the overlays).
    while (firstChild) deleteObject(firstChild);
    deleteObject(pointerContext);
    deleteObject(irisContext);
}

void ContextManager::addChild(ZubBase* child) {
    ZUB_ASSERT(child && child->getClass()->isDerivedFrom(&Context::classRecord));
    Context::addChild(child);
}

void ContextManager::pushContext(Context* c) {
    c->done = 0;
    addChild(c);
}

void ContextManager::measureFrameRate(double t) {
    if (rateSince < 0.0 || t < rateSince) {
        rateSince = t;
        rateTicks = 0;
        return;
    }
    ++rateTicks;
    const double span = t - rateSince;
    if (span >= 1.0) {
        frameRate = rateTicks / span;
        rateSince = t;
        rateTicks = 0;
        bRateWhole = true;
    } else if (!bRateWhole && span > 0.0) {
        frameRate = rateTicks / span;
    }
}

void ContextManager::tick(double t, double frameInterval) {
    measureFrameRate(t);
    // Pop finished tops; a context that finished below the top goes as soon
    // as it becomes the top.
    while (Context* top = getTop()) {
        if (!top->done) break;
        if (top == activeTop) activeTop = nullptr;
        top->onDeactivate(true);
        dropFocusIn(top);
        if (onContextPopped) onContextPopped(top);
        removeChild(top);
        if (top->bDeleteWhenDone) deleteObject(top);
    }
    Context* top = getTop();
    if (!top) {
        bQuit = true;
        activeTop = nullptr;
        return;
    }
    if (top != activeTop) {
        if (activeTop) activeTop->onDeactivate(false);
        activeTop = top;
        // What the old top took of the pointers is not the new top's: a
        // screen that closes on a press leaves its release to nobody.
        if (ZubInput* in = ZubInput::active()) in->disownPointers();
        const bool first = top->bFirstActivation != 0;
        top->bFirstActivation = 0;
        top->onActivate(first);
        if (onTopChanged) onTopChanged();
        top = getTop();  // activation may have pushed or finished contexts
        if (!top) return;
    }
    if (top->pointerContext) top->pointerContext->tick(t, frameInterval);
    pointerContext->tick(t, frameInterval);
    irisContext->tick(t, frameInterval);
    top->tick(t, frameInterval);
}

void ContextManager::dropFocusIn(Context* screen) {
    FocusManager* focus = FocusManager::active();
    ZubBase* f = focus ? focus->getFocus() : nullptr;
    if (f && (f == screen || screen->isAncestorOf(f))) focus->setFocus(nullptr);
}

bool ContextManager::windowHasFocus() { return !ZUB || ZUB->bWindowFocused != 0; }

void ContextManager::renderContext() {
    Context* top = getTop();
    if (!top) return;
    top->renderContext();
    if (top->bShowPointer && windowHasFocus())
        (top->pointerContext ? top->pointerContext : pointerContext)->renderContext();
    irisContext->renderContext();
    if (showFrameRate && *showFrameRate && !top->bHideFrameRate && drawFrameRate) drawFrameRate(top);
}

ZubBase* ContextManager::findObjectUnderMouse(int& skip) {
    Context* top = getTop();
    return top ? top->findObjectUnderMouse(skip) : nullptr;
}
