// Every registered class of placed level objects, made the way a level makes
// it (registered, constructed, post-replicated beside a hero and a house),
// written to a level packet and replayed by a fresh level: each object's
// body comes back byte for byte, and its editor copy carries the same
// properties. A new level-object class is checked here without a line of
// its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "TestLevel.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RuntimeClass.h"

using leveltest::TestLevel;

namespace {

std::vector<uint8_t> bytesOf(const Packet& p) { return std::vector<uint8_t>(p.data(), p.data() + p.length()); }

std::vector<uint8_t> bodyOf(ZubBase* o) {
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 1 << 22);
    o->netSerialize(p);
    return bytesOf(p);
}

// The text of every property that holds a value (object references name
// other objects, which a copy has of its own), sub-objects opened.
void valueLines(const Property* container, const std::string& path, std::vector<std::string>& out) {
    for (const Property* p : childrenOf<Property>(container)) {
        const std::string here = path + "." + wideToNarrow(WString(p->getName()));
        if (p->getName() == u"objectUID" || zub_cast<PropertyPointer>(p) || zub_cast<PropertyReferenceBase>(p) ||
            zub_cast<PropertyRPCBase>(p))
            continue;
        if (const PropertySubObject* sub = zub_cast<PropertySubObject>(p)) {
            PropertyContainer* inner = sub->object->createPropertyContainer();
            valueLines(inner, here, out);
            deleteObject(inner);
        } else if (p->firstChild) {
            valueLines(p, here, out);
        } else {
            out.push_back(here + "=" + wideToNarrow(p->toString()));
        }
    }
}

std::vector<std::string> valuesOf(ZubBase* o) {
    std::vector<std::string> out;
    PropertyContainer* c = o->createPropertyContainer();
    valueLines(c, "", out);
    deleteObject(c);
    return out;
}

// The level's own objects (root, lists, hero, house): the same UIDs in
// every TestLevel made the same way.
void populate(TestLevel& level) {
    level.floor(-2000.0f, 2000.0f, 0.0f);
    level.spawnHouse(V3(300.0f, 0.0f, 0.0f));
    level.spawnHero(V3(0.0f, 10.0f, 0.0f));
}

std::vector<const RuntimeClass*> placedClasses() {
    std::vector<const RuntimeClass*> out;
    for (const RuntimeClass* c : RuntimeClassManager::getInstance().classArray)
        if (c->createFn && c->isDerivedFrom(&A99Object::classRecord)) out.push_back(c);
    return out;
}

}  // namespace

TEST(LevelObjectClasses, EveryPlacedClassReplaysAndDuplicates) {
    RuntimeClassManager::getInstance().buildClassArray();
    ASSERT_FALSE(RuntimeClassManager::getInstance().bBadClasses);
    const std::vector<const RuntimeClass*> classes = placedClasses();
    ASSERT_GE(classes.size(), 10u);
    for (const RuntimeClass* cls : classes) {
        SCOPED_TRACE(cls->getTypeName());
        Packet level(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 1 << 22);
        std::map<int32_t, std::vector<uint8_t>> bodies;
        {
            TestLevel a;
            populate(a);
            const int32_t before = a.role->objectMap.ascending().back();
            auto* o = zub_cast<A99Object>(static_cast<ZubBase*>(cls->create()));
            ASSERT_NE(o, nullptr);
            a.role->registerObject(o, 0);
            o->setPosition(120.0f, 40.0f, 0.0f);
            a.objectList->addChild(o);
            o->construct();
            o->netPostReplicate();
            a.drain();
            std::vector<int32_t> uids;
            for (int32_t uid : a.role->objectMap.ascending())
                if (uid > before) uids.push_back(uid);
            for (int32_t uid : uids) {
                uint8_t code = NetRole::SPAWNNAMED;
                level.doBits(code, 2);
                const RuntimeClass* c = a.role->findObjectOrNull(uid)->getClass();
                level.doClassID(c);
                level.doUInt(uid);
            }
            for (int32_t uid : uids) {
                uint8_t code = NetRole::COPYOBJ;
                level.doBits(code, 2);
                level.doUInt(uid);
                ZubBase* x = a.role->findObjectOrNull(uid);
                x->netSerialize(level);
                bodies[uid] = bodyOf(x);
            }
            ASSERT_FALSE(level.failed());
        }
        TestLevel b;
        populate(b);
        Packet replay(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, level.length());
        replay.writeBytes(level.data(), level.length());
        replay.rewindToRead();
        ASSERT_TRUE(b.role->processPacket(replay));
        b.role->postReplicateAll();
        b.drain();
        A99Object* copyOfClass = nullptr;
        for (const auto& [uid, body] : bodies) {
            ZubBase* x = b.role->findObjectOrNull(uid);
            ASSERT_NE(x, nullptr) << uid;
            EXPECT_EQ(bodyOf(x), body) << "UID " << uid << " " << x->getClass()->getTypeName();
            if (x->getClass() == cls && !copyOfClass) copyOfClass = zub_cast<A99Object>(x);
        }
        ASSERT_NE(copyOfClass, nullptr);
        EditorObject* duplicate = copyOfClass->duplicate();
        ASSERT_NE(duplicate, nullptr);
        EXPECT_EQ(duplicate->getClass(), cls);
        EXPECT_EQ(valuesOf(duplicate), valuesOf(copyOfClass));
        if (duplicate->parent) duplicate->parent->removeChild(duplicate);
        deleteObject(duplicate);
    }
}
