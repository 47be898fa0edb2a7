#include "object/ZubBase.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include "object/Packet.h"
#include "object/Property.h"
#include "object/RPC.h"
#include "object/Replication.h"
#include "object/SerialPlan.h"
#include "sys/ErrorManager.h"

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every object is a heap block of its own, so that a
// use after free or an overrun is still caught.
void* ZubBase::operator new(std::size_t size) { return ::operator new(size, std::align_val_t(kObjectAlignment)); }
void ZubBase::operator delete(void* p, std::size_t) { ::operator delete(p, std::align_val_t(kObjectAlignment)); }
#else
// A block of the plain allocator, a cache line longer than the object; the
// object starts at the first cache line boundary past the block's start, and
// the byte before it tells how far in that is. The system's aligned
// allocation cuts the block's lead off and frees it, about a thousand
// instructions an object (a level makes tens of thousands); this is a tenth
// of that, and consecutive objects stay side by side in memory.
static_assert(ZubBase::kObjectAlignment <= 255 && alignof(std::max_align_t) <= ZubBase::kObjectAlignment);
void* ZubBase::operator new(std::size_t size) {
    void* block = std::malloc(size + kObjectAlignment);
    if (!block) throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t lead = kObjectAlignment - (address & (kObjectAlignment - 1));
    auto* object = static_cast<unsigned char*>(block) + lead;
    object[-1] = static_cast<unsigned char>(lead);
    return object;
}

void ZubBase::operator delete(void* p, std::size_t) {
    if (!p) return;
    auto* object = static_cast<unsigned char*>(p);
    std::free(object - object[-1]);
}
#endif

ZUB_IMPLEMENT_NAMED_CLASS(ZubBase, void, u"ZubBase")
ZUB_IMPLEMENT_NAMED_CLASS(ZubBasePointer, ZubBase, u"ZubBasePointer")

ZubBase* ZubBase::liveHead = nullptr;
ZubBase* ZubBase::liveTail = nullptr;
int ZubBase::liveObjects = 0;
uint64_t ZubBase::lastChildStamp = 0;
uint64_t ZubBase::lastSubtreeMove = 0;

namespace {
// The stack of iterators that are walking children right now. Only the main
// thread walks trees; the list lets removals fix up cursors standing on the
// removed child.
thread_local ObjectIterator* activeIterators = nullptr;
constexpr uint32_t kCheckWord = 0xFEFDFCFBu;

// The objects whose bodies are being read, innermost first: a body read
// inside another (a sub-object such as a hull's vertex holder) may not take
// the object that holds it as a child, which is no tree ancestor of it.
struct BodyBeingRead {
    const ZubBase* object;
    const BodyBeingRead* outer;
};
thread_local const BodyBeingRead* bodiesBeingRead = nullptr;

bool isBeingRead(const ZubBase* o) {
    for (const BodyBeingRead* b = bodiesBeingRead; b; b = b->outer)
        if (b->object == o) return true;
    return false;
}
}  // namespace

// ---------------------------------------------------------------------------
// StateBase

void StateBase::gotoState(int n, double delay) {
    if (stateGoto == n) return;
    beforeTimersChange(delay > 0.0);
    if (delay <= 0.0) {
        state = stateGoto = n;
        timeInState = 0.0;
        stateLeft = 0.0;
        onStateChange();
    } else {
        stateGoto = n;
        stateLeft = delay;
    }
}

void StateBase::tickState(double dt) {
    timeInState += dt;
    if (stateLeft > 0.0) {
        stateLeft -= dt;
        if (stateLeft <= 0.0) {
            stateLeft = 0.0;
            state = stateGoto;
            timeInState = 0.0;
            onStateChange();
        }
    }
}

// ---------------------------------------------------------------------------
// ZubBase: lifetime

ZubBase::ZubBase() {
    livePrev = liveTail;
    if (liveTail) liveTail->liveNext = this;
    else liveHead = this;
    liveTail = this;
    ++liveObjects;
}

ZubBase::~ZubBase() {
    bDying = 1;
    // However it goes, a registered object leaves the registries with it.
    if (objectUID > 0) Replication::objectDeleted(this);
    // References that point here are cleared; their owners hear of it.
    while (referrers) {
        ZubBaseReference* r = referrers;
        r->unlink();
        if (r->owner && !r->owner->bDying) {
            ZubEvent ev;
            ev.code = EVENT_REFERENCE_LOST;
            ev.target = r->owner;
            ev.reference = r;
            sendEvent(ev);
        }
    }
    // Children go first, while the links are still intact.
    while (firstChild) {
        ZubBase* c = firstChild;
        unlinkChild(c);
        deleteObject(c);
    }
    if (parent) parent->unlinkChild(this);

    if (livePrev) livePrev->liveNext = liveNext;
    else liveHead = liveNext;
    if (liveNext) liveNext->livePrev = livePrev;
    else liveTail = livePrev;
    --liveObjects;
}

void deleteObject(ZubBase* o) {
    if (!o) return;
    o->bDying = 1;
    delete o;
}

void ZubBase::destroy() {
    Replication* role = objectUID > 0 ? Replication::current() : nullptr;
    if (role) {
        role->netDeleteObject(this);
        return;
    }
    if (parent) parent->removeChild(this);
    deleteObject(this);
}

void ZubBase::destroyChildren() {
    while (firstChild) {
        ZubBase* c = firstChild;
        ZubBase* before = firstChild;
        c->destroy();
        // A registered child whose deletion only went out as a call stays in
        // place on a client; stop rather than loop on it.
        if (firstChild == before) break;
    }
}

// ---------------------------------------------------------------------------
// Children

void ZubBase::linkChild(ZubBase* child, ZubBase* before) {
    ZUB_ASSERT(child != nullptr);
    ZUB_ASSERT(child != this && !child->isAncestorOf(this));
    if (child->parent) child->parent->removeChild(child);
    childrenWillChange();
    child->parent = this;
    child->nextSibling = before;
    child->prevSibling = before ? before->prevSibling : lastChild;
    if (child->prevSibling) child->prevSibling->nextSibling = child;
    else firstChild = child;
    if (before) before->prevSibling = child;
    else lastChild = child;
    childStamp = child->ownPlaceStamp = ++lastChildStamp;
    if (child->firstChild) lastSubtreeMove = childStamp;
}

void ZubBase::unlinkChild(ZubBase* child) {
    childrenWillChange();
    for (ObjectIterator* it = activeIterators; it; it = it->outer) it->onChildRemoved(this, child);
    if (child->prevSibling) child->prevSibling->nextSibling = child->nextSibling;
    else firstChild = child->nextSibling;
    if (child->nextSibling) child->nextSibling->prevSibling = child->prevSibling;
    else lastChild = child->prevSibling;
    child->parent = child->prevSibling = child->nextSibling = nullptr;
    childStamp = child->ownPlaceStamp = ++lastChildStamp;
    if (child->firstChild) lastSubtreeMove = childStamp;
}

void ZubBase::addChild(ZubBase* child) { linkChild(child, nullptr); }

void ZubBase::removeChild(ZubBase* child) {
    if (child && child->parent == this) unlinkChild(child);
}

void ZubBase::insertChildAfter(ZubBase* child, ZubBase* sibling) {
    if (!sibling || sibling->parent != this) {
        addChild(child);
        return;
    }
    if (child == sibling) return;
    if (child->parent) child->parent->removeChild(child);
    linkChild(child, sibling->nextSibling);
}

void ZubBase::insertChildBefore(ZubBase* child, ZubBase* sibling) {
    if (!sibling || sibling->parent != this) {
        addChild(child);
        return;
    }
    if (child == sibling) return;
    if (child->parent) child->parent->removeChild(child);
    linkChild(child, sibling);
}

int ZubBase::countChildren() const {
    int n = 0;
    for (ZubBase* c = firstChild; c; c = c->nextSibling) ++n;
    return n;
}

bool ZubBase::isAncestorOf(const ZubBase* o) const {
    if (!firstChild) return false;  // no descendants: the common case costs no walk
    for (const ZubBase* p = o ? o->parent : nullptr; p; p = p->parent)
        if (p == this) return true;
    return false;
}

// ---------------------------------------------------------------------------
// Frame

namespace {
// Lists shorter than this are walked without an array of their children.
constexpr size_t kChildArrayMin = 64;
// How far ahead of the walk the children are read.
constexpr size_t kReadAhead = 8;
// The walks' steps between asking for a child's first line, its own fields
// and what they point at.
constexpr size_t kDrawStep = 4;
}  // namespace

template <class F>
void ZubBase::walkChildren(int mode, bool drawing, F&& f) {
    // The walk follows the links, whatever happens on the way; the array only
    // tells which objects to read ahead, and is trusted only while the
    // children stay as they were when it was made.
    const uint64_t stampBefore = childStamp;
    const ChildArray* ahead = childArray && childArray->stamp == stampBefore ? childArray.get() : nullptr;
    std::vector<ZubBase*> met;
    size_t i = 0;
    for (ObjectIterator it(this, mode); it; it.advance(), ++i) {
        if (ahead) {
            const std::vector<ZubBase*>& children = ahead->children;
            const size_t n = children.size();
            if (!drawing) {
                // Its first line: the class, the timers, the flags and the links.
                if (i + kReadAhead < n) __builtin_prefetch(children[i + kReadAhead]);
            } else {
                // Drawing reads further, often through another object: the
                // first line is asked for three steps ahead, and once it has
                // come the object asks for what it reads next, in two steps
                // (see readAheadForDraw).
                if (i + 3 * kDrawStep < n) __builtin_prefetch(children[i + 3 * kDrawStep]);
                if (i + 2 * kDrawStep < n) children[i + 2 * kDrawStep]->readAheadForDraw(0);
                if (i + kDrawStep < n) children[i + kDrawStep]->readAheadForDraw(1);
            }
        } else {
            met.push_back(it.get());
        }
        f(it.get());
    }
    if (ahead || childStamp != stampBefore) return;
    if (met.size() < kChildArrayMin) {
        childArray.reset();
        return;
    }
    if (!childArray) childArray = std::make_unique<ChildArray>();
    childArray->stamp = stampBefore;
    childArray->children = std::move(met);
}

void ZubBase::tick(double time, double dt) {
    // Ticked from outside its parent's walk (a list an owner ticks itself):
    // what the walk owes it comes first, and what its own walk notes for
    // its children is paid at once, for a subtree left out owes nothing of
    // its own.
    const bool leftOut = bTimerDeferred;
    if (leftOut) settleDeferredTimers();
    tickState(dt);
    if (!firstChild) return;  // a leaf: no cursor to build
    tickChildren(time, dt);
    if (leftOut && bTimerDeferred && tickPlan) payTickDebt();
}

// ---------------------------------------------------------------------------
// The tick walk's plan
//
// Most objects of a level are data that only count their timer: outline
// vertices and segments, path points, basket slots, drawing proxies. After
// a walk that found the children unchanged, the parent keeps the list of the
// children that do more (`ticked`) and flags the others (bTimerDeferred);
// while the plan holds, its walk goes through that list and appends the
// frame's step to `owed`. What is owed is added to every object below each
// flagged child in the order the steps came, which gives the timers the
// values the walk would have given them. The invariant that makes this
// exact: a left-out subtree owes nothing of its own (its top paid before it
// was left out, and nothing below it is ticked), so all its debt sits in one
// plan, that of its nearest ancestor that is ticked.

namespace {

constexpr int kTickModes = ObjectIterator::DESTROYING | ObjectIterator::INCLUDE_DISABLED;
// Steps a plan notes before it pays them and walks everything again.
constexpr size_t kMostOwedSteps = 128;

// Whether the object's class keeps ZubBase's own tick, read from the
// object's table of virtual functions as the Itanium C++ ABI (gcc's and
// clang's) lays it out: a member function pointer to a virtual function
// holds one more than the byte offset of its slot. Elsewhere no class counts
// as keeping it, and every child is walked.
bool keepsPlainTick(const ZubBase* o) {
#if defined(__GXX_ABI_VERSION) && defined(__x86_64__)
    struct Slot {
        std::ptrdiff_t index = -1;
        const void* plain = nullptr;
    };
    static const Slot slot = [] {
        Slot s;
        void (ZubBase::*tick)(double, double) = &ZubBase::tick;
        struct {
            std::uintptr_t ptr;
            std::ptrdiff_t adj;
        } raw;
        static_assert(sizeof raw == sizeof tick);
        std::memcpy(&raw, &tick, sizeof raw);
        if (!(raw.ptr & 1) || raw.adj != 0) return s;
        s.index = static_cast<std::ptrdiff_t>((raw.ptr - 1) / sizeof(void*));
        const ZubBase probe;  // a plain object lends its table
        s.plain = (*reinterpret_cast<const void* const* const*>(&probe))[s.index];
        return s;
    }();
    if (slot.index < 0) return false;
    return (*reinterpret_cast<const void* const* const*>(o))[slot.index] == slot.plain;
#else
    (void)o;
    return false;
#endif
}

// Adds the steps, in order, to the timer of every object of the subtree.
void addSteps(ZubBase* top, const double* steps, size_t n) {
    ZubBase* o = top;
    for (;;) {
        double t = o->timeInState;
        for (size_t i = 0; i < n; ++i) t += steps[i];
        o->timeInState = t;
        if (o->firstChild) {
            o = o->firstChild;
            continue;
        }
        while (o != top && !o->nextSibling) o = o->parent;
        if (o == top) return;
        o = o->nextSibling;
    }
}

}  // namespace

struct ZubBase::TickPlan {
    std::vector<ZubBase*> ticked;  // the children the walk ticks, in order
    std::vector<double> owed;      // steps the left-out children have not counted, oldest first
    // While the walk runs, the index in `ticked` of the child being ticked.
    std::ptrdiff_t walkingAt = -1;
    bool valid = false;
    bool anyLeftOut = false;
};

void ZubBase::tickChildren(double time, double dt) {
    TickPlan* plan = tickPlan.get();
    if (plan && plan->valid && plan->owed.size() >= kMostOwedSteps) dropTickPlan();
    if (!plan || !plan->valid) {
        // Every child; a walk that changed nothing leaves a plan.
        const uint64_t stampBefore = childStamp;
        walkChildren(kTickModes, false, [time, dt](ZubBase* c) { c->tick(time, dt); });
        if (childStamp == stampBefore) buildTickPlan();
        return;
    }
    if (plan->anyLeftOut) plan->owed.push_back(dt);
    const std::vector<ZubBase*>& ticked = plan->ticked;
    const size_t n = ticked.size();
    if (n == 0) return;
    // The cursor stands on each child as the walk ticks it, so that when the
    // plan stops holding on the way, the walk goes on from there as a plain
    // walk does (removals and deletions included).
    ObjectIterator it(this, kTickModes, ObjectIterator::StandOn{}, ticked[0]);
    for (size_t k = 0; k < n; ++k) {
        ZubBase* c = ticked[k];
        // A child's first line some steps ahead; once it has come, what the
        // child's tick reads beyond it.
        if (k + 2 * kDrawStep < n) __builtin_prefetch(ticked[k + 2 * kDrawStep]);
        if (k + kDrawStep < n) ticked[k + kDrawStep]->readAheadForTick();
        it.standOn(c);
        plan->walkingAt = static_cast<std::ptrdiff_t>(k);
        if (!c->bToBeDestroyed) c->tick(time, dt);
        if (!plan->valid) break;  // the children changed on the way
        if (c->bToBeDestroyed) {
            dropTickPlan();
            break;
        }
    }
    plan->walkingAt = -1;
    if (plan->valid) return;
    for (it.advance(); it; it.advance()) it->tick(time, dt);
}

void ZubBase::buildTickPlan() {
    if (!tickPlan) tickPlan = std::make_unique<TickPlan>();
    TickPlan& plan = *tickPlan;
    plan.ticked.clear();
    plan.owed.clear();
    plan.walkingAt = -1;
    plan.anyLeftOut = false;
    for (ZubBase* c = firstChild; c; c = c->nextSibling) {
        bool leaveOut = !c->bToBeDestroyed && !(c->stateLeft > 0.0) && keepsPlainTick(c);
        if (leaveOut && c->firstChild) {
            // Only a whole subtree that counts time and nothing else, with
            // its own debt paid first.
            TickPlan* below = c->tickPlan.get();
            leaveOut = below && below->valid && below->ticked.empty();
            if (leaveOut) c->payTickDebt();
        }
        if (leaveOut) {
            c->bTimerDeferred = 1;
            plan.anyLeftOut = true;
        } else {
            plan.ticked.push_back(c);
        }
    }
    plan.valid = true;
}

void ZubBase::payTickDebt() {
    TickPlan& plan = *tickPlan;
    const size_t n = plan.owed.size();
    if (n == 0) return;
    // In the middle of the walk the last step is this frame's: it counts for
    // the children the walk has passed, not for those ahead.
    const ZubBase* current = plan.walkingAt >= 0 ? plan.ticked[static_cast<size_t>(plan.walkingAt)] : nullptr;
    bool ahead = false;
    for (ZubBase* c = firstChild; c; c = c->nextSibling) {
        if (c == current) ahead = true;
        if (c->bTimerDeferred) addSteps(c, plan.owed.data(), ahead ? n - 1 : n);
    }
    plan.owed.clear();
}

void ZubBase::dropTickPlan() {
    TickPlan* plan = tickPlan.get();
    if (!plan || !plan->valid) return;
    payTickDebt();
    if (plan->anyLeftOut)
        for (ZubBase* c = firstChild; c; c = c->nextSibling) c->bTimerDeferred = 0;
    plan->ticked.clear();
    plan->valid = false;
    plan->anyLeftOut = false;
}

void ZubBase::settleDeferredTimers() {
    // The debt of a left-out subtree sits with its nearest ticked ancestor.
    ZubBase* holder = this;
    while (holder->bTimerDeferred && holder->parent) holder = holder->parent;
    TickPlan* plan = holder->tickPlan.get();
    if (!plan || !plan->valid) return;
    // In the middle of its walk the children ahead are still to count this
    // frame's step: they are walked from here on.
    if (plan->walkingAt >= 0) holder->dropTickPlan();
    else holder->payTickDebt();
}

void ZubBase::wakeTick() {
    for (ZubBase* o = this; o->bTimerDeferred && o->parent; o = o->parent) o->parent->dropTickPlan();
}

void ZubBase::childrenWillChange() {
    if (bTimerDeferred) wakeTick();
    if (tickPlan) dropTickPlan();
}

void ZubBase::beforeTimersChange(bool arming) {
    if (!bTimerDeferred) return;
    if (arming) wakeTick();
    else settleDeferredTimers();
}

static_assert(std::is_standard_layout_v<BasicFlags> && offsetof(BasicFlags, bToBeDestroyed) == 0,
              "DeletionFlag finds the object's flags at its own address");

DeletionFlag& DeletionFlag::operator=(int value) {
    const uint8_t was = set;
    set = value ? 1 : 0;
    if (set && !was) {
        // The flag is the first field of the object's flags.
        ZubBase* o = static_cast<ZubBase*>(reinterpret_cast<BasicFlags*>(this));
        if (o->bTimerDeferred) o->wakeTick();
    }
    return *this;
}

void ZubBase::render() {
    if (!firstChild || quietChildrenStamp == childStamp) return;
    // Long lists of objects drawn elsewhere (level objects, drawn through
    // their proxies) are walked once, then skipped while they stay as they are.
    const uint64_t stampBefore = childStamp;
    bool anyDraws = false;
    walkChildren(ObjectIterator::INCLUDE_DISABLED, true, [&anyDraws](ZubBase* c) {
        if (!anyDraws && c->drawsInTree()) anyDraws = true;
        if (!c->bHidden) c->render();
    });
    quietChildrenStamp = !anyDraws && childStamp == stampBefore ? stampBefore : 0;
}

ZubBase* ZubBase::findObjectUnderMouse(int& skip) {
    // Children drawn last lie on top: test them first.
    for (ObjectIterator it(this, ObjectIterator::BACKWARDS); it; it.advance()) {
        if (it->bHidden) continue;
        if (ZubBase* hit = it->findObjectUnderMouse(skip)) return hit;
    }
    if (!bHidden && !bDisabled && isMouseInside()) {
        if (skip > 0) --skip;
        else return this;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Events

bool ZubBase::previewEvent(ZubEvent& ev) {
    if (parent && parent->previewEvent(ev)) return true;
    if (bDisabled) return true;
    return onPreviewEvent(ev);
}

bool ZubBase::bubbleEvent(ZubEvent& ev) {
    ZubBaseReference up;  // the handler may delete this object's ancestors
    up.set(parent);
    if (onBubbleEvent(ev)) return true;
    return up.get() ? up->bubbleEvent(ev) : false;
}

bool ZubBase::onPreviewEvent(ZubEvent& ev) { return delegate ? delegate->onPreviewEvent(ev) : false; }
bool ZubBase::onEvent(ZubEvent& ev) { return delegate ? delegate->onEvent(ev) : false; }
bool ZubBase::onBubbleEvent(ZubEvent& ev) { return delegate ? delegate->onBubbleEvent(ev) : false; }

bool ZubBase::sendEvent(ZubEvent& ev) {
    ZubBase* target = ev.target;
    if (!target || target->bDying) return false;
    // Handlers may delete the target or its parent; hold both weakly.
    ZubBaseReference t, up;
    t.set(target);
    up.set(target->parent);
    if (up.get() && up->previewEvent(ev)) return true;
    if (t.get() && !t->bDisabled && t->onEvent(ev)) return true;
    return up.get() ? up->bubbleEvent(ev) : false;
}

bool ZubBase::sendEvent(int code, ZubBase* sender, ZubBase* target) {
    ZubEvent ev;
    ev.code = code;
    ev.sender = sender;
    ev.target = target;
    return sendEvent(ev);
}

// ---------------------------------------------------------------------------
// Network body

namespace {

// Whether nothing in the subtree below `top` hangs more than `levels` levels
// below it, found by looking at no more than a few dozen objects; false when
// it is larger than that.
bool subtreeFits(const ZubBase* top, int levels) {
    constexpr int kMostObjects = 64;
    int seen = 0, below = 0;
    const ZubBase* o = top;
    for (;;) {
        if (o->firstChild) {
            if (++below > levels || ++seen > kMostObjects) return false;
            o = o->firstChild;
            continue;
        }
        while (o != top && !o->nextSibling) {
            o = o->parent;
            --below;
        }
        if (o == top) return true;
        if (++seen > kMostObjects) return false;
        o = o->nextSibling;
    }
}

}  // namespace

void ZubBase::netSerialize(Packet& p) {
    const BodyBeingRead body{this, bodiesBeingRead};
    struct Restore {
        const BodyBeingRead* outer;
        ~Restore() { bodiesBeingRead = outer; }
    } restore{bodiesBeingRead};
    if (!p.bWriting) bodiesBeingRead = &body;
    // A body read may arm a delayed state: the walk comes back to the object.
    if (bTimerDeferred) p.bWriting ? settleDeferredTimers() : wakeTick();
    SerialPlan::serializeProperties(this, p);
    if (p.flags & Packet::FLAG_RAW_CLASSES) {
        uint32_t check = kCheckWord;
        p.doDWORD(check);
        if (!p.bWriting && check != kCheckWord && !p.failed())
            p.fail(u"object body check word mismatch", "check == 0xFEFDFCFB");
    }
    if (p.failed()) return;

    // Children: one object reference each, ended by "no object". A network
    // packet carries only the registered children.
    if (p.bWriting) {
        for (ZubBase* c : childrenOf(this)) {
            if ((p.flags & Packet::FLAG_NETWORK) && c->objectUID <= 0) continue;
            ZubBase* ref = c;
            p.doPointer2(ref);
        }
        ZubBase* none = nullptr;
        p.doPointer2(none);
        return;
    }
    // A new child may not contain this object, nor hang deeper than a
    // replicated tree may nest. The way up is walked once per body, and no
    // further than that depth.
    int depth = -1;
    const ZubBase* top = this;
    for (int guard = 0;; ++guard) {
        ZubBase* c = nullptr;
        if (!p.doPointer2(c) || p.failed()) break;
        if (c->parent != this) {
            if (depth < 0)
                for (depth = 0; top->parent && depth < Replication::MAX_TREE_DEPTH; ++depth) top = top->parent;
            if (depth >= Replication::MAX_TREE_DEPTH) {
                p.fail(formatString(u"object tree deeper than %d", Replication::MAX_TREE_DEPTH),
                       "depth <= MAX_TREE_DEPTH");
                break;
            }
            const bool ancestor = c->firstChild && (c->parent ? c->isAncestorOf(this) : c == top);
            if (c == this || ancestor || c->objectUID == 1 || isBeingRead(c)) {
                p.fail(u"object body names itself, an ancestor or the root as a child", "child != this");
                break;
            }
            // A small subtree is measured here; a larger one (or one that
            // would hang too deep) after the packet.
            if (c->firstChild && !subtreeFits(c, Replication::MAX_TREE_DEPTH - depth - 1)) ++Replication::subtreesMoved;
            Replication::objectMoving(c);
            addChild(c);
        }
        if (guard > (1 << 20)) {
            p.fail(u"object body has too many children", "children < 2^20");
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Properties

void ZubBase::addPropertiesTo(PropertyContainer* c) {
    // The UID travels in the commands themselves, never in a body: a copy
    // read back must not take over the original's UID.
    c->add(new PropertyInt(u"objectUID", PROP_READONLY | PROP_NOT_NETWORK | PROP_NOT_COPY, &objectUID),
           "the object's number in the level, given when it is placed (not saved with its body)");
    PropertyContainer* s = c->add(new PropertyContainer(u"StateBase", 0),
                                  "its state machine: state, time in it, time left to the pending state, that state");
    s->add(new PropertyInt(u"state", 0, &state));
    s->add(new PropertyDouble(u"timeInState", 0, &timeInState));
    s->add(new PropertyDouble(u"stateLeft", 0, &stateLeft));
    s->add(new PropertyInt(u"stateGoto", 0, &stateGoto));
}

PropertyContainer* ZubBase::createPropertyContainer() {
    settleTimers();
    auto* c =
        new PropertyContainer(formatString(u"%s (%08lx)", getClass()->getName(), reinterpret_cast<uintptr_t>(this)), 0);
    addPropertiesTo(c);
    return c;
}

void ZubBasePointer::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyReference(u"pObject", 0, &pObject, &ZubBase::classRecord));
}

// ---------------------------------------------------------------------------
// Helpers

void ZubBase::notifyReferrers() {
    // Collect first: a handler may clear or re-point references.
    ZubBase* owners[64];
    int n = 0;
    for (ZubBaseReference* r = referrers; r && n < 64; r = r->nextRef)
        if (r->owner) owners[n++] = r->owner;
    // A handler may delete this object: watch it through a reference.
    auto self = std::make_unique<ZubBaseReference>();
    self->set(this);
    for (int i = 0; i < n && self->get(); ++i) {
        ZubEvent ev;
        ev.code = EVENT_REFERENCE_CHANGED;
        ev.sender = this;
        ev.target = owners[i];
        sendEvent(ev);
    }
}

void ZubBase::setDescendantsFlag(bool value) {
    for (ZubBase* c : childrenOf(this)) {
        c->bHidden = value ? 1 : 0;
        c->setDescendantsFlag(value);
    }
}

void ZubBase::setState(int newState, double delay) {
    RPCGotoState rpc;
    rpc.target = this;
    rpc.newState = newState;
    rpc.delay = delay;
    rpc.call();
}

void ZubBase::netAddChild(ZubBase* child) {
    RPCAddChild rpc;
    rpc.target = this;
    rpc.child = child;
    rpc.call();
}

void ZubBase::netRemoveChild(ZubBase* child) {
    RPCRemoveChild rpc;
    rpc.target = this;
    rpc.child = child;
    rpc.call();
}

void ZubBase::netCallPostReplicate() {
    RPCPostReplicate rpc;
    rpc.target = this;
    rpc.call();
}

void ZubBase::netCallPostReplicateGlobal() {
    RPCPostReplicateGlobal rpc;
    rpc.target = this;
    rpc.call();
}

// ---------------------------------------------------------------------------
// ObjectIterator

ObjectIterator::ObjectIterator(ZubBase* p, int m) : parent(p), mode(m), outer(activeIterators) {
    activeIterators = this;
    settle(p ? ((mode & BACKWARDS) ? p->lastChild : p->firstChild) : nullptr);
}

ObjectIterator::ObjectIterator(ZubBase* p, int m, StandOn, ZubBase* at)
    : parent(p), current(at), mode(m), outer(activeIterators) {
    activeIterators = this;
}

ObjectIterator::~ObjectIterator() {
    // Cursors live on the stack and end in reverse order of their start.
    if (activeIterators == this) {
        activeIterators = outer;
    } else {
        for (ObjectIterator* it = activeIterators; it; it = it->outer)
            if (it->outer == this) {
                it->outer = outer;
                break;
            }
    }
}

ZubBase* ObjectIterator::step(ZubBase* from) const {
    return (mode & BACKWARDS) ? from->prevSibling : from->nextSibling;
}

void ObjectIterator::settle(ZubBase* c) {
    current = nullptr;
    bHavePending = false;
    while (c) {
        if (c->bToBeDestroyed) {
            if (mode & DESTROYING) {
                // The deletion may take further siblings with it; resume from
                // wherever the removal fix-ups leave the cursor.
                pending = step(c);
                bHavePending = true;
                parent->unlinkChild(c);
                deleteObject(c);
                c = pending;
                bHavePending = false;
                continue;
            }
        } else if (!c->bDisabled || (mode & INCLUDE_DISABLED)) {
            current = c;
            return;
        }
        c = step(c);
    }
}

void ObjectIterator::advanceSlowly() {
    ZubBase* old = current;
    if (!bHavePending) {
        if (!old) return;
        pending = step(old);
        bHavePending = true;
    }
    current = nullptr;
    if (old && old->bToBeDestroyed && (mode & DESTROYING) && old->parent == parent) {
        parent->unlinkChild(old);
        deleteObject(old);
    }
    settle(pending);
}

void ObjectIterator::onChildRemoved(ZubBase* parentOfChild, ZubBase* child) {
    if (parentOfChild != parent) return;
    if (current == child) {
        current = nullptr;
        pending = step(child);
        bHavePending = true;
    } else if (bHavePending && pending == child) {
        pending = step(child);
    }
}

// ---------------------------------------------------------------------------
// ZubBaseReference

ZubBaseReference::~ZubBaseReference() { unlink(); }

void ZubBaseReference::link(ZubBase* t) {
    target = t;
    prevRef = nullptr;
    nextRef = t->referrers;
    if (nextRef) nextRef->prevRef = this;
    t->referrers = this;
}

void ZubBaseReference::unlink() {
    if (!target) return;
    if (prevRef) prevRef->nextRef = nextRef;
    else target->referrers = nextRef;
    if (nextRef) nextRef->prevRef = prevRef;
    target = nullptr;
    prevRef = nextRef = nullptr;
}

void ZubBaseReference::set(ZubBase* t) {
    if (t == target) return;
    const bool hadTarget = target != nullptr;
    unlink();
    if (t && !t->bDying) link(t);
    if (hadTarget && !target && owner && !owner->bDying) {
        ZubEvent ev;
        ev.code = EVENT_REFERENCE_LOST;
        ev.target = owner;
        ev.reference = this;
        ZubBase::sendEvent(ev);
    }
}
