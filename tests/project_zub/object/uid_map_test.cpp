#include <gtest/gtest.h>

#include <map>
#include <random>

#include "object/UidMap.h"

namespace {

// Random registrations and removals, mostly of UIDs in sequence as a role
// hands them out, against std::map: lookups, size, the elements and the
// ascending order must agree at every point.
TEST(UidMap, AgreesWithAnOrderedMapUnderRandomChanges) {
    UidMap map;
    std::map<int32_t, ZubBase*> model;
    std::mt19937 rng(11);
    int32_t next = 2;
    // Stand-ins for objects: the map only stores and compares them.
    auto object = [](int32_t uid) { return reinterpret_cast<ZubBase*>(static_cast<uintptr_t>(uid) * 16); };
    for (int step = 0; step < 30000; ++step) {
        const uint32_t r = rng() % 10;
        // Mostly the next UID or a known one, now and then any number.
        const int32_t uid = r < 4 ? next++ : r < 9 ? static_cast<int32_t>(1 + rng() % next)
                                                   : static_cast<int32_t>(rng());
        if (r < 6 || r == 9) {
            const bool added = map.emplace(uid, object(uid)).second;
            EXPECT_EQ(added, uid > 0 && model.emplace(uid, object(uid)).second) << uid;
        } else {
            EXPECT_EQ(map.erase(uid), model.erase(uid)) << uid;
        }
        const int32_t probe = static_cast<int32_t>(1 + rng() % next);
        EXPECT_EQ(map.get(probe), model.count(probe) ? model[probe] : nullptr) << probe;
        ASSERT_EQ(map.size(), model.size());
        if (step % 997 == 0) {
            std::vector<int32_t> keys;
            for (const auto& e : model) keys.push_back(e.first);
            EXPECT_EQ(map.ascending(), keys);
            std::map<int32_t, ZubBase*> seen;
            for (const auto& e : map) seen.emplace(e.first, e.second);
            EXPECT_EQ(seen, model);
        }
    }
    map.clear();
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.get(2), nullptr);
    EXPECT_TRUE(map.ascending().empty());
}

}  // namespace
