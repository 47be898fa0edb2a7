#include "LevelBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "LevelCheck.h"
#include "LevelMinimap.h"
#include "editor/EditorPropertyPanel.h"
#include "engine/FocusManager.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/LevelDraft.h"
#include "gfx/Quad.h"
#include "lang/Language.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "objects/areas/Area.h"
#include "objects/hints/TriggerHint.h"
#include "objects/paths/Sweet.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/triggers/House.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/Hull.h"
#include "world/Terrain.h"

namespace levelbuild {

namespace {

// The largest magnitude a level file's 16-bit floats hold.
constexpr double kFloat16Max = 65504.0;

// A terrain band that spans the terrain's two rows with its texture
// repeating down the depth, level with the height, instead of stretched
// over it.
constexpr int32_t kDeepEarthFlags = TerrainSkinSource::FLIP | TerrainSkinSource::UPRIGHT |
                                    TerrainSkinSource::SCALE_FAR_V | TerrainSkinSource::SPAN_ROWS;
static_assert(kDeepEarthFlags == 389);

std::string narrow(std::u16string_view text) { return wideToNarrow(text); }

std::string named(std::u16string_view text) { return "'" + narrow(text) + "'"; }

// The last child of `p` with the name: a class that declares a property
// again (its own construct call) overrides its base's.
Property* lastChildNamed(const Property* p, std::u16string_view name) {
    Property* found = nullptr;
    for (ZubBase* c = p->firstChild; c; c = c->nextSibling)
        if (Property* child = zub_cast<Property>(c); child && child->getName() == name) found = child;
    return found;
}

// A property by dotted path below the root.
Property* findPath(const Property* root, std::u16string_view path) {
    const Property* at = root;
    Property* found = nullptr;
    while (!path.empty()) {
        const size_t dot = path.find(u'.');
        found = lastChildNamed(at, path.substr(0, dot));
        if (!found) return nullptr;
        at = found;
        path = dot == std::u16string_view::npos ? std::u16string_view() : path.substr(dot + 1);
    }
    return found;
}

std::vector<Property*> childProperties(const Property* p) {
    std::vector<Property*> out;
    for (ZubBase* c = p->firstChild; c; c = c->nextSibling)
        if (Property* child = zub_cast<Property>(c)) out.push_back(child);
    return out;
}

// Properties whose texts are string-identifier names.
struct StringIdProperty {
    const RuntimeClass* cls;
    const char16_t* name;
};
const StringIdProperty kStringIdProperties[] = {{&TriggerHint::classRecord, u"hintTitleID"},
                                                {&TriggerHint::classRecord, u"hintTextID"}};

bool isStringIdProperty(const ZubBase* o, std::u16string_view name) {
    for (const StringIdProperty& s : kStringIdProperties)
        if (o->getClass()->isDerivedFrom(s.cls) && name == s.name) return true;
    return false;
}

// Whole numbers that mean something only within a range: in play the
// class takes one outside it as the nearest end, so a description that
// gives one has made a mistake.
struct RangedProperty {
    const RuntimeClass* cls;
    const char16_t* name;
    int64_t low, high;
};
const RangedProperty kRangedProperties[] = {
    {&GameController::classRecord, u"applesNeeded", 0, INT32_MAX},
    {&Sweet::classRecord, u"type", 0, Sweet::TYPE_COUNT - 1},
};

const RangedProperty* rangeOf(const ZubBase* o, std::u16string_view name) {
    for (const RangedProperty& r : kRangedProperties)
        if (o->getClass()->isDerivedFrom(r.cls) && name == r.name) return &r;
    return nullptr;
}

// The object's scale, rotation and position set again as the editor sets
// them, so that what depends on them follows the values its lines gave.
void placeAgain(EditorObject* o) {
    o->setScale(o->scale.x, o->scale.y, o->scale.z);
    o->setRotation(o->rotation.x, o->rotation.y, o->rotation.z);
    o->setPosition(o->position);
}

// The class a description names: a placed object's C++ class name.
const RuntimeClass* classNamed(std::u16string_view name) {
    const std::string n = narrow(name);
    for (const RuntimeClass* c : RuntimeClassManager::getInstance().allRecords())
        if (c->getTypeName() && n == c->getTypeName()) return c;
    return nullptr;
}

}  // namespace

LevelBuilder::LevelBuilder(LevelDraft& d, const LevelDescription& desc) : draft(d), description(desc) {
    GameController& gc = draft.controller();
    labels[u"hero"] = gc.getHero();
    labels[u"house"] = gc.findHouse();
    if (gc.appleList && gc.appleList->firstChild) labels[u"apple"] = gc.appleList->firstChild;
    // The starter objects of the object list: the grassy object, the
    // terrain and its bands, known by their skins.
    ResourceManager* rm = ResourceManager::active();
    for (A99Object* o : childrenOf<A99Object>(gc.objectList)) {
        if (o->getClass() == &A99Object::classRecord && !find(u"grassPatch")) {
            labels[u"grassPatch"] = o;
        } else if (zub_cast<Terrain>(o) && !find(u"terrain")) {
            labels[u"terrain"] = o;
        } else if (auto* deco = zub_cast<TerrainDeco>(o); deco && rm) {
            const RuntimeClass* type = nullptr;
            Skin** skin = deco->getSkinProperty(&type);
            const WString name = skin ? rm->getResourceName(*skin) : WString();
            if (name == u"deco-grass:0") labels.emplace(u"grassFringe", o);
            else if (name == u"terrain-grassy:0") labels.emplace(u"grassBand", o);
            else if (name == u"ground-grass:0") labels.emplace(u"earthBand", o);
        }
    }
}

ZubBase* LevelBuilder::find(std::u16string_view label) const {
    auto it = labels.find(label);
    return it == labels.end() ? nullptr : it->second;
}

int LevelBuilder::lineOf(const ZubBase* o) const {
    auto it = placedAt.find(o);
    return it == placedAt.end() ? 0 : it->second;
}

bool LevelBuilder::fail(int line, const std::string& message) {
    errorText = describeError(description.file, line, message);
    return false;
}

bool LevelBuilder::label(const WString& name, ZubBase* o, int line) {
    if (find(name)) return fail(line, "the label " + named(name) + " is taken");
    labels[name] = o;
    return true;
}

bool LevelBuilder::build(std::string& error) {
    for (const DescriptionBlock& block : description.blocks) {
        const WString& kind = block.header.words[0];
        bool ok;
        if (kind == u"level") ok = levelBlock(block);
        else if (kind == u"terrain") ok = terrainBlock(block);
        else if (kind == u"edit") ok = editBlock(block);
        else if (kind == u"new") ok = newBlock(block);
        else ok = fail(block.header.number, "unknown block " + named(kind) + " (level, terrain, edit or new)");
        if (!ok) {
            error = errorText;
            return false;
        }
    }
    if (deepGround) dressDeepGround();
    // The level's name, as the editor keeps it.
    if (EditorPropertyPanel* panel = draft.controller().editor)
        panel->levelName = narrowToWide(std::filesystem::path(description.file).stem().string());
    return true;
}

bool LevelBuilder::levelBlock(const DescriptionBlock& block) {
    if (block.header.words.size() != 1) return fail(block.header.number, "'level' takes no words after it");
    GameController& gc = draft.controller();
    PropertyContainer props(u"", 0);
    gc.addPropertiesTo(&props);
    for (const DescriptionLine& line : block.lines) {
        // The controller's objects (its lists, its contexts, the editor's
        // panel) are those it made itself: the game finds the level's
        // objects through them.
        const Property* p = findPath(&props, line.words[0]);
        const bool object =
            (zub_cast<PropertyPointer>(p) && !(p->flags & PROP_RESOURCE)) || zub_cast<PropertyReferenceBase>(p);
        if (object) {
            const std::string what = named(line.words[0]) + " is one of the level's own objects";
            return fail(line.number, what + ": a description does not set it");
        }
        if (!apply(&gc, line)) return false;
    }
    return true;
}

bool LevelBuilder::terrainBlock(const DescriptionBlock& block) {
    const DescriptionLine& h = block.header;
    if (h.words.size() > 2) return fail(h.number, "'terrain' takes at most a label");
    const WString name = h.words.size() == 2 ? h.words[1] : WString(u"terrain");
    Terrain* terrain = zub_cast<Terrain>(find(name));
    if (!terrain) return fail(h.number, named(name) + " names no terrain");

    std::vector<std::pair<double, double>> ground;
    double depth = -1.0;
    int groundLine = h.number;
    for (const DescriptionLine& line : block.lines) {
        const WString& key = line.words[0];
        std::vector<double> v;
        for (size_t i = 1; i < line.words.size(); ++i) {
            double d;
            if (!property_text::parseDouble(line.words[i], d))
                return fail(line.number, named(line.words[i]) + " is not a number");
            v.push_back(d);
        }
        if (key == u"ground") {
            if (v.empty() || v.size() % 2) return fail(line.number, "'ground' takes pairs of x and height");
            for (size_t i = 0; i < v.size(); i += 2) {
                if (!ground.empty() && v[i] <= ground.back().first)
                    return fail(line.number, "the x of the ground's points must rise");
                ground.emplace_back(v[i], v[i + 1]);
            }
            groundLine = line.number;
        } else if (key == u"depth") {
            if (v.size() != 1 || v[0] < 0.0) return fail(line.number, "'depth' takes one number, 0 or more");
            depth = v[0];
        } else {
            return fail(line.number, "unknown terrain line " + named(key) + " (ground or depth)");
        }
    }
    if (ground.empty() && depth < 0.0) return true;
    // Each point of the strip takes the height of the ground line above it
    // (or keeps its own), and its bottom lies `depth` below.
    for (int i = 0; i < terrain->pointCount(); ++i) {
        double top = terrain->heights[0][static_cast<size_t>(i)];
        if (!ground.empty()) {
            V3 local;
            terrain->getHeightPoint(&local, 0, i);
            const double x = local.x + terrain->position.x;
            auto after = std::upper_bound(ground.begin(), ground.end(), x,
                                          [](double value, const auto& point) { return value < point.first; });
            if (after == ground.begin()) {
                top = ground.front().second;
            } else if (after == ground.end()) {
                top = ground.back().second;
            } else {
                const auto& a = *(after - 1);
                const auto& b = *after;
                top = a.second + (b.second - a.second) * (x - a.first) / (b.first - a.first);
            }
            top -= terrain->position.y;
        }
        const double bottom = depth >= 0.0 ? top - depth : 0.0;
        if (std::fabs(top) > kFloat16Max || std::fabs(bottom) > kFloat16Max)
            return fail(groundLine, "the ground lies beyond what a level file holds");
        terrain->setHeights(i, static_cast<float>(top), depth >= 0.0 ? static_cast<float>(bottom) : Terrain::kKeep);
    }
    terrain->onEdited();
    if (depth >= 0.0 && terrain == find(u"terrain")) deepGround = true;
    return true;
}

void LevelBuilder::dressDeepGround() {
    // The starter's band stretches the grassy face from the surface to the
    // bottom row: over a deep ground its edge becomes a row of huge teeth.
    // Earth that repeats with the depth instead (as a description writes
    // "pSkinRefQuad ground-dirt:0" and "skinFlags 389" for it).
    auto* band = zub_cast<TerrainDeco>(find(u"grassBand"));
    if (!band || bandDressed) return;
    ResourceManager* rm = ResourceManager::active();
    auto* earth = rm ? zub_cast<Quad>(rm->find(u"ground-dirt:0", false)) : nullptr;
    if (!earth) return;
    band->pSkinRefQuad = earth;
    band->skinFlags = kDeepEarthFlags;
    placeAgain(band);
}

bool LevelBuilder::editBlock(const DescriptionBlock& block) {
    const DescriptionLine& h = block.header;
    if (h.words.size() != 2) return fail(h.number, "'edit' takes the label of an object");
    ZubBase* o = find(h.words[1]);
    if (!o) return fail(h.number, named(h.words[1]) + " names no object");
    int faultLine = 0;
    bool moved = !placedAt.count(o);
    for (const DescriptionLine& line : block.lines) {
        if (line.words[0] == u"list") return fail(line.number, "an object that exists keeps its list");
        if (!apply(o, line)) return false;
        if (o == find(u"grassBand") && (line.words[0] == u"pSkinRefQuad" || line.words[0] == u"skinFlags"))
            bandDressed = true;
        moved = moved || line.words[0] == u"position" || line.words[0].starts_with(u"position.");
        noteValues(o, line.number, faultLine);
    }
    if (moved) placedAt[o] = h.number;
    if (!checkValues(o, faultLine, h.number)) return false;
    if (auto* placed = zub_cast<EditorObject>(o)) placeAgain(placed);
    return true;
}

bool LevelBuilder::newBlock(const DescriptionBlock& block) {
    const DescriptionLine& h = block.header;
    if (h.words.size() < 2 || h.words.size() > 3) return fail(h.number, "'new' takes a class and an optional label");
    const RuntimeClass* cls = classNamed(h.words[1]);
    if (!cls) return fail(h.number, "unknown class " + named(h.words[1]));
    if (!EditorObject::isPlaceableClass(cls))
        return fail(h.number, named(h.words[1]) + " is not an object that can be placed in a level");
    // Every level has its hero and her house from the start, and one of each.
    if (cls->isDerivedFrom(&Pig::classRecord))
        return fail(h.number, "the level has its hero already: 'edit hero' places her");
    if (cls->isDerivedFrom(&House::classRecord))
        return fail(h.number, "the level has its house already: 'edit house' places it");
    auto* o = static_cast<EditorObject*>(cls->create());
    draft.server().registerObject(o, 0);
    placedAt[o] = h.number;
    if (h.words.size() == 3 && !label(h.words[2], o, h.number)) return false;

    // The list first, then where it stands, then its construct call (with
    // the arguments given), then everything else in the order written.
    GameController& gc = draft.controller();
    const DescriptionLine* construct = nullptr;
    std::vector<const DescriptionLine*> rest;
    int faultLine = 0;
    for (const DescriptionLine& line : block.lines) {
        const WString& key = line.words[0];
        if (key == u"list") {
            if (line.words.size() != 2) return fail(line.number, "'list' takes the name of one list");
            PropertyContainer props(u"", 0);
            gc.addPropertiesTo(&props);
            auto* pointer = zub_cast<PropertyPointer>(lastChildNamed(&props, line.words[1]));
            const bool isList = pointer && line.words[1].size() > 4 &&
                                line.words[1].compare(line.words[1].size() - 4, 4, u"List") == 0 && pointer->get();
            if (!isList) return fail(line.number, named(line.words[1]) + " is not a list of the level");
            if (o->parent) return fail(line.number, "the object is in a list already");
            pointer->get()->netAddChild(o);
        } else if (key == u"construct") {
            construct = &line;
        } else if (key == u"position") {
            if (!apply(o, line)) return false;
            noteValues(o, line.number, faultLine);
        } else {
            rest.push_back(&line);
        }
    }
    o->setPosition(o->position);
    // Built by its class's own construct call; one that takes arguments
    // needs them written out.
    if (construct) {
        if (!apply(o, *construct)) return false;
        noteValues(o, construct->number, faultLine);
    } else {
        PropertyContainer props(u"", 0);
        o->addPropertiesTo(&props);
        auto* action = zub_cast<PropertyRPCBase>(lastChildNamed(&props, u"construct"));
        const size_t args = action ? childProperties(action).size() : 0;
        if (args > 0)
            return fail(h.number, std::string(cls->getTypeName()) + " needs a 'construct' line with its " +
                                      std::to_string(args) + " arguments");
        if (action) action->getRPC()->call();
        else o->construct();
    }
    if (auto* path = zub_cast<BezierPath>(o)) madeVertices[path] = path->vertexCount();
    for (const DescriptionLine* line : rest) {
        if (!apply(o, *line)) return false;
        noteValues(o, line->number, faultLine);
    }
    // Values its class would assert against in its set-up stop here, with
    // the line that made them.
    if (!checkValues(o, faultLine, h.number)) return false;
    o->netCallPostReplicate();
    // Placed again now that its set-up has run (an apple's physics point
    // takes its offset only then).
    placeAgain(o);
    // Without a list line the object joins the list it names as its own
    // (apples the apple list, sweets the sweet list ...), else the general one.
    if (!o->parent) {
        ZubBase* list = o->pOwnerList ? o->pOwnerList : gc.objectList;
        if (list) list->netAddChild(o);
    }
    return true;
}

void LevelBuilder::noteValues(const ZubBase* o, int line, int& faultLine) {
    if (o->valueFault().empty()) faultLine = 0;
    else if (faultLine == 0) faultLine = line;
}

bool LevelBuilder::checkValues(const ZubBase* o, int faultLine, int headerLine) {
    const WString fault = o->valueFault();
    if (fault.empty()) return true;
    return fail(faultLine > 0 ? faultLine : headerLine, narrow(fault));
}

bool LevelBuilder::drawOrder(ZubBase* o, const DescriptionLine& line) {
    auto* placed = zub_cast<EditorObject>(o);
    if (!placed) return fail(line.number, "only placed objects have a drawing order");
    if (line.words.size() != 3 || (line.words[1] != u"before" && line.words[1] != u"after"))
        return fail(line.number, "'draw' takes 'before' or 'after' and a label");
    auto* other = zub_cast<EditorObject>(find(line.words[2]));
    if (!other || other == placed) return fail(line.number, named(line.words[2]) + " names no other placed object");
    if (line.words[1] == u"before") placed->placeBefore(other);
    else placed->placeAfter(other);
    return true;
}

bool LevelBuilder::numbers(const DescriptionLine& line, size_t first, std::vector<double>& out) {
    out.clear();
    for (size_t i = first; i < line.words.size(); ++i) {
        double d;
        if (!property_text::parseDouble(line.words[i], d))
            return fail(line.number, named(line.words[i]) + " is not a number");
        if (std::fabs(d) > kFloat16Max)
            return fail(line.number, named(line.words[i]) + " lies beyond what a level file holds");
        out.push_back(d);
    }
    return true;
}

bool LevelBuilder::pathPoint(ZubBase* o, const DescriptionLine& line) {
    auto* path = zub_cast<BezierPath>(o);
    if (!path) return fail(line.number, "only a path has points");
    std::vector<double> v;
    if (!numbers(line, 1, v)) return false;
    if (v.size() != 2) return fail(line.number, "'point' takes x and y");
    if (path->bLooping) return fail(line.number, "the path is closed already");
    path->addPoint(static_cast<float>(v[0]), static_cast<float>(v[1]), 0.0f);
    return true;
}

bool LevelBuilder::pathVertex(ZubBase* o, const DescriptionLine& line) {
    auto* path = zub_cast<BezierPath>(o);
    if (!path) return fail(line.number, "only a path has vertices");
    if (line.words.size() != 4) return fail(line.number, "'vertex' takes the vertex's number, x and y");
    // Only those its construct call made: the others are its 'point' lines.
    const auto made = madeVertices.find(path);
    const int count = made == madeVertices.end() ? 0 : made->second;
    int64_t index;
    if (!property_text::parseInt(line.words[1], index) || index < 0 || index >= count)
        return fail(line.number, named(line.words[1]) + " numbers none of the " + std::to_string(count) +
                                     " vertices its construct call made (from 0)");
    std::vector<double> v;
    if (!numbers(line, 2, v)) return false;
    path->vertexAt(static_cast<int>(index))->vertex = V3(static_cast<float>(v[0]), static_cast<float>(v[1]), 0.0f);
    // Every tangent then points a quarter of the way back to the vertex
    // before (the first one's a quarter of the way on to the next), as
    // adding the vertices one by one makes them.
    BezierVertex* previous = nullptr;
    for (BezierVertex* vertex : childrenOf<BezierVertex>(path->vertices)) {
        if (previous) {
            vertex->tangent = (vertex->vertex - previous->vertex) * 0.25f;
            if (previous == path->vertices.firstChild) previous->tangent = vertex->tangent;
        }
        previous = vertex;
    }
    for (BezierVertex* vertex : childrenOf<BezierVertex>(path->vertices)) vertex->notifyReferrers();
    FocusManager::sendEvent(EVENT_CHANGED, path, path);
    return true;
}

bool LevelBuilder::pathLoop(ZubBase* o, const DescriptionLine& line) {
    auto* path = zub_cast<BezierPath>(o);
    if (!path) return fail(line.number, "only a path can be closed");
    if (line.words.size() != 1) return fail(line.number, "'loop' takes no words after it");
    if (path->bLooping || path->vertexCount() < 2)
        return fail(line.number, "only an open path of two points or more can be closed");
    path->closeLoop();
    return true;
}

bool LevelBuilder::hullChain(ZubBase* o, const DescriptionLine& line) {
    auto* placed = zub_cast<A99Object>(o);
    if (!placed || zub_cast<Terrain>(o))
        return fail(line.number, "only a placed object other than the terrain takes a hull");
    const bool closed = line.words.size() > 1 && line.words[1] == u"closed";
    std::vector<double> v;
    if (!numbers(line, closed ? 2 : 1, v)) return false;
    if (v.size() < 4 || v.size() % 2) return fail(line.number, "'hull' takes two points or more, each x and y");
    placed->local_createHull();
    Hull* hull = placed->getHull();
    if (closed && hull->vertexCount() > 0) return fail(line.number, "only the first chain of a hull can be closed");
    for (size_t i = 0; i < v.size(); i += 2)
        hull->addHullPoint(static_cast<float>(v[i]), static_cast<float>(v[i + 1]), 0.0f, i > 0);
    if (closed) hull->closeLoop();
    return true;
}

bool LevelBuilder::areaOutline(ZubBase* o, const DescriptionLine& line) {
    auto* area = zub_cast<Area>(o);
    if (!area) return fail(line.number, "only an area has an outline");
    if (line.words.size() != 1) return fail(line.number, "'outline' takes no words after it");
    if (area->getHull()) return fail(line.number, "the area has its outline already");
    // Its shape's skin first (a rectangle's or a circle's), then the edges
    // along it.
    area->onEdited();
    area->local_createOutline();
    return true;
}

bool LevelBuilder::apply(ZubBase* o, const DescriptionLine& line) {
    const WString& key = line.words[0];
    if (key == u"draw") return drawOrder(o, line);
    if (key == u"point") return pathPoint(o, line);
    if (key == u"vertex") return pathVertex(o, line);
    if (key == u"loop") return pathLoop(o, line);
    if (key == u"hull") return hullChain(o, line);
    if (key == u"outline") return areaOutline(o, line);
    if (key.size() > 5 && key.compare(0, 5, u"hull.") == 0) {
        // A property of the object's collision outline.
        auto* placed = zub_cast<A99Object>(o);
        Hull* hull = placed ? placed->getHull() : nullptr;
        if (!hull) return fail(line.number, named(key) + " needs a hull: give the object its 'hull' line first");
        return property(hull, std::u16string_view(key).substr(5), line);
    }
    return property(o, key, line);
}

bool LevelBuilder::property(ZubBase* o, std::u16string_view path, const DescriptionLine& line) {
    // Errors name the property as the line does.
    const WString& key = line.words[0];
    PropertyContainer props(u"", 0);
    o->addPropertiesTo(&props);
    Property* p = findPath(&props, path);
    if (!p || p->getName().empty())
        return fail(line.number, "unknown property " + named(key) + " of " + o->getClass()->getTypeName());
    const std::vector<WString> values(line.words.begin() + 1, line.words.end());
    if (auto* action = zub_cast<PropertyRPCBase>(p)) {
        // An action: the words are its call's arguments; then it is called.
        const std::vector<Property*> args = childProperties(action);
        if (values.size() != args.size())
            return fail(line.number, named(key) + " takes " + std::to_string(args.size()) + " arguments, not " +
                                         std::to_string(values.size()));
        for (size_t i = 0; i < args.size(); ++i) {
            const WString what = key + u" argument " + narrowToWide(std::to_string(i + 1));
            // A call is made with what it is given: no object is no argument.
            if (values[i] == u"null" &&
                (zub_cast<PropertyPointer>(args[i]) || zub_cast<PropertyReferenceBase>(args[i])))
                return fail(line.number, named(what) + " needs an object");
            if (!assignOne(args[i], values[i], what, line.number)) return false;
        }
        // Arguments the call would assert against are refused before it runs.
        if (const WString fault = action->getRPC()->argumentFault(); !fault.empty())
            return fail(line.number, named(key) + ": " + narrow(fault));
        action->getRPC()->call();
        return true;
    }
    if (isStringIdProperty(o, path)) {
        if (values.size() != 1) return fail(line.number, named(key) + " takes one string identifier");
        if (!values[0].empty() && !gameLanguage().hasString(values[0]))
            return fail(line.number, named(values[0]) + " is not a string identifier");
    }
    if (const RangedProperty* range = rangeOf(o, path); range && values.size() == 1) {
        int64_t v;
        if (property_text::parseInt(values[0], v) && (v < range->low || v > range->high))
            return fail(line.number, named(values[0]) + " is no value for " + named(key) + " (a whole number from " +
                                         std::to_string(range->low) + " to " + std::to_string(range->high) + ")");
    }
    return assign(p, values, key, line.number);
}

bool LevelBuilder::assign(Property* p, const std::vector<WString>& values, const WString& what, int line) {
    if (zub_cast<PropertyContainer>(p) && !zub_cast<PropertyClass>(p)) {
        const std::vector<Property*> members = childProperties(p);
        if (values.size() != members.size())
            return fail(line, named(what) + " takes " + std::to_string(members.size()) + " values, not " +
                                  std::to_string(values.size()));
        for (size_t i = 0; i < members.size(); ++i)
            if (!assignOne(members[i], values[i], what + u"." + WString(members[i]->getName()), line)) return false;
        return true;
    }
    if (values.size() != 1) return fail(line, named(what) + " takes one value, not " + std::to_string(values.size()));
    return assignOne(p, values[0], what, line);
}

bool LevelBuilder::assignOne(Property* p, const WString& value, const WString& what, int line) {
    auto bad = [&](const std::string& expected) {
        return fail(line, named(value) + " is no value for " + named(what) + " (" + expected + ")");
    };
    // A description names objects by their labels; resources and values are
    // read as the engine reads every property's text.
    if (auto* ptr = zub_cast<PropertyPointer>(p); ptr && !(ptr->flags & PROP_RESOURCE)) {
        ZubBase* target = value == u"null" ? nullptr : find(value);
        if (value != u"null" && !target) return bad("the label of an object");
        if (!ptr->setObject(target))
            return fail(line, named(what) + " takes a " + narrow(ptr->required->getName()) + ", not " + named(value));
        return true;
    }
    if (auto* ref = zub_cast<PropertyReferenceBase>(p)) {
        ZubBase* target = value == u"null" ? nullptr : find(value);
        if (value != u"null" && !target) return bad("the label of an object");
        if (!ref->setObject(target)) return fail(line, named(what) + " cannot refer to " + named(value));
        return true;
    }
    if (!p->hasTextForm()) return fail(line, named(what) + " cannot be set in a description");
    WString why;
    if (!p->readText(value, &why)) return bad(narrow(why));
    return true;
}

bool buildLevelFile(std::string_view text, const std::string& fileName, std::vector<uint8_t>& out, std::string& error) {
    BuiltLevel level;
    if (!buildLevel(text, fileName, level, error)) return false;
    out = std::move(level.bytes);
    return true;
}

bool buildLevel(std::string_view text, const std::string& fileName, BuiltLevel& out, std::string& error) {
    LevelDescription description;
    if (!parseDescription(text, fileName, description, error)) return false;
    LevelDraft draft;
    LevelBuilder builder(draft, description);
    if (!builder.build(error)) return false;
    out.name = std::filesystem::path(fileName).stem().string();
    out.number = std::max(0, levelNumberOf(out.name));
    out.labels.clear();
    for (const auto& [label, o] : builder.allLabels()) out.labels.emplace(label, o->objectUID);
    out.problems = checkDraft(draft, builder, out.name);
    out.minimap.clear();
    if (levelNumberOf(out.name) >= 0 && hasMinimap(out.number))
        out.minimap = drawMinimap(draft.controller()).encodeTga();
    out.bytes = draft.write();
    return true;
}

int levelNumberOf(std::string_view name) {
    static constexpr std::string_view kDigits = "1239";
    if (name.size() != 2 || name[0] < 'a' || name[0] > 'h') return -1;
    const size_t digit = kDigits.find(name[1]);
    if (digit == std::string_view::npos) return -1;
    return (name[0] - 'a') * 4 + static_cast<int>(digit);
}

std::string levelNameOf(int number) {
    if (number < 0 || number > 31) return std::string();
    return {static_cast<char>('a' + number / 4), "1239"[number % 4]};
}

}  // namespace levelbuild
