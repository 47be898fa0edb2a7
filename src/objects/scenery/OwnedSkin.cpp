#include "objects/scenery/OwnedSkin.h"

#include <cmath>

#include "object/Property.h"

namespace scenery {

void detachSkinProperty(PropertyContainer* c, Skin** slot) {
    PropertyPointer* p = zub_cast<PropertyPointer>(c->findChild(u"pSkin"));
    if (!p) return;
    p->field = slot;
    p->flags |= PROP_HIDDEN;
}

int truncatePixels(double value) {
    if (!std::isfinite(value)) return 0;
    // Far beyond any texture: kept within the integers the rectangle holds.
    constexpr double LIMIT = 1 << 24;
    if (value > LIMIT) return static_cast<int>(LIMIT);
    if (value < -LIMIT) return -static_cast<int>(LIMIT);
    return static_cast<int>(value);
}

}  // namespace scenery
