// Hulls: building, joints and spans, closing loops, moving and deleting
// vertices, the owner going away, the editor keys and the editor view.
#include <gtest/gtest.h>

#include "world/PhysObject.h"
#include "world_test_support.h"

using namespace platform;
using worldtest::TestWorld;

namespace {
class HullTest : public ::testing::Test {
protected:
    TestWorld world;
};
}  // namespace

TEST_F(HullTest, OneVertexHasNoSegmentAndDoesNotClose) {
    Hull* h = world.staticHull({{0, 0, 0}});
    EXPECT_EQ(h->vertexCount(), 1);
    EXPECT_EQ(h->segmentCount(), 0);
    h->closeLoop();
    EXPECT_EQ(h->segmentCount(), 0);
}

TEST_F(HullTest, TwoVerticesClosedHaveJointsAtBothEnds) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}}, true);
    ASSERT_EQ(h->segmentCount(), 2);
    HullSegment* a = h->getSegment(0);
    HullSegment* b = h->getSegment(1);
    EXPECT_EQ(a->next(), b);
    EXPECT_EQ(b->next(), a);
    EXPECT_EQ(a->prev(), b);
    EXPECT_EQ(b->prev(), a);
    EXPECT_NE(a->prevJoint, 0);
    EXPECT_NE(a->nextJoint, 0);
    EXPECT_NE(b->prevJoint, 0);
    EXPECT_NE(b->nextJoint, 0);
}

TEST_F(HullTest, ClosingTwiceIsHarmless) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, true);
    ASSERT_EQ(h->segmentCount(), 3);
    HullSegment* first = h->getSegment(0);
    HullSegment* closing = h->getSegment(2);
    h->closeLoop();
    EXPECT_EQ(h->segmentCount(), 3);
    EXPECT_EQ(first->prev(), closing);
    EXPECT_EQ(closing->next(), first);
}

TEST_F(HullTest, PointAddedAfterClosingIsNotLinkedToTheClosingSegment) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, true);
    HullSegment* closing = h->getSegment(2);
    h->addHullPoint(200, 100, 0, true);
    ASSERT_EQ(h->segmentCount(), 4);
    HullSegment* added = h->getSegment(3);
    EXPECT_EQ(closing->next(), h->getSegment(0));
    EXPECT_EQ(added->prev(), nullptr);
    EXPECT_EQ(added->prevJoint, 0);
}

TEST_F(HullTest, LeftTurnExtendsBackwardsRightTurnDoesNot) {
    // Counter-clockwise square: every corner is a left turn.
    Hull* ccw = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true);
    for (int i = 0; i < 4; ++i) {
        HullSegment* s = ccw->getSegment(i);
        EXPECT_EQ(s->prevJoint, 2);
        EXPECT_EQ(s->nextJoint, 2);
        EXPECT_EQ(s->collisionLengthMin, -0.125f);
        EXPECT_EQ(s->collisionLengthMax, 100.125f);
        EXPECT_NEAR(s->normal.length(), 1.0f, 1e-6f);
    }
    // The same square clockwise: right turns.
    Hull* cw = world.staticHull({{0, 0, 0}, {0, 100, 0}, {100, 100, 0}, {100, 0, 0}}, true);
    for (int i = 0; i < 4; ++i) {
        HullSegment* s = cw->getSegment(i);
        EXPECT_EQ(s->prevJoint, 1);
        EXPECT_EQ(s->nextJoint, 1);
        EXPECT_EQ(s->collisionLengthMin, 0.0f);
        EXPECT_EQ(s->collisionLengthMax, 100.125f);
    }
}

TEST_F(HullTest, DerivedDataOfASegment) {
    Hull* h = world.staticHull({{0, 0, 0}, {80, 60, 0}});
    HullSegment* s = h->getSegment(0);
    EXPECT_EQ(s->dV, V3(80, 60, 0));
    EXPECT_NEAR(s->along.x, 0.8f, 1e-6f);
    EXPECT_NEAR(s->along.y, 0.6f, 1e-6f);
    EXPECT_NEAR(s->normal.x, -0.6f, 1e-6f);
    EXPECT_NEAR(s->normal.y, 0.8f, 1e-6f);
    EXPECT_EQ(s->length, 100.0f);
    EXPECT_NEAR(s->alongDirection, std::atan2(60.0f, 80.0f), 1e-6f);
    EXPECT_NEAR(s->normalDirection, s->alongDirection + 1.5707964f, 1e-6f);
    EXPECT_EQ(h->boundingRadius, 100.0f);
}

TEST_F(HullTest, MovingAVertexUpdatesBothSegments) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 0, 0}});
    HullVertex* middle = h->getVertex(1);
    middle->vertex = V3(0, 50, 0);
    middle->notifyReferrers();
    EXPECT_EQ(h->getSegment(0)->dV, V3(100, 50, 0));
    EXPECT_EQ(h->getSegment(1)->dV, V3(100, -50, 0));
    EXPECT_EQ(h->getSegment(0)->nextJoint, 1);
    EXPECT_EQ(h->getSegment(1)->prevJoint, 1);
    EXPECT_EQ(h->getSegment(1)->start, V3(0, 50, 0));
}

TEST_F(HullTest, NearestVertexIgnoresFarVertices) {
    Hull* empty = world.staticHull({});
    EXPECT_EQ(empty->findNearestVertex(0, 0, 0), nullptr);
    Hull* h = world.staticHull({{0, 0, 0}, {10, 0, 0}});
    EXPECT_EQ(h->findNearestVertex(6, 0, 0), h->getVertex(1));
    EXPECT_EQ(h->findNearestVertex(5, 0, 0), h->getVertex(0));  // a tie: the first
    EXPECT_EQ(h->findNearestVertex(10015, 0, 0), nullptr);
    EXPECT_EQ(h->findNearestVertex(9990, 0, 0), h->getVertex(1));
}

TEST_F(HullTest, GetBeyondTheEndIsFatal) {
    Hull* h = world.staticHull({{0, 0, 0}, {10, 0, 0}});
    EXPECT_DEATH(h->getSegment(1), "result != NULL");
    EXPECT_DEATH(h->getVertex(2), "result != NULL");
}

TEST_F(HullTest, SecondCreateHullChangesNothing) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* h = o->getHull();
    const int hulls = world.hullList->countChildren();
    o->createHull();
    EXPECT_EQ(o->getHull(), h);
    EXPECT_EQ(world.hullList->countChildren(), hulls);
    EXPECT_EQ(h->owner(), o);
    EXPECT_EQ(h->parent, world.hullList);
    EXPECT_TRUE(o->bHasInvXform);
}

TEST_F(HullTest, OwnerGoingAwayFlagsTheHullForTheNextWalk) {
    A99Object* o = world.place<A99Object>();
    Hull* h = world.makeHull(o, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
    const int32_t hullUid = h->objectUID;
    const int32_t segUid = h->getSegment(0)->objectUID;
    o->destroy();
    EXPECT_TRUE(h->bToBeDestroyed);
    EXPECT_EQ(h->owner(), nullptr);
    EXPECT_EQ(h->parent, world.hullList);
    world.hullList->tick(0.0, 0.01);  // the destroying walk
    EXPECT_EQ(world.hullList->countChildren(), 0);
    // Nothing dead stays in the registry.
    EXPECT_EQ(world.role->findObjectOrNull(hullUid), nullptr);
    EXPECT_EQ(world.role->findObjectOrNull(segUid), nullptr);
}

TEST_F(HullTest, DeleteHullDestroysItAtOnce) {
    A99Object* o = world.place<A99Object>();
    world.makeHull(o, {{0, 0, 0}, {10, 0, 0}});
    o->deleteHull();
    EXPECT_EQ(o->getHull(), nullptr);
    EXPECT_EQ(world.hullList->countChildren(), 0);
    o->createHull();
    EXPECT_NE(o->getHull(), nullptr);
}

TEST_F(HullTest, GroundOfADeadOwnerIsNoGround) {
    A99Object* floor = world.place<A99Object>();
    Hull* h = world.makeHull(floor, {{-100, 0, 0}, {100, 0, 0}});
    PhysObject* body = world.place<PhysObject>();
    body->physPoint.setPositionAndStop(0, 0, 0);
    body->setGround(h->getSegment(0));
    EXPECT_EQ(body->groundOwner(), floor);
    EXPECT_EQ(body->getGround(), h->getSegment(0));
    floor->destroy();
    // Before the hull list's walk the segment still exists: it is no ground.
    EXPECT_EQ(body->groundOwner(), nullptr);
    EXPECT_EQ(body->getGround(), nullptr);
    V3 contact;
    EXPECT_FALSE(body->groundContactWorld(contact));
    world.hullList->tick(0.0, 0.01);
    EXPECT_EQ(body->ground.get(), nullptr);
}

TEST_F(HullTest, EvenlySpacedIndexFollowsChanges) {
    Hull* h = world.staticHull({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}});
    HullSegment* s2 = h->getSegment(2);
    EXPECT_EQ(h->segmentAt(2), s2);
    h->getSegment(0)->destroy();
    EXPECT_EQ(h->segmentCount(), 2);
    EXPECT_EQ(h->segmentAt(1), s2);
    EXPECT_EQ(h->segmentAt(2), nullptr);
}

// ---------------------------------------------------------------------------
// Editor

namespace {
class HullEditorTest : public HullTest {
protected:
    void SetUp() override {
        world.setEditing(true);
        owner = world.place<A99Object>(V3(100, 0, 0));
        owner->createHull();
        hull = owner->getHull();
    }
    void key(int code, int mods = 0) {
        world.releaseKeys();
        world.pressKey(code, mods);
        ZubBase::sendEvent(EVENT_KEY, nullptr, hull);
    }
    void mouse(float x, float y) {
        world.context.prevMousePosition = world.context.mousePosition;
        world.context.mousePosition = V3(x, y, 0);
    }
    A99Object* owner = nullptr;
    Hull* hull = nullptr;
};
}  // namespace

TEST_F(HullEditorTest, KeysAddCloseAndDelete) {
    mouse(100, 0);
    key(KEY_A);
    mouse(150, 0);
    key(KEY_A);
    mouse(150, 50);
    key(KEY_A);
    ASSERT_EQ(hull->vertexCount(), 3);
    EXPECT_EQ(hull->segmentCount(), 2);
    EXPECT_EQ(hull->getVertex(1)->vertex, V3(50, 0, 0));  // local to the owner
    mouse(300, 300);
    key(KEY_A, 1);  // Shift: not connected
    EXPECT_EQ(hull->vertexCount(), 4);
    EXPECT_EQ(hull->segmentCount(), 2);
    key(KEY_C);
    EXPECT_EQ(hull->segmentCount(), 3);
    // D deletes the vertex nearest to the mouse and the segments at it.
    mouse(150, 1);
    key(KEY_D);
    EXPECT_EQ(hull->vertexCount(), 3);
    EXPECT_EQ(hull->segmentCount(), 1);
    HullSegment* left = hull->getSegment(0);
    EXPECT_EQ(left->nextSegment.get(), nullptr);
    EXPECT_EQ(left->nextJoint, 0);
    EXPECT_EQ(left->collisionLengthMax, left->length);
}

TEST_F(HullEditorTest, DraggingAVertexWithM) {
    mouse(100, 0);
    key(KEY_A);
    mouse(200, 0);
    key(KEY_A);
    world.releaseKeys();
    world.input->keys[KEY_M] = 0x80;
    mouse(210, 30);
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, hull);
    EXPECT_EQ(hull->getVertex(1)->vertex, V3(110, 30, 0));
    EXPECT_EQ(hull->getSegment(0)->dV, V3(110, 30, 0));
    EXPECT_NEAR(hull->boundingRadius, std::sqrt(110.0f * 110.0f + 900.0f), 1e-3f);
}

TEST_F(HullEditorTest, EditorViewDrawsEdgesAndTicks) {
    platform::NullRenderDevice* device = world.enableGraphics();
    world.makeHull(owner, {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}});
    world.panel.setEditedObject(hull);
    device->resetRecords();
    world.labels.clear();
    hull->render();
    const NullRenderDevice::DrawRecord* lineDraw = nullptr;
    int symbols = 0;
    for (const auto& d : device->draws) {
        if (d.type == Primitive::LineList) lineDraw = &d;
        if (d.type == Primitive::TriangleStrip) ++symbols;
    }
    EXPECT_EQ(symbols, 3);  // a symbol at every vertex
    ASSERT_NE(lineDraw, nullptr);
    EXPECT_EQ(lineDraw->count, 8);
    const auto& v = device->buffers[lineDraw->buffer - 1].vertices;
    ASSERT_EQ(v.size(), 8u);
    // The first edge runs from (100, 0) to (200, 0) in the world; its start
    // is an open end (black), its far end a left turn (black too).
    EXPECT_EQ(v[0].x, 100.0f);
    EXPECT_EQ(v[1].x, 200.0f);
    EXPECT_EQ(v[0].diffuse, 0xff000000u);
    // The tick of the flat edge: the start colour halved; of the upright edge: white.
    EXPECT_EQ(v[2].diffuse, 0xff000000u);
    EXPECT_NEAR(v[3].y, 8.0f, 1e-5f);
    EXPECT_EQ(v[1].diffuse, 0xff000000u);
    EXPECT_EQ(v[6].diffuse, 0xffffffffu);
    ASSERT_EQ(world.labels.size(), 2u);  // serial numbers
}
