// Every world object written to a level packet (the role's full-state
// commands), replayed by a fresh role and equal after, within the 16-bit
// float precision of the wire; derived hull data made again and consistent.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "object/Packet.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "world/BezierPath.h"
#include "world/BezierSegment.h"
#include "world/BezierVertex.h"
#include "world/EditorProxy.h"
#include "world/PhysObject.h"
#include "world/Terrain.h"
#include "world/Xsect.h"
#include "world_test_support.h"

using worldtest::nearFloat16;
using worldtest::TestWorld;

namespace {

// Recomputed on load from the (quantised) vertices: checked for consistency
// instead of equality.
bool isDerived(std::u16string_view name) {
    return name == u"dV" || name == u"along" || name == u"normal" || name == u"length" ||
           name == u"collisionLengthMin" || name == u"collisionLengthMax" || name == u"alongDirection" ||
           name == u"normalDirection" || name == u"boundingRadius" || name == u"prevJoint" || name == u"nextJoint";
}

void compareProperties(Property* a, Property* b, const std::string& where) {
    ASSERT_EQ(a->getClass(), b->getClass()) << where;
    ASSERT_EQ(a->getName(), b->getName()) << where;
    const std::string here = where + "." + wideToNarrow(WString(a->getName()));
    if (isDerived(a->getName())) return;
    // Resources are named by each side's own resource manager: checked apart.
    if (a->flags & PROP_RESOURCE) return;
    if (a->getClass() == &PropertyFloat::classRecord) {
        const float x = *static_cast<PropertyFloat*>(a)->field, y = *static_cast<PropertyFloat*>(b)->field;
        EXPECT_TRUE(nearFloat16(x, y)) << here << ": " << x << " vs " << y;
        return;
    }
    auto* fa = dynamic_cast<PropertyArray<float>*>(a);
    auto* va = dynamic_cast<PropertyArray<V3>*>(a);
    if (fa || va) {
        const size_t n = fa ? fa->array->size() : va->array->size();
        auto* fb = dynamic_cast<PropertyArray<float>*>(b);
        auto* vb = dynamic_cast<PropertyArray<V3>*>(b);
        ASSERT_EQ(n, fb ? fb->array->size() : vb->array->size()) << here;
        for (size_t i = 0; i < n; ++i) {
            const V3 x = fa ? V3((*fa->array)[i], 0, 0) : (*va->array)[i];
            const V3 y = fb ? V3((*fb->array)[i], 0, 0) : (*vb->array)[i];
            EXPECT_TRUE(nearFloat16(x.x, y.x) && nearFloat16(x.y, y.y)) << here << "[" << i << "]";
        }
        return;
    }
    if (!a->firstChild || a->getClass() == &PropertySubObject::classRecord) {
        EXPECT_EQ(a->toString(), b->toString()) << here;
        return;
    }
    ASSERT_EQ(a->countChildren(), b->countChildren()) << here;
    for (ZubBase *ca = a->firstChild, *cb = b->firstChild; ca && cb; ca = ca->nextSibling, cb = cb->nextSibling)
        compareProperties(static_cast<Property*>(ca), static_cast<Property*>(cb), here);
}

void compareObjects(ZubBase* a, ZubBase* b) {
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(a->getClass(), b->getClass());
    PropertyContainer* pa = a->createPropertyContainer();
    PropertyContainer* pb = b->createPropertyContainer();
    ASSERT_EQ(pa->countChildren(), pb->countChildren());
    for (ZubBase *x = pa->firstChild, *y = pb->firstChild; x && y; x = x->nextSibling, y = y->nextSibling)
        compareProperties(static_cast<Property*>(x), static_cast<Property*>(y), a->getClass()->getTypeName());
    deleteObject(pa);
    deleteObject(pb);
    // Children and holder parts by UID.
    std::vector<int32_t> ca, cb;
    for (ZubBase* c = a->firstChild; c; c = c->nextSibling) ca.push_back(c->objectUID);
    for (ZubBase* c = b->firstChild; c; c = c->nextSibling) cb.push_back(c->objectUID);
    EXPECT_EQ(ca, cb);
}

void expectConsistentSegment(HullSegment* s) {
    ASSERT_NE(s->getV1(), nullptr);
    ASSERT_NE(s->getV2(), nullptr);
    const V3 d = s->getV2()->vertex - s->getV1()->vertex;
    EXPECT_EQ(s->dV, d);
    EXPECT_EQ(s->along, d.normalized());
    EXPECT_EQ(s->length, d.length());
    EXPECT_EQ(s->start, s->getV1()->vertex);
    EXPECT_EQ(s->collisionLengthMin, s->prevJoint == 2 ? -0.125f : 0.0f);
    EXPECT_EQ(s->collisionLengthMax, s->nextJoint != 0 ? s->length + 0.125f : s->length);
    if (HullSegment* n = s->next()) {
        EXPECT_EQ(s->nextJoint, hullJointKind(s->alongDirection, n->alongDirection));
    }
}

}  // namespace

TEST(Replication, EveryWorldObjectSurvivesALevelPacket) {
    TestWorld a;
    A99Object* rock = a.place<A99Object>(V3(123.5f, 45.25f, 0));
    a.makeHull(rock, {{-40, 0, 0}, {0, 30, 0}, {40, 0, 0}}, false);
    // Clockwise: the outline faces outwards.
    Hull* rh = rock->getHull();
    rh->closeLoop();
    rh->bHeroOnly = true;
    rock->pAmbientSound = a.resources.findAs<Sound>(u"ambientBrook");
    rock->material = A99Object::MAT_STONE;
    rock->minAmbientRadius = 20.0f;
    rock->setRotation(0, 0, 0.3f);
    Terrain* terrain = a.place<Terrain>(V3(0, -100, 0));
    terrain->construct(64, 16);
    terrain->setHeights(10, 321.7f, 12.3f);
    BezierPath* path = a.place<BezierPath>(V3(500, 200, 0));
    path->addPoint(0, 0, 0);
    path->addPoint(100, 50, 0);
    path->addPoint(200, -20, 0);
    path->closeLoop();
    PhysObject* body = a.place<PhysObject>(V3(7, 8, 0));
    body->physPoint.position = V3(1.5f, 2.25f, 3.0f);
    body->physPoint.oldPosition = V3(1.0f, 2.0f, 3.0f);
    body->physPointOffset = V3(0, 10, 0);
    EditorObject* bare = new EditorObject();
    a.role->registerObject(bare, 0);
    a.objectList->addChild(bare);
    bare->construct();
    bare->bUndeletable = true;
    a.drain();

    Packet packet(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 0x100000);
    worldtest::writeLevelPacket(*a.role, packet,
                                {a.root, a.objectList, a.hullList, a.proxyList, a.speechBubbleList, a.dangerAreaList});
    ASSERT_FALSE(packet.failed());
    packet.rewindToRead();

    std::vector<int32_t> uids;
    for (const auto& e : a.role->objectMap)
        if (e.second->parent != a.root && e.second != a.root) uids.push_back(e.first);

    {
        TestWorld b(false);
        b.role->bAllowNewObjectRegistations = false;
        ASSERT_TRUE(b.role->processPacket(packet));
        b.role->bAllowNewObjectRegistations = true;
        b.role->postReplicateAll();

        for (int32_t uid : uids) {
            SCOPED_TRACE(uid);
            compareObjects(a.role->findObject(uid), b.role->findObjectOrNull(uid));
        }

        // The placed objects are whole again: proxies, hulls, derived data.
        auto* rockB = static_cast<A99Object*>(b.role->findObject(rock->objectUID));
        ASSERT_NE(rockB->getProxy(), nullptr);
        EXPECT_EQ(rockB->getProxy()->getOwner(), rockB);
        EXPECT_EQ(rockB->getProxy()->parent, b.proxyList);
        EXPECT_EQ(b.resources.getResourceName(rockB->pAmbientSound), u"ambientBrook");
        Hull* hb = rockB->getHull();
        ASSERT_NE(hb, nullptr);
        EXPECT_EQ(hb->parent, b.hullList);
        EXPECT_EQ(hb->owner(), rockB);
        EXPECT_TRUE(hb->bHeroOnly);
        ASSERT_EQ(hb->segmentCount(), 3);
        for (int i = 0; i < 3; ++i) expectConsistentSegment(hb->getSegment(i));
        EXPECT_EQ(hb->getSegment(2)->next(), hb->getSegment(0));
        EXPECT_TRUE(rockB->bHasInvXform);

        auto* terrainB = static_cast<Terrain*>(b.role->findObject(terrain->objectUID));
        EXPECT_EQ(terrainB->pointCount(), 64);
        Hull* th = terrainB->getHull();
        ASSERT_NE(th, nullptr);
        EXPECT_TRUE(th->bEvenlySpaced);
        ASSERT_EQ(th->segmentCount(), 63);
        for (int i = 0; i < 63; i += 7) expectConsistentSegment(th->getSegment(i));
        EXPECT_EQ(th->getVertex(10)->vertex.y, terrainB->heights[0][10]);

        auto* pathB = static_cast<BezierPath*>(b.role->findObject(path->objectUID));
        ASSERT_EQ(pathB->segmentCount(), 3);
        EXPECT_NEAR(pathB->segmentAt(1)->length, path->segmentAt(1)->length, 0.1f);
        V3 pa, pb;
        path->evaluateL(&pa, 100.0f, nullptr);
        pathB->evaluateL(&pb, 100.0f, nullptr);
        EXPECT_NEAR(pa.x, pb.x, 0.5f);
        EXPECT_NEAR(pa.y, pb.y, 0.5f);

        // The replayed level collides like the original.
        b.setFrame(50);
        float ground = 0;
        terrainB->getSurfaceAt(0.0f, &ground, nullptr);
        Xsect x({0, ground + 20, 0}, {0, ground - 20, 0}, 3);
        x.considerHulls();
        ASSERT_TRUE(x.checkHits());
        x.handleHit(Xsect::STOP);
        EXPECT_NEAR(x.hitPoint.y, ground, 0.01f);
    }
}

TEST(Replication, BadTerrainCountOrSpacingIsAnOrderlyFatalError) {
    TestWorld a;
    Terrain* t = a.place<Terrain>();
    t->construct(8, 16);
    struct Bad {
        int32_t segments, width;
        const char* check;
    };
    for (const Bad& bad : {Bad{-5, 16, "0 <= count <= MAX_COUNT"}, Bad{70000, 16, "0 <= count <= MAX_COUNT"},
                           Bad{8, -16, "0 <= segmentWidth"}, Bad{8, 1 << 20, "0 <= segmentWidth"}}) {
        Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 0x400000);
        t->segments = bad.segments;  // what no level may hold
        t->segmentWidth = bad.width;
        t->netSerialize(p);
        t->segments = 8;
        t->segmentWidth = 16;
        p.rewindToRead();
        EXPECT_DEATH(t->netSerialize(p), bad.check);
    }
}

TEST(Replication, AHullCannotBeReadIntoItsOwnPartHolder) {
    // A level packet whose hull lists itself among its vertices (the holder
    // lives inside the hull, so the hull is no tree ancestor of it): the read
    // is refused, and the replaying role leaves nothing behind.
    TestWorld a;
    A99Object* rock = a.place<A99Object>(V3(10, 20, 0));
    a.makeHull(rock, {{-40, 0, 0}, {0, 30, 0}, {40, 0, 0}}, false);
    Hull* hull = rock->getHull();
    ZubBase* list = hull->parent;
    hull->vertices.addChild(hull);
    Packet packet(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 0x100000);
    worldtest::writeLevelPacket(*a.role, packet,
                                {a.root, a.objectList, a.hullList, a.proxyList, a.speechBubbleList, a.dangerAreaList});
    list->addChild(hull);
    ASSERT_FALSE(packet.failed());
    packet.rewindToRead();
    packet.setFromPeer();

    const int liveBefore = ZubBase::liveCount();
    {
        TestWorld b(false);
        const int liveWorld = ZubBase::liveCount();
        b.role->bAllowNewObjectRegistations = false;
        EXPECT_FALSE(b.role->processPacket(packet));
        EXPECT_NE(packet.errorText().find(u"names itself"), WString::npos) << wideToNarrow(packet.errorText());
        b.role->bAllowNewObjectRegistations = true;
        // The refused packet takes back every object it made.
        EXPECT_EQ(b.role->findObjectOrNull(hull->objectUID), nullptr);
        EXPECT_EQ(ZubBase::liveCount(), liveWorld);
    }
    EXPECT_EQ(ZubBase::liveCount(), liveBefore);
}
