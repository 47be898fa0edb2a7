#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Context.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ZubBase.h"
#include "sys/ErrorManager.h"

namespace {

// A node that records what happens to it into a shared journal.
struct Journal {
    std::vector<std::string> lines;
    void add(const std::string& s) { lines.push_back(s); }
};

class Node : public ZubBase {
public:
    Node(std::string n, Journal* j) : name(std::move(n)), journal(j) {}
    ~Node() override {
        if (journal) journal->add("~" + name);
    }
    void tick(double time, double dt) override {
        if (journal) journal->add("tick " + name);
        ZubBase::tick(time, dt);
        if (onTick) onTick(this);  // last: it may delete this node
    }
    void onStateChange() override {
        if (journal) journal->add(name + " state " + std::to_string(state));
    }
    bool onPreviewEvent(ZubEvent& ev) override {
        if (journal) journal->add("preview " + name);
        return consumePreview || ZubBase::onPreviewEvent(ev);
    }
    bool onEvent(ZubEvent& ev) override {
        if (journal) journal->add("event " + name + " " + std::to_string(ev.code));
        if (ev.code == EVENT_REFERENCE_LOST) lostReferences.push_back(ev.reference);
        return consumeEvent || ZubBase::onEvent(ev);
    }
    bool onBubbleEvent(ZubEvent& ev) override {
        if (journal) journal->add("bubble " + name);
        return consumeBubble || ZubBase::onBubbleEvent(ev);
    }
    std::string name;
    Journal* journal;
    bool consumePreview = false, consumeEvent = false, consumeBubble = false;
    std::function<void(Node*)> onTick;
    std::vector<ZubBaseReference*> lostReferences;
};

std::vector<std::string> childNames(ZubBase* parent, int mode = 0) {
    std::vector<std::string> out;
    for (ObjectIterator it(parent, mode); it; it.advance()) out.push_back(static_cast<Node*>(it.get())->name);
    return out;
}

using Names = std::vector<std::string>;

TEST(ObjectTree, ChildrenKeepTheirOrderAndMoveBetweenParents) {
    Journal j;
    Node root("root", &j);
    auto* a = new Node("a", &j);
    auto* b = new Node("b", &j);
    auto* c = new Node("c", &j);
    root.addChild(a);
    root.addChild(c);
    root.insertChildBefore(b, c);
    EXPECT_EQ(childNames(&root), (Names{"a", "b", "c"}));
    root.insertChildAfter(a, c);  // moving within the same parent
    EXPECT_EQ(childNames(&root), (Names{"b", "c", "a"}));
    EXPECT_EQ(childNames(&root, ObjectIterator::BACKWARDS), (Names{"a", "c", "b"}));
    // Adding a child that has a parent moves it.
    Node other("other", nullptr);
    other.addChild(c);
    EXPECT_EQ(childNames(&root), (Names{"b", "a"}));
    EXPECT_EQ(c->parent, &other);
    EXPECT_TRUE(root.isAncestorOf(a));
    EXPECT_FALSE(a->isAncestorOf(&root));
    root.removeChild(b);
    EXPECT_EQ(b->parent, nullptr);
    EXPECT_EQ(childNames(&root), (Names{"a"}));
    delete b;
}

TEST(ObjectTree, DeletingAnObjectDeletesItsSubtreeAndUnlinksIt) {
    Journal j;
    const int before = ZubBase::liveCount();
    auto* root = new Node("root", &j);
    auto* a = new Node("a", &j);
    root->addChild(a);
    a->addChild(new Node("a1", &j));
    root->addChild(new Node("b", &j));
    EXPECT_EQ(ZubBase::liveCount(), before + 4);
    a->destroy();  // unregistered: removed and deleted at once
    EXPECT_EQ(childNames(root), (Names{"b"}));
    EXPECT_EQ(j.lines, (Names{"~a", "~a1"}));
    delete root;
    EXPECT_EQ(ZubBase::liveCount(), before);
}

TEST(StateTimer, ImmediateAndDelayedChanges) {
    Journal j;
    Node n("n", &j);
    n.gotoState(3);
    EXPECT_EQ(n.state, 3);
    EXPECT_EQ(n.stateGoto, 3);
    EXPECT_EQ(j.lines, (Names{"n state 3"}));
    n.gotoState(3);  // already the pending state: nothing
    EXPECT_EQ(j.lines.size(), 1u);

    n.tick(0, 0.25);
    EXPECT_DOUBLE_EQ(n.timeInState, 0.25);
    n.gotoState(5, 0.5);
    EXPECT_EQ(n.state, 3);
    EXPECT_EQ(n.stateGoto, 5);
    n.gotoState(5, 0.1);  // same pending state: the first delay stands
    EXPECT_DOUBLE_EQ(n.stateLeft, 0.5);
    j.lines.clear();
    n.tick(0, 0.3);
    EXPECT_EQ(n.state, 3);
    n.tick(0, 0.3);
    EXPECT_EQ(n.state, 5);
    EXPECT_DOUBLE_EQ(n.timeInState, 0.0);
    EXPECT_EQ(j.lines, (Names{"tick n", "tick n", "n state 5"}));
}

TEST(StateTimer, StateTicksBeforeChildrenAndSetStateRunsLocallyWithoutRole) {
    Journal j;
    Node parent("p", &j);
    parent.addChild(new Node("c", &j));
    parent.gotoState(1, 0.1);
    j.lines.clear();
    parent.ZubBase::tick(0, 0.2);
    EXPECT_EQ(j.lines, (Names{"p state 1", "tick c"}));

    ASSERT_EQ(THEROLE, nullptr);
    parent.setState(4, 0.0);
    EXPECT_EQ(parent.state, 4);
    parent.setState(6, 1.0);
    EXPECT_EQ(parent.state, 4);
    EXPECT_EQ(parent.stateGoto, 6);
    EXPECT_DOUBLE_EQ(parent.stateLeft, 1.0);
}

TEST(Iterator, ModesSkipFlaggedAndDisabledChildren) {
    Journal j;
    Node root("root", &j);
    for (const char* s : {"a", "b", "c", "d"}) root.addChild(new Node(s, &j));
    auto* b = static_cast<Node*>(root.firstChild->nextSibling);
    auto* c = static_cast<Node*>(b->nextSibling);
    b->bDisabled = 1;
    c->bToBeDestroyed = 1;
    EXPECT_EQ(childNames(&root), (Names{"a", "d"}));
    EXPECT_EQ(childNames(&root, ObjectIterator::INCLUDE_DISABLED), (Names{"a", "b", "d"}));
    EXPECT_EQ(childNames(&root, ObjectIterator::BACKWARDS | ObjectIterator::INCLUDE_DISABLED), (Names{"d", "b", "a"}));
    EXPECT_EQ(root.countChildren(), 4);  // only a destroying walk removes c
    j.lines.clear();
    EXPECT_EQ(childNames(&root, ObjectIterator::DESTROYING), (Names{"a", "d"}));
    EXPECT_EQ(j.lines, (Names{"~c"}));
    EXPECT_EQ(root.countChildren(), 3);
}

TEST(Iterator, ChildrenMayDeleteThemselvesAndSiblingsDuringTick) {
    Journal j;
    Node root("root", &j);
    for (const char* s : {"a", "b", "c", "d", "e"}) root.addChild(new Node(s, &j));
    auto* a = static_cast<Node*>(root.firstChild);
    auto* b = static_cast<Node*>(a->nextSibling);
    auto* c = static_cast<Node*>(b->nextSibling);
    auto* d = static_cast<Node*>(c->nextSibling);
    // a flags itself; b deletes itself outright; c deletes the next sibling d.
    a->onTick = [](Node* n) { n->bToBeDestroyed = 1; };
    b->onTick = [](Node* n) { n->destroy(); };
    c->onTick = [d](Node*) { d->destroy(); };
    j.lines.clear();
    root.ZubBase::tick(0, 0.01);
    EXPECT_EQ(j.lines, (Names{"tick a", "~a", "tick b", "~b", "tick c", "~d", "tick e"}));
    EXPECT_EQ(childNames(&root), (Names{"c", "e"}));
}

TEST(Iterator, LongListsTickInLinkOrderWhileTheirChildrenChangeBetweenAndDuringWalks) {
    // Long enough for the walk to keep an array of the children it met.
    Journal j;
    Node root("root", &j);
    std::vector<Node*> nodes;
    for (int i = 0; i < 100; ++i) {
        nodes.push_back(new Node("n" + std::to_string(i), &j));
        root.addChild(nodes.back());
    }
    auto ticked = [&] {
        Names out;
        for (const std::string& l : j.lines)
            if (l.rfind("tick ", 0) == 0) out.push_back(l.substr(5));
        return out;
    };
    auto expectTickedAsLinked = [&](const Names& extra = {}) {
        j.lines.clear();
        root.ZubBase::tick(0, 0.01);
        Names expected = childNames(&root, ObjectIterator::INCLUDE_DISABLED);
        expected.insert(expected.end(), extra.begin(), extra.end());
        EXPECT_EQ(ticked(), expected);
    };
    expectTickedAsLinked();
    expectTickedAsLinked();  // now with the array of the first walk
    // Between walks: one moves to the front, one goes, one comes.
    root.insertChildBefore(nodes[70], root.firstChild);
    deleteObject(nodes[30]);
    root.addChild(new Node("late", &j));
    expectTickedAsLinked();
    expectTickedAsLinked();
    // During a walk: the first child deletes a later one and moves another
    // to the end; a later child flags itself.
    nodes[70]->onTick = [&](Node*) {
        deleteObject(nodes[40]);
        root.addChild(nodes[10]);
        nodes[70]->onTick = nullptr;
    };
    nodes[50]->onTick = [](Node* n) { n->bToBeDestroyed = 1; };
    j.lines.clear();
    root.ZubBase::tick(0, 0.01);
    Names expected{"n70"};
    for (int i = 0; i < 100; ++i)
        if (i != 70 && i != 30 && i != 40 && i != 10) expected.push_back("n" + std::to_string(i));
    expected.push_back("late");
    expected.push_back("n10");
    EXPECT_EQ(ticked(), expected);
    Names left = childNames(&root);
    EXPECT_EQ(left.size(), 98u);  // 101 less n30, n40 and the flagged n50
    EXPECT_EQ(std::count(left.begin(), left.end(), "n50"), 0);
    expectTickedAsLinked();
}

TEST(Iterator, AStepSeesWhatTheBodyDidToTheNextChildInEitherDirection) {
    // While the cursor stands on a child, the body disables, flags or moves
    // the child the next step would reach, or moves the child it stands on:
    // each step goes by the children as they are at that moment.
    for (int mode : {0, int(ObjectIterator::BACKWARDS), int(ObjectIterator::INCLUDE_DISABLED),
                     int(ObjectIterator::BACKWARDS | ObjectIterator::INCLUDE_DISABLED)}) {
        SCOPED_TRACE(mode);
        const bool back = (mode & ObjectIterator::BACKWARDS) != 0;
        const bool disabledToo = (mode & ObjectIterator::INCLUDE_DISABLED) != 0;
        Journal j;
        Node root("root", &j), elsewhere("elsewhere", &j);
        std::vector<Node*> n;
        for (const char* s : {"a", "b", "c", "d", "e", "f", "g"}) {
            n.push_back(new Node(s, &j));
            root.addChild(n.back());
        }
        auto next = [&](ZubBase* c) { return back ? c->prevSibling : c->nextSibling; };
        Names seen;
        for (ObjectIterator it(&root, mode); it; it.advance()) {
            auto* c = static_cast<Node*>(it.get());
            seen.push_back(c->name);
            if (c->name == (back ? "g" : "a")) next(c)->bDisabled = 1;       // f / b
            if (c->name == (back ? "e" : "c")) next(c)->bToBeDestroyed = 1;  // d / d
            if (c->name == (back ? "c" : "e")) elsewhere.addChild(c);        // goes: next is the one after it
            if (c->name == (back ? "b" : "f")) elsewhere.addChild(next(c));  // a / g: nothing follows
        }
        Names expected = back ? (disabledToo ? Names{"g", "f", "e", "c", "b"} : Names{"g", "e", "c", "b"})
                              : (disabledToo ? Names{"a", "b", "c", "e", "f"} : Names{"a", "c", "e", "f"});
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(elsewhere.countChildren(), 2);
    }
}

TEST(Iterator, NestedWalksOverTheSameChildrenStaySafe) {
    Journal j;
    Node root("root", &j);
    for (const char* s : {"a", "b", "c"}) root.addChild(new Node(s, &j));
    std::vector<std::string> seen;
    for (ObjectIterator outer(&root); outer; outer.advance()) {
        for (ObjectIterator inner(&root); inner; inner.advance()) {
            // The inner walk deletes the child the outer walk stands on.
            if (inner.get() == outer.get() && static_cast<Node*>(inner.get())->name == "b") {
                inner->destroy();
                break;
            }
        }
        if (outer) seen.push_back(static_cast<Node*>(outer.get())->name);
    }
    EXPECT_EQ(seen, (Names{"a", "c"}));
}

// Children whose drawing is recorded; "quiet" ones draw nothing in the tree.
class Drawn : public ZubBase {
public:
    Drawn(std::string n, Journal* j, bool draws) : name(std::move(n)), journal(j), draws(draws) {}
    void render() override {
        journal->add("render " + name);
        ZubBase::render();
    }
    bool drawsInTree() const override { return draws; }
    std::string name;
    Journal* journal;
    bool draws;
};

TEST(Drawing, AListOfChildrenThatDrawNothingIsSkippedUntilItsChildrenChange) {
    Journal j;
    ZubBase list;
    for (int i = 0; i < 3; ++i) list.addChild(new Drawn("q" + std::to_string(i), &j, false));
    list.render();  // the walk that finds them all quiet
    EXPECT_EQ(j.lines, (std::vector<std::string>{"render q0", "render q1", "render q2"}));
    j.lines.clear();
    list.render();
    list.render();
    EXPECT_TRUE(j.lines.empty());

    // A drawing child joins: every child is walked again, in order, and
    // every frame while it stays, hidden or not.
    auto* d = new Drawn("d", &j, true);
    list.insertChildAfter(d, list.firstChild);
    list.render();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"render q0", "render d", "render q1", "render q2"}));
    j.lines.clear();
    d->bHidden = 1;
    list.render();
    d->bHidden = 0;
    list.render();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"render q0", "render q1", "render q2", "render q0", "render d",
                                                 "render q1", "render q2"}));
    // It leaves: one more walk, then quiet again.
    deleteObject(d);
    j.lines.clear();
    list.render();
    list.render();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"render q0", "render q1", "render q2"}));
}

TEST(Drawing, AChildAddedDuringTheQuietWalkIsDrawnNextTime) {
    Journal j;
    ZubBase list;
    struct Adder : Drawn {
        using Drawn::Drawn;
        void render() override {
            Drawn::render();
            if (!added) parent->addChild(added = new Drawn("late", journal, false));
        }
        Drawn* added = nullptr;
    };
    list.addChild(new Adder("a", &j, false));
    list.render();
    list.render();
    // The list changed while it was walked: not taken as quiet then.
    EXPECT_EQ(j.lines, (std::vector<std::string>{"render a", "render late", "render a", "render late"}));
}

TEST(ObjectTree, ObjectsStartOnACacheLine) {
    std::vector<std::unique_ptr<ZubBase>> objects;
    for (int i = 0; i < 16; ++i) {
        objects.emplace_back(i % 2 ? new ZubBase : new Node("n", nullptr));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(objects.back().get()) % ZubBase::kObjectAlignment, 0u);
    }
}

// Objects of several sizes, each filling its own members with a pattern of
// its address: any two that share memory, or an allocator that writes
// inside an object, spoil a pattern.
template <std::size_t Bytes>
struct Sized : ZubBase {
    Sized() { fill(); }
    void fill() {
        for (std::size_t i = 0; i < Bytes; ++i) payload[i] = pattern(i);
    }
    bool intact() const {
        for (std::size_t i = 0; i < Bytes; ++i)
            if (payload[i] != pattern(i)) return false;
        return true;
    }
    unsigned char pattern(std::size_t i) const {
        return static_cast<unsigned char>((reinterpret_cast<uintptr_t>(this) >> 6) * 31 + i);
    }
    unsigned char payload[Bytes];
};

TEST(ObjectTree, ObjectsOfEverySizeStartOnACacheLineAndShareNoMemory) {
    std::vector<std::unique_ptr<ZubBase>> objects;
    std::vector<std::pair<uintptr_t, uintptr_t>> extents;
    const auto add = [&](ZubBase* o, std::size_t size) {
        objects.emplace_back(o);
        const auto at = reinterpret_cast<uintptr_t>(o);
        EXPECT_EQ(at % ZubBase::kObjectAlignment, 0u);
        extents.emplace_back(at, at + size);
    };
    for (int round = 0; round < 64; ++round) {
        add(new Sized<1>, sizeof(Sized<1>));
        add(new Sized<63>, sizeof(Sized<63>));
        add(new Sized<200>, sizeof(Sized<200>));
        add(new Sized<5000>, sizeof(Sized<5000>));
        // Some go again at once, so that freed blocks are handed out anew.
        if (round % 3 == 0) {
            objects.pop_back();
            extents.pop_back();
        }
    }
    std::sort(extents.begin(), extents.end());
    for (size_t i = 1; i < extents.size(); ++i) EXPECT_LE(extents[i - 1].second, extents[i].first);
    for (const auto& o : objects) {
        bool intact = true;
        if (auto* a = dynamic_cast<Sized<1>*>(o.get())) intact = a->intact();
        else if (auto* b = dynamic_cast<Sized<63>*>(o.get())) intact = b->intact();
        else if (auto* c = dynamic_cast<Sized<200>*>(o.get())) intact = c->intact();
        else if (auto* d = dynamic_cast<Sized<5000>*>(o.get())) intact = d->intact();
        EXPECT_TRUE(intact);
    }
}

// A tick or a drawing walk reads of every object its class, its state
// timers, its flags, its first child and its next sibling: all of them in
// the object's first cache line.
TEST(ObjectTree, WhatAWalkReadsLiesInTheFirstCacheLine) {
    std::unique_ptr<ZubBase> objects[] = {std::make_unique<ZubBase>(), std::make_unique<Node>("n", nullptr)};
    for (const auto& o : objects) {
        const char* start = reinterpret_cast<const char*>(o.get());
        auto within = [start](const auto& field) {
            const char* f = reinterpret_cast<const char*>(&field);
            return f >= start && f + sizeof field <= start + ZubBase::kObjectAlignment;
        };
        EXPECT_TRUE(within(o->timeInState));
        EXPECT_TRUE(within(o->stateLeft));
        EXPECT_TRUE(within(o->bToBeDestroyed));
        EXPECT_TRUE(within(o->bDisabled));
        EXPECT_TRUE(within(o->bHidden));
        EXPECT_TRUE(within(o->firstChild));
        EXPECT_TRUE(within(o->nextSibling));
    }
}

TEST(References, TargetDeathClearsAndNotifiesOnce) {
    Journal j;
    Node owner("owner", &j);
    ZubBaseReference ref(&owner), other(&owner);
    auto* target = new Node("t", &j);
    ref.set(target);
    other.set(target);
    EXPECT_EQ(ref.get(), target);
    delete target;
    EXPECT_EQ(ref.get(), nullptr);
    EXPECT_EQ(other.get(), nullptr);
    ASSERT_EQ(owner.lostReferences.size(), 2u);
    EXPECT_TRUE((owner.lostReferences[0] == &ref && owner.lostReferences[1] == &other) ||
                (owner.lostReferences[0] == &other && owner.lostReferences[1] == &ref));
}

TEST(References, ExplicitClearNotifiesRetargetDoesNot) {
    Journal j;
    Node owner("owner", &j);
    Node t1("t1", nullptr), t2("t2", nullptr);
    {
        ZubBaseReference gone;  // unlinks itself when it ends
        gone.set(&t1);
    }
    ZubBaseReference ref(&owner);
    ref.set(&t1);
    ref.set(&t2);
    EXPECT_TRUE(owner.lostReferences.empty());
    t1.notifyReferrers();  // nobody refers to t1 any more
    EXPECT_TRUE(j.lines.empty());
    ref.set(nullptr);
    ASSERT_EQ(owner.lostReferences.size(), 1u);
    EXPECT_EQ(owner.lostReferences[0], &ref);
    ref.set(nullptr);  // no target, nothing lost
    EXPECT_EQ(owner.lostReferences.size(), 1u);
}

TEST(References, NoEventReachesAnOwnerBeingDeleted) {
    Journal j;
    // The owner holds a reference to its own child; deleting the owner deletes
    // the child, whose death must not call back into the half-deleted owner.
    struct Holder : Node {
        Holder(Journal* j) : Node("holder", j), ref(this) {}
        ZubBaseReference ref;
    };
    auto* h = new Holder(&j);
    auto* child = new Node("child", &j);
    h->addChild(child);
    h->ref.set(child);
    deleteObject(h);
    for (const std::string& l : j.lines) EXPECT_EQ(l.find("event holder"), std::string::npos) << l;
}

TEST(Events, PreviewTargetAndBubbleInOrderUntilConsumed) {
    Journal j;
    Node top("top", &j);
    auto* mid = new Node("mid", &j);
    auto* leaf = new Node("leaf", &j);
    top.addChild(mid);
    mid->addChild(leaf);
    auto send = [&](int code) {
        j.lines.clear();
        return ZubBase::sendEvent(code, nullptr, leaf);
    };
    send(EVENT_CLICK);
    EXPECT_EQ(j.lines, (Names{"preview top", "preview mid", "event leaf 4", "bubble mid", "bubble top"}));
    mid->consumeBubble = true;
    send(EVENT_CLICK);
    EXPECT_EQ(j.lines, (Names{"preview top", "preview mid", "event leaf 4", "bubble mid"}));
    mid->consumeBubble = false;

    // A disabled ancestor consumes the preview; a disabled target gets nothing.
    mid->bDisabled = 1;
    EXPECT_TRUE(send(EVENT_KEY));
    EXPECT_EQ(j.lines, (Names{"preview top"}));
    mid->bDisabled = 0;
    leaf->bDisabled = 1;
    send(EVENT_KEY);
    EXPECT_EQ(j.lines, (Names{"preview top", "preview mid", "bubble mid", "bubble top"}));
    leaf->bDisabled = 0;

    // The delegate gets what the target leaves.
    Node helper("helper", &j);
    helper.consumeEvent = true;
    leaf->delegate = &helper;
    EXPECT_TRUE(send(EVENT_CHANGED));
    EXPECT_EQ(j.lines, (Names{"preview top", "preview mid", "event leaf 8", "event helper 8"}));

    top.consumePreview = true;
    EXPECT_TRUE(send(EVENT_CLICK));
    EXPECT_EQ(j.lines, (Names{"preview top"}));
}

TEST(Events, HandlerMayDeleteTheTargetAndItsParent) {
    Journal j;
    auto* top = new Node("top", &j);
    auto* leaf = new Node("leaf", &j);
    top->addChild(leaf);
    struct Killer : ZubBase {
        ZubBase* victim = nullptr;
        bool onEvent(ZubEvent&) override {
            deleteObject(victim);
            return false;
        }
    } killer;
    killer.victim = top;
    leaf->delegate = &killer;
    ZubBase::sendEvent(EVENT_CLICK, nullptr, leaf);  // no use after free (ASan)
    EXPECT_EQ(j.lines.back(), "~leaf");
}

TEST(Tree, FindContextFindsTheNearestAndFailsWithout) {
    ErrorManager::bTestMode = true;
    Context ctx;
    auto* inner = new Context;
    auto* leaf = new ZubBase;
    ctx.addChild(inner);
    inner->addChild(leaf);
    EXPECT_EQ(findContext(leaf), inner);
    EXPECT_EQ(findContext(inner), inner);
    ZubBase lonely;
    EXPECT_EXIT(findContext(&lonely), ::testing::ExitedWithCode(255), "Could not find any Context object.");
}

TEST(Tree, CyclesAreRefused) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        {
            ZubBase a;
            auto* b = new ZubBase;
            a.addChild(b);
            b->addChild(&a);
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

}  // namespace

// Typed walks and casts go by class record: a Context child is found among
// plain objects, a plain object never passes as a Context, and the walk
// survives the body deleting the child it was given.
TEST(ZubBaseHelpers, TypedChildrenAndCasts) {
    ErrorManager::bTestMode = true;
    ZubBase parent;
    auto* a = new ZubBase;
    auto* c1 = new Context;
    auto* b = new ZubBase;
    auto* c2 = new Context;
    for (ZubBase* o : {a, static_cast<ZubBase*>(c1), b, static_cast<ZubBase*>(c2)}) parent.addChild(o);

    std::vector<Context*> contexts;
    for (Context* c : childrenOf<Context>(parent)) contexts.push_back(c);
    EXPECT_EQ(contexts, (std::vector<Context*>{c1, c2}));

    EXPECT_EQ(zub_cast<Context>(c1), c1);
    EXPECT_EQ(zub_cast<Context>(a), nullptr);
    EXPECT_EQ(zub_cast<Context>(static_cast<ZubBase*>(nullptr)), nullptr);

    int seen = 0;
    for (ZubBase* o : childrenOf(parent)) {
        ++seen;
        parent.removeChild(o);
        deleteObject(o);
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(parent.firstChild, nullptr);
}
