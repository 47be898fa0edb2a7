#include "objects/triggers/TriggerArea.h"

#include "gfx/Context.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "world/EditorGizmos.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(TriggerArea, A99Object, object_ids::TriggerArea)

TriggerArea::TriggerArea() { editorSkin = findResource<Skin>(u"editor_icons:1"); }

TriggerArea::~TriggerArea() = default;

void TriggerArea::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode()) return;
    Level* level = Level::current();
    if (!level) return;
    const Pig* hero = level->getHero();
    const bool inside = V3::isWithinDistance(position, hero->position, triggerRadius + hero->heroRadius);
    const bool was = bHeroInside != 0;
    bHeroInside = inside ? 1 : 0;
    if (inside && !was) onHeroEnter();
    else if (!inside && was) onHeroLeave();
}

bool TriggerArea::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isEditorMode()) {
        ZubInput* in = ZubInput::active();
        Context* ctx = owningContext();
        if (in && ctx && in->isKeyDown(KEY_T) && in->modifierState == 0) {
            triggerRadius = V3::distance(position, ctx->mousePosition);
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

void TriggerArea::renderObject() {
    WorldEditorPanel* panel = activeEditorPanel();
    if (panel && panel->bShowTriggerAreas && !panel->bHideEditorViews)
        drawEditorCircle(position.x, position.y, position.z, triggerRadius, EDITOR_CIRCLE_COLOR);
    A99Object::renderObject();
}

void TriggerArea::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"triggerRadius", 0, &triggerRadius), "the hero is inside within this distance of it");
}
