#include "editor/EditorPropertyReferenceWidget.h"

#include <cmath>

#include "editor/EditorGizmo.h"
#include "editor/EditorPropertyPanel.h"
#include "engine/ContextManager.h"
#include "engine/FocusManager.h"
#include "gfx/ImmediateDraw.h"
#include "gfx/Skin.h"
#include "gfx/VertexBuffer.h"
#include "gui/GuiEnvironment.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "util/KeyCodes.h"

ZubBase* EditorPropertyReferenceWidget::target() const {
    if (auto* p = zub_cast<PropertyPointer>(property)) return p->get();
    if (auto* r = zub_cast<PropertyReferenceBase>(property)) return r->field->get();
    return nullptr;
}

const RuntimeClass* EditorPropertyReferenceWidget::requiredClass() const {
    if (auto* p = zub_cast<PropertyPointer>(property)) return p->required;
    if (auto* r = zub_cast<PropertyReferenceBase>(property)) return r->required;
    return nullptr;
}

bool EditorPropertyReferenceWidget::isResource() const { return property && (property->flags & PROP_RESOURCE); }

ZubBase* EditorPropertyReferenceWidget::candidateFor(ZubBase* hovered) const {
    const RuntimeClass* required = requiredClass();
    // The panel's own rows come and go with the selection: nothing may
    // keep them.
    const EditorPropertyPanel* panel = ownerPanel();
    if (!hovered || !required || (panel && panel->isAncestorOf(hovered))) return nullptr;
    if (!isResource()) return hovered->getClass()->isDerivedFrom(required) ? hovered : nullptr;
    auto* r = zub_cast<Renderable>(hovered);
    if (!r || r->bOwnsSkin || !r->pSkin || !r->pSkin->getClass()->isDerivedFrom(required)) return nullptr;
    // Only a skin the resource manager holds outlives the object showing it.
    const ResourceManager* resources = ResourceManager::active();
    if (!resources || resources->getResourceName(r->pSkin).empty()) return nullptr;
    return r->pSkin;
}

bool EditorPropertyReferenceWidget::onPreviewEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && onChord()) return true;
    return EditorPropertyTextWidget::onPreviewEvent(ev);
}

bool EditorPropertyReferenceWidget::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && onChord()) return true;
    return EditorPropertyTextWidget::onEvent(ev);
}

bool EditorPropertyReferenceWidget::onChord() {
    const bool pick = isCtrlChord(input_codes::KEY_B), take = isCtrlChord(input_codes::KEY_G),
               follow = isCtrlChord(input_codes::KEY_F);
    if (!pick && !take && !follow) return false;
    EditorPropertyPanel* panel = ownerPanel();
    if (isDying() || !panel) return true;
    if (pick) {
        if (!isResource() || isReadOnly()) return true;
        ContextManager* stack = gui::screenStack(panel);
        if (!stack) return true;
        panel->gizmo->setLabel(panel->getEditedObject(), property, requiredClass());
        stack->pushContext(panel->gizmo);
        return true;
    }
    if (take) {
        FocusManager* fm = FocusManager::active();
        ZubBase* object = candidateFor(fm ? fm->getHover() : nullptr);
        if (object && !isReadOnly() && property->setObject(object)) sendChangeNotice();
        return true;
    }
    const RuntimeClass* required = requiredClass();
    if (!required || !required->isDerivedFrom(&ZubBase::classRecord)) return true;
    ZubBase* object = target();
    panel->setEditedObject(object);
    if (FocusManager* fm = object ? FocusManager::active() : nullptr) fm->setFocus(object);
    return true;
}

void EditorPropertyReferenceWidget::render() {
    if (bHidden) return;
    color = TEXT_COLOUR;
    const FocusManager* fm = FocusManager::active();
    ZubBase* focus = fm ? fm->getFocus() : nullptr;
    ZubBase* hovered = fm ? fm->getHover() : nullptr;
    if (focus && hovered && (focus == this || isAncestorOf(focus)))
        color = candidateFor(hovered) ? ACCEPT_COLOUR : REJECT_COLOUR;
    EditorPropertyTextWidget::render();

    const RuntimeClass* required = requiredClass();
    auto* object = zub_cast<Renderable>(isDying() ? nullptr : target());
    Context* here = owningContext();
    if (!object || !here || !required || !required->isDerivedFrom(&Renderable::classRecord)) return;
    const V3 to = here->convertPointFrom(object->owningContext(), object->position);
    V3 from;
    localToWorld(from, V3());
    drawLine(from, to, LINE_COLOUR, TEXT_COLOUR);
    if (object->bNoCulling) return;
    // The object's size as the row's context shows it.
    const float s = -here->camera->eye.z / (static_cast<float>(REFERENCE_WIDTH) * 0.5f);
    if (!(s > 0.0f)) return;
    const float radius = object->boundingRadius / s;
    VertexBuffer circle(CIRCLE_POINTS);
    for (int i = 0; i < CIRCLE_POINTS; ++i) {
        const float a = static_cast<float>(i) * 6.28f / CIRCLE_POINTS;
        circle.set(i, to.x + radius * std::cos(a), to.y + radius * std::sin(a), to.z, LINE_COLOUR, 0.0f, 0.0f);
    }
    Skin::applyCarrier(nullptr);
    circle.draw(nullptr, VertexBuffer::LINE_STRIP);
}
