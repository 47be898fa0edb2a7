#include "objects/cargo/Tools.h"

#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "sys/ResourceLookup.h"
#include "sys/ResourceManager.h"

ZUB_IMPLEMENT_CLASS(Umbrella, Cargo, object_ids::Umbrella)
ZUB_IMPLEMENT_CLASS(WingedHat, Cargo, object_ids::WingedHat)

Umbrella::Umbrella() {
    setSkin(findResource<Skin>(u"umbrella:0"));
    physPointOffset = V3(0.0f, -4.0f, 0.0f);
    carriedOffset = V3(-8.0f, 20.0f, 0.0f);
    bFollowHeroFacing = 1;
}

Umbrella::~Umbrella() = default;

WingedHat::WingedHat() {
    setSkin(findResource<Skin>(u"wingedhat:0"));
    physPointOffset = V3(0.0f, 2.0f, 0.0f);
    carriedOffset = V3(-8.0f, 28.0f, 0.0f);
    bFollowHeroFacing = 1;
}

WingedHat::~WingedHat() = default;
