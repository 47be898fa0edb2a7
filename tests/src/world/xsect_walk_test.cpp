// How a sweep walks a hull's segments when its chain and its index differ:
// after an editor deletion the chain is what counts.
#include <gtest/gtest.h>

#include "world/Terrain.h"
#include "world/Xsect.h"
#include "world_test_support.h"

// Deleting point 32 of a terrain cuts its chain there (the segments on
// either side go) while the index of the remaining segments runs on. A sweep
// over point 30 lists the segments from the first under its reach (27) along
// the chain up to the cut (30), and none beyond it.
TEST(XsectWalk, TerrainChainCutByADeletionEndsTheWalk) {
    worldtest::TestWorld world;
    Terrain* terrain = world.place<Terrain>();
    terrain->construct(64, 16);
    Hull* hull = terrain->getHull();
    HullSegment* beyond = hull->getSegment(33);
    hull->deleteVertex(hull->vertexAt(32));
    V3 p;
    terrain->getHeightPoint(&p, 0, 30);
    Xsect x(p + V3(0, 30, 0), p + V3(0, 20, 0), 3);
    x.considerHulls();
    EXPECT_EQ(x.listedSegments(), 4);
    EXPECT_TRUE(x.holds(hull->getSegment(30)));
    EXPECT_EQ(hull->getSegment(30)->next(), nullptr);
    EXPECT_FALSE(x.holds(beyond));
}
