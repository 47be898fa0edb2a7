// The world's classes are registered under their fixed ids, with the right
// parents, and the registry has no clashes.
#include <gtest/gtest.h>

#include <cstdio>

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
};
}  // namespace

TEST(WorldClasses, RegisteredUnderTheirIds) {
    const Expected table[] = {
        {&EditorObject::classRecord, 0x31f2d51e, &Renderable::classRecord},
        {&RPCEditorObjectConstruct::classRecord, 0x04a77e06, &RPC::classRecord},
        {&EditorProxy::classRecord, 0x159b2aa2, &ZubBase::classRecord},
        {&RPCSetProxyOwner::classRecord, 0x8f4c2c0a, &RPC::classRecord},
        {&A99Object::classRecord, 0x1169646a, &EditorObject::classRecord},
        {&RPCCreateHull::classRecord, 0x650f02f6, &RPC::classRecord},
        {&RPCDeleteHull::classRecord, 0x287d9c35, &RPC::classRecord},
        {&HullVertex::classRecord, 0x552fb633, &ZubBase::classRecord},
        {&HullSegment::classRecord, 0x136ce148, &ZubBase::classRecord},
        {&Hull::classRecord, 0x00297b55, &ZubBase::classRecord},
        {&RPCHullSegmentSetup::classRecord, 0x2956ea30, &RPC::classRecord},
        {&RPCHullSetRef::classRecord, 0xefb170fd, &RPC::classRecord},
        {&PhysPoint::classRecord, 0x2006cb36, &ZubBase::classRecord},
        {&PhysObject::classRecord, 0x027b827a, &A99Object::classRecord},
        {&Terrain::classRecord, 0x36040e15, &A99Object::classRecord},
        {&RPCTerrainConstruct::classRecord, 0x1820693d, &RPC::classRecord},
        {&BezierVertex::classRecord, 0x3dccf29f, &ZubBase::classRecord},
        {&BezierSegment::classRecord, 0x0fb1ab34, &ZubBase::classRecord},
        {&BezierPath::classRecord, 0x1da9d98e, &A99Object::classRecord},
        {&RPCLinkBezierSegment::classRecord, 0x144c541c, &RPC::classRecord},
    };
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    m.buildClassArray();
    EXPECT_FALSE(m.bBadClasses);
    for (const Expected& e : table) {
        char name[16];
        std::snprintf(name, sizeof name, "_%08x", e.id);
        SCOPED_TRACE(name);
        EXPECT_EQ(e.record->classId, e.id);
        EXPECT_EQ(e.record->parent, e.parent);
        EXPECT_EQ(m.findById(e.id), e.record);
        EXPECT_NE(e.record->createFn, nullptr);
    }
}
