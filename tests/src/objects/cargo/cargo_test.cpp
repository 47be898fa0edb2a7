// Cargo lying, carried and lost in a test level; the pig is placed by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "TestLevel.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/pig/Pig.h"
#include "text/FloatingText.h"
#include "text/FontQuad.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"

namespace {

V3 at(float x, float y) { return V3(x, y, 0.0f); }

struct CargoTest : ::testing::Test {
    leveltest::TestLevel level;
    int priority = 0;
    float distance = 0.0f;
    CargoTest() { level.playingArea.bottom = -1000.0f; }
    template <class T = Cargo>
    T* drop(const V3& p, float hitSpeed = 0.0f) {  // hits what lies just below at hitSpeed
        T* c = level.spawn<T>(p, level.cargoList);
        if (hitSpeed > 0.0f) c->velocity = at(0.0f, -hitSpeed - Cargo::GRAVITY * static_cast<float>(level.DT));
        return c;
    }
    static bool restsNear(Cargo* c, const V3& p) {
        return c->getGround() && V3::isWithinDistance(c->physPoint.position, p, 0.5f);
    }
    bool offered(Cargo* c, const V3& touch) { return c->queryHeroPrompt(touch, &priority, &distance); }
};

}  // namespace

TEST_F(CargoTest, BounceSpeeds) {
    const float tilt = std::tan(0.3f);  // gentle
    level.staticHull({at(-500.0f, -500.0f * tilt), at(500.0f, 500.0f * tilt)});
    level.floor(400.0f, 600.0f, -300.0f);
    Cargo* at50 = drop(at(-100.0f, -100.0f * tilt + 0.2f), 50.0f);
    Cargo* below50 = drop(at(100.0f, 100.0f * tilt + 0.2f), 49.9f);
    Cargo* fast = drop(at(500.0f, -299.0f), 2000.0f);
    ASSERT_EQ(at50->velocity.y + Cargo::GRAVITY * static_cast<float>(level.DT), -50.0f);
    level.step();
    EXPECT_EQ(at50->getGround(), nullptr);
    EXPECT_NEAR(at50->velocity.length(), 50.0f * Cargo::BOUNCE, 1e-3f);
    EXPECT_NE(below50->getGround(), nullptr);
    EXPECT_NEAR(fast->velocity.y, Cargo::MAX_SPEED * Cargo::BOUNCE, 0.5f);  // counted as 1024
}

TEST_F(CargoTest, BouncesToRestThenRidesMovingGroundUntilItTurnsSteep) {
    A99Object* platform = zub_cast<A99Object>(level.floor(-100.0f, 100.0f, 0.0f)->pRef.get());
    Cargo* c = drop(at(0.0f, 300.0f));
    bool bounced = false;
    ASSERT_TRUE(level.stepUntil([&] { return (bounced |= c->velocity.y > 100.0f), c->getGround() != nullptr; }, 500));
    EXPECT_TRUE(bounced);
    for (int i = 1; i <= 50; ++i, level.step()) platform->setPosition(2.0f * i, static_cast<float>(i), 0.0f);
    EXPECT_TRUE(restsNear(c, at(100.0f, 50.0f)));
    platform->setRotation(0.0f, 0.0f, 0.7f);
    level.step(20);
    EXPECT_TRUE(restsNear(c, at(100.0f, 50.0f)));
    platform->setRotation(0.0f, 0.0f, -0.8f);
    level.step(40);
    EXPECT_EQ(c->getGround(), nullptr);
    EXPECT_GT(c->physPoint.position.x, 110.0f);  // slid down
}

TEST_F(CargoTest, ACarriedToolGlidesIntoTheGripAndTurnsWithTheHero) {
    level.floor(-500.0f, 500.0f, 10.0f);
    Pig* pig = level.spawnHero(at(0.0f, 11.0f));
    pig->carryScale = 0.5f;  // nearing the house
    Cargo* tool = drop<WingedHat>(at(200.0f, 10.0f));
    level.step(5);  // she stands
    // The grip in her frame as she stands now.
    auto grip = [&] {
        V3 g;
        pig->localToWorld(g, tool->physPointOffset + tool->carriedOffset * 0.5f);
        return g;
    };
    tool->setCarriedBy(pig);
    EXPECT_EQ(tool->getProxy()->prevSibling, pig->getProxy());  // drawn in front of her
    level.step();
    EXPECT_GT(tool->position.x, 150.0f);  // on its way
    level.step(30);
    EXPECT_TRUE(V3::isWithinDistance(tool->position, grip(), 1e-3f));
    // Facing left after a somersault and a bit.
    level.tapControl(GameConfiguration::CONTROL_LEFT, level.frame);
    pig->roll.setImmediate(7.0f);
    level.step(30);
    ASSERT_EQ(pig->scale.x, -1.0f);
    EXPECT_TRUE(V3::isWithinDistance(tool->position, grip(), 1e-3f));
    EXPECT_EQ(tool->scale.x, -1.0f);
    EXPECT_NEAR(tool->rotation.z, 7.0f - kTwoPi, 1e-4f);  // the short way round
}

TEST_F(CargoTest, DroppedIntoAWallStaysOnTheHerosSide) {
    level.floor(-500.0f, 500.0f, 0.0f);
    level.staticHull({at(-4.0f, 200.0f), at(-4.0f, -100.0f)});  // faces the hero
    Pig* pig = level.spawnHero(at(0.0f, 10.0f));
    Umbrella* u = drop<Umbrella>(at(100.0f, 0.0f));
    u->velocity = at(500.0f, 0.0f);  // caught in flight
    u->setCarriedBy(pig);
    level.step();
    ASSERT_LT(u->physPoint.position.x, -4.0f);  // the grip lies behind the wall
    u->setCarriedBy(nullptr);
    EXPECT_NEAR(u->physPoint.position.x, -4.0f, 1e-3f);
    level.step(200);
    EXPECT_TRUE(restsNear(u, at(-4.0f, 0.0f)));
}

TEST_F(CargoTest, LostCargoReturnsButFlyingThroughAcidDoesNot) {
    level.floor(-100.0f, 1000.0f, 0.0f);
    level.area(AREA_ACID, at(300.0f, 0.0f), 100.0f);
    level.area(AREA_ACID, at(700.0f, 200.0f), 100.0f);
    Cargo* intoAcid = drop(at(0.0f, 20.0f));
    Cargo* intoPit = drop(at(50.0f, 20.0f));
    Cargo* through = drop(at(700.0f, 400.0f));
    intoAcid->physPoint.setPositionAndStop(300.0f, 20.0f, 0.0f);
    intoPit->physPoint.setPositionAndStop(-300.0f, 20.0f, 0.0f);  // nothing below
    level.step(300);
    EXPECT_TRUE(restsNear(intoAcid, at(0.0f, 0.0f)));
    EXPECT_TRUE(restsNear(intoPit, at(50.0f, 0.0f)));
    EXPECT_TRUE(restsNear(through, at(700.0f, 0.0f)));
}

// A touch on the cargo offers it while the hero stands within twice her
// bounding radius, else says she is too far (keys: see the pig's carrying).
TEST_F(CargoTest, PromptByTouch) {
    Pig* pig = level.spawnHero(at(300.0f, 11.0f));
    Umbrella* u = drop<Umbrella>(at(30.0f, 50.0f));
    const float reach = 2.0f * pig->boundingRadius;
    level.input->inputMode = ZubInput::MODE_TOUCH;
    pig->position = u->position + at(reach + 10.0f, 0.0f);
    EXPECT_FALSE(offered(u, u->boundingCentre));
    EXPECT_EQ(level.fgEffectsList->firstChild, nullptr);  // without the font, no notice
    FontQuad font;
    level.resources.addResource(u"fontSmallOutline", &font);
    EXPECT_FALSE(offered(u, u->boundingCentre));
    EXPECT_FALSE(offered(u, u->boundingCentre + at(2.0f * u->effectiveRadius(), 0.0f)));  // a touch elsewhere
    auto* notice = zub_cast<FloatingText>(level.fgEffectsList->firstChild);
    ASSERT_TRUE(notice && !notice->nextSibling);
    EXPECT_EQ(notice->text, u"TOO FAR AWAY");
    pig->position = u->position + at(reach - 10.0f, 0.0f);
    EXPECT_TRUE(offered(u, u->boundingCentre + at(5.0f, 0.0f)));
    EXPECT_EQ(priority, Cargo::PROMPT_PRIORITY);
    EXPECT_NEAR(distance, 5.0f, 1e-4f);
    u->setCarriedBy(pig);
    EXPECT_FALSE(offered(u, u->boundingCentre));  // held, not offered
}
