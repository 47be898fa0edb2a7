// The apple index against a walk over the whole apple list: for any reach it
// offers, in list order, every apple the walk's test would take, and it
// follows apples that move, come and go.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestLevel.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"

using leveltest::TestLevel;

namespace {

struct AppleIndexTest : testing::Test {
    TestLevel level;
    uint32_t seed = 12345;

    float uniform(float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
    }
    Apple* apple(float x, float y) { return level.spawn<Apple>(V3(x, y, 0.0f), level.appleList); }

    // What the index offers for [left, right], filtered by `test`, against
    // the same test over the whole list.
    template <class Test>
    void expectSameAsWalk(float left, float right, Test&& test) {
        std::vector<Apple*> walked, indexed;
        for (Apple* a : childrenOf<Apple>(level.appleList))
            if (test(a)) walked.push_back(a);
        for (Apple* a : AppleIndex::Near(level.appleList, left, right))
            if (test(a)) indexed.push_back(a);
        EXPECT_EQ(indexed, walked) << left << " .. " << right;
    }
    // A probe at (x, y) with radius r: the touching test of animals and
    // baskets, and the points within r of it.
    void probe(float x, float y, float r) {
        Renderable body;
        body.position = V3(x, y, 0.0f);
        body.boundingCentre = body.position;
        body.boundingRadius = r;
        expectSameAsWalk(x - r, x + r, [&](Apple* a) { return body.collide(a); });
        expectSameAsWalk(x - r, x + r, [&](Apple* a) {
            return body.isPointInsideCollisionBounds(a->position.x, a->position.y, 0.0f);
        });
        expectSameAsWalk(x - r, x + r,
                         [&](Apple* a) { return V3::distanceSquared(a->position, body.position) <= r * r; });
    }
};

}  // namespace

TEST_F(AppleIndexTest, ItOffersInListOrderEveryAppleAWalkWouldTakeAndFollowsMovesAndChanges) {
    std::vector<Apple*> apples;
    for (int i = 0; i < 120; ++i) apples.push_back(apple(uniform(-3000.0f, 3000.0f), uniform(0.0f, 800.0f)));
    // Some in one place: the list order decides among them.
    for (int i = 0; i < 5; ++i) apples.push_back(apple(100.0f, 200.0f));
    apples[7]->setScale(Apple::SUPER_SCALE);
    for (int i = 0; i < 200; ++i) probe(uniform(-3200.0f, 3200.0f), uniform(0.0f, 800.0f), uniform(0.0f, 450.0f));
    probe(100.0f, 200.0f, 0.0f);
    probe(100.0f, 200.0f, 5.0f);

    // Asked again with nothing changed, the index is not made again.
    const uint64_t made = AppleIndex::builds();
    probe(0.0f, 0.0f, 300.0f);
    EXPECT_EQ(AppleIndex::builds(), made);

    // Apples move: the index answers where they are now.
    apples[3]->setPosition(V3(-2500.0f, 50.0f, 0.0f));
    apples[90]->setPosition(V3(2500.0f, 60.0f, 0.0f));
    probe(-2500.0f, 50.0f, 10.0f);
    probe(2500.0f, 60.0f, 10.0f);
    EXPECT_GT(AppleIndex::builds(), made);
    // Apples come and go.
    Apple* late = apple(-2500.0f, 55.0f);
    probe(-2500.0f, 50.0f, 10.0f);
    level.appleList->removeChild(apples[3]);
    deleteObject(apples[3]);
    probe(-2500.0f, 50.0f, 10.0f);
    late->destroy();
    for (int i = 0; i < 50; ++i) probe(uniform(-3200.0f, 3200.0f), uniform(0.0f, 800.0f), uniform(0.0f, 450.0f));
}

TEST_F(AppleIndexTest, ApplesOfAnotherClassAndAListWithoutApplesAreLeftOut) {
    EXPECT_EQ(AppleIndex::Near(level.appleList, -1e6f, 1e6f).size(), 0);
    EXPECT_EQ(AppleIndex::Near(nullptr, -1e6f, 1e6f).size(), 0);
    level.appleList->addChild(new ZubBase);
    Apple* a = apple(0.0f, 100.0f);
    AppleIndex::Near near(level.appleList, -10.0f, 10.0f);
    ASSERT_EQ(near.size(), 1);
    EXPECT_EQ(*near.begin(), a);
    // More matches than the index keeps on the stack.
    for (int i = 0; i < 40; ++i) apple(static_cast<float>(i), 100.0f);
    expectSameAsWalk(-100.0f, 100.0f, [](Apple*) { return true; });
}
