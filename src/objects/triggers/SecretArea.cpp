#include "objects/triggers/SecretArea.h"

#include <cmath>
#include <limits>

#include "audio/Sound.h"
#include "gfx/Context.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS(SecretArea, TriggerArea, object_ids::SecretArea)

SecretArea::SecretArea() {
    if (ResourceManager* rm = ResourceManager::active()) editorSkin = rm->findAs<Skin>(u"editor_icons:3");
}

SecretArea::~SecretArea() = default;

void SecretArea::onHeroEnter() {
    if (bFound) return;
    Level* level = Level::current();
    if (!level) return;
    findResource<Sound>(u"secretArea")->play();
    level->local_setMessage(1, SID_SECRETAREA, MESSAGE_TIME, WString());
    LevelResult& result = level->currentResult;
    if (result.secretsFound < std::numeric_limits<int32_t>::max()) ++result.secretsFound;
    // Summed wide: a score that would pass the largest int (and so wrap
    // below 0) becomes 0, as a negative sum does.
    const int64_t sum = static_cast<int64_t>(result.points) + BONUS_POINTS;
    result.points = sum < 0 || sum > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(sum);
    bFound = 1;
}

ZubBase* SecretArea::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->secretList) return level->secretList;
    return TriggerArea::namedOwnerList();
}
