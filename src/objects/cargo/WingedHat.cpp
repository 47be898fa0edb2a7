#include "objects/cargo/WingedHat.h"

#include "object/ResourceLookup.h"
#include "objects/ObjectClassIds.h"

ZUB_IMPLEMENT_CLASS(WingedHat, Cargo, object_ids::WingedHat)

WingedHat::WingedHat() {
    setSkin(findResource<Skin>(u"wingedhat:0"));
    physPointOffset = V3(0.0f, 2.0f, 0.0f);
    carriedOffset = V3(-8.0f, 28.0f, 0.0f);
    bFollowHeroFacing = 1;
}

WingedHat::~WingedHat() = default;
