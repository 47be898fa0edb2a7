#include "editor/EditorPropertyPanel.h"

#include <cmath>
#include <cstdint>

#include "editor/EditorCamera.h"
#include "editor/EditorClassIds.h"
#include "editor/EditorGizmo.h"
#include "editor/EditorPropertyBoolWidget.h"
#include "editor/EditorPropertyClassWidget.h"
#include "editor/EditorPropertyGroupWidget.h"
#include "editor/EditorPropertyRPCWidget.h"
#include "editor/EditorPropertyReferenceWidget.h"
#include "editor/EditorPropertySubObjectWidget.h"
#include "editor/EditorPropertyTextWidget.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/Camera.h"
#include "gfx/ImmediateDraw.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "sys/Console.h"
#include "sys/ErrorManager.h"
#include "sys/TimeKeeper.h"
#include "world/EditorGizmos.h"
#include "world/EditorObject.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(EditorPropertyPanel, Context, editor_ids::EditorPropertyPanel)
ZUB_IMPLEMENT_CLASS(RPCListClasses, RPC, editor_ids::RPCListClasses)

namespace {

// Down this frame and up the previous one.
bool keyPressed(const ZubInput& in, int code) { return in.isKeyDown(code) && !in.wasKeyDown(code); }

double milliseconds(double from, double to) { return (to - from) * 1000.0; }

}  // namespace

void RPCListClasses::execute() {
    if (auto* panel = zub_cast<EditorPropertyPanel>(target)) panel->listClasses();
}

EditorPropertyPanel::EditorPropertyPanel()
    : propertyTrees(new ZubBase),
      widgets(new ZubBase),
      gizmo(new EditorGizmo),
      homePosition(static_cast<float>(REFERENCE_WIDTH / 2 - 100), static_cast<float>(REFERENCE_HEIGHT / 2 - 10), 0.0f),
      editorCamera(0.0f, 0.0f, -static_cast<float>(REFERENCE_WIDTH / 2)) {
    bShowHulls = true;
    bShowBezierPaths = true;
    bShowTriggerAreas = true;
    // The edited object's death reaches the panel as event 0.
    editedObject.owner = this;
    addChild(propertyTrees);
    addChild(widgets);
}

EditorPropertyPanel::~EditorPropertyPanel() {
    editedObject.owner = nullptr;
    editedObject.set(nullptr);
    // A picker still on the screen stack is the stack's to take down: it
    // closes and goes with its next pop.
    if (gizmo->parent) {
        gizmo->done = 1;
        gizmo->bDeleteWhenDone = 1;
    } else {
        deleteObject(gizmo);
    }
    gizmo = nullptr;
}

GUItheme* EditorPropertyPanel::theme() {
    GUItheme* minimal = gui::environment().minimalTheme;
    if (!minimal) ZUB_ERROR(u"The editor's rows have no GUI theme: the game has not made its themes.");
    return minimal;
}

bool EditorPropertyPanel::isActive() const { return activeEditorPanel() == static_cast<const WorldEditorPanel*>(this); }

Context* EditorPropertyPanel::gameContext() const {
    GameWorld* world = GameWorld::current();
    for (ZubBase* o = world ? world->getObjectList() : nullptr; o; o = o->parent)
        if (auto* c = zub_cast<Context>(o)) return c;
    return nullptr;
}

V3 EditorPropertyPanel::gameMousePosition() const {
    const Context* game = gameContext();
    return game ? game->mousePosition : V3();
}

// ---------------------------------------------------------------------------
// Selection and rows

void EditorPropertyPanel::setEditedObject(ZubBase* object) {
    if (object && object == editedObject.get()) return;
    // The rows go through the deletion flag: this often runs inside one of
    // their handlers, and their holders take them away at the next tick.
    for (ZubBase* holder : {propertyTrees, widgets})
        for (ZubBase* c : childrenOf(holder)) c->bToBeDestroyed = 1;
    editedObject.set(object);
    if (!object) return;

    const double t0 = TimeKeeper::getPhysicalTime();
    PropertyContainer* container = object->createPropertyContainer();
    const double t1 = TimeKeeper::getPhysicalTime();
    container->deleteChildrenByFlags(PROP_EDITOR_HIDDEN | PROP_HIDDEN);
    protectStructure(container, object);
    propertyTrees->addChild(container);
    const double t2 = TimeKeeper::getPhysicalTime();
    if (EditorPropertyWidget* rows = makeWidget(container)) widgets->addChild(rows);
    const double t3 = TimeKeeper::getPhysicalTime();
    layoutOrigin = homePosition;
    relayout();
    const double t4 = TimeKeeper::getPhysicalTime();
    Console::printActive(u"getProperties(): %.1lf ms", milliseconds(t0, t1));
    Console::printActive(u"removeFlaggedProperties(): %.1lf ms", milliseconds(t1, t2));
    Console::printActive(u"makeGUI(): %.1lf ms", milliseconds(t2, t3));
    Console::printActive(u"refresheditedprops(): %.1lf ms", milliseconds(t3, t4));
    Console::printActive(u"Now editing %08lx (%s)", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(object)),
                         object->getClass()->getName());
}

void EditorPropertyPanel::protectStructure(Property* container, ZubBase* object) {
    auto* drawn = zub_cast<Renderable>(object);
    for (Property* p : childrenOf<Property>(container)) {
        // The UID is the role's key to the object.
        if (container->parent == nullptr && p->getName() == u"objectUID") p->flags |= PROP_READONLY;
        ZubBase* target = nullptr;
        bool isReference = true;
        if (auto* pointer = zub_cast<PropertyPointer>(p)) {
            target = pointer->get();
            // A skin the object made itself is deleted with it: no resource
            // may take its place, nor it the place of one.
            if (drawn && drawn->bOwnsSkin && pointer->field == static_cast<void*>(&drawn->pSkin))
                p->flags |= PROP_READONLY;
        } else if (auto* reference = zub_cast<PropertyReferenceBase>(p)) {
            target = reference->field->get();
        } else {
            isReference = false;
        }
        if (isReference && target) {
            if (p->flags & PROP_RESOURCE) {
                const ResourceManager* resources = ResourceManager::active();
                if (!resources || resources->getResourceName(target).empty()) p->flags |= PROP_READONLY;
            } else if (target == object || object->isAncestorOf(target)) {
                // What the object holds in its own tree is its own: a
                // reference to it is no link to be changed.
                p->flags |= PROP_READONLY;
            }
        }
        protectStructure(p, object);
    }
}

EditorPropertyWidget* EditorPropertyPanel::makeWidget(Property* property) {
    // Kinds are told apart by their own class records, not by derivation:
    // a container kind with a record of its own is no plain group.
    const RuntimeClass* kind = property->getClass();
    GUItheme* look = theme();
    EditorPropertyWidget* row = nullptr;
    bool withChildren = false;
    if (kind == &PropertyContainer::classRecord) {
        row = new EditorPropertyGroupWidget(look, property);
        withChildren = true;
    } else if (kind == &PropertyRPCBase::classRecord) {
        row = new EditorPropertyRPCWidget(look, property);
        withChildren = true;
    } else if (kind == &PropertyClass::classRecord) {
        row = new EditorPropertyClassWidget(look, property);
        withChildren = true;
    } else if (kind == &PropertyBool::classRecord) {
        row = new EditorPropertyBoolWidget(look, property);
    } else if (kind == &PropertySubObject::classRecord) {
        row = new EditorPropertySubObjectWidget(look, property);
    } else if (kind == &PropertyPointer::classRecord || kind == &PropertyReferenceBase::classRecord) {
        row = new EditorPropertyReferenceWidget(look, property);
    } else if (property->hasTextForm()) {
        row = new EditorPropertyTextWidget(look, property);
    } else {
        row = new EditorPropertyWidget(look, property);
    }
    if (withChildren)
        for (Property* child : childrenOf<Property>(property))
            if (EditorPropertyWidget* childRow = makeWidget(child)) row->appendChild(childRow);
    return row;
}

void EditorPropertyPanel::relayout() {
    for (ZubBase* c : childrenOf(widgets)) {
        auto* rows = dynamic_cast<EditorPropertyWidget*>(c);
        if (!rows || rows->bToBeDestroyed) continue;
        V3 cursor = layoutOrigin;
        rows->layout(cursor, LAYOUT_WIDTH);
        return;
    }
}

void EditorPropertyPanel::listClasses() {
    setEditedObject(nullptr);
    auto* classes = new PropertyContainer(u"CLASSES", 0);
    propertyTrees->addChild(classes);
    RuntimeClassManager& registry = RuntimeClassManager::getInstance();
    for (uint32_t i = 0;; ++i) {
        const RuntimeClass* cls = registry.findByIndex(i);
        if (!cls) break;
        if (!EditorObject::isPlaceableClass(cls)) continue;
        auto* entry = new PropertyClass(0, cls, cls->getName());
        if (ZubBase* prototype = entry->getPrototype()) protectStructure(entry, prototype);
        Console::printActive(u"%d: %s", static_cast<int>(i), cls->getName());
        Property* after = nullptr;
        for (Property* p : childrenOf<Property>(classes))
            if (p->getName() > entry->getName()) {
                after = p;
                break;
            }
        if (after) classes->insertChildBefore(entry, after);
        else classes->addChild(entry);
    }
    if (EditorPropertyWidget* rows = makeWidget(classes)) widgets->addChild(rows);
    relayout();
}

void EditorPropertyPanel::chooseSkin(EditorObject* object, Skin** field, const RuntimeClass* skinType) {
    ContextManager* stack = gui::screenStack(this);
    if (!field || !stack || gizmo->parent) return;
    gizmo->setLabel(object, field, skinType);
    stack->pushContext(gizmo);
}

// ---------------------------------------------------------------------------
// Events

bool EditorPropertyPanel::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_LOST && ev.reference == &editedObject) setEditedObject(nullptr);
    return Context::onEvent(ev);
}

bool EditorPropertyPanel::onBubbleEvent(ZubEvent& ev) {
    if (ev.code == EVENT_DRAG) {
        layoutOrigin += mouseMovement;
        relayout();
    } else if (ev.code == EVENT_CHANGED && ev.sender && !EditorPropertyWidget::isDying(ev.sender) &&
               (widgets->isAncestorOf(ev.sender) || propertyTrees->isAncestorOf(ev.sender))) {
        sendEvent(EVENT_EDITED, this, editedObject.get());
        relayout();
    }
    return Context::onBubbleEvent(ev);
}

// ---------------------------------------------------------------------------
// Frame

void EditorPropertyPanel::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    ZubInput* in = ZubInput::active();
    if (!in || !isActive()) return;
    if (Context* game = gameContext()) {
        V3 eye = game->camera->eye;
        if (editor_camera::follow(eye, game->mousePosition, *in)) setEditorCamera(eye.x, eye.y, eye.z);
    }
    if (keyPressed(*in, input_codes::KEY_F1)) {
        layoutOrigin = homePosition;
        listClasses();
    }
    if (keyPressed(*in, input_codes::KEY_F2)) setEditedObject(dynamic_cast<ZubBase*>(GameWorld::current()));
    if (keyPressed(*in, input_codes::KEY_F3)) setEditedObject(this);
}

void EditorPropertyPanel::renderContents() {
    Context::renderContents();
    if (auto* object = zub_cast<Renderable>(editedObject.get())) {
        const V3 from(layoutOrigin.x - LEADER_OFFSET, layoutOrigin.y, layoutOrigin.z);
        drawLine(from, convertPointFrom(object->owningContext(), object->position), LEADER_START_COLOUR,
                 LEADER_END_COLOUR);
    }
    Context* game = THEROLE ? gameContext() : nullptr;
    if (game) game->camera->apply();
    if (!isActive()) return;
    // A 10 x 10 grid of screens over the playing area's default extent.
    const float w = static_cast<float>(REFERENCE_WIDTH), h = static_cast<float>(REFERENCE_HEIGHT);
    for (int i = 0; i <= 8; i += 2)
        drawRectOutline(-5.0f * w, static_cast<float>(i) * h, 5.0f * w, static_cast<float>(i + 1) * h, GRID_COLOUR);
    for (int i = -5; i <= 3; i += 2)
        drawRectOutline(static_cast<float>(i) * w, 0.0f, static_cast<float>(i + 1) * w, 10.0f * h, GRID_COLOUR);
    ZubInput* in = ZubInput::active();
    if (game && in && in->isKeyDown(input_codes::KEY_LSHIFT)) {
        const V3 at = game->mousePosition;
        drawEditorCircle(at.x, at.y, at.z, SHIFT_RADIUS, SHIFT_COLOUR);
    }
}

// ---------------------------------------------------------------------------
// Camera and replication

void EditorPropertyPanel::netPostReplicate() {
    Context::netPostReplicate();
    const bool editing = THEROLE && THEROLE->bEditing;
    if (editing) setEditorCamera(editorCamera.x, editorCamera.y, editorCamera.z);
    if (ZUB && ZUB->bDebugLocked && !editing) {
        bShowHulls = false;
        bShowBezierPaths = false;
        bShowTriggerAreas = false;
    }
}

void EditorPropertyPanel::setEditorCamera(float x, float y, float z) {
    // A level file or a typed value may hold anything: the view stays a view.
    editorCamera = V3(std::isfinite(x) ? x : 0.0f, std::isfinite(y) ? y : 0.0f, editor_camera::clampDepth(z));
    GameWorld* world = GameWorld::current();
    if (Camera* camera = world && world->getEditor() == this ? world->getGameCamera() : nullptr)
        camera->resetAt(editorCamera.x, editorCamera.y, editorCamera.z);
}

void EditorPropertyPanel::addPropertiesTo(PropertyContainer* c) {
    Context::addPropertiesTo(c);
    c->add(new PropertyBool(u"bShowHulls", 0, &bShowHulls));
    c->add(new PropertyBool(u"bShowBezierPaths", 0, &bShowBezierPaths));
    c->add(new PropertyBool(u"bShowTriggerAreas", 0, &bShowTriggerAreas));
    addPropertyV3(c, u"editorCamera", 0, &editorCamera);
    c->add(new PropertyUString(u"levelName", 0, &levelName));
    c->add(new PropertyRPC<RPCListClasses>(u"showClassConstructors", 0, this));
}
