#include "world/EditorObject.h"

#include <cmath>

#include "engine/FocusManager.h"
#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "gfx/Skin.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "sys/Console.h"
#include "sys/ErrorManager.h"
#include "sys/TimeKeeper.h"
#include "world/A99Object.h"
#include "world/EditorGizmos.h"
#include "world/EditorProxy.h"
#include "world/GameWorld.h"
#include "world/WorldClassIds.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(EditorObject, Renderable, world_ids::EditorObject)
ZUB_IMPLEMENT_CLASS(RPCEditorObjectConstruct, RPC, world_ids::RPCEditorObjectConstruct)

namespace {

// Down this frame and up the previous one.
bool keyPressed(const ZubInput* in, int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); }

constexpr float kMinScale = 0.01f;

float clampScaleComponent(float v) {
    if (std::fabs(v) < kMinScale) return v > 0.0f ? kMinScale : -kMinScale;
    return v;
}

// A scale drag that starts this close to one of the object's axes (in
// reference-screen pixels) counts as starting on it: the ratio of a pointer
// a pixel away to one a hair away would blow the object up.
constexpr float kOnAxisPixels = 2.0f;

// The scale factor along one axis from the pointer's local coordinate before
// and now: 1 from on the axis (within `onAxis` local units of it).
float scaleFactor(float before, float now, float onAxis) {
    if (before == 0.0f || std::fabs(before) < onAxis) return 1.0f;
    return std::fabs(now / before);
}

}  // namespace

bool EditorObject::isPlaceableClass(const RuntimeClass* cls) {
    if (!cls || !cls->createFn || !cls->isDerivedFrom(&EditorObject::classRecord)) return false;
    auto* made = static_cast<EditorObject*>(static_cast<ZubBase*>(cls->create()));
    const bool look = made && (made->pSkin || made->editorSkin);
    deleteObject(made);
    return look;
}

std::vector<const RuntimeClass*> EditorObject::placeableClasses() {
    RuntimeClassManager& registry = RuntimeClassManager::getInstance();
    registry.buildClassArray();
    std::vector<const RuntimeClass*> out;
    for (const RuntimeClass* cls : registry.classArray)
        if (isPlaceableClass(cls)) out.push_back(cls);
    return out;
}

EditorProxy* EditorObject::getProxy() const { return proxy.as<EditorProxy>(); }

void RPCEditorObjectConstruct::execute() {
    if (EditorObject* o = zub_cast<EditorObject>(target)) o->local_construct();
}

EditorObject::EditorObject() {
    // Level objects are picked by their shape (in the editor by the editor
    // skin when they have no skin of their own).
    bPickable = 1;
}

EditorObject::~EditorObject() {
    EditorProxy* p = getProxy();
    if (!p) return;
    // The proxy must never reach an owner that is gone.
    p->pOwner.set(nullptr);
    if (THEROLE) {
        if (p->parent) p->parent->netRemoveChild(p);
        if (proxy.get()) p->destroy();
    } else if (!p->isValidUID()) {
        if (p->parent) p->parent->removeChild(p);
        deleteObject(p);
    }
}

// ---------------------------------------------------------------------------
// Construction and placement

void EditorObject::construct() {
    RPCEditorObjectConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void EditorObject::local_construct() {
    GameWorld* GC = GameWorld::current();
    ZUB_ASSERT(GC != NULL);
    if (EditorProxy* existing = getProxy()) {
        // Constructed before: keep the one proxy (a second one would draw the
        // object twice).
        if (existing->getOwner() != this) existing->setOwner(this);
        if (!existing->parent && GC->getProxyList()) GC->getProxyList()->netAddChild(existing);
        return;
    }
    EditorProxy* p = EditorProxy::create();
    proxy.set(p);
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(p, 0);
    p->setOwner(this);
    p->netCallPostReplicate();
    p->netCallPostReplicateGlobal();
    if (ZubBase* list = GC->getProxyList()) list->netAddChild(p);
}

void EditorObject::netPostReplicate() {
    Renderable::netPostReplicate();
    GameWorld* w = GameWorld::current();
    if (!w) return;
    EditorProxy* p = getProxy();
    ZubBase* list = w->getProxyList();
    if (p && !p->parent && list) list->addChild(p);
    pOwnerList = namedOwnerList();
    joinOwnerList();
}

void EditorObject::netPostReplicateGlobal() {
    Renderable::netPostReplicateGlobal();
    if (!GameWorld::current()) return;
    pOwnerList = namedOwnerList();
    joinOwnerList();
}

ZubBase* EditorObject::namedOwnerList() const {
    GameWorld* w = GameWorld::current();
    return w ? w->getObjectList() : nullptr;
}

void EditorObject::joinOwnerList() {
    GameWorld* w = GameWorld::current();
    if (!w || !pOwnerList || parent == pOwnerList || bToBeDestroyed) return;
    if (parent && parent != w->getObjectList()) return;
    // A list that lies inside this object would make a loop.
    if (pOwnerList == this || isAncestorOf(pOwnerList)) return;
    pOwnerList->addChild(this);
}

void EditorObject::placeAfter(EditorObject* other) {
    EditorProxy* p = getProxy();
    if (!p) return;
    GameWorld* w = GameWorld::current();
    ZubBase* list = w ? w->getProxyList() : nullptr;
    EditorProxy* op = other ? other->getProxy() : nullptr;
    if (p->parent) p->parent->removeChild(p);
    if (op && op != p && op->parent) op->parent->insertChildAfter(p, op);
    else if (list) list->addChild(p);
}

void EditorObject::placeBefore(EditorObject* other) {
    EditorProxy* p = getProxy();
    if (!p) return;
    GameWorld* w = GameWorld::current();
    ZubBase* list = w ? w->getProxyList() : nullptr;
    EditorProxy* op = other ? other->getProxy() : nullptr;
    if (p->parent) p->parent->removeChild(p);
    if (op && op != p && op->parent) {
        op->parent->insertChildBefore(p, op);
    } else if (list) {
        if (list->firstChild) list->insertChildBefore(p, list->firstChild);
        else list->addChild(p);
    }
}

// ---------------------------------------------------------------------------
// Groups

bool EditorObject::isInGroup(const EditorObject* o) const {
    int guard = 0;
    for (EditorObject* m = nextSelected(); m && guard < 100000; m = m->nextSelected(), ++guard)
        if (m == o) return true;
    return false;
}

void EditorObject::addToGroup(EditorObject* o) {
    if (!o || o == this || isInGroup(o)) return;
    o->pNextSelected.set(nextSelected());
    pNextSelected.set(o);
}

void EditorObject::removeFromGroup(EditorObject* o) {
    if (!o || o == this) return;
    int guard = 0;
    for (EditorObject* prev = this; prev && guard < 100000; prev = prev->nextSelected(), ++guard) {
        if (prev->nextSelected() == o) {
            prev->pNextSelected.set(o->nextSelected());
            o->pNextSelected.set(nullptr);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Transform edits

void EditorObject::setPosition(float x, float y, float z) {
    position = V3(x, y, z);
    onTransformChanged();
    onEdited();
}

void EditorObject::setRotation(float x, float y, float z) {
    rotation = V3(x, y, z);
    onTransformChanged();
    onEdited();
}

void EditorObject::setScale(float x, float y, float z) {
    scale = V3(x, y, z);
    onTransformChanged();
    onEdited();
}

void EditorObject::onEdited() { onTransformChanged(); }

Skin** EditorObject::getSkinProperty(const RuntimeClass** skinType) {
    if (bOwnsSkin) return nullptr;
    if (skinType) *skinType = &Skin::classRecord;
    return &pSkin;
}

void EditorObject::requestEvent9() {
    ZubEvent ev;
    ev.code = EVENT_EDITED;
    ev.sender = this;
    ev.target = this;
    // A handler may delete this object or its parent.
    ZubBaseReference self, up;
    self.set(this);
    up.set(parent);
    bool consumed = up.get() && up->previewEvent(ev);
    if (!consumed && self.get() && !bDisabled) consumed = onEvent(ev);
    if (!consumed && self.get() && up.get()) up->bubbleEvent(ev);
    if (self.get()) notifyReferrers();
}

// ---------------------------------------------------------------------------
// Copies

EditorObject* EditorObject::duplicate() {
    ObjectPacket packet(Packet::FLAG_RAW_POINTERS | Packet::FLAG_RAW_CLASSES, ObjectPacket::COPY_CAPACITY);
    const double t0 = TimeKeeper::getPhysicalTime();
    ZubBase* original = this;
    packet.doObject(original);
    const double t1 = TimeKeeper::getPhysicalTime();
    packet.rewindToRead();
    const double t2 = TimeKeeper::getPhysicalTime();
    ZubBase* copy = nullptr;
    packet.doObject(copy);
    if (copy) {
        copy->netPostReplicate();
        copy->netPostReplicateGlobal();
    }
    const double t3 = TimeKeeper::getPhysicalTime();
    Console::printActive(u"Saving time=%.9lf", t1 - t0);
    Console::printActive(u"Creation time=%.9lf", t2 - t1);
    Console::printActive(u"Loading time=%.9lf", t3 - t2);
    EditorObject* o = zub_cast<EditorObject>(copy);
    if (copy && !o) {
        deleteObject(copy);
        return nullptr;
    }
    return o;
}

void EditorObject::copySelection() {
    if (bUnduplicatable) return;
    auto copyOf = [](EditorObject* original) -> EditorObject* {
        EditorObject* c = original->duplicate();
        if (!c) return nullptr;
        if (original->parent) original->parent->insertChildAfter(c, original);
        c->placeAfter(original);
        c->setPosition(original->position.x + 10.0f, original->position.y - 10.0f, original->position.z);
        return c;
    };
    // The members first: giving the head copy the focus dissolves groups.
    EditorObject* members[256];
    int count = 0;
    for (EditorObject* m = nextSelected(); m && count < 256; m = m->nextSelected())
        if (!m->bUnduplicatable) members[count++] = m;
    EditorObject* head = copyOf(this);
    if (!head) return;
    if (FocusManager* fm = FocusManager::active()) fm->setFocus(head);
    EditorObject* tail = head;
    for (int i = 0; i < count; ++i) {
        if (EditorObject* c = copyOf(members[i])) {
            tail->pNextSelected.set(c);
            tail = c;
        }
    }
}

// ---------------------------------------------------------------------------
// Drawing and picking

void EditorObject::renderWithSkin(Skin* skin) {
    Skin* own = pSkin;
    pSkin = skin;
    calcXform();
    calcBoundingCircle();
    renderSelf();
    pSkin = own;
    calcXform();
    calcBoundingCircle();
}

void EditorObject::renderObject() {
    WorldEditorPanel* panel = activeEditorPanel();
    GameWorld* world = GameWorld::current();
    if (panel && !panel->bHideEditorViews && !pSkin) {
        ZUB_ASSERT(editorSkin != NULL);
        renderWithSkin(editorSkin);
        world->drawLabel(formatString(u"%s %d", getClass()->getName(), objectUID), position, 0xFFFFFFFFu, 5);
    }
    Renderable::render();
    if (!panel || panel->getEditedObject() != this) return;
    ZubInput* in = ZubInput::active();
    Context* ctx = owningContext();
    if (in && ctx && in->isKeyDown(KEY_LSHIFT)) {
        const V3 mouse = ctx->mousePosition;
        const V3 d = mouse - position;
        const uint32_t c = 0xff0080ffu;
        drawEditorArrow(position, mouse, c);
        const double angle = std::atan2(static_cast<double>(d.y), static_cast<double>(d.x));
        // Below the pointer on the screen, as at the editor's first zoom.
        world->drawLabel(formatString(u"%.1lf", d.length()), mouse, c, 3, V3(0.0f, -15.0f, 0.0f));
        world->drawLabel(formatString(u"%.3lf rad", angle), mouse, c, 3, V3(0.0f, -25.0f, 0.0f));
        world->drawLabel(formatString(u"%.1lf deg", angle * 360.0 / 6.2831855), mouse, c, 3, V3(0.0f, -35.0f, 0.0f));
    }
    if (nextSelected()) {
        drawEditorCircle(boundingCentre.x, boundingCentre.y, boundingCentre.z, boundingRadius, 0xffffffffu);
        int guard = 0;
        for (EditorObject* m = nextSelected(); m && guard < 100000; m = m->nextSelected(), ++guard)
            drawEditorCircle(m->boundingCentre.x, m->boundingCentre.y, m->boundingCentre.z, m->boundingRadius,
                             0xff00ff00u);
    }
}

bool EditorObject::isMouseInside() {
    if (isEditorMode()) {
        if (!bHasInvXform) {
            bHasInvXform = 1;
            onTransformChanged();
        }
        if (!pSkin) {
            ZUB_ASSERT(editorSkin != NULL);
            pSkin = editorSkin;
            calcXform();
            calcBoundingCircle();
            const bool inside = Renderable::isUnderMouse();
            pSkin = nullptr;
            calcXform();
            calcBoundingCircle();
            return inside;
        }
        return Renderable::isUnderMouse();
    }
    if (bNoCulling || !bHasInvXform) return false;
    return Renderable::isUnderMouse();
}

// ---------------------------------------------------------------------------
// Events

bool EditorObject::onEvent(ZubEvent& ev) {
    switch (ev.code) {
        case EVENT_REFERENCE_CHANGED:
        case EVENT_CHANGED:
            requestEvent9();
            return true;
        case EVENT_EDITED:
            onEdited();
            return true;
        case EVENT_FOCUS_GAINED: {
            GameWorld* w = GameWorld::current();
            if (WorldEditorPanel* panel = w ? w->getEditor() : nullptr) {
                panel->selectionPosition = position;
                panel->setEditedObject(this);
            }
            pNextSelected.set(nullptr);
            return true;
        }
        case EVENT_FOCUS_LOST: {
            GameWorld* w = GameWorld::current();
            WorldEditorPanel* panel = w ? w->getEditor() : nullptr;
            FocusManager* fm = FocusManager::active();
            const bool noNewFocus = !fm || !fm->getFocus();
            if (panel && THEROLE && noNewFocus) panel->setEditedObject(nullptr);
            return true;
        }
        case EVENT_DRAG:
            if (!isEditorMode()) break;
            onEditorDrag();
            FocusManager::sendEvent(EVENT_CHANGED, this, this);
            return true;
        case EVENT_MOUSE_MOVE:
            if (isEditorMode() && onEditorPointerMove()) return true;
            break;
        case EVENT_KEY:
            // Keys the object does not use go on along the event route.
            if (isEditorMode() && onEditorKey()) return true;
            break;
        default:
            break;
    }
    return Renderable::onEvent(ev);
}

void EditorObject::onEditorDrag() {
    ZubInput* in = ZubInput::active();
    Context* ctx = owningContext();
    if (!in || !ctx) return;
    const int mods = in->modifierState;
    const V3 now = ctx->mousePosition;
    const V3 before = ctx->prevMousePosition;
    if (in->isKeyDown(KEY_R) && mods == 0) {
        const float turn = std::atan2(now.y - position.y, now.x - position.x) -
                           std::atan2(before.y - position.y, before.x - position.x);
        float angle = std::fmod(rotation.z + turn, kTwoPi);
        if (angle < 0.0f) angle += kTwoPi;
        if (angle >= kTwoPi) angle = 0.0f;
        setRotation(0.0f, 0.0f, angle);
        return;
    }
    if (in->isKeyDown(KEY_S)) {
        if (mods == 2) {
            setScale(1.0f, 1.0f, 1.0f);
            return;
        }
        V3 localNow, localBefore;
        world2local(localNow, now);
        world2local(localBefore, before);
        // A screen pixel in the object's own units along each axis, through
        // the camera's zoom and the object's scale.
        float pixel = 1.0f;
        if (const Camera* camera = ctx->camera)
            pixel = (camera->screenToWorld(1.0f, 0.0f, now.z) - camera->screenToWorld(0.0f, 0.0f, now.z)).length();
        V3 origin, axisX, axisY;
        localToWorld(origin, V3(0.0f, 0.0f, 0.0f));
        localToWorld(axisX, V3(1.0f, 0.0f, 0.0f));
        localToWorld(axisY, V3(0.0f, 1.0f, 0.0f));
        const float unitX = (axisX - origin).length(), unitY = (axisY - origin).length();
        const float onAxisX = unitX > 0.0f ? kOnAxisPixels * pixel / unitX : 0.0f;
        const float onAxisY = unitY > 0.0f ? kOnAxisPixels * pixel / unitY : 0.0f;
        float fx = scaleFactor(localBefore.x, localNow.x, onAxisX);
        float fy = scaleFactor(localBefore.y, localNow.y, onAxisY);
        if (mods == 3) {
            // One axis only: the one the pointer moved along more keeps its
            // own factor.
            if (std::fabs(now.x - before.x) > std::fabs(now.y - before.y)) fy = 1.0f;
            else fx = 1.0f;
        } else if (mods != 1) {
            const float mean = (fx + fy) * 0.5f;
            fx = fy = mean;
        }
        setScale(clampScaleComponent(scale.x * fx), clampScaleComponent(scale.y * fy), scale.z);
        return;
    }
    const V3 move(ctx->mouseMovement.x, ctx->mouseMovement.y, 0.0f);
    setPosition(position + move);
    int guard = 0;
    for (EditorObject* m = nextSelected(); m && guard < 100000; m = m->nextSelected(), ++guard)
        m->setPosition(m->position + move);
}

bool EditorObject::onEditorPointerMove() {
    ZubInput* in = ZubInput::active();
    FocusManager* fm = FocusManager::active();
    if (!in || !fm || !in->isMouseButtonDown(1)) return false;
    ZubBase* hover = fm->getHover();
    EditorObject* o = zub_cast<EditorObject>(hover);
    if (!o || o == this) return false;
    if (!in->isKeyDown(KEY_LSHIFT)) addToGroup(o);
    else removeFromGroup(o);
    return true;
}

bool EditorObject::onEditorKey() {
    ZubInput* in = ZubInput::active();
    if (!in) return false;
    const int mods = in->modifierState;
    GameWorld* world = GameWorld::current();
    WorldEditorPanel* panel = world ? world->getEditor() : nullptr;
    EditorObject* heroObject = world ? world->findHero() : nullptr;
    FocusManager* fm = FocusManager::active();
    ZubBase* hover = fm ? fm->getHover() : nullptr;

    if (keyPressed(in, KEY_DELETE)) {
        if (!bUndeletable) bToBeDestroyed = 1;
        return true;
    }
    if (keyPressed(in, KEY_PERIOD) || keyPressed(in, KEY_COMMA)) {
        const bool after = keyPressed(in, KEY_PERIOD);
        if (heroObject == this) return true;
        EditorObject* other = nullptr;
        if (in->isKeyDown(KEY_RSHIFT)) {
            other = nullptr;
        } else if (!hover) {
            if (!heroObject) return true;
            other = heroObject;
        } else if (hover == this) {
            if (after || !world) return true;
            ZubBase* next = world->findObjectUnderMouse(1);
            EditorObject* o = zub_cast<EditorObject>(next);
            if (!o || o == this) return true;
            other = o;
        } else if (EditorObject* o = zub_cast<EditorObject>(hover)) {
            other = o;
        } else {
            return true;
        }
        if (after) placeAfter(other);
        else placeBefore(other);
        return true;
    }
    if (mods == 2) {
        const bool used = keyPressed(in, KEY_V) || keyPressed(in, KEY_F) || keyPressed(in, KEY_G) ||
                          keyPressed(in, KEY_B) || keyPressed(in, KEY_Z);
        if (keyPressed(in, KEY_V)) {
            copySelection();
        } else if (keyPressed(in, KEY_F)) {
            scale.x = -scale.x;
            onTransformChanged();
        } else if (keyPressed(in, KEY_G)) {
            scale.y = -scale.y;
            onTransformChanged();
        } else if (keyPressed(in, KEY_B)) {
            const RuntimeClass* type = nullptr;
            Skin** field = getSkinProperty(&type);
            if (field && panel) panel->chooseSkin(this, field, type);
        } else if (keyPressed(in, KEY_Z)) {
            if (panel) setPosition(panel->selectionPosition);
            FocusManager::sendEvent(EVENT_CHANGED, this, this);
        }
        return used;
    }
    if (mods != 0) return false;
    if (keyPressed(in, KEY_1)) stepSkin(-1);
    else if (keyPressed(in, KEY_2)) stepSkin(1);
    else if (keyPressed(in, KEY_UP)) setPosition(position.x, position.y + 1.0f, position.z);
    else if (keyPressed(in, KEY_DOWN)) setPosition(position.x, position.y - 1.0f, position.z);
    else if (keyPressed(in, KEY_LEFT)) setPosition(position.x - 1.0f, position.y, position.z);
    else if (keyPressed(in, KEY_RIGHT)) setPosition(position.x + 1.0f, position.y, position.z);
    else return false;
    return true;
}

void EditorObject::stepSkin(int delta) {
    ResourceManager* rm = ResourceManager::active();
    if (bOwnsSkin || !pSkin || !rm) return;
    const WString name = rm->getResourceName(pSkin);
    const size_t colon = name.find(u':');
    if (colon == WString::npos) return;
    int64_t index = 0;
    if (!property_text::parseInt(std::u16string_view(name).substr(colon + 1), index)) return;
    const WString sheet = name.substr(0, colon);
    ZubBase* next = rm->find(formatString(u"%s:%d", sheet, index + delta), false);
    if (Skin* s = zub_cast<Skin>(next)) setSkin(s);
}

// ---------------------------------------------------------------------------

void EditorObject::addPropertiesTo(PropertyContainer* c) {
    Renderable::addPropertiesTo(c);
    c->add(new PropertyReference(u"proxy", 0, &proxy, &EditorProxy::classRecord),
           "its stand-in in the editor, whose place is its drawing order (made by construct)");
    c->add(new PropertyBool(u"bUndeletable", 0, &bUndeletable), "the editor's Delete key leaves it");
    c->add(new PropertyBool(u"bUnduplicatable", 0, &bUnduplicatable), "the editor's copy key skips it");
    c->add(new PropertyRPC<RPCEditorObjectConstruct>(u"construct", PROP_EDITOR_HIDDEN, this));
}
