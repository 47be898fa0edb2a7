#include "gfx/ContextBlender.h"

ZUB_IMPLEMENT_NAMED_CLASS(ContextBlender, Context, u"ContextBlender")

ContextBlender::ContextBlender() { setCamera(new BlendingCamera); }

void ContextBlender::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    camera->tick(time, dt);
}
