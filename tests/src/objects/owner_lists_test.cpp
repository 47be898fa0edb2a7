// Level objects sort themselves into the list they name when they are set
// up, whoever spawns them: in play (spawned into no list, or into the object
// list) and when a level file is replayed, whatever the order of the
// objects' and the lists' bodies in the file. A blastable object that its
// level left in the object list, or in no list, is thrown by an explosion.
#include <gtest/gtest.h>

#include <vector>

#include "LevelFile.h"
#include "TestLevel.h"
#include "objects/areas/Area.h"
#include "objects/hints/WoodSign.h"
#include "objects/machines/BlastableObject.h"
#include "objects/machines/Explosion.h"
#include "objects/triggers/SecretArea.h"

using leveltest::TestLevel;

TEST(OwnerLists, ObjectsReplayedFromALevelFileSortThemselvesIntoTheirLists) {
    for (bool listLast : {false, true}) {
        SCOPED_TRACE(listLast ? "object list last" : "object list first");
        std::vector<uint8_t> file;
        int32_t rock = 0, loose = 0, secret = 0, water = 0;
        {
            TestLevel builder;
            const int32_t before = builder.role->objectMap.ascending().back();
            auto* r = builder.spawn<BlastableObject>(V3(100.0f, 50.0f, 0.0f), builder.objectList);
            auto* l = builder.spawn<BlastableObject>(V3(-100.0f, 50.0f, 0.0f), nullptr);
            auto* s = builder.spawn<SecretArea>(V3(500.0f, 50.0f, 0.0f), builder.objectList);
            auto* w = builder.spawn<Area>(V3(900.0f, 50.0f, 0.0f), builder.objectList);
            // Where a careless builder left them: three in the object list,
            // one in no list at all.
            for (A99Object* o : std::vector<A99Object*>{r, s, w}) builder.objectList->addChild(o);
            if (l->parent) l->parent->removeChild(l);
            rock = r->objectUID;
            loose = l->objectUID;
            secret = s->objectUID;
            water = w->objectUID;
            const std::vector<ZubBase*> list{builder.objectList};
            file = listLast ? leveltest::levelFileOf(builder, before, {}, list)
                            : leveltest::levelFileOf(builder, before, list);
        }
        TestLevel level;
        ASSERT_TRUE(leveltest::replayLevelFile(level, file));
        auto* r = zub_cast<BlastableObject>(level.role->findObjectOrNull(rock));
        auto* l = zub_cast<BlastableObject>(level.role->findObjectOrNull(loose));
        ZubBase* s = level.role->findObjectOrNull(secret);
        ZubBase* w = level.role->findObjectOrNull(water);
        ASSERT_TRUE(r && l && s && w);
        EXPECT_EQ(r->parent, level.explodableList);
        EXPECT_EQ(l->parent, level.explodableList);
        EXPECT_EQ(s->parent, level.secretList);
        EXPECT_EQ(w->parent, level.dangerAreaList);
        EXPECT_EQ(r->pOwnerList, level.explodableList);
        EXPECT_EQ(level.objectList->countChildren(), 0);
        // An explosion between them throws both.
        auto* bang = level.spawn<Explosion>(V3(0.0f, 50.0f, 0.0f), level.objectList);
        bang->explosionRadius = 150.0f;
        bang->activate();
        EXPECT_TRUE(r->bLaunched);
        EXPECT_TRUE(l->bLaunched);
    }
}

TEST(OwnerLists, ObjectsSpawnedInPlayJoinTheirListsAndStayWhereTheirMakerHungThem) {
    TestLevel level;
    auto* loose = level.spawn<BlastableObject>(V3(), nullptr);
    auto* placed = level.spawn<BlastableObject>(V3(), level.objectList);
    auto* secret = level.spawn<SecretArea>(V3(), nullptr);
    auto* plain = level.spawn<A99Object>(V3(), nullptr);
    EXPECT_EQ(loose->parent, level.explodableList);
    EXPECT_EQ(placed->parent, level.explodableList);
    EXPECT_EQ(secret->parent, level.secretList);
    EXPECT_EQ(plain->parent, level.objectList);
    EXPECT_EQ(plain->pOwnerList, level.objectList);
    // Hung on purpose somewhere other than the object list: left there, and
    // set up again it stays.
    auto* held = level.spawn<BlastableObject>(V3(), level.bgList);
    EXPECT_EQ(held->parent, level.bgList);
    EXPECT_EQ(held->pOwnerList, level.explodableList);
    loose->netPostReplicate();
    loose->netPostReplicateGlobal();
    EXPECT_EQ(loose->parent, level.explodableList);
    EXPECT_EQ(level.explodableList->countChildren(), 2);
}
