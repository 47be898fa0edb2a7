// A prototype in the class list that the designer built with its own
// construct row (F1, the class's row, its "construct" row, Ctrl+X) and then
// placed (Ctrl+X on another of its rows) is built once, not a second time
// by the placing: it is what a placed object built once is, for every
// placeable class.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "flow/GameServer.h"
#include "object/Property.h"
#include "objects/scenery/Fence.h"
#include "util/KeyCodes.h"
#include "util/Random.h"
#include "world/BezierVertex.h"
#include "world/EditorObject.h"
#include "world/Terrain.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

const V3 kPlace(-200.0f, 250.0f, 0.0f);

std::vector<EditorPropertyWidget*> rowsIn(const ZubBase* row) {
    std::vector<EditorPropertyWidget*> out;
    for (ZubBase* c : childrenOf(row))
        if (auto* w = dynamic_cast<EditorPropertyWidget*>(c); w && !w->bToBeDestroyed) out.push_back(w);
    return out;
}

// The class's own construct row among a row's children (the one the editor
// shows on a placed object), else the base's, which the class list shows
// as well; null when there is none.
EditorPropertyWidget* constructRowIn(const ZubBase* row) {
    EditorPropertyWidget* found = nullptr;
    for (EditorPropertyWidget* w : rowsIn(row))
        if (w->property && w->property->getName() == u"construct" &&
            (!found || !(w->property->flags & PROP_EDITOR_HIDDEN)))
            found = w;
    return found;
}

// What the designer types into the construct row's argument rows: the
// level's terrain, a picture, the counts the level files use.
WString argumentText(EditorHarness& h, const Property* argument, int index, int count) {
    if (auto* pointer = zub_cast<PropertyPointer>(argument)) {
        if (pointer->flags & PROP_RESOURCE) return u"terrain-deco-roots:0";
        for (int32_t uid : h.server().objectMap.ascending())
            if (ZubBase* o = h.server().findObjectOrNull(uid); o && o->getClass() == &Terrain::classRecord)
                return formatString(u"%s %d", o->getClass()->getName(), o->objectUID);
        return u"null";
    }
    // Points and spacing, or points and shape.
    if (count == 2) return index == 0 ? u"12" : u"16";
    return index == 2 ? u"11" : u"1";
}

// Fills the construct row's arguments, then Ctrl+X on it (the random
// numbers the call draws start from `seed`). The row goes by its own
// property: a row rebuilt meanwhile is found again.
void runConstructRow(EditorHarness& h, const ZubBase* parent, uint32_t seed) {
    EditorPropertyWidget* row = constructRowIn(parent);
    ASSERT_NE(row, nullptr);
    const Property* call = row->property;
    const std::vector<EditorPropertyWidget*> arguments = rowsIn(row);
    for (size_t i = 0; i < arguments.size(); ++i) {
        h.clickAt(EditorHarness::centreOf(arguments[i]));
        WString text = argumentText(h, arguments[i]->property, static_cast<int>(i), static_cast<int>(arguments.size()));
        text += u'\r';
        h.type(text);
    }
    row = constructRowIn(parent);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->property, call);
    h.clickAt(EditorHarness::centreOf(row));
    h.pointAt(kPlace);
    randomState = seed;
    h.chord(KEY_X);
}

// The newest live object of the class registered after `after`.
EditorObject* newestOf(EditorHarness& h, const RuntimeClass* cls, int32_t after) {
    EditorObject* found = nullptr;
    for (int32_t uid : h.server().objectMap.ascending())
        if (ZubBase* o = h.server().findObjectOrNull(uid);
            uid > after && o && o->getClass() == cls && !o->bToBeDestroyed)
            found = static_cast<EditorObject*>(o);
    return found;
}

// The values an object shows in the editor's rows, and those of what it
// holds: the objects its references name (by class, not by number) and the
// children of its sub-objects, each object once.
void describe(ZubBase* o, const std::string& path, std::set<ZubBase*>& seen, std::vector<std::string>& out);

void describeProperties(const Property* container, const std::string& path, std::set<ZubBase*>& seen,
                        std::vector<std::string>& out) {
    for (const Property* p : childrenOf<Property>(container)) {
        const std::string here = path + "." + wideToNarrow(WString(p->getName()));
        // Its number and how long it has been in its state are the
        // object's own, however it was made.
        if (p->getName() == u"objectUID" || p->getName() == u"timeInState" || zub_cast<PropertyRPCBase>(p)) continue;
        ZubBase* named = nullptr;
        if (auto* pointer = zub_cast<PropertyPointer>(p); pointer && !(pointer->flags & PROP_RESOURCE))
            named = pointer->get();
        else if (auto* reference = zub_cast<PropertyReferenceBase>(p)) named = reference->field->get();
        if (named || zub_cast<PropertyReferenceBase>(p) ||
            (zub_cast<PropertyPointer>(p) && !(p->flags & PROP_RESOURCE))) {
            out.push_back(here + " -> " + (named ? wideToNarrow(WString(named->getClass()->getName())) : "null"));
            if (named) describe(named, here, seen, out);
        } else if (const PropertySubObject* sub = zub_cast<PropertySubObject>(p)) {
            out.push_back(here + " = " + wideToNarrow(sub->toString()));
            if (sub->object) describe(sub->object, here, seen, out);
        } else if (p->firstChild) {
            describeProperties(p, here, seen, out);
        } else {
            out.push_back(here + " = " + wideToNarrow(p->toString()));
        }
    }
}

void describe(ZubBase* o, const std::string& path, std::set<ZubBase*>& seen, std::vector<std::string>& out) {
    if (!seen.insert(o).second) return;
    PropertyContainer* c = o->createPropertyContainer();
    describeProperties(c, path, seen, out);
    deleteObject(c);
    int i = 0;
    for (ZubBase* child : childrenOf(o)) {
        const std::string here = path + "/" + std::to_string(i++);
        out.push_back(here + " : " + wideToNarrow(WString(child->getClass()->getName())));
        describe(child, here, seen, out);
    }
}

std::vector<std::string> describe(ZubBase* o) {
    std::set<ZubBase*> seen;
    std::vector<std::string> out;
    describe(o, "", seen, out);
    return out;
}

// The lines in which two descriptions differ (empty when they are alike).
std::vector<std::string> differences(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> out;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
        if (x != y) out.push_back(x + "  vs  " + y);
    }
    return out;
}

}  // namespace

TEST(EditorConstruct, APrototypeBuiltWithItsConstructRowIsPlacedAsItWasBuilt) {
    EditorHarness h;
    h.edit(h.houseLevel());
    const std::vector<const RuntimeClass*> classes = EditorObject::placeableClasses();
    ASSERT_GE(classes.size(), 50u);
    int ownRows = 0;
    for (const RuntimeClass* cls : classes) {
        SCOPED_TRACE(cls->getTypeName());
        const uint32_t seed = 12345u;

        // Built in the class list with its construct row, then placed.
        h.key(KEY_F1);
        EditorPropertyWidget* entry = h.classRow(cls);
        ASSERT_NE(entry, nullptr);
        h.clickAt(EditorHarness::centreOf(entry));
        EditorPropertyWidget* call = constructRowIn(entry);
        ASSERT_NE(call, nullptr);
        const bool ownRow = !(call->property->flags & PROP_EDITOR_HIDDEN);
        const bool takesArguments = ownRow && !rowsIn(call).empty();
        ownRows += ownRow ? 1 : 0;
        int32_t before = h.server().objectMap.ascending().back();
        runConstructRow(h, entry, seed);
        // The base's row places the prototype as well; the class's own row
        // leaves that to another row.
        EditorObject* built = newestOf(h, cls, before);
        if (!built) {
            EditorPropertyWidget* inside = nullptr;
            for (EditorPropertyWidget* w : rowsIn(entry))
                if (w->property->getName() == u"StateBase") inside = w;
            ASSERT_NE(inside, nullptr);
            h.clickAt(EditorHarness::centreOf(inside));
            h.pointAt(kPlace);
            h.chord(KEY_X);
            built = newestOf(h, cls, before);
        }
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(built->position, V3(-200.0f, 250.0f, 0.0f));
        EXPECT_TRUE(built->isConstructed());

        // Placed first, then built once: by the placing, or by its own row
        // where that takes what the placing cannot give (a picture, a size).
        before = h.server().objectMap.ascending().back();
        randomState = seed;
        EditorObject* once = h.place(cls, kPlace);
        ASSERT_NE(once, nullptr);
        if (takesArguments) runConstructRow(h, h.topRow(), seed);
        EXPECT_EQ(differences(describe(built), describe(once)), std::vector<std::string>());
    }
    // The classes with construct rows of their own are among them.
    EXPECT_GE(ownRows, 10);
}

TEST(EditorConstruct, AFenceBuiltInTheClassListHasItsTwoPointsOnceItIsPlaced) {
    // Placed by Ctrl+X on a row of its own (the state row) or on the base's
    // construct row, which asks the prototype to build itself once more on
    // the way: either way it keeps the one path its own row built.
    for (const bool byTheBasesRow : {false, true}) {
        SCOPED_TRACE(byTheBasesRow ? "by the base's construct row" : "by the state row");
        EditorHarness h;
        h.edit(h.houseLevel());
        h.key(KEY_F1);
        EditorPropertyWidget* entry = h.classRow(&Fence::classRecord);
        ASSERT_NE(entry, nullptr);
        h.clickAt(EditorHarness::centreOf(entry));
        runConstructRow(h, entry, randomState);
        EditorPropertyWidget* inside = nullptr;
        for (EditorPropertyWidget* w : rowsIn(entry))
            if (byTheBasesRow ? w->property->getName() == u"construct" && (w->property->flags & PROP_EDITOR_HIDDEN)
                              : w->property->getName() == u"StateBase")
                inside = w;
        ASSERT_NE(inside, nullptr);
        const int32_t before = h.server().objectMap.ascending().back();
        h.clickAt(EditorHarness::centreOf(inside));
        h.pointAt(kPlace);
        h.chord(KEY_X);
        auto* fence = static_cast<Fence*>(newestOf(h, &Fence::classRecord, before));
        ASSERT_NE(fence, nullptr);
        std::vector<V3> points;
        for (const BezierVertex* v : childrenOf<BezierVertex>(fence->vertices)) points.push_back(v->vertex);
        EXPECT_EQ(points, (std::vector<V3>{V3(-128.0f, 0.0f, 0.0f), V3(128.0f, 0.0f, 0.0f)}));
        EXPECT_EQ(fence->segmentCount(), 1);
        EXPECT_FLOAT_EQ(fence->totalLength, 256.0f);

        // Five stakes stand in a row from one end to the other, the middle
        // one in the middle, and a nudge keeps the length.
        fence->stakeCount = 5;
        h.key(KEY_RIGHT);
        EXPECT_FLOAT_EQ(fence->totalLength, 256.0f);
        std::vector<V3> stakes(5);
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(fence->stakeAt(i, &stakes[i], nullptr));
        EXPECT_NEAR(stakes[0].x, -128.0f, 0.5f);
        EXPECT_NEAR(stakes[2].x, 0.0f, 0.5f);
        EXPECT_NEAR(stakes[4].x, 128.0f, 0.5f);
        for (int i = 0; i < 5; ++i) {
            EXPECT_NEAR(stakes[i].y, 0.0f, 0.5f) << i;
            EXPECT_NEAR(stakes[i].x, -stakes[4 - i].x, 0.5f) << i;
            if (i > 0) {
                EXPECT_GT(stakes[i].x, stakes[i - 1].x + 32.0f) << i;
            }
        }
    }
}
