// Cameras: view rectangles, screen and world conversion, the device
// matrices, shake, and blending in a ContextBlender.
#include "gfx/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "gfx/BlendingCamera.h"
#include "gfx/ContextBlender.h"
#include "gfx_test_support.h"

using namespace gfxtest;

namespace {

TEST(Camera, ViewRectangleGrowsWithDepthAndMatchesTheProjection) {
    Camera c;
    ViewRect r = c.getViewRect(0);  // eye at (0, 0, -512)
    EXPECT_FLOAT_EQ(r.left, -512);
    EXPECT_FLOAT_EQ(r.top, 384);
    c.addChild(new Camera);
    c.resetAt(100, 50, -200);  // also ends the running motions
    EXPECT_EQ(c.countChildren(), 0);
    EXPECT_EQ(c.lookAt, V3(100, 50, 0));
    r = c.getViewRect(300);  // d = 500
    EXPECT_FLOAT_EQ(r.left, -400);
    EXPECT_FLOAT_EQ(r.right, 600);
    EXPECT_FLOAT_EQ(r.top, 50 + 0.75f * 500);
    EXPECT_FLOAT_EQ(r.bottom, 50 - 0.75f * 500);
    const M44 vp = c.viewMatrix() * c.projectionMatrix();
    for (float z : {0.0f, 300.0f}) {
        r = c.getViewRect(z);
        V3 ndc = vp.transformCoord(V3(r.right, r.top, z));
        EXPECT_NEAR(ndc.x, 1.0f, 1e-4);
        EXPECT_NEAR(ndc.y, 1.0f, 1e-4);
        ndc = vp.transformCoord(V3(r.left, r.bottom, z));
        EXPECT_NEAR(ndc.x, -1.0f, 1e-4);
        EXPECT_NEAR(ndc.y, -1.0f, 1e-4);
        EXPECT_GT(ndc.z, 0.0f);
        EXPECT_LT(ndc.z, 1.0f);
    }
}

TEST(Camera, ScreenAndWorldBothWays) {
    Camera c;
    // The reference screen's corners at depth 0.
    V3 w = c.screenToWorld(0, 0, 0);
    EXPECT_FLOAT_EQ(w.x, -512);
    EXPECT_FLOAT_EQ(w.y, -384);
    w = c.screenToWorld(1024, 768, 0);
    EXPECT_FLOAT_EQ(w.x, 512);
    EXPECT_FLOAT_EQ(w.y, 384);
    V3 s = c.worldToScreen(V3(0, 0, 0));
    EXPECT_FLOAT_EQ(s.x, 512);
    EXPECT_FLOAT_EQ(s.y, 384);
    // Round trips at several depths and camera places.
    c.resetAt(300, -120, -700);
    for (float z : {0.0f, -100.0f, 250.0f}) {
        for (V3 p : {V3(10, 20, z), V3(-400, 333, z), V3(900, -50, z)}) {
            const V3 sc = c.worldToScreen(p);
            const V3 back = c.screenToWorld(sc.x, sc.y, z);
            EXPECT_NEAR(back.x, p.x, 1e-2);
            EXPECT_NEAR(back.y, p.y, 1e-2);
        }
    }
}

TEST(Camera, ShakeIsARoll) {
    Camera c;
    c.shake(0.07, 0.35);
    c.tick(0, 0.1);
    EXPECT_NEAR(c.roll, (0.35 - 0.1) * 0.07 * std::cos(32 * 0.1), 1e-6);
    c.tick(0, 0.1);
    EXPECT_NEAR(c.roll, (0.35 - 0.2) * 0.07 * std::cos(32 * 0.2), 1e-6);
    c.tick(0, 1.0);  // past the end: kept at the duration
    EXPECT_DOUBLE_EQ(c.shakeTime, 0.35);
    EXPECT_FLOAT_EQ(c.roll, 0.0f);
    c.roll = 0.5f;
    c.tick(0, 0.1);  // no shake running: the roll stays
    EXPECT_FLOAT_EQ(c.roll, 0.5f);
    // A rolled view is wider for culling.
    c.roll = 0.1f;
    const ViewRect plain = c.getViewRect(0), cull = c.getCullRect(0);
    EXPECT_LT(cull.left, plain.left);
    EXPECT_GT(cull.top, plain.top);
}

TEST(Camera, BlendStep) {
    Camera c;
    c.duration = 0.5;
    c.tick(0, 0.1);
    EXPECT_NEAR(c.blend, 0.2f, 1e-6);
    c.tick(0, 0.5);
    EXPECT_FLOAT_EQ(c.blend, 1.0f);
    const double elapsed = c.elapsed;
    c.tick(0, 0.1);
    EXPECT_DOUBLE_EQ(c.elapsed, elapsed);  // done: no more steps
    Camera instant;
    instant.duration = 0;
    instant.tick(0, 0.01);
    EXPECT_FLOAT_EQ(instant.blend, 1.0f);
}

TEST(BlendingCamera, BlendsChildrenAndDropsOlderOnes) {
    ContextBlender ctx;
    BlendingCamera* cam = ctx.blendingCamera();
    cam->resetAt(0, 0, -512);
    auto* a = new Camera;
    a->resetAt(100, 0, -512);
    a->blendCurve = 1;
    a->duration = 1.0;
    ctx.addCamera(a);
    cam->tick(0, 0.25);
    EXPECT_NEAR(cam->eye.x, 25, 1e-3);
    cam->tick(0, 0.25);
    EXPECT_NEAR(cam->eye.x, 50, 1e-3);
    // A second camera with a delay waits, then blends from where the first leads.
    auto* b = new Camera;
    b->resetAt(100, 200, -512);
    b->blendCurve = 1;
    b->duration = 1.0;
    b->delay = 0.5;
    ctx.addCamera(b);
    cam->tick(0, 0.5);  // a at 1.0 (done), b still waiting
    EXPECT_NEAR(cam->eye.x, 100, 1e-3);
    EXPECT_NEAR(cam->eye.y, 0, 1e-3);
    EXPECT_DOUBLE_EQ(b->delay, 0.0);
    EXPECT_FLOAT_EQ(b->blend, 0.0f);
    cam->tick(0, 0.5);
    EXPECT_NEAR(cam->eye.y, 100, 1e-3);
    EXPECT_EQ(cam->countChildren(), 2);
    cam->tick(0, 0.5);  // b done: a goes
    EXPECT_NEAR(cam->eye.y, 200, 1e-3);
    EXPECT_EQ(cam->countChildren(), 1);
    EXPECT_EQ(cam->firstChild, b);
    // Without children the pose stays where the last one left it.
    cam->destroyChildren();
    cam->tick(0, 0.1);
    EXPECT_NEAR(cam->eye.y, 200, 1e-3);
}

TEST(BlendingCamera, EasedBlendAndShake) {
    ContextBlender ctx;
    BlendingCamera* cam = ctx.blendingCamera();
    auto* a = new Camera;
    a->resetAt(0, 100, -512);  // the default curve 6 (sinusoidal)
    ctx.addCamera(a);
    cam->tick(0, 0.25);
    EXPECT_NEAR(cam->eye.y, 100 * (0.5f - 0.5f * std::cos(kPi * 0.25f)), 1e-3);
    cam->shake(0.07, 0.35);
    cam->tick(0, 0.1);
    EXPECT_NEAR(cam->roll, (0.35 - 0.1) * 0.07 * std::cos(3.2), 1e-6);
}

TEST(ContextBlender, TheContextTicksItsCamera) {
    ContextBlender ctx;
    ctx.bEscapeCloses = 0;
    auto* a = new Camera;
    a->resetAt(64, 0, -512);
    a->blendCurve = 1;
    a->duration = 0.1;
    ctx.addCamera(a);
    for (int i = 0; i < 20; ++i) ctx.tick(0, 0.01);
    EXPECT_NEAR(ctx.camera->eye.x, 64, 1e-3);
}

}  // namespace
