#include "LevelCheck.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "TextFile.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "gfx/Skin.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/devices/Springboard.h"
#include "objects/hints/WoodSign.h"
#include "objects/paths/Sweet.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Decoration.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/triggers/House.h"
#include "objects/triggers/SecretArea.h"
#include "sys/Logger.h"
#include "util/Format.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/Terrain.h"

namespace levelbuild {

namespace {

// The lines of a level's start: the level manager's and the game server's
// (its host and its connection to itself).
bool isLoadLine(std::u16string_view line) {
    constexpr std::u16string_view kLines[] = {
        u"ContextLevelManager::ContextLevelManager(): Loading level: ",
        u"ContextLevelManager::ContextLevelManager(): Level loaded in ",
        u"NetHost::NetHost(): Creating SERVER host...",
        u"NetConnection::NetConnection(): Creating emulated localhost connection: ",
    };
    for (std::u16string_view start : kLines)
        if (line.starts_with(start)) return true;
    return false;
}

// How far a point may lie below a terrain's surface and still count as on
// it: level files keep coordinates as 16-bit floats, on a grid of up to 2
// units at the level's far sides.
constexpr float kGroundTolerance = 2.0f;

// A terrain's solid part under a world x: from `bottom` up to `top`. The
// level's own terrain is solid all the way down (nothing is under it); the
// others (ledges, branches) between their two rows. False where the strip
// does not reach. Terrains are not turned: their position and scale place
// the strip.
struct GroundSpan {
    float top, bottom;
};

std::optional<GroundSpan> groundAt(Terrain& t, float worldX, bool whole) {
    const int n = t.pointCount();
    if (n < 2 || t.segmentWidth <= 0 || t.scale.x == 0.0f) return std::nullopt;
    const float localX = (worldX - t.position.x) / t.scale.x;
    const float f = (localX + t.totalWidth * 0.5f) / static_cast<float>(t.segmentWidth);
    if (!(f >= 0.0f) || f > static_cast<float>(n - 1)) return std::nullopt;
    const int i = std::min(static_cast<int>(f), n - 2);
    const float u = f - static_cast<float>(i);
    auto row = [&](int r) {
        V3 a, b;
        t.getHeightPoint(&a, r, i);
        t.getHeightPoint(&b, r, i + 1);
        return t.position.y + t.scale.y * (a.y + (b.y - a.y) * u);
    };
    const float top = row(0), bottom = whole ? -INFINITY : row(1);
    return GroundSpan{std::max(top, bottom), std::min(top, bottom)};
}

// A point of an object's own frame (its outline's) in the world, as its
// world transform maps it once computed: the skin's origin off, scaled,
// turned about z, moved to its position. Placed objects have no parent;
// a level just loaded or drafted has not computed the transforms yet.
V3 worldPoint(const Renderable& r, const V3& p) {
    const V3 o = r.pSkin ? r.pSkin->origin : V3();
    const float x = (p.x - o.x) * r.scale.x, y = (p.y - o.y) * r.scale.y;
    const float c = std::cos(r.rotation.z), sn = std::sin(r.rotation.z);
    return V3(x * c - y * sn + r.position.x, x * sn + y * c + r.position.y, r.position.z);
}

// A body as the ground and edge tests see it: the point it stands on (its
// physics point, or its position) and, for a body with an outline, the
// circle around its drawn centre.
struct Body {
    V3 point;
    V3 centre;
    float radius = 0.0f;      // 0: the point alone
    std::vector<V3> corners;  // the house's outline corners above its position
};

std::optional<Body> bodyOf(EditorObject* o) {
    Body b;
    b.point = b.centre = o->position;
    if (auto* hero = zub_cast<Pig>(o)) {
        b.point = o->position - hero->bodyOffset;
        b.radius = hero->heroRadius;
    } else if (zub_cast<Apple>(o) || zub_cast<Basket>(o)) {
        const V3& offset = static_cast<PhysObject*>(o)->physPointOffset;
        b.point = o->position - offset;
        b.radius = std::max(offset.length(), 1.0f);
    } else if (zub_cast<Sweet>(o)) {
        b.radius = std::max(o->effectiveRadius(), 1.0f);
    } else if (auto* house = zub_cast<House>(o)) {
        if (Hull* hull = house->getHull()) {
            for (int i = 0; i < hull->vertexCount(); ++i) {
                const V3 w = worldPoint(*house, hull->vertexAt(i)->vertex);
                if (w.y > o->position.y + kGroundTolerance) b.corners.push_back(w);
            }
        }
    } else if (!zub_cast<SecretArea>(o)) {
        return std::nullopt;
    }
    return b;
}

// The points of a body that must lie out of the ground: its point, its
// centre and the upper half of its outline (without its two ends): the lower
// half of a body dips into a slope it rests on, and a sweet's side may touch
// a slope and still be taken.
std::vector<V3> groundPoints(const Body& b) {
    std::vector<V3> points{b.point, b.centre};
    if (b.radius > 0.0f) {
        constexpr int kSteps = 8;
        for (int k = 1; k < kSteps; ++k) {
            const float a = kPi * static_cast<float>(k) / kSteps;
            points.push_back(b.centre + V3(b.radius * std::cos(a), b.radius * std::sin(a), 0.0f));
        }
    }
    points.insert(points.end(), b.corners.begin(), b.corners.end());
    return points;
}

// The points of a body that must lie inside the playing area: its point and
// its whole outline.
std::vector<V3> edgePoints(const Body& b) {
    std::vector<V3> points{b.point};
    if (b.radius > 0.0f) {
        constexpr int kSteps = 16;
        for (int k = 0; k < kSteps; ++k) {
            const float a = 2.0f * kPi * static_cast<float>(k) / kSteps;
            points.push_back(b.centre + V3(b.radius * std::cos(a), b.radius * std::sin(a), 0.0f));
        }
    }
    points.insert(points.end(), b.corners.begin(), b.corners.end());
    return points;
}

std::string placeOf(const V3& p) { return formatNarrow("(%.1f, %.1f)", p.x, p.y); }

}  // namespace

bool isShippedName(const std::string& name) { return levelNumberOf(name) >= 0; }

std::vector<std::string> checkDraft(LevelDraft& draft, const LevelBuilder& builder, const std::string& name) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string& what) { problems.push_back(printable(name) + ": " + what); };
    GameController& gc = draft.controller();

    // A designer's own level (any other name) is played as the first one
    // and keeps whatever season and bonus flag it likes.
    const int number = levelNumberOf(name);
    if (number >= 0) {
        const int season = number / 8;
        const bool bonus = number % 4 == 3;
        if (gc.season != season)
            problem(formatNarrow("season is %d, but level %d (%s) is in season %d", gc.season, number, name, season));
        if (gc.bBonusLevel != bonus)
            problem(formatNarrow("bBonusLevel is %s, but %s %s the valley's bonus level", gc.bBonusLevel ? "yes" : "no",
                                 name, bonus ? "is" : "is not"));
    }

    const PlayingArea& area = gc.playingArea;
    const std::string areaText =
        formatNarrow("(left %.0f, top %.0f, right %.0f, bottom %.0f)", area.left, area.top, area.right, area.bottom);
    if (!(area.left < area.right) || !(area.bottom < area.top)) problem("the playing area " + areaText + " is empty");

    int apples = 0;
    for (Apple* a : childrenOf<Apple>(gc.appleList)) {
        (void)a;
        ++apples;
    }
    if (apples < gc.applesNeeded) problem(formatNarrow("it needs %d apples but has %d", gc.applesNeeded, apples));

    std::map<const ZubBase*, WString> labelOf;
    for (const auto& [label, o] : builder.allLabels()) labelOf.emplace(o, label);
    auto nameOf = [&](const EditorObject* o) {
        auto label = labelOf.find(o);
        return label == labelOf.end() ? formatNarrow("a %s (UID %d)", o->getClass()->getTypeName(), o->objectUID)
                                      : formatNarrow("'%s' (%s)", label->second, o->getClass()->getTypeName());
    };
    // Where an object stands is a problem of the line that placed it.
    auto placedProblem = [&](const EditorObject* o, const std::string& what) {
        const int line = builder.lineOf(o);
        problems.push_back(line > 0 ? describeError(builder.fileName(), line, what) : printable(name) + ": " + what);
    };

    // The terrains; the level's own is solid all the way down.
    const ZubBase* ownTerrain = builder.find(u"terrain");
    std::vector<Terrain*> terrains;
    for (EditorObject* o : childrenOf<EditorObject>(gc.objectList))
        if (auto* t = zub_cast<Terrain>(o)) terrains.push_back(t);
    // The depth of a point in the ground: how far below the surface of the
    // terrain it lies in (the deepest), or nothing.
    auto depthIn = [&](const V3& p) -> std::optional<std::pair<float, float>> {
        std::optional<std::pair<float, float>> deepest;
        for (Terrain* t : terrains) {
            const std::optional<GroundSpan> g = groundAt(*t, p.x, t == ownTerrain);
            if (!g || !(p.y < g->top - kGroundTolerance) || !(p.y > g->bottom)) continue;
            if (!deepest || g->top - p.y > deepest->first) deepest = std::pair{g->top - p.y, g->top};
        }
        return deepest;
    };

    const ZubBase* lists[] = {gc.bgList,    gc.bgEffectsList,  gc.secretList,     gc.dangerAreaList, gc.objectList,
                              gc.appleList, gc.sweetList,      gc.cargoList,      gc.pigList,        gc.pigletList,
                              gc.houseList, gc.explodableList, gc.appleGhostList, gc.fgEffectsList,  gc.weatherList};
    for (const ZubBase* list : lists) {
        for (EditorObject* o : childrenOf<EditorObject>(list)) {
            // The terrain and its bands stretch across the level from their origin.
            if (zub_cast<Terrain>(o) || zub_cast<TerrainDeco>(o)) continue;
            const V3& p = o->position;
            if (!(p.x >= area.left && p.x <= area.right && p.y >= area.bottom && p.y <= area.top)) {
                placedProblem(
                    o, formatNarrow("%s at %s stands outside the playing area %s", nameOf(o), placeOf(p), areaText));
                continue;
            }
            // What the hero gathers, goes to or is herself: clear of the
            // ground and of the area's edges, or it cannot be reached, or is
            // lost (below the bottom edge) as the level starts.
            const std::optional<Body> body = bodyOf(o);
            if (!body) continue;
            for (const V3& q : groundPoints(*body)) {
                if (auto depth = depthIn(q)) {
                    placedProblem(o, formatNarrow("%s at %s starts inside the ground: %s lies %.1f below the terrain's "
                                                  "surface at %.1f",
                                                  nameOf(o), placeOf(p), placeOf(q), depth->first, depth->second));
                    break;
                }
            }
            for (const V3& q : edgePoints(*body)) {
                const char* edge = !(q.x > area.left)     ? "left"
                                   : !(q.x < area.right)  ? "right"
                                   : !(q.y > area.bottom) ? "bottom"
                                   : !(q.y < area.top)    ? "top"
                                                          : nullptr;
                if (edge) {
                    placedProblem(o, formatNarrow("%s at %s starts on the playing area's %s edge: %s is not inside %s",
                                                  nameOf(o), placeOf(p), edge, placeOf(q), areaText));
                    break;
                }
            }
        }
    }

    if (auto* ground = zub_cast<Terrain>(builder.find(u"terrain")))
        for (const std::string& p : checkGroundUnderView(gc, *ground)) problem(p);
    return problems;
}

std::vector<std::string> checkGroundUnderView(GameController& gc, Terrain& ground) {
    const PlayingArea& area = gc.playingArea;
    if (!(area.left < area.right) || !(area.bottom < area.top)) return {};
    // The ground's edges are straight between its points: its bottom row
    // is highest at a point or at a side of the area.
    std::vector<float> xs{area.left, area.right};
    for (int i = 0; i < ground.pointCount(); ++i) {
        V3 p;
        ground.getHeightPoint(&p, 0, i);
        const float x = ground.position.x + ground.scale.x * p.x;
        if (x > area.left && x < area.right) xs.push_back(x);
    }
    std::sort(xs.begin(), xs.end());

    // The bottom row under each of them (infinite where there is no
    // ground), then the stretches where it lies above the bottom edge, each
    // from and to where it crosses the edge (a stretch without ground from
    // and to the strip's ends), with its highest bottom.
    const float edge = area.bottom + kGroundTolerance;
    std::vector<float> bottoms;
    for (const float x : xs) {
        const std::optional<GroundSpan> g = groundAt(ground, x, false);
        bottoms.push_back(g ? g->bottom : INFINITY);
    }
    auto crossing = [&](size_t a, size_t b) {
        if (std::isinf(bottoms[a])) return xs[b];
        if (std::isinf(bottoms[b])) return xs[a];
        return xs[a] + (xs[b] - xs[a]) * (edge - bottoms[a]) / (bottoms[b] - bottoms[a]);
    };
    struct Stretch {
        float from, to;
        float highest, at;
    };
    std::vector<Stretch> stretches;
    for (size_t i = 0; i < xs.size(); ++i) {
        if (!(bottoms[i] > edge)) continue;
        const bool opens = i == 0 || !(bottoms[i - 1] > edge);
        if (opens) stretches.push_back({i == 0 ? xs[i] : crossing(i - 1, i), xs[i], bottoms[i], xs[i]});
        Stretch& s = stretches.back();
        if (bottoms[i] > s.highest) s.highest = bottoms[i], s.at = xs[i];
        const bool last = i + 1 == xs.size();
        if (last || !(bottoms[i + 1] > edge)) s.to = last ? xs[i] : crossing(i, i + 1);
    }

    std::vector<std::string> problems;
    for (const Stretch& s : stretches) {
        const std::string what =
            std::isinf(s.highest)
                ? formatNarrow("there is no ground (at x %.0f)", s.at)
                : formatNarrow("the ground's bottom row lies above it, up to %.0f (at x %.0f)", s.highest, s.at);
        problems.push_back(
            formatNarrow("from x %.0f to %.0f the view can reach the playing area's bottom edge at %.0f, but %s: "
                         "the sky shows through under the ground there; make the terrain deeper or raise the "
                         "area's bottom edge",
                         s.from, s.to, area.bottom, what));
    }
    return problems;
}

std::vector<std::string> checkEdgeReach(GameController& gc) {
    const PlayingArea& area = gc.playingArea;
    Pig* hero = gc.heroOrNull();
    if (!hero || !(area.left < area.right) || !(area.bottom < area.top)) return {};
    const float margin = hero->heroRadius;

    // What she can do: a jump rises v^2 / 2g (twice with the hat) while she
    // runs at most her top speed; a fall glides under the umbrella.
    bool hat = false, umbrella = false;
    for (Cargo* c : childrenOf<Cargo>(gc.cargoList)) {
        hat = hat || zub_cast<WingedHat>(c);
        umbrella = umbrella || zub_cast<Umbrella>(c);
    }
    const Pig::Movement& m = Pig::MOVE_DEFAULT;
    const float gravity = -m.gravity, fallGravity = umbrella ? -Pig::MOVE_GLIDE.gravity : gravity;
    const int jumps = hat ? 2 : 1;
    const float jumpRise = static_cast<float>(jumps) * m.jumpSpeed * m.jumpSpeed / (2.0f * gravity);
    const float jumpTime = static_cast<float>(jumps) * m.jumpSpeed / gravity;

    // Hull segments are solid from their front (the normal's side) only.
    // The places to stand: every segment of every hull that faces up and
    // is no steeper than a wall, in columns across the playing area,
    // between its bottom (below it she faints) and its top. The walls:
    // the steeper segments, at the gates between two columns, each as the
    // span of heights it closes to a move towards its front.
    constexpr float kColumn = 8.0f;
    const int columns = static_cast<int>(std::ceil((area.right - area.left) / kColumn)) + 1;
    auto columnX = [&](int c) { return std::min(area.left + kColumn * static_cast<float>(c), area.right); };
    std::vector<std::vector<float>> heights(static_cast<size_t>(columns));
    // [direction][gate]: direction 0 closes moves to the right (the wall
    // faces left), 1 moves to the left; gate g lies between the columns g
    // and g + 1.
    std::vector<std::vector<std::pair<float, float>>> walls[2];
    walls[0].resize(static_cast<size_t>(columns));
    walls[1].resize(static_cast<size_t>(columns));
    for (Hull* hull : childrenOf<Hull>(gc.hullList)) {
        A99Object* owner = hull->owner();
        if (!owner) continue;
        const bool mirrored = (owner->scale.x < 0.0f) != (owner->scale.y < 0.0f);
        for (int s = 0; s < hull->segmentCount(); ++s) {
            HullSegment* seg = hull->segmentAt(s);
            if (!seg || !seg->getV1() || !seg->getV2()) continue;
            V3 a = worldPoint(*owner, seg->getV1()->vertex), b = worldPoint(*owner, seg->getV2()->vertex);
            // The front: the segment's direction turned left (mirrored
            // owners turn their outlines over).
            V3 normal(a.y - b.y, b.x - a.x, 0.0f);
            if (mirrored) normal = normal * -1.0f;
            if (a.x > b.x) std::swap(a, b);
            const bool wall = std::fabs(b.y - a.y) > b.x - a.x;  // Pig::WALL_ANGLE
            auto heightAt = [&](float x) {
                return b.x > a.x ? a.y + (b.y - a.y) * std::clamp((x - a.x) / (b.x - a.x), 0.0f, 1.0f)
                                 : std::max(a.y, b.y);
            };
            if (wall) {
                if (hull->hullType == Hull::PASS_THROUGH || normal.x == 0.0f) continue;
                auto& gates = walls[normal.x < 0.0f ? 0 : 1];
                const float ga = (a.x - area.left) / kColumn - 0.5f, gb = (b.x - area.left) / kColumn - 0.5f;
                const int first = std::max(0, static_cast<int>(std::floor(ga)));
                const int last = std::min(columns - 2, static_cast<int>(std::ceil(gb)));
                for (int g = first; g <= last; ++g) {
                    // The part of the segment between the middles of the
                    // gate's two columns.
                    const float x0 = std::max(a.x, columnX(g)), x1 = std::min(b.x, columnX(g + 1));
                    if (x0 > x1) continue;
                    // (An upright segment: all of it.)
                    const float y0 = b.x > a.x ? heightAt(x0) : a.y, y1 = b.x > a.x ? heightAt(x1) : b.y;
                    gates[static_cast<size_t>(g)].push_back({std::min(y0, y1), std::max(y0, y1)});
                }
                continue;
            }
            if (!(normal.y > 0.0f)) continue;  // a ceiling
            const int first = std::max(0, static_cast<int>(std::ceil((a.x - area.left) / kColumn)));
            const int last = std::min(columns - 1, static_cast<int>(std::floor((b.x - area.left) / kColumn)));
            for (int c = first; c <= last; ++c) {
                const float y = heightAt(columnX(c));
                if (y > area.bottom && y < area.top) heights[static_cast<size_t>(c)].push_back(y);
            }
        }
    }
    // Each gate's spans joined where they meet.
    for (auto& gates : walls) {
        for (auto& spans : gates) {
            std::sort(spans.begin(), spans.end());
            std::vector<std::pair<float, float>> joined;
            for (const auto& span : spans) {
                if (!joined.empty() && span.first <= joined.back().second + 1.0f)
                    joined.back().second = std::max(joined.back().second, span.second);
                else joined.push_back(span);
            }
            spans = std::move(joined);
        }
    }
    // The lowest height from which a wall at the gate closes everything up
    // to `apex` to a move in the direction; infinite when it does not reach
    // that high there.
    auto closedFrom = [&](int direction, int gate, float apex) {
        for (const auto& span : walls[direction][static_cast<size_t>(gate)])
            if (span.first <= apex && span.second >= apex) return span.first;
        return INFINITY;
    };

    struct Place {
        int column;
        float y;
    };
    std::vector<Place> places;
    std::vector<int> firstOf(static_cast<size_t>(columns) + 1);
    for (int c = 0; c < columns; ++c) {
        std::vector<float>& h = heights[static_cast<size_t>(c)];
        std::sort(h.begin(), h.end());
        firstOf[static_cast<size_t>(c)] = static_cast<int>(places.size());
        for (size_t k = 0; k < h.size(); ++k)
            if (k == 0 || h[k] - h[k - 1] > 1.0f) places.push_back({c, h[k]});
    }
    firstOf[static_cast<size_t>(columns)] = static_cast<int>(places.size());
    if (places.empty()) return {};

    // Where she starts: the highest place under her feet in her column (or
    // the nearest one, when none lies under them).
    const V3 feet = hero->position - hero->bodyOffset;
    const int startColumn = std::clamp(static_cast<int>(std::lround((feet.x - area.left) / kColumn)), 0, columns - 1);
    int start = -1;
    for (int i = firstOf[static_cast<size_t>(startColumn)]; i < firstOf[static_cast<size_t>(startColumn) + 1]; ++i)
        if (places[static_cast<size_t>(i)].y <= feet.y + kColumn) start = i;
    if (start < 0) {
        float best = INFINITY;
        for (size_t i = 0; i < places.size(); ++i) {
            const float d = std::hypot(columnX(places[i].column) - feet.x, places[i].y - feet.y);
            if (d < best) best = d, start = static_cast<int>(i);
        }
    }

    // From a place at height y with a rise of `rise` (taking `riseTime`),
    // every place up to y + rise within her run over the rise and the fall
    // from its top, unless a wall on the way closes everything from the
    // lower of the two heights up to the top of the rise (ceilings are not
    // taken into account: this reaches at least as far as she does).
    std::vector<char> reached(places.size(), 0);
    std::vector<int> queue{start};
    reached[static_cast<size_t>(start)] = 1;
    std::vector<Springboard*> boards;
    for (EditorObject* o : childrenOf<EditorObject>(gc.objectList))
        if (auto* b = zub_cast<Springboard>(o)) boards.push_back(b);
    std::vector<char> thrown(boards.size(), 0);
    constexpr float kWallTolerance = 2.0f;
    auto spread = [&](float x, float y, float rise, float riseTime) {
        const float apex = y + rise;
        auto reaches = [&](const Place& q) {
            if (q.y > apex) return false;
            const float run = m.maxSpeed * (riseTime + std::sqrt(2.0f * (apex - q.y) / fallGravity));
            return std::fabs(columnX(q.column) - x) <= run;
        };
        auto take = [&](int i) {
            reached[static_cast<size_t>(i)] = 1;
            queue.push_back(i);
        };
        const int c0 = std::clamp(static_cast<int>(std::lround((x - area.left) / kColumn)), 0, columns - 1);
        for (int i = firstOf[static_cast<size_t>(c0)]; i < firstOf[static_cast<size_t>(c0) + 1]; ++i)
            if (!reached[static_cast<size_t>(i)] && reaches(places[static_cast<size_t>(i)])) take(i);
        const float maxRun = m.maxSpeed * (riseTime + std::sqrt(2.0f * (apex - area.bottom) / fallGravity));
        for (int direction = 0; direction < 2; ++direction) {
            const int step = direction == 0 ? 1 : -1;
            float closed = INFINITY;
            for (int c = c0 + step; c >= 0 && c < columns && std::fabs(columnX(c) - x) <= maxRun + kColumn; c += step) {
                closed = std::min(closed, closedFrom(direction, direction == 0 ? c - 1 : c, apex));
                if (closed <= y + kWallTolerance && closed <= area.bottom) break;
                for (int i = firstOf[static_cast<size_t>(c)]; i < firstOf[static_cast<size_t>(c) + 1]; ++i) {
                    const Place& q = places[static_cast<size_t>(i)];
                    if (reached[static_cast<size_t>(i)] || !reaches(q)) continue;
                    if (closed <= std::min(y, q.y) + kWallTolerance) continue;
                    take(i);
                }
            }
        }
    };
    while (!queue.empty()) {
        const Place p = places[static_cast<size_t>(queue.back())];
        queue.pop_back();
        const float x = columnX(p.column);
        spread(x, p.y, jumpRise, jumpTime);
        // A springboard within her reach throws her along its up axis at
        // its speed (across, her top speed limits her at once), then she
        // may jump again with the hat.
        for (size_t k = 0; k < boards.size(); ++k) {
            const Springboard* b = boards[k];
            if (thrown[k] || std::fabs(b->position.x - x) > margin + b->triggerRadius ||
                std::fabs(b->position.y - p.y) > margin + b->triggerRadius)
                continue;
            thrown[k] = 1;
            const float v = std::fabs(b->force * std::cos(b->rotation.z));
            const float extra = hat ? m.jumpSpeed * m.jumpSpeed / (2.0f * gravity) : 0.0f;
            spread(b->position.x, b->position.y, v * v / (2.0f * gravity) + extra,
                   v / gravity + (hat ? m.jumpSpeed / gravity : 0.0f));
        }
    }

    std::vector<std::string> problems;
    const struct {
        const char* name;
        float edge;
        bool (*near)(float x, float edge, float margin);
    } edges[] = {
        {"left", area.left, [](float x, float edge, float margin) { return x < edge + margin; }},
        {"right", area.right, [](float x, float edge, float margin) { return x > edge - margin; }},
    };
    for (const auto& e : edges) {
        // The place nearest to the edge, the lowest there.
        const Place* found = nullptr;
        for (size_t i = 0; i < places.size(); ++i) {
            if (!reached[i] || !e.near(columnX(places[i].column), e.edge, margin)) continue;
            const float d = std::fabs(columnX(places[i].column) - e.edge);
            if (!found || d < std::fabs(columnX(found->column) - e.edge) ||
                (d == std::fabs(columnX(found->column) - e.edge) && places[i].y < found->y))
                found = &places[i];
        }
        if (found)
            problems.push_back(formatNarrow(
                "the hero can get to (%.0f, %.0f), within her radius %.0f of the playing area's %s edge at %.0f, "
                "and would be half off the screen there: wall the edge off or raise the ground before it",
                columnX(found->column), found->y, margin, e.name, e.edge));
    }
    return problems;
}

namespace {

// Plays the script to its end in a new environment, watching where the hero
// goes while she plays and whether she is home when the level's play ends.
LevelRun playRun(const BuiltLevel& level, const KeyScript& script, const std::string& which,
                 std::vector<std::string>& problems) {
    auto problem = [&](const std::string& what) {
        problems.push_back(printable(level.name) + ": " + which + " " + what);
    };
    LevelEnvironment environment;
    GameController& gc = environment.play(level);
    LevelRun run;
    run.played = true;
    bool ended = false, nearEdge = false;
    const int length = script.length();
    while (environment.frames < length && !environment.manager->done) {
        environment.frame(script.keysAt(environment.frames));
        Pig* hero = gc.heroOrNull();
        House* house = gc.houseOrNull();
        if (!ended && gc.state > GameController::PLAYING) {
            ended = gc.state != GameController::PLAYING && gc.state != GameController::END_CHECK;
            if (ended) run.home = house && house->atHome;
        }
        if (hero && !nearEdge && gc.state == GameController::PLAYING && hero->state == Pig::PLAYING) {
            const float x = hero->physPoint.position.x, r = hero->heroRadius;
            const PlayingArea& a = gc.playingArea;
            if (x < a.left + r || x > a.right - r) {
                nearEdge = true;
                problem(formatNarrow(
                    "takes the hero to (%.1f, %.1f) at frame %d, within her radius %.0f of the "
                    "playing area's %s edge: half of her is off the screen",
                    x, hero->physPoint.position.y, environment.frames, r, x < a.left + r ? "left" : "right"));
            }
        }
    }
    run.hash = environment.stateHash();
    run.frames = environment.frames;
    run.state = gc.state;
    run.outcome = environment.manager->outcome();
    run.score = gc.currentResult.score;
    run.time = gc.currentResult.time;
    if (run.outcome != GameController::OUTCOME_COMPLETE)
        problem(formatNarrow("ends at frame %d in state %d without completing it (outcome %d)", run.frames, run.state,
                             run.outcome));
    else if (!run.home)
        problem(formatNarrow("ends at frame %d with the hero not home: the level's time ran out (%.2f s)", run.frames,
                             run.time));
    return run;
}

}  // namespace

LevelProof proveLevel(const BuiltLevel& level, const KeyScript* script, const KeyScript* perfect) {
    LevelProof proof;
    proof.problems = level.problems;
    auto problem = [&](const std::string& what) { proof.problems.push_back(printable(level.name) + ": " + what); };
    const bool shipped = isShippedName(level.name);

    {
        LevelEnvironment environment;
        Logger::get().clearHistory();
        GameController& gc = environment.play(level);
        for (const WString& line : Logger::get().history())
            if (!isLoadLine(line)) problem("loading it logs \"" + wideToNarrow(line) + "\"");
        if (!gc.heroOrNull()) problem("it has no hero");
        if (!gc.houseOrNull()) problem("it has no house");
        for (const std::string& p : checkEdgeReach(gc)) problem(p);
        proof.parTime = gc.parTime;
    }

    if (script) {
        static_cast<LevelRun&>(proof) = playRun(level, *script, "its key script", proof.problems);
        if (!script->expectedScore) problem("its key script expects no score (a line 'expect score LOW HIGH')");
        else if (!script->expectedScore->contains(proof.score))
            problem(formatNarrow("its key script scores %d, outside the expected %d to %d", proof.score,
                                 script->expectedScore->low, script->expectedScore->high));
    } else if (shipped) {
        problem("it has no key script: every level a1 to h9 is played to its end");
    }

    if (perfect) {
        proof.perfect = playRun(level, *perfect, "its perfect key script", proof.problems);
        if (proof.perfect.score != LevelResult::kMaxScore)
            problem(
                formatNarrow("its perfect key script scores %d, not %d", proof.perfect.score, LevelResult::kMaxScore));
        if (perfect->expectedScore && !perfect->expectedScore->contains(proof.perfect.score))
            problem(formatNarrow("its perfect key script scores %d, outside the expected %d to %d", proof.perfect.score,
                                 perfect->expectedScore->low, perfect->expectedScore->high));
        const double low = kParLow * proof.perfect.time, high = kParHigh * proof.perfect.time;
        if (!(proof.parTime >= low && proof.parTime <= high))
            problem(
                formatNarrow("its par time %.2f s is not within %.1f to %.1f times its perfect run's %.2f s "
                             "(%.2f to %.2f s)",
                             proof.parTime, kParLow, kParHigh, proof.perfect.time, low, high));
    } else if (shipped) {
        problem("it has no perfect key script: every level a1 to h9 is played to a score of 1000");
    }
    return proof;
}

int checkLevels(const std::vector<std::string>& descriptions, FILE* out, FILE* err) {
    namespace fs = std::filesystem;
    int problems = 0;
    for (const std::string& path : descriptions) {
        BuiltLevel level;
        std::string text, error;
        // A description or a script that cannot be read is a problem of its
        // level, which is not checked further; the others still are.
        auto unread = [&](const std::string& why) {
            if (!why.empty()) std::fprintf(err, "%s\n", why.c_str());
            ++problems;
        };
        {
            LevelEnvironment environment;
            if (int why = 0; !readTextFile(path, text, why)) {
                unread(unreadableFile(path, why));
                continue;
            }
            if (!buildLevel(text, path, level, error)) {
                unread(error);
                continue;
            }
        }
        // The key scripts beside the description, those there are.
        std::optional<KeyScript> scripts[2];
        std::string files[2];
        const char* const kExtensions[2] = {".keys", ".perfect.keys"};
        bool read = true;
        for (int i = 0; i < 2 && read; ++i) {
            files[i] = fs::path(path).replace_extension(kExtensions[i]).string();
            if (int why = 0; !readTextFile(files[i], text, why)) {
                if (why == ENOENT) continue;
                unread(unreadableFile(files[i], why));
                read = false;
            } else if (!scripts[i].emplace().parse(text, files[i], error)) {
                unread(error);
                read = false;
            }
        }
        if (!read) continue;
        const std::string shown = printable(level.name);
        const LevelProof proof =
            proveLevel(level, scripts[0] ? &*scripts[0] : nullptr, scripts[1] ? &*scripts[1] : nullptr);
        if (proof.played)
            std::fprintf(out, "%s: hash %08x, %d frames, state %d, outcome %d, score %d\n", shown.c_str(), proof.hash,
                         proof.frames, proof.state, proof.outcome, proof.score);
        else std::fprintf(out, "%s: not played (no %s)\n", shown.c_str(), printable(files[0]).c_str());
        const LevelRun& p = proof.perfect;
        if (p.played)
            std::fprintf(out, "%s perfect: hash %08x, %d frames, state %d, outcome %d, score %d, %.2f s (par %g s)\n",
                         shown.c_str(), p.hash, p.frames, p.state, p.outcome, p.score, p.time, proof.parTime);
        else std::fprintf(out, "%s perfect: not played (no %s)\n", shown.c_str(), printable(files[1]).c_str());
        for (const std::string& problem : proof.problems) std::fprintf(out, "%s\n", problem.c_str());
        problems += static_cast<int>(proof.problems.size());
    }
    std::fflush(out);
    if (problems) std::fprintf(err, "levelbuild: %d problem%s\n", problems, problems == 1 ? "" : "s");
    return problems ? 1 : 0;
}

}  // namespace levelbuild
