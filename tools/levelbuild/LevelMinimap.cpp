#include "LevelMinimap.h"

#include <algorithm>
#include <cmath>

#include "Manifest.h"
#include "flow/GameController.h"
#include "gfx/Quad.h"
#include "object/ResourceManager.h"
#include "objects/apples/Apple.h"
#include "objects/areas/Area.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/SkinnedPath.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Vegetation.h"
#include "objects/triggers/House.h"
#include "world/EditorProxy.h"
#include "world/Hull.h"
#include "world/Terrain.h"

namespace levelbuild {

namespace {

using contentgen::Canvas;
namespace colours = minimap_colours;

struct Palette {
    uint32_t skyTop, skyBottom, grass, earthTop, earthBottom;
};

// Spring, summer, autumn, winter.
constexpr Palette kPalettes[4] = {
    {0xFF9CD0F4, 0xFFE0F0FF, 0xFF58A040, 0xFF6A4A2A, 0xFF4A3220},
    {0xFF7CC0F0, 0xFFD8F0FF, 0xFF7DB03A, 0xFF7A5A30, 0xFF55401F},
    {0xFFB8C8D8, 0xFFF0E4D0, 0xFFB08A3A, 0xFF6A4A2A, 0xFF4A3220},
    {0xFFB8C8DC, 0xFFF4F8FF, 0xFFF4F8FF, 0xFF7A6A5A, 0xFF554A40},
};

// The grass (or snow) on top of the terrain, in pixels.
constexpr double kGrassDepth = 2.5;

// The colour and opacity of an area's kind.
struct AreaLook {
    uint32_t colour;
    double cover;
};
AreaLook areaLook(int type) {
    switch (type) {
        case AREA_SLOW:
            return {0xFFC8B070, 0.6};
        case AREA_WATER:
            return {0xFF3F8FDF, 0.85};
        case AREA_MUD:
            return {0xFF6B4A2A, 0.85};
        case AREA_ACID:
            return {0xFF8FD03A, 0.85};
        case AREA_DANGER:
            return {0xFFE04040, 0.6};
        default:
            return {0, 0.0};
    }
}

// World points onto the picture, as the overlay maps them.
struct Frame {
    double left, top, right, bottom;
    double column(double x) const { return (x - left) / (right - left) * MINIMAP_WIDTH; }
    double row(double y) const { return (top - y) / (top - bottom) * MINIMAP_HEIGHT; }
    double worldX(double column) const { return left + column / MINIMAP_WIDTH * (right - left); }
    double worldY(double row) const { return top - row / MINIMAP_HEIGHT * (top - bottom); }
};

// The picture rectangle of a renderable's skin (its four corners mapped).
struct Box {
    double x0, y0, x1, y1;
    double w() const { return x1 - x0; }
    double h() const { return y1 - y0; }
};
bool skinBox(const Renderable& r, const Skin* skin, const Frame& f, Box& out) {
    if (!skin || skin->width <= 0.0f || skin->height <= 0.0f) return false;
    const float hw = skin->width * 0.5f, hh = skin->height * 0.5f;
    out = {1e30, 1e30, -1e30, -1e30};
    for (const V3& corner : {V3(-hw, -hh, 0.0f), V3(hw, -hh, 0.0f), V3(hw, hh, 0.0f), V3(-hw, hh, 0.0f)}) {
        V3 w;
        r.localToWorld(w, corner);
        const double x = f.column(w.x), y = f.row(w.y);
        out.x0 = std::min(out.x0, x);
        out.x1 = std::max(out.x1, x);
        out.y0 = std::min(out.y0, y);
        out.y1 = std::max(out.y1, y);
    }
    return true;
}

// The terrain's top and bottom heights at a world x; false beyond its strip.
class TerrainProfile {
public:
    explicit TerrainProfile(const Terrain& t) {
        for (int i = 0; i < t.pointCount(); ++i) {
            V3 top, bottom;
            t.getHeightPoint(&top, 0, i);
            t.getHeightPoint(&bottom, 1, i);
            xs.push_back(top.x + t.position.x);
            tops.push_back(top.y + t.position.y);
            bottoms.push_back(bottom.y + t.position.y);
        }
    }
    bool at(double x, double& top, double& bottom) const {
        if (xs.size() < 2 || x < xs.front() || x > xs.back()) return false;
        const size_t i = std::min<size_t>(
            std::max<ptrdiff_t>(std::upper_bound(xs.begin(), xs.end(), x) - xs.begin(), 1) - 1, xs.size() - 2);
        const double span = xs[i + 1] - xs[i];
        const double t = span > 0.0 ? (x - xs[i]) / span : 0.0;
        top = tops[i] + (tops[i + 1] - tops[i]) * t;
        bottom = bottoms[i] + (bottoms[i + 1] - bottoms[i]) * t;
        return true;
    }

private:
    std::vector<double> xs, tops, bottoms;
};

void drawTerrain(Canvas& c, const Terrain& terrain, const Frame& f, const Palette& p) {
    const TerrainProfile profile(terrain);
    for (int x = 0; x < MINIMAP_WIDTH; ++x) {
        double top, bottom;
        if (!profile.at(f.worldX(x + 0.5), top, bottom)) continue;
        const double t = f.row(top), b = f.row(bottom);
        const int first = std::max(0, static_cast<int>(std::floor(t)));
        const int last = std::min(MINIMAP_HEIGHT - 1, static_cast<int>(std::ceil(b)));
        for (int y = first; y <= last; ++y) {
            const double cover = std::min(y + 1.0, b) - std::max(static_cast<double>(y), t);
            if (cover <= 0.0) continue;
            const double depth = y + 0.5 - t;
            const uint32_t colour =
                depth < kGrassDepth
                    ? p.grass
                    : contentgen::mix(p.earthTop, p.earthBottom, std::clamp((depth - kGrassDepth) / 40.0, 0.0, 1.0));
            c.blend(x, y, colour, std::min(1.0, cover));
        }
    }
}

// Water, mud and the other areas, sampled four times a pixel.
void drawArea(Canvas& c, Area& area, const Frame& f) {
    const AreaLook look = areaLook(area.areaType);
    if (!look.colour) return;
    for (int y = 0; y < MINIMAP_HEIGHT; ++y)
        for (int x = 0; x < MINIMAP_WIDTH; ++x) {
            int inside = 0;
            for (double dy : {0.25, 0.75})
                for (double dx : {0.25, 0.75})
                    inside += area.containsPoint(
                        V3(static_cast<float>(f.worldX(x + dx)), static_cast<float>(f.worldY(y + dy)), 0.0f));
            if (inside) c.blend(x, y, look.colour, look.cover * inside / 4.0);
        }
}

// Trees stand on a trunk under a round crown; smaller plants are bushes;
// the smallest (flowers, grass) are left out.
void drawPlant(Canvas& c, const Box& b) {
    if (b.h() >= 8.0) {
        const double cx = (b.x0 + b.x1) * 0.5;
        c.line(cx, b.y1, cx, b.y0 + b.h() * 0.45, std::max(1.5, b.w() * 0.12), colours::TRUNK);
        c.fillEllipse(cx, b.y0 + b.h() * 0.38, std::max(2.0, b.w() * 0.45), b.h() * 0.38, colours::TREE);
    } else if (b.h() >= 2.5) {
        c.fillEllipse((b.x0 + b.x1) * 0.5, (b.y0 + b.y1) * 0.5, std::max(1.2, b.w() * 0.5), b.h() * 0.5,
                      contentgen::shade(colours::TREE, 1.25));
    }
}

// A solid outline of an object: filled when it is closed, a ledge when not.
void drawHull(Canvas& c, Hull& hull, const A99Object& owner, const Frame& f) {
    const int n = hull.vertexCount();
    if (n < 2) return;
    auto place = [&](HullVertex* v, double& x, double& y) {
        V3 w;
        owner.localToWorld(w, v->vertex);
        x = f.column(w.x);
        y = f.row(w.y);
    };
    if (n >= 3 && hull.segmentCount() >= n) {
        std::vector<double> xy;
        for (int i = 0; i < n; ++i) {
            double x, y;
            place(hull.vertexAt(i), x, y);
            xy.push_back(x);
            xy.push_back(y);
        }
        c.fillPolygon(xy, colours::SOLID);
        return;
    }
    for (int i = 0; i < hull.segmentCount(); ++i) {
        HullSegment* s = hull.segmentAt(i);
        if (!s || !s->getV1() || !s->getV2()) continue;
        double x0, y0, x1, y1;
        place(s->getV1(), x0, y0);
        place(s->getV2(), x1, y1);
        c.line(x0, y0, x1, y1, 2.0, colours::SOLID);
    }
}

// A band laid along a path (a trunk, a branch, a water sheet): along the
// path's curve, as thick as its skin, in the colour the content paints
// its texture with (the placeholder colour of the manifest's entry).
void drawBand(Canvas& c, SkinnedPath& path, const Frame& f) {
    const Quad* quad = path.pRefQuad;
    if (!quad || path.segmentCount() == 0 || !(path.totalLength > 0.0f)) return;
    uint32_t colour = colours::OBJECT;
    if (ResourceManager* rm = ResourceManager::active()) {
        std::string name = wideToNarrow(rm->getResourceName(quad));
        name = name.substr(0, name.find(':'));
        if (const content::Entry* entry = content::findEntry(name)) colour = entry->colour | 0xFF000000u;
    }
    // The band reaches skinOffcenter of its thickness to the path's left
    // and the rest to its right: its middle lies off the curve by this much.
    const float thickness = quad->height * path.skinThicknessScale;
    const float shift = thickness * (path.skinOffcenter - 0.5f);
    const double width = std::max(1.5, std::fabs(thickness) * MINIMAP_HEIGHT / (f.top - f.bottom));
    constexpr int kSteps = 24;
    double px = 0.0, py = 0.0;
    for (int i = 0; i <= kSteps; ++i) {
        V3 local;
        float angle = 0.0f;
        path.evaluateL(&local, path.totalLength * static_cast<float>(i) / kSteps, &angle);
        local += V3(std::cos(angle + kPi / 2.0f), std::sin(angle + kPi / 2.0f), 0.0f) * shift;
        V3 w;
        path.localToWorld(w, local);
        const double x = f.column(w.x), y = f.row(w.y);
        if (i > 0) c.line(px, py, x, y, width, colour);
        px = x;
        py = y;
    }
}

// The house: walls under a roof, as wide and high as its picture (at least
// a few pixels), standing on its position, where the overlay puts its
// marker (its picture reaches a little below the ground).
void drawHouse(Canvas& c, const Box& skin, double cx, double base) {
    const double w = std::max(9.0, skin.w()), h = std::max(9.0, skin.h());
    const double wall = h * 0.6;
    c.fillRect(cx - w * 0.4, base - wall, w * 0.8, wall, colours::HOUSE);
    c.fillPolygon({cx - w * 0.5, base - wall, cx, base - h, cx + w * 0.5, base - wall}, colours::ROOF);
    c.fillRect(cx - w * 0.08, base - wall * 0.55, w * 0.16, wall * 0.55, contentgen::shade(colours::HOUSE, 0.55));
}

bool inList(const ZubBase* o, std::initializer_list<const ZubBase*> lists) {
    for (const ZubBase* l : lists)
        if (l && o->parent == l) return true;
    return false;
}

}  // namespace

bool hasMinimap(int number) { return number >= 0 && number < GameController::MAP_LEVELS && number % 4 != 3; }

contentgen::Canvas drawMinimap(GameController& gc) {
    const Palette& p = kPalettes[gc.season >= 0 && gc.season < 4 ? gc.season : 0];
    Canvas c(MINIMAP_WIDTH, MINIMAP_HEIGHT, p.skyBottom);
    c.verticalGradient(p.skyTop, p.skyBottom);
    const PlayingArea& a = gc.playingArea;
    if (!(a.left < a.right) || !(a.bottom < a.top)) return c;
    const Frame f{a.left, a.top, a.right, a.bottom};

    // The level's objects in its drawing order (the proxy list's): the
    // terrain, plants, and the other objects that stand still, as their
    // solid outlines or, without one, as their pictures' rectangles. What
    // moves, the triggers and the house are left to the markers below.
    for (EditorProxy* proxy : childrenOf<EditorProxy>(gc.proxyList)) {
        EditorObject* o = proxy->getOwner();
        if (!o || o->bHidden) continue;
        if (inList(o, {gc.appleList, gc.cargoList, gc.pigList, gc.pigletList, gc.houseList, gc.sweetList,
                       gc.weatherList, gc.speechBubbleList}))
            continue;
        if (auto* terrain = zub_cast<Terrain>(o)) {
            drawTerrain(c, *terrain, f, p);
            continue;
        }
        Box b;
        if (auto* plant = zub_cast<Vegetation>(o)) {
            if (skinBox(*plant, plant->pSkin ? plant->pSkin : static_cast<Skin*>(plant->pRefQuad), f, b))
                drawPlant(c, b);
            continue;
        }
        if (auto* band = zub_cast<SkinnedPath>(o)) {
            drawBand(c, *band, f);
            continue;
        }
        if (zub_cast<TerrainDeco>(o) || zub_cast<TriggerArea>(o) || zub_cast<Area>(o) || zub_cast<HousePart>(o))
            continue;
        auto* object = zub_cast<A99Object>(o);
        Hull* hull = object ? object->getHull() : nullptr;
        if (hull && hull->hullType == Hull::SOLID && !hull->bHeroOnly && hull->vertexCount() >= 2) {
            drawHull(c, *hull, *object, f);
            continue;
        }
        if (skinBox(*o, o->pSkin, f, b) && b.w() >= 4.0 && b.h() >= 4.0)
            c.fillRoundRect(b.x0, b.y0, b.w(), b.h(), std::min(b.w(), b.h()) * 0.25, colours::OBJECT);
    }
    for (Area* area : childrenOf<Area>(gc.dangerAreaList)) drawArea(c, *area, f);

    if (House* house = gc.houseOrNull()) {
        Box b{0.0, 0.0, 0.0, 0.0};
        skinBox(*house, house->pSkin, f, b);
        drawHouse(c, b, f.column(house->position.x), f.row(house->position.y));
    }
    for (Apple* apple : childrenOf<Apple>(gc.appleList)) {
        Box b;
        const double r = skinBox(*apple, apple->pSkin, f, b) ? std::max(2.2, b.w() * 0.5) : 2.2;
        c.fillEllipse(f.column(apple->position.x), f.row(apple->position.y), r, r, colours::APPLE);
    }
    return c;
}

}  // namespace levelbuild
