// The tick walk leaves out the children that only count their timer and
// counts their time later. These tests run two trees of the same shape side
// by side: in one the quiet objects are plain ZubBase objects, which the walk
// may leave out; in the other they are of a class that overrides tick (and
// does nothing else), which every walk visits, as the walk always did. Actors
// in both trees do the same things at the same moments; the two must agree
// on everything, bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "object/Packet.h"
#include "object/Property.h"
#include "object/ZubBase.h"

namespace {

// Visited by every walk: its class overrides tick.
class Walked : public ZubBase {
public:
    void tick(double time, double dt) override { ZubBase::tick(time, dt); }
};

// The things an actor can do from its tick, to an object picked by its
// place in the tree (the same place names the same object in both trees).
enum class Act { READ, ARM, GOTO, FLAG, ADD, REMOVE, MOVE, BODY, COUNT };

struct Twin;

class Actor : public ZubBase {
public:
    Actor(Twin* twin, uint32_t seed) : twin(twin), rng(seed) {}
    void tick(double time, double dt) override;
    Twin* twin;
    std::mt19937 rng;
};

// One of the two trees.
struct Twin {
    explicit Twin(bool plainQuiet) : plain(plainQuiet) {}
    bool plain;
    ZubBase root;
    std::vector<std::string> log;  // what the actors read, in order

    ZubBase* makeQuiet() const { return plain ? new ZubBase : new Walked; }

    // The objects below the root in the order of a walk.
    std::vector<ZubBase*> objects() {
        std::vector<ZubBase*> out;
        std::function<void(ZubBase*)> add = [&](ZubBase* o) {
            for (ZubBase* c = o->firstChild; c; c = c->nextSibling) {
                out.push_back(c);
                add(c);
            }
        };
        add(&root);
        return out;
    }
};

std::string bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return std::to_string(b);
}

void Actor::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    std::vector<ZubBase*> all = twin->objects();
    const int acts = static_cast<int>(rng() % 3);
    for (int i = 0; i < acts; ++i) {
        ZubBase* o = all[rng() % all.size()];
        const auto act = static_cast<Act>(rng() % static_cast<uint32_t>(Act::COUNT));
        const double delay = 0.01 * static_cast<double>(1 + rng() % 40);
        const int pick = static_cast<int>(rng() % all.size());
        if (o->bToBeDestroyed || o == this) continue;
        switch (act) {
            case Act::READ:
                o->settleTimers();
                twin->log.push_back(bits(o->timeInState) + " " + bits(o->stateLeft));
                break;
            case Act::ARM:
                o->gotoState(o->state + 1, delay);
                break;
            case Act::GOTO:
                o->gotoState(o->state + 1);
                break;
            case Act::FLAG:
                if (!o->isAncestorOf(this)) o->bToBeDestroyed = 1;
                break;
            case Act::ADD:
                o->addChild(twin->makeQuiet());
                break;
            case Act::REMOVE:
                if (!o->isAncestorOf(this) && o->parent) {
                    o->parent->removeChild(o);
                    deleteObject(o);
                }
                break;
            case Act::MOVE:
                // To another place, as long as that is not inside it.
                if (ZubBase* to = all[static_cast<size_t>(pick)]; to != o && !o->isAncestorOf(to))
                    to->insertChildBefore(o, to->firstChild);
                break;
            case Act::BODY: {
                Packet p(Packet::FLAG_NETWORK);
                o->netSerialize(p);
                twin->log.push_back("body of " + std::to_string(p.length()) + " bytes");
                break;
            }
            case Act::COUNT:
                break;
        }
        all = twin->objects();  // some may be gone
    }
}

// A tree of `size` objects: quiet ones under quiet ones (whole quiet
// subtrees), a few actors among them.
void grow(Twin& twin, uint32_t seed, int size) {
    std::mt19937 rng(seed);
    std::vector<ZubBase*> placed{&twin.root};
    for (int i = 0; i < size; ++i) {
        ZubBase* parent = placed[rng() % placed.size()];
        ZubBase* o = rng() % 10 == 0 ? static_cast<ZubBase*>(new Actor(&twin, rng())) : twin.makeQuiet();
        if (rng() % 6 == 0) o->gotoState(1, 0.02 * static_cast<double>(1 + rng() % 20));
        parent->addChild(o);
        placed.push_back(o);
    }
}

// Everything the walk keeps in the objects, settled, in tree order.
std::vector<std::string> dump(Twin& twin) {
    std::vector<std::string> out;
    for (ZubBase* o : twin.objects()) {
        o->settleTimers();
        out.push_back(std::to_string(o->countChildren()) + " " + std::to_string(o->state) + " " + bits(o->timeInState) +
                      " " + bits(o->stateLeft) + (o->bToBeDestroyed ? " flagged" : ""));
    }
    return out;
}

// Steps of uneven sizes: added in another order, they give other bits.
double step(int frame) { return frame % 3 == 0 ? 0.1 : frame % 3 == 1 ? 1.0 / 60.0 : 0.0173; }

int leftOut(Twin& twin) {
    int n = 0;
    for (ZubBase* o : twin.objects()) n += o->bTimerDeferred;
    return n;
}

TEST(TickWalk, LeftOutObjectsEndWithTheTimersOfAWalkThatVisitsThemAll) {
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Twin planned(true), walked(false);
        grow(planned, seed, 300);
        grow(walked, seed, 300);
        int mostLeftOut = 0;
        double time = 0.0;
        for (int frame = 0; frame < 400; ++frame) {
            const double dt = step(frame);
            planned.root.tick(time, dt);
            walked.root.tick(time, dt);
            time += dt;
            mostLeftOut = std::max(mostLeftOut, leftOut(planned));
            ASSERT_EQ(planned.log, walked.log) << "frame " << frame;
            if (frame % 37 == 0 || frame == 399) {
                ASSERT_EQ(dump(planned), dump(walked)) << "frame " << frame;
            }
        }
        // The walk did leave objects out (and never those of the walked tree).
        EXPECT_GT(mostLeftOut, 50);
        EXPECT_EQ(leftOut(walked), 0);
    }
}

TEST(TickWalk, AQuietSubtreeIsLeftOutAndItsTimersLagUntilRead) {
    ZubBase root;
    auto* list = new ZubBase;
    root.addChild(list);
    ZubBase* leaves[3];
    for (ZubBase*& l : leaves) list->addChild(l = new ZubBase);
    auto* ticking = new Walked;
    root.addChild(ticking);

    root.tick(0.0, 0.5);  // walks everything and makes the plans
    EXPECT_TRUE(list->bTimerDeferred);
    EXPECT_TRUE(leaves[0]->bTimerDeferred);
    EXPECT_FALSE(ticking->bTimerDeferred);
    root.tick(0.0, 0.25);
    root.tick(0.0, 0.125);
    // Not visited: the fields still hold the first frame's time.
    EXPECT_EQ(leaves[2]->timeInState, 0.5);
    EXPECT_EQ(ticking->timeInState, 0.875);
    // Read through a property container, the time is the walk's.
    std::unique_ptr<PropertyContainer> c(leaves[2]->createPropertyContainer());
    EXPECT_EQ(leaves[2]->timeInState, 0.875);
    EXPECT_EQ(list->timeInState, 0.875);
    // Written through a body, the object has a pending state to count down.
    leaves[1]->stateGoto = 1;
    leaves[1]->stateLeft = 0.375;
    {
        Packet p(Packet::FLAG_NETWORK);
        leaves[1]->netSerialize(p);
        p.rewindToRead();
        leaves[1]->stateLeft = 0.0;
        leaves[1]->netSerialize(p);
    }
    EXPECT_FALSE(leaves[1]->bTimerDeferred);
    EXPECT_EQ(leaves[1]->stateLeft, 0.375);
    root.tick(0.0, 0.25);
    root.tick(0.0, 0.125);
    EXPECT_EQ(leaves[1]->state, 1);  // counted down by the walk
}

TEST(TickWalk, AnOwnerTickingALeftOutListItselfKeepsTheOrderOfTheSteps) {
    // As an owner that ticks one of its lists on its own while the rest
    // waits (an overlay over the level).
    ZubBase root;
    auto* list = new ZubBase;
    root.addChild(list);
    auto* item = new ZubBase;
    list->addChild(item);
    double expected = 0.0;
    for (int frame = 0; frame < 10; ++frame) {
        root.tick(0.0, step(frame));
        expected += step(frame);
    }
    list->tick(0.0, 0.3);
    expected += 0.3;
    for (int frame = 10; frame < 20; ++frame) {
        root.tick(0.0, step(frame));
        expected += step(frame);
    }
    item->settleTimers();
    EXPECT_EQ(item->timeInState, expected);
}

TEST(TickWalk, AClassThatOverridesTickIsNeverLeftOut) {
    ZubBase root;
    int ticks = 0;
    struct Counter : ZubBase {
        int* n = nullptr;
        void tick(double time, double dt) override {
            ++*n;
            ZubBase::tick(time, dt);
        }
    };
    auto* c = new Counter;
    c->n = &ticks;
    root.addChild(c);
    for (int i = 0; i < 300; ++i) root.tick(0.0, 0.01);
    EXPECT_EQ(ticks, 300);
    EXPECT_FALSE(c->bTimerDeferred);
}

}  // namespace
