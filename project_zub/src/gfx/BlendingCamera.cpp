#include "gfx/BlendingCamera.h"

#include <vector>

#include "anim/Easing.h"

ZUB_IMPLEMENT_NAMED_CLASS(BlendingCamera, Camera, u"BlendingCamera")

namespace {
V3 lerpV3(const V3& a, const V3& b, float t) { return a + (b - a) * t; }
}  // namespace

BlendingCamera::BlendingCamera() : baseEye(eye), baseLookAt(lookAt), baseDepth(targetDepth) {}

void BlendingCamera::tick(double time, double dt) {
    tickState(dt);
    // While idle the camera's own pose (which may have been set directly) is
    // what the next cameras blend from.
    if (!bBlending) {
        baseEye = eye;
        baseLookAt = lookAt;
        baseDepth = targetDepth;
    }
    for (ObjectIterator it(this, ObjectIterator::DESTROYING | ObjectIterator::INCLUDE_DISABLED); it; it.advance()) {
        Camera* c = zub_cast<Camera>(it.get());
        if (c && c->delay > 0.0) {
            c->delay -= dt;
            if (c->delay < 0.0) c->delay = 0.0;
            continue;
        }
        it->tick(time, dt);
    }

    // Started cameras, oldest first.
    std::vector<Camera*> started;
    for (Camera* c : childrenOf<Camera>(this))
        if (!c->bToBeDestroyed && c->delay <= 0.0) started.push_back(c);
    // The newest camera that has fully blended in replaces everything older.
    for (size_t i = started.size(); i-- > 0;) {
        if (started[i]->blend < 1.0f) continue;
        Camera* done = started[i];
        while (firstChild && firstChild != done) {
            ZubBase* before = firstChild;
            before->destroy();
            if (firstChild == before) break;  // left in place (a replicated object)
        }
        baseEye = done->eye;
        baseLookAt = done->lookAt;
        baseDepth = done->targetDepth;
        started.erase(started.begin(), started.begin() + static_cast<long>(i));
        break;
    }

    bBlending = !started.empty();
    if (bBlending) {
        V3 e = baseEye, l = baseLookAt;
        float depth = baseDepth;
        for (Camera* c : started) {
            const float w = easing::ease(c->blendCurve, c->blend);
            e = lerpV3(e, c->eye, w);
            l = lerpV3(l, c->lookAt, w);
            depth = depth + (c->targetDepth - depth) * w;
        }
        eye = e;
        lookAt = l;
        targetDepth = depth;
    }
    advanceShake(dt);
}
