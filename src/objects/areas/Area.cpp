#include "objects/areas/Area.h"

#include <cmath>

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "records/GameConfiguration.h"
#include "world/AreaIndex.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(Area, A99Object, object_ids::Area)

namespace {

const char16_t* const kTypeNames[AREA_TYPE_COUNT] = {u"none", u"slow", u"water", u"mud", u"acid", u"danger"};

// The editor skins of the two shapes.
constexpr const char16_t* kRectangleSkin = u"editor_areas:0";
constexpr const char16_t* kCircleSkin = u"editor_areas:1";

// A splash of drops: large for big bodies, small for the rest.
struct SplashSize {
    int count;
    float speed;
    float scale;
};
constexpr SplashSize kLargeSplash{15, 100.0f, 2.0f};
constexpr SplashSize kSmallSplash{5, 50.0f, 1.0f};
// The slowest drop of any splash, and the drops' lifetimes.
constexpr float kSplashSlowest = 25.0f;
constexpr double kSplashShortestLife = 2.0;
constexpr double kSplashLongestLife = 3.0;
// The cone the drops fly in about the surface's outward normal.
constexpr float kWaterCone = kPi / 2.0f;
constexpr float kMudCone = kPi;
constexpr uint32_t kWaterColor = 0xFFCCFFFFu;
constexpr uint32_t kMudColor = 0xFF804000u;

}  // namespace

Area::Area() {
    collisionSensitivity = 0.7f;
    // The containment tests map points into the area's frame every tick.
    bHasInvXform = 1;
    setSkin(findResource<Skin>(kRectangleSkin));
}

Area::~Area() = default;

uint32_t Area::tintOf(int type) {
    switch (type) {
        case AREA_SLOW:
            return 0xFF00FFFFu;
        case AREA_WATER:
            return 0xFF0000FFu;
        case AREA_MUD:
            return 0xFF804000u;
        case AREA_ACID:
            return 0xFF00FF00u;
        case AREA_DANGER:
            return 0xFFFF0000u;
        default:
            return 0xFFFFFFFFu;
    }
}

// ---------------------------------------------------------------------------
// Play

void Area::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (areaType == AREA_DANGER && !bRectangularArea && !isEditorMode()) pushApples();
}

void Area::pushApples() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    for (Apple* apple : childrenOf<Apple>(level->appleList)) {
        if (apple->bToBeDestroyed || apple->bDisabled || !apple->isLoose() || !containsObject(apple)) continue;
        apple->push(this, (apple->position - position).normalized() * APPLE_PUSH);
    }
}

void Area::onHullCrossed(A99Object* mover, Xsect* xsect) {
    const bool water = areaType == AREA_WATER;
    if ((!water && areaType != AREA_MUD) || !mover || !xsect) return;
    const bool large = mover->effectiveRadius() > LARGE_SPLASH_SIZE;
    Level* level = Level::current();
    // The drops go to the level's effects, which draw in play (the area
    // itself draws only in the editor).
    if (level && level->fgEffectsList && level->getConfiguration().detailLevel >= 1) {
        const SplashSize& s = large ? kLargeSplash : kSmallSplash;
        // Out of the surface that was crossed: the outward normal of the
        // segment as it lies in the world.
        const HullSegment* segment = xsect->pHitSegment;
        const float angle = segment ? segment->getWorldAngle() + kPi / 2.0f : kPi / 2.0f;
        const V3& at = xsect->hitPoint;
        level->fgEffectsList->addChild(new SplashParticles(
            s.count, at.x, at.y, at.z, s.speed, kSplashSlowest, angle, water ? kWaterCone : kMudCone, s.scale, 1.0f,
            water ? kWaterColor : kMudColor, 1, kSplashShortestLife, kSplashLongestLife));
    }
    if (water) mover->playSound(findResource<Sound>(large ? u"waterSplashLarge" : u"waterSplashSmall"), false);
    else if (large) mover->playSound(findResource<Sound>(u"mudSplash"), false);
}

// ---------------------------------------------------------------------------
// Containment

void Area::calcBoundingCircle() {
    A99Object::calcBoundingCircle();
    AreaIndex::boundsChanged();
}

bool Area::containsPoint(const V3& p) {
    if (!pSkin || !V3::isWithinDistance(boundingCentre, p, boundingRadius)) return false;
    if (bRectangularArea) return isPointInside(p.x, p.y, p.z);
    V3 local;
    world2local(local, p);
    const float r = pSkin->width / 2.0f;
    return local.x * local.x + local.y * local.y + local.z * local.z < r * r;
}

bool Area::containsObject(A99Object* o) {
    if (!o || !pSkin || !boundsIntersecting(o)) return false;
    // A flattened area holds nothing (and its frame cannot be inverted).
    const float sx = std::fabs(scale.x), sy = std::fabs(scale.y);
    if (sx == 0.0f || sy == 0.0f) return false;
    V3 l;
    world2local(l, o->position);
    const float r = o->effectiveRadius();
    const float hw = pSkin->width / 2.0f, hh = pSkin->height / 2.0f;
    if (!bRectangularArea) {
        const float R = r / sx + hw;
        return l.x * l.x + l.y * l.y + l.z * l.z < R * R;
    }
    const float rx = r / sx, ry = r / sy;
    if (l.x < -hw - rx || l.x >= hw + rx || l.y < -hh - ry || l.y >= hh + ry) return false;
    const float dx = std::fabs(l.x) - hw, dy = std::fabs(l.y) - hh;
    if (dx <= 0.0f || dy <= 0.0f || hw <= 0.0f || hh <= 0.0f) return true;
    // Beyond a corner: an ellipse scaled by the half extents.
    return (dx / hw) * (dx / hw) + (dy / hh) * (dy / hh) < 1.0f;
}

// ---------------------------------------------------------------------------
// Level data and the editor

ZubBase* Area::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->dangerAreaList) return level->dangerAreaList;
    return A99Object::namedOwnerList();
}

void Area::renderObject() {
    if (isEditorMode()) A99Object::renderObject();
}

void Area::onEdited() {
    if (bRectangularArea) {
        setSkin(findResource<Skin>(kRectangleSkin));
    } else {
        setSkin(findResource<Skin>(kCircleSkin));
        scale.y = scale.x;
    }
    color = tintOf(areaType);
    A99Object::onEdited();
}

void Area::local_createOutline() {
    if (getHull() || !pSkin) return;
    local_createHull();
    Hull* hull = getHull();
    if (!hull) return;
    hull->hullType = Hull::PASS_THROUGH;
    const float hw = pSkin->width / 2.0f, hh = pSkin->height / 2.0f;
    if (bRectangularArea) {
        const float corners[][2] = {{-hw, hh}, {hw, hh}, {hw, -hh}, {-hw, -hh}};
        for (const auto& c : corners) hull->addHullPoint(c[0], c[1], 0.0f, true);
    } else {
        for (int i = 0; i < CIRCLE_OUTLINE_EDGES; ++i) {
            const float a = kPi / 2.0f - kTwoPi * static_cast<float>(i) / CIRCLE_OUTLINE_EDGES;
            hull->addHullPoint(hw * std::cos(a), hw * std::sin(a), 0.0f, true);
        }
    }
    hull->closeLoop();
}

void Area::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyBool(u"bRectangularArea", 0, &bRectangularArea),
           "yes: the rectangle of its skin; no: the circle inside it");
    c->add(new PropertyEnum(u"areaType", 0, &areaType, AREA_TYPE_COUNT, kTypeNames),
           "the ground it makes: slow, water, mud, acid or danger");
}
