#include "objects/scenery/Decoration.h"

#include <algorithm>
#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(Decoration, A99Object, object_ids::Decoration)

namespace {

// The object's own up direction: its rotation turns (0, 1).
V3 upAxis(const Renderable& r) {
    const float a = r.rotation.z + kPi / 2.0f;
    return V3(std::cos(a), std::sin(a), 0.0f);
}

}  // namespace

Decoration::Decoration() {
    bUsesNearView = true;
    setSkin(findResource<Skin>(u"details1:6"));
}

Decoration::~Decoration() = default;

void Decoration::netPostReplicate() {
    A99Object::netPostReplicate();
    anchor = position;
}

void Decoration::onEdited() {
    A99Object::onEdited();
    anchor = position;
}

void Decoration::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !nearView) return;
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return;
    const float depth = HIDE_DEPTH * (pSkin ? pSkin->height : 0.0f);
    const V3 hidden = anchor - upAxis(*this) * depth;
    // 0 at SHY_DISTANCE or farther, 1 at HIDDEN_DISTANCE or nearer.
    const float t =
        clampf(inverseLerp(SHY_DISTANCE, HIDDEN_DISTANCE, V3::distance(position, hero->position)), 0.0f, 1.0f);
    position = interpolateEased(anchor, hidden, t, easing::EASE_IN);
    onTransformChanged();
}
