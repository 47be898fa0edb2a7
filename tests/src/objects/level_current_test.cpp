// Level::current answers for the world that is current at the moment it is
// asked, however often it is asked in between: after a level is made
// current, after another one, after the inner one goes, and with none.
#include <gtest/gtest.h>

#include <memory>

#include "TestLevel.h"
#include "objects/Level.h"

using leveltest::TestLevel;

TEST(LevelCurrent, FollowsEveryChangeOfTheCurrentWorld) {
    GameWorld* const outside = GameWorld::current();
    {
        TestLevel first;
        EXPECT_EQ(Level::current(), &first);
        EXPECT_EQ(Level::current(), &first);  // asked again, unchanged
        {
            auto second = std::make_unique<TestLevel>();
            EXPECT_EQ(Level::current(), second.get());
            GameWorld::setCurrent(&first);
            EXPECT_EQ(Level::current(), &first);
            GameWorld::setCurrent(second.get());
            EXPECT_EQ(Level::current(), second.get());
            GameWorld::setCurrent(nullptr);
            EXPECT_EQ(Level::current(), nullptr);
            GameWorld::setCurrent(second.get());
            EXPECT_EQ(Level::current(), second.get());
        }
        // The second level gave the first back as it went.
        EXPECT_EQ(Level::current(), &first);
        // A level made again at the address of one that went is found as itself.
        auto third = std::make_unique<TestLevel>();
        EXPECT_EQ(Level::current(), third.get());
        third.reset();
        EXPECT_EQ(Level::current(), &first);
    }
    EXPECT_EQ(GameWorld::current(), outside);
    EXPECT_EQ(Level::current(), outside ? dynamic_cast<Level*>(outside) : nullptr);
}
