#include "LevelFile.h"

#include "object/Packet.h"

namespace leveltest {

std::vector<uint8_t> levelFileOf(TestLevel& level, int32_t after, const std::vector<ZubBase*>& first,
                                 const std::vector<ZubBase*>& last) {
    std::vector<ZubBase*> made;
    for (int32_t uid : level.role->objectMap.ascending())
        if (uid > after) made.push_back(level.role->findObjectOrNull(uid));
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 1 << 22);
    p.setErrorMode(Packet::ErrorMode::Report);
    for (ZubBase* o : made) {
        uint8_t code = NetRole::SPAWNNAMED;
        p.doBits(code, 2);
        const RuntimeClass* c = o->getClass();
        p.doClassID(c);
        int32_t uid = o->objectUID;
        p.doUInt(uid);
    }
    std::vector<ZubBase*> bodies = first;
    bodies.insert(bodies.end(), made.begin(), made.end());
    bodies.insert(bodies.end(), last.begin(), last.end());
    for (ZubBase* o : bodies) {
        uint8_t code = NetRole::COPYOBJ;
        p.doBits(code, 2);
        int32_t uid = o->objectUID;
        p.doUInt(uid);
        o->netSerialize(p);
    }
    EXPECT_FALSE(p.failed()) << wideToNarrow(p.errorText());
    return std::vector<uint8_t>(p.data(), p.data() + p.length());
}

bool replayLevelFile(TestLevel& level, const std::vector<uint8_t>& file, WString* error) {
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, static_cast<int>(file.size()));
    p.writeBytes(file.data(), static_cast<int>(file.size()));
    p.rewindToRead();
    p.setErrorMode(Packet::ErrorMode::Report);
    // As the server reads a level: nothing registers objects of its own
    // while the file is read.
    level.role->bAllowNewObjectRegistations = false;
    const bool ok = level.role->processPacket(p);
    level.role->bAllowNewObjectRegistations = true;
    if (error) *error = p.errorText();
    if (ok) level.role->postReplicateAll();
    level.drain();
    return ok;
}

}  // namespace leveltest
