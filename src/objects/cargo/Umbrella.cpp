#include "objects/cargo/Umbrella.h"

#include "object/ResourceLookup.h"
#include "objects/ObjectClassIds.h"

ZUB_IMPLEMENT_CLASS(Umbrella, Cargo, object_ids::Umbrella)

Umbrella::Umbrella() {
    setSkin(findResource<Skin>(u"umbrella:0"));
    physPointOffset = V3(0.0f, -4.0f, 0.0f);
    carriedOffset = V3(-8.0f, 20.0f, 0.0f);
    bFollowHeroFacing = 1;
}

Umbrella::~Umbrella() = default;
