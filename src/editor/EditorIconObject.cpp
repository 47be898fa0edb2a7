#include "editor/EditorIconObject.h"

#include "gfx/Context.h"

EditorIconObject::EditorIconObject(const WString& n) : name(n) { drawable.bHasInvXform = 1; }

EditorIconObject::~EditorIconObject() {
    // Icons show the resources' own skins: only a skin made for the icon goes.
    if (drawable.bOwnsSkin && drawable.pSkin) {
        Skin* s = drawable.pSkin;
        drawable.pSkin = nullptr;
        drawable.bOwnsSkin = 0;
        deleteObject(s);
    }
}

void EditorIconObject::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    const Context* context = Context::environment.current;
    const V3 p = context ? context->mousePosition : V3();
    bHovered = context && drawable.isPointInside(p.x, p.y, p.z) ? 1 : 0;
}

void EditorIconObject::render() {
    ZubBase::render();
    drawable.render();
}
