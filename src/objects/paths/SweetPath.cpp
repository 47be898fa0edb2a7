#include "objects/paths/SweetPath.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/paths/Sweet.h"
#include "sys/ErrorManager.h"
#include "world/GameWorld.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(SweetPath, BezierPath, object_ids::SweetPath)

namespace {
bool freshPress(const ZubInput* in, int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); }

// v + d kept within [lo, hi] (whatever v a level file gave).
int32_t stepped(int32_t v, int d, int32_t lo, int32_t hi) {
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(v) + d, lo, hi));
}

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
}  // namespace

SweetPath::SweetPath() = default;

SweetPath::~SweetPath() = default;

int32_t SweetPath::sweetCount() const { return std::clamp(sweetInstances, 0, MAX_SWEETS); }

float SweetPath::fractionOf(int i) const {
    const int32_t n = sweetCount();
    return n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
}

int SweetPath::typeAt(float fraction) const {
    // Rounded to the nearest type, then kept within the types.
    const double v = static_cast<double>(sweetType) + static_cast<double>(fraction) * sweetTypeDelta + 0.5;
    if (!(v > 0.0)) return 0;
    if (v >= TOP_TYPE) return TOP_TYPE;
    return static_cast<int>(v);
}

V3 SweetPath::worldPointAt(float fraction) const {
    V3 local, world;
    evaluateL(&local, fraction * totalLength, nullptr);
    localToWorld(world, local);
    return world;
}

void SweetPath::netPostReplicateGlobal() {
    BezierPath::netPostReplicateGlobal();
    Level* level = Level::current();
    if (isEditorMode() || segments.isEmpty() || vertexCount() < 2 || !level || !level->sweetList) return;
    const int32_t n = sweetCount();
    for (int i = 0; i < n; ++i) {
        const float t = fractionOf(i);
        Sweet* sweet = new Sweet();
        ZUB_ASSERT(THEROLE != NULL);
        ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
        THEROLE->registerObject(sweet, 0);
        sweet->construct();
        sweet->netCallPostReplicate();
        sweet->netCallPostReplicateGlobal();
        if (sweet->pOwnerList) sweet->pOwnerList->addChild(sweet);
        else level->sweetList->addChild(sweet);
        // Drawn where it rests from the start: the bob moves only sweets
        // near the view, judged from where they are drawn.
        sweet->refPosition = worldPointAt(t);
        sweet->position = sweet->refPosition;
        sweet->onTransformChanged();
        sweet->setType(typeAt(t));
        sweet->placeAfter(this);
    }
}

bool SweetPath::onEvent(ZubEvent& ev) {
    ZubInput* in = ZubInput::active();
    if (ev.code == EVENT_KEY && in && in->modifierState == 0 && isEditorMode()) {
        if (freshPress(in, KEY_2)) sweetType = stepped(sweetType, 1, kIntMin, TOP_TYPE);
        else if (freshPress(in, KEY_1)) sweetType = stepped(sweetType, -1, 0, kIntMax);
        else if (freshPress(in, KEY_W)) sweetInstances = stepped(sweetInstances, 1, kIntMin, MAX_SWEETS);
        else if (freshPress(in, KEY_Q)) sweetInstances = stepped(sweetInstances, -1, 0, kIntMax);
        else if (freshPress(in, KEY_Z)) sweetTypeDelta = stepped(sweetTypeDelta, -1, kIntMin, kIntMax);
        else if (freshPress(in, KEY_X)) sweetTypeDelta = stepped(sweetTypeDelta, 1, kIntMin, kIntMax);
        else return BezierPath::onEvent(ev);
        return true;
    }
    return BezierPath::onEvent(ev);
}

void SweetPath::renderObject() {
    BezierPath::renderObject();
    if (!isEditorMode() || segments.isEmpty() || vertexCount() < 2 || !updateInView()) return;
    Skin* sheet = findResource<Skin>(u"sweets:0");
    const int32_t n = sweetCount();
    for (int i = 0; i < n; ++i) {
        const float t = fractionOf(i);
        const V3 at = worldPointAt(t);
        Skin* frame = sheet->getFrame(typeAt(t));
        preview.setFields(frame ? frame : sheet, &at, nullptr, nullptr);
        preview.renderSelf();
    }
}

void SweetPath::addPropertiesTo(PropertyContainer* c) {
    BezierPath::addPropertiesTo(c);
    c->add(new PropertyInt(u"sweetInstances", 0, &sweetInstances), "how many sweets lie along the path");
    c->add(new PropertyInt(u"sweetType", 0, &sweetType), "the first sweet's type, 0 to 15");
    c->add(new PropertyInt(u"sweetTypeDelta", 0, &sweetTypeDelta),
           "how much the type grows from the first sweet to the last");
}
