// Hulls: closing loops, joints and spans, moving and deleting vertices, the
// owner going away, the index of evenly spaced hulls, the editor keys; the second
// recompute in the set-up after a load.
#include <gtest/gtest.h>

#include <cmath>

#include "object/Packet.h"
#include "world/PhysObject.h"
#include "world_test_support.h"

using namespace input_codes;
using worldtest::TestWorld;

namespace {
class HullTest : public ::testing::Test {
protected:
    TestWorld world;
};
}  // namespace

TEST_F(HullTest, ClosingNeedsTwoVerticesAndHappensOnce) {
    Hull* one = world.staticHull({{0, 0, 0}});
    one->closeLoop();
    EXPECT_EQ(one->segmentCount(), 0);
    // Two vertices closed: two segments linked both ways, with joints at
    // both ends (which kind depends on how the turn of pi rounds).
    Hull* two = world.staticHull({{0, 0, 0}, {100, 0, 0}}, true);
    ASSERT_EQ(two->segmentCount(), 2);
    HullSegment* a = two->getSegment(0);
    HullSegment* b = two->getSegment(1);
    EXPECT_TRUE(a->next() == b && b->next() == a && a->prev() == b && b->prev() == a);
    EXPECT_TRUE(a->prevJoint && a->nextJoint && b->prevJoint && b->nextJoint);
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, true);
    HullSegment* closing = h->getSegment(2);
    h->closeLoop();
    EXPECT_EQ(h->segmentCount(), 3);
    EXPECT_EQ(h->getSegment(0)->prev(), closing);
    // A point added after closing is not linked to the closing segment.
    h->addHullPoint(200, 100, 0, true);
    ASSERT_EQ(h->segmentCount(), 4);
    EXPECT_EQ(closing->next(), h->getSegment(0));
    EXPECT_EQ(h->getSegment(3)->prev(), nullptr);
    EXPECT_EQ(h->getSegment(3)->prevJoint, 0);
}

TEST_F(HullTest, LeftTurnsExtendBackwardsRightTurnsAndStraightOnesDoNot) {
    Hull* ccw = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true);
    Hull* cw = world.staticHull({{0, 0, 0}, {0, 100, 0}, {100, 100, 0}, {100, 0, 0}}, true);
    for (int i = 0; i < 4; ++i) {
        HullSegment* l = ccw->getSegment(i);
        EXPECT_EQ(l->prevJoint, 2);
        EXPECT_EQ(l->collisionLengthMin, -0.125f);
        EXPECT_EQ(l->collisionLengthMax, 100.125f);
        HullSegment* r = cw->getSegment(i);
        EXPECT_EQ(r->prevJoint, 1);
        EXPECT_EQ(r->collisionLengthMin, 0.0f);
        EXPECT_EQ(r->collisionLengthMax, 100.125f);
    }
    Hull* straight = world.staticHull({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}});
    EXPECT_EQ(straight->getSegment(1)->prevJoint, 1);
    EXPECT_EQ(straight->getSegment(1)->collisionLengthMax, 100.0f);
}

TEST_F(HullTest, MovingAVertexUpdatesBothSegments) {
    Hull* h = world.staticHull({{-100, 0, 0}, {0, 0, 0}, {100, 0, 0}});
    HullVertex* middle = h->getVertex(1);
    middle->vertex = V3(0, 50, 0);
    middle->notifyReferrers();
    EXPECT_EQ(h->getSegment(0)->dV, V3(100, 50, 0));
    EXPECT_EQ(h->getSegment(1)->dV, V3(100, -50, 0));
    EXPECT_EQ(h->getSegment(1)->start, V3(0, 50, 0));
    EXPECT_EQ(h->getSegment(0)->nextJoint, 1);
    EXPECT_EQ(h->getSegment(1)->prevJoint, 1);
}

TEST_F(HullTest, NearestVertexIgnoresFarVertices) {
    EXPECT_EQ(world.staticHull({})->findNearestVertex(0, 0, 0), nullptr);
    Hull* h = world.staticHull({{0, 0, 0}, {10, 0, 0}});
    EXPECT_EQ(h->findNearestVertex(6, 0, 0), h->getVertex(1));
    EXPECT_EQ(h->findNearestVertex(5, 0, 0), h->getVertex(0));  // a tie: the first
    EXPECT_EQ(h->findNearestVertex(10015, 0, 0), nullptr);
    EXPECT_EQ(h->findNearestVertex(9990, 0, 0), h->getVertex(1));
}

TEST_F(HullTest, CreatingAndDeletingTheHull) {
    A99Object* o = world.place<A99Object>();
    o->createHull();
    Hull* h = o->getHull();
    o->createHull();
    EXPECT_EQ(o->getHull(), h);
    EXPECT_EQ(world.hullList->countChildren(), 1);
    EXPECT_EQ(h->owner(), o);
    EXPECT_TRUE(o->bHasInvXform);
    o->deleteHull();
    EXPECT_EQ(o->getHull(), nullptr);
    EXPECT_EQ(world.hullList->countChildren(), 0);
}

TEST_F(HullTest, OwnerGoingAwayLeavesNoGroundAndTheNextWalkDeletesTheHull) {
    A99Object* floor = world.place<A99Object>();
    Hull* h = world.makeHull(floor, {{-100, 0, 0}, {100, 0, 0}});
    const int32_t segUid = h->getSegment(0)->objectUID;
    PhysObject* body = world.place<PhysObject>();
    body->setGround(h->getSegment(0));
    EXPECT_EQ(body->groundOwner(), floor);
    floor->destroy();
    // Before the hull list's walk the segment still exists: it is no ground.
    EXPECT_TRUE(h->bToBeDestroyed);
    EXPECT_EQ(body->groundOwner(), nullptr);
    EXPECT_EQ(body->getGround(), nullptr);
    V3 contact;
    EXPECT_FALSE(body->groundContactWorld(contact));
    world.hullList->tick(0.0, 0.01);
    EXPECT_EQ(world.hullList->countChildren(), 0);
    EXPECT_EQ(body->ground.get(), nullptr);
    EXPECT_EQ(world.role->findObjectOrNull(segUid), nullptr);
}

TEST_F(HullTest, EvenlySpacedIndexFollowsChanges) {
    Hull* h = world.staticHull({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}});
    HullSegment* s2 = h->getSegment(2);
    h->getSegment(0)->destroy();
    EXPECT_EQ(h->segmentCount(), 2);
    EXPECT_EQ(h->segmentAt(1), s2);
    EXPECT_EQ(h->segmentAt(2), nullptr);
}

TEST_F(HullTest, EditorKeysAddCloseDeleteAndDrag) {
    world.setEditing(true);
    A99Object* owner = world.place<A99Object>(V3(100, 0, 0));
    owner->createHull();
    Hull* hull = owner->getHull();
    auto key = [&](int code, float x, float y, int mods = 0) {
        world.context.mousePosition = V3(x, y, 0);
        world.releaseKeys();
        world.pressKey(code, mods);
        ZubBase::sendEvent(EVENT_KEY, nullptr, hull);
    };
    key(KEY_A, 100, 0);
    key(KEY_A, 150, 0);
    EXPECT_EQ(hull->getVertex(1)->vertex, V3(50, 0, 0));  // local to the owner
    // M drags the nearest vertex; the segment and the radius follow.
    world.releaseKeys();
    world.input->keys[KEY_M] = 0x80;
    world.context.mousePosition = V3(210, 30, 0);
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, hull);
    EXPECT_EQ(hull->getVertex(1)->vertex, V3(110, 30, 0));
    EXPECT_EQ(hull->getSegment(0)->dV, V3(110, 30, 0));
    EXPECT_NEAR(hull->boundingRadius, std::sqrt(110.0f * 110.0f + 900.0f), 1e-3f);
    key(KEY_A, 150, 50);
    key(KEY_A, 300, 300, 1);  // Shift: not connected
    EXPECT_EQ(hull->vertexCount(), 4);
    EXPECT_EQ(hull->segmentCount(), 2);
    key(KEY_C, 300, 300);
    EXPECT_EQ(hull->segmentCount(), 3);
    // D deletes the vertex nearest to the mouse and the segments at it.
    key(KEY_D, 210, 31);
    EXPECT_EQ(hull->vertexCount(), 3);
    ASSERT_EQ(hull->segmentCount(), 1);
    HullSegment* closing = hull->getSegment(0);
    EXPECT_EQ(closing->next(), nullptr);
    EXPECT_EQ(closing->collisionLengthMax, closing->length);
}

namespace {
struct SegmentValues {
    V3 dV, along, normal;
    float length, alongDirection, normalDirection, spanMin, spanMax;
    int32_t prevJoint, nextJoint;
    explicit SegmentValues(const HullSegment* s)
        : dV(s->dV),
          along(s->along),
          normal(s->normal),
          length(s->length),
          alongDirection(s->alongDirection),
          normalDirection(s->normalDirection),
          spanMin(s->collisionLengthMin),
          spanMax(s->collisionLengthMax),
          prevJoint(s->prevJoint),
          nextJoint(s->nextJoint) {}
    bool operator==(const SegmentValues&) const = default;
};
}  // namespace

TEST_F(HullTest, TheSetUpAfterALoadLeavesRecomputedSegmentsAsAFullRecomputeWould) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true);
    HullSegment* s = h->getSegment(1);
    const SegmentValues before(s);
    const SegmentValues next(s->next());
    // A neighbour's body read after this segment's recompute brings the
    // stored joints: the second pass writes them again.
    s->next()->prevJoint = HullSegment::JOINT_NONE;
    s->next()->updateSpans();
    s->nextJoint = HullSegment::JOINT_NONE;
    s->netPostReplicateGlobal();
    EXPECT_TRUE(SegmentValues(s) == before);
    EXPECT_TRUE(SegmentValues(s->next()) == next);
    s->recompute();
    EXPECT_TRUE(SegmentValues(s) == before);
}

TEST_F(HullTest, TheSetUpAfterALoadRecomputesWhatChangedSinceTheLastRecompute) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true);
    HullSegment* s = h->getSegment(1);
    // A vertex moved without telling the segment.
    h->getVertex(2)->vertex = V3(200, 100, 0);
    s->netPostReplicateGlobal();
    EXPECT_EQ(s->dV, V3(100, 100, 0));
    EXPECT_EQ(s->length, V3(100, 100, 0).length());
    // The next segment's direction changed: from a left turn to a right one.
    HullSegment* n = s->next();
    EXPECT_EQ(s->nextJoint, HullSegment::JOINT_LEFT);
    n->alongDirection = 0.0f;
    s->netPostReplicateGlobal();
    EXPECT_EQ(s->nextJoint, HullSegment::JOINT_RIGHT);
    EXPECT_EQ(n->prevJoint, HullSegment::JOINT_RIGHT);
    // A zero's sign alone turns a direction by pi: the start is compared bit
    // for bit.
    HullVertex* v = h->getVertex(3);
    v->vertex = V3(0, 100, 0);
    HullSegment* last = h->getSegment(3);
    last->recompute();
    v->vertex = V3(-0.0f, 100, 0);
    last->netPostReplicateGlobal();
    EXPECT_TRUE(std::signbit(last->start.x));
}

TEST_F(HullTest, ASegmentWhoseBodyWasReadIsRecomputedInFull) {
    Hull* h = world.staticHull({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}});
    HullSegment* s = h->getSegment(0);
    const float length = s->length;
    // A body that carries a stale length (as a level file may).
    s->length = 5.0f;
    Packet packet(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 0x10000);
    s->netSerialize(packet);
    ASSERT_FALSE(packet.failed());
    s->recompute();
    packet.rewindToRead();
    s->netSerialize(packet);
    ASSERT_FALSE(packet.failed());
    EXPECT_EQ(s->length, 5.0f);
    s->netPostReplicateGlobal();
    EXPECT_EQ(s->length, length);
}
