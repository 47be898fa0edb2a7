// The hull list's index: for queries all over a level that changes (owners
// moving, jumping, mirrored and scaled, hulls growing, going, joining out of
// order), every hull the solver's reach test accepts is a candidate, and the
// candidates come in list order.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "world/HullList.h"
#include "world/Terrain.h"
#include "world_test_support.h"

using worldtest::TestWorld;

namespace {

// The solver's reach test (Xsect::considerHull).
bool inReach(Hull* h, const V3& p, float margin) {
    A99Object* o = h->owner();
    if (!o) return false;
    const float s = std::fmax(std::fabs(o->scale.x), std::fabs(o->scale.y));
    const V3 c = o->movedThisFrame() ? o->prevWorldPosition : o->boundingCentre;
    const float reach = h->boundingRadius * s + margin;
    return V3::distanceSquared(p, c) <= reach * reach;
}

void expectComplete(TestWorld& world, std::mt19937& rng) {
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    for (int q = 0; q < 400; ++q) {
        const V3 p(-3500.0f + 7000.0f * u(rng), -1500.0f + 5000.0f * u(rng), 0.0f);
        const float margin = 8.0f + 60.0f * u(rng);
        std::vector<Hull*> expected, list;
        for (ZubBase* c = world.hullList->firstChild; c; c = c->nextSibling) {
            list.push_back(static_cast<Hull*>(c));
            if (inReach(list.back(), p, margin)) expected.push_back(list.back());
        }
        int n = 0;
        Hull* const* got = world.hullList->candidates(p, margin, &n);
        std::vector<Hull*> passing;
        size_t at = 0;
        for (int i = 0; i < n; ++i) {
            while (at < list.size() && list[at] != got[i]) ++at;
            ASSERT_LT(at, list.size()) << "a candidate out of list order";
            if (inReach(got[i], p, margin)) passing.push_back(got[i]);
        }
        ASSERT_EQ(passing, expected) << "query at (" << p.x << ", " << p.y << ") reach " << margin;
    }
}

}  // namespace

TEST(HullListIndex, CandidatesHoldEveryHullInReachInListOrder) {
    TestWorld world;
    std::mt19937 rng(3u);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    world.place<Terrain>(V3(0, -1000, 0))->construct(64, 64);
    std::vector<A99Object*> owners;
    auto addRock = [&]() {
        A99Object* o = world.place<A99Object>(V3(-3000.0f + 6000.0f * u(rng), -1000.0f + 4000.0f * u(rng), 0));
        const float r = 5.0f + 150.0f * u(rng);
        world.makeHull(o, {{-r, 0, 0}, {0, r, 0}, {r, 0, 0}, {0, -r, 0}}, true);
        o->setRotation(0, 0, 6.0f * u(rng));
        owners.push_back(o);
    };
    for (int i = 0; i < 80; ++i) addRock();
    world.setFrame(2);
    expectComplete(world, rng);
    EXPECT_TRUE(world.hullList->usesGrid());

    // Moves in a new frame (the test is centred where the owners were),
    // jumps across the level, mirrors, growth.
    world.setFrame(3);
    for (size_t i = 0; i < owners.size(); i += 3) owners[i]->setPosition(owners[i]->position + V3(40, -25, 0));
    for (size_t i = 1; i < owners.size(); i += 7) owners[i]->setPosition(V3(3000.0f * u(rng), 2500, 0));
    for (size_t i = 2; i < owners.size(); i += 5)
        owners[i]->setScale(i % 2 ? -2.0f : 0.5f, i % 2 ? -0.5f : -2.0f, 1.0f);
    for (size_t i = 4; i < owners.size(); i += 9) owners[i]->getHull()->addHullPoint(400, 300, 0, true);
    expectComplete(world, rng);
    world.setFrame(4);
    expectComplete(world, rng);

    // Hulls going (deleted, or flagged with their owners), more joining.
    for (size_t i = 0; i < owners.size(); i += 2) owners[i]->deleteHull();
    for (size_t i = 29; i >= 1 && i < 30; i -= 4) {
        owners[i]->destroy();
        owners.erase(owners.begin() + static_cast<long>(i));
    }
    for (int i = 0; i < 40; ++i) addRock();
    world.setFrame(5);
    expectComplete(world, rng);
    world.hullList->tick(0.0, 0.01);  // the destroying walk

    // A hull put back at the front without addChild is indexed by the tick.
    Hull* moved = owners.back()->getHull();
    world.hullList->removeChild(moved);
    world.hullList->insertChildBefore(moved, world.hullList->firstChild);
    world.hullList->tick(0.0, 0.01);
    expectComplete(world, rng);

    // Down to a few: the holes are squeezed out and the list is scanned.
    for (A99Object* o : owners)
        if (o->getHull() && world.hullList->indexedHulls() > 12) o->deleteHull();
    EXPECT_FALSE(world.hullList->usesGrid());
    expectComplete(world, rng);
}
