#include "objects/cargo/Tools.h"

#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "object/ResourceManager.h"

ZUB_IMPLEMENT_CLASS(Umbrella, Cargo, object_ids::Umbrella)
ZUB_IMPLEMENT_CLASS(WingedHat, Cargo, object_ids::WingedHat)

namespace {

// A skin every build has; its absence is fatal.
Skin* toolSkin(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return zub_cast<Skin>(rm->find(name, true));
}

}  // namespace

Umbrella::Umbrella() {
    setSkin(toolSkin(u"umbrella:0"));
    physPointOffset = V3(0.0f, -4.0f, 0.0f);
    carriedOffset = V3(-8.0f, 20.0f, 0.0f);
    bFollowHeroFacing = 1;
}

Umbrella::~Umbrella() = default;

WingedHat::WingedHat() {
    setSkin(toolSkin(u"wingedhat:0"));
    physPointOffset = V3(0.0f, 2.0f, 0.0f);
    carriedOffset = V3(-8.0f, 28.0f, 0.0f);
    bFollowHeroFacing = 1;
}

WingedHat::~WingedHat() = default;
