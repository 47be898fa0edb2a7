// The reference of the placeable classes (levelbuild --classes): every class
// of the registry that a description can place, with each property its
// objects declare and its construct call's arguments, each with a meaning;
// the same classes as the editor's, the stress level's and the builder's.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "ClassReference.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "StressLevel.h"
#include "flow/GameServer.h"
#include "object/Property.h"
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "world/EditorObject.h"

namespace {

// The lines of the reference's section of a class (its header to the blank
// line after it); empty when the class has none.
std::string sectionOf(const std::string& text, const std::string& name) {
    size_t at = text.find("\n" + name + "\n");
    if (at == std::string::npos) at = text.find("\n" + name + ", a kind of ");
    if (at == std::string::npos) return std::string();
    const size_t end = text.find("\n\n", at + 1);
    return text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

std::vector<Property*> children(const Property* p) {
    std::vector<Property*> out;
    for (ZubBase* c = p->firstChild; c; c = c->nextSibling)
        if (Property* child = zub_cast<Property>(c)) out.push_back(child);
    return out;
}

}  // namespace

TEST(ClassReference, ListsEveryPlaceableClassWithEveryPropertyAndConstructArgument) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    const std::vector<levelbuild::ClassDoc> docs = levelbuild::documentClasses();
    const std::string text = levelbuild::formatClassReference(docs);
    std::map<std::string, const levelbuild::ClassDoc*> byName;
    for (const levelbuild::ClassDoc& d : docs) byName[d.name] = &d;

    int classes = 0, properties = 0;
    for (const RuntimeClass* cls : RuntimeClassManager::getInstance().allRecords()) {
        // What a 'new' line can make: a placeable class.
        if (!EditorObject::isPlaceableClass(cls)) {
            EXPECT_EQ(byName.count(cls->getTypeName() ? cls->getTypeName() : ""), 0u) << cls->getTypeName();
            continue;
        }
        ++classes;
        const std::string name = cls->getTypeName();
        ASSERT_TRUE(byName.count(name)) << name << " is missing from the reference";
        const std::string section = sectionOf(text, name);
        ASSERT_FALSE(section.empty()) << name;

        std::unique_ptr<ClassObject> made(cls->create());
        PropertyContainer props(u"", 0);
        static_cast<EditorObject*>(made.get())->addPropertiesTo(&props);
        const Property* construct = nullptr;
        for (const Property* p : children(&props)) {
            const std::string property = wideToNarrow(p->getName());
            if (property.empty()) continue;
            // A class's own construct call overrides its base's.
            if (property == "construct") {
                construct = p;
                continue;
            }
            if (zub_cast<PropertyRPCBase>(p)) continue;
            ++properties;
            // Said in the class's own section, or in that of the class whose
            // property it is as that class has it.
            const levelbuild::ClassDoc* doc = byName[name];
            std::string where = section;
            while (std::find(doc->inherited.begin(), doc->inherited.end(), property) != doc->inherited.end()) {
                ASSERT_TRUE(byName.count(doc->base)) << name;
                EXPECT_NE(where.find("and every property of " + doc->base), std::string::npos) << name;
                doc = byName[doc->base];
                where = sectionOf(text, doc->name);
            }
            EXPECT_NE(where.find("\n    " + property + " ("), std::string::npos)
                << property << " of " << name << " is missing from the reference";
            ASSERT_TRUE(p->meaning && *p->meaning) << property << " of " << name << " says nothing of what it does";
        }
        ASSERT_TRUE(construct) << name;
        const std::vector<Property*> args = children(construct);
        if (args.empty()) {
            EXPECT_NE(section.find("construct: none needed"), std::string::npos) << name;
        } else {
            EXPECT_NE(section.find("construct: " + std::to_string(args.size()) + " arguments"), std::string::npos)
                << name;
            for (size_t i = 0; i < args.size(); ++i) {
                ASSERT_TRUE(args[i]->meaning) << name << " construct argument " << i + 1;
                EXPECT_NE(section.find(args[i]->meaning), std::string::npos) << name << " argument " << i + 1;
            }
        }
    }
    // The registry holds the classes the levels place.
    EXPECT_GE(classes, 50);
    EXPECT_GE(properties, 1000);
    const std::string deco = sectionOf(text, "TerrainDeco");
    EXPECT_NE(deco.find("construct: 4 arguments"), std::string::npos) << deco;
    EXPECT_NE(deco.find("    skinFlags (whole number; default 0)\n        the band's shape"), std::string::npos)
        << deco;
    EXPECT_NE(deco.find("and every property of A99Object"), std::string::npos) << deco;
}

TEST(ClassReference, GivesDefaultsAsANewObjectHasThemAndListsTheNamedClassesAlone) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    const std::vector<levelbuild::ClassDoc> docs = levelbuild::documentClasses();
    const std::string sw = levelbuild::formatClassReference(docs, {"Switch"});
    EXPECT_EQ(sw.find("Apple"), std::string::npos);
    EXPECT_EQ(sw.rfind("\nSwitch, a kind of TriggerArea\n", 0), 0u) << sw;
    EXPECT_NE(sw.find("    transitionDelay (number; default 1)\n"), std::string::npos) << sw;
    EXPECT_NE(sw.find("    bOnceOnly (yes or no; default no)\n"), std::string::npos) << sw;
    EXPECT_NE(sw.find("    target1 (label of an A99Object; default none)\n"), std::string::npos) << sw;
    // A default a class changes is listed with the class.
    const std::string apple = levelbuild::formatClassReference(docs, {"Apple"});
    EXPECT_NE(apple.find("    pSkin (a skin, sheet:frame; default apple:1)\n"), std::string::npos) << apple;
}

// One rule says which classes a level places (EditorObject::isPlaceableClass,
// the editor's class list goes by it too): the reference lists those, the
// stress level places every one of them and no other placed object, and a
// description's 'new' line makes no other.
TEST(ClassReference, TheReferenceTheStressLevelAndTheNewLineGoByTheOneRuleOfPlaceableClasses) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    std::set<std::string> placeable;
    for (const RuntimeClass* cls : EditorObject::placeableClasses()) placeable.insert(cls->getTypeName());
    ASSERT_GE(placeable.size(), 50u);
    // The bare base has no look of its own.
    EXPECT_FALSE(EditorObject::isPlaceableClass(&EditorObject::classRecord));
    EXPECT_EQ(placeable.count("EditorObject"), 0u);

    std::set<std::string> documented;
    for (const levelbuild::ClassDoc& d : levelbuild::documentClasses()) documented.insert(d.name);
    EXPECT_EQ(documented, placeable);

    levelbuild::BuiltLevel stress;
    std::string error;
    ASSERT_TRUE(levelbuild::buildStressLevel(100, stress, error)) << error;
    environment.play(stress);
    std::set<std::string> placed;
    for (int32_t uid : environment.server().objectMap.ascending())
        if (const ZubBase* o = environment.server().findObjectOrNull(uid);
            o && o->getClass()->isDerivedFrom(&EditorObject::classRecord))
            placed.insert(o->getClass()->getTypeName());
    EXPECT_EQ(placed, placeable);

    for (const RuntimeClass* cls : RuntimeClassManager::getInstance().allRecords()) {
        if (!cls->getTypeName() || !cls->isDerivedFrom(&EditorObject::classRecord)) continue;
        const std::string name = cls->getTypeName();
        std::vector<uint8_t> bytes;
        error.clear();
        levelbuild::buildLevelFile("new " + name + "\n", "x1.txt", bytes, error);
        const bool refused = error == "x1.txt:1: '" + name + "' is not an object that can be placed in a level";
        EXPECT_EQ(refused, placeable.count(name) == 0) << name << ": " << error;
    }
}
