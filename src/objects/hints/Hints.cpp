#include "objects/hints/Hints.h"

#include <cmath>
#include <limits>

#include "audio/Sound.h"
#include "gfx/Context.h"
#include "util/KeyCodes.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "object/Property.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "object/ResourceManager.h"

ZUB_IMPLEMENT_CLASS(SecretArea, TriggerArea, object_ids::SecretArea)
ZUB_IMPLEMENT_CLASS(WoodSign, A99Object, object_ids::WoodSign)

namespace {

template <class T>
T* resource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->findAs<T>(name);
}

// Where each board sits on the post, from the post's origin.
constexpr float kBoardOffset[WoodSign::TYPE_COUNT][2] = {{0, 0}, {0, 0}, {0, 18}, {0, 18}, {-4, 0}};

}  // namespace

// ---------------------------------------------------------------------------
// Secret area

SecretArea::SecretArea() {
    if (ResourceManager* rm = ResourceManager::active()) editorSkin = rm->findAs<Skin>(u"editor_icons:3");
}

SecretArea::~SecretArea() = default;

void SecretArea::onHeroEnter() {
    if (bFound) return;
    Level* level = Level::current();
    if (!level) return;
    resource<Sound>(u"secretArea")->play();
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

// ---------------------------------------------------------------------------
// Wood sign

WoodSign::WoodSign() {
    const char16_t* names[] = {nullptr, u"woodsign:1", u"woodsign:2", u"woodsign:3", u"woodsign:4"};
    for (int i = 1; i < TYPE_COUNT; ++i) boards[i] = resource<Skin>(names[i]);
    // The board first: placing the post places the board.
    board = std::make_unique<Renderable>();
    setSkin(resource<Skin>(u"woodsign:0"));
}

WoodSign::~WoodSign() = default;

void WoodSign::onTransformChanged() {
    A99Object::onTransformChanged();
    if (!board) return;
    if (type >= 0 && type < TYPE_COUNT) {
        const V3 origin = pSkin ? pSkin->origin : V3();
        board->pSkin = boards[type];
        board->position = origin + V3(kBoardOffset[type][0], kBoardOffset[type][1], 0.0f);
    }
    board->rotation.z = decoRotationZ;
    board->setParentMatrix(worldMatrix);
}

void WoodSign::renderObject() {
    A99Object::renderObject();
    board->render();
}

bool WoodSign::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isEditorMode()) {
        ZubInput* in = ZubInput::active();
        Context* ctx = owningContext();
        if (in && ctx && in->isKeyDown(input_codes::KEY_A)) {
            const V3& p = ctx->mousePosition;
            decoRotationZ = std::atan2(p.y - position.y, p.x - position.x) - rotation.z;
            onEdited();
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

void WoodSign::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyEnum(u"type", 0, &type, TYPE_COUNT));
    c->add(new PropertyFloat(u"decoRotationZ", 0, &decoRotationZ));
}
