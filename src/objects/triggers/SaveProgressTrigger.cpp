#include "objects/triggers/SaveProgressTrigger.h"

#include <cmath>

#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"

ZUB_IMPLEMENT_CLASS(SaveProgressTrigger, VegetationBend, object_ids::SaveProgressTrigger)

SaveProgressTrigger::SaveProgressTrigger() = default;

SaveProgressTrigger::~SaveProgressTrigger() = default;

void SaveProgressTrigger::tick(double time, double dt) {
    VegetationBend::tick(time, dt);
    if (isEditorMode() || !bLocal) return;
    Level* level = Level::current();
    if (!level) return;
    Pig* hero = level->getHero();
    if (!collide(hero)) return;
    // She pushes it away from her side.
    const float dx = hero->position.x - position.x;
    const float r = hero->heroRadius;
    if (r > std::fabs(dx)) spring.force.y = lerpMappedClamped(-LEAN, LEAN, -r, r, dx);
    if (!bSaveSnapshot) return;
    if (hero->state == Pig::PLAYING) hero->respawnPoint = position;
    if (level->checkpoint != this) {
        if (ResourceManager* rm = ResourceManager::active()) rm->findAs<Sound>(u"saveProgress")->play();
        level->checkpoint.set(this);
    }
}

void SaveProgressTrigger::addPropertiesTo(PropertyContainer* c) {
    VegetationBend::addPropertiesTo(c);
    c->add(new PropertyBool(u"bSaveSnapshot", 0, &bSaveSnapshot), "touching it makes it the hero's save point");
}
