// The current-role guard: the role before it comes back however the scope
// ends, except a role that was about to go away.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "net/CurrentRole.h"

namespace {

// The role current inside `work` is `inside`; returns early when `early`.
NetRole* runAs(NetRole* inside, bool early, NetRole*& seen) {
    CurrentRole current(inside);
    seen = THEROLE;
    if (early) return THEROLE;
    throw std::runtime_error("fails");
}

// Tags only: the guard neither reads nor writes a role.
NetRole* fakeRole(int n) { return reinterpret_cast<NetRole*>(static_cast<uintptr_t>(0x1000 * n)); }

}  // namespace

TEST(CurrentRole, PutsThePreviousRoleBackAfterAReturnAnExceptionAndNesting) {
    NetRole* const outer = fakeRole(1);
    NetRole* const inner = fakeRole(2);
    THEROLE = outer;
    NetRole* seen = nullptr;
    EXPECT_EQ(runAs(inner, true, seen), inner);
    EXPECT_EQ(seen, inner);
    EXPECT_EQ(THEROLE, outer);
    EXPECT_THROW(runAs(nullptr, false, seen), std::runtime_error);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(THEROLE, outer);
    {
        CurrentRole a(inner);
        {
            CurrentRole b(nullptr);
            EXPECT_EQ(THEROLE, nullptr);
            EXPECT_EQ(b.previous(), inner);
        }
        EXPECT_EQ(THEROLE, inner);
        // Keeping the current role: whatever is made current inside goes.
        CurrentRole keep;
        THEROLE = outer;
    }
    EXPECT_EQ(THEROLE, outer);
    THEROLE = nullptr;
}

TEST(CurrentRole, ARoleOnItsWayOutIsNotPutBack) {
    NetRole* const leaving = fakeRole(3);
    NetRole* const other = fakeRole(4);
    THEROLE = leaving;
    {
        CurrentRole current(other, leaving);
        EXPECT_EQ(THEROLE, other);
    }
    EXPECT_EQ(THEROLE, nullptr);
    // Another role current than the one leaving comes back.
    THEROLE = other;
    {
        CurrentRole current(leaving, leaving);
        EXPECT_EQ(THEROLE, leaving);
    }
    EXPECT_EQ(THEROLE, other);
    THEROLE = nullptr;
}
