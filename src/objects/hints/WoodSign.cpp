#include "objects/hints/WoodSign.h"

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

ZUB_IMPLEMENT_CLASS(WoodSign, A99Object, object_ids::WoodSign)

namespace {

// Where each board sits on the post, from the post's origin.
constexpr float kBoardOffset[WoodSign::TYPE_COUNT][2] = {{0, 0}, {0, 0}, {0, 18}, {0, 18}, {-4, 0}};

}  // namespace

WoodSign::WoodSign() {
    const char16_t* names[] = {nullptr, u"woodsign:1", u"woodsign:2", u"woodsign:3", u"woodsign:4"};
    for (int i = 1; i < TYPE_COUNT; ++i) boards[i] = findResource<Skin>(names[i]);
    // The board first: placing the post places the board.
    board = std::make_unique<Renderable>();
    setSkin(findResource<Skin>(u"woodsign:0"));
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
    c->add(new PropertyEnum(u"type", 0, &type, TYPE_COUNT),
           "its board: 0 none, 1 to 4 the boards woodsign:1 to woodsign:4");
    c->add(new PropertyFloat(u"decoRotationZ", 0, &decoRotationZ), "the board's rotation on its post, in radians");
}
