#include "objects/paths/Sweet.h"

#include <cmath>
#include <limits>

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "text/FloatingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"
#include "world/GameWorld.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(Sweet, A99Object, object_ids::Sweet)

namespace {

constexpr int32_t kPoints[Sweet::TYPE_COUNT] = {100,  200,  500,  750,   1000,  1500,  2000,  3000,
                                                4000, 5000, 7500, 10000, 12500, 15000, 20000, 50000};
constexpr uint32_t kColors[Sweet::TYPE_COUNT] = {
    0xffff9421u, 0xff00ff00u, 0xffffff00u, 0xffd2bfd2u, 0xffa86b31u, 0xffff0000u, 0xfff46a71u, 0xff0080ffu,
    0xff80ff00u, 0xffffe5ffu, 0xffff8080u, 0xffcd614du, 0xfff06f36u, 0xffbca28bu, 0xffff00ffu, 0xffffffffu};

bool freshPress(const ZubInput* in, int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); }

}  // namespace

Sweet::Sweet() {
    bUsesNearView = true;
    collisionSensitivity = 0.75f;
    sheet = findResource<Skin>(u"sweets:0");
    setSkin(sheet);
}

Sweet::~Sweet() = default;

void Sweet::setType(int t) {
    const int last = sheet->getFrameCount() - 1;
    t = t < 0 ? 0 : t > last ? last : t;
    if (t >= TYPE_COUNT) ZUB_ERROR(u"Unhandled type.");
    type = t;
    if (Skin* frame = sheet->getFrame(t)) setSkin(frame);
    points = kPoints[t];
    colour = kColors[t];
}

void Sweet::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !nearView) return;
    const double phase = static_cast<double>(refPosition.x) * BOB_PHASE_PER_X + BOB_SPEED * time;
    position = refPosition + V3(0.0f, BOB_HEIGHT * static_cast<float>(std::cos(phase)), 0.0f);
    onTransformChanged();
}

bool Sweet::onEvent(ZubEvent& ev) {
    ZubInput* in = ZubInput::active();
    if (ev.code == EVENT_KEY && in && isEditorMode()) {
        // setType clamps; the step itself must not overflow whatever the
        // editor typed into the field.
        if (freshPress(in, KEY_2)) {
            setType(type < TYPE_COUNT ? type + 1 : type);
            return true;
        }
        if (freshPress(in, KEY_1)) {
            setType(type > 0 ? type - 1 : type);
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

ZubBase* Sweet::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->sweetList) return level->sweetList;
    return A99Object::namedOwnerList();
}

void Sweet::netPostReplicate() {
    A99Object::netPostReplicate();
    setType(type);
}

void Sweet::onEdited() {
    onTransformChanged();
    refPosition = position;
}

void Sweet::pickUp(Pig* collector) {
    (void)collector;
    collect();
}

void Sweet::collect() {
    bToBeDestroyed = 1;
    Level* level = Level::current();
    if (!level) return;
    LevelResult& result = level->currentResult;
    // The rule of the game's score: a sum that leaves the int range gives 0.
    const int64_t sum = static_cast<int64_t>(result.points) + points;
    result.points = sum < 0 || sum > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(sum);
    ++result.sweetsGathered;
    if (level->fgEffectsList) {
        if (level->getConfiguration().detailLevel >= 1)
            level->fgEffectsList->addChild(new ParticleGroup(BURST_PARTICLES, position, BURST_MIN_SPEED,
                                                             BURST_MAX_SPEED, 0.0f, kTwoPi, colour, BURST_LIFETIME));
        // A build without the outlined font shows no number.
        ResourceManager* rm = ResourceManager::active();
        if (auto* font = rm ? zub_cast<FontQuad>(rm->find(u"fontSmallOutline", false)) : nullptr)
            level->fgEffectsList->addChild(new FloatingText(font, position, formatString(u"%d", points), colour,
                                                            V3(0.0f, POINTS_RISE, 0.0f), POINTS_DURATION));
    }
    ResourceManager* rm = ResourceManager::active();
    if (auto* sound = rm ? zub_cast<Sound>(rm->find(u"sweetPickup")) : nullptr)
        sound->playSemitones(static_cast<float>(type - PITCH_OFFSET));
}

void Sweet::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    addPropertyV3(c, u"refPosition", 0, &refPosition, "the resting point it bobs around");
    c->add(new PropertyInt(u"type", 0, &type), "0 to 15: its picture, points and colour");
}
