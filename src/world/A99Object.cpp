#include "world/A99Object.h"

#include <cmath>

#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/ZubAudio.h"
#include "engine/FocusManager.h"
#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "gfx/Skin.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/AreaQuery.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/WorldClassIds.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(A99Object, EditorObject, world_ids::A99Object)
ZUB_IMPLEMENT_CLASS(RPCCreateHull, RPC, world_ids::RPCCreateHull)
ZUB_IMPLEMENT_CLASS(RPCDeleteHull, RPC, world_ids::RPCDeleteHull)

A99Object::SpeechBubbleMaker A99Object::speechBubbleMaker = nullptr;

namespace {

const char16_t* const kMaterialNames[A99Object::MATERIAL_COUNT] = {u"none", u"dirt",   u"stone",
                                                                   u"wood", u"leaves", u"snow"};
const char16_t* const kFootsteps[A99Object::MATERIAL_COUNT] = {nullptr,         u"footstepDirt",   u"footstepStone",
                                                               u"footstepWood", u"footstepLeaves", u"footstepSnow"};

float screenWidth() {
    ZubGraphics* g = ZubGraphics::active();
    return static_cast<float>(g ? g->referenceWidth : REFERENCE_WIDTH);
}

}  // namespace

float planarDistance(const V3& a, const V3& b) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool withinPlanarDistance(const V3& a, const V3& b, float r) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    const float d2 = dx * dx + dy * dy;
    // Clearly inside or outside: no root. The margin is far above the
    // rounding of r * r; near the edge the root decides, as it always has.
    if (r > 0.0f) {
        const float r2 = r * r;
        if (d2 < r2 * 0.99999f) return true;
        if (d2 > r2 * 1.00001f) return false;
    }
    return std::sqrt(d2) <= r;
}

int halfScreenWidth() {
    ZubGraphics* g = ZubGraphics::active();
    const int w = g ? g->referenceWidth : REFERENCE_WIDTH;
    return w / 2 > 0 ? w / 2 : 1;
}

void RPCCreateHull::execute() {
    if (A99Object* o = zub_cast<A99Object>(target)) o->local_createHull();
}

void RPCDeleteHull::execute() {
    A99Object* o = zub_cast<A99Object>(target);
    if (!o) return;
    Hull* h = o->getHull();
    o->pHull.set(nullptr);
    if (h) h->destroy();
}

A99Object::A99Object() { editorSkin = findResource<Skin>(u"editor_icons:0"); }

A99Object::~A99Object() {
    if (ambientChannel) {
        audioChannelStop(ambientChannel->getHandle());
        ambientChannel.reset();
    }
}

Hull* A99Object::getHull() const { return pHull.as<Hull>(); }

// ---------------------------------------------------------------------------
// Transform

void A99Object::onTransformChanged() {
    const int32_t frame = renderCounters.frameNumber;
    const bool first = prevFrameStamp == -1;
    if (first) {
        ++renderCounters.updateVisuals;
        frameStamp = frame;
        calcXform();
        calcBoundingCircle();
    }
    if (prevFrameStamp < frame) {
        prevFrameStamp = frame;
        if (bHasInvXform) {
            prevInvWorldMatrix = invWorldMatrix;
            bPrevInvValid = bInvValid;
        }
        prevWorldPosition = boundingCentre;
    }
    if (!first) {
        ++renderCounters.updateVisuals;
        frameStamp = frame;
        calcXform();
        calcBoundingCircle();
    }
}

void A99Object::calcBoundingCircle() {
    EditorObject::calcBoundingCircle();
    if (Hull* h = getHull()) h->reachChanged();
}

// ---------------------------------------------------------------------------
// Hull

void A99Object::createHull() {
    RPCCreateHull rpc;
    rpc.target = this;
    rpc.call();
}

void A99Object::deleteHull() {
    RPCDeleteHull rpc;
    rpc.target = this;
    rpc.call();
}

void A99Object::local_createHull() {
    if (getHull()) return;
    Hull* h = new Hull();
    pHull.set(h);
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(h, 0);
    h->setRef(this);
    h->netCallPostReplicate();
    h->netCallPostReplicateGlobal();
    GameWorld* w = GameWorld::current();
    if (ZubBase* list = w ? w->getHullList() : nullptr) list->netAddChild(h);
    // From now on the inverse, and with it the previous frame's, is kept.
    if (!bHasInvXform) {
        bHasInvXform = 1;
        calcXform();
    }
}

void A99Object::netPostReplicate() {
    EditorObject::netPostReplicate();
    Hull* h = getHull();
    if (!h) return;
    if (!bHasInvXform) {
        bHasInvXform = 1;
        onTransformChanged();
    }
    GameWorld* w = GameWorld::current();
    ZubBase* list = w ? w->getHullList() : nullptr;
    if (!h->parent && list) list->addChild(h);
}

// ---------------------------------------------------------------------------
// Frame

void A99Object::tick(double time, double dt) {
    EditorObject::tick(time, dt);
    if (isEditorMode()) return;
    // Finding the context and measuring the distance costs every object a
    // climb and a square root each frame: only those that read the answer do.
    Context* ctx = bUsesNearView || pAmbientSound ? owningContext() : nullptr;
    if (ctx && ctx->camera) {
        const V3 eye = ctx->camera->eye;
        const float depth = boundingCentre.z - eye.z;
        const float r = (boundingRadius + 600.0f) * depth / (screenWidth() * 0.5f);
        nearView = withinPlanarDistance(boundingCentre, eye, r);
    }
    updateAmbient(time);
}

float A99Object::fadeFraction(float d) const {
    if (minAmbientRadius == maxAmbientRadius) return 0.0f;
    return clampf((d - maxAmbientRadius) / (minAmbientRadius - maxAmbientRadius), 0.0f, 1.0f);
}

void A99Object::updateAmbient(double time) {
    if (!pAmbientSound) return;
    GameWorld* w = GameWorld::current();
    A99Object* hero = w ? w->findHero() : nullptr;
    if (!hero) return;
    const float d = planarDistance(position, hero->position);
    const float pan = (position.x - hero->position.x) / static_cast<float>(halfScreenWidth());
    if (!ambientChannel) {
        if ((nearView || maxAmbientRadius > 600.0f) && d <= maxAmbientRadius) {
            ambientChannel = std::make_unique<SoundChannel>(pAmbientSound);
            ambientChannel->setVolume(0.0f);
            ambientChannel->setPan(pan);
            ambientChannel->setPositionFraction(randomFraction());
            ambientChannel->play();
        }
        return;
    }
    if (d > maxAmbientRadius) {
        // Fades out and ends by itself once let go.
        ambientChannel->setVolume(0.0f, 0.2);
        ambientChannel.reset();
        return;
    }
    if (time > nextAmbientUpdate) {
        const float t = fadeFraction(d);
        const float volume = 1.0f - (1.0f - t) * (1.0f - t);
        ambientChannel->setVolume(volume, 0.25);
        ambientChannel->setPan(pan, 0.25);
        nextAmbientUpdate = time + 0.25;
    }
}

// ---------------------------------------------------------------------------
// Sounds

SoundPlay A99Object::playSound(Sound* sound, bool always) {
    SoundPlay result;
    if (!sound) return result;
    GameWorld* w = GameWorld::current();
    Camera* camera = w ? w->getGameCamera() : nullptr;
    const V3 listener = camera ? camera->eye : position;
    const float d = planarDistance(position, listener);
    if (!(d < maxAmbientRadius || always)) return result;
    const float t = fadeFraction(d);
    const float base = always ? 0.5f : 0.0f;
    result.played = true;
    result.volume = base + (1.0f - (1.0f - t) * (1.0f - t)) * (1.0f - base);
    result.pan = (position.x - listener.x) / static_cast<float>(halfScreenWidth());
    // The pitch is drawn whether or not a device plays it, so that the
    // program's random sequence does not depend on the machine.
    result.frequency = 1.0f + sound->minPitch + (sound->maxPitch - sound->minPitch) * randomFraction();
    ZubAudio* audio = ZubAudio::active();
    audio::Mixer* mixer = audio ? audio->mixer() : nullptr;
    if (!mixer) return result;
    const uint32_t voice = sound->claimChannel();
    if (!voice) return result;
    mixer->setVolume(voice, result.volume);
    mixer->setPan(voice, result.pan);
    mixer->setFrequency(voice, result.frequency);
    if (!audio->canPlay() || !mixer->play(voice, false)) mixer->release(voice);
    return result;
}

SoundPlay A99Object::playFootstep(int m) {
    if (m < MAT_DIRT || m > MAT_SNOW) return SoundPlay();
    Sound* s = findResource<Sound>(kFootsteps[m]);
    if (!s) return SoundPlay();
    return playSound(s, false);
}

// ---------------------------------------------------------------------------
// Areas and speech bubbles

namespace {
// The danger area of the highest type that passes the test, or null; the
// areas asked are those of the world's area index near the circle (p, r),
// in the order of the list.
template <class Test>
A99Object* highestArea(const V3& p, float r, Test&& contains) {
    GameWorld* w = GameWorld::current();
    ZubBase* list = w ? w->getDangerAreaList() : nullptr;
    if (!list) return nullptr;
    // The tests are geometry alone: no search runs while this one does.
    const std::vector<AreaIndex::Entry>& near = w->areaIndex.nearCircle(list, p, r);
    A99Object* best = nullptr;
    int bestType = 0;
    for (const AreaIndex::Entry& e : near) {
        if (!contains(*e.area)) continue;
        if (!best || e.area->getAreaType() > bestType) {
            best = e.object;
            bestType = e.area->getAreaType();
        }
    }
    return best;
}
}  // namespace

AreaQuery* A99Object::asAreaQuery() {
    if (!bAreaQueryKnown) {
        areaQuery = dynamic_cast<AreaQuery*>(this);
        bAreaQueryKnown = true;
    }
    return areaQuery;
}

A99Object* A99Object::findContainingArea() {
    return highestArea(boundingCentre, boundingRadius, [this](AreaQuery& area) { return area.containsObject(this); });
}

A99Object* A99Object::findAreaAtPoint(const V3& p) {
    return highestArea(p, 0.0f, [&p](AreaQuery& area) { return area.containsPoint(p); });
}

void A99Object::showSpeechBubble(V3 offset, bool style, int dismissMode, const WString& text) {
    if (!speechBubbleMaker) return;
    ZubBase* bubble = speechBubbleMaker(this, offset, style ? 2 : 1, dismissMode, text);
    if (!bubble) return;
    GameWorld* w = GameWorld::current();
    if (Camera* camera = w ? w->getGameCamera() : nullptr) {
        const ViewRect view = camera->getViewRect(position.z);
        Renderable* r = zub_cast<Renderable>(bubble);
        if (position.x > (view.left + view.right) * 0.5f && r) r->setScaleV(V3(-1.0f, 1.0f, 1.0f));
    }
    if (ZubBase* list = w ? w->getSpeechBubbleList() : nullptr) {
        while (ZubBase* old = list->firstChild) {
            old->destroy();
            if (list->firstChild == old) break;
        }
        list->addChild(bubble);
    }
    playSound(findResource<Sound>(u"pop"), true);
}

// ---------------------------------------------------------------------------
// Editor

void A99Object::renderObject() {
    EditorObject::renderObject();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews || !panel->bShowTriggerAreas || !pAmbientSound) return;
    drawEditorCircle(position.x, position.y, position.z, maxAmbientRadius, 0xffff00ffu);
    if (minAmbientRadius > 16.0f) drawEditorCircle(position.x, position.y, position.z, minAmbientRadius, 0xffff00ffu);
}

bool A99Object::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_KEY && isEditorMode()) {
        ZubInput* in = ZubInput::active();
        if (in && in->isKeyDown(KEY_H) && !in->wasKeyDown(KEY_H) && in->modifierState == 2) {
            local_createHull();
            if (WorldEditorPanel* panel = activeEditorPanel()) panel->setEditedObject(getHull());
            if (FocusManager* fm = FocusManager::active()) fm->setFocus(getHull());
            return true;
        }
    }
    return EditorObject::onEvent(ev);
}

void A99Object::addPropertiesTo(PropertyContainer* c) {
    EditorObject::addPropertiesTo(c);
    c->add(new PropertyReference(u"pHull", 0, &pHull, &Hull::classRecord),
           "its collision outline (made by its 'hull' lines)");
    c->add(new PropertyPointer(u"pAmbientSound", PROP_RESOURCE, &pAmbientSound, &Sound::classRecord),
           "a sound it plays in a loop while the hero is near");
    c->add(new PropertyFloat(u"minAmbientRadius", 0, &minAmbientRadius),
           "within this distance the loop plays at full volume");
    c->add(new PropertyFloat(u"maxAmbientRadius", 0, &maxAmbientRadius), "beyond this distance the loop is silent");
    c->add(new PropertyEnum(u"material", 0, &material, MATERIAL_COUNT, kMaterialNames),
           "what it is made of, for the footsteps on it");
    c->add(new PropertyRPC<RPCCreateHull>(u"createHull", 0, this), "gives it an empty collision outline");
    c->add(new PropertyRPC<RPCDeleteHull>(u"deleteHull", 0, this), "takes its collision outline away");
}
