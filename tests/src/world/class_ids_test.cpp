// The world's classes are registered under their fixed ids, with the right
// parents, and the registry has no clashes.
#include <gtest/gtest.h>

#include "object/RuntimeClass.h"
#include "world/A99Object.h"
#include "world/BezierPath.h"
#include "world/BezierSegment.h"
#include "world/BezierVertex.h"
#include "world/EditorObject.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/PhysObject.h"
#include "world/Terrain.h"

namespace {
struct Expected {
    const RuntimeClass* record;
    uint32_t id;
    const RuntimeClass* parent;
    const char* name;
};
}  // namespace

TEST(WorldClasses, RegisteredUnderTheirIds) {
    const Expected table[] = {
        {&EditorObject::classRecord, 0x31f2d51e, &Renderable::classRecord, "_31f2d51e"},
        {&RPCEditorObjectConstruct::classRecord, 0x04a77e06, &RPC::classRecord, "_04a77e06"},
        {&EditorProxy::classRecord, 0x159b2aa2, &ZubBase::classRecord, "_159b2aa2"},
        {&RPCSetProxyOwner::classRecord, 0x8f4c2c0a, &RPC::classRecord, "_8f4c2c0a"},
        {&A99Object::classRecord, 0x1169646a, &EditorObject::classRecord, "_1169646a"},
        {&RPCCreateHull::classRecord, 0x650f02f6, &RPC::classRecord, "_650f02f6"},
        {&RPCDeleteHull::classRecord, 0x287d9c35, &RPC::classRecord, "_287d9c35"},
        {&HullVertex::classRecord, 0x552fb633, &ZubBase::classRecord, "_552fb633"},
        {&HullSegment::classRecord, 0x136ce148, &ZubBase::classRecord, "_136ce148"},
        {&Hull::classRecord, 0x00297b55, &ZubBase::classRecord, "_00297b55"},
        {&RPCHullSegmentSetup::classRecord, 0x2956ea30, &RPC::classRecord, "_2956ea30"},
        {&RPCHullSetRef::classRecord, 0xefb170fd, &RPC::classRecord, "_efb170fd"},
        {&PhysPoint::classRecord, 0x2006cb36, &ZubBase::classRecord, "_2006cb36"},
        {&PhysObject::classRecord, 0x027b827a, &A99Object::classRecord, "_027b827a"},
        {&Terrain::classRecord, 0x36040e15, &A99Object::classRecord, "_36040e15"},
        {&RPCTerrainConstruct::classRecord, 0x1820693d, &RPC::classRecord, "_1820693d"},
        {&BezierVertex::classRecord, 0x3dccf29f, &ZubBase::classRecord, "_3dccf29f"},
        {&BezierSegment::classRecord, 0x0fb1ab34, &ZubBase::classRecord, "_0fb1ab34"},
        {&BezierPath::classRecord, 0x1da9d98e, &A99Object::classRecord, "_1da9d98e"},
        {&RPCLinkBezierSegment::classRecord, 0x144c541c, &RPC::classRecord, "_144c541c"},
    };
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    m.buildClassArray();
    EXPECT_FALSE(m.bBadClasses);
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.record->classId, e.id);
        EXPECT_EQ(e.record->parent, e.parent);
        EXPECT_EQ(wideToNarrow(e.record->getName()), e.name);
        EXPECT_EQ(m.findById(e.id), e.record);
        EXPECT_EQ(m.findByName(e.record->getName()), e.record);
        EXPECT_NE(e.record->createFn, nullptr);
    }
}
