// Level objects sort themselves into the list they name when they are set
// up, whoever spawns them: in play (spawned into no list, or into the object
// list) and when a level file is replayed, whatever the order of the
// objects' and the lists' bodies in the file. A blastable object that its
// level left in the object list, or in no list, is thrown by an explosion.
#include <gtest/gtest.h>

#include <vector>

#include "TestLevel.h"
#include "net/Packet.h"
#include "objects/areas/Area.h"
#include "objects/hints/Hints.h"
#include "objects/machines/Blast.h"

using leveltest::TestLevel;

namespace {

// The level file of the objects `source` made after UID `before`, as a
// builder that took no care of lists left them, and of its object list: the
// objects created under their UIDs, then the bodies in ascending UIDs, or
// with the object list's body last.
std::vector<uint8_t> levelFile(TestLevel& source, int32_t before, bool listLast) {
    std::vector<int32_t> uids;
    for (int32_t uid : source.role->objectMap.ascending())
        if (uid > before) uids.push_back(uid);
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 1 << 20);
    for (int32_t uid : uids) {
        uint8_t code = NetRole::SPAWNNAMED;
        p.doBits(code, 2);
        const RuntimeClass* c = source.role->findObjectOrNull(uid)->getClass();
        p.doClassID(c);
        p.doUInt(uid);
    }
    std::vector<int32_t> bodies = uids;
    const int32_t list = source.objectList->objectUID;
    bodies.insert(listLast ? bodies.end() : bodies.begin(), list);
    for (int32_t uid : bodies) {
        uint8_t code = NetRole::COPYOBJ;
        p.doBits(code, 2);
        p.doUInt(uid);
        source.role->findObjectOrNull(uid)->netSerialize(p);
    }
    EXPECT_FALSE(p.failed());
    return std::vector<uint8_t>(p.data(), p.data() + p.length());
}

void replay(TestLevel& level, const std::vector<uint8_t>& file) {
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, static_cast<int>(file.size()));
    p.writeBytes(file.data(), static_cast<int>(file.size()));
    p.rewindToRead();
    ASSERT_TRUE(level.role->processPacket(p));
    level.role->postReplicateAll();
    level.drain();
}

}  // namespace

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
            file = levelFile(builder, before, listLast);
        }
        TestLevel level;
        replay(level, file);
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
