#pragma once
// The reference of the placeable classes (`levelbuild --classes`): every
// class a level description can place with 'new' (EditorObject::
// isPlaceableClass), its construct call's arguments and its properties with
// their types, defaults and meanings, all read from the classes' own
// property declarations (addPropertiesTo, and the one-line meaning each
// declaration gives).
//
// A class lists the properties it declares beyond those of the nearest
// placeable class it derives from, and those whose default differs there;
// it names that class for the rest (and the ones it takes away from it).
#include <string>
#include <vector>

class RuntimeClass;

namespace levelbuild {

// One property as a description sets it; a group ("position") is one entry
// whose members are given in order (or by their dotted names).
struct PropertyDoc {
    std::string name;                  // "position", "skinFlags"
    std::string type;                  // "yes or no", "3 numbers: x y z", ...
    std::string value;                 // the default, as a description writes it
    std::string meaning;               // one line; empty when the declaration gives none
    std::vector<std::string> members;  // a group's member names
};

struct ClassDoc {
    const RuntimeClass* cls = nullptr;
    std::string name;  // the C++ class name a 'new' line gives
    // The nearest placeable class it derives from ("" for none).
    std::string base;
    // The construct call's arguments in order (none: 'new' alone builds
    // the object).
    std::vector<PropertyDoc> construct;
    // Every property the object has, in declaration order.
    std::vector<PropertyDoc> properties;
    // Other actions a line can call with their arguments ("name a b").
    std::vector<PropertyDoc> actions;
    // What the listing of the class leaves to `base`'s: the properties it
    // has as the base has them.
    std::vector<std::string> inherited;
    // The base's properties that the class does not have.
    std::vector<std::string> removed;
};

// Every placeable class, by name. Needs a LevelEnvironment (resources).
std::vector<ClassDoc> documentClasses();

// The reference as text; `only` (class names) keeps those classes alone.
std::string formatClassReference(const std::vector<ClassDoc>& classes,
                                 const std::vector<std::string>& only = std::vector<std::string>());

}  // namespace levelbuild
