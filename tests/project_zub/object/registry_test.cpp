#include <gtest/gtest.h>

#include "object/Property.h"
#include "object/RPC.h"
#include "object/RuntimeClass.h"
#include "object/ZubBase.h"

namespace {

ClassObject* makeNothing() { return nullptr; }

TEST(ClassRegistry, IdsAreNameFoldsOrTakenLiterally) {
    // Classes whose given id is the fold of their name.
    EXPECT_EQ(classIdOfName(u"GameController"), 0xff6c9f1eu);
    EXPECT_EQ(classIdOfName(u"ContextMenu"), 0x4229753au);
    EXPECT_EQ(classIdOfName(u"ab"), 97u * 33u + 98u);
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    EXPECT_EQ(m.findById(0x7b13321b), &RPCGotoState::classRecord);
    EXPECT_EQ(RPCGotoState::classRecord.getName(), u"_7b13321b");
    EXPECT_EQ(m.findByName(u"RPC"), &RPC::classRecord);
    EXPECT_EQ(RPC::classRecord.classId, classIdOfName(u"RPC"));
}

TEST(ClassRegistry, ArrayIsSortedByIdAndIndexed) {
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    m.buildClassArray();
    ASSERT_FALSE(m.classArray.empty());
    for (size_t i = 0; i < m.classArray.size(); ++i) {
        EXPECT_EQ(m.classArray[i]->index, static_cast<int>(i));
        if (i > 0) {
            EXPECT_LT(m.classArray[i - 1]->classId, m.classArray[i]->classId);
        }
        EXPECT_EQ(m.findByIndex(static_cast<uint32_t>(i)), m.classArray[i]);
        EXPECT_EQ(m.findById(m.classArray[i]->classId), m.classArray[i]);
    }
    EXPECT_EQ(m.findByIndex(static_cast<uint32_t>(m.classArray.size())), nullptr);
    // Building again gives the same numbering.
    std::vector<RuntimeClass*> before = m.classArray;
    m.buildClassArray();
    EXPECT_EQ(before, m.classArray);
}

TEST(ClassRegistry, EveryRegistrationOfTheProgramIsValid) {
    RuntimeClassManager& m = RuntimeClassManager::getInstance();
    m.buildClassArray();
    for (const WString& p : m.problems) ADD_FAILURE() << wideToNarrow(p);
    EXPECT_FALSE(m.bBadClasses);
}

TEST(ClassRegistry, DuplicatesAndMissingParentsAreReported) {
    static constinit RuntimeClass a(0x10u, &makeNothing, nullptr, "A");
    static constinit RuntimeClass b(0x20u, &makeNothing, &a, "B");
    {
        RuntimeClassManager m;
        m.add(&b);
        m.add(&a);
        m.buildClassArray();
        EXPECT_FALSE(m.bBadClasses);
        EXPECT_EQ(m.classArray[0], &a);
        EXPECT_EQ(a.index, 0);
        EXPECT_EQ(b.index, 1);
    }
    static constinit RuntimeClass sameId(0x10u, &makeNothing, nullptr, "SameId");
    {
        RuntimeClassManager m;
        m.add(&a);
        m.add(&sameId);
        m.buildClassArray();
        EXPECT_TRUE(m.bBadClasses);
    }
    static constinit RuntimeClass sameName(u"Twin", &makeNothing, nullptr, "Twin1");
    static constinit RuntimeClass sameName2(u"Twin", &makeNothing, nullptr, "Twin2");
    {
        RuntimeClassManager m;
        m.add(&sameName);
        m.add(&sameName2);
        m.buildClassArray();
        EXPECT_TRUE(m.bBadClasses);  // same name, and so the same id
    }
    {
        RuntimeClassManager m;
        m.add(&b);  // its parent is not registered here
        m.buildClassArray();
        EXPECT_TRUE(m.bBadClasses);
        ASSERT_FALSE(m.problems.empty());
    }
}

}  // namespace

TEST(ClassRegistry, IdsThatShareARememberedSlotEachFindTheirOwnClass) {
    // 0x100 and 0x1 fold to the same slot of the recent answers.
    static constinit RuntimeClass low(0x1u, &makeNothing, nullptr, "Low");
    static constinit RuntimeClass high(0x100u, &makeNothing, nullptr, "High");
    static constinit RuntimeClass late(0x10000u, &makeNothing, nullptr, "Late");
    RuntimeClassManager m;
    m.add(&low);
    m.add(&high);
    m.buildClassArray();
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(m.findById(0x1u), &low);
        EXPECT_EQ(m.findById(0x100u), &high);
        EXPECT_EQ(m.findById(0x10000u), nullptr);
    }
    // A class registered later is found, and the array is built anew.
    m.add(&late);
    EXPECT_EQ(m.findById(0x10000u), &late);
    EXPECT_EQ(m.findById(0x1u), &low);
    EXPECT_EQ(m.findByIndex(2), &late);
}
