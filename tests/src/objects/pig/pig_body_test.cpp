// The pig's body as drawn: the piglets' looks, the chef's hat, flashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestLevel.h"
#include "objects/pig/Pig.h"
#include "world/EditorProxy.h"

using leveltest::TestLevel;

namespace {

// The device's draw calls for one drawing of the body.
int drawsOf(TestLevel& level, PigBody* body) {
    platform::NullRenderDevice* device = level.enableGraphics();
    const int before = device->drawCount;
    body->renderObject();
    return device->drawCount - before;
}

TEST(PigBody, PigletsAreSmallerQuickerAndWithoutMouthOrHat) {
    TestLevel level;
    level.levelNumber = 31;  // the pig wears her chef's hat
    Pig* pig = level.spawnHero(V3());
    PigBody* piglet = new PigBody();
    level.role->registerObject(piglet, 0);
    level.pigletList->addChild(piglet);
    piglet->construct();
    piglet->setPigletCount(3);
    int proxies = 0;
    for (EditorProxy* p : childrenOf<EditorProxy>(level.proxyList)) proxies += p->getOwner() == piglet;
    EXPECT_EQ(proxies, 1);

    pig->bWalking = piglet->bWalking = true;
    double time = 0.0;
    for (int i = 0; i < 25; ++i, time += TestLevel::DT) {
        pig->updateParts(time, TestLevel::DT);
        piglet->updateParts(time, TestLevel::DT);
    }
    EXPECT_EQ(piglet->walkBlend, 1.0f);
    EXPECT_NEAR(pig->walkBlend, 0.5f, 1e-3f);
    EXPECT_NEAR(piglet->scale.x, 0.6f, 1e-4f);
    EXPECT_NEAR(piglet->scale.y, 0.6f, 1e-4f);
    EXPECT_EQ(drawsOf(level, pig), 11);
    EXPECT_EQ(drawsOf(level, piglet), 9);

    // A type-3 piglet looks over half the range only and opens its lids
    // halfway after a blink.
    float widest = 0.0f;
    for (int i = 0; i < 2000; ++i, time += TestLevel::DT) {
        piglet->updateParts(time, TestLevel::DT);
        widest = std::max(widest, piglet->eyeLook.value);
    }
    EXPECT_GT(widest, 0.0f);
    EXPECT_LT(widest, 0.5f);
    EXPECT_EQ(piglet->blinkValue.target, 0.5f);
}

TEST(PigBody, FlashingShowsHerInHalfOfEachTenthUntilCountedDown) {
    TestLevel level;
    level.floor(-500.0f, 500.0f, 0.0f);
    Pig* pig = level.spawnHero(V3(0.0f, 1.0f, 0.0f));
    level.step(5);
    pig->flashTime = 1.06;
    int shown = 0;
    for (int i = 0; i < 100; ++i) {
        level.step();
        shown += drawsOf(level, pig) > 0;
    }
    EXPECT_NEAR(shown, 50, 6);
    level.step(10);
    EXPECT_EQ(pig->flashTime, 0.0);
    EXPECT_EQ(drawsOf(level, pig), 10);
}

}  // namespace
