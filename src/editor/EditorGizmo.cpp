#include "editor/EditorGizmo.h"

#include <algorithm>
#include <vector>

#include "editor/EditorCamera.h"
#include "editor/EditorIconObject.h"
#include "gfx/Skin.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "text/FontQuad.h"

namespace {

// The icons among the picker's children (they are all it has).
std::vector<EditorIconObject*> iconsOf(const ZubBase* picker) {
    std::vector<EditorIconObject*> out;
    for (ZubBase* c : childrenOf(picker))
        if (auto* icon = dynamic_cast<EditorIconObject*>(c)) out.push_back(icon);
    return out;
}

}  // namespace

EditorGizmo::EditorGizmo() : editedObject(nullptr), fieldProperty(nullptr) { clearColor = BACKGROUND; }

EditorGizmo::~EditorGizmo() = default;

void EditorGizmo::prepare(ZubBase* edited, const RuntimeClass* cls) {
    filter.clear();
    editedObject.set(edited);
    skinField = nullptr;
    fieldProperty.set(nullptr);
    V3 eye = camera->eye;
    if (cls != resourceClass) {
        resourceClass = cls;
        rebuild();
        eye.x = eye.y = 0.0f;
    }
    camera->resetAt(eye.x, eye.y, -static_cast<float>(REFERENCE_WIDTH / 2));
}

void EditorGizmo::setLabel(ZubBase* edited, Skin** field, const RuntimeClass* cls) {
    prepare(edited, cls);
    skinField = field;
}

void EditorGizmo::setLabel(ZubBase* edited, Property* field, const RuntimeClass* cls) {
    prepare(edited, cls);
    fieldProperty.set(field);
}

ZubBase* EditorGizmo::currentValue() const {
    if (skinField) return editedObject.get() ? *skinField : nullptr;
    if (auto* p = zub_cast<PropertyPointer>(fieldProperty.get())) return p->get();
    if (auto* r = zub_cast<PropertyReferenceBase>(fieldProperty.get())) return r->field->get();
    return nullptr;
}

void EditorGizmo::rebuild() {
    while (firstChild) firstChild->destroy();
    const ResourceManager* resources = ResourceManager::active();
    if (!resources || !resourceClass) return;
    std::vector<EditorIconObject*> icons;
    for (const ResourceManager::Entry& e : resources->entries()) {
        if (!e.resource || !e.resource->getClass()->isDerivedFrom(resourceClass)) continue;
        auto* icon = new EditorIconObject(e.name);
        Skin* skin = zub_cast<Skin>(e.resource);
        icon->drawable.pSkin = skin ? skin : resources->findAs<Skin>(u"editor_icons:0");
        icon->drawable.onTransformChanged();
        icons.push_back(icon);
    }
    // Name order; among equal names the earlier resource first.
    std::stable_sort(icons.begin(), icons.end(),
                     [](const EditorIconObject* a, const EditorIconObject* b) { return a->name < b->name; });
    const float left = -static_cast<float>(REFERENCE_WIDTH / 2) + MARGIN;
    const float right = static_cast<float>(REFERENCE_WIDTH / 2) - MARGIN;
    float x = left, y = static_cast<float>(REFERENCE_HEIGHT / 2) - MARGIN, rowHeight = 0.0f;
    for (EditorIconObject* icon : icons) {
        addChild(icon);
        Renderable& d = icon->drawable;
        d.setPosition(x, y, 0.0f);
        const Skin* skin = d.pSkin;
        const float w = skin ? skin->width : 0.0f, h = skin ? skin->height : 0.0f;
        // Large skins shrink to 40 units on their longer side, small ones
        // show at half size.
        const float m = std::max(w, h) / (ICON_SIZE / 2.0f);
        const float scale = m > 0.0f && 1.0f / m <= 0.25f ? 2.0f / m : 0.5f;
        rowHeight = std::max(rowHeight, scale * h);
        d.setScale(scale);
        const V3 o = skin ? skin->origin : V3();
        d.setPosition(x + o.x * scale + w * scale * 0.5f, y + o.y * scale - h * 0.5f * scale, o.z * scale);
        x += w * scale;
        if (x > right) {
            x = left;
            y -= rowHeight;
            rowHeight = 0.0f;
        }
    }
}

void EditorGizmo::assign(ZubBase* resource) {
    if (skinField) {
        if (editedObject.get() && zub_cast<Skin>(resource)) *skinField = static_cast<Skin*>(resource);
    } else if (auto* p = zub_cast<Property>(fieldProperty.get())) {
        p->setObject(resource);
    }
    if (ZubBase* edited = editedObject.get()) sendEvent(EVENT_CHANGED, edited, edited);
}

void EditorGizmo::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    ZubInput* in = ZubInput::active();
    if (!in) return;
    V3 eye = camera->eye;
    if (editor_camera::follow(eye, mousePosition, *in)) camera->resetAt(eye.x, eye.y, eye.z);

    if (in->wasPointerPressed(0)) {
        const ResourceManager* resources = ResourceManager::active();
        for (EditorIconObject* icon : iconsOf(this))
            if (icon->bHovered && resources) assign(resources->find(icon->name, true));
        done = 1;
        // The press is the picker's: it moves no focus (the object being
        // edited keeps it, and its keys, once the picker has closed).
        if (!in->getPointerOwner(0)) in->setPointerOwner(this);
    }
    if (in->typedChar == u'\b') filter.clear();
    else if (in->typedChar != 0) filter += in->typedChar;
    for (EditorIconObject* icon : iconsOf(this))
        icon->drawable.bHidden = !filter.empty() && !icon->name.starts_with(filter) ? 1 : 0;
}

void EditorGizmo::renderContents() {
    Context::renderContents();
    const ResourceManager* resources = ResourceManager::active();
    if (!resources) return;
    if ((gui::frameCounter() / 8) % 2 == 0) {
        ZubBase* current = currentValue();
        Skin* ring = resources->findAs<Skin>(u"editor_circle:0", false);
        for (EditorIconObject* icon : iconsOf(this)) {
            if (!current || !ring || icon->drawable.pSkin != current) continue;
            Renderable mark(ring, icon->drawable.position);
            mark.render();
        }
    }
    auto* font = zub_cast<FontQuad>(resources->find(u"fontMedium", false));
    if (!font) return;
    const V3 at = mousePosition + V3(10.0f, -10.0f, 0.0f);
    for (EditorIconObject* icon : iconsOf(this))
        if (icon->bHovered) font->drawText(at, NAME_COLOUR, NAME_FLAGS, icon->name);
}
