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
        const int32_t uid = r < 4   ? next++
                            : r < 9 ? static_cast<int32_t>(1 + rng() % next)
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

// A level in play: objects come and go all the time under ever new UIDs
// while fewer than 32 live at once, a few of them for long (so that new
// UIDs meet them in the table). Counted, not timed: every lookup (of a
// live UID, of one just deleted, of the next to come) and every insert
// looks at a few slots, however long the churn goes on.
TEST(UidMap, ChurnWithASmallLiveSetKeepsEveryProbeShort) {
    UidMap map;
    std::mt19937 rng(3);
    auto object = [](int32_t uid) { return reinterpret_cast<ZubBase*>(static_cast<uintptr_t>(uid) * 16); };
    std::vector<int32_t> lasting, passing;  // a few that stay long, the rest
    int32_t next = 2;
    size_t longest = 0, total = 0, lookups = 0;
    auto look = [&](int32_t uid) {
        const size_t n = map.probes(uid);
        longest = std::max(longest, n);
        total += n;
        ++lookups;
    };
    auto spawn = [&](std::vector<int32_t>& into) {
        // The insert looks where a lookup of the new UID would.
        look(next);
        ASSERT_TRUE(map.emplace(next, object(next)).second);
        into.push_back(next++);
    };
    auto remove = [&](std::vector<int32_t>& from, size_t at) {
        const int32_t gone = from[at];
        from.erase(from.begin() + static_cast<std::ptrdiff_t>(at));
        ASSERT_EQ(map.erase(gone), 1u);
        look(gone);
        ASSERT_EQ(map.get(gone), nullptr);
    };
    for (int pair = 0; pair < 100000; ++pair) {
        if (pair % 2500 == 0) {
            // Now and then one of the lasting objects goes and another comes.
            if (lasting.size() >= 4) remove(lasting, rng() % lasting.size());
            spawn(lasting);
        } else {
            spawn(passing);
        }
        // Mostly one of the oldest goes, now and then any.
        if (passing.size() >= 27) remove(passing, rng() % 4 == 0 ? rng() % passing.size() : rng() % 3);
        const std::vector<int32_t>& some = passing.empty() || rng() % 8 == 0 ? lasting : passing;
        const int32_t uid = some[rng() % some.size()];
        look(uid);
        ASSERT_EQ(map.get(uid), object(uid));
        ASSERT_LT(map.size(), 32u);
        if (HasFatalFailure()) return;
    }
    // (Erased slots left marked made some 7 slots the mean and 55 the most.)
    EXPECT_LE(longest, 8u);
    const double mean = static_cast<double>(total) / static_cast<double>(lookups);
    EXPECT_LT(mean, 1.5);
    std::printf("probes: longest %zu, mean %.3f over %zu lookups\n", longest, mean, lookups);
}

}  // namespace

// A level's objects: tens of thousands of UIDs in sequence. Each stands in
// the slot its UID names, so that finding any of them looks at one slot
// however far the table has grown, and the table is no more than twice as
// large as it must be.
TEST(UidMap, UidsInSequenceEachTakeTheirOwnSlot) {
    UidMap map;
    auto object = [](int32_t uid) { return reinterpret_cast<ZubBase*>(static_cast<uintptr_t>(uid) * 16); };
    constexpr int32_t kFirst = 2, kCount = 80000;
    for (int32_t uid = kFirst; uid < kFirst + kCount; ++uid) {
        ASSERT_TRUE(map.emplace(uid, object(uid)).second);
        if (uid % 997 == 0) {
            for (int32_t seen = kFirst; seen <= uid; seen += 61) ASSERT_EQ(map.probes(seen), 1u) << seen << " " << uid;
        }
    }
    EXPECT_EQ(map.size(), static_cast<size_t>(kCount));
    // At most half of the slots free: no more fresh memory than that.
    EXPECT_GE(map.bucket_count(), 2 * map.size());
    EXPECT_LT(map.bucket_count(), 4 * map.size());
    size_t longest = 0;
    for (int32_t uid = kFirst; uid < kFirst + kCount; ++uid) {
        EXPECT_EQ(map.get(uid), object(uid));
        longest = std::max(longest, map.probes(uid));
    }
    EXPECT_EQ(longest, 1u);
    EXPECT_LE(map.probes(kFirst + kCount), 2u);
    EXPECT_EQ(map.get(kFirst + kCount), nullptr);
    EXPECT_EQ(map.ascending().size(), static_cast<size_t>(kCount));
}
