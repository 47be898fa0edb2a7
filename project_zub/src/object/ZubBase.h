#pragma once
// The object tree every engine and game object lives in.
//
// A ZubBase owns its children (deleting an object deletes its subtree), runs a
// small state machine (StateBase), describes its fields as properties for
// packets and the editor, and takes part in event routing. Every live object
// is also on one process-wide list, so that mode changes can be announced to
// all of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "object/RuntimeClass.h"
#include "util/WString.h"

class ZubBase;
class ZubBaseReference;
class Packet;
class PropertyContainer;

// Event codes carried by ZubEvent::code.
enum ZubEventCode : int {
    EVENT_REFERENCE_LOST = 0,     // a reference of the receiver lost its target
    EVENT_REFERENCE_CHANGED = 1,  // an object the receiver refers to changed
    EVENT_FOCUS_LOST = 2,
    EVENT_FOCUS_GAINED = 3,
    EVENT_CLICK = 4,
    EVENT_DRAG = 5,
    EVENT_KEY = 6,  // a key went down or a character was typed
    EVENT_MOUSE_MOVE = 7,
    EVENT_CHANGED = 8,  // an edited object or widget changed
    EVENT_EDITED = 9,   // an object was edited and rebuilds what derives from its properties
};

struct ZubEvent {
    int code = 0;
    ZubBase* sender = nullptr;
    ZubBase* target = nullptr;
    ZubBaseReference* reference = nullptr;  // code 0: the reference that was cleared
    int key = 0;                            // code 6: the input code that went down, 0 for none
    char16_t character = 0;                 // code 6: the typed character, 0 for none
    float x = 0, y = 0, z = 0;              // pointer position where it applies
    int pointer = 0;                        // the input pointer's index
};

// The tree links of an object. The two that every walk follows come first:
// they share the object's first cache line with the state timer and the
// flags (see ZubBase's layout).
struct BasicLink {
    ZubBase* firstChild = nullptr;
    ZubBase* nextSibling = nullptr;
    ZubBase* parent = nullptr;
    ZubBase* prevSibling = nullptr;
    ZubBase* lastChild = nullptr;
};

// The deletion flag: set, it is skipped by iteration and deleted by the next
// destroying walk. Setting it also has the parent's tick walk come to the
// object again if it had left it out (see ZubBase::tick).
class DeletionFlag {
public:
    DeletionFlag& operator=(int value);
    operator uint8_t() const { return set; }

private:
    uint8_t set = 0;
};

// The flags every walk of the tree reads.
struct BasicFlags {
    DeletionFlag bToBeDestroyed;  // first: DeletionFlag finds the object by it
    uint8_t bDisabled = 0;        // no events, no pointer hits
    uint8_t bLocal = 1;
    uint8_t bHidden = 0;  // not drawn, no pointer hits
    uint8_t bDying = 0;   // set while the engine deletes the object
    // The parent's tick walk leaves the object out and counts its time later
    // (see ZubBase::tick).
    uint8_t bTimerDeferred = 0;
};

// A state number with a timer. Going to a state either happens at once or
// after a delay that the object's tick counts down.
class StateBase {
public:
    virtual ~StateBase() = default;

    // Enters state n at once (delay <= 0) or after `delay` seconds. Nothing
    // happens when n is already the pending state.
    void gotoState(int n, double delay = 0.0);
    // Advances the timers by dt; enters the pending state when its delay ran out.
    void tickState(double dt);

    virtual void onStateChange() {}

protected:
    // Called before gotoState writes the timers; `arming` when it sets a
    // delay that the tick has to count down.
    virtual void beforeTimersChange(bool arming) { (void)arming; }

public:
    // The timers first: every tick reads them.
    double timeInState = 0.0;
    double stateLeft = 0.0;
    int state = 0;
    int stateGoto = 0;
};

// Layout: the class pointer, the state (with its timers), the flags, then
// the links, so that what a tick or a drawing walk reads of an object (the
// class, the timers, the flags, the first child and the next sibling) lies
// in its first 64 bytes, one cache line.
class ZubBase : public ClassObject, public StateBase, public BasicFlags, public BasicLink {
    ZUB_DECLARE_CLASS(ZubBase)
public:
    ZubBase();
    ~ZubBase() override;
    ZubBase(const ZubBase&) = delete;
    ZubBase& operator=(const ZubBase&) = delete;

    // Objects start on a cache line: what every walk of the tree reads of
    // them (see the layout above) then takes one line. (ZubBase.cpp tells
    // how they are allocated.)
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size);
    static constexpr std::size_t kObjectAlignment = 64;

    // --- lifetime -----------------------------------------------------------
    // Removes the object: through the network role when it is registered and
    // a role is active, otherwise unlinked from its parent and deleted at once.
    virtual void destroy();
    virtual void destroyChildren();

    // --- frame ----------------------------------------------------------------
    // The state timer, then every live child in order (flagged children are
    // deleted on the way).
    //
    // A child that would only count its timer (its class keeps this tick, it
    // has no pending state, and the same holds for everything below it) is
    // left out of the walk once the children have been walked unchanged: its
    // parent notes each step instead and adds them to the timers of that
    // subtree, in order and so to the same values, every 128 frames and
    // whenever anything outside reads or writes them (a body, a property
    // container, gotoState). Linking or unlinking a child, setting the
    // deletion flag or arming a delayed state brings the walk back to it.
    virtual void tick(double time, double dt);
    // Asks the memory for what the object's tick reads beyond its first
    // line, a few objects before the walk comes to it. Nothing by default.
    virtual void readAheadForTick() const {}
    // Brings the timers up to date when a parent's walk left the object out;
    // code outside the object's own tick that reads or writes timeInState or
    // stateLeft directly calls it first.
    void settleTimers() {
        if (bTimerDeferred) settleDeferredTimers();
    }
    // Has the walk tick the object again from the next frame on.
    void wakeTick();
    // Every child that is not hidden, in order; nothing of the object itself.
    // A list none of whose children draws in the tree (drawsInTree) is not
    // walked again until its children change.
    virtual void render();
    // Whether render() can draw anything: false for a class whose objects
    // are drawn by other means and whose render() neither draws nor walks
    // its children. A class-wide answer, asked when a list is walked.
    virtual bool drawsInTree() const { return true; }
    // Asks the memory for what drawing the object will read, a few objects
    // before a long list's drawing walk comes to it: in step 0 its own
    // fields, in step 1 (some objects later, when those have come) what they
    // point at. Nothing by default.
    virtual void readAheadForDraw(int step) const { (void)step; }
    // The topmost object under the pointer in this subtree, skipping `skip`
    // hits first; hidden and disabled objects are not hit.
    virtual ZubBase* findObjectUnderMouse(int& skip);
    virtual bool isMouseInside() { return false; }

    // --- events ---------------------------------------------------------------
    // Routing walkers: previewEvent runs the handlers of this object and its
    // ancestors from the top down (a disabled object consumes the preview);
    // bubbleEvent runs this object's and then its ancestors' bubble handlers
    // until one consumes the event.
    virtual bool previewEvent(ZubEvent& ev);
    virtual bool bubbleEvent(ZubEvent& ev);
    // Handlers; unhandled events go to the delegate's handler of the same kind.
    virtual bool onPreviewEvent(ZubEvent& ev);
    virtual bool onEvent(ZubEvent& ev);
    virtual bool onBubbleEvent(ZubEvent& ev);

    // Sends an event to its target: the target's ancestors preview it, then
    // the target handles it unless it was consumed or the target is disabled,
    // then the ancestors get it bubbling up until one consumes it.
    static bool sendEvent(ZubEvent& ev);
    static bool sendEvent(int code, ZubBase* sender, ZubBase* target);

    // Display mode (3 running, 2 paused, 1 frozen) and input mode changes.
    virtual void onZUBmodeChange(int mode) { (void)mode; }
    virtual void onInputModeChange(int mode) { (void)mode; }

    // --- network --------------------------------------------------------------
    // Writes or reads the declared properties, the check word (packets with
    // flag 4) and the children (registered ones only in packets with flag 1).
    virtual void netSerialize(Packet& p);
    virtual void netSerializeFull(Packet& p) { netSerialize(p); }
    virtual void netPostReplicate() {}
    virtual void netPostReplicateGlobal() {}
    // Why the object's property values are a combination its class cannot
    // work with (its own code asserts against it), as a sentence; empty when
    // they are fine. Asked of a body read from a packet or a level file
    // before the object finishes its set-up, and by the tools that write
    // values (the level builder, the editor) before they keep them.
    virtual WString valueFault() const { return {}; }

    // --- children -------------------------------------------------------------
    virtual void addChild(ZubBase* child);
    virtual void removeChild(ZubBase* child);
    void insertChildAfter(ZubBase* child, ZubBase* sibling);
    void insertChildBefore(ZubBase* child, ZubBase* sibling);
    int countChildren() const;
    bool isAncestorOf(const ZubBase* o) const;

    // --- properties -----------------------------------------------------------
    // Appends the object's properties to the container: "objectUID", then
    // the "StateBase" group. Subclasses call the parent's first. Every object
    // of a class must declare the same list bound to its own fields: the
    // body's encoding is planned once per class from it (SerialPlan.h; a
    // class that cannot keep to that uses ZUB_PROPERTIES_VARY).
    virtual void addPropertiesTo(PropertyContainer* container);
    // A new container named "<class name> (<address>)" holding the object's
    // properties; the caller owns it.
    PropertyContainer* createPropertyContainer();

    // --- helpers --------------------------------------------------------------
    // Event 1 to the owner of every reference that points here.
    void notifyReferrers();
    // Sets the hidden flag of every descendant.
    void setDescendantsFlag(bool value);

    // Replicated operations: each builds its remote call, sends it to the
    // peers when the call requires it, then runs it here.
    void setState(int newState, double delay = 0.0);
    void netAddChild(ZubBase* child);
    void netRemoveChild(ZubBase* child);
    void netCallPostReplicate();
    void netCallPostReplicateGlobal();

    bool isValidUID() const { return objectUID > 0; }

    // Walks every live object (in creation order). The callback may not
    // delete objects other than the one it is given.
    template <class F>
    static void forEachLive(F&& f) {
        for (ZubBase* o = liveHead; o;) {
            ZubBase* next = o->liveNext;
            f(o);
            o = next;
        }
    }
    static int liveCount() { return liveObjects; }

    // Changes whenever a child is linked to or unlinked from this object, to
    // a value no object's stamp has had before (0 before the first change):
    // what was built from the children stays true while the stamp stays.
    uint64_t childrenStamp() const { return childStamp; }
    // Changes whenever this object is linked to or unlinked from a parent (0
    // before the first time).
    uint64_t placeStamp() const { return ownPlaceStamp; }
    // Changes whenever an object that has children is linked or unlinked
    // anywhere: with the object's own place stamp, what was found by
    // climbing from an object to its ancestors stays true while both stay.
    static uint64_t subtreeMoveStamp() { return lastSubtreeMove; }

    int32_t objectUID = -1;
    ZubBase* delegate = nullptr;  // receives the events this object leaves unhandled

private:
    friend class ZubBaseReference;
    friend class ObjectIterator;

    void unlinkChild(ZubBase* child);
    void linkChild(ZubBase* child, ZubBase* before);
    // Walks the children as tick and render do (`mode` as ObjectIterator's),
    // calling f on each; see ChildWalk in ZubBase.cpp.
    template <class F>
    void walkChildren(int mode, bool drawing, F&& f);

    // The tick walk's plan (see tick).
    struct TickPlan;
    std::unique_ptr<TickPlan> tickPlan;
    void tickChildren(double time, double dt);
    void buildTickPlan();
    void dropTickPlan();
    void payTickDebt();
    void settleDeferredTimers();
    void childrenWillChange();
    void beforeTimersChange(bool arming) override;
    friend class DeletionFlag;

    // The children in order as the last walk that changed nothing met them,
    // for lists long enough that reading ahead pays: while a walk finds the
    // same children, it asks the memory for those a few places ahead.
    struct ChildArray {
        uint64_t stamp = 0;
        std::vector<ZubBase*> children;
    };
    std::unique_ptr<ChildArray> childArray;

    ZubBaseReference* referrers = nullptr;  // references that point at this object
    uint64_t childStamp = 0;
    uint64_t ownPlaceStamp = 0;
    // The children stamp under which no child drew in the tree (0: none).
    uint64_t quietChildrenStamp = 0;
    static uint64_t lastChildStamp;
    static uint64_t lastSubtreeMove;
    ZubBase* livePrev = nullptr;
    ZubBase* liveNext = nullptr;
    static ZubBase* liveHead;
    static ZubBase* liveTail;
    static int liveObjects;
};

// Deletes an object owned by the engine: marks it as dying first so that no
// events reach it while it is taken apart.
void deleteObject(ZubBase* o);

// The object as a T when its class is T's or derives from it, otherwise null
// (also for null). The check goes by class record: a C++ class without a
// record of its own is checked as its nearest recorded base.
template <class T>
T* zub_cast(ZubBase* o) {
    return o && o->getClass()->isDerivedFrom(&T::classRecord) ? static_cast<T*>(o) : nullptr;
}
template <class T>
const T* zub_cast(const ZubBase* o) {
    return o && o->getClass()->isDerivedFrom(&T::classRecord) ? static_cast<const T*>(o) : nullptr;
}

// The children of `parent` whose class is T's or derives from it, in order,
// as T*: `for (Hull* h : childrenOf<Hull>(list))`. Every child is visited,
// also those flagged for deletion (an ObjectIterator skips them). The next
// child is read before the body runs, so the body may remove or delete the
// child it was given, but no other.
template <class T>
class ChildRange {
public:
    explicit ChildRange(const ZubBase* parent) : first(parent ? parent->firstChild : nullptr) {}

    class iterator {
    public:
        explicit iterator(ZubBase* c) : current(settle(c)), next(current ? current->nextSibling : nullptr) {}
        T* operator*() const { return static_cast<T*>(current); }
        iterator& operator++() {
            current = settle(next);
            next = current ? current->nextSibling : nullptr;
            return *this;
        }
        bool operator!=(const iterator& o) const { return current != o.current; }
        bool operator==(const iterator& o) const { return current == o.current; }

    private:
        static ZubBase* settle(ZubBase* c) {
            if constexpr (!std::is_same_v<T, ZubBase>)
                while (c && !c->getClass()->isDerivedFrom(&T::classRecord)) c = c->nextSibling;
            return c;
        }
        ZubBase* current;
        ZubBase* next;
    };

    iterator begin() const { return iterator(first); }
    iterator end() const { return iterator(nullptr); }

private:
    ZubBase* first;
};

template <class T = ZubBase>
ChildRange<T> childrenOf(const ZubBase* parent) {
    return ChildRange<T>(parent);
}
template <class T = ZubBase>
ChildRange<T> childrenOf(const ZubBase& parent) {
    return ChildRange<T>(&parent);
}

// A cursor over an object's children. Mode bits: 1 backwards, 2 destroying
// (a child with the deletion flag is deleted when the cursor meets it),
// 4 also yield disabled children. Flagged children are never yielded.
// Children may be removed or deleted while a cursor stands on them.
class ObjectIterator {
public:
    enum : int { BACKWARDS = 1, DESTROYING = 2, INCLUDE_DISABLED = 4 };

    explicit ObjectIterator(ZubBase* parent, int mode = 0);
    ~ObjectIterator();
    ObjectIterator(const ObjectIterator&) = delete;
    ObjectIterator& operator=(const ObjectIterator&) = delete;

    ZubBase* get() const { return current; }
    ZubBase* operator->() const { return current; }
    explicit operator bool() const { return current != nullptr; }
    void advance() {
        // The usual step, written out: the cursor stands on a live child
        // whose next sibling is one to yield.
        if (!bHavePending && current && !current->bToBeDestroyed) {
            ZubBase* next = (mode & BACKWARDS) ? current->prevSibling : current->nextSibling;
            if (next && !next->bToBeDestroyed && (!next->bDisabled || (mode & INCLUDE_DISABLED))) {
                current = next;
                return;
            }
        }
        advanceSlowly();
    }

private:
    friend class ZubBase;
    struct StandOn {};
    // A cursor that stands on `at` (a live child of p) without looking at
    // the children before it.
    ObjectIterator(ZubBase* p, int mode, StandOn, ZubBase* at);
    void standOn(ZubBase* c) {
        current = c;
        bHavePending = false;
    }
    // advance() for every other case: a removed or flagged child, the end.
    void advanceSlowly();
    ZubBase* step(ZubBase* from) const;
    void settle(ZubBase* candidate);
    void onChildRemoved(ZubBase* parentOfChild, ZubBase* child);

    ZubBase* parent;
    ZubBase* current = nullptr;
    ZubBase* pending = nullptr;  // where to resume when the current child was removed
    bool bHavePending = false;
    int mode;
    ObjectIterator* outer;  // the stack of live cursors, for removal fix-ups
};

// A reference owned by an object (its owner) that the target clears when it
// dies. Clearing a reference that had a target sends event 0 naming the
// reference to the owner, unless the owner itself is being deleted.
class ZubBaseReference {
public:
    explicit ZubBaseReference(ZubBase* owner = nullptr) : owner(owner) {}
    ~ZubBaseReference();
    ZubBaseReference(const ZubBaseReference&) = delete;
    ZubBaseReference& operator=(const ZubBaseReference&) = delete;

    void set(ZubBase* target);
    ZubBase* get() const { return target; }
    ZubBase* operator->() const { return target; }
    explicit operator bool() const { return target != nullptr; }
    template <class T>
    T* as() const {
        return static_cast<T*>(target);
    }
    // Comparisons with a pointer (also with NULL, as fatal assertions read).
    bool operator==(const ZubBase* o) const { return target == o; }
    bool operator!=(const ZubBase* o) const { return target != o; }

    ZubBase* owner;

private:
    friend class ZubBase;
    void link(ZubBase* t);
    void unlink();

    ZubBase* target = nullptr;
    ZubBaseReference* prevRef = nullptr;
    ZubBaseReference* nextRef = nullptr;
};

// A registered object that holds one object pointer; used as a list entry.
// The pointer empties itself when the object it names is deleted, so a list
// never leads to freed memory.
class ZubBasePointer : public ZubBase {
    ZUB_DECLARE_CLASS(ZubBasePointer)
public:
    ZubBasePointer() : pObject(this) {}
    explicit ZubBasePointer(ZubBase* o) : pObject(this) { pObject.set(o); }
    void addPropertiesTo(PropertyContainer* container) override;
    ZubBaseReference pObject;
};
