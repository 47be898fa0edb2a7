#include "objects/apples/Compass.h"

#include <cmath>

#include "gfx/Skin.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS(Compass, Cargo, object_ids::Compass)

namespace {

// Frame `index` of the sheet "compass": body and needle per type, in turn.
Skin* compassSkin(int index) {
    const WString name = formatString(u"compass:%d", index);
    return findResource<Skin>(name);
}

}  // namespace

Compass::Compass() {
    physPointOffset = V3(0.0f, 20.0f, 0.0f);
    carriedOffset = V3(0.0f, 28.0f, 0.0f);
    // The apple compass until the level says otherwise.
    Skin* body = compassSkin(0);
    pSkin = body;
    // The needle turns about its origin, placed on the body's.
    needle = std::make_unique<Renderable>(compassSkin(1), body->origin);
}

Compass::~Compass() = default;

void Compass::addPropertiesTo(PropertyContainer* c) {
    Cargo::addPropertiesTo(c);
    c->add(new PropertyInt(u"compassType", 0, &compassType),
           "what its needle points at: 0 apples, 1 baskets, 2 the house");
}

void Compass::netPostReplicate() {
    Cargo::netPostReplicate();
    // Another type keeps the pictures it has.
    if (compassType >= 0 && compassType < TYPE_COUNT) {
        pSkin = compassSkin(2 * compassType);
        needle->setSkin(compassSkin(2 * compassType + 1));
    }
    onTransformChanged();
}

void Compass::onTransformChanged() {
    Cargo::onTransformChanged();
    if (needle) needle->setParentMatrix(worldMatrix);
}

void Compass::renderObject() {
    Cargo::renderObject();
    needle->render();
}

void Compass::tick(double time, double dt) {
    Cargo::tick(time, dt);
    // Out of view the needle keeps its direction.
    if (isEditorMode() || !bInView) return;
    A99Object* target = findTarget();
    needle->bHidden = target ? 0 : 1;
    if (!target) return;
    needle->rotation.z = std::atan2(target->position.y - position.y, target->position.x - position.x);
    needle->onTransformChanged();
}

A99Object* Compass::findTarget() {
    Level* level = Level::current();
    if (!level) return nullptr;
    switch (compassType) {
        case TYPE_APPLES: {
            A99Object* nearest = nullptr;
            A99Object* farthest = nullptr;
            float nearestSq = 0.0f, farthestSq = 0.0f;
            for (Apple* a : childrenOf<Apple>(level->appleList)) {
                if (a->bToBeDestroyed || a->pSlot || a->bSpoiled) continue;
                const float d2 = V3::distanceSquared(a->position, position);
                if (d2 > APPLE_NEAR * APPLE_NEAR && (!nearest || d2 < nearestSq)) {
                    nearest = a;
                    nearestSq = d2;
                }
                if (!farthest || d2 > farthestSq) {
                    farthest = a;
                    farthestSq = d2;
                }
            }
            return nearest ? nearest : farthest;
        }
        case TYPE_BASKETS: {
            A99Object* best = nullptr;
            float bestSq = BASKET_FAR_SQ;
            for (Basket* b : childrenOf<Basket>(level->cargoList)) {
                if (b->bToBeDestroyed || b->carriedBy != NULL) continue;
                const float d2 = V3::distanceSquared(b->position, position);
                if (d2 < bestSq) {
                    best = b;
                    bestSq = d2;
                }
            }
            return best;
        }
        case TYPE_HOUSE:
            return level->houseOrNull();
        default:
            return nullptr;
    }
}
