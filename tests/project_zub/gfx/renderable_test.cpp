// Renderables on the null device: transforms, picking, collisions, culling,
// the draw calls they make and the counters.
#include "gfx/Renderable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gfx_test_support.h"

using namespace gfxtest;

namespace {

void expectNear(const V3& a, const V3& b, float eps = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

// A skin of w x h units without a texture.
Skin* plainSkin(float w, float h) {
    auto* q = new Quad;
    q->width = w;
    q->height = h;
    q->refresh();
    return q;
}

using RenderableTest = NullGraphicsTest;

TEST_F(RenderableTest, TransformPlacesTheSkinOriginOnThePosition) {
    std::unique_ptr<Skin> skin(plainSkin(40, 20));
    skin->getAnchorPoint(4);  // the left edge's middle
    Renderable r;
    r.setSkin(skin.get());
    r.setPosition(100, 50, 0);
    V3 w;
    r.localToWorld(w, V3(-20, 0, 0));  // the left edge's middle
    expectNear(w, V3(100, 50, 0));
    r.localToWorld(w, V3(0, 0, 0));  // the centre, 20 to the right
    expectNear(w, V3(120, 50, 0));
    // Turned a quarter about the anchor, scaled twice.
    r.setRotationZ(kPi / 2);
    r.setScale(2.0f);
    r.localToWorld(w, V3(20, 0, 0));  // right edge: 80 above the anchor
    expectNear(w, V3(100, 130, 0));
    V3 back;
    r.world2local(back, w);
    expectNear(back, V3(20, 0, 0));
    // The bounding circle: the skin's centre, radius to the corners.
    expectNear(r.boundingCentre, V3(100, 90, 0));
    EXPECT_NEAR(r.boundingRadius, std::sqrt(40.f * 40 + 20.f * 20), 1e-3);
    // Rotations about x and y come before z.
    Renderable t(skin.get(), V3(0, 0, 0));
    skin->getAnchorPoint(5);
    t.setRotation(V3(0, kPi, kPi / 2));  // (1,0,0) -> (-1,0,0) -> (0,-1,0)
    t.localToWorld(w, V3(1, 0, 0));
    expectNear(w, V3(0, -1, 0), 1e-5f);
}

TEST_F(RenderableTest, PointInsideWithRotationAndScale) {
    std::unique_ptr<Skin> skin(plainSkin(40, 10));
    Renderable r(skin.get(), V3(200, 100, 0));
    r.setRotationZ(kPi / 2);
    r.setScaleV(V3(2, 3, 1));
    // Standing upright now: 80 tall, 30 wide around (200, 100).
    EXPECT_TRUE(r.isPointInside(200, 100, 0));
    EXPECT_TRUE(r.isPointInside(200, 138, 0));
    EXPECT_FALSE(r.isPointInside(200, 142, 0));
    EXPECT_TRUE(r.isPointInside(214, 100, 0));
    EXPECT_FALSE(r.isPointInside(216, 100, 0));
    EXPECT_FALSE(r.isPointInside(240, 100, 0));  // where it would be unrotated
    Renderable bare;
    EXPECT_FALSE(bare.isPointInside(0, 0, 0));
}

TEST_F(RenderableTest, InverseIsKeptOnlyWhenAsked) {
    std::unique_ptr<Skin> skin(plainSkin(10, 10));
    Renderable r(skin.get(), V3(5, 0, 0));
    renderCounters.reset();
    r.setPosition(6, 0, 0);
    EXPECT_EQ(renderCounters.matrixInversions, 0);
    r.bHasInvXform = 1;
    r.setPosition(7, 0, 0);
    V3 local;
    r.world2local(local, V3(7, 0, 0));
    EXPECT_EQ(renderCounters.matrixInversions, 1);  // made once, then kept
    expectNear(local, V3());
}

TEST_F(RenderableTest, ScaleModes) {
    std::unique_ptr<Skin> skin(plainSkin(10, 10));
    graphics.bLetterbox = false;
    graphics.onWindowSize(1280, 768);  // stretched 1.25 times
    Renderable aspect(skin.get(), V3());
    aspect.scaleMode = Renderable::SCALE_ASPECT;
    aspect.onTransformChanged();
    EXPECT_FLOAT_EQ(aspect.worldMatrix.m[1][1], 1.25f);
    EXPECT_FLOAT_EQ(aspect.worldMatrix.m[0][0], 1.0f);
    graphics.bLetterbox = true;
    graphics.onWindowSize(512, 384);  // two design units per pixel
    Renderable pixels(skin.get(), V3());
    pixels.scaleMode = Renderable::SCALE_PIXELS;
    pixels.onTransformChanged();
    EXPECT_FLOAT_EQ(pixels.worldMatrix.m[0][0], 2.0f);
    EXPECT_FLOAT_EQ(pixels.worldMatrix.m[1][1], 2.0f);
}

TEST_F(RenderableTest, ParentMatrix) {
    std::unique_ptr<Skin> skin(plainSkin(10, 10));
    Renderable body(skin.get(), V3(100, 0, 0));
    body.setRotationZ(kPi / 2);
    Renderable part(skin.get(), V3(10, 0, 0));
    part.setParentMatrix(body.worldMatrix);
    V3 w;
    part.localToWorld(w, V3());
    expectNear(w, V3(100, 10, 0));
    float raw[16];
    const M44 up = M44::translation(0, 50, 0);
    for (int i = 0; i < 16; ++i) raw[i] = (&up.m[0][0])[i];
    part.setParentMatrix(raw);
    part.localToWorld(w, V3());
    expectNear(w, V3(10, 50, 0));
    part.clearParentMatrix();
    part.localToWorld(w, V3());
    expectNear(w, V3(10, 0, 0));
}

TEST_F(RenderableTest, CollisionsScaleWithSensitivity) {
    std::unique_ptr<Skin> skin(plainSkin(6, 8));  // radius 5
    Renderable a(skin.get(), V3(0, 0, 0));
    Renderable b(skin.get(), V3(9, 0, 0));
    renderCounters.reset();
    EXPECT_TRUE(a.collide(&b));
    EXPECT_TRUE(a.boundsIntersecting(&b));
    b.collisionSensitivity = 0.5f;  // 5 + 2.5 < 9
    EXPECT_FALSE(a.collide(&b));
    EXPECT_TRUE(a.boundsIntersecting(&b));
    b.setPosition(10, 0, 0);  // exactly touching: not overlapping
    EXPECT_FALSE(a.boundsIntersecting(&b));
    EXPECT_FALSE(a.collide(nullptr));
    EXPECT_EQ(renderCounters.collisionChecks, 3);
    EXPECT_FLOAT_EQ(b.effectiveRadius(), 2.5f);
    EXPECT_TRUE(a.isPointInsideCollisionBounds(4.9f, 0, 0));
    EXPECT_FALSE(a.isPointInsideCollisionBounds(5, 0, 0));
    a.collisionSensitivity = 2;
    EXPECT_TRUE(a.isPointInsideCollisionBounds(9.9f, 0, 0));
}

TEST_F(RenderableTest, PickingUnderTheMouse) {
    std::unique_ptr<Skin> skin(plainSkin(40, 20));
    auto* r = new Renderable(skin.get(), V3(100, 100, 0));
    context.addChild(r);
    r->setRotationZ(kPi / 2);  // 20 wide, 40 tall
    context.mousePosition = V3(105, 115, 0);
    EXPECT_FALSE(r->isUnderMouse());  // not pickable
    r->bPickable = 1;
    EXPECT_TRUE(r->isUnderMouse());
    EXPECT_TRUE(r->bHasInvXform);  // kept from now on
    context.mousePosition = V3(115, 105, 0);
    EXPECT_FALSE(r->isUnderMouse());
    context.mousePosition = V3(100, 100, 0);
    r->bHidden = 1;
    EXPECT_FALSE(r->isUnderMouse());
    r->bHidden = 0;
    r->bNoCulling = 1;
    EXPECT_FALSE(r->isUnderMouse());
    r->bNoCulling = 0;
    EXPECT_TRUE(r->isMouseInside());
    int skip = 0;
    EXPECT_EQ(context.findObjectUnderMouse(skip), r);
    // At depth 512 everything looks half as large: (200, 0, 512) is seen
    // where (100, 0, 0) is.
    auto* deep = new Renderable(skin.get(), V3(200, 0, 512));
    deep->bPickable = 1;
    context.addChild(deep);
    context.mousePosition = V3(100, 0, 0);
    EXPECT_TRUE(deep->isUnderMouse());
    context.mousePosition = V3(110, 0, 0);  // 220 at that depth: outside
    EXPECT_FALSE(deep->isUnderMouse());
}

TEST_F(RenderableTest, DrawsItsSkinWithTransformAndColour) {
    std::unique_ptr<MemoryImageFile> img(makeImage(16, 16, [](int, int) { return 0xFFFFFFFFu; }));
    Texture tex(img.get());
    Renderable r(tex.getSkin(0), V3(10, 20, 0));
    r.color = 0xFF00FF00;
    device->resetRecords();
    renderCounters.reset();
    r.render();
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& d = device->draws[0];
    EXPECT_EQ(d.type, platform::Primitive::TriangleStrip);
    EXPECT_EQ(d.count, 4);
    EXPECT_NE(d.texture, 0u);
    EXPECT_EQ(d.modulate, 0xFF00FF00u);
    EXPECT_EQ(d.firstColor, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(d.firstVertex.x, -8);
    EXPECT_FLOAT_EQ(d.world.m[3][0], 10);
    EXPECT_FLOAT_EQ(d.world.m[3][1], 20);
    EXPECT_TRUE(d.view == context.camera->viewMatrix());
    EXPECT_TRUE(d.projection == context.camera->projectionMatrix());
    EXPECT_EQ(renderCounters.renderablesTotal, 1);
    EXPECT_EQ(renderCounters.renderablesVisible, 1);
    EXPECT_EQ(renderCounters.verticesTotal, 4);
    // Hidden or without a skin: nothing.
    r.bHidden = 1;
    Renderable bare;
    device->resetRecords();
    r.render();
    bare.render();
    EXPECT_TRUE(device->draws.empty());
}

TEST_F(RenderableTest, CullingSetsTheInViewFlag) {
    std::unique_ptr<Skin> skin(plainSkin(20, 20));  // radius ~14.1
    Renderable inside(skin.get(), V3(0, 0, 0));
    Renderable right(skin.get(), V3(520, 0, 0));  // view edge at 512: overlaps
    Renderable away(skin.get(), V3(530, 0, 0));
    away.setPosition(527 + 20, 0, 0);
    Renderable corner(skin.get(), V3(524, 396, 0));  // beyond both edges, circle misses the corner
    Renderable deep(skin.get(), V3(1000, 0, 600));   // far back, the view is wider there
    Renderable unculled(skin.get(), V3(5000, 0, 0));
    unculled.bNoCulling = 1;
    device->resetRecords();
    renderCounters.reset();
    for (Renderable* r : {&inside, &right, &away, &corner, &deep, &unculled}) r->render();
    EXPECT_TRUE(inside.bInView);
    EXPECT_TRUE(right.bInView);
    EXPECT_FALSE(away.bInView);
    EXPECT_FALSE(corner.bInView);
    EXPECT_TRUE(deep.bInView);
    EXPECT_TRUE(unculled.bInView);
    EXPECT_EQ(renderCounters.renderablesTotal, 6);
    EXPECT_EQ(renderCounters.renderablesVisible, 4);
    EXPECT_EQ(device->draws.size(), 4u);
    // Without a current context nothing is culled.
    Context::environment.current = nullptr;
    away.render();
    EXPECT_TRUE(away.bInView);
}

TEST_F(RenderableTest, ChildrenAreDrawnAfterTheirParent) {
    std::unique_ptr<Skin> skin(plainSkin(10, 10));
    Renderable parent(skin.get(), V3());
    auto* child = new Renderable(skin.get(), V3(5, 0, 0));
    child->color = 0xFF123456;
    parent.addChild(child);
    device->resetRecords();
    parent.render();
    ASSERT_EQ(device->draws.size(), 2u);
    EXPECT_EQ(device->draws[1].modulate, 0xFF123456u);
    parent.bHidden = 1;
    device->resetRecords();
    parent.render();
    EXPECT_TRUE(device->draws.empty());
    // Drawn in another parent's frame.
    child->renderInParent(M44::translation(100, 0, 0));
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_FLOAT_EQ(device->draws[0].world.m[3][0], 105);
}

TEST_F(RenderableTest, AnOwnedSkinGoesWithTheRenderable) {
    const int before = ZubBase::liveCount();
    {
        Renderable r;
        r.setSkin(plainSkin(4, 4));
        r.bOwnsSkin = 1;
        EXPECT_EQ(ZubBase::liveCount(), before + 2);
    }
    EXPECT_EQ(ZubBase::liveCount(), before);
}

}  // namespace

TEST_F(RenderableTest, TheOwningContextFollowsEveryMoveOfTheRenderableOrItsAncestors) {
    Context* before = Context::environment.current;
    auto a = std::make_unique<Context>();
    auto b = std::make_unique<Context>();
    auto loose = std::make_unique<ZubBase>();
    auto* group = new ZubBase;
    auto* inner = new ZubBase;
    auto* r = new Renderable;
    inner->addChild(r);
    group->addChild(inner);
    a->addChild(group);
    EXPECT_EQ(r->owningContext(), a.get());
    EXPECT_EQ(r->owningContext(), a.get());  // asked again: the same
    // A grandparent moves to another context.
    b->addChild(group);
    EXPECT_EQ(r->owningContext(), b.get());
    // The parent moves under a plain object outside any context: the current one answers.
    loose->addChild(inner);
    Context::environment.current = a.get();
    EXPECT_EQ(r->owningContext(), a.get());
    Context::environment.current = b.get();
    EXPECT_EQ(r->owningContext(), b.get());
    // The renderable itself moves, then a context comes between it and the old one.
    a->addChild(r);
    EXPECT_EQ(r->owningContext(), a.get());
    auto* nested = new Context;
    a->addChild(nested);
    nested->addChild(r);
    EXPECT_EQ(r->owningContext(), nested);
    // The context in between leaves the tree with the renderable, then the
    // renderable goes back to the other context.
    a->removeChild(nested);
    EXPECT_EQ(r->owningContext(), nested);
    b->addChild(r);
    EXPECT_EQ(r->owningContext(), b.get());
    deleteObject(nested);
    b->removeChild(r);
    EXPECT_EQ(r->owningContext(), b.get());  // no parent: the current context
    Context::environment.current = a.get();
    EXPECT_EQ(r->owningContext(), a.get());
    deleteObject(r);
    Context::environment.current = before;
}

// A renderable that turns keeps no stale cosine or sine: after each turn, and
// after turns back to an angle it had, its matrices and bounding circle are
// bit for bit those of a renderable set up at that angle afresh, also for the
// sign of a zero angle (which the level objects' angle measures can tell).
TEST_F(RenderableTest, TurningAgainGivesTheMatricesOfAFreshRenderable) {
    std::unique_ptr<Skin> skin(plainSkin(40, 20));
    skin->getAnchorPoint(4);
    auto same = [](const M44& a, const M44& b) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (std::memcmp(&a.m[r][c], &b.m[r][c], sizeof(float)) != 0) return false;
        return true;
    };
    for (uint8_t inverse : {uint8_t{0}, uint8_t{1}}) {
        Renderable moving;
        moving.bHasInvXform = inverse;
        moving.setSkin(skin.get());
        moving.setPosition(30, -12, 0);
        moving.setScaleV(V3(1.5f, -2.0f, 1.0f));
        const float angles[] = {0.0f, -0.0f, 0.3f, 0.3f, -0.0f, 2.0f, 0.0f, -1.25f, 0.3f, 0.0f};
        for (float a : angles) {
            moving.setRotationZ(a);
            moving.setPosition(moving.position.x + 1.0f, moving.position.y, 0);
            Renderable fresh;
            fresh.bHasInvXform = inverse;
            fresh.setFields(skin.get(), &moving.position, &moving.rotation, &moving.scale);
            EXPECT_TRUE(same(moving.worldMatrix, fresh.worldMatrix)) << "angle " << a << " inverse " << int(inverse);
            if (inverse) {
                EXPECT_TRUE(same(moving.invWorldMatrix, fresh.invWorldMatrix)) << "angle " << a;
            }
            EXPECT_EQ(std::signbit(moving.worldMatrix.m[1][0]), std::signbit(fresh.worldMatrix.m[1][0]));
            EXPECT_EQ(0, std::memcmp(&moving.boundingCentre, &fresh.boundingCentre, sizeof(V3)));
            EXPECT_EQ(0, std::memcmp(&moving.boundingRadius, &fresh.boundingRadius, sizeof(float)));
        }
    }
}
