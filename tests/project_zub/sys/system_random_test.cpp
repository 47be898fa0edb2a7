// The system's randomness and the process id as the engine hands them on.
#include <gtest/gtest.h>

#include <set>

#include "platform/PlatformSystem.h"
#include "sys/SystemRandom.h"

TEST(SystemRandom, GivesBytesAndWordsThatDifferAndTheProcessId) {
    uint8_t bytes[64] = {};
    ASSERT_TRUE(readSystemRandom(bytes, sizeof bytes));
    std::set<uint8_t> seen(bytes, bytes + sizeof bytes);
    EXPECT_GT(seen.size(), 16u);
    std::set<uint32_t> words;
    for (int i = 0; i < 32; ++i) words.insert(systemRandom32());
    EXPECT_GT(words.size(), 30u);
    EXPECT_EQ(processId(), platform::currentProcessId());
    EXPECT_GT(processId(), 0);
}
