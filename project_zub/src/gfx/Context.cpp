#include "gfx/Context.h"

#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS(Context, ZubBase, u"Context")

Context::Environment Context::environment;

#include "util/KeyCodes.h"

using input_codes::KEY_ESCAPE;
using input_codes::KEY_F10;
using input_codes::KEY_F11;

Context::Context() : camera(new Camera) {}

Context::~Context() {
    if (environment.current == this) environment.current = nullptr;
    deleteObject(camera);
}

void Context::setCamera(Camera* c) {
    if (c == camera) return;
    deleteObject(camera);
    camera = c;
}

double Context::computeStep(double frameInterval) const {
    double dt = frameInterval < 0 ? 0 : frameInterval;
    if (dt > MAX_STEP) dt = MAX_STEP;
    dt *= timeScale;
    if (environment.bDebugKeys) {
        if (ZubInput* in = ZubInput::active()) {
            if (in->isKeyDown(KEY_F11)) dt *= 5.0;
            else if (in->isKeyDown(KEY_F10)) dt /= 10.0;
        }
    }
    return dt;
}

void Context::tick(double t, double frameInterval) {
    Context* saved = environment.current;
    environment.current = this;
    step = computeStep(frameInterval);
    time += step;
    if (timeLimit > 0 && time > timeLimit) done = 1;
    updateMousePosition();

    if (ZubInput* in = ZubInput::active()) {
        if (bEscapeCloses && in->wasKeyPressed(KEY_ESCAPE)) {
            if (bConfirmEscape && environment.confirmClose) environment.confirmClose(this);
            else done = 1;
        }
        if (bCloseOnFire &&
            (in->wasAnyPointerPressed() || (environment.isCloseInputPressed && environment.isCloseInputPressed())))
            done = 1;
    }
    // The context drawn behind this one lives on with it (a shared backdrop
    // is on no stack of its own).
    if (backgroundContext && backgroundContext != this) {
        backgroundContext->tick(t, frameInterval);
        environment.current = this;
    }
    tickContents(time, step);
    environment.current = saved;
}

void Context::renderContext() {
    Context* saved = environment.current;
    if (backgroundContext) backgroundContext->renderContext();
    environment.current = this;
    if (clearColor != 0)
        if (ZubGraphics* g = ZubGraphics::active()) g->clear(clearColor);
    camera->apply();
    renderContents();
    if (foregroundContext) foregroundContext->renderContext();
    environment.current = saved;
}

void Context::updateMousePosition() {
    prevMousePosition = mousePosition;
    if (ZubInput* in = ZubInput::active()) mousePosition = camera->screenToWorld(in->mouseX, in->mouseY, 0.0f);
    mouseMovement = mousePosition - prevMousePosition;
}

V3 Context::convertPointFrom(const Context* from, const V3& p) const {
    if (!from || from == this) return p;
    const V3 screen = from->camera->worldToScreen(p);
    return camera->screenToWorld(screen.x, screen.y, p.z);
}

Context* findContext(ZubBase* object) {
    for (ZubBase* o = object; o; o = o->parent)
        if (Context* c = zub_cast<Context>(o)) return c;
    ZUB_ERROR(u"Could not find any Context object.");
}
